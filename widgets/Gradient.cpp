#include "widgets/Gradient.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QPolygon>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

using Rgb = std::array<int, 3>;
using Step = std::array<double, 3>;

Rgb ToRgb(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return {rgb.red(), rgb.green(), rgb.blue()};
}

QColor ToColor(const Rgb& rgb)
{
    return QColor(rgb[0], rgb[1], rgb[2]);
}

// Ties go to the even neighbour (the default floating-point rounding mode).
double RoundEven(double value)
{
    return std::nearbyint(value);
}

int RoundToInt(double value, int low, int high)
{
    const double rounded = RoundEven(value);
    if (!(rounded >= low))
        return low;
    if (rounded > high)
        return high;
    return static_cast<int>(rounded);
}

bool Finite(const Step& step)
{
    return std::all_of(step.begin(), step.end(), [](double d) { return std::isfinite(d); });
}

bool UsableScale(double scale)
{
    return scale != 0 && std::isfinite(scale);
}

// Per channel 2 (c2 - c1) scale / extent: with scale 1 the ramp reaches c2
// at half the extent. False when the ramp cannot be computed.
bool StepOver(const Rgb& c1, const Rgb& c2, int extent, double scale, Step& step)
{
    if (extent <= 0 || !UsableScale(scale))
        return false;
    for (int i = 0; i < 3; ++i)
        step[i] = 2.0 * (c2[i] - c1[i]) * scale / extent;
    return Finite(step);
}

// Per channel (c2 - c1) scale / length; a length of 0 takes c2's channels.
bool StepToPosition(const Rgb& c1, const Rgb& c2, int length, double scale, Step& step)
{
    if (!UsableScale(scale))
        return false;
    for (int i = 0; i < 3; ++i)
        step[i] = length == 0 ? c2[i] : double(c2[i] - c1[i]) * scale / length;
    return Finite(step);
}

// The ramp's colour i steps from its start (or its end), never past c2.
Rgb ColourAt(int i, const Rgb& c1, const Rgb& c2, const Step& step, int extent, bool fromStart)
{
    const double k = fromStart ? double(i) : double(extent) - i + 1;
    Rgb out;
    for (int c = 0; c < 3; ++c) {
        double value = c1[c] + RoundEven(k * step[c]);
        value = step[c] > 0 ? std::min(value, double(c2[c])) : std::max(value, double(c2[c]));
        out[c] = RoundToInt(value, 0, 255);
    }
    return out;
}

Rgb Mean(const Rgb& p, const Rgb& q)
{
    return {(p[0] + q[0]) / 2, (p[1] + q[1]) / 2, (p[2] + q[2]) / 2};
}

void PaintPlainRamp(QPainter& painter, int w, int h, const Rgb& a, const Rgb& b)
{
    // Row h and beyond lie outside the area; 64 bits keep (B - A) y in range.
    for (int y = 0; y < h; ++y) {
        Rgb row;
        for (int c = 0; c < 3; ++c)
            row[c] = a[c] + int(static_cast<long long>(b[c] - a[c]) * y / h);
        painter.fillRect(QRect(0, y, w, 1), ToColor(row));
    }
}

void PaintVertical(QPainter& painter, int w, int h, const TGradientSettings& s,
                   const Rgb& start, const Rgb& mid, const Rgb& end)
{
    Step step;
    if (StepOver(start, mid, h, s.ColorScale, step))
        for (int y = 0; y <= h / 2 && y < h; ++y)
            painter.fillRect(QRect(0, y, w, 1), ToColor(ColourAt(y, start, mid, step, h, true)));
    if (StepOver(end, mid, h, s.ColorScale, step))
        for (int y = h / 2; y < h; ++y)
            painter.fillRect(QRect(0, y, w, 1), ToColor(ColourAt(y, end, mid, step, h, false)));
}

void PaintHorizontal(QPainter& painter, int w, int h, const TGradientSettings& s,
                     const Rgb& start, const Rgb& mid, const Rgb& end)
{
    // Settings handed in directly may carry any position; the widget keeps 0..1.
    const double midPos = s.GradMidPos >= 0 && s.GradMidPos <= 1 ? s.GradMidPos : 0.5;
    const int m = RoundToInt(w * midPos, 0, w);
    Step step;
    if (StepToPosition(start, mid, m, s.ColorScale, step))
        for (int x = 0; x <= m && x < w; ++x)
            painter.fillRect(QRect(x, 0, 1, h), ToColor(ColourAt(x, start, mid, step, m, true)));
    const int n = RoundToInt((1 - midPos) * w, 0, w);
    if (UsableScale(s.ColorScale) && StepToPosition(mid, end, n, 1 / s.ColorScale, step))
        for (int x = m; x < w; ++x)
            painter.fillRect(QRect(x, 0, 1, h), ToColor(ColourAt(x - m, mid, end, step, n, true)));
}

