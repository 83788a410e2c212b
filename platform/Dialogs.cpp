#include "platform/Dialogs.h"

#include "platform/DialogStacking.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QString inputOkText;
QString inputCancelText;

QWidget* Owner()
{
    DialogStacking::Install();
    return DialogStacking::DialogOwner();
}

class QtDialogs final : public IDialogs {
public:
    void ShowMessage(const QString& text) override
    {
        QMessageBox::information(Owner(), QApplication::applicationName(), text);
    }
    void ShowError(const QString& text) override
    {
        QMessageBox::warning(Owner(), QApplication::applicationName(), text);
    }
    bool AskYesNo(const QString& text) override
    {
        return QMessageBox::question(Owner(), QApplication::applicationName(), text,
                                     QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
    }
    bool AskOkCancel(const QString& text) override
    {
        return QMessageBox::question(Owner(), QApplication::applicationName(), text,
                                     QMessageBox::Ok | QMessageBox::Cancel)
            == QMessageBox::Ok;
    }
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override
    {
        QInputDialog dialog(Owner());
        dialog.setWindowTitle(caption);
        dialog.setLabelText(prompt);
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setTextValue(value);
        if (!inputOkText.isEmpty())
            dialog.setOkButtonText(inputOkText);
        if (!inputCancelText.isEmpty())
            dialog.setCancelButtonText(inputCancelText);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        value = dialog.textValue();
        return true;
    }
    QString GetOpenFileName(const QString& title, const QString& filter,
                            const QString& folder) override
    {
        return QFileDialog::getOpenFileName(Owner(), title, folder, filter);
    }
    void ShowNote(const QString& title, const QString& text) override;
    QString GetSaveFileName(const QString& title, const QString& filter,
                            const QString& fileName) override
    {
        // The suffix added to a bare name follows the chosen filter, so the
        // name always tells which format is meant.
        QFileDialog dialog(Owner(), title, fileName, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const auto follow = [&dialog](const QString& chosen) { dialog.setDefaultSuffix(FilterSuffix(chosen)); };
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, follow);
        follow(dialog.selectedNameFilter());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }
};

IDialogs* current = nullptr;
void (*noteDisplay)(const QString&, const QString&) = nullptr;

void QtDialogs::ShowNote(const QString& title, const QString& text)
{
    if (noteDisplay)
        noteDisplay(title, text);
    else
        ShowMessage(text);
}
} // namespace

void SetInputButtonTexts(const QString& ok, const QString& cancel)
{
    inputOkText = ok;
    inputCancelText = cancel;
}

void SetNoteDisplay(void (*display)(const QString& title, const QString& text)) { noteDisplay = display; }

QString FilterSuffix(const QString& filter)
{
    const qsizetype open = filter.lastIndexOf('(');
    const qsizetype close = filter.lastIndexOf(')');
    if (open < 0 || close < open)
        return {};
    const QString first = filter.mid(open + 1, close - open - 1).split(' ', Qt::SkipEmptyParts).value(0);
    const qsizetype dot = first.lastIndexOf('.');
    const QString suffix = dot >= 0 ? first.mid(dot + 1) : QString();
    return suffix.contains('*') ? QString() : suffix;
}

IDialogs& Dialogs()
{
    static QtDialogs qtDialogs;
    return current ? *current : qtDialogs;
}

void SetDialogs(IDialogs* dialogs) { current = dialogs; }
