// The mouse: moving by the strip, sizing by the grip at the text area's
// bottom right, the close glyph, and clicks on links and addresses.
#include "notes/Notes.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextEdit>

bool TFrmNote::OnGrip(const QPoint& inEdit) const
{
    const int dx = RichEdit1->width() - inEdit.x();
    const int dy = RichEdit1->height() - inEdit.y();
    return dx >= 0 && dx < kGripSize && dy >= 0 && dy < kGripSize;
}

bool TFrmNote::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == imClose) {
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            return true; // no drag of the strip starts on the glyph
        if (type == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::LeftButton && imClose->rect().contains(me->position().toPoint()))
                close();
            return true;
        }
        return false;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    if (watched == Panel1 || watched == Panel2)
        return MouseEvent(static_cast<QWidget*>(watched), event);
    if (watched == RichEdit1->viewport() || watched == RichEdit1->verticalScrollBar())
        return MouseEvent(static_cast<QWidget*>(watched), event);
    return false;
}

bool TFrmNote::MouseEvent(QWidget* control, QEvent* event)
{
    auto* me = static_cast<QMouseEvent*>(event);
    const QPoint local = me->position().toPoint();
    const bool inText = control == RichEdit1->viewport() || control == RichEdit1->verticalScrollBar();
    // The grip is measured on the text area, whatever part of it is under the mouse.
    const QPoint inEdit = inText ? control->mapTo(RichEdit1, local) : QPoint(-1, -1);
    const bool onGrip = inText && OnGrip(inEdit);

    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (me->button() != Qt::LeftButton)
            return false;
        if (control == Panel1) {
            MoveAnchor = local;
            return true;
        }
        if (onGrip) {
            SizeAnchor = inEdit;
            return true;
        }
        pressInText = control == RichEdit1->viewport();
        return false;

    case QEvent::MouseMove:
        if (control == RichEdit1->viewport()) {
            if (onGrip || SizeAnchor != QPoint(-1, -1))
                control->setCursor(Qt::SizeFDiagCursor);
            else
                control->setCursor(RichEdit1->isReadOnly() ? Qt::ArrowCursor : Qt::IBeamCursor);
        }
        if (SizeAnchor != QPoint(-1, -1) && inText) {
            resize(std::max(kMinSize, inEdit.x() + width() - SizeAnchor.x()),
                   std::max(kMinSize, inEdit.y() + height() - SizeAnchor.y()));
            SizeAnchor = inEdit;
            return true;
        }
        if (MoveAnchor != QPoint(-1, -1) && control == Panel1) {
            move(local.x() + x() - MoveAnchor.x(), local.y() + y() - MoveAnchor.y());
            return true;
        }
        return false;

    case QEvent::MouseButtonRelease: {
        const bool dragged = MoveAnchor != QPoint(-1, -1) || SizeAnchor != QPoint(-1, -1);
        MoveAnchor = QPoint(-1, -1);
        SizeAnchor = QPoint(-1, -1);
        const bool click = pressInText && control == RichEdit1->viewport() && me->button() == Qt::LeftButton
            && !dragged && !RichEdit1->textCursor().hasSelection();
        pressInText = false;
        if (click) {
            if (!CurrentLink.isEmpty())
                OpenLink(CurrentLink);
            else if (!CurrentMail.isEmpty())
                SendMailTo(CurrentMail, QStringLiteral("Quorbel"));
        }
        return dragged;
    }
    default:
        return false;
    }
}
