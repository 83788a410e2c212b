// Import and export: Load, Merge, Save As and Save Selection As, with news
// XML, container and OPML files.
//
// Rules kept here:
//  - Load and Merge read the whole file into a list of its own first. Only a
//    read that succeeded replaces (Load) or extends (Merge) the tree; a failed
//    one is reported with the path and leaves the tree, the views, the timers
//    and the ticker as they were.
//  - Both replace or add nodes, so they run through Busy->RunWhenIdle and
//    hold the busy state (and PlacingNodes) while they read and place: the
//    reading and placing let events run.
//  - After either, the five derived views are built anew from the tree.
//  - Load on a tree that holds anything asks first, with what would go.
//  - Merge: only the file's first top-level node is looked for among the
//    tree's top-level nodes; every later node is compared only with the node
//    it would be attached to. Nodes join by title (ignoring case); a feed
//    joins only a feed, and only when their links agree too, so two
//    subscriptions that share a title both stay. The walk is a loop over the
//    file's tree in pre-order, so sibling lists of any length merge.
//  - Load and Merge go through the tree's gate: they wait for the first build
//    and for any operation holding tree nodes.
//  - Save As writes what the name asks for; Save Selection As only the
//    selected branch, in every format. Nothing is written before the tree is
//    complete, and a failed or impossible write is reported.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "model/NewsFiles.h"
#include "model/ViewNodes.h"
#include "organiser/InterfaceTexts.h"
#include "organiser/TreeDragDrop.h"
#include "platform/Dialogs.h"
#include "text/TextTools.h"
#include "ticker/RssViews.h"
#include "widgets/Menus.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <vector>

namespace {
// Status lines and queued events at most this often while reading and merging.
constexpr qint64 kStatusSliceMs = 20;

const QString kOpenFilter = QStringLiteral(
    "Quorbel Files (*.xml);;Quorbel Files (*.qbx);;Quorbel Files (*.qbx *.xml);;OPML files (*.opml)");
const QString kSaveFilter = QStringLiteral("Quorbel Files(*.xml);;Quorbel Files (*.qbx);;OPML files (*.opml)");
const QString kLoadingTitle = QStringLiteral("Loading :%s");

// Calls back at most once per slice; the first call comes at once.
class TSlice {
public:
    bool Due()
    {
        if (timer.isValid() && timer.elapsed() < kStatusSliceMs)
            return false;
        timer.start();
        return true;
    }

private:
    QElapsedTimer timer;
};

// Whether a node of a file's tree is taken to be node of the tree (see the
// rules above).
bool JoinsWith(const TTreeItem& fileItem, const QTreeWidgetItem* node)
{
    const TTreeItem* item = ItemOf(node);
    if (!item || !SameTextAscii(fileItem.Title, item->Title))
        return false;
    if (!fileItem.IsKind(kFeed) && !item->IsKind(kFeed))
        return true;
    return fileItem.IsKind(kFeed) && item->IsKind(kFeed) && SameTextAscii(fileItem.Link.trimmed(), item->Link.trimmed());
}

// The first top-level node of view that fileItem joins.
QTreeWidgetItem* FindRootFor(QTreeWidget* view, const TTreeItem& fileItem)
{
    for (int i = 0, n = view->topLevelItemCount(); i < n; ++i) {
        QTreeWidgetItem* node = view->topLevelItem(i);
        if (JoinsWith(fileItem, node))
            return node;
    }
    return nullptr;
}
} // namespace

void TNewsFeeder::CreateImportExportActions()
{
    acLoad = NewAction(this, "acLoad", "Load ..", "Loads a News file (.dat, .xml)");
    connect(acLoad, &QAction::triggered, this, &TNewsFeeder::LoadExecute);
    acMerge = NewAction(this, "acMerge", "Merge ..", "Merges a News file (.dat, .xml)");
    connect(acMerge, &QAction::triggered, this, &TNewsFeeder::MergeExecute);
    acSaveAs = NewAction(this, "acSaveAs", "Save As ..", "Save News as.. (.dat, .xml)");
    connect(acSaveAs, &QAction::triggered, this, [this] { SaveAsExecute(false); });
    acSaveSelection =
        NewAction(this, "acSaveSelection", "Save Selection As ..", "Save Current Selection as (*.qbx, *.xml)");
    connect(acSaveSelection, &QAction::triggered, this, [this] { SaveAsExecute(true); });
    fileFolder = QDir::homePath();
}

