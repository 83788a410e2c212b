// The tree editing commands of the organiser: what each changes in tvTree and
// the derived views, what it asks, and that deleting and moving wait for the
// operation that holds the nodes.
#include "organiser/OrganiserFixture.h"

#include "model/CategoryViews.h"
#include "model/PendingChildren.h"
#include "organiser/InterfaceTexts.h"
#include "organiser/TreeDragDrop.h"
#include "text/TextTools.h"

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QTreeWidgetItemIterator>

namespace {

enum TTab { tabTime, tabWWW, tabVideo, tabAudio, tabFeeds, tabTree };

// Data values of every node of a view, in display order, compact children made.
QList<qint64> AllData(QTreeWidget* view)
{
    RealizeAllChildren(view);
    QList<qint64> r;
    for (QTreeWidgetItemIterator it(view); *it; ++it)
        r << NodeDataValue(*it);
    return r;
}

QStringList Captions(QTreeWidgetItem* parent)
{
    QStringList r;
    for (int i = 0; i < parent->childCount(); ++i)
        r << parent->child(i)->text(0);
    return r;
}

// node and every node below it.
QList<QTreeWidgetItem*> Subtree(QTreeWidgetItem* node)
{
    QList<QTreeWidgetItem*> r{node};
    for (int i = 0; i < r.size(); ++i)
        for (int c = 0; c < r[i]->childCount(); ++c)
            r << r[i]->child(c);
    return r;
}

// The first node of view carrying the data value of node, compact children made.
QTreeWidgetItem* MirrorOf(QTreeWidget* view, qint64 data)
{
    RealizeAllChildren(view);
    for (QTreeWidgetItemIterator it(view); *it; ++it)
        if (NodeDataValue(*it) == data)
            return *it;
    return nullptr;
}
QTreeWidgetItem* MirrorOf(QTreeWidget* view, const QTreeWidgetItem* node) { return MirrorOf(view, NodeDataValue(node)); }

class EditCommandsTest : public OrganiserFixture {
protected:
    void SetUp() override
    {
        CreateOrganiser();
        organiser->TreeLoaded = true;
    }

    // D (folder) > F (feed) > f1, f2.mp3, f3.mp4; G (feed) > g1; W (web link).
    // Feeds were refreshed just now, so no tick fetches anything.
    void Scene()
    {
        const TDateTime now = NowDateTime();
        D = AddNode(nullptr, "FLD", "D", "", now);
        F = AddNode(D, "RSH", "F", "http://f.test/rss", now);
        f1 = AddNode(F, "RSS", "f1", "http://f.test/1", now);
        AddNode(F, "RSS", "f2", "http://f.test/2.mp3", MinutesAgo(1500));
        AddNode(F, "RSS", "f3", "http://f.test/3.mp4", now);
        G = AddNode(nullptr, "RSH", "G", "http://g.test/rss", now);
        g1 = AddNode(G, "RSS", "g1", "http://g.test/1", now);
        W = AddNode(nullptr, "WEB", "W", "http://w.test/", now);
        BuildCategoryViews(organiser->Views(), organiser->NewsStorageDuration);
    }

    QTreeWidget* ViewOf(int tab) const
    {
        QTreeWidget* views[] = {organiser->tvTime, organiser->tvWeb,   organiser->tvVideo,
                                organiser->tvAudio, organiser->tvTheme, organiser->tvTree};
        return views[tab];
    }
    void Select(QTreeWidget* view, QTreeWidgetItem* node)
    {
        view->clearSelection();
        if (node)
            view->setCurrentItem(node);
    }
    bool InDerivedViews(const QTreeWidgetItem* node) const
    {
        for (QTreeWidget* view :
             {organiser->tvTime, organiser->tvWeb, organiser->tvVideo, organiser->tvAudio, organiser->tvTheme})
            if (MirrorOf(view, node))
                return true;
        return false;
    }

