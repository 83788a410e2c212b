#pragma once
// Hands links, files and programs to the desktop. Never goes through a shell
// command line: arguments are passed as they are.
#include <QIcon>
#include <QString>

class IShell {
public:
    virtual ~IShell() = default;
    // A URL, or a local path, opened with the desktop's default application.
    virtual bool OpenUrl(const QString& urlOrPath) = 0;
    // Starts program with one argument, detached.
    virtual bool StartProgram(const QString& program, const QString& argument) = 0;
    // The command line (without field codes) of the default application of the
    // file's type; empty when there is none.
    virtual QString DefaultOpenCommand(const QString& path) = 0;
    // The desktop's icon for a file or folder; a null icon when there is none.
    virtual QIcon FileIcon(const QString& path) = 0;
};

IShell& Shell();
void SetShell(IShell* shell); // nullptr restores the desktop shell
