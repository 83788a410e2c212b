#include "model/CategoryViews.h"

#include "app/NewsGlobals.h"
#include "model/PendingChildren.h"
#include "model/ViewNodes.h"
#include "support/FakeClock.h"
#include "support/TempFolder.h"

#include <QSet>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

#include <functional>

namespace {

const QDate kToday(2026, 3, 10);

TDateTime At(int dayOffset, int hour) { return ToDateTime(kToday.addDays(dayOffset), QTime(hour, 0)); }

// The five derived views, so that one tree can feed two sets of them.
struct TDerivedViews {
    QTreeWidget theme, web, time, video, audio;
    TNewsViews With(QTreeWidget* tree) { return {tree, &theme, &web, &time, &video, &audio}; }
};

// One line per node: indentation, caption, data value and the three images.
// Compact children are made first.
QString Dump(QTreeWidget& view)
{
    RealizeAllChildren(&view);
    QString out;
    for (QTreeWidgetItemIterator it(&view); *it; ++it) {
        const QTreeWidgetItem* n = *it;
        out += QString(n->parent() ? 2 : 0, ' ')
               + QStringLiteral("%1 #%2 %3/%4/%5\n")
                     .arg(n->text(0))
                     .arg(NodeDataValue(n))
                     .arg(NodeImage(n))
                     .arg(NodeSelectedImage(n))
                     .arg(NodeStateImage(n));
    }
    return out;
}
QString DumpMedia(TDerivedViews& v) { return Dump(v.web) + Dump(v.time) + Dump(v.video) + Dump(v.audio); }
QString DumpAll(TDerivedViews& v) { return Dump(v.theme) + "|" + DumpMedia(v); }

QList<qint64> DataOf(QTreeWidgetItem* parent)
{
    RealizeChildren(parent);
    QList<qint64> r;
    for (int i = 0; i < parent->childCount(); ++i)
        r << NodeDataValue(parent->child(i));
    return r;
}

void ExpectCopy(const QTreeWidgetItem* copy, const QTreeWidgetItem* of)
{
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->text(0), of->text(0));
    EXPECT_EQ(NodeDataValue(copy), NodeDataValue(of));
    EXPECT_EQ(NodeImage(copy), NodeImage(of));
    EXPECT_EQ(NodeSelectedImage(copy), NodeSelectedImage(of));
    EXPECT_EQ(NodeStateImage(copy), NodeStateImage(of));
}

class ViewUpdatesTest : public ::testing::Test {
protected:
    ViewUpdatesTest() : clock(QDateTime(kToday, QTime(15, 30))), data(home.Path()) {}

    int AddItem(const QString& kind, const QString& link, TDateTime stamp, int icon = -1)
    {
        TTreeItem item(kind, kind + " " + link, link, "", "", "0");
        item.TimeStamp = stamp;
        item.IconIdx = icon;
        return data.NewsList.AddCopy(item);
    }
    QTreeWidgetItem* Node(QTreeWidgetItem* parent, const QString& kind, const QString& link, TDateTime stamp,
                          int icon = -1)
    {
        const int index = AddItem(kind, link, stamp, icon);
        return AddViewNode(&tree, parent, data.NewsList.At(index)->Title, index);
    }
    // Added the way the feed merge adds an item: first child, own caption and images.
    QTreeWidgetItem* NewFirstChild(QTreeWidgetItem* parent, const QString& link, TDateTime stamp)
    {
        QTreeWidgetItem* node = NewViewNode("fresh caption");
        SetNodeDataValue(node, AddItem(kNewsItem, link, stamp));
        SetNodeImages(node, 13, 15, 9);
        parent->insertChild(0, node);
        return node;
    }
    // F: a top-level feed with three items; D: a folder holding the feed G.
    void Scene()
    {
        tree.clear();
        F = Node(nullptr, kFeed, "http://f/rss", At(0, 8), 11);
        Node(F, kNewsItem, "http://f/1", At(0, 9));
        Node(F, kNewsItem, "http://f/2.mp3", At(-1, 9));
        Node(F, kNewsItem, "http://f/3.mp4", At(-2, 9));
        D = Node(nullptr, kFolder, "", At(0, 1));
        G = Node(D, kFeed, "http://g/rss", At(0, 8), 12);
        Node(G, kNewsItem, "http://g/1", At(0, 10));
        BuildCategoryViews(views(), 5);
        // These tests look at the made nodes; CompactChildrenTakeTheSameChanges
        // runs the same changes on children kept compact.
        RealizeAllChildren(&v.theme);
        RealizeAllChildren(&v.time);
    }
    TNewsViews views() { return v.With(&tree); }