    QTreeWidgetItem *D = nullptr, *F = nullptr, *f1 = nullptr, *G = nullptr, *g1 = nullptr, *W = nullptr;
};

TEST_F(EditCommandsTest, NewFolderGoesToTheVeryTopWithTheFolderIcon)
{
    const struct {
        bool answered;
        const char* typed;
        const char* title;
    } cases[] = {
        {true, "News", "News"},
        {true, "", nullptr},             // a name nobody could see: nothing is made
        {true, "  ", nullptr},
        {true, "D", "D"},                // nor on doubles
        {true, "A &amp; <b>B</b>", "A & B"}, // shown as typed, stored converted
        {false, "ignored", nullptr},
    };
    Scene();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Select(organiser->tvTree, f1); // the selection does not matter
        const int before = organiser->tvTree->topLevelItemCount();
        dialogs.questions.clear();
        if (c.answered)
            dialogs.inputs.push_back(c.typed);
        organiser->acNewFolder->trigger();
        EXPECT_EQ(dialogs.questions, QStringList{OrganiserTexts.SNewFolderInput});
        if (!c.answered || !c.title) {
            EXPECT_EQ(organiser->tvTree->topLevelItemCount(), before);
            continue;
        }
        ASSERT_EQ(organiser->tvTree->topLevelItemCount(), before + 1);
        QTreeWidgetItem* node = organiser->tvTree->topLevelItem(0);
        EXPECT_EQ(node->text(0), c.typed);
        EXPECT_EQ(NodeImage(node), imgFolder);
        EXPECT_EQ(NodeSelectedImage(node), imgFolder);
        const TTreeItem* item = Item(node);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->IsKind("FLD"));
        EXPECT_EQ(item->Title, c.title);
        EXPECT_TRUE(item->Link.isEmpty());
        EXPECT_NEAR(item->TimeStamp, NowDateTime(), 1.0 / 86400);
    }
}

TEST_F(EditCommandsTest, NewURLFetchesWhatWasTypedOrNothing)
{
    Scene();
    downloader.Serve("http://n.test/rss", SmallFeed("n", 2));
    organiser->acNewURL->trigger(); // cancelled
    EXPECT_EQ(downloader.CallCount("http://www."), 0);
    EXPECT_EQ(dialogs.questions, QStringList{OrganiserTexts.SNewURLInput});

    dialogs.inputs.push_back("http://n.test/rss");
    organiser->acNewURL->trigger();
    EXPECT_EQ(downloader.CallCount("http://n.test/rss"), 1);
    bool found = false;
    for (int i = 0; i < organiser->tvTree->topLevelItemCount(); ++i) {
        const TTreeItem* item = Item(organiser->tvTree->topLevelItem(i));
        found = found || (item && item->IsKind("RSH") && item->Link == "http://n.test/rss");
    }
    EXPECT_TRUE(found);
}

