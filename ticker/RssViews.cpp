// The ticker window: creation, its components and showing one item.
#include "ticker/RssViews.h"

#include "app/NewsGlobals.h"
#include "model/DateTime.h"
#include "platform/Clock.h"
#include "platform/DialogStacking.h"
#include "text/TextTools.h"
#include "ticker/DescriptionWindow.h"
#include "ticker/HintText.h"
#include "ticker/TickerGlyphs.h"
#include "ticker/TickerHost.h"
#include "widgets/Menus.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include <limits>
#include <QTimer>

namespace {
// Design size and place of the strip (client 370 x 17 plus the border).
constexpr int kDesignLeft = 323;
constexpr int kDesignTop = 294;
constexpr int kDesignWidth = 372;
constexpr int kStripHeight = 19;

QLabel* NewImage(QWidget* owner, const char* name, int left, int top, int width, int height)
{
    auto* label = new QLabel(owner);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(left, top, width, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setMouseTracking(true);
    return label;
}
} // namespace

TRSSView::TRSSView(TOrganiserFactory createOrganiser, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("RSSView"));
    setWindowTitle(QStringLiteral("Quorbel"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    DialogStacking::StepAsideForDialogs(this, DialogStacking::kComeBack);
    setMouseTracking(true);
    setGeometry(kDesignLeft, kDesignTop, kDesignWidth, kStripHeight);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::ToolTipBase));
    setPalette(p);
    setAutoFillBackground(true);
    CreateComponents();
    InitDropTarget(); // drops of text and files, RssViewsDrop.cpp

    // PlayList's construction has seeded the random order from the clock.
    DragAnchor = QPoint(-1, -1);
    QueuePos = 0;
    LastChange = 0;
    RSSInterval = 4000;
    AutoShow = true;
    ShowNewsFor = 24;
    Paused = false;
    ShowDescription = true;
    ShowNewsOnce = true;

    LoadTickerSettings();

    if (createOrganiser)
        host = createOrganiser(this);
    CreateMenus();
    CreateTrayIcon();
    // The organiser's settings translated the window before its menus
    // existed: once more, now that they do.
    ApplyTickerTexts(true);
    ApplyAccessibleNames(); // also when no language manager translated

    const TTreeItem welcome(kWebLink, SQuorbelTitle, kMakerAddress, SQuorbelDescr, QString(),
                            FormatLocalDate(Clock().Now().date()));
    WelcomeItem.Assign(welcome);
    WelcomeItem.IconIdx = imgLogo;
    PlayList.AddCopy(WelcomeItem);

    Queue = TIndexList{0};
    CurrentItem.Assign(WelcomeItem);
    ShowItem(WelcomeItem);
    SetPaused(true);
}

TRSSView::~TRSSView()
{
    // The icon leaves the tray before the menu it opens goes.
    delete TrayIcon;
    TrayIcon = nullptr;
}

void TRSSView::CreateComponents()
{
    lbRss = new QLabel(this);
    lbRss->setObjectName(QStringLiteral("lbRss"));
    lbRss->setTextFormat(Qt::PlainText);
    lbRss->setMouseTracking(true);
    lbRss->setAttribute(Qt::WA_TranslucentBackground);
    QFont titleFont(QStringLiteral("DejaVu Sans"));
    titleFont.setPixelSize(11);
    titleFont.setBold(true);
    titleFont.setUnderline(true);
    lbRss->setFont(titleFont);
    QPalette blue = lbRss->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    lbRss->setPalette(blue);
    lbRss->move(19, 2);

    lbPubDate = new QLabel(this);
    lbPubDate->setObjectName(QStringLiteral("lbPubDate"));
    lbPubDate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont dateFont(QStringLiteral("DejaVu Sans"));
    dateFont.setPixelSize(11);
    lbPubDate->setFont(dateFont);
    lbPubDate->setPalette(blue);
    lbPubDate->hide();

    Image1 = NewImage(this, "Image1", 1, 1, 16, 16);
    imClose = NewImage(this, "imClose", kDesignWidth - 15, 1, 11, 11);
    imClose->setPixmap(CloseGlyph());
    imClose->setCursor(Qt::PointingHandCursor);
    imSpeaker = NewImage(this, "imSpeaker", 0, 1, 16, 16);
    imSpeaker->setPixmap(SpeakerGlyph());
    imSpeaker->hide();
    imVideo = NewImage(this, "imVideo", 0, 1, 32, 16);
    imVideo->setPixmap(FilmGlyph());
    imVideo->hide();
    for (QLabel* child : {lbRss, Image1, imClose, imSpeaker, imVideo})
        child->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(200);
    connect(Timer1, &QTimer::timeout, this, &TRSSView::Timer1Timer);

    // Made before the organiser, which may already show items on the strip.
    DescriptionWindow = new TDescriptionWindow(this);

    // Filled by CreateMenus, once the organiser's shared actions exist.
    PopupMenu1 = NewMenu(this, "PopupMenu1", QString());
    OpenRSSLink1 = NewAction(this, "OpenRSSLink1", QStringLiteral("Open Actual Link ..."),
                             QStringLiteral("Opens actual Rss Link"), QKeySequence(Qt::Key_Return));
    connect(OpenRSSLink1, &QAction::triggered, this, &TRSSView::OpenActualLink);
    addAction(OpenRSSLink1); // its shortcut works while the strip has the focus
    pmIcon = NewMenu(this, "pmIcon", QString());
}

