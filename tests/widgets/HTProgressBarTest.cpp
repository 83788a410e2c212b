#include "widgets/HTProgressBar.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace {
const QRgb kBar = qRgb(49, 106, 197);
const QRgb kBack = qRgb(0, 200, 0);
constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();

QImage Painted(const THTProgressBar& bar, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    QPainter painter(&image);
    bar.PaintBar(painter, w, h);
    return image;
}

QRgb At(const QImage& image, int line, int i, bool alongRow)
{
    return alongRow ? image.pixel(i, line) : image.pixel(line, i);
}

// First and last pixel of a colour along a row (or a column), -1 when none.
std::pair<int, int> Span(const QImage& image, QRgb colour, int line, bool alongRow)
{
    std::pair<int, int> span{-1, -1};
    for (int i = 0; i < (alongRow ? image.width() : image.height()); ++i)
        if (At(image, line, i, alongRow) == colour)
            span = {span.first < 0 ? i : span.first, i};
    return span;
}

int Runs(const QImage& image, QRgb colour, int line, bool alongRow)
{
    int runs = 0;
    for (int i = 0; i < (alongRow ? image.width() : image.height()); ++i)
        runs += At(image, line, i, alongRow) == colour && (i == 0 || At(image, line, i - 1, alongRow) != colour);
    return runs;
}

void Prepare(THTProgressBar& bar, int min, int max, int position, Qt::Orientation orientation,
           THTKinds kind = htSolid)
{
    bar.SetBackColor(QColor(kBack));
    bar.SetRange(min, max);
    bar.SetPosition(position);
    bar.SetOrientation(orientation);
    bar.SetKind(kind);
}

TEST(HTProgressBarTest, RangeAndPositionSetters)
{
    // {Min to set or INT_MIN, Max to set or INT_MIN, expected Min, expected Max}
    const int ranges[][4] = {{kIntMin, 0, 0, 100}, // Max 0 with Min 0 changes nothing
                             {kIntMin, 5, 0, 5},   {100, kIntMin, 0, 100}, {-5, kIntMin, -5, 100},
                             {99, kIntMin, 99, 100}};
    for (const auto& r : ranges) {
        THTProgressBar bar;
        r[0] == kIntMin ? bar.SetMax(r[1]) : bar.SetMin(r[0]);
        EXPECT_EQ(std::pair(bar.Min(), bar.Max()), std::pair(r[2], r[3])) << r[0] << " " << r[1];
    }
    THTProgressBar bar;
    for (auto [low, high] : {std::pair{10, 10}, std::pair{20, 10}, std::pair{10, 20}})
        bar.SetRange(low, high);
    EXPECT_EQ(std::pair(bar.Min(), bar.Max()), std::pair(10, 20));
    for (auto [value, expected] : {std::pair{5, 10}, std::pair{25, 20}, std::pair{15, 15},
                                   std::pair{kIntMin, 10}, std::pair{kIntMax, 20}}) {
        bar.SetPosition(value);
        EXPECT_EQ(bar.Position(), expected) << value;
    }
}

