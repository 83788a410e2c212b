#pragma once
// A fresh program folder for one test: QUORBEL_HOME points at it while the
// object lives.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TempProgramFolder {
public:
    TempProgramFolder() : previous(qgetenv("QUORBEL_HOME"))
    {
        qputenv("QUORBEL_HOME", dir.path().toLocal8Bit());
    }
    ~TempProgramFolder() { qputenv("QUORBEL_HOME", previous); }
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    QString Path() const { return dir.path() + '/'; }
    QString File(const QString& name) const { return dir.path() + '/' + name; }

private:
    QByteArray previous;
    QTemporaryDir dir;
};