void PaintBoth(QPainter& painter, int w, int h, const TGradientSettings& s,
               const Rgb& start, const Rgb& mid, const Rgb& end)
{
    // The longer side runs faster so that both ramps reach the centre colour
    // at the same distance from the edges.
    const double shorter = std::min(w, h);
    const double longer = std::max(w, h);
    const double scaleW = w > h ? s.ColorScale * (longer / shorter) : s.ColorScale;
    const double scaleH = h > w ? s.ColorScale * (longer / shorter) : s.ColorScale;
    Step leftStep, rightStep, topStep, bottomStep;
    if (!StepOver(start, mid, w, scaleW, leftStep) || !StepOver(end, mid, w, scaleW, rightStep)
        || !StepOver(start, mid, h, scaleH, topStep) || !StepOver(end, mid, h, scaleH, bottomStep))
        return;

    const int halfW = w / 2;
    const int halfH = h / 2;
    std::vector<Rgb> columns(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x)
        columns[size_t(x)] = x < halfW ? ColourAt(x, start, mid, leftStep, w, true)
                                       : ColourAt(x, end, mid, rightStep, w, false);
    for (int y = 0; y < h; ++y) {
        const Rgb vertical = y < halfH ? ColourAt(y, start, mid, topStep, h, true)
                                       : ColourAt(y, end, mid, bottomStep, h, false);
        // One rectangle per run of equal colour, each quadrant on its own.
        for (const auto& [from, to] : {std::pair{0, halfW}, std::pair{halfW, w}}) {
            int runStart = from;
            while (runStart < to) {
                const Rgb colour = Mean(columns[size_t(runStart)], vertical);
                int runEnd = runStart + 1;
                while (runEnd < to && Mean(columns[size_t(runEnd)], vertical) == colour)
                    ++runEnd;
                painter.fillRect(QRect(runStart, y, runEnd - runStart, 1), ToColor(colour));
                runStart = runEnd;
            }
        }
    }
}

void PaintFrame(QPainter& painter, int w, int h, const TGradientSettings& s)
{
    // A pen wider than the area covers all of it already; the limit keeps
    // huge stored widths away from the rasteriser's arithmetic.
    const double limit = 2.0 * (double(w) + h) + 2;
    const double width = std::min(double(s.FrameWidth), limit);
    const bool blackWhite = s.BevelMode != 0;
    QPen pen(blackWhite ? QColor(Qt::black) : s.GradientStart.toRgb());
    pen.setStyle(Qt::SolidLine);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setWidthF(width);
    painter.setPen(pen);
    painter.drawLine(0, 0, w - 1, 0);
    painter.drawLine(0, 0, 0, h - 1);
    pen.setColor(blackWhite ? QColor(Qt::white) : s.GradientEnd.toRgb());
    pen.setWidthF(std::min(double(s.FrameWidth) + 1, limit));
    painter.setPen(pen);
    const QPoint lowerRight[] = {QPoint(0, h - 1), QPoint(w - 1, h - 1), QPoint(w - 1, 0)};
    painter.drawPolyline(lowerRight, 3);
}

} // namespace

void PaintGradient(QPainter& painter, int w, int h, const TGradientSettings& settings)
{
    if (w <= 0 || h <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // Wide frame pens reach past the edges; keep them inside the area.
    painter.setClipRect(QRect(0, 0, w, h), Qt::IntersectClip);
    const Rgb start = ToRgb(settings.GradientStart);
    const Rgb mid = ToRgb(settings.GradientMid);
    const Rgb end = ToRgb(settings.GradientEnd);
    if (start == mid && mid == end)
        painter.fillRect(QRect(0, 0, w, h), ToColor(start));
    else if (!settings.CenterColor)
        PaintPlainRamp(painter, w, h, start, mid);
    else if (settings.GradMode == gmVertical)
        PaintVertical(painter, w, h, settings, start, mid, end);
    else if (settings.GradMode == gmHorizontal)
        PaintHorizontal(painter, w, h, settings, start, mid, end);
    else
        PaintBoth(painter, w, h, settings, start, mid, end);
    if (settings.FrameWidth > 0)
        PaintFrame(painter, w, h, settings);
    painter.restore();
}

TGradient::TGradient(QWidget* parent)
    : QWidget(parent)
{
    // A background only: it never takes the focus.
    setFocusPolicy(Qt::NoFocus);
    settings.GradientMid = QGuiApplication::palette().color(QPalette::Button);
}

void TGradient::SetBevelMode(int value)
{
    settings.BevelMode = value;
    update();
}

void TGradient::SetCenterColor(bool value)
{
    settings.CenterColor = value;
    update();
}

void TGradient::SetColorScale(double value)
{
    settings.ColorScale = value;
    update();
}

void TGradient::SetGradientStart(const QColor& value)
{
    settings.GradientStart = value;
    update();
}

void TGradient::SetGradientMid(const QColor& value)
{
    settings.GradientMid = value;
    update();
}

void TGradient::SetGradientEnd(const QColor& value)
{
    settings.GradientEnd = value;
    update();
}

void TGradient::SetGradMidPos(double value)
{
    if (value >= 0 && value <= 1)
        settings.GradMidPos = value;
    update();
}

void TGradient::SetGradMode(TGradMode value)
{
    settings.GradMode = value;
    update();
}

void TGradient::SetFrameWidth(int value)
{
    settings.FrameWidth = value;
    update();
}

void TGradient::Paint(QPainter& painter)
{
    PaintGradient(painter, width(), height(), settings);
    if (OnPaint)
        OnPaint(painter);
}

void TGradient::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Paint(painter);
}
