#include "model/CategoryViews.h"

#include "app/NewsGlobals.h"
#include "model/PendingChildren.h"
#include "model/ViewNodes.h"
#include "support/FakeClock.h"
#include "support/TempFolder.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <memory>

namespace {

const QDate kToday(2026, 3, 10);

TDateTime At(int dayOffset, int hour, int minute = 0, int second = 0)
{
    return ToDateTime(kToday.addDays(dayOffset), QTime(hour, minute, second));
}
QString DateCaption(int daysAgo) { return FormatLocalDate(kToday.addDays(-daysAgo)); }

QStringList Captions(const QTreeWidgetItem* parent)
{
    QStringList r;
    for (int i = 0; i < parent->childCount(); ++i)
        r << parent->child(i)->text(0);
    return r;
}

class CategoryViewsTest : public ::testing::Test {
protected:
    CategoryViewsTest() : clock(QDateTime(kToday, QTime(15, 30))), data(home.Path()) {}

    QTreeWidgetItem* Node(QTreeWidgetItem* parent, const QString& kind, const QString& title,
                          const QString& link, TDateTime stamp, int icon = -1)
    {
        TTreeItem item(kind, title, link, "", "", "0");
        item.TimeStamp = stamp;
        item.IconIdx = icon;
        return AddViewNode(&tree, parent, title, data.NewsList.AddCopy(item));
    }
    QTreeWidgetItem* Feed(QTreeWidgetItem* parent, const QString& link, int icon = 2)
    {
        return Node(parent, kFeed, "Feed " + link, link, At(0, 8), icon);
    }
    QTreeWidgetItem* News(QTreeWidgetItem* feed, const QString& title, const QString& link, TDateTime stamp)
    {
        return Node(feed, kNewsItem, title, link, stamp);
    }
    void Build(int duration = 5, const TCategoryTexts& texts = TCategoryTexts())
    {
        BuildCategoryViews({&tree, &theme, &web, &time, &video, &audio}, duration, texts);
        RealizeAllChildren(&theme);
        RealizeAllChildren(&time);
    }
    // Caption of the time group holding the node with this data value, "-" for none.
    QString GroupOf(qint64 value)
    {
        for (int g = 0; g < time.topLevelItemCount(); ++g)
            for (int c = 0; c < time.topLevelItem(g)->childCount(); ++c)
                if (NodeDataValue(time.topLevelItem(g)->child(c)) == value)
                    return time.topLevelItem(g)->text(0);
        return "-";
    }