void TNewsFeeder::SuspendForReload()
{
    Timer1->stop();
    if (ticker) {
        ticker->ShowItem(ticker->WelcomeItem);
        ticker->Timer1->stop();
    }
    ShowStatus(OrganiserTexts.SFreeingData);
    for (QTreeWidget* derived : {tvTime, tvTheme, tvWeb, tvAudio, tvVideo})
        derived->clear();
}

bool TNewsFeeder::ReadChosenFile(const QString& path, TTreeList& list)
{
    const QString shown = ticker ? ticker->lbRss->text() : QString();
    ShowStatus(OrganiserTexts.SLoadingData);
    TSlice slice;
    QString error;
    const bool ok = ReadNewsFile(path, list, &error, [this, &slice](const QString& title) {
        if (!slice.Due())
            return;
        ShowStatus(FormatText(kLoadingTitle, title));
        QCoreApplication::processEvents();
    });
    if (!ok) {
        DebugTrace(QStringLiteral("Not loaded: %1: %2").arg(path, error));
        if (ticker)
            ShowStatus(shown); // the strip shows what it showed before
        Dialogs().ShowError(FormatText(OrganiserTexts.SErrNotPossibleFileLoad, path));
    }
    return ok;
}

void TNewsFeeder::LoadExecute()
{
    Timer1->stop();
    if (ticker)
        ticker->AutoShow = false;
    const QString path = Dialogs().GetOpenFileName(QString(), kOpenFilter, fileFolder);
    if (path.isEmpty()) {
        if (ticker)
            ticker->AutoShow = true;
        RestartUpdateTimer();
        return;
    }
    fileFolder = QFileInfo(path).absolutePath();
    // The transfer in progress is cancelled: its feed is about to go.
    Busy->RunOnTree(
        [this, path] {
            if (ReplacingTreeConfirmed(path)) {
                LoadNewsFile(path);
                return;
            }
            if (ticker)
                ticker->AutoShow = true;
            RestartUpdateTimer();
        },
        true);
}

bool TNewsFeeder::ReplacingTreeConfirmed(const QString& path)
{
    if (tvTree->topLevelItemCount() == 0)
        return true;
    int feeds = 0, items = 0, notes = 0;
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it) {
        const TTreeItem* item = ItemOf(*it);
        if (!item)
            continue;
        feeds += item->IsKind(kFeed);
        items += item->IsKind(kNewsItem);
        notes += item->IsKind(kNote);
    }
    return Dialogs().AskYesNo(FormatTexts(OrganiserTexts.SLoadReplaces,
                                          {QString::number(feeds), QString::number(items), QString::number(notes),
                                           QDir::toNativeSeparators(path)}));
}

bool TNewsFeeder::LoadNewsFile(const QString& path)
{
    if (!NewsData)
        return false;
    bool loaded = false;
    {
        TBusyState::THold busy(*Busy);
        Timer1->stop();
        if (ticker)
            ticker->AutoShow = false;
        TTreeList read;
        if (ReadChosenFile(path, read)) {
            SuspendForReload();
            TScopedCount placing(PlacingNodes);
            {
                TUpdateGuard updating(tvTree);
                ClearView(tvTree);
                ClearView(tvTemp); // its nodes stood for items of the old list
            }
            Delay(20);
            ShowStatus(OrganiserTexts.SLoadingData);
            // The file's icon indexes belong to another image list.
            if (NewsFileFormat(path) != TNewsFileFormat::Container)
                NewsData->RefreshIcons = true;
            NewsData->NewsList.Swap(read);
            NewsData->NewsList.BuildTreeView(tvTree);
            BuildCategoryViews(Views(), NewsStorageDuration, CategoryTexts());
            ShowStatus(OrganiserTexts.SDataLoaded);
            loaded = true;
        }
    }
    if (ticker)
        ticker->AutoShow = true;
    if (loaded)
        RestartFeedUpdates();
    else
        RestartUpdateTimer();
    return loaded;
}

void TNewsFeeder::MergeExecute()
{
    const QString path = Dialogs().GetOpenFileName(QString(), kOpenFilter, fileFolder);
    if (path.isEmpty())
        return;
    fileFolder = QFileInfo(path).absolutePath();
    Busy->RunOnTree([this, path] { MergeNewsFile(path); });
}

bool TNewsFeeder::MergeNewsFile(const QString& path)
{
    if (!NewsData)
        return false;
    {
        TBusyState::THold busy(*Busy);
        TTreeList read;
        if (!ReadChosenFile(path, read))
            return false;
        SuspendForReload();
        ShowStatus(OrganiserTexts.SLoadingData);
        TScopedCount placing(PlacingNodes);
        if (NewsFileFormat(path) != TNewsFileFormat::Container)
            NewsData->RefreshIcons = true;
        // Straight from the list as read: the file's nodes are copied into
        // the tree once, with no hidden view in between.
        MergeTrees(tvTree, read);
        BuildCategoryViews(Views(), NewsStorageDuration, CategoryTexts());
    }
    ShowStatus(OrganiserTexts.SLoaded);
    RestartFeedUpdates();
    return true;
}

