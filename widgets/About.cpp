#include "widgets/About.h"

#include "app/NewsGlobals.h"
#include "language/LangManager.h"
#include "notes/Notes.h"
#include "platform/Dialogs.h"
#include "platform/Mail.h"
#include "platform/Shell.h"
#include "ticker/RssViews.h"
#include "widgets/ImageList.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

TFrmAbout* FrmAbout = nullptr;

TFrmAbout::TFrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("About Quorbel"));
    setFixedSize(355, 367);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, 32, 32);
    Image1->setPixmap(QPixmap::fromImage(TImageList::ApplicationImage(32)));

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Raised);
    Bevel1->setGeometry(8, 280, width() - 16, 2);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(56, 8, 281, 257);
    RichEdit1->setReadOnly(true);
    RichEdit1->setFrameShape(QFrame::NoFrame);
    RichEdit1->setCursorWidth(0); // no caret in a text nobody edits
    RichEdit1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    RichEdit1->setProperty("quorbelNoTranslate", true); // the text is made on every showing
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    RichEdit1->setPalette(palette);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    RichEdit1->setFont(font);
    connect(RichEdit1, &QTextEdit::cursorPositionChanged, this, &TFrmAbout::CaretMoved);
    RichEdit1->viewport()->installEventFilter(this);

    bnClose = new QPushButton(QStringLiteral("OK"), this);
    bnClose->setObjectName(QStringLiteral("bnClose"));
    bnClose->setGeometry((width() - 75) / 2, 300, 75, 25);
    bnClose->setDefault(true);
    connect(bnClose, &QPushButton::clicked, this, &QDialog::accept);
}

TFrmAbout::~TFrmAbout()
{
    if (FrmAbout == this)
        FrmAbout = nullptr;
}

QString TFrmAbout::VersionLine() const
{
    return SVersion + QStringLiteral(QUORBEL_VERSION);
}

QString TFrmAbout::InfoText() const
{
    return VersionLine() + QStringLiteral("\n\n"
                                          "Copyright (c) Quorbel developers\n")
        + kWebAddress + QStringLiteral("\nAll rights reserved.\n") + kSupportAddress;
}

int TFrmAbout::ShowModal(TRSSView* ticker)
{
    if (ticker)
        ticker->AutoShow = false;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    const int result = exec();
    if (ticker)
        ticker->AutoShow = true;
    return result;
}

void TFrmAbout::showEvent(QShowEvent* event)
{
    if (NewsData && NewsData->LanMan) {
        NewsData->LanMan->TranslateForm(this, false);
        NewsData->LanMan->ReadText(QStringLiteral("FrmAbout"), QStringLiteral("SVersion"), SVersion);
        NewsData->LanMan->ReadText(QStringLiteral("FrmAbout"), QStringLiteral("SMailFailed"), SMailFailed);
    }
    RichEdit1->setPlainText(InfoText());
    TFrmNote::HighlightLinks(RichEdit1);
    CurrentLink.clear();
    CurrentMail.clear();
    QDialog::showEvent(event);
}

void TFrmAbout::CaretMoved()
{
    const TCaretWord word = TFrmNote::WordAtCaret(RichEdit1);
    CurrentLink = word.link;
    CurrentMail = word.mail;
}

bool TFrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == RichEdit1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // The press has moved the caret: what it stands in opens now.
        QMetaObject::invokeMethod(this, &TFrmAbout::TextClicked, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmAbout::TextClicked()
{
    if (!CurrentLink.isEmpty()) {
        const QString target = TFrmNote::LinkTarget(CurrentLink);
        if (!target.isEmpty())
            Shell().OpenUrl(target);
    } else if (!CurrentMail.isEmpty()) {
        if (!Mail().SendMail(CurrentMail, VersionLine()))
            Dialogs().ShowMessage(QString(SMailFailed).replace(QLatin1String("%s"), CurrentMail));
    }
}