    TempProgramFolder home;
    FakeClock clock;
    TNewsData data;
    QTreeWidget tree;
    TDerivedViews v;
    QTreeWidgetItem *F = nullptr, *D = nullptr, *G = nullptr;
};

TEST_F(ViewUpdatesTest, AddedItemGoesFirstIntoEachView)
{
    const struct {
        const char* link;
        TDateTime stamp;
        int group; // -1: in no group
        bool audio, video;
    } cases[] = {
        {"http://f/new", At(0, 10), 0, false, false},
        {"http://f/new.mp3", At(-1, 12), 1, true, false},
        {"http://f/x.aac/new.mp4", At(1, 10), 0, true, true}, // less than a day after the next day's start
        {"http://f/new.m4v", At(2, 6), 1, false, true},     // 24 to 48 hours after it
        {"http://f/midnight", At(0, 0), 0, false, false}, // midnight starts the day
        {"http://f/old", At(-20, 12), -1, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        Scene();
        const int sizes[] = {v.time.topLevelItem(0)->childCount(), v.time.topLevelItem(1)->childCount(),
                             v.audio.topLevelItemCount(), v.video.topLevelItemCount(), v.web.topLevelItemCount()};
        QTreeWidgetItem* node = NewFirstChild(F, c.link, c.stamp);
        UpdateViews(views(), node, umItemAdded);

        for (int g = 0; g < 2; ++g)
            EXPECT_EQ(v.time.topLevelItem(g)->childCount(), sizes[g] + (g == c.group)) << g;
        if (c.group >= 0)
            ExpectCopy(v.time.topLevelItem(c.group)->child(0), node);
        EXPECT_EQ(v.audio.topLevelItemCount(), sizes[2] + c.audio);
        if (c.audio)
            ExpectCopy(v.audio.topLevelItem(0), node);
        EXPECT_EQ(v.video.topLevelItemCount(), sizes[3] + c.video);
        if (c.video)
            ExpectCopy(v.video.topLevelItem(0), node);
        EXPECT_EQ(v.web.topLevelItemCount(), sizes[4] + 1);
        ExpectCopy(v.web.topLevelItem(0), node);
        EXPECT_EQ(v.theme.topLevelItemCount(), 2);
        ExpectCopy(v.theme.topLevelItem(0)->child(0), node);
    }
}

TEST_F(ViewUpdatesTest, AddedItemCreatesAMissingFeedEntryLast)
{
    Scene();
    QTreeWidgetItem* H = Node(nullptr, kFeed, "http://h/rss", At(0, 8), 16); // no entry yet
    SetNodeImages(H, 16, 17, -1);
    // G's entry is found by link ignoring case, also through another item.
    SetNodeDataValue(v.theme.topLevelItem(1), AddItem(kFeed, "HTTP://G/RSS", 0));

    QTreeWidgetItem* h1 = NewFirstChild(H, "http://h/1", At(0, 9));
    UpdateViews(views(), h1, umItemAdded);
    QTreeWidgetItem* h2 = NewFirstChild(H, "http://h/2", At(0, 10));
    UpdateViews(views(), h2, umItemAdded);
    QTreeWidgetItem* g2 = NewFirstChild(G, "http://g/2", At(0, 11));
    UpdateViews(views(), g2, umItemAdded);

    ASSERT_EQ(v.theme.topLevelItemCount(), 3);
    ExpectCopy(v.theme.topLevelItem(2), H);
    EXPECT_EQ(DataOf(v.theme.topLevelItem(2)), (QList<qint64>{NodeDataValue(h2), NodeDataValue(h1)}));
    EXPECT_EQ(DataOf(v.theme.topLevelItem(1)).value(0), NodeDataValue(g2));
}

TEST_F(ViewUpdatesTest, TimeViewWithOneNodeInAllIsLeftAlone)
{
    for (bool groupHasItem : {false, true}) {
        Scene();
        v.time.clear();
        QTreeWidgetItem* lonely = AddViewNode(&v.time, nullptr, "lonely", -1);
        if (groupHasItem)
            AddViewNode(&v.time, lonely, "f1", NodeDataValue(F->child(0)));
        UpdateViews(views(), NewFirstChild(F, "http://f/new", At(0, 12)), umItemAdded);
        EXPECT_EQ(lonely->childCount(), groupHasItem ? 2 : 0);
        EXPECT_EQ(v.web.topLevelItem(0)->text(0), "fresh caption"); // the other views still change
    }
}

// Mirrors are told apart by data value: an item whose link another item
// shares (also but for case, or both empty) loses its own mirrors only.
TEST_F(ViewUpdatesTest, RemovedItemTakesItsOwnMirrorsNotATwinsOfTheSameLink)
{
    const struct {
        const char* link;
        const char* twinLink;
    } cases[] = {{"http://f/x.mp3", "HTTP://F/X.MP3"}, {"http://f/x.mp3", "http://f/x.mp3"}, {"", ""}};
    for (const auto& c : cases) {
        for (bool removeTwin : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.twinLink << " " << removeTwin);
            Scene();
            QTreeWidgetItem* a = Node(F, kNewsItem, c.link, At(0, 11));
            QTreeWidgetItem* twin = Node(F, kNewsItem, c.twinLink, At(0, 12));
            BuildCategoryViews(views(), 5);
            QTreeWidgetItem* gone = removeTwin ? twin : a;
            QTreeWidgetItem* kept = removeTwin ? a : twin;
            const QString audioBefore = Dump(v.audio);
            UpdateViews(views(), gone, umItemRemoved);
            for (QTreeWidgetItem* list : {v.web.invisibleRootItem(), v.time.topLevelItem(0), v.theme.topLevelItem(0)}) {
                EXPECT_FALSE(DataOf(list).contains(NodeDataValue(gone)));
                EXPECT_TRUE(DataOf(list).contains(NodeDataValue(kept)));
            }
            EXPECT_EQ(DataOf(v.audio.invisibleRootItem()).contains(NodeDataValue(kept)), *c.link != 0);
            EXPECT_FALSE(DataOf(v.audio.invisibleRootItem()).contains(NodeDataValue(gone)));
            EXPECT_EQ(v.audio.topLevelItemCount(), audioBefore.count('\n') - (*c.link != 0));
        }
    }
}