void TNewsFeeder::MergeTrees(QTreeWidget* tree, const TTreeList& source)
{
    TUpdateGuard treeUpdates(tree);
    if (source.Count() == 0 || !NewsData)
        return;
    // The walk goes through the file's tree in pre-order. Each node is copied
    // unless it has the title of its anchor: the node copied or matched just
    // before it on the way (as its parent or its sibling), or for the first
    // node the tree's top-level node of that title. Climbing out of a branch
    // climbs the anchor as many levels.
    QTreeWidgetItem* anchor = FindRootFor(tree, *source.Items(0));
    TSlice slice;
    struct TPending {
        qint32 index;
        int depth;
    };
    std::vector<TPending> pending{{0, 0}};
    std::vector<bool> visited(static_cast<size_t>(source.Count()), false);
    int previousDepth = -1;
    const auto valid = [&](qint32 link) {
        return link >= 0 && link < source.Count() && !visited[static_cast<size_t>(link)];
    };
    while (!pending.empty()) {
        const TPending n = pending.back();
        pending.pop_back();
        if (!valid(n.index))
            continue; // a link out of range or back to a placed record ends its branch
        visited[static_cast<size_t>(n.index)] = true;
        const TTreeItem* item = source.Items(n.index);
        if (valid(item->NextSibling))
            pending.push_back({item->NextSibling, n.depth});
        if (valid(item->FirstChild))
            pending.push_back({item->FirstChild, n.depth + 1});

        const bool asChild = previousDepth >= 0 && n.depth == previousDepth + 1;
        for (int level = previousDepth; level > n.depth; --level)
            anchor = anchor ? anchor->parent() : nullptr;
        previousDepth = n.depth;
        if (anchor && JoinsWith(*item, anchor))
            continue; // taken to be the anchor itself
        if (!asChild && slice.Due()) {
            ShowStatus(OrganiserTexts.SMerging);
            QCoreApplication::processEvents();
        }
        TTreeItem copy;
        copy.Assign(*item);
        if (copy.IsKind(kFolder))
            copy.IconIdx = imgFolder;
        const int index = NewsData->NewsList.AddCopy(copy);
        QTreeWidgetItem* parent = asChild ? anchor : (anchor ? anchor->parent() : nullptr);
        QTreeWidgetItem* node = AddViewNode(tree, parent, copy.Title, index);
        // Its site icon, looked up as a loaded node's (the downloads let
        // events run: the busy state keeps the tree's nodes meanwhile).
        NewsData->AssignNodeIcon(node, copy.Link);
        NewsData->ApplyNodeImages(NewsData->NewsList.At(index), node);
        anchor = node;
    }
}

void TNewsFeeder::SaveAsExecute(bool selectionOnly)
{
    if (!NewsData)
        return;
    if (!CanStoreTree()) {
        Dialogs().ShowError(OrganiserTexts.SSaveNotReady);
        return;
    }
    const TNodeRef branch(selectionOnly ? SelectedNode(tvTree) : nullptr);
    if (selectionOnly && branch.IsNull()) {
        Dialogs().ShowError(OrganiserTexts.SNothingSelected);
        return;
    }
    const QString path = Dialogs().GetSaveFileName(QString(), kSaveFilter, fileFolder);
    if (path.isEmpty())
        return;
    fileFolder = QFileInfo(path).absolutePath();
    if (NewsFileFormat(path) == TNewsFileFormat::None) {
        Dialogs().ShowError(FormatText(OrganiserTexts.SNoFileFormat, path));
        return;
    }
    // The dialog let events run: the branch may have gone, the tree may be
    // in the middle of a build.
    QTreeWidgetItem* node = branch.In(tvTree);
    if ((selectionOnly && !node) || !CanStoreTree()) {
        Dialogs().ShowError(selectionOnly && !node ? OrganiserTexts.SNothingSelected : OrganiserTexts.SSaveNotReady);
        return;
    }
    QString error;
    if (!WriteNewsFile(tvTree, NewsData->NewsList, path, node, NewsStorageDuration, &error)) {
        DebugTrace(QStringLiteral("Not saved: %1: %2").arg(path, error));
        Dialogs().ShowError(FormatText(OrganiserTexts.SErrStoringFile, path) + QStringLiteral("\r\n") + error);
    }
}
