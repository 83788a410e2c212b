#include "widgets/ImageList.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
QPixmap Canvas()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    return pm;
}

void DrawNote(QPainter& p)
{
    p.setPen(QColor(160, 140, 0));
    p.setBrush(QColor(255, 240, 110));
    p.drawRect(2, 1, 11, 13);
    p.setPen(QColor(150, 130, 40));
    for (int y = 4; y <= 11; y += 3)
        p.drawLine(4, y, 11, y);
}

void DrawMissingFile(QPainter& p)
{
    p.setPen(Qt::gray);
    p.setBrush(Qt::white);
    p.drawRect(2, 2, 11, 11);
    p.setPen(QPen(Qt::red, 2));
    p.drawLine(4, 4, 11, 11);
    p.drawLine(11, 4, 4, 11);
}

void DrawFeed(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 130, 20));
    p.drawRoundedRect(0, 0, 16, 16, 3, 3);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(4.5, 11.5), 1.7, 1.7);
    p.setPen(QPen(Qt::white, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-3.5, 3.5, 16, 16), 0, 90 * 16);
    p.drawArc(QRectF(-8.5, -1.5, 26, 26), 0, 90 * 16);
}

void DrawFolder(QPainter& p)
{
    p.setPen(QColor(170, 120, 20));
    p.setBrush(QColor(250, 200, 80));
    QPainterPath path;
    path.moveTo(1, 4);
    path.lineTo(6, 4);
    path.lineTo(7, 5);
    path.lineTo(14, 5);
    path.lineTo(14, 13);
    path.lineTo(1, 13);
    path.closeSubpath();
    p.drawPath(path);
}

void DrawWebLink(QPainter& p)
{
    p.setPen(QColor(30, 70, 160));
    p.setBrush(QColor(220, 232, 255));
    p.drawRect(0, 3, 15, 9);
    QFont f;
    f.setPixelSize(7);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 3, 16, 10), Qt::AlignCenter, QStringLiteral("URL"));
}

void DrawClock(QPainter& p)
{
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawEllipse(1, 1, 13, 13);
    p.drawLine(8, 8, 8, 4);
    p.drawLine(8, 8, 11, 8);
}

void DrawTree(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 80, 40));
    p.drawRect(7, 10, 2, 5);
    p.setBrush(QColor(40, 150, 50));
    p.drawEllipse(2, 1, 12, 11);
}

void DrawLogo(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 90, 170));
    p.drawEllipse(0, 0, 16, 16);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(4, 4, 7, 7));
    p.drawLine(9, 9, 12, 12);
}

void DrawAudio(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 50, 50));
    QPainterPath path;
    path.moveTo(2, 6);
    path.lineTo(5, 6);
    path.lineTo(9, 2);
    path.lineTo(9, 14);
    path.lineTo(5, 10);
    path.lineTo(2, 10);
    path.closeSubpath();
    p.drawPath(path);
    p.setPen(QPen(QColor(50, 50, 50), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 4, 6, 8), -60 * 16, 120 * 16);
}

void DrawVideo(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(1, 2, 14, 12);
    p.setBrush(Qt::white);
    for (int y = 3; y < 13; y += 3) {
        p.drawRect(2, y, 1, 1);
        p.drawRect(13, y, 1, 1);
    }
    p.setBrush(QColor(110, 170, 230));
    p.drawRect(4, 4, 8, 8);
}
} // namespace

int TImageList::Add(const QIcon& icon)
{
    icons.push_back(icon);
    return Count() - 1;
}

void TImageList::Truncate(int count)
{
    if (count < 0)
        count = 0;
    if (count < Count())
        icons.resize(static_cast<size_t>(count));
}

QIcon TImageList::Icon(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    return icons[static_cast<size_t>(index)];
}

QIcon TImageList::Predefined(int index)
{
    using Painter = void (*)(QPainter&);
    static const Painter painters[kPredefinedImageCount] = {
        DrawNote, DrawMissingFile, DrawFeed, DrawFolder, DrawWebLink,
        DrawClock, DrawTree, DrawLogo, DrawAudio, DrawVideo};
    if (index < 0 || index >= kPredefinedImageCount)
        return {};
    QPixmap pm = Canvas();
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        painters[index](p);
    }
    return QIcon(pm);
}

QImage TImageList::ApplicationImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0); // the logo is drawn on a 16-pixel grid
    DrawLogo(p);
    return image;
}

QIcon TImageList::ApplicationIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(ApplicationImage(size)));
    return icon;
}

void TImageList::AddPredefined()
{
    for (int i = 0; i < kPredefinedImageCount; ++i)
        Add(Predefined(i));
}

QIcon TImageList::Placeholder()
{
    QPixmap pm = Canvas();
    {
        QPainter p(&pm);
        p.setPen(QColor(150, 150, 150));
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(2, 2, 11, 11);
    }
    return QIcon(pm);
}
