#pragma once
// What the program entry sets up around the windows.
#include "platform/Dialogs.h"

// Names the application and leaves the program's end to the organiser. No
// application display name is set: Qt would append it to every window title,
// and the windows carry their own captions exactly.
void SetUpApplication();

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