// Delete acts on tvTree's selected node whatever tab is active, asks first,
// and takes the node and all below it out of every view.
TEST_F(EditCommandsTest, DeleteFromEachTab)
{
    enum TWhich { none, folder, item };
    const struct {
        int tab;
        TWhich selected;
        bool yes;
    } cases[] = {
        {tabTree, folder, true}, {tabTime, folder, true}, {tabWWW, item, true}, {tabFeeds, folder, true},
        {tabAudio, item, true},  {tabVideo, folder, false}, {tabTree, none, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tab << " " << c.selected << " " << c.yes);
        organiser->tvTree->clear();
        Scene();
        organiser->PageControl1->setCurrentIndex(c.tab);
        QTreeWidgetItem* doomed = c.selected == folder ? D : c.selected == item ? f1 : nullptr;
        Select(organiser->tvTree, doomed);
        // Something else selected on the active tab must not matter.
        if (c.tab != tabTree)
            Select(ViewOf(c.tab), ViewOf(c.tab)->topLevelItem(0));
        const QList<QTreeWidgetItem*> below = doomed ? Subtree(doomed) : QList<QTreeWidgetItem*>();
        const QList<qint64> belowData = [&] {
            QList<qint64> r;
            for (auto* n : below)
                r << NodeDataValue(n);
            return r;
        }();
        const TNodeRef ref(doomed);
        const QString caption = doomed ? doomed->text(0) : QString();
        const qint64 fData = NodeDataValue(F);
        const int nodes = AllData(organiser->tvTree).size();
        dialogs.questions.clear();
        dialogs.answers = {c.yes};
        organiser->UpdatePosition = G;
        organiser->Timer1->stop();

        organiser->acDelete->trigger();

        if (!doomed) {
            EXPECT_TRUE(dialogs.questions.isEmpty());
            continue;
        }
        EXPECT_EQ(dialogs.questions, QStringList{FormatText(OrganiserTexts.SDelete, caption)});
        if (!c.yes) {
            EXPECT_EQ(AllData(organiser->tvTree).size(), nodes);
            EXPECT_TRUE(InDerivedViews(f1));
            continue;
        }
        EXPECT_EQ(ref.Get(), nullptr);
        EXPECT_EQ(AllData(organiser->tvTree).size(), nodes - below.size());
        for (QTreeWidget* view :
             {organiser->tvTime, organiser->tvWeb, organiser->tvVideo, organiser->tvAudio, organiser->tvTheme})
            for (qint64 d : AllData(view))
                EXPECT_FALSE(belowData.contains(d)) << view->objectName().toStdString();
        EXPECT_TRUE(InDerivedViews(g1));
        // A deleted feed leaves Feeds; a feed that stays loses only the deleted items.
        QTreeWidgetItem* entry = organiser->tvTheme->topLevelItem(0);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(NodeDataValue(entry) == fData, c.selected != folder);
        EXPECT_EQ(organiser->tvTheme->topLevelItemCount(), c.selected == folder ? 1 : 2);
        if (c.selected != folder)
            EXPECT_EQ(entry->childCount(), 2);
        EXPECT_EQ(organiser->UpdatePosition.Get(), nullptr);
        EXPECT_TRUE(organiser->Timer1->isActive());
    }
}

TEST_F(EditCommandsTest, DeleteWaitsForTheOperationThatHoldsTheNodes)
{
    for (bool goneMeanwhile : {false, true}) {
        SCOPED_TRACE(goneMeanwhile);
        organiser->tvTree->clear();
        Scene();
        Select(organiser->tvTree, F);
        const TNodeRef ref(F);
        const qint64 f1Data = NodeDataValue(f1);
        auto inWeb = [&] { return AllData(organiser->tvWeb).contains(f1Data); };
        dialogs.answers = {true};
        {
            TBusyState::THold hold(*organiser->Busy);
            organiser->acDelete->trigger();
            EXPECT_EQ(ref.Get(), F); // asked, but not deleted while held
            if (goneMeanwhile)
                delete D; // a load replaced the tree meanwhile
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(ref.Get(), nullptr);
        EXPECT_EQ(organiser->tvTree->topLevelItemCount(), goneMeanwhile ? 2 : 3);
        EXPECT_EQ(inWeb(), goneMeanwhile); // left alone when the node was gone
    }
}

TEST_F(EditCommandsTest, DelKeyReleasedInTheTreeAsksOnce)
{
    Scene();
    Select(organiser->tvTree, W);
    QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Delete, Qt::NoModifier);
    override.ignore();
    QCoreApplication::sendEvent(organiser->tvTree, &override);
    EXPECT_TRUE(override.isAccepted()); // the Del shortcut does not fire as well
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier);
    dialogs.answers = {true};
    QCoreApplication::sendEvent(organiser->tvTree, &release);
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 2);
    QKeyEvent other(QEvent::KeyRelease, Qt::Key_Backspace, Qt::NoModifier);
    QCoreApplication::sendEvent(organiser->tvTree, &other);
    EXPECT_EQ(dialogs.questions.size(), 1);
}

