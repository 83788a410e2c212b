#include "ticker/TickerGlyphs.h"

#include <QPainter>
#include <QPolygon>

namespace {
QPixmap Canvas(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    return pm;
}
} // namespace

QPixmap CloseGlyph()
{
    QPixmap pm = Canvas(11, 11);
    QPainter p(&pm);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(0, 0, 10, 10);
    p.setPen(QPen(Qt::black, 1.5));
    p.setRenderHint(QPainter::Antialiasing);
    p.drawLine(QPointF(2.5, 2.5), QPointF(8.5, 8.5));
    p.drawLine(QPointF(8.5, 2.5), QPointF(2.5, 8.5));
    return pm;
}

QPixmap SpeakerGlyph()
{
    QPixmap pm = Canvas(16, 16);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    const QPolygon body({QPoint(2, 6), QPoint(5, 6), QPoint(9, 2), QPoint(9, 14), QPoint(5, 10), QPoint(2, 10)});
    p.drawPolygon(body);
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 4, 6, 8), -60 * 16, 120 * 16);
    p.drawArc(QRectF(7, 2, 9, 12), -60 * 16, 120 * 16);
    return pm;
}

QPixmap FilmGlyph()
{
    QPixmap pm = Canvas(32, 16);
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(1, 2, 30, 12);
    p.setBrush(Qt::white);
    for (int x = 3; x < 30; x += 4) {
        p.drawRect(x, 3, 2, 2);
        p.drawRect(x, 11, 2, 2);
    }
    p.setBrush(QColor(120, 170, 230));
    p.drawRect(4, 6, 10, 4);
    p.drawRect(18, 6, 10, 4);
    return pm;
}
