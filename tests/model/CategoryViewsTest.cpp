#include "model/CategoryViews.h"

#include "app/NewsGlobals.h"
#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "support/FakeClock.h"
#include "support/TempFolder.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace {

const QDate kToday(2026, 3, 10);
const QDateTime kNow(kToday, QTime(15, 30));

TDateTime At(int dayOffset, int hour, int minute = 0, int second = 0)
{
    return ToDateTime(kToday.addDays(dayOffset), QTime(hour, minute, second));
}

QString DateCaption(int daysAgo) { return FormatLocalDate(kToday.addDays(-daysAgo)); }

class CategoryViewsTest : public ::testing::Test {
protected:
    CategoryViewsTest() : clock(kNow), data(home.Path())
    {
        views = {&tree, &theme, &web, &time, &video, &audio};
    }

    int AddItem(const QString& kind, const QString& title, const QString& link, TDateTime stamp,
                int icon = -1)
    {
        TTreeItem item(kind, title, link, "", "", "0");
        item.TimeStamp = stamp;
        item.IconIdx = icon;
        return data.NewsList.AddCopy(item);
    }
    QTreeWidgetItem* Node(QTreeWidgetItem* parent, int index)
    {
        return AddViewNode(&tree, parent, data.NewsList.At(index)->Title, index);
    }
    QTreeWidgetItem* Feed(QTreeWidgetItem* parent, const QString& link, int icon = 2)
    {
        return Node(parent, AddItem(kFeed, "Feed " + link, link, At(0, 8), icon));
    }
    QTreeWidgetItem* News(QTreeWidgetItem* feed, const QString& title, const QString& link, TDateTime stamp)
    {
        return Node(feed, AddItem(kNewsItem, title, link, stamp));
    }
    void Build(int duration = 5) { BuildCategoryViews(views, duration, TCategoryTexts()); }

    static QStringList TopCaptions(QTreeWidget& view)
    {
        QStringList r;
        for (int i = 0; i < view.topLevelItemCount(); ++i)
            r << view.topLevelItem(i)->text(0);
        return r;
    }
    static QStringList ChildCaptions(const QTreeWidgetItem* parent)
    {
        QStringList r;
        for (int i = 0; i < parent->childCount(); ++i)
            r << parent->child(i)->text(0);
        return r;
    }
    // Caption of the time group holding the node with this data value.
    std::optional<QString> GroupOf(qint64 value)
    {
        for (int g = 0; g < time.topLevelItemCount(); ++g) {
            const QTreeWidgetItem* group = time.topLevelItem(g);
            for (int c = 0; c < group->childCount(); ++c)
                if (NodeDataValue(group->child(c)) == value)
                    return group->text(0);
        }
        return std::nullopt;
    }

    TempProgramFolder home;
    FakeClock clock;
    TNewsData data;
    QTreeWidget tree, theme, web, time, video, audio;
    TNewsViews views;
};

TEST(DayGroupCountTest, DurationToGroups)
{
    const struct {
        int duration;
        int groups;
    } cases[] = {{-1, 7}, {0, 7}, {1, 2}, {2, 2}, {3, 3}, {5, 5}, {15, 15}, {16, 15}, {30, 15}, {180, 15}};
    for (const auto& c : cases)
        EXPECT_EQ(DayGroupCount(c.duration), c.groups) << c.duration;
}

