#include "platform/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {
class QtDialogs final : public IDialogs {
public:
    void ShowMessage(const QString& text) override
    {
        QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(), text);
    }
    bool AskYesNo(const QString& text) override
    {
        return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationName(),
                                     text, QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
    }
    bool AskOkCancel(const QString& text) override
    {
        return QMessageBox::question(QApplication::activeWindow(), QApplication::applicationName(),
                                     text, QMessageBox::Ok | QMessageBox::Cancel)
            == QMessageBox::Ok;
    }
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override
    {
        bool ok = false;
        const QString answer = QInputDialog::getText(QApplication::activeWindow(), caption, prompt,
                                                     QLineEdit::Normal, value, &ok);
        if (ok)
            value = answer;
        return ok;
    }
    QString GetOpenFileName(const QString& title, const QString& filter,
                            const QString& folder) override
    {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, filter);
    }
    QString GetSaveFileName(const QString& title, const QString& filter,
                            const QString& fileName) override
    {
        return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, fileName, filter);
    }
};

IDialogs* current = nullptr;
} // namespace

IDialogs& Dialogs()
{
    static QtDialogs qtDialogs;
    return current ? *current : qtDialogs;
}

void SetDialogs(IDialogs* dialogs) { current = dialogs; }
