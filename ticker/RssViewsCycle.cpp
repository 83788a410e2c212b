// The ticker's display cycle: the tick, the queue and stepping through it.
#include "ticker/RssViews.h"

#include "app/NewsGlobals.h"
#include "model/ViewNodes.h"
#include "platform/Clock.h"
#include "platform/Connectivity.h"
#include "ticker/DescriptionWindow.h"

#include <QMutexLocker>
#include <QTimer>
#include <QTreeWidgetItemIterator>
#include <cmath>

void TRSSView::Timer1Timer()
{
    {
        QMutexLocker lock(&QueueLock);
        const quint32 now = Clock().TickCount();
        const quint32 due = LastChange + static_cast<quint32>(RSSInterval);
        if (now > due && QueuePos >= 0 && QueuePos < static_cast<qint32>(Queue.size())) {
            const qint32 i = Queue[static_cast<size_t>(QueuePos)];
            if (const TTreeItem* item = PlayList.At(i)) {
                QueuePos = QueuePos + 1 >= static_cast<qint32>(Queue.size()) ? 0 : QueuePos + 1;
                ShowItem(*item);
                LastChange = Clock().TickCount();
            } else {
                QueuePos = 0; // a stale index: start the queue again, show nothing now
            }
        }
    }

    if (!DescriptionShown && opacity != 255) {
        DescriptionWindow->hide();
        DragAnchor = QPoint(-1, -1);
    }
    // Round half to even, as the fading steps (247, 240, 233, ...) expect.
    SetOpacity(static_cast<int>(std::nearbyint(opacity * 0.97)));
    // Others pause and release the cycle too (the scheduler, start-up): the
    // menu's mark catches up at every tick.
    if (Pause1)
        Pause1->setChecked(Paused);
}

void TRSSView::RebuildQueue(QTreeWidget* view)
{
    QMutexLocker lock(&QueueLock);
    PlayList.Clear();
    // A headline on show whose item left the tree (deleted, emptied, aged
    // out) gives way at once: it is neither shown nor opened any more.
    const bool showsNews = CurrentItem.IsKind(kNewsItem);
    bool currentInTree = false;
    {
        TUpdateGuard updates(view);
        if (view && NewsData) {
            const TDateTime now = NowDateTime();
            int connected = -1; // asked once, at the first feed
            for (QTreeWidgetItemIterator it(view); *it; ++it) {
                QTreeWidgetItem* node = *it;
                const TTreeItem* feed = NewsData->NodeItem(node);
                if (!feed || !feed->IsKind(kFeed))
                    continue;
                int hours = feed->GetOptionInt(kOptShowNewsFor, ShowNewsFor);
                if (connected < 0)
                    connected = Connectivity().IsConnected() ? 1 : 0;
                if (!connected)
                    hours = 0; // offline every item passes
                const double limit = hours / 24.0;
                // The feed's items are its leading run of news children.
                for (int k = 0, n = node->childCount(); k < n; ++k) {
                    TTreeItem* child = NewsData->NodeItem(node->child(k));
                    if (!child || !child->IsKind(kNewsItem))
                        break;
                    if (showsNews && !currentInTree && child->Link == CurrentItem.Link
                        && child->Title == CurrentItem.Title)
                        currentInTree = true;
                    if (hours != 0 && now >= child->TimeStamp + limit
                        && (!ShowNewsOnce || child->LastShown != 0))
                        continue;
                    child->IconIdx = feed->IconIdx;
                    PlayList.AddCopy(*child);
                }
            }
        }
    }
    Queue = PlayList.RandomOrder();
    QueuePos = 0;
    if (showsNews && !currentInTree && view) {
        if (const TTreeItem* next = Queue.empty() ? nullptr : PlayList.At(Queue.front())) {
            QueuePos = Queue.size() > 1 ? 1 : 0;
            ShowItem(*next);
        } else {
            ShowItem(TTreeItem(QString(), QString(), QString(), QString(), QString(), QStringLiteral("0")));
        }
    }
    SetTimerEnabled(!Paused);
}

void TRSSView::SetPaused(bool paused)
{
    Paused = paused;
    LastChange = Clock().TickCount();
    // Runs afterwards whatever the value; the next ShowItem or RebuildQueue
    // stops it while paused.
    RestartTimer();
}

void TRSSView::TogglePause()
{
    SetPaused(!Paused);
    SetTimerEnabled(!Paused);
}

void TRSSView::Next()
{
    if (Queue.empty())
        return;
    const qint32 last = static_cast<qint32>(Queue.size()) - 1;
    QueuePos = QueuePos >= last || QueuePos < 0 ? 0 : QueuePos + 1;
    if (const TTreeItem* item = PlayList.At(Queue[static_cast<size_t>(QueuePos)]))
        ShowItem(*item);
}

void TRSSView::Previous()
{
    if (Queue.empty())
        return;
    Timer1->stop();
    const qint32 last = static_cast<qint32>(Queue.size()) - 1;
    QueuePos = QueuePos <= 0 || QueuePos > last + 1 ? last : QueuePos - 1;
    if (const TTreeItem* item = PlayList.At(Queue[static_cast<size_t>(QueuePos)]))
        ShowItem(*item);
    Timer1->start(); // also while paused
}
