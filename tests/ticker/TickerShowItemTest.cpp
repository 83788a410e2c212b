// Showing one item: captions, hint value, widths, marks, icon and the
// description window.
#include "TickerFixture.h"

#include "app/NewsGlobals.h"
#include "ticker/DescriptionWindow.h"

#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace {
using TickerShowItemTest = TickerFixture;

TEST_F(TickerShowItemTest, WidthsMarksAndCloseGlyph)
{
    struct {
        const char* link;
        int extra;
        bool speaker;
        bool video;
    } cases[] = {
        {"http://h/page.html", 0, false, false},
        {"http://h/show.mp3", 34, true, false},
        {"http://h/clip.mp4", 50, false, true},
        {"http://h/clip.mp4?x=1", 50, false, true},
        {"", 0, false, false},
        {"http://h/show.mp3", 34, true, false},
    };
    for (const auto& c : cases) {
        auto item = Item("The same title", c.link);
        view->ShowItem(*item);
        const int base = view->lbRss->width() + 16 + 11 + 12;
        EXPECT_GT(view->lbRss->width(), 40) << "the title label sizes itself";
        EXPECT_EQ(view->width(), base + c.extra) << c.link;
        EXPECT_EQ(view->imClose->geometry(), QRect(view->width() - 15, 1, 11, 11)) << c.link;
        EXPECT_EQ(view->imSpeaker->isVisible(), c.speaker) << c.link;
        EXPECT_EQ(view->imVideo->isVisible(), c.video) << c.link;
        if (c.speaker)
            EXPECT_EQ(view->imSpeaker->x(), view->width() - 11 - 22);
        if (c.video)
            EXPECT_EQ(view->imVideo->x(), view->width() - 11 - 22);
    }
    EXPECT_EQ(view->imSpeaker->width(), 16);
    EXPECT_EQ(view->imVideo->width(), 32);
}