TEST(DayAgeTest, DistanceFromStartOfNextDay)
{
    const TDateTime next = ToDateTime(kToday.addDays(1), QTime(0, 0));
    const struct {
        const char* what;
        TDateTime stamp;
        int age;
    } cases[] = {
        {"today 10:00", At(0, 10), 0},
        {"today 23:59:59", At(0, 23, 59, 59), 0},
        {"today 00:00:00", At(0, 0), 1},
        {"yesterday 00:00:01", At(-1, 0, 0, 1), 1},
        {"yesterday 00:00:00", At(-1, 0), 2},
        {"tomorrow 00:00", At(1, 0), 0},
        {"tomorrow 10:00", At(1, 10), 0},
        {"two days ahead 01:00", At(2, 1), 1},
        {"three days ahead noon", At(3, 12), 2},
        {"never (0)", 0.0, static_cast<int>(next)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DayAge(c.stamp, next), c.age) << c.what;
    EXPECT_EQ(DayAge(std::numeric_limits<double>::quiet_NaN(), next), INT_MAX);
    EXPECT_EQ(DayAge(1e300, next), INT_MAX);

    FakeClock clock(kNow);
    EXPECT_EQ(NextDayStart(), next);
    EXPECT_EQ(DayAge(At(-1, 12)), 1); // against the program's clock
}

TEST_F(CategoryViewsTest, DayGroupCaptionsPerDuration)
{
    const QString T = "Today", Y = "Yesterday", O = "Others..";
    const struct {
        int duration;
        QStringList captions;
    } cases[] = {
        {0, {T, Y, DateCaption(2), DateCaption(3), DateCaption(4), DateCaption(5), O}},
        {1, {T, Y, O}}, // "Yesterday" stays, never filled
        {2, {T, Y, O}},
        {5, {T, Y, DateCaption(2), DateCaption(3), O}},
        {30, [&] {
             QStringList l{T, Y};
             for (int i = 2; i <= 13; ++i)
                 l << DateCaption(i);
             return l << O;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.duration);
        Build(c.duration);
        EXPECT_EQ(TopCaptions(time), c.captions);
        for (int g = 0; g < time.topLevelItemCount(); ++g) {
            const QTreeWidgetItem* group = time.topLevelItem(g);
            EXPECT_EQ(NodeDataValue(group), -1);
            EXPECT_EQ(data.NodeItem(group), nullptr);
            EXPECT_EQ(NodeImage(group), 5);
            EXPECT_EQ(NodeSelectedImage(group), 5);
            EXPECT_EQ(NodeStateImage(group), -1);
        }
    }
}

TEST_F(CategoryViewsTest, TranslatedGroupTexts)
{
    TCategoryTexts texts;
    texts.SToday = "Heute";
    texts.SYesterday = "Gestern";
    texts.SOthers = "Andere..";
    BuildCategoryViews(views, 3, texts);
    EXPECT_EQ(TopCaptions(time), (QStringList{"Heute", "Gestern", "Andere.."}));
}

TEST_F(CategoryViewsTest, ItemsGoToTheGroupOfTheirAge)
{
    const std::optional<QString> none;
    const struct {
        int duration;
        TDateTime stamp;
        std::optional<QString> group;
    } cases[] = {
        {5, At(0, 10), QString("Today")},
        {5, At(0, 0), QString("Yesterday")}, // one day from tomorrow's midnight
        {5, At(1, 10), QString("Today")},
        {5, At(3, 12), DateCaption(2)},
        {5, At(-1, 0), DateCaption(2)},
        {5, At(-2, 12), DateCaption(2)},
        {5, At(-3, 12), DateCaption(3)},
        {5, At(-4, 12), QString("Others..")}, // age 4
        {5, At(-5, 12), none},                // age 5
        {0, At(-5, 12), DateCaption(5)},
        {0, At(-6, 12), QString("Others..")}, // age 6
        {0, At(-7, 12), none},                // age 7
        {30, At(-13, 12), DateCaption(13)},
        {30, At(-14, 12), QString("Others..")},
        {30, At(-15, 12), none},
        {1, At(0, 12), QString("Today")},
        {1, At(-1, 12), QString("Others..")}, // takes the place of "Yesterday"
        {1, At(-2, 12), none},
        {5, 0.0, none}, // no date at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.duration << " / " << FormatLocalDateTime(c.stamp).toStdString());
        tree.clear();
        QTreeWidgetItem* feed = Feed(nullptr, "http://f/rss");
        const qint64 value = NodeDataValue(News(feed, "item", "http://f/1", c.stamp));
        Build(c.duration);
        EXPECT_EQ(GroupOf(value), c.group);
        if (c.duration == 1)
            EXPECT_EQ(time.topLevelItem(1)->childCount(), 0); // the "Yesterday" node
    }
}

TEST_F(CategoryViewsTest, FeedsAreFlattenedInTreeOrder)
{
    QTreeWidgetItem* folder = Node(nullptr, AddItem(kFolder, "Folder", "", At(0, 1)));
    QTreeWidgetItem* inner = Node(folder, AddItem(kFolder, "Inner", "", At(0, 1)));
    QTreeWidgetItem* deep = Feed(inner, "http://deep/rss");
    News(deep, "deep 1", "http://deep/1", At(0, 9));
    QTreeWidgetItem* top = Feed(nullptr, "http://top/rss");
    News(top, "top 1", "http://top/1", At(0, 9));
    Node(top, AddItem(kWebLink, "a web link", "http://w/", At(0, 9))); // not an item: skipped
    AddViewNode(&tree, top, "dangling", -1);                           // no item: skipped
    News(top, "top 2", "http://top/2", At(0, 8));
    Node(nullptr, AddItem(kNote, "note", "", At(0, 1)));

    Build();
    EXPECT_EQ(TopCaptions(theme), (QStringList{"Feed http://deep/rss", "Feed http://top/rss"}));
    EXPECT_EQ(ChildCaptions(theme.topLevelItem(0)), QStringList{"deep 1"});
    EXPECT_EQ(ChildCaptions(theme.topLevelItem(1)), (QStringList{"top 1", "top 2"}));
    EXPECT_EQ(NodeDataValue(theme.topLevelItem(1)), NodeDataValue(top));
    EXPECT_EQ(NodeDataValue(theme.topLevelItem(1)->child(1)), NodeDataValue(top->child(3)));
    EXPECT_EQ(web.topLevelItemCount(), 3);
    EXPECT_EQ(ChildCaptions(time.topLevelItem(0)), (QStringList{"deep 1", "top 1", "top 2"}));
    for (int i = 0; i < web.topLevelItemCount(); ++i)
        EXPECT_EQ(web.topLevelItem(i)->childCount(), 0); // a flat list
}

TEST_F(CategoryViewsTest, MediaLinksAndStateImages)
{
    QTreeWidgetItem* feed = Feed(nullptr, "http://m/rss", 14);
    const struct {
        const char* link;
        bool video;
        bool audio;
        int state;
    } cases[] = {
        {"http://m/aac/clip.mp4", true, true, 8}, // audio is tested first
        {"http://m/clip.MP4?x=1", true, false, 9},
        {"http://m/song.mp3", false, true, 8},
        {"http://m/a.movies.mp4", false, false, -1},
        {"http://m/page.html", false, false, -1},
    };
    for (const auto& c : cases)
        News(feed, c.link, c.link, At(0, 9));
    Build();
    auto find = [](QTreeWidget& view, const QString& caption) -> QTreeWidgetItem* {
        for (int i = 0; i < view.topLevelItemCount(); ++i)
            if (view.topLevelItem(i)->text(0) == caption)
                return view.topLevelItem(i);
        return nullptr;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        EXPECT_EQ(find(video, c.link) != nullptr, c.video);
        EXPECT_EQ(find(audio, c.link) != nullptr, c.audio);
        QTreeWidgetItem* mirror = find(web, c.link);
        ASSERT_NE(mirror, nullptr);
        EXPECT_EQ(NodeStateImage(mirror), c.state);
        EXPECT_EQ(NodeImage(mirror), 14);
        EXPECT_EQ(NodeSelectedImage(mirror), 14);
    }
    EXPECT_EQ(NodeImage(theme.topLevelItem(0)), 14); // the feed entry gets its own images
    EXPECT_EQ(NodeStateImage(theme.topLevelItem(0)), -1);
}

TEST_F(CategoryViewsTest, ItemsTakeTheirFeedsIcon)
{
    QTreeWidgetItem* a = Feed(nullptr, "http://a/rss", 11);
    QTreeWidgetItem* b = Feed(nullptr, "http://b/rss", 12);
    News(a, "a1", "http://a/1", At(0, 9));
    News(b, "b1", "http://b/1", At(0, 9));
    QTreeWidgetItem* b2 = News(b, "b2", "http://b/2", At(-30, 9)); // in no time group
    data.NodeItem(b2)->IconIdx = 3;
    Build();
    EXPECT_EQ(data.NodeItem(a->child(0))->IconIdx, 11);
    EXPECT_EQ(data.NodeItem(b->child(0))->IconIdx, 12);
    EXPECT_EQ(data.NodeItem(b2)->IconIdx, 12); // changed even when not in Time
    EXPECT_EQ(NodeImage(theme.topLevelItem(1)->child(1)), 12);
    EXPECT_EQ(NodeImage(time.topLevelItem(0)->child(0)), 11);
}

TEST_F(CategoryViewsTest, WebViewSortsBySiteThenNewestFirst)
{
    QTreeWidgetItem* feed = Feed(nullptr, "http://x/rss");
    // The tree order mixes sites and dates; the newest item of all has no path.
    News(feed, "b-nopath", "http://b.example", At(0, 14));
    News(feed, "b-old", "http://b.example/old", At(-3, 9));
    News(feed, "a-old", "http://a.example/1", At(-2, 9));
    News(feed, "c", "https://c.example/x", At(-1, 1));
    News(feed, "b-new", "http://b.example/new", At(0, 10));
    News(feed, "a-new", "http://a.example/2", At(0, 11));
    News(feed, "a-same", "http://a.example/3", At(0, 11)); // equal time: keeps tree order
    Build(0);
    // "http://b.example\" follows "http://b.example/" in the code-point order
    // of the tests' C locale; the point is that it is a site of its own.
    EXPECT_EQ(TopCaptions(web),
              (QStringList{"a-new", "a-same", "a-old", "b-new", "b-old", "b-nopath", "c"}));
}

TEST_F(CategoryViewsTest, TimeGroupsSortNewestFirstAndKeepOrder)
{
    QTreeWidgetItem* feed = Feed(nullptr, "http://t/rss");
    News(feed, "today early", "http://t/1", At(0, 1));
    News(feed, "yesterday", "http://t/2", At(-1, 12));
    News(feed, "today late", "http://t/3", At(0, 15));
    News(feed, "tomorrow", "http://t/4", At(1, 9)); // age 0, but the newest
    News(feed, "yesterday late", "http://t/5", At(-1, 20));
    Build();
    EXPECT_EQ(TopCaptions(time).mid(0, 2), (QStringList{"Today", "Yesterday"}));
    EXPECT_EQ(ChildCaptions(time.topLevelItem(0)), (QStringList{"tomorrow", "today late", "today early"}));
    EXPECT_EQ(ChildCaptions(time.topLevelItem(1)), (QStringList{"yesterday late", "yesterday"}));
    // The feeds view keeps the tree order.
    EXPECT_EQ(ChildCaptions(theme.topLevelItem(0)),
              (QStringList{"today early", "yesterday", "today late", "tomorrow", "yesterday late"}));
}

TEST_F(CategoryViewsTest, RebuildStartsFromScratch)
{
    QTreeWidgetItem* feed = Feed(nullptr, "http://r/rss");
    News(feed, "one", "http://r/1.mp3", At(0, 9));
    Build();
    Build();
    EXPECT_EQ(theme.topLevelItemCount(), 1);
    EXPECT_EQ(web.topLevelItemCount(), 1);
    EXPECT_EQ(audio.topLevelItemCount(), 1);
    EXPECT_EQ(time.topLevelItemCount(), 5);
    EXPECT_EQ(time.topLevelItem(0)->childCount(), 1);
    for (QTreeWidget* view : {&tree, &theme, &web, &time, &video, &audio})
        EXPECT_TRUE(view->updatesEnabled());
}

TEST_F(CategoryViewsTest, CompareFunctions)
{
    QTreeWidgetItem* feed = Feed(nullptr, "http://c/rss");
    QTreeWidgetItem* aNew = News(feed, "a new", "http://a/1", At(0, 12));
    QTreeWidgetItem* aOld = News(feed, "a old", "http://a/2", At(-1, 12));
    QTreeWidgetItem* aTwin = News(feed, "a twin", "http://a/3", At(0, 12));
    QTreeWidgetItem* bOld = News(feed, "b old", "http://b/1", At(-5, 12));
    QTreeWidgetItem* bNew = News(feed, "b new", "http://b/2", At(0, 13));
    QTreeWidgetItem* group = AddViewNode(&time, nullptr, "group", -1);
    const struct {
        const char* what;
        const QTreeWidgetItem* a;
        const QTreeWidgetItem* b;
        int byDate;
        int bySite;
    } cases[] = {
        {"missing node", nullptr, aNew, 0, 0},
        {"no item", group, aNew, 0, 0},
        {"newer first", aNew, aOld, -1, -1},
        {"older second", aOld, aNew, 1, 1},
        {"same time", aNew, aTwin, 0, 0},
        {"site wins over date", bOld, aNew, 1, 1},
        {"site wins, other way", aOld, bNew, 1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CompareByDate(c.a, c.b), c.byDate);
        EXPECT_EQ(CompareBySiteThenDate(c.a, c.b), c.bySite);
    }
}

} // namespace