TEST_F(ViewUpdatesTest, RemovedItemLeavesTheViewsItWasIn)
{
    Scene();
    QTreeWidgetItem* f3 = F->child(2); // a video item two days old
    UpdateViews(views(), f3, umItemRemoved);
    EXPECT_EQ(v.video.topLevelItemCount(), 0);
    EXPECT_EQ(v.time.topLevelItem(2)->childCount(), 0);
    EXPECT_FALSE(DataOf(v.web.invisibleRootItem()).contains(NodeDataValue(f3)));
    EXPECT_FALSE(DataOf(v.theme.topLevelItem(0)).contains(NodeDataValue(f3)));
    EXPECT_EQ(v.audio.topLevelItemCount(), 1);
    for (QTreeWidget* view : {&tree, &v.theme, &v.web, &v.time, &v.video, &v.audio})
        EXPECT_TRUE(view->updatesEnabled());
}

TEST_F(ViewUpdatesTest, FeedModesActOnlyBelowAFeed)
{
    // A top-level feed node, as the feed merge passes it, has no feed parent,
    // so modes 2 and 3 change nothing for it.
    const struct {
        int mode;
        bool belowFeed; // f1 or F itself
        int entries, childrenOfF;
    } cases[] = {{umFeedAdded, true, 3, 3}, {umFeedAdded, false, 2, 3},
                 {umFeedEmptied, true, 2, 0}, {umFeedEmptied, false, 2, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.belowFeed);
        Scene();
        const QString media = DumpMedia(v);
        QTreeWidgetItem* node = c.belowFeed ? F->child(0) : F;
        UpdateViews(views(), node, c.mode);
        ASSERT_EQ(v.theme.topLevelItemCount(), c.entries);
        EXPECT_EQ(v.theme.topLevelItem(0)->childCount(), c.childrenOfF);
        if (c.entries == 3) {
            const QTreeWidgetItem* added = v.theme.topLevelItem(2);
            EXPECT_EQ(added->text(0), node->text(0));
            EXPECT_EQ(NodeDataValue(added), NodeDataValue(node));
            EXPECT_EQ(NodeImage(added), -1); // no images copied
        }
        EXPECT_EQ(DumpMedia(v), media);
    }
}

