// The ticker as a drop target: whatever is dropped on the strip goes to the
// organiser's intake, with no node of the tree selected. Without an
// organiser a drop is taken and nothing happens.
#include "ticker/RssViews.h"

#include "ticker/TickerHost.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>

void TRSSView::InitDropTarget() { setAcceptDrops(true); }

void TRSSView::dragEnterEvent(QDragEnterEvent* event)
{
    // Every drag is welcome; what it carries is looked at on the drop.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TRSSView::dragMoveEvent(QDragMoveEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TRSSView::dropEvent(QDropEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (host)
        host->DropOnTicker(event->mimeData());
}