TEST_F(TickerShowItemTest, NeverLargerThanTheScreen)
{
    // A title far wider than the screen is elided; the strip, with its
    // speaker mark, still fits, and so does a description of a thousand lines.
    const QRect screen = view->screen()->availableGeometry();
    QString description;
    for (int i = 0; i < 1000; ++i)
        description += QStringLiteral("line %1<br>\r\n").arg(i);
    auto item = Item(QString(5000, 'W'), "http://h/show.mp3", description);
    view->ShowItem(*item);
    EXPECT_LE(view->width(), screen.width());
    EXPECT_TRUE(view->lbRss->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(view->width(), view->lbRss->width() + 16 + 11 + 12 + 34);
    EXPECT_EQ(view->imClose->geometry().right(), view->width() - 4 - 1);
    EXPECT_LE(view->DescriptionWindow->height(), screen.height());
    // An image index from another installation's file draws nothing.
    item->IconIdx = 100000;
    view->ShowItem(*item);
    EXPECT_TRUE(view->Image1->pixmap().isNull());
}

TEST_F(TickerShowItemTest, CaptionsAndHintValue)
{
    struct {
        const char* title;
        const char* description;
        const char* link;
        const char* date;
        QString caption;
        QString pubDate;
        QString hint;
    } cases[] = {
        {"Plain", "<p>Two</p> <b>words</b>", "http://host/dir/feed", "2026-12-08 07:05:09", "Plain",
         "08.12 - 07:05", "Two words\r\nhttp://host/ 08.12 - 07:05"},
        {"Blank description", " \t ", "http://host", "2026-01-02 23:59:00", "Blank description",
         "02.01 - 23:59", "http://host\\ 02.01 - 23:59"},
        {"No date", "", "", "0", "No date", "30.12 - 00:00", "\\ 30.12 - 00:00"},
        // The title is plain already; the label shows it as it is.
        {"&amp;lt;x", "", "http://h/", "0", "&lt;x", "30.12 - 00:00", "http://h/ 30.12 - 00:00"},
        {"x &lt; y &lt;b&gt;", "", "http://h/", "0", "x < y <b>", "30.12 - 00:00", "http://h/ 30.12 - 00:00"},
    };
    for (const auto& c : cases) {
        auto item = Item(c.title, c.link, c.description, c.date);
        view->ShowItem(*item);
        EXPECT_EQ(view->lbRss->text(), c.caption) << c.title;
        EXPECT_EQ(view->lbPubDate->text(), c.pubDate) << c.title;
        EXPECT_EQ(view->Hint(), c.hint) << c.title;
        EXPECT_EQ(view->lbRss->statusTip(), c.hint);
        EXPECT_TRUE(view->lbRss->toolTip().isEmpty()) << "a hint value, not a tool tip";
    }
}

TEST_F(TickerShowItemTest, FeedIconFromTheImageList)
{
    TNewsData data(home.Path());
    struct {
        int icon;
        bool picture;
    } cases[] = {{2, true}, {-1, false}, {9, true}};
    for (const auto& c : cases) {
        auto item = Item("T");
        item->IconIdx = c.icon;
        view->ShowItem(*item);
        EXPECT_EQ(!view->Image1->pixmap().isNull(), c.picture) << c.icon;
        if (c.picture)
            EXPECT_EQ(view->Image1->pixmap().toImage(),
                      data.imIcons.Icon(c.icon).pixmap(16, 16).toImage());
    }
}

TEST_F(TickerShowItemTest, DescriptionShownRule)
{
    struct {
        bool showDescription;
        const char* options;
        bool shown;
    } cases[] = {{true, "", true},       {true, "SDR=0", true}, {false, "", false},
                 {false, "SDR=1", true}, {false, "SDR=256", false}, {false, "SDR=2", true}};
    for (const auto& c : cases) {
        view->ShowDescription = c.showDescription;
        auto item = Item("T", "http://h/a", "Desc", "2026-12-08 07:05", c.options);
        view->ShowItem(*item);
        EXPECT_EQ(view->DescriptionShown, c.shown) << c.options;
        EXPECT_EQ(view->DescriptionWindow->isVisible(), c.shown) << c.options;
    }
}

TEST_F(TickerShowItemTest, DescriptionWindowTextAndPlace)
{
    struct {
        const char* description;
        const char* link;
        const char* date;
        QString text;
    } cases[] = {
        {"<i>Hello</i> world", "http://h/x/y", "2026-12-08 07:05:09",
         "Hello world\r\nhttp://h/ 2026-12-08 07:05:09"},
        {"", "http://h/x/y", "0", "http://h/ "},
        {"", "", "2026-12-08", "2026-12-08 00:00:00"},
        {"Only text", "", "0", "Only text\r\n"},
    };
    view->move(200, 300);
    for (const auto& c : cases) {
        auto item = Item("T", c.link, c.description, c.date);
        view->ShowItem(*item);
        TDescriptionWindow* w = view->DescriptionWindow;
        ASSERT_TRUE(w->isVisible());
        EXPECT_EQ(w->HintText(), c.text) << c.description;
        EXPECT_EQ(w->pos(), view->mapToGlobal(QPoint(0, view->height())));
        EXPECT_LE(w->width(), TDescriptionWindow::kMaxWidth + 8);
        EXPECT_EQ(w->palette().color(QPalette::Window), view->palette().color(QPalette::ToolTipBase));
    }
}

TEST_F(TickerShowItemTest, AnItemWithNothingToDescribeLeavesTheWindowAsItWas)
{
    auto described = Item("First", "http://h/a", "Text", "2026-12-08 07:05");
    view->ShowItem(*described);
    const QString before = view->DescriptionWindow->HintText();
    const QRect where = view->DescriptionWindow->geometry();
    ASSERT_FALSE(before.isEmpty());

    auto bare = Item("Second", "", " ", "0");
    view->ShowItem(*bare);
    EXPECT_EQ(Shown(), "Second");
    EXPECT_TRUE(view->DescriptionWindow->isVisible());
    EXPECT_EQ(view->DescriptionWindow->HintText(), before);
    EXPECT_EQ(view->DescriptionWindow->geometry(), where);

    view->DescriptionWindow->hide();
    view->ShowItem(*bare);
    EXPECT_FALSE(view->DescriptionWindow->isVisible()) << "nor brings it up";
}

TEST_F(TickerShowItemTest, MarksTheTitleAndRestoresOpacity)
{
    auto item = Item("<b>Marked</b> title");
    view->SetOpacity(40);
    host.Marked.clear();
    view->ShowItem(*item);
    EXPECT_EQ(host.Marked, QStringList{"Marked title"});
    EXPECT_EQ(view->Opacity(), 255);
    EXPECT_DOUBLE_EQ(view->windowOpacity(), 1.0);
}

TEST_F(TickerShowItemTest, ShowingBringsTheHiddenStripBackOnlyWhenAllowed)
{
    struct {
        bool autoShow;
        bool organiserShowing;
        bool visible;
    } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
    for (const auto& c : cases) {
        view->hide();
        view->AutoShow = c.autoShow;
        host.Showing = c.organiserShowing;
        auto item = Item("T");
        view->ShowItem(*item);
        EXPECT_EQ(view->isVisible(), c.visible) << c.autoShow << c.organiserShowing;
    }
}
} // namespace
