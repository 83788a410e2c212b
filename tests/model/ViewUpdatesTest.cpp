#include "model/CategoryViews.h"

#include "app/NewsGlobals.h"
#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "support/FakeClock.h"
#include "support/TempFolder.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QDate kToday(2026, 3, 10);
const QDateTime kNow(kToday, QTime(15, 30));

TDateTime At(int dayOffset, int hour, int minute = 0)
{
    return ToDateTime(kToday.addDays(dayOffset), QTime(hour, minute));
}

// The five derived views, so that one tree can feed two sets of them.
struct TDerivedViews {
    QTreeWidget theme, web, time, video, audio;
    TNewsViews With(QTreeWidget* tree) { return {tree, &theme, &web, &time, &video, &audio}; }
};

// One line per node: indentation, caption, data value and the three images.
QString Dump(QTreeWidget& view)
{
    QString out;
    for (QTreeWidgetItemIterator it(&view); *it; ++it) {
        int depth = 0;
        for (const QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        out += QString(depth * 2, ' ')
               + QStringLiteral("%1 #%2 %3/%4/%5\n")
                     .arg((*it)->text(0))
                     .arg(NodeDataValue(*it))
                     .arg(NodeImage(*it))
                     .arg(NodeSelectedImage(*it))
                     .arg(NodeStateImage(*it));
    }
    return out;
}

QString DumpAll(TDerivedViews& v)
{
    return "theme:\n" + Dump(v.theme) + "web:\n" + Dump(v.web) + "time:\n" + Dump(v.time) + "video:\n"
           + Dump(v.video) + "audio:\n" + Dump(v.audio);
}

class ViewUpdatesTest : public ::testing::Test {
protected:
    ViewUpdatesTest() : clock(kNow), data(home.Path()) {}

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
    QTreeWidgetItem* News(QTreeWidgetItem* feed, const QString& title, const QString& link, TDateTime stamp)
    {
        return Node(feed, AddItem(kNewsItem, title, link, stamp));
    }
    // A node added the way the feed merge adds one: first child, own caption and images.
    QTreeWidgetItem* NewFirstChild(QTreeWidgetItem* parent, const QString& link, TDateTime stamp)
    {
        const int index = AddItem(kNewsItem, "fresh title", link, stamp);
        auto* node = new QTreeWidgetItem(QStringList{"fresh caption"});
        SetNodeDataValue(node, index);
        SetNodeImages(node, 13, 15, 9);
        parent->insertChild(0, node);
        return node;
    }

    // F: a top-level feed; D: a folder holding the feed G; N: a note.
    void Scene()
    {
        tree.clear();
        F = Node(nullptr, AddItem(kFeed, "F", "http://f/rss", At(0, 8), 11));
        News(F, "f1", "http://f/1", At(0, 9));
        News(F, "f2", "http://f/2.mp3", At(-1, 9));
        News(F, "f3", "http://f/3.mp4", At(-2, 9));
        D = Node(nullptr, AddItem(kFolder, "D", "", At(0, 1)));
        G = Node(D, AddItem(kFeed, "G", "http://g/rss", At(0, 8), 12));
        News(G, "g1", "http://g/1", At(0, 10));
        BuildCategoryViews(views(), 5);
    }
    TNewsViews views() { return derived.With(&tree); }

    static void ExpectCopy(const QTreeWidgetItem* copy, const QTreeWidgetItem* of)
    {
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->text(0), of->text(0));
        EXPECT_EQ(NodeDataValue(copy), NodeDataValue(of));
        EXPECT_EQ(NodeImage(copy), NodeImage(of));
        EXPECT_EQ(NodeSelectedImage(copy), NodeSelectedImage(of));
        EXPECT_EQ(NodeStateImage(copy), NodeStateImage(of));
    }
    static QList<qint64> DataOf(const QTreeWidgetItem* parent)
    {
        QList<qint64> r;
        for (int i = 0; i < parent->childCount(); ++i)
            r << NodeDataValue(parent->child(i));
        return r;
    }

    TempProgramFolder home;
    FakeClock clock;
    TNewsData data;
    QTreeWidget tree;
    TDerivedViews derived;
    QTreeWidgetItem* F = nullptr;
    QTreeWidgetItem* D = nullptr;
    QTreeWidgetItem* G = nullptr;
};