void TRSSView::SetOpacity(int value)
{
    opacity = qBound(0, value, 255);
    setWindowOpacity(opacity / 255.0);
}

void TRSSView::SetTimerEnabled(bool enabled)
{
    // Like a timer's Enabled flag: enabling a running timer does not restart it.
    if (!enabled)
        Timer1->stop();
    else if (!Timer1->isActive())
        Timer1->start();
}

void TRSSView::RestartTimer()
{
    Timer1->stop();
    Timer1->start();
}

void TRSSView::ShowItem(const TTreeItem& item)
{
    // The close glyph may have hidden it; it stays down while a dialog is open.
    if (AutoShow && !DialogStacking::ModalDialogOpen() && !(host && host->IsShowing()))
        show();

    CurrentItem.Assign(item);
    // Title is plain text already: converting it again would read "&lt;" in
    // a title as "<" and drop a "<b>" the feed wrote as "&lt;b&gt;".
    const QString& title = CurrentItem.Title;
    lbRss->setText(title);
    lbRss->adjustSize();
    lbPubDate->setText(PubDateCaption(CurrentItem.TimeStamp));

    hint = TickerHintText(CurrentItem, lbPubDate->text());
    // A hint value only: the strip shows no tool tips of its own.
    lbRss->setStatusTip(hint);
    setStatusTip(hint);

    imSpeaker->hide();
    imVideo->hide();
    QLabel* mark = nullptr;
    const TMediaKinds kinds = ItemMediaKinds(CurrentItem);
    if (kinds.audio)
        mark = imSpeaker;
    else if (kinds.video)
        mark = imVideo;
    // The strip never grows past the screen: a long title is elided instead.
    const int around = Image1->width() + imClose->width() + 12 + (mark ? mark->width() + 18 : 0);
    const int room = MaxStripWidth() - around;
    if (lbRss->width() > room) {
        lbRss->setText(lbRss->fontMetrics().elidedText(title, Qt::ElideRight, qMax(0, room)));
        lbRss->adjustSize();
        lbRss->resize(qMax(0, qMin(lbRss->width(), room)), lbRss->height());
    }
    int w = lbRss->width() + Image1->width() + imClose->width() + 12;
    if (mark) {
        mark->show();
        w = mark->width() + w + 18;
        mark->move(w - imClose->width() - 22, mark->y());
    }
    resize(w, kStripHeight);
    imClose->move(w - imClose->width() - 4, 1);

    if (NewsData && CurrentItem.IconIdx >= 0)
        Image1->setPixmap(NewsData->imIcons.Icon(CurrentItem.IconIdx).pixmap(16, 16));
    else
        Image1->clear();

    // CurrentItem holds the item's options now; item itself may go away while
    // the organiser is told below.
    DescriptionShown = ShowDescription || CurrentItem.GetOptionBool(kOptShowDescription, false);
    if (DescriptionShown)
        ShowDescriptionWindow();
    else
        DescriptionWindow->hide();

    if (host)
        host->MarkShownByTitle(CurrentItem.Title);

    SetOpacity(255);
    SetTimerEnabled(!Paused);
    AnnounceItem();
}

void TRSSView::FitStripToTitle()
{
    imSpeaker->hide();
    imVideo->hide();
    const int around = Image1->width() + imClose->width() + 12;
    const QString text = lbRss->text();
    lbRss->adjustSize();
    if (lbRss->width() > MaxStripWidth() - around) {
        lbRss->setText(lbRss->fontMetrics().elidedText(text, Qt::ElideRight, qMax(0, MaxStripWidth() - around)));
        lbRss->adjustSize();
    }
    const int w = lbRss->width() + around;
    resize(w, kStripHeight);
    imClose->move(w - imClose->width() - 4, 1);
}

void TRSSView::ShowDescriptionWindow()
{
    DescriptionWindow->SetColor(palette().color(QPalette::ToolTipBase));
    const QString text = DescriptionText(CurrentItem);
    if (text.isEmpty())
        return; // nothing to say: leave the window as it is
    // Only under a strip that shows, and never over an open dialog.
    if (!isVisible() || DialogStacking::ModalDialogOpen())
        return;
    QRect rect = DescriptionWindow->CalcHintRect(TDescriptionWindow::kMaxWidth, text);
    if (const QScreen* s = screen())
        rect.setHeight(qMin(rect.height(), s->availableGeometry().height())); // never taller than the screen
    rect.moveTopLeft(mapToGlobal(QPoint(0, height())));
    DescriptionWindow->ActivateHint(rect, text);
}

int TRSSView::MaxStripWidth() const
{
    const QScreen* s = screen();
    return s ? s->availableGeometry().width() : std::numeric_limits<int>::max() / 2;
}

void TRSSView::closeEvent(QCloseEvent* event)
{
    // Closing the ticker ends the program, through the organiser's close road;
    // the strip and its description go at once.
    if (host) {
        event->ignore();
        hide();
        host->EndProgram();
        return;
    }
    QWidget::closeEvent(event);
}

void TRSSView::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
