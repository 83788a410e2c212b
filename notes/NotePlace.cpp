#include "notes/NotePlace.h"

#include <QStringList>

namespace {
constexpr int kGap = 8;

qint64 Overlap(const QRect& a, const QRect& b)
{
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : qint64(both.width()) * both.height();
}

// rect moved (and cut) so that it lies within area.
QRect PulledInto(QRect rect, const QRect& area)
{
    rect.setWidth(qMin(rect.width(), area.width()));
    rect.setHeight(qMin(rect.height(), area.height()));
    rect.moveLeft(qBound(area.left(), rect.left(), area.right() - rect.width() + 1));
    rect.moveTop(qBound(area.top(), rect.top(), area.bottom() - rect.height() + 1));
    return rect;
}
} // namespace

QRect ParseNoteGeometry(const QString& text)
{
    const QStringList parts = text.split(',');
    if (parts.size() != 4)
        return {};
    int values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return {};
    }
    if (values[2] <= 0 || values[3] <= 0)
        return {};
    return QRect(values[0], values[1], values[2], values[3]);
}

QString NoteGeometryText(const QRect& rect)
{
    return QStringLiteral("%1,%2,%3,%4").arg(rect.left()).arg(rect.top()).arg(rect.width()).arg(rect.height());
}

QRect NotePlace(const QRect& stored, const QSize& size, const QRect& occupied, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return stored.isValid() ? stored : QRect(QPoint(0, 0), size);
    if (stored.isValid()) {
        const QRect* best = nullptr;
        for (const QRect& screen : screens)
            if (Overlap(stored, screen) > 0 && (!best || Overlap(stored, screen) > Overlap(stored, *best)))
                best = &screen;
        if (best)
            return PulledInto(stored, *best);
    }
    QRect area = screens.first();
    if (!occupied.isValid())
        return PulledInto(QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size), area);
    for (const QRect& screen : screens)
        if (screen.contains(occupied.center())) {
            area = screen;
            break;
        }
    QRect note(QPoint(occupied.right() + 1 + kGap, occupied.top()), size);
    if (note.right() > area.right())
        note.moveLeft(occupied.left() - kGap - size.width());
    if (note.left() < area.left())
        note.moveTopLeft(QPoint(occupied.left(), occupied.bottom() + 1 + kGap));
    return PulledInto(note, area);
}