TEST_F(ViewUpdatesTest, NodeOutsideAFeedOrWithoutItem)
{
    for (int mode : {0, 1, 2, 3}) {
        SCOPED_TRACE(mode);
        Scene();
        // A web link in the folder whose link is g1's but for case: it has
        // no mirror to remove, and g1's stays.
        QTreeWidgetItem* link = Node(D, kWebLink, "http://G/1", At(0, 9));
        const QString theme = Dump(v.theme);
        const int web = v.web.topLevelItemCount();
        UpdateViews(views(), link, mode);
        EXPECT_EQ(Dump(v.theme), theme);
        EXPECT_EQ(v.web.topLevelItemCount(), web + (mode == 0));

        const QString all = DumpAll(v);
        UpdateViews(views(), AddViewNode(&tree, F, "bare", -1), mode);
        UpdateViews(views(), nullptr, mode);
        EXPECT_EQ(DumpAll(v), all);
    }
}

TEST_F(ViewUpdatesTest, DeleteChildNodesRemovesMirrorsThenChildren)
{
    for (bool folder : {false, true}) {
        SCOPED_TRACE(folder);
        Scene();
        QTreeWidgetItem* root = folder ? D : F;
        DeleteChildNodes(views(), root);
        EXPECT_EQ(root->childCount(), 0);
        EXPECT_EQ(v.web.topLevelItemCount(), folder ? 3 : 1);
        EXPECT_EQ(v.audio.topLevelItemCount(), folder ? 1 : 0);
        EXPECT_EQ(v.video.topLevelItemCount(), folder ? 1 : 0);
        int timed = 0;
        for (int g = 0; g < v.time.topLevelItemCount(); ++g)
            timed += v.time.topLevelItem(g)->childCount();
        EXPECT_EQ(timed, folder ? 3 : 1);
        // An emptied feed keeps its entry; a deleted feed (G in the folder) leaves with its items.
        ASSERT_EQ(v.theme.topLevelItemCount(), folder ? 1 : 2);
        EXPECT_EQ(v.theme.topLevelItem(0)->childCount(), folder ? 3 : 0);
        if (!folder)
            EXPECT_EQ(v.theme.topLevelItem(1)->childCount(), 1);
    }
}

// The batch addition must give exactly what one UpdateViews call per node
// gives: each list's new nodes first, the last added first of all, and a
// missing Feeds entry made once, last.
TEST_F(ViewUpdatesTest, BatchAdditionMatchesOneCallPerNode)
{
    Scene();
    QTreeWidgetItem* H = Node(nullptr, kFeed, "http://h/rss", At(0, 8), 14); // no Feeds entry yet
    TDerivedViews one, batch;
    BuildCategoryViews(one.With(&tree), 5);
    BuildCategoryViews(batch.With(&tree), 5);
    qDeleteAll(one.theme.findItems(QStringLiteral("RSH http://h/rss"), Qt::MatchExactly));
    qDeleteAll(batch.theme.findItems(QStringLiteral("RSH http://h/rss"), Qt::MatchExactly));
    const QString before = DumpAll(one);
    const char* kinds[] = {"", ".mp3", ".mp4", ".aac.mp4"};
    QList<QTreeWidgetItem*> added;
    for (int i = 0; i < 14; ++i) {
        QTreeWidgetItem* parent = i % 3 == 0 ? F : i % 3 == 1 ? H : D; // D is a folder
        added << NewFirstChild(parent, QStringLiteral("http://n/%1%2").arg(i).arg(kinds[i % 4]), At(-(i % 9), i));
    }
    added << AddViewNode(&tree, F, "no item", -1);
    for (QTreeWidgetItem* node : added)
        UpdateViews(one.With(&tree), node, umItemAdded);
    AddToViews(batch.With(&tree), added);
    EXPECT_NE(DumpAll(one), before);
    EXPECT_EQ(DumpAll(batch), DumpAll(one));
    EXPECT_EQ(batch.theme.topLevelItemCount(), 3);
}