    TempProgramFolder home;
    FakeClock clock;
    TNewsData data;
    QTreeWidget tree, theme, web, time, video, audio;
};

TEST(DayGroupTest, GroupCountAndAge)
{
    const struct {
        int duration, groups;
    } counts[] = {{-1, 7}, {0, 7}, {1, 2}, {2, 2}, {3, 3}, {5, 5}, {15, 15}, {16, 15}, {30, 15}};
    for (const auto& c : counts)
        EXPECT_EQ(DayGroupCount(c.duration), c.groups) << c.duration;

    const TDateTime next = ToDateTime(kToday.addDays(1), QTime(0, 0));
    const struct {
        const char* what;
        TDateTime stamp;
        int age;
    } ages[] = {
        {"today 10:00", At(0, 10), 0},          {"today 23:59:59", At(0, 23, 59, 59), 0},
        {"today 00:00:00", At(0, 0), 0},        {"yesterday 00:00:01", At(-1, 0, 0, 1), 1},
        {"yesterday 00:00:00", At(-1, 0), 1},   {"yesterday 23:59:59", At(-1, 23, 59, 59), 1},
        {"two days ago 23:59:59", At(-2, 23, 59, 59), 2}, {"tomorrow 10:00", At(1, 10), 0},
        {"two days ahead 01:00", At(2, 1), 1},  {"three days ahead noon", At(3, 12), 2},
        {"never", 0.0, static_cast<int>(next) - 1}, {"NaN", std::numeric_limits<double>::quiet_NaN(), INT_MAX},
        {"far away", 1e300, INT_MAX},
    };
    for (const auto& c : ages)
        EXPECT_EQ(DayAge(c.stamp, next), c.age) << c.what;

    FakeClock clock(QDateTime(kToday, QTime(0, 0, 1)));
    EXPECT_EQ(NextDayStart(), next);
    EXPECT_EQ(DayAge(At(-1, 12)), 1);
}

TEST_F(CategoryViewsTest, DayGroupsPerDuration)
{
    const QString T = "Today", Y = "Yesterday", O = "Others..";
    QStringList thirty{T, Y};
    for (int i = 2; i <= 13; ++i)
        thirty << DateCaption(i);
    thirty << O;
    const struct {
        int duration;
        QStringList captions;
    } cases[] = {
        {0, {T, Y, DateCaption(2), DateCaption(3), DateCaption(4), DateCaption(5), O}},
        {1, {T, Y, O}}, // "Yesterday" stays, never filled
        {5, {T, Y, DateCaption(2), DateCaption(3), O}},
        {30, thirty},
    };
    for (const auto& c : cases) {
        Build(c.duration);
        EXPECT_EQ(Captions(time.invisibleRootItem()), c.captions) << c.duration;
        for (int g = 0; g < time.topLevelItemCount(); ++g) {
            const QTreeWidgetItem* group = time.topLevelItem(g);
            EXPECT_EQ(NodeDataValue(group), -1);
            EXPECT_EQ(NodeImage(group), 5);
            EXPECT_EQ(NodeSelectedImage(group), 5);
            EXPECT_EQ(NodeStateImage(group), -1);
        }
    }
    TCategoryTexts texts;
    texts.SToday = "Heute";
    texts.SYesterday = "Gestern";
    texts.SOthers = "Andere..";
    Build(2, texts);
    EXPECT_EQ(Captions(time.invisibleRootItem()), (QStringList{"Heute", "Gestern", "Andere.."}));
}

TEST_F(CategoryViewsTest, ItemsGoToTheGroupOfTheirAge)
{
    const struct {
        int duration;
        TDateTime stamp;
        QString group;
    } cases[] = {
        {5, At(0, 10), "Today"},      {5, At(0, 0), "Today"},      {5, At(1, 10), "Today"},
        {5, At(3, 12), DateCaption(2)}, {5, At(-1, 0), "Yesterday"}, {5, At(-3, 12), DateCaption(3)},
        {5, At(-4, 12), "Others.."},  {5, At(-5, 12), "-"},        {0, At(-6, 12), "Others.."},
        {0, At(-7, 12), "-"},         {30, At(-13, 12), DateCaption(13)}, {30, At(-14, 12), "Others.."},
        {30, At(-15, 12), "-"},       {1, At(-1, 12), "Others.."}, {1, At(-2, 12), "-"},
    };
    for (const auto& c : cases) {
        tree.clear();
        const qint64 value = NodeDataValue(News(Feed(nullptr, "http://f/rss"), "item", "http://f/1", c.stamp));
        Build(c.duration);
        EXPECT_EQ(GroupOf(value), c.group) << c.duration << " " << FormatLocalDateTime(c.stamp).toStdString();
        if (c.duration == 1)
            EXPECT_EQ(time.topLevelItem(1)->childCount(), 0); // the "Yesterday" node
    }
}

TEST_F(CategoryViewsTest, FeedsAreFlattenedInTreeOrder)
{
    QTreeWidgetItem* folder = Node(nullptr, kFolder, "Folder", "", At(0, 1));
    QTreeWidgetItem* deep = Feed(Node(folder, kFolder, "Inner", "", At(0, 1)), "http://deep/rss");
    News(deep, "deep 1", "http://deep/1", At(0, 9));
    QTreeWidgetItem* top = Feed(nullptr, "http://top/rss");
    News(top, "top 1", "http://top/1", At(0, 9));
    Node(top, kWebLink, "a web link", "http://w/", At(0, 9)); // not a news item
    AddViewNode(&tree, top, "dangling", -1);                 // no item
    News(top, "top 2", "http://top/2", At(0, 8));
    Node(nullptr, kNote, "note", "", At(0, 1));

    Build();
    EXPECT_EQ(Captions(theme.invisibleRootItem()), (QStringList{"Feed http://deep/rss", "Feed http://top/rss"}));
    EXPECT_EQ(Captions(theme.topLevelItem(0)), QStringList{"deep 1"});
    EXPECT_EQ(Captions(theme.topLevelItem(1)), (QStringList{"top 1", "top 2"}));
    EXPECT_EQ(NodeDataValue(theme.topLevelItem(1)), NodeDataValue(top));
    EXPECT_EQ(NodeDataValue(theme.topLevelItem(1)->child(1)), NodeDataValue(top->child(3)));
    EXPECT_EQ(web.topLevelItemCount(), 3);
    EXPECT_EQ(Captions(time.topLevelItem(0)), (QStringList{"deep 1", "top 1", "top 2"}));
}

TEST_F(CategoryViewsTest, MediaViewsImagesAndIcons)
{
    QTreeWidgetItem* feed = Feed(nullptr, "http://m/rss", 14);
    const struct {
        const char* link;
        bool video, audio;
        int state;
    } cases[] = {
        {"http://m/x.aac/clip.mp4", true, true, 8}, // audio is tested first
        {"http://m/clip.MP4?x=1", true, false, 9},
        {"http://m/song.mp3", false, true, 8},
        {"http://m/page.html", false, false, -1},
    };
    for (const auto& c : cases)
        News(feed, c.link, c.link, At(-30, 9)); // in no time group
    QTreeWidgetItem* other = Feed(nullptr, "http://o/rss", 12);
    News(other, "o", "http://o/1", At(0, 9));
    Build();
    Build(); // a second build starts from scratch
    EXPECT_EQ(web.topLevelItemCount(), 5);
    const QStringList inVideo = Captions(video.invisibleRootItem()), inAudio = Captions(audio.invisibleRootItem());
    for (int i = 0; i < 4; ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.link);
        EXPECT_EQ(inVideo.contains(c.link), c.video);
        EXPECT_EQ(inAudio.contains(c.link), c.audio);
        const QTreeWidgetItem* mirror = theme.topLevelItem(0)->child(i);
        EXPECT_EQ(NodeStateImage(mirror), c.state);
        EXPECT_EQ(NodeImage(mirror), 14); // the feed's icon
        EXPECT_EQ(NodeSelectedImage(mirror), 14);
        EXPECT_EQ(data.NodeItem(feed->child(i))->IconIdx, 14); // the model changes too
    }
    EXPECT_EQ(NodeImage(time.topLevelItem(0)->child(0)), 12);
    EXPECT_EQ(NodeImage(theme.topLevelItem(0)), 14);
}

