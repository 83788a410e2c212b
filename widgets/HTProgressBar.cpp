#include "widgets/HTProgressBar.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>
#include <cmath>

namespace {

// Nearest integer, ties to the even one (the default rounding mode), limited
// to [low, high] so that no cast can overflow.
int RoundEven(double value, int low, int high)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= low))
        return low;
    if (rounded > high)
        return high;
    return static_cast<int>(rounded);
}

// The rectangle between two corners, the right and bottom ones exclusive;
// empty when they do not enclose anything.
QRect Between(int x1, int y1, int x2, int y2)
{
    if (x2 <= x1 || y2 <= y1)
        return QRect();
    return QRect(x1, y1, x2 - x1, y2 - y1);
}

// A rounded rectangle with a corner ellipse of `ellipse` pixels, outline and
// inside in one colour, covering exactly the pixels of `rect`.
void RoundRect(QPainter& painter, const QRect& rect, double ellipse, const QColor& colour)
{
    if (rect.isEmpty())
        return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(rect), ellipse / 2, ellipse / 2);
}

// Where the position stands in the range, 0..1; a range without width is empty.
double FilledFraction(const THTBarSettings& s)
{
    if (s.Max <= s.Min)
        return 0;
    const double f = (double(s.Position) - s.Min) / (double(s.Max) - s.Min);
    return std::clamp(f, 0.0, 1.0);
}

void PaintCaption(QPainter& painter, int w, int h, const QRect& clip, const THTBarSettings& s,
                  const QFont& font)
{
    if (clip.isEmpty())
        return;
    const QFontMetrics metrics(font);
    const long long cw = metrics.horizontalAdvance(s.Caption);
    const long long ch = metrics.height();
    // Halves truncate towards zero; the limit only keeps absurd texts in int range.
    const int x = int(std::clamp((w - cw - 4) / 2, -(1LL << 28), 1LL << 28));
    const int y = int(std::clamp((h - ch - 4) / 2 + 1, -(1LL << 28), 1LL << 28));
    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    painter.fillRect(clip, s.BackColor);
    painter.setFont(font);
    painter.setPen(s.TextColor);
    painter.drawText(QPoint(x, y + metrics.ascent()), s.Caption);
    painter.restore();
}

void PaintSolid(QPainter& painter, int w, int h, const THTBarSettings& s, const QFont& font)
{
    const double f = FilledFraction(s);
    QRect clip;
    if (s.Orientation == Qt::Horizontal) {
        const int filled = RoundEven((double(w) - 4) * f, 0, w);
        const int x = std::max(3, filled);
        if (x > 3)
            RoundRect(painter, Between(3, 3, x, h - 4), 5, s.BarColor);
        const int x2 = std::max(2, filled);
        clip = Between(x2, 3, w - 4, h - 4);
        if (x2 < w - 4)
            RoundRect(painter, clip, 5, s.BackColor);
    } else {
        // Grows from the bottom: g is the unfilled share.
        const double g = 1 - f;
        const int top = RoundEven(double(h) * g, 0, h);
        painter.fillRect(Between(3, std::max(2, top), w - 4, h - 4), s.BarColor);
        clip = Between(3, 3, w - 4, top);
        painter.fillRect(clip, s.BackColor);
    }
    PaintCaption(painter, w, h, clip, s, font);
}

void PaintBubbles(QPainter& painter, int w, int h, const THTBarSettings& s)
{
    const int total = s.TotalBubbles;
    if (s.Max == 0 || total <= 0)
        return;
    // The count uses Position / Max only, not the range.
    const int position = s.Min <= s.Max ? std::clamp(s.Position, s.Min, s.Max) : s.Position;
    const int n = RoundEven(double(position) * total / s.Max, 0, total);
    const long long gaps = (static_cast<long long>(total) + 1) * 3;
    if (s.Orientation == Qt::Horizontal) {
        const long long bw = (w - gaps) / total;
        if (bw <= 0)
            return;
        int x = 4;
        for (int i = 0; i < total; ++i) {
            RoundRect(painter, Between(x, 3, x + int(bw), h - 3), 6,
                      i < n ? s.BarColor : s.BackColor);
            x += int(bw) + 3;
        }
    } else {
        // Only the filled bubbles, from the bottom up; the panel shows above.
        const long long bh = (h - gaps) / total;
        if (bh <= 0)
            return;
        int y = h - 4;
        for (int i = 0; i < n; ++i) {
            RoundRect(painter, Between(3, y - int(bh), w - 3, y), 3, s.BarColor);
            y -= int(bh) + 3;
        }
    }
}

} // namespace

void PaintHTBar(QPainter& painter, int w, int h, const THTBarSettings& settings, const QFont& font)
{
    if (w <= 0 || h <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(QRect(0, 0, w, h), Qt::IntersectClip);
    if (settings.Kind == htSolid)
        PaintSolid(painter, w, h, settings, font);
    else
        PaintBubbles(painter, w, h, settings);
    painter.restore();
}

THTProgressBar::THTProgressBar(QWidget* parent)
    : QFrame(parent)
{
    setGeometry(20, 20, 150, 2 * style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
    SetBevelOuter(bvLowered);
}

void THTProgressBar::SetBarColor(const QColor& value)
{
    bar.BarColor = value;
    update();
}

void THTProgressBar::SetBackColor(const QColor& value)
{
    bar.BackColor = value;
    update();
}

void THTProgressBar::SetMin(int value)
{
    SetRange(value, bar.Max);
}

void THTProgressBar::SetMax(int value)
{
    SetRange(bar.Min, value);
}

void THTProgressBar::SetRange(int low, int high)
{
    if (low >= high)
        return;
    bar.Min = low;
    bar.Max = high;
}

void THTProgressBar::SetKind(THTKinds value)
{
    bar.Kind = value;
    update();
}

void THTProgressBar::SetOrientation(Qt::Orientation value)
{
    bar.Orientation = value;
}

void THTProgressBar::SetCaption(const QString& value)
{
    bar.Caption = value;
    update();
}

void THTProgressBar::SetTotalBubbles(int value)
{
    bar.TotalBubbles = value;
}

void THTProgressBar::SetPosition(int value)
{
    bar.Position = std::max(std::min(value, bar.Max), bar.Min);
    update();
}

void THTProgressBar::SetSmooth(bool value)
{
    smooth = value;
}

void THTProgressBar::SetStep(int value)
{
    step = value;
}

void THTProgressBar::SetBevelOuter(TBevel value)
{
    bevelOuter = value;
    switch (value) {
    case bvNone:
        setFrameStyle(QFrame::NoFrame);
        break;
    case bvLowered:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    case bvRaised:
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    }
    setLineWidth(1);
    update();
}

THTBarSettings THTProgressBar::Settings() const
{
    THTBarSettings settings = bar;
    settings.TextColor = palette().color(QPalette::WindowText);
    return settings;
}

void THTProgressBar::PaintBar(QPainter& painter, int w, int h) const
{
    if (w <= 0 || h <= 0)
        return;
    // The panel first: its button-face background and its bevel, drawn the
    // way the frame draws itself, but at the size asked for.
    painter.save();
    painter.fillRect(QRect(0, 0, w, h), palette().color(QPalette::Button));
    if (frameStyle() != QFrame::NoFrame) {
        QStyleOptionFrame option;
        initStyleOption(&option);
        option.rect = QRect(0, 0, w, h);
        style()->drawControl(QStyle::CE_ShapedFrame, &option, &painter, this);
    }
    painter.restore();
    PaintHTBar(painter, w, h, Settings(), font());
}

void THTProgressBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintBar(painter, width(), height());
}
