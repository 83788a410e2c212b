#pragma once
// Dialogs that never block: messages are recorded, questions and inputs are
// answered from a script. Installed for its lifetime.
#include "platform/Dialogs.h"

#include <QStringList>
#include <deque>

class FakeDialogs final : public IDialogs {
public:
    FakeDialogs() { SetDialogs(this); }
    ~FakeDialogs() override { SetDialogs(nullptr); }
    FakeDialogs(const FakeDialogs&) = delete;
    FakeDialogs& operator=(const FakeDialogs&) = delete;

    void ShowMessage(const QString& text) override { messages << text; }
    void ShowError(const QString& text) override
    {
        messages << text;
        errors << text;
    }
    bool AskYesNo(const QString& text) override { return Answer(text); }
    bool AskOkCancel(const QString& text) override { return Answer(text); }
    bool InputQuery(const QString&, const QString& prompt, QString& value) override
    {
        questions << prompt;
        if (inputs.empty())
            return false;
        value = inputs.front();
        inputs.pop_front();
        return true;
    }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override { return NextFile(); }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return NextFile(); }
    void ShowNote(const QString& title, const QString& text) override { notes << title + '|' + text; }

    QStringList messages; // information and errors, in order
    QStringList errors;   // the errors among them
    QStringList questions;
    QStringList notes; // "title|text" of each note shown
    std::deque<bool> answers;   // for yes/no and OK/cancel; empty means no
    std::deque<QString> inputs; // for input boxes; empty means cancelled
    std::deque<QString> files;  // for file dialogs; empty means cancelled

private:
    bool Answer(const QString& text)
    {
        questions << text;
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    QString NextFile()
    {
        if (files.empty())
            return {};
        QString f = files.front();
        files.pop_front();
        return f;
    }
};
