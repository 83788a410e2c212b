// Saving a note to a file, printing it and sending mail from it.
#include "notes/Notes.h"

#include "platform/Dialogs.h"
#include "platform/Mail.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextEdit>

std::function<TNoteAnswer(const QString&)> TFrmNote::AskYesNoCancelHook;
std::function<bool(QPrinter&)> TFrmNote::PrintDialogHook;

QString TFrmNote::SStoreWithoutFormatting = QStringLiteral("Do you want to store the file without formattings?");
QString TFrmNote::SMailFailed = QStringLiteral("The mail program could not be started to write to %1.");
QString TFrmNote::SCannotCreateFile = QStringLiteral("Cannot create file \"%1\". %2");
QString TFrmNote::SSaveAsTitle = QStringLiteral("Save As");
QString TFrmNote::SNoteFileFilter = QStringLiteral("Text files (*.txt *.rtf)");

TNoteAnswer TFrmNote::AskYesNoCancel(const QString& text)
{
    if (AskYesNoCancelHook)
        return AskYesNoCancelHook(text);
    const QMessageBox::StandardButton answer =
        QMessageBox::question(this, QApplication::applicationName(), text,
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return TNoteAnswer::Yes;
    return answer == QMessageBox::No ? TNoteAnswer::No : TNoteAnswer::Cancel;
}

void TFrmNote::SaveAs()
{
    const QString fileName = Dialogs().GetSaveFileName(SSaveAsTitle, SNoteFileFilter, QString());
    if (fileName.isEmpty())
        return;
    bool plain = false;
    if (QFileInfo(fileName).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0) {
        switch (AskYesNoCancel(SStoreWithoutFormatting)) {
        case TNoteAnswer::Yes:
            plain = true;
            break;
        case TNoteAnswer::No:
            break;
        case TNoteAnswer::Cancel:
            return;
        }
    }
    SaveToFile(fileName, plain);
}

bool TFrmNote::SaveToFile(const QString& fileName, bool plain)
{
    const QTextDocument& document = *RichEdit1->document();
    const QByteArray bytes = (plain ? PlainFileText(document) : StoredText(document)).toUtf8();
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    // The note stays open with its text; only the file is missing.
    Dialogs().ShowError(SCannotCreateFile.arg(QFileInfo(fileName).absoluteFilePath(), file.errorString()));
    return false;
}

void TFrmNote::Print()
{
    QPrinter printer;
    const bool accepted = PrintDialogHook ? PrintDialogHook(printer)
                                          : QPrintDialog(&printer, this).exec() == QDialog::Accepted;
    if (accepted)
        PrintTo(printer);
}

void TFrmNote::PrintTo(QPrinter& printer)
{
    const QString plain = RichEdit1->document()->toPlainText();
    const qsizetype lineEnd = plain.indexOf('\n');
    printer.setDocName(lineEnd >= 0 ? plain.left(lineEnd) : plain);
    RichEdit1->document()->print(&printer);
}

void TFrmNote::SendMailTo(const QString& address, const QString& subject)
{
    if (address.isEmpty())
        return;
    if (!Mail().SendMail(address, subject))
        Dialogs().ShowError(SMailFailed.arg(address));
}
