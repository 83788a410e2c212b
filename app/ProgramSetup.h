#pragma once
// What the program entry sets up around the windows.
#include "platform/Dialogs.h"

#include <QStringList>

// Names the application and leaves the program's end to the organiser. No
// application display name is set: Qt would append it to every window title,
// and the windows carry their own captions exactly.
void SetUpApplication();

// --help and --version (and -h, -v) answer on standard output and end the
// program before any window or display is touched: returns the exit status
// then, -1 for every other command line.
int AnswerWithoutWindows(int argc, char** argv);

// Reads the command line `quorbel [URL|FILE]...`: --help and --version answer
// and end the program here, an unknown option ends it with a message. Qt's
// own options (-platform and the like) have been taken by the application
// object already. Returns the URLs and files as StartArguments makes them.
QStringList ParseCommandLine(const QStringList& arguments);

// The URLs and files of a command line as another copy of the program, in
// another working folder, can use them: a relative path to something that
// exists becomes absolute; everything else (URLs, text that is no path here)
// stays as typed.
QStringList StartArguments(const QStringList& positional, const QString& workingFolder);

// A later start on the program folder has handed over its message: the
// organiser shows and opens the URLs and files it brought, which wait for
// the tree like this start's own.
void TakeAnotherStart(class TNewsFeeder* feeder, const struct TInstanceMessage& message);

// The desktop session is ending: once no operation holds tree nodes, open
// notes keep what was typed into them and the tree is stored, as at program
// end; the quit that follows does the rest.
void StoreForSessionEnd(class TNewsFeeder* feeder);

// Installed once the event loop has ended, when nobody is left to answer a
// message box: what would have been shown goes to the trace, questions are
// answered no.
class TQuietDialogs final : public IDialogs {
public:
    TQuietDialogs();
    ~TQuietDialogs() override;
    TQuietDialogs(const TQuietDialogs&) = delete;
    TQuietDialogs& operator=(const TQuietDialogs&) = delete;
    void ShowMessage(const QString& text) override;
    bool AskYesNo(const QString&) override { return false; }
    bool AskOkCancel(const QString&) override { return false; }
    bool InputQuery(const QString&, const QString&, QString&) override { return false; }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void ShowNote(const QString&, const QString& text) override { ShowMessage(text); }
};
