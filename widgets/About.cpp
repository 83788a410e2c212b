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
#include <QTextDocument>
#include <QTextEdit>
#include <QtMath>

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
    // The Qt the program runs with, which may be newer than the one it was built with.
    return VersionLine() + QStringLiteral("\n\nQt ") + QString::fromLatin1(qVersion())
        + QStringLiteral("\nCopyright (c) Quorbel developers\n") + kWebAddress + QStringLiteral("\n")
        + kLicenceLine + QStringLiteral("\n") + kSupportAddress;
}

void TFrmAbout::FitToText()
{
    // The text keeps its design width unless a line cannot wrap (a long
    // address or translation); the box grows until nothing is cut off.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() - QSize(40, 80) : QSize(1600, 1000);
    QTextDocument* document = RichEdit1->document();
    const int frame = 2 * (RichEdit1->frameWidth() + 2);
    document->setTextWidth(-1);
    const int ideal = qCeil(document->idealWidth()) + frame;
    const int textWidth = qBound(kDesignTextSize.width(), ideal, room.width() - 64);
    document->setTextWidth(textWidth - frame);
    const int textHeight = qBound(kDesignTextSize.height(), qCeil(document->size().height()) + frame,
                                  room.height() - 110);
    RichEdit1->setGeometry(56, 8, textWidth, textHeight);
    const int width = 56 + textWidth + 18;
    const int bevelTop = 8 + textHeight + 15;
    Bevel1->setGeometry(8, bevelTop, width - 16, 2);
    bnClose->setGeometry((width - 75) / 2, bevelTop + 20, 75, 25);
    setFixedSize(width, bevelTop + 87); // the design: 367 high with the bevel at 280
}

int TFrmAbout::ShowModal(TRSSView* ticker)
{
    if (ticker)
        ticker->AutoShow = false;
    const int result = exec(); // centred on the screen once sized to its text

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
    FitToText();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
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
            Dialogs().ShowError(QString(SMailFailed).replace(QLatin1String("%s"), CurrentMail));
    }
}