TEST_F(CategoryViewsTest, SortsWebBySiteAndTimeByDate)
{
    QTreeWidgetItem* feed = Feed(nullptr, "http://x/rss");
    // Tree order mixes sites and dates; the newest item of all has no path.
    News(feed, "b-nopath", "http://b.example", At(0, 14));
    News(feed, "b-old", "http://b.example/old", At(-1, 9));
    News(feed, "a-old", "http://a.example/1", At(-1, 10));
    News(feed, "c", "https://c.example/x", At(1, 1));
    News(feed, "b-new", "http://b.example/new", At(0, 10));
    News(feed, "a-new", "http://a.example/2", At(0, 11));
    News(feed, "a-same", "http://a.example/3", At(0, 11)); // equal time keeps tree order
    Build();
    // "http://b.example\" follows "http://b.example/" in the tests' C locale;
    // either way it is a site of its own.
    EXPECT_EQ(Captions(web.invisibleRootItem()),
              (QStringList{"a-new", "a-same", "a-old", "b-new", "b-old", "b-nopath", "c"}));
    EXPECT_EQ(Captions(time.topLevelItem(0)), (QStringList{"c", "b-nopath", "a-new", "a-same", "b-new"}));
    EXPECT_EQ(Captions(time.topLevelItem(1)), (QStringList{"a-old", "b-old"}));
    EXPECT_EQ(Captions(theme.topLevelItem(0)).first(), "b-nopath"); // Feeds stays unsorted
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
        const QTreeWidgetItem *a, *b;
        int byDate, bySite;
    } cases[] = {
        {"missing node", nullptr, aNew, 0, 0},   {"no item", group, aNew, 0, 0},
        {"newer first", aNew, aOld, -1, -1},     {"older second", aOld, aNew, 1, 1},
        {"same time", aNew, aTwin, 0, 0},        {"site before date", bOld, aNew, 1, 1},
        {"site against date", aOld, bNew, 1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareByDate(c.a, c.b), c.byDate) << c.what;
        EXPECT_EQ(CompareBySiteThenDate(c.a, c.b), c.bySite) << c.what;
    }
}

} // namespace