// The batch removal must give exactly what one UpdateViews call per node
// gives, on both of its paths (few and many removals per list).
TEST_F(ViewUpdatesTest, BatchRemovalMatchesOneCallPerNode)
{
    for (int count : {12, 60}) {
        SCOPED_TRACE(count);
        tree.clear();
        QTreeWidgetItem* feed = Node(nullptr, kFeed, "http://f/rss", At(0, 8), 11);
        QTreeWidgetItem* other = Node(nullptr, kFeed, "http://o/rss", At(0, 8), 12);
        const char* kinds[] = {"", ".mp3", ".mp4", ".aac.mp4"};
        for (int i = 0; i < count; ++i) {
            // Links repeat, with case changes, within and across feeds.
            const QString link = QStringLiteral("http://%1/%2%3").arg(i % 4 ? "s" : "S").arg(i / 3).arg(kinds[i % 4]);
            Node(feed, kNewsItem, link, At(-(i % 7), i % 24));
            if (i % 5 == 0)
                Node(other, kNewsItem, link.toUpper(), At(-(i % 5), 12));
        }
        Node(feed, kNewsItem, "", At(0, 1));
        AddViewNode(&tree, feed, "no item", -1);

        TDerivedViews one, batch;
        BuildCategoryViews(one.With(&tree), 5);
        BuildCategoryViews(batch.With(&tree), 5);
        const QString before = DumpAll(one);
        QList<QTreeWidgetItem*> nodes;
        for (int i = 0; i < feed->childCount(); ++i)
            nodes << feed->child(i);
        for (QTreeWidgetItem* node : nodes)
            UpdateViews(one.With(&tree), node, umItemRemoved);
        RemoveFromViews(batch.With(&tree), nodes);
        EXPECT_NE(DumpAll(one), before);
        EXPECT_EQ(DumpAll(batch), DumpAll(one));
        // Each removed node took its own mirrors, whatever links it shares.
        QSet<qint64> removed;
        for (QTreeWidgetItem* node : nodes)
            if (data.NodeItem(node))
                removed.insert(NodeDataValue(node));
        for (QTreeWidget* view : {&batch.web, &batch.time, &batch.video, &batch.audio})
            for (QTreeWidgetItemIterator it(view); *it; ++it)
                EXPECT_FALSE(removed.contains(NodeDataValue(*it)));
        for (int i = 0; i < batch.theme.topLevelItemCount(); ++i)
            for (qint64 d : DataOf(batch.theme.topLevelItem(i)))
                EXPECT_FALSE(removed.contains(d));
    }
}

