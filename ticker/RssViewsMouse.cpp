// The ticker under the mouse: full opacity and the item held while the mouse
// is over it, dragging the strip, and the close glyph.
//
// Which part reacts to what follows the strip's design: a press starts a drag
// on the window or the title only; moves over the window or the title show the
// description and drag; a release on the window, the title or the marks ends
// the drag and stores the position; the close glyph only closes.
#include "ticker/RssViews.h"

#include "platform/Clock.h"
#include "ticker/DescriptionWindow.h"
#include "ticker/TickerHost.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

// A double click on the title, the feed icon or a media mark, and the menu
// entry: the organiser opens the current item's link, under the wait cursor,
// and no drag is left behind. The link is copied: the strip may change items
// while it opens.
void TRSSView::OpenActualLink()
{
    SetOpacity(255);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    DragAnchor = QPoint(-1, -1);
    const QString link = CurrentItem.Link;
    if (ITickerHost* organiser = Host())
        organiser->OpenTarget(link);
    DragAnchor = QPoint(-1, -1);
    QGuiApplication::restoreOverrideCursor();
}

void TRSSView::HitTest()
{
    SetOpacity(255);
    LastChange = Clock().TickCount();
}

void TRSSView::PressAt(const QPoint& pos)
{
    SetOpacity(255);
    DragAnchor = pos;
}

void TRSSView::MoveAt(const QPoint& globalPos)
{
    if (!isVisible())
        return;
    SetOpacity(255);
    RestartTimer(); // also while paused
    ShowDescriptionWindow();
    if (DragAnchor != QPoint(-1, -1)) {
        // The window's left + mouse x - anchor x, taken from the screen
        // position so that a move still on its way does not make it jitter.
        move(globalPos - DragAnchor);
    }
}

void TRSSView::Released()
{
    DragAnchor = QPoint(-1, -1);
    SaveTickerSettings();
}

void TRSSView::CloseGlyphClick()
{
    DescriptionWindow->hide();
    hide();
}

void TRSSView::enterEvent(QEnterEvent* event)
{
    HitTest();
    QWidget::enterEvent(event);
}

void TRSSView::mousePressEvent(QMouseEvent* event)
{
    PressAt(event->position().toPoint());
}

void TRSSView::mouseMoveEvent(QMouseEvent* event)
{
    HitTest();
    MoveAt(event->globalPosition().toPoint());
}

void TRSSView::mouseReleaseEvent(QMouseEvent*) { Released(); }

bool TRSSView::eventFilter(QObject* watched, QEvent* event)
{
    auto* child = qobject_cast<QLabel*>(watched);
    if (!child || child->parentWidget() != this)
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::Enter:
        HitTest();
        return false;
    case QEvent::MouseButtonPress:
        if (child == lbRss)
            PressAt(child->mapTo(this, static_cast<QMouseEvent*>(event)->position().toPoint()));
        return true;
    case QEvent::MouseMove:
        HitTest();
        if (child == lbRss)
            MoveAt(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonDblClick:
        if (child != imClose)
            OpenActualLink();
        return true;
    case QEvent::MouseButtonRelease:
        if (child == imClose) {
            if (child->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                CloseGlyphClick();
        } else {
            SetOpacity(255);
            Released();
        }
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}
