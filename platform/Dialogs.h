#pragma once
// Every message box, question, input box and file dialog of the program goes
// through this service, so tests can script the answers. The program's own
// dialogs belong to the window that asked and stay above the always-on-top
// windows (DialogStacking.h); questions carry the question icon.
#include <QString>

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Information, with the information icon.
    virtual void ShowMessage(const QString& text) = 0;
    // Something failed or was refused, with the warning icon.
    virtual void ShowError(const QString& text) { ShowMessage(text); }
    virtual bool AskYesNo(const QString& text) = 0;
    virtual bool AskOkCancel(const QString& text) = 0;
    // Returns false when cancelled; value holds the default on entry, the answer on exit.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
    // Empty result when cancelled.
    virtual QString GetOpenFileName(const QString& title, const QString& filter,
                                    const QString& folder) = 0;
    virtual QString GetSaveFileName(const QString& title, const QString& filter,
                                    const QString& fileName) = 0;
    // A formatted message (rich text or RTF) in a read-only note, returning
    // when it is closed.
    virtual void ShowNote(const QString& title, const QString& text) = 0;
};

// The buttons of the input box in the language shown; empty texts leave
// Qt's own. Only the Qt dialogs have buttons to name.
void SetInputButtonTexts(const QString& ok, const QString& cancel);

// How the program shows a formatted note; set by the note window's module.
// Without it a note is shown as a plain message.
void SetNoteDisplay(void (*display)(const QString& title, const QString& text));

IDialogs& Dialogs();
// The suffix of a file filter's first pattern ("xml" for "Files (*.xml *.qbx)"),
// empty when it has none.
QString FilterSuffix(const QString& filter);
void SetDialogs(IDialogs* dialogs); // nullptr restores the Qt dialogs
