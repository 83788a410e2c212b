#pragma once
// The about box: the version line and the product block, with its web and
// mail addresses highlighted; a click on one opens it (the mail with the
// version line as subject). Created once at start-up, shown modally.
#include "platform/Downloader.h"

#include <QDialog>
#include <QSize>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;
class TRSSView;

class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAbout(QWidget* parent = nullptr);
    ~TFrmAbout() override;

    // Fills the text, runs the dialog; the ticker stays down meanwhile.
    int ShowModal(TRSSView* ticker);
    // The version line: "SVersion" and the program's version.
    QString VersionLine() const;
    // The text shown, before highlighting: the version line, the Qt version,
    // the copyright, web address, licence line and support address.
    QString InfoText() const;
    // Sizes the text area to the text (never below its design size) and the
    // box around it.
    void FitToText();
    // What a release of the mouse button in the text does.
    void TextClicked();

    QLabel* Image1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QPushButton* bnClose = nullptr;
    QString CurrentLink;
    QString CurrentMail;

    // Named text (section "FrmAbout").
    QString SVersion = QStringLiteral("Quorbel Stay Tivaleo Version ");
    QString SMailFailed = QStringLiteral("No mail program could be started for \"%s\".");

    static inline const QString kWebAddress = kProgramWebAddress;
    static inline const QString kSupportAddress = QStringLiteral("support@quorbel.example.org");
    // The rights the program is given under (no licence has been granted).
    static inline const QString kLicenceLine = QStringLiteral("All rights reserved.");
    static inline const QSize kDesignTextSize{281, 257};

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CaretMoved();
};

// The about box of the running program (set while one exists).
extern TFrmAbout* FrmAbout;
