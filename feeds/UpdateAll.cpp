#include "feeds/UpdateAll.h"

#include "app/NewsGlobals.h"
#include "language/LangManager.h"
#include "model/TreeItems.h"
#include "model/ViewNodes.h"
#include "widgets/Gradient.h"
#include "widgets/HTProgressBar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <vector>

namespace {
const QSize kClientSize(201, 89);
const QColor kBarColor(49, 106, 197); // colour value 12937777

// Every feed node of the tree in pre-order, held weakly.
std::vector<TNodeRef> FeedNodes(QTreeWidget* tree)
{
    std::vector<TNodeRef> feeds;
    if (!tree || !NewsData)
        return feeds;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const TTreeItem* item = NewsData->NodeItem(*it);
        if (item && item->IsKind(kFeed))
            feeds.emplace_back(*it);
    }
    return feeds;
}
} // namespace

QString ProgressCaption(int i, int count)
{
    if (count <= 0)
        return QStringLiteral("0 %");
    const qint64 scaled = qint64(i) * 100;
    qint64 q = scaled / count;
    const qint64 twiceRest = 2 * (scaled % count);
    if (twiceRest > count || (twiceRest == count && q % 2 != 0))
        ++q;
    return QString::number(q) + QStringLiteral(" %");
}

TFrmUpdateAll::TFrmUpdateAll(QWidget* owner, TStart start, TCancelled cancelled)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                         | Qt::CustomizeWindowHint),
      start(std::move(start)), cancelled(std::move(cancelled))
{
    setObjectName(QStringLiteral("FrmUpdateAll"));
    setWindowTitle(QStringLiteral("Update All RSS"));
    setFixedSize(kClientSize);

    Gradient1 = new TGradient(this);
    Gradient1->setObjectName(QStringLiteral("Gradient1"));
    Gradient1->SetGradientStart(QColor(128, 128, 128));
    Gradient1->SetGradientEnd(Qt::black);
    Gradient1->setGeometry(rect());

    Label1 = new QLabel(this);
    Label1->setTextFormat(Qt::PlainText); // a caption that looks like HTML is shown as written
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setProperty("quorbelNoTranslate", true); // it shows feed captions
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    font.setBold(true);
    Label1->setFont(font);
    Label1->setGeometry(8, 8, kClientSize.width() - 16, 18);

    HTProgressBar1 = new THTProgressBar(this);
    HTProgressBar1->setObjectName(QStringLiteral("HTProgressBar1"));
    HTProgressBar1->setGeometry(5, 30, 193, 19);
    HTProgressBar1->SetKind(htSolid);
    HTProgressBar1->SetBarColor(kBarColor);
    HTProgressBar1->SetBevelOuter(bvNone);

    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Cancel->setGeometry(56, 56, 75, 25);
    connect(Cancel, &QPushButton::clicked, this, &TFrmUpdateAll::CancelClick);
}

TFrmUpdateAll::~TFrmUpdateAll() = default;

void TFrmUpdateAll::ShowCentred()
{
    if (NewsData && NewsData->LanMan)
        NewsData->LanMan->TranslateForm(this, false);
    FitToCaption();
    // The frame is known only once the window has been shown: centre again then.
    Centre();
    show();
    Centre();
    raise();
    activateWindow();
}

void TFrmUpdateAll::FitToCaption()
{
    // A window manager elides a caption that does not fit between the title
    // bar's icon and buttons: the window widens (never below its design
    // width) and its parts follow, so the caption reads whole.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    const int width = qMax(kClientSize.width(),
                           QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + kTitleBarRoom);
    const int extra = width - kClientSize.width();
    setFixedSize(width, kClientSize.height());
    Label1->setGeometry(8, 8, width - 16, 18);
    HTProgressBar1->setGeometry(5, 30, 193 + extra, 19);
    Cancel->move(56 + extra / 2, 56);
}

void TFrmUpdateAll::Centre()
{
    if (QWidget* owner = parentWidget()) {
        const QRect frame = frameGeometry();
        move(owner->frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
}

void TFrmUpdateAll::UpdateAllFeeds(QTreeWidget* tree)
{
    if (running)
        return;
    running = true;
    Cancelled = false;
    Failed.clear();
    const std::vector<TNodeRef> feeds = FeedNodes(tree);
    count = static_cast<int>(feeds.size());
    done = 0;
    HTProgressBar1->SetMax(count);
    // Nothing of the previous run shows before the first feed.
    HTProgressBar1->SetPosition(0);
    HTProgressBar1->SetCaption(QString());
    Label1->clear();
    QList<QPair<QString, TNodeRef>> jobs;
    for (const TNodeRef& ref : feeds) {
        const TTreeItem* item = ItemOf(ref.In(tree));
        if (item)
            jobs.append({item->Link, ref});
    }
    if (jobs.isEmpty()) {
        Finish();
        return;
    }
    if (start)
        start(jobs);
}

void TFrmUpdateAll::FeedDone(const QString& caption, const QString& failedUrl)
{
    if (!running)
        return;
    if (!failedUrl.isEmpty())
        Failed << failedUrl;
    ++done;
    HTProgressBar1->SetPosition(done);
    Label1->setText(caption);
    HTProgressBar1->SetCaption(ProgressCaption(done, count));
    if (AfterFeedDone)
        AfterFeedDone(done);
}

void TFrmUpdateAll::Finish()
{
    running = false;
    close();
}

void TFrmUpdateAll::CancelClick()
{
    close(); // the close event cancels
}

void TFrmUpdateAll::closeEvent(QCloseEvent* event)
{
    // The caption's close button stops the run as Cancel does.
    if (running && !Cancelled) {
        Cancelled = true;
        if (cancelled)
            cancelled();
    }
    QWidget::closeEvent(event);
}

void TFrmUpdateAll::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Gradient1->setGeometry(rect());
}
