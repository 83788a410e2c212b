#pragma once
// The desktop as tests see it: nothing is opened or started, every request is
// recorded. Default applications come from a table keyed by extension
// (lower case, without the dot). Installed for its lifetime.
#include "platform/Shell.h"

#include <QFileInfo>
#include <QMap>
#include <QStringList>
#include <vector>

class FakeShell final : public IShell {
public:
    FakeShell() { SetShell(this); }
    ~FakeShell() override { SetShell(nullptr); }
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    bool OpenUrl(const QString& urlOrPath) override
    {
        opened << urlOrPath;
        return true;
    }
    bool StartProgram(const QString& program, const QString& argument) override
    {
        return StartProgramWith(program, argument.isEmpty() ? QStringList() : QStringList{argument});
    }
    bool StartProgramWith(const QString& program, const QStringList& arguments) override
    {
        started.push_back(QStringList{program} + arguments);
        return true;
    }
    QString DefaultOpenCommand(const QString& path) override
    {
        lookedUp << path;
        return commands.value(QFileInfo(path).suffix().toLower());
    }
    QIcon FileIcon(const QString&) override { return {}; }

    QMap<QString, QString> commands; // extension -> Exec line without field codes
    QStringList opened;              // what went to the desktop
    std::vector<QStringList> started; // program followed by its arguments
    QStringList lookedUp;
};