// The Feeds entries and day groups of a fresh build keep their children
// compact; every change must leave them as it leaves made nodes.
TEST_F(ViewUpdatesTest, CompactChildrenTakeTheSameChanges)
{
    tree.clear();
    F = Node(nullptr, kFeed, "http://f/rss", At(0, 8), 11);
    G = Node(nullptr, kFeed, "http://g/rss", At(0, 8), 12);
    QTreeWidgetItem* E = Node(nullptr, kFeed, "http://e/rss", At(0, 8), 13);
    for (int i = 0; i < 30; ++i) {
        // Links repeat within and across feeds, some only but for case.
        const QString link = QStringLiteral("http://%1/%2%3").arg(i % 2 ? "s" : "S").arg(i / 2).arg(i % 3 ? "" : ".mp3");
        Node(F, kNewsItem, link, At(-(i % 4), i % 24));
        if (i % 3 == 0)
            Node(G, kNewsItem, link.toUpper(), At(-(i % 3), 7));
    }
    Node(E, kNewsItem, "http://e/1", At(0, 3));
    TDerivedViews made, compact;
    BuildCategoryViews(made.With(&tree), 5);
    BuildCategoryViews(compact.With(&tree), 5);
    RealizeAllChildren(&made.theme);
    RealizeAllChildren(&made.time);
    ASSERT_TRUE(HasPendingChildren(compact.theme.topLevelItem(0)));
    ASSERT_TRUE(HasPendingChildren(compact.time.topLevelItem(0)));
    EXPECT_EQ(compact.time.topLevelItem(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

    auto both = [&](const std::function<void(const TNewsViews&)>& change) {
        change(made.With(&tree));
        change(compact.With(&tree));
        for (int i = 0; i < made.theme.topLevelItemCount(); ++i)
            ASSERT_EQ(ChildCountOf(compact.theme.topLevelItem(i)), made.theme.topLevelItem(i)->childCount()) << i;
        for (int g = 0; g < made.time.topLevelItemCount(); ++g)
            ASSERT_EQ(ChildCountOf(compact.time.topLevelItem(g)), made.time.topLevelItem(g)->childCount()) << g;
    };
    // One at a time: additions first in their lists, a new feed's entry, removals of twins.
    QTreeWidgetItem* H = Node(nullptr, kFeed, "http://h/rss", At(0, 8), 14);
    for (QTreeWidgetItem* parent : {F, G, H, F}) {
        QTreeWidgetItem* node = NewFirstChild(parent, QStringLiteral("http://n/%1.mp3").arg(NodeDataValue(parent)), At(-1, 5));
        both([&](const TNewsViews& views) { UpdateViews(views, node, umItemAdded); });
    }
    for (int i : {3, 0, 7}) {
        QTreeWidgetItem* node = F->child(i);
        both([&](const TNewsViews& views) { UpdateViews(views, node, umItemRemoved); });
    }
    // In batches: few and many removals, then additions.
    QList<QTreeWidgetItem*> few{F->child(1), G->child(0)}, many;
    for (int i = 4; i < 20; ++i)
        many << F->child(i);
    both([&](const TNewsViews& views) { RemoveFromViews(views, few); });
    both([&](const TNewsViews& views) { RemoveFromViews(views, many); });
    QList<QTreeWidgetItem*> added;
    for (int i = 0; i < 6; ++i)
        added << NewFirstChild(i % 2 ? G : F, QStringLiteral("http://b/%1").arg(i), At(-(i % 3), 9));
    both([&](const TNewsViews& views) { AddToViews(views, added); });
    // The last child of a list goes, and a feed is emptied: no mark is left.
    both([&](const TNewsViews& views) { UpdateViews(views, E->child(0), umItemRemoved); });
    both([&](const TNewsViews& views) { UpdateViews(views, G->child(0), umFeedEmptied); });
    EXPECT_FALSE(HasPendingChildren(compact.theme.topLevelItem(2)));
    EXPECT_EQ(compact.theme.topLevelItem(2)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
    EXPECT_TRUE(HasPendingChildren(compact.theme.topLevelItem(0)));

    EXPECT_EQ(DumpAll(compact), DumpAll(made));
    EXPECT_EQ(compact.theme.topLevelItem(0)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

TEST_F(ViewUpdatesTest, BatchRemovalKeepsSelectionOfWhatStays)
{
    tree.clear();
    QTreeWidgetItem* feed = Node(nullptr, kFeed, "http://f/rss", At(0, 8), 11);
    for (int i = 0; i < 40; ++i)
        Node(feed, kNewsItem, QStringLiteral("http://f/%1").arg(i), At(0, 9));
    Node(Node(nullptr, kFeed, "http://o/rss", At(0, 8), 12), kNewsItem, "http://f/keep", At(0, 9));
    BuildCategoryViews(views(), 5);
    QTreeWidgetItem* kept = nullptr;
    for (int i = 0; i < v.web.topLevelItemCount(); ++i)
        if (v.web.topLevelItem(i)->text(0).endsWith("keep"))
            kept = v.web.topLevelItem(i);
    ASSERT_NE(kept, nullptr);
    v.web.setCurrentItem(kept);

    DeleteChildNodes(views(), feed);
    ASSERT_EQ(v.web.topLevelItemCount(), 1);
    EXPECT_EQ(v.web.topLevelItem(0), kept);
    EXPECT_TRUE(kept->isSelected());
    EXPECT_EQ(v.web.currentItem(), kept);
}

} // namespace