TEST_F(ViewUpdatesTest, AddedItemGoesFirstIntoEachView)
{
    const struct {
        const char* link;
        TDateTime stamp;
        int group; // -1: in no group
        bool audio;
        bool video;
    } cases[] = {
        {"http://f/new", At(0, 10), 0, false, false},
        {"http://f/new.mp3", At(-1, 12), 1, true, false},
        {"http://f/aac/new.mp4", At(1, 10), 0, true, true}, // tomorrow: less than a day after
        {"http://f/new.m4v", At(2, 6), 1, false, true},     // 24 to 48 hours after
        {"http://f/today-midnight", At(0, 0), 1, false, false},
        {"http://f/old", At(-20, 12), -1, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        Scene();
        QTreeWidget& time = derived.time;
        const int groupSizes[] = {time.topLevelItem(0)->childCount(), time.topLevelItem(1)->childCount()};
        const int audioCount = derived.audio.topLevelItemCount();
        const int videoCount = derived.video.topLevelItemCount();
        const int webCount = derived.web.topLevelItemCount();

        QTreeWidgetItem* node = NewFirstChild(F, c.link, c.stamp);
        UpdateViews(views(), node, umItemAdded);

        for (int g = 0; g < 2; ++g)
            EXPECT_EQ(time.topLevelItem(g)->childCount(), groupSizes[g] + (g == c.group ? 1 : 0)) << g;
        if (c.group >= 0)
            ExpectCopy(time.topLevelItem(c.group)->child(0), node);
        EXPECT_EQ(derived.web.topLevelItemCount(), webCount + 1);
        ExpectCopy(derived.web.topLevelItem(0), node);
        EXPECT_EQ(derived.audio.topLevelItemCount(), audioCount + (c.audio ? 1 : 0));
        if (c.audio)
            ExpectCopy(derived.audio.topLevelItem(0), node);
        EXPECT_EQ(derived.video.topLevelItemCount(), videoCount + (c.video ? 1 : 0));
        if (c.video)
            ExpectCopy(derived.video.topLevelItem(0), node);
        EXPECT_EQ(derived.theme.topLevelItemCount(), 2);
        ExpectCopy(derived.theme.topLevelItem(0)->child(0), node);
    }
}

TEST_F(ViewUpdatesTest, AddedItemCreatesAMissingFeedEntryLast)
{
    Scene();
    // H is new in the tree and has no entry yet; G's entry is matched by link
    // ignoring case, even when the entry's item is a different one.
    QTreeWidgetItem* H = Node(nullptr, AddItem(kFeed, "H", "http://h/rss", At(0, 8), 16));
    SetNodeImages(H, 16, 17, -1);
    SetNodeDataValue(derived.theme.topLevelItem(1), AddItem(kFeed, "G again", "HTTP://G/RSS", 0));

    QTreeWidgetItem* h1 = NewFirstChild(H, "http://h/1", At(0, 9));
    UpdateViews(views(), h1, umItemAdded);
    QTreeWidgetItem* h2 = NewFirstChild(H, "http://h/2", At(0, 10));
    UpdateViews(views(), h2, umItemAdded);
    QTreeWidgetItem* g2 = NewFirstChild(G, "http://g/2", At(0, 11));
    UpdateViews(views(), g2, umItemAdded);

    ASSERT_EQ(derived.theme.topLevelItemCount(), 3);
    QTreeWidgetItem* entry = derived.theme.topLevelItem(2);
    ExpectCopy(entry, H);
    EXPECT_EQ(DataOf(entry), (QList<qint64>{NodeDataValue(h2), NodeDataValue(h1)}));
    EXPECT_EQ(DataOf(derived.theme.topLevelItem(1)).value(0), NodeDataValue(g2));
}

TEST_F(ViewUpdatesTest, TimeViewWithOneNodeInAllIsLeftAlone)
{
    const struct {
        const char* what;
        bool lonelyHasChild;
        int expectedChildren;
    } cases[] = {{"one node in all", false, 0}, {"a group with one item", true, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scene();
        derived.time.clear();
        QTreeWidgetItem* lonely = AddViewNode(&derived.time, nullptr, "lonely", -1);
        if (c.lonelyHasChild)
            AddViewNode(&derived.time, lonely, "f1", NodeDataValue(F->child(0)));
        UpdateViews(views(), NewFirstChild(F, "http://f/new", At(0, 12)), umItemAdded);
        EXPECT_EQ(lonely->childCount(), c.expectedChildren);
        EXPECT_EQ(derived.web.topLevelItem(0)->text(0), "fresh caption"); // the other views still change
    }
}

TEST_F(ViewUpdatesTest, RemovedItemTakesTheFirstMirrorOfItsLink)
{
    Scene();
    // A second item whose link differs only in case, newer than f1.
    QTreeWidgetItem* twin = News(F, "f1 twin", "HTTP://F/1", At(0, 11));
    QTreeWidgetItem* f1 = F->child(0);
    BuildCategoryViews(views(), 5);
    const qint64 f1Data = NodeDataValue(f1), twinData = NodeDataValue(twin);
    // Web: "HTTP://F/" sorts before "http://f/"; Time: the twin is newer;
    // Feeds: f1 comes first in tree order. Each view loses its first match.
    UpdateViews(views(), f1, umItemRemoved);

    auto webData = [&] { return DataOf(derived.web.invisibleRootItem()); };
    EXPECT_TRUE(webData().contains(f1Data));
    EXPECT_FALSE(webData().contains(twinData));
    EXPECT_TRUE(DataOf(derived.time.topLevelItem(0)).contains(f1Data));
    EXPECT_FALSE(DataOf(derived.time.topLevelItem(0)).contains(twinData));
    EXPECT_FALSE(DataOf(derived.theme.topLevelItem(0)).contains(f1Data));
    EXPECT_TRUE(DataOf(derived.theme.topLevelItem(0)).contains(twinData));

    // A media item leaves Time, WWW, Video and Feeds.
    QTreeWidgetItem* f3 = F->child(2);
    ASSERT_EQ(derived.video.topLevelItemCount(), 1);
    UpdateViews(views(), f3, umItemRemoved);
    EXPECT_EQ(derived.video.topLevelItemCount(), 0);
    EXPECT_TRUE(DataOf(derived.time.topLevelItem(2)).isEmpty());
    EXPECT_FALSE(webData().contains(NodeDataValue(f3)));
    EXPECT_FALSE(DataOf(derived.theme.topLevelItem(0)).contains(NodeDataValue(f3)));
    EXPECT_EQ(derived.audio.topLevelItemCount(), 1); // f2 stays
    for (QTreeWidget* view : {&tree, &derived.theme, &derived.web, &derived.time, &derived.video, &derived.audio})
        EXPECT_TRUE(view->updatesEnabled());
}

TEST_F(ViewUpdatesTest, FeedModesActOnlyBelowAFeed)
{
    // Modes 2 and 3 reach the Feeds view only for a node whose tree parent is
    // a feed; a top-level feed node, as the feed merge passes it, changes nothing.
    const struct {
        const char* what;
        int mode;
        bool belowFeed; // f1 (below F) or F itself
        int entries;
        int childrenOfF;
    } cases[] = {
        {"mode 2 below a feed", umFeedAdded, true, 3, 3},
        {"mode 2 for a top-level feed", umFeedAdded, false, 2, 3},
        {"mode 3 below a feed", umFeedEmptied, true, 2, 0},
        {"mode 3 for a top-level feed", umFeedEmptied, false, 2, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scene();
        const QString before = Dump(derived.web) + Dump(derived.time) + Dump(derived.audio) + Dump(derived.video);
        QTreeWidgetItem* node = c.belowFeed ? F->child(0) : F;
        UpdateViews(views(), node, c.mode);
        ASSERT_EQ(derived.theme.topLevelItemCount(), c.entries);
        EXPECT_EQ(derived.theme.topLevelItem(0)->childCount(), c.childrenOfF);
        if (c.entries == 3) {
            const QTreeWidgetItem* added = derived.theme.topLevelItem(2);
            EXPECT_EQ(added->text(0), node->text(0));
            EXPECT_EQ(NodeDataValue(added), NodeDataValue(node));
            EXPECT_EQ(NodeImage(added), -1); // no images copied
            EXPECT_EQ(NodeStateImage(added), -1);
        }
        EXPECT_EQ(Dump(derived.web) + Dump(derived.time) + Dump(derived.audio) + Dump(derived.video), before);
    }
}

TEST_F(ViewUpdatesTest, NodeOutsideAFeedTouchesNoFeedsView)
{
    for (int mode : {0, 1, 2, 3}) {
        SCOPED_TRACE(mode);
        Scene();
        // A web link in the folder whose link is also g1's.
        QTreeWidgetItem* link = Node(D, AddItem(kWebLink, "w", "http://G/1", At(0, 9)));
        const QString theme = Dump(derived.theme);
        const int web = derived.web.topLevelItemCount();
        UpdateViews(views(), link, mode);
        EXPECT_EQ(Dump(derived.theme), theme);
        // The other views still follow the link (matched ignoring case).
        const int expectedWeb = mode == umItemAdded ? web + 1 : mode == umItemRemoved ? web - 1 : web;
        EXPECT_EQ(derived.web.topLevelItemCount(), expectedWeb);
    }
}

TEST_F(ViewUpdatesTest, NodeWithoutItemChangesNothing)
{
    Scene();
    QTreeWidgetItem* bare = AddViewNode(&tree, F, "bare", -1);
    const QString before = DumpAll(derived);
    for (int mode : {0, 1, 2, 3, 7}) {
        UpdateViews(views(), bare, mode);
        EXPECT_EQ(DumpAll(derived), before) << mode;
    }
    UpdateViews(views(), nullptr, umItemAdded);
    EXPECT_EQ(DumpAll(derived), before);
}

TEST_F(ViewUpdatesTest, DeleteChildNodesRemovesMirrorsThenChildren)
{
    const struct {
        const char* what;
        bool folder; // delete below D (G and g1) or below F
        QStringList web;
        int audio, video, childrenOfF, childrenOfG;
    } cases[] = {
        {"a feed", false, {"g1"}, 0, 0, 0, 1},
        {"a folder with a feed", true, {"f1", "f2", "f3"}, 1, 1, 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scene();
        QTreeWidgetItem* root = c.folder ? D : F;
        DeleteChildNodes(views(), root);
        EXPECT_EQ(root->childCount(), 0);
        QStringList web;
        for (int i = 0; i < derived.web.topLevelItemCount(); ++i)
            web << derived.web.topLevelItem(i)->text(0);
        web.sort();
        EXPECT_EQ(web, c.web);
        EXPECT_EQ(derived.audio.topLevelItemCount(), c.audio);
        EXPECT_EQ(derived.video.topLevelItemCount(), c.video);
        // The feed entries stay, emptied of what was deleted.
        ASSERT_EQ(derived.theme.topLevelItemCount(), 2);
        EXPECT_EQ(derived.theme.topLevelItem(0)->childCount(), c.childrenOfF);
        EXPECT_EQ(derived.theme.topLevelItem(1)->childCount(), c.childrenOfG);
        int timed = 0;
        for (int g = 0; g < derived.time.topLevelItemCount(); ++g)
            timed += derived.time.topLevelItem(g)->childCount();
        EXPECT_EQ(timed, c.folder ? 3 : 1);
    }
}

// The batch removal must give exactly what one UpdateViews call per node
// gives, on both of its paths (few and many removals per list).
TEST_F(ViewUpdatesTest, BatchRemovalMatchesOneCallPerNode)
{
    for (int count : {12, 60}) {
        SCOPED_TRACE(count);
        tree.clear();
        QTreeWidgetItem* feed = Node(nullptr, AddItem(kFeed, "F", "http://f/rss", At(0, 8), 11));
        QTreeWidgetItem* other = Node(nullptr, AddItem(kFeed, "O", "http://o/rss", At(0, 8), 12));
        const char* kinds[] = {"", ".mp3", ".mp4", "aac.mp4"};
        for (int i = 0; i < count; ++i) {
            // Links repeat (one in three, with a case change) and sites vary.
            const QString link = QStringLiteral("http://%1/%2%3")
                                     .arg(i % 4 == 0 ? "S" : "s")
                                     .arg(i / 3)
                                     .arg(kinds[i % 4]);
            News(feed, QStringLiteral("f%1").arg(i), link, At(-(i % 7), i % 24, i % 60));
            if (i % 5 == 0)
                News(other, QStringLiteral("o%1").arg(i), link.toUpper(), At(-(i % 5), 12));
        }
        News(feed, "bare", "", At(0, 1));
        AddViewNode(&tree, feed, "no item", -1);

        TDerivedViews one, batch;
        BuildCategoryViews(one.With(&tree), 5);
        BuildCategoryViews(batch.With(&tree), 5);
        const QString before = DumpAll(one);
        ASSERT_EQ(DumpAll(batch), before);

        QList<QTreeWidgetItem*> nodes;
        for (int i = 0; i < feed->childCount(); ++i)
            nodes << feed->child(i);
        for (QTreeWidgetItem* node : nodes)
            UpdateViews(one.With(&tree), node, umItemRemoved);
        RemoveFromViews(batch.With(&tree), nodes);

        EXPECT_NE(DumpAll(one), before);
        EXPECT_EQ(DumpAll(batch), DumpAll(one));
    }
}

TEST_F(ViewUpdatesTest, BatchRemovalKeepsSelectionOfWhatStays)
{
    tree.clear();
    QTreeWidgetItem* feed = Node(nullptr, AddItem(kFeed, "F", "http://f/rss", At(0, 8), 11));
    for (int i = 0; i < 40; ++i)
        News(feed, QStringLiteral("f%1").arg(i), QStringLiteral("http://f/%1").arg(i), At(0, 9));
    QTreeWidgetItem* other = Node(nullptr, AddItem(kFeed, "O", "http://o/rss", At(0, 8), 12));
    News(other, "keep", "http://f/keep", At(0, 9));
    BuildCategoryViews(views(), 5);

    QTreeWidget& web = derived.web;
    QTreeWidgetItem* kept = nullptr;
    for (int i = 0; i < web.topLevelItemCount(); ++i)
        if (web.topLevelItem(i)->text(0) == "keep")
            kept = web.topLevelItem(i);
    ASSERT_NE(kept, nullptr);
    web.setCurrentItem(kept);
    ASSERT_TRUE(kept->isSelected());

    DeleteChildNodes(views(), feed);
    ASSERT_EQ(web.topLevelItemCount(), 1);
    EXPECT_EQ(web.topLevelItem(0), kept);
    EXPECT_TRUE(kept->isSelected());
    EXPECT_EQ(web.currentItem(), kept);
    EXPECT_EQ(derived.time.topLevelItem(0)->childCount(), 1);
}

} // namespace
