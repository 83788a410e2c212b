#include "widgets/Gradient.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <limits>

namespace {
const QRgb kSentinel = qRgb(1, 2, 3);
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

QRgb Grey(int v) { return qRgb(v, v, v); }

TGradientSettings Colours(QColor start, QColor mid, QColor end, bool centre = false,
                          TGradMode mode = gmVertical, double scale = 1)
{
    TGradientSettings s;
    s.GradientStart = start, s.GradientMid = mid, s.GradientEnd = end;
    s.CenterColor = centre, s.GradMode = mode, s.ColorScale = scale;
    return s;
}

// Painted on an image of the given size (at least 10 x 10) filled with a sentinel.
QImage Painted(const TGradientSettings& s, int w, int h)
{
    QImage image(std::max(w, 10), std::max(h, 10), QImage::Format_RGB32);
    image.fill(kSentinel);
    QPainter painter(&image);
    PaintGradient(painter, w, h, s);
    return image;
}

struct Pixel {
    int w, h, x, y;
    QRgb expected;
};

void ExpectPixels(const TGradientSettings& s, std::initializer_list<Pixel> pixels)
{
    for (const Pixel& p : pixels)
        EXPECT_EQ(Painted(s, p.w, p.h).pixel(p.x, p.y), p.expected)
            << p.x << "," << p.y << " of " << p.w << "x" << p.h;
}

// Without the centre colour: A + (B - A) y / H, truncating towards zero;
// GradMode and GradientEnd play no part.
TEST(GradientTest, PlainRampRows)
{
    ExpectPixels(Colours(Grey(128), QColor(239, 10, 128), Qt::black, false, gmBoth),
                 {{7, 100, 3, 0, Grey(128)}, {7, 100, 0, 50, qRgb(183, 69, 128)},
                  {7, 100, 6, 99, qRgb(237, 12, 128)}});
    ExpectPixels(Colours(Grey(255), Grey(0), Qt::red), {{7, 100, 3, 50, Grey(128)}}); // -127.5 -> -127
    ExpectPixels(Colours(Grey(0), Grey(255), Qt::red), {{7, 3, 3, 2, Grey(170)}});
}

TEST(GradientTest, ThreeEqualColoursFillFlat)
{
    for (TGradMode mode : {gmVertical, gmHorizontal, gmBoth})
        for (bool centre : {false, true}) {
            const QImage image = Painted(Colours(Qt::red, Qt::red, Qt::red, centre, mode, 0), 13, 9);
            for (int i = 0; i < 13 * 9; ++i)
                ASSERT_EQ(image.pixel(i % 13, i / 13), qRgb(255, 0, 0)) << i << " mode " << mode;
        }
}

// Top half counts from GradientStart, bottom half H - y + 1 from GradientEnd,
// both towards GradientMid and never past it; halves round to even.
TEST(GradientTest, VerticalCentreModeRows)
{
    ExpectPixels(Colours(Grey(0), QColor(200, 25, 50), Grey(100), true, gmVertical),
                 {{10, 100, 3, 0, Grey(0)}, {10, 100, 3, 5, qRgb(20, 2, 5)},
                  {10, 100, 3, 7, qRgb(28, 4, 7)}, {10, 100, 3, 49, qRgb(196, 24, 49)},
                  {10, 100, 3, 50, qRgb(200, 25, 50)}, {10, 100, 3, 97, qRgb(108, 94, 96)},
                  {10, 100, 3, 98, qRgb(106, 96, 97)}, {10, 100, 3, 99, qRgb(104, 97, 98)}});
}

TEST(GradientTest, HorizontalCentreModeColumns)
{
    struct Row {
        double scale, midPos;
        std::initializer_list<Pixel> pixels;
    } rows[] = {
        {1, 0.5, {{100, 6, 0, 0, Grey(0)}, {100, 6, 25, 5, Grey(50)}, {100, 6, 49, 0, Grey(98)},
                  {100, 6, 50, 0, Grey(100)}, {100, 6, 75, 5, qRgb(150, 50, 75)},
                  {100, 6, 99, 0, qRgb(198, 2, 51)},
                  // width 5: m = 2.5 rounds to 2, the right ramp owns column 2 on
                  {5, 6, 1, 0, Grey(50)}, {5, 6, 3, 0, qRgb(150, 50, 75)}}},
        // Scale 2: the left ramp reaches the centre early, the right one stops short.
        {2, 0.5, {{100, 6, 10, 0, Grey(40)}, {100, 6, 40, 0, Grey(100)},
                  {100, 6, 51, 0, qRgb(101, 99, 100)}, {100, 6, 99, 0, qRgb(149, 51, 76)}}},
        {1, 0.25, {{100, 6, 10, 0, Grey(40)}, {100, 6, 55, 0, qRgb(140, 60, 80)}}},
    };
    for (const Row& row : rows) {
        TGradientSettings s = Colours(Grey(0), Grey(100), QColor(200, 0, 50), true, gmHorizontal, row.scale);
        s.GradMidPos = row.midPos;
        ExpectPixels(s, row.pixels);
    }
}

// Each pixel is the mean of its column's and its row's ramp; the longer
// side's ramp is sped up so that both reach the centre colour together.
TEST(GradientTest, BothCentreModePixels)
{
    ExpectPixels(Colours(Grey(0), Grey(200), Grey(101), true, gmBoth),
                 {{100, 100, 0, 0, Grey(0)}, {100, 100, 99, 0, Grey(52)}, {100, 100, 0, 99, Grey(52)},
                  {100, 100, 99, 99, Grey(105)}, {100, 100, 49, 49, Grey(196)},
                  {100, 100, 50, 50, Grey(200)}, {200, 100, 10, 20, Grey(60)},
                  {200, 100, 150, 20, Grey(140)}, {100, 200, 20, 10, Grey(60)},
                  {100, 200, 20, 150, Grey(140)}});
}

// Lines centred on the edges: the visible rows of a pen of width p are p / 2
// at the top and (p + 1) / 2 at the bottom; bottom and right are one wider.
TEST(GradientTest, FrameColoursAndWidths)
{
    struct Frame {
        int bevelMode, frameWidth;
        QRgb topLeft, bottomRight;
        int topRows, bottomRows;
    } frames[] = {{1, 2, Grey(0), Grey(255), 1, 2}, {0, 2, qRgb(255, 0, 0), qRgb(0, 255, 0), 1, 2},
                  {7, 3, Grey(0), Grey(255), 2, 3}, {1, 0, 0, 0, 0, 0}};
    const int w = 30, h = 20;
    const QImage bare = Painted(Colours(Qt::red, Qt::blue, Qt::green), w, h);
    for (const Frame& f : frames) {
        TGradientSettings s = Colours(Qt::red, Qt::blue, Qt::green);
        s.BevelMode = f.bevelMode, s.FrameWidth = f.frameWidth;
        const QImage image = Painted(s, w, h);
        for (int i = 0; i < std::max(f.topRows, f.bottomRows) + 1; ++i) {
            const bool top = i < f.topRows, bottom = i < f.bottomRows;
            EXPECT_EQ(image.pixel(w / 2, i), top ? f.topLeft : bare.pixel(w / 2, i)) << i;
            EXPECT_EQ(image.pixel(i, h / 2), top ? f.topLeft : bare.pixel(i, h / 2)) << i;
            EXPECT_EQ(image.pixel(w / 2, h - 1 - i), bottom ? f.bottomRight : bare.pixel(w / 2, h - 1 - i)) << i;
            EXPECT_EQ(image.pixel(w - 1 - i, h / 2), bottom ? f.bottomRight : bare.pixel(w - 1 - i, h / 2)) << i;
        }
    }
}

TEST(GradientTest, GradMidPosTakesOnlyZeroToOne)
{
    const double steps[][2] = {{0.25, 0.25}, {1.5, 0.25}, {-0.01, 0.25}, {1.0, 1.0},
                               {kNaN, 1.0},  {0.0, 0.0},  {kInf, 0.0}};
    TGradient gradient;
    for (const auto& step : steps) {
        gradient.SetGradMidPos(step[0]);
        EXPECT_EQ(gradient.GradMidPos(), step[1]) << step[0];
    }
}

// Empty areas and ramps that would divide by zero paint nothing; extreme
// scales and frame widths paint without overflow.
TEST(GradientTest, DegenerateSizesAndScales)
{
    struct Case {
        int w, h;
        TGradMode mode;
        double scale;
        bool paints;
    } cases[] = {{0, 10, gmVertical, 1, false},  {10, 0, gmBoth, 1, false},
                 {-5, 10, gmBoth, 1, false},     {10, -5, gmHorizontal, 1, false},
                 {10, 10, gmVertical, 0, false}, {10, 10, gmHorizontal, 0, false},
                 {10, 10, gmBoth, 0, false},     {10, 10, gmVertical, kNaN, false},
                 {10, 10, gmHorizontal, kInf, false}, {10, 10, gmBoth, 1e308, false},
                 {1, 9, gmBoth, 1e300, true},    {9, 1, gmHorizontal, 1e-300, true},
                 {1, 1, gmVertical, -3, true},   {2, 2, gmBoth, 1, true}};
    QImage blank(10, 10, QImage::Format_RGB32);
    blank.fill(kSentinel);
    for (const Case& c : cases) {
        TGradientSettings s = Colours(Qt::red, Qt::blue, Qt::green, true, c.mode, c.scale);
        const QImage plain = Painted(s, c.w, c.h);
        if (c.paints)
            EXPECT_NE(plain.pixel(0, 0), kSentinel) << c.w << "x" << c.h << " scale " << c.scale;
        else
            EXPECT_EQ(plain, blank) << c.w << "x" << c.h << " scale " << c.scale;
        // A frame wider than the area covers it, the later lower-right line all
        // of it (a 1 x 1 area has only lines of length 0, which draw nothing).
        s.FrameWidth = std::numeric_limits<int>::max(), s.BevelMode = 1;
        const QRgb corner = Painted(s, c.w, c.h).pixel(0, 0);
        if (c.w <= 0 || c.h <= 0)
            EXPECT_EQ(corner, kSentinel);
        else if (c.w > 1 || c.h > 1)
            EXPECT_EQ(corner, Grey(255)) << c.w << "x" << c.h;
    }
}

// The holder's own painting runs after the gradient and its frame.
TEST(GradientTest, OnPaintRunsLast)
{
    TGradient gradient;
    gradient.SetFrameWidth(3);
    gradient.SetBevelMode(1);
    gradient.resize(20, 10);
    gradient.OnPaint = [](QPainter& painter) { painter.fillRect(QRect(0, 0, 2, 2), Qt::magenta); };
    const QImage image = gradient.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 255));
    EXPECT_EQ(image.pixel(10, 0), Grey(0));
}
} // namespace