// Delete children from any tab works on the tvTree node of the selected
// node's item; the derived views are rebuilt from what is left.
TEST_F(EditCommandsTest, DeleteChildrenFromEachTab)
{
    enum TPick { pickF, pickF1, pickDayGroup, pickNothing };
    const struct {
        int tab;
        TPick pick;
        bool yes;
        bool asks;
    } cases[] = {
        {tabTree, pickF, true, true},      {tabFeeds, pickF, true, true},    {tabWWW, pickF1, true, true},
        {tabTime, pickDayGroup, true, false}, {tabTree, pickF, false, true}, {tabAudio, pickNothing, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tab << " " << c.pick << " " << c.yes);
        organiser->tvTree->clear();
        Scene();
        organiser->PageControl1->setCurrentIndex(c.tab);
        QTreeWidget* view = ViewOf(c.tab);
        QTreeWidgetItem* picked = nullptr;
        if (c.pick == pickF)
            picked = c.tab == tabTree ? F : MirrorOf(view, F);
        else if (c.pick == pickF1)
            picked = MirrorOf(view, f1);
        else if (c.pick == pickDayGroup)
            picked = view->topLevelItem(0);
        Select(view, picked);
        if (c.pick != pickNothing)
            ASSERT_NE(picked, nullptr);
        const QString caption = picked ? picked->text(0) : QString();
        const int fChildren = F->childCount();
        const qint64 f1Data = NodeDataValue(f1);
        dialogs.questions.clear();
        dialogs.answers = {c.yes};

        organiser->acDelChildren->trigger();

        EXPECT_EQ(dialogs.questions.size(), c.asks ? 1 : 0);
        if (c.asks)
            EXPECT_EQ(dialogs.questions.value(0), FormatText(OrganiserTexts.SDeleteChildren, caption));
        const bool deleted = c.asks && c.yes && c.pick == pickF;
        EXPECT_EQ(F->childCount(), deleted ? 0 : fChildren);
        // The views hold what the tree holds: G's item, and F's only while F has them.
        EXPECT_TRUE(MirrorOf(organiser->tvWeb, g1));
        EXPECT_TRUE(MirrorOf(organiser->tvTime, g1));
        EXPECT_EQ(MirrorOf(organiser->tvWeb, f1Data) != nullptr, !deleted);
        EXPECT_EQ(organiser->tvAudio->topLevelItemCount(), deleted ? 0 : 1);
        EXPECT_EQ(organiser->tvTheme->topLevelItemCount(), 2);
        EXPECT_TRUE(organiser->Timer1->isActive() || !deleted);
    }
}