// Horizontal: filled from column 3, unfilled from max(2, rounded (W - 4) f)
// to W - 5. Vertical, growing from the bottom: filled rows from max(2,
// rounded (H g)) to H - 5, unfilled rows 3 to rounded (H g) - 1.
TEST(HTProgressBarTest, SolidFillBoundaries)
{
    struct Row {
        Qt::Orientation orientation;
        int length, min, max, position;
        std::pair<int, int> bar, back;
    } rows[] = {
        {Qt::Horizontal, 104, 0, 100, 0, {-1, -1}, {2, 99}},
        {Qt::Horizontal, 104, 0, 100, 50, {3, 49}, {50, 99}},
        {Qt::Horizontal, 104, 0, 100, 100, {3, 99}, {-1, -1}},
        {Qt::Horizontal, 104, 50, 150, 100, {3, 49}, {50, 99}},
        {Qt::Horizontal, 29, 0, 10, 5, {3, 11}, {12, 24}}, // 12.5 rounds to 12
        {Qt::Horizontal, 29, 0, 10, 7, {3, 17}, {18, 24}}, // 17.5 rounds to 18
        {Qt::Vertical, 104, 0, 100, 0, {-1, -1}, {3, 103}},
        {Qt::Vertical, 104, 0, 100, 50, {52, 99}, {3, 51}},
        {Qt::Vertical, 104, 0, 100, 75, {26, 99}, {3, 25}},
        {Qt::Vertical, 104, 0, 100, 100, {2, 99}, {-1, -1}},
    };
    for (const Row& row : rows) {
        THTProgressBar bar;
        Prepare(bar, row.min, row.max, row.position, row.orientation);
        const bool across = row.orientation == Qt::Horizontal;
        const QImage image = across ? Painted(bar, row.length, 20) : Painted(bar, 20, row.length);
        EXPECT_EQ(Span(image, kBar, 10, across), row.bar) << row.position << " of " << row.length;
        EXPECT_EQ(Span(image, kBack, 10, across), row.back) << row.position << " of " << row.length;
    }
}

// The caption shows only over the unfilled part; a full bar hides it.
TEST(HTProgressBarTest, CaptionShowsOnlyOverTheUnfilledPart)
{
    struct Row {
        Qt::Orientation orientation;
        int position, limit; // unfilled columns from limit / rows before it
    } rows[] = {{Qt::Horizontal, 0, 2},  {Qt::Horizontal, 50, 78}, {Qt::Horizontal, 100, 0},
                {Qt::Vertical, 0, 40},   {Qt::Vertical, 50, 20},    {Qt::Vertical, 100, 0}};
    for (const Row& row : rows) {
        THTProgressBar bar;
        Prepare(bar, 0, 100, row.position, row.orientation);
        const QImage plain = Painted(bar, 160, 40);
        bar.SetCaption(QStringLiteral("MMMMWWWW 50 %"));
        const QImage captioned = Painted(bar, 160, 40);
        int differing = 0;
        for (int i = 0; i < 160 * 40; ++i) {
            const int x = i % 160, y = i / 160;
            if (plain.pixel(x, y) == captioned.pixel(x, y))
                continue;
            ++differing;
            ASSERT_TRUE(row.orientation == Qt::Horizontal ? x >= row.limit : y < row.limit) << x << "," << y;
        }
        EXPECT_EQ(differing > 0, row.limit > 0) << row.position << " orientation " << row.orientation;
    }
}

// Horizontal: all TotalBubbles drawn, rounded (Position x Total / Max) of
// them filled; vertical: only the filled ones, from the bottom up.
TEST(HTProgressBarTest, BubbleCounts)
{
    struct Row {
        Qt::Orientation orientation;
        int min, max, position, total, filled, unfilled;
    } rows[] = {
        {Qt::Horizontal, 0, 100, 0, 10, 0, 10},   {Qt::Horizontal, 0, 100, 50, 10, 5, 5},
        {Qt::Horizontal, 0, 100, 100, 10, 10, 0}, {Qt::Horizontal, 0, 100, 25, 10, 2, 8}, // 2.5 -> 2
        {Qt::Horizontal, 0, 100, 35, 10, 4, 6},   {Qt::Horizontal, 0, 100, 50, 4, 2, 2},
        {Qt::Horizontal, 50, 100, 50, 10, 5, 5},  // Min plays no part
        {Qt::Horizontal, -10, 0, 0, 10, 0, 0},    // Max 0: no bubbles
        {Qt::Horizontal, 0, 100, 50, 0, 0, 0},    {Qt::Horizontal, 0, 100, 50, -3, 0, 0},
        {Qt::Horizontal, 0, 100, 50, kIntMax, 0, 0}, // no room for one
        {Qt::Vertical, 0, 100, 0, 10, 0, 0},      {Qt::Vertical, 0, 100, 50, 10, 5, 0},
        {Qt::Vertical, 0, 100, 100, 10, 10, 0},   {Qt::Vertical, -10, 0, -5, 10, 0, 0},
    };
    for (const Row& row : rows) {
        THTProgressBar bar;
        Prepare(bar, row.min, row.max, row.position, row.orientation, htBubbles);
        bar.SetTotalBubbles(row.total);
        const bool across = row.orientation == Qt::Horizontal;
        const QImage image = across ? Painted(bar, 150, 20) : Painted(bar, 20, 150);
        EXPECT_EQ(Runs(image, kBar, 10, across), row.filled) << row.position << "/" << row.total;
        EXPECT_EQ(Runs(image, kBack, 10, across), row.unfilled) << row.position << "/" << row.total;
        if (!across && row.filled == 5) // 11 pixels high, 3 apart, the lowest ending at H - 5
            EXPECT_EQ(Span(image, kBar, 10, false), std::pair(79, 145));
    }
}

