#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace {
// Reads the Exec line of a desktop file and strips its field codes.
QString ExecOfDesktopFile(const QString& desktopFile)
{
    const QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString& dir : dirs) {
        QFile file(QDir(dir).filePath(desktopFile));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&file);
        bool inEntry = false;
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith('['))
                inEntry = line == QLatin1String("[Desktop Entry]");
            else if (inEntry && line.startsWith(QLatin1String("Exec="))) {
                QString exec = line.mid(5);
                exec.remove(QRegularExpression(QStringLiteral("%[a-zA-Z%]")));
                return exec.simplified();
            }
        }
    }
    return {};
}

QString DefaultDesktopFileFor(const QString& mimeType)
{
    // mimeapps.list lookups, user file first.
    QStringList lists;
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    lists << config + "/mimeapps.list";
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        lists << dir + "/mimeapps.list" << dir + "/defaults.list";
    for (const QString& list : lists) {
        QFile file(list);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&file);
        bool inDefaults = false;
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith('['))
                inDefaults = line == QLatin1String("[Default Applications]");
            else if (inDefaults && line.startsWith(mimeType + '=')) {
                const QString first = line.mid(mimeType.size() + 1).section(';', 0, 0).trimmed();
                if (!first.isEmpty())
                    return first;
            }
        }
    }
    return {};
}

class DesktopShell final : public IShell {
public:
    bool OpenUrl(const QString& urlOrPath) override
    {
        QUrl url = QUrl::fromUserInput(urlOrPath, QDir::currentPath(), QUrl::AssumeLocalFile);
        if (!url.isValid())
            return false;
        return QDesktopServices::openUrl(url);
    }
    bool StartProgram(const QString& program, const QString& argument) override
    {
        QStringList args;
        if (!argument.isEmpty())
            args << argument;
        return QProcess::startDetached(program, args);
    }
    QString DefaultOpenCommand(const QString& path) override
    {
        const QString mime = QMimeDatabase().mimeTypeForFile(path).name();
        const QString desktop = DefaultDesktopFileFor(mime);
        return desktop.isEmpty() ? QString() : ExecOfDesktopFile(desktop);
    }
    QIcon FileIcon(const QString& path) override
    {
        static QFileIconProvider provider;
        return provider.icon(QFileInfo(path));
    }
};

IShell* current = nullptr;
} // namespace

IShell& Shell()
{
    static DesktopShell shell;
    return current ? *current : shell;
}

void SetShell(IShell* shell) { current = shell; }
