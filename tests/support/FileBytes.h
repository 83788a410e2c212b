#pragma once
// Whole files as bytes, for tests that compare or prepare exact contents.
#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray ReadBytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool WriteBytes(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