TEST_F(EditCommandsTest, RenameInPlaceSetsTheTitleInEveryViewButFeeds)
{
    const struct {
        int tab;
        bool stored;
    } cases[] = {{tabTree, true}, {tabTime, true}, {tabWWW, true}, {tabVideo, true}, {tabAudio, true},
                 {tabFeeds, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        organiser->tvTree->clear();
        Scene();
        organiser->PageControl1->setCurrentIndex(c.tab);
        QTreeWidget* view = ViewOf(c.tab);
        EXPECT_EQ(view->editTriggers(), QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
        // f2 is an audio item, f3 a video item: each has a mirror in every other view.
        QTreeWidgetItem* f3 = F->child(c.tab == tabAudio ? 1 : 2);
        const QString oldCaption = f3->text(0);
        QTreeWidgetItem* node = c.tab == tabTree ? f3 : MirrorOf(view, f3);
        ASSERT_NE(node, nullptr);
        Select(view, node);
        organiser->acRename->trigger(); // F2
        auto* editor = view->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText("A &amp; B");
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(editor, &enter);
        QCoreApplication::processEvents();
        const QString title = c.stored ? HTMLToText("A &amp; B") : oldCaption;
        EXPECT_EQ(Item(f3)->Title, title);
        // Every view shows the new title at once; the Feeds view's caption is its own.
        EXPECT_EQ(node->text(0), c.stored ? title : QString("A &amp; B"));
        for (QTreeWidget* other : {organiser->tvTree, organiser->tvTime, organiser->tvWeb, organiser->tvTheme})
            if (other != view)
                EXPECT_EQ(MirrorOf(other, f3)->text(0), title);
    }
}

TEST_F(EditCommandsTest, CopyAndPropertiesOfTheActiveViewsNode)
{
    Scene();
    Item(F)->TimeStamp = ToDateTime(QDate(2026, 12, 8), QTime(9, 5, 7));
    Item(f1)->TimeStamp = ToDateTime(QDate(2026, 12, 9), QTime(11, 30, 0));
    const struct {
        int tab;
        QTreeWidgetItem* node; // in tvTree; its mirror on other tabs
        const char* link;
        const char* property;
    } cases[] = {
        {tabTree, F, "http://f.test/rss", "F\r\nhttp://f.test/rss\r\n8 Dec 2026 09:05:07"},
        {tabWWW, f1, "http://f.test/1", "f1\r\n\r\n9 Dec 2026 11:30:00"},
        {tabTree, W, "http://w.test/", nullptr},
        {tabTime, nullptr, nullptr, nullptr}, // a day group has no item
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        organiser->PageControl1->setCurrentIndex(c.tab);
        QTreeWidget* view = ViewOf(c.tab);
        QTreeWidgetItem* node = !c.node ? view->topLevelItem(0) : c.tab == tabTree ? c.node : MirrorOf(view, c.node);
        Select(view, node);
        QGuiApplication::clipboard()->setText("before");
        organiser->acCopyLink->trigger();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.node ? c.link : "before");
        organiser->acCopyNode->trigger();
        EXPECT_EQ(QGuiApplication::clipboard()->text(),
                  c.node ? Item(c.node)->Title + "\n" + c.link : QString("before"));
        dialogs.messages.clear();
        organiser->acProperty->trigger();
        if (c.property)
            EXPECT_EQ(dialogs.messages, QStringList{c.property});
        else if (!c.node)
            EXPECT_TRUE(dialogs.messages.isEmpty());
    }
}

TEST_F(EditCommandsTest, SortOrdersByCaptionAndStaysSorted)
{
    // The user's locale orders, not the character codes.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    struct TRestore {
        ~TRestore() { QLocale::setDefault(QLocale::c()); }
    } restore;
    QTreeWidgetItem* b = AddNode(nullptr, "FLD", "beta");
    AddNode(nullptr, "FLD", "Alpha");
    AddNode(nullptr, "FLD", "gamma");
    for (const char* name : {"z", "Y", "x"})
        AddNode(b, "WEB", name);
    b->setExpanded(true);
    {
        TBusyState::THold hold(*organiser->Busy);
        organiser->acSort->trigger();
        EXPECT_EQ(organiser->tvTree->topLevelItem(0)->text(0), "beta"); // waits
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(Captions(organiser->tvTree->invisibleRootItem()), (QStringList{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(Captions(b), (QStringList{"x", "Y", "z"})); // the whole tree, the first time
    EXPECT_TRUE(b->isExpanded());

    // Added later: put in place once the event loop gets to it.
    AddNode(nullptr, "FLD", "aardvark");
    AddNode(b, "WEB", "w");
    QCoreApplication::processEvents();
    EXPECT_EQ(Captions(organiser->tvTree->invisibleRootItem()), (QStringList{"aardvark", "Alpha", "beta", "gamma"}));
    EXPECT_EQ(Captions(b), (QStringList{"w", "x", "Y", "z"}));

    // A renamed node moves with the next Sort of its level only.
    b->child(0)->setText(0, "zz");
    organiser->tvTree->topLevelItem(0)->setText(0, "zzz");
    Select(organiser->tvTree, b->child(1));
    organiser->acSort->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(Captions(b), (QStringList{"x", "Y", "z", "zz"}));
    EXPECT_EQ(organiser->tvTree->topLevelItem(0)->text(0), "zzz");
}

class TreeDragDropTest : public EditCommandsTest {
protected:
    void SetUp() override
    {
        EditCommandsTest::SetUp();
        Scene();
        sub = AddNode(D, "FLD", "sub");
        for (QTreeWidgetItem* open : {D, F, G})
            open->setExpanded(true);
        organiser->PageControl1->setCurrentIndex(tabTree);
        organiser->show();
        QCoreApplication::processEvents();
        dd = organiser->TreeDragDrop;
    }
    QPoint At(QTreeWidgetItem* node) const { return organiser->tvTree->visualItemRect(node).center(); }
    QPoint BelowAll() const
    {
        QTreeWidget* tree = organiser->tvTree;
        return QPoint(10, tree->visualItemRect(tree->topLevelItem(tree->topLevelItemCount() - 1)).bottom() + 30);
    }

    QTreeWidgetItem* sub = nullptr;
    TTreeDragDrop* dd = nullptr;
};

TEST_F(TreeDragDropTest, DropIsPossibleOnFoldersAndBelowAllNodesOnly)
{
    ASSERT_LT(BelowAll().y(), organiser->tvTree->viewport()->height());
    const struct {
        const char* where;
        QPoint pos;
        const QObject* source;
        bool accepted;
        QTreeWidgetItem* target;
    } cases[] = {
        {"folder", At(D), organiser->tvTree, true, D},
        {"subfolder", At(sub), organiser->tvTree, true, sub},
        {"below all", BelowAll(), organiser->tvTree, true, nullptr},
        {"feed", At(F), organiser->tvTree, false, nullptr},
        {"item", At(f1), organiser->tvTree, false, nullptr},
        {"web link", At(W), organiser->tvTree, false, nullptr},
        {"from another view", At(D), organiser->tvWeb, false, nullptr},
        {"from outside", BelowAll(), nullptr, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        const TTreeDragDrop::TDropPlace place = dd->PlaceAt(c.source, c.pos);
        EXPECT_EQ(place.accepted, c.accepted);
        EXPECT_EQ(place.target, c.target);
    }
}

TEST_F(TreeDragDropTest, DropMovesTheSelectedNodeOnly)
{
    enum TTo { toD, toSub, toBelow, toItem };
    enum TMoved { movedNone, movedD, movedF, movedG, movedW };
    const struct {
        const char* what;
        TMoved moved;
        TTo to;
        bool moves;
    } cases[] = {
        {"G into D", movedG, toD, true},
        {"G into D's subfolder", movedG, toSub, true},
        {"F below all", movedF, toBelow, true},
        {"D into itself", movedD, toD, false},
        {"D into its subfolder", movedD, toSub, false},
        {"W onto a news item", movedW, toItem, false},
        {"nothing selected", movedNone, toD, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        organiser->tvTree->clear();
        SetUp();
        QTreeWidgetItem* const nodes[] = {nullptr, D, F, G, W};
        QTreeWidgetItem* moved = nodes[c.moved];
        QTreeWidgetItem* target = c.to == toD ? D : c.to == toSub ? sub : nullptr;
        const QPoint pos = c.to == toD ? At(D) : c.to == toSub ? At(sub) : c.to == toItem ? At(g1) : BelowAll();
        organiser->tvTree->clearSelection();
        if (moved)
            organiser->tvTree->setCurrentItem(moved);
        if (moved && moved != W)
            W->setSelected(true); // another selected node stays where it is
        const QList<qint64> before = AllData(organiser->tvTree);
        QTreeWidgetItem* oldParent = moved ? moved->parent() : nullptr;
        const int children = moved ? moved->childCount() : 0;
        {
            TBusyState::THold hold(*organiser->Busy);
            dd->DropAt(pos);
            EXPECT_EQ(AllData(organiser->tvTree), before); // waits for the holder
        }
        QCoreApplication::processEvents();
        if (!c.moves) {
            EXPECT_EQ(AllData(organiser->tvTree), before);
            continue;
        }
        QTreeWidgetItem* parent = target ? target : organiser->tvTree->invisibleRootItem();
        EXPECT_EQ(parent->child(parent->childCount() - 1), moved);
        EXPECT_NE(moved->parent(), oldParent);
        EXPECT_EQ(moved->childCount(), children);
        EXPECT_EQ(W->parent(), nullptr);
        EXPECT_EQ(AllData(organiser->tvTree).size(), before.size());
    }
}

TEST_F(TreeDragDropTest, DropsFromOutsideAreLeftToTheWindow)
{
    // A drop carrying the tree's own nodes but no drag of tvTree's: the view
    // must not insert copies of them (the window's intake sees the drop).
    const QList<qint64> before = AllData(organiser->tvTree);
    QModelIndexList indexes{organiser->tvTree->model()->index(0, 0)};
    std::unique_ptr<QMimeData> mime(organiser->tvTree->model()->mimeData(indexes));
    QWidget* viewport = organiser->tvTree->viewport();
    for (QPoint pos : {At(D), BelowAll()}) {
        QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(pos, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(pos), Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(AllData(organiser->tvTree), before);
}

} // namespace