// Stored states the setters never let through: an empty range paints an
// empty solid bar with its caption; nothing divides by zero or overflows.
TEST(HTProgressBarTest, DegenerateStatesPaintSafely)
{
    struct Odd {
        THTKinds kind;
        int min, max, position, total, w, h;
    } odd[] = {{htSolid, 5, 5, 5, 10, 120, 40},     {htSolid, 10, 0, 5, 10, 120, 40},
               {htBubbles, 0, 0, 0, 10, 150, 20},  {htBubbles, kIntMin, -1, kIntMin, kIntMax, 150, 20},
               {htBubbles, kIntMin, kIntMax, kIntMax, 10, 150, 20},
               {htSolid, kIntMin, kIntMax, kIntMax, 10, 150, 20},
               {htSolid, 0, 100, 50, 10, 3, 3},    {htBubbles, 0, 100, 50, 10, 1, 1}};
    for (const Odd& o : odd)
        for (Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
            THTBarSettings s;
            s.BackColor = QColor(kBack);
            s.Kind = o.kind, s.Min = o.min, s.Max = o.max, s.Position = o.position;
            s.TotalBubbles = o.total, s.Orientation = orientation;
            QImage image(o.w, o.h, QImage::Format_RGB32), captioned(o.w, o.h, QImage::Format_RGB32);
            for (QImage* target : {&image, &captioned}) {
                target->fill(Qt::white);
                QPainter painter(target);
                PaintHTBar(painter, o.w, o.h, s, QFont());
                s.Caption = QStringLiteral("MMMM");
            }
            if (o.max > o.min || o.kind != htSolid)
                continue;
            const bool across = orientation == Qt::Horizontal;
            EXPECT_EQ(Span(image, kBar, 20, across).first, -1) << o.min << ".." << o.max;
            EXPECT_NE(Span(image, kBack, 20, across).first, -1) << o.min << ".." << o.max;
            EXPECT_NE(image, captioned) << o.min << ".." << o.max;
        }
}

// The panel underneath: a lowered bevel by default, none once turned off;
// the widget itself paints exactly what PaintBar paints.
TEST(HTProgressBarTest, PanelBevel)
{
    THTProgressBar bar;
    Prepare(bar, 0, 100, 50, Qt::Horizontal);
    bar.resize(60, 20);
    const QRgb face = QGuiApplication::palette().color(QPalette::Button).rgb();
    const QImage lowered = Painted(bar, 60, 20);
    EXPECT_NE(lowered.pixel(30, 0), face);
    EXPECT_EQ(bar.grab().toImage().convertToFormat(QImage::Format_RGB32), lowered);
    bar.SetBevelOuter(bvNone);
    const QImage flat = Painted(bar, 60, 20);
    EXPECT_EQ(flat.pixel(30, 0), face);
    EXPECT_EQ(flat.pixel(0, 10), face);
    EXPECT_EQ(flat.pixel(10, 10), kBar);
}
} // namespace
