#pragma once
// Hands links, files and programs to the desktop. Never goes through a shell
// command line: arguments are passed as they are.
#include <QIcon>
#include <QString>
#include <QStringList>

class IShell {
public:
    virtual ~IShell() = default;
    // A URL, or a local path, opened with the desktop's default application.
    virtual bool OpenUrl(const QString& urlOrPath) = 0;
    // Starts program with one argument, detached.
    virtual bool StartProgram(const QString& program, const QString& argument) = 0;
    // Starts program with these arguments, each passed as it is, detached.
    // A shell that starts no programs keeps this default, which refuses.
    virtual bool StartProgramWith(const QString& program, const QStringList& arguments);
    // The Exec line, field codes removed but quoting kept, of the desktop's
    // default application for the type of a file named like path (only the
    // name counts, the file need not exist); empty when the name has no known
    // type or the type has no default application.
    virtual QString DefaultOpenCommand(const QString& path) = 0;
    // The desktop's icon for a file or folder; a null icon when there is none.
    virtual QIcon FileIcon(const QString& path) = 0;
};

IShell& Shell();
void SetShell(IShell* shell); // nullptr restores the desktop shell

// Desktop-entry rules, usable without a desktop.

// The Exec line of the default application of a MIME type, field codes
// removed: the first installed entry under [Default Applications] of the
// mimeapps.list files (XDG config dirs, then applications/ of the XDG data
// dirs), its desktop file looked up in applications/ of the XDG data dirs.
QString DefaultExecForMimeType(const QString& mimeType);
// Drops the field codes (%f, %U, ...) of an Exec value; "%%" becomes "%".
QString RemoveFieldCodes(const QString& exec);
// Splits an Exec value into program and arguments by the desktop-entry
// quoting rules; an empty list when the quoting is broken.
QStringList SplitExecLine(const QString& exec);
// A registered command reduced to what runs: cut at the first "%", one
// leading and one trailing double quote removed, then trailing blanks and
// double quotes. '"/usr/bin/player" "%1"' gives '/usr/bin/player'.
QString CleanOpenCommand(const QString& command);
