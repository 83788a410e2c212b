#include "platform/ProgramFolder.h"

#include <QDir>
#include <QStandardPaths>

QString ProgramFolder()
{
    QString folder = qEnvironmentVariable("QUORBEL_HOME");
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Quorbel";
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    QDir().mkpath(folder);
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

QString SettingsFileName()
{
    // The executable is named quorbel; test programs share its settings name.
    return ProgramFolder() + QStringLiteral("quorbel.ini");
}
