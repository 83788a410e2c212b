#pragma once
// Text from files the program did not write: UTF-8 when the bytes are valid
// UTF-8, otherwise Windows-1252 (files made on a Windows code page still load).
#include <QByteArray>
#include <QString>

QString DecodeText(const QByteArray& bytes);
// Windows-1252, with its 0x80..0x9F characters.
QString DecodeWindows1252(const QByteArray& bytes);
bool IsValidUtf8(const QByteArray& bytes);
