#include "platform/Shell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace {
// The value of a desktop-file string with its escapes (\s, \n, \t, \r, \\)
// resolved; other backslashes stay for the Exec quoting rules.
QString UnescapeValue(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar n = value[i + 1];
        if (n == 's')
            out += ' ';
        else if (n == 'n')
            out += '\n';
        else if (n == 't')
            out += '\t';
        else if (n == 'r')
            out += '\r';
        else if (n == '\\')
            out += '\\';
        else {
            out += c;
            continue;
        }
        ++i;
    }
    return out;
}

// Reads the [Desktop Entry] group of a desktop file; false when the file
// cannot be read or the entry is hidden.
bool ReadDesktopEntry(const QString& fileName, QString& exec)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    bool inEntry = false;
    bool hidden = false;
    exec.clear();
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith('[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inEntry || eq <= 0 || line.startsWith('#'))
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Exec"))
            exec = UnescapeValue(value);
        else if (key == QLatin1String("Hidden"))
            hidden = value == QLatin1String("true");
    }
    return !hidden;
}

// The Exec line of an installed desktop file id, or empty.
QString ExecOfDesktopId(const QString& desktopId)
{
    if (desktopId.isEmpty() || desktopId.contains(QLatin1String("..")))
        return {};
    const QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString& dir : dirs) {
        const QString path = QDir(dir).filePath(desktopId);
        if (!QFileInfo(path).isFile())
            continue;
        QString exec;
        // The first file found is the one that counts, even when hidden.
        return ReadDesktopEntry(path, exec) ? RemoveFieldCodes(exec).trimmed() : QString();
    }
    return {};
}

// The mimeapps.list files in the order the desktop consults them.
QStringList MimeAppsLists()
{
    QStringList desktops;
    for (const QString& name : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':', Qt::SkipEmptyParts))
        desktops << name.toLower();
    QStringList lists;
    auto addDir = [&](const QString& dir) {
        for (const QString& desktop : desktops)
            lists << dir + '/' + desktop + QStringLiteral("-mimeapps.list");
        lists << dir + QStringLiteral("/mimeapps.list");
    };
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        addDir(dir);
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        addDir(dir);
        lists << dir + QStringLiteral("/defaults.list");
    }
    return lists;
}

// The first installed default application of exactly this type.
QString DefaultExecOfType(const QStringList& lists, const QString& mimeType)
{
    for (const QString& list : lists) {
        QFile file(list);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QTextStream in(&file);
        bool inDefaults = false;
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.startsWith('[')) {
                inDefaults = line == QLatin1String("[Default Applications]");
                continue;
            }
            const qsizetype eq = line.indexOf('=');
            if (!inDefaults || eq <= 0 || line.left(eq).trimmed() != mimeType)
                continue;
            for (const QString& id : line.mid(eq + 1).split(';', Qt::SkipEmptyParts)) {
                const QString exec = ExecOfDesktopId(id.trimmed());
                if (!exec.isEmpty())
                    return exec;
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
        return StartProgramWith(program, args);
    }
    bool StartProgramWith(const QString& program, const QStringList& arguments) override
    {
        return !program.isEmpty() && QProcess::startDetached(program, arguments);
    }
    QString DefaultOpenCommand(const QString& path) override
    {
        const QString name = QFileInfo(path).fileName();
        if (name.isEmpty())
            return {};
        const QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        if (!type.isValid() || type.isDefault())
            return {};
        return DefaultExecForMimeType(type.name());
    }
    QIcon FileIcon(const QString& path) override
    {
        static QFileIconProvider provider;
        return provider.icon(QFileInfo(path));
    }
};

IShell* current = nullptr;
} // namespace

bool IShell::StartProgramWith(const QString&, const QStringList&) { return false; }

IShell& Shell()
{
    static DesktopShell shell;
    return current ? *current : shell;
}

void SetShell(IShell* shell) { current = shell; }

QString DefaultExecForMimeType(const QString& mimeType)
{
    if (mimeType.isEmpty())
        return {};
    const QStringList lists = MimeAppsLists();
    // The type itself, then the names it is also known by, then the types it
    // is a kind of (a C++ source opens with the text editor).
    QStringList types{mimeType};
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeType);
    if (type.isValid()) {
        types << type.aliases();
        types << type.allAncestors();
    }
    for (const QString& name : types) {
        const QString exec = DefaultExecOfType(lists, name);
        if (!exec.isEmpty())
            return exec;
    }
    return {};
}

QString RemoveFieldCodes(const QString& exec)
{
    QString out;
    out.reserve(exec.size());
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] != '%') {
            out += exec[i];
            continue;
        }
        if (i + 1 < exec.size() && exec[i + 1] == '%')
            out += '%';
        // Any other code (%f, %F, %u, %U, %i, %c, %k and the deprecated
        // ones) stands for what the desktop would fill in: dropped.
        ++i;
    }
    return out;
}

QStringList SplitExecLine(const QString& exec)
{
    static const QString quotedEscapes = QStringLiteral("\"`$\\");
    QStringList args;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == '\\' && i + 1 < exec.size() && quotedEscapes.contains(exec[i + 1]))
                current += exec[++i];
            else if (c == '"')
                quoted = false;
            else
                current += c;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inArgument)
                args << current;
            current.clear();
            inArgument = false;
        } else if (c == '"') {
            quoted = true;
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return {};
    if (inArgument)
        args << current;
    return args;
}

QString CleanOpenCommand(const QString& command)
{
    QString s = command;
    const qsizetype percent = s.indexOf('%');
    if (percent >= 0)
        s.truncate(percent);
    if (s.startsWith('"'))
        s.remove(0, 1);
    if (s.endsWith('"'))
        s.chop(1);
    while (s.endsWith(' ') || s.endsWith('"'))
        s.chop(1);
    return s;
}