namespace {

// The Feeds entries and the day groups are built with compact children,
// made when the view expands their parent: by the user, or by code.
TEST_F(CategoryViewsTest, ExpandingMakesTheCompactChildren)
{
    QTreeWidgetItem* feed = Feed(nullptr, "http://x/rss", 7);
    for (int i = 0; i < 5; ++i)
        News(feed, QStringLiteral("n%1").arg(i), QStringLiteral("http://x/%1.mp3").arg(i), At(-(i % 2), 9 + i));
    Feed(nullptr, "http://empty/rss");
    BuildCategoryViews({&tree, &theme, &web, &time, &video, &audio}, 5);
    QTreeWidgetItem* entry = theme.topLevelItem(0);
    QTreeWidgetItem* today = time.topLevelItem(0);
    ASSERT_EQ(entry->childCount(), 0);
    EXPECT_EQ(ChildCountOf(entry), 5);
    EXPECT_EQ(ChildCountOf(today), 3);
    EXPECT_EQ(ChildCountOf(time.topLevelItem(1)), 2);
    EXPECT_FALSE(HasPendingChildren(theme.topLevelItem(1))); // nothing to keep: no mark
    EXPECT_FALSE(HasPendingChildren(time.topLevelItem(2)));
    EXPECT_EQ(theme.topLevelItem(1)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);

    // A clone keeps them; a copy of the node alone has none.
    std::unique_ptr<QTreeWidgetItem> clone(entry->clone());
    EXPECT_EQ(ChildCountOf(clone.get()), 5);
    const TViewNode copy(*entry);
    EXPECT_EQ(ChildCountOf(&copy), 0);
    EXPECT_EQ(copy.childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);

    theme.expandItem(entry);
    today->setExpanded(true);
    EXPECT_FALSE(HasPendingChildren(entry));
    EXPECT_EQ(Captions(entry), (QStringList{"n0", "n1", "n2", "n3", "n4"}));
    EXPECT_EQ(Captions(today), (QStringList{"n4", "n2", "n0"})); // newest first
    EXPECT_EQ(NodeDataValue(entry->child(3)), NodeDataValue(feed->child(3)));
    EXPECT_EQ(NodeImages(today->child(0)), (TNodeImages{7, 7, 8}));
    EXPECT_TRUE(today->isExpanded());
    EXPECT_EQ(Captions(clone.get()), QStringList{});
    RealizeChildren(clone.get());
    EXPECT_EQ(Captions(clone.get()), Captions(entry));
    EXPECT_TRUE(theme.updatesEnabled());
}

} // namespace
