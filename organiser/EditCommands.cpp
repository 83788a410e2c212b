// Tree editing commands: new folder, URL and note, sort, rename in place,
// copy link and node, properties, delete and delete children.
//
// Rules kept here:
//  - Delete always acts on tvTree's selected node, whatever tab is active;
//    Delete children on the active view's, taken as the tvTree node of the
//    same item before anything is emptied.
//  - Both ask first; the deleting part runs when no operation holds tree
//    nodes, on the node looked up again after the question.
//  - A caption edited in any view but Feeds becomes the item's title; a
//    double-click opens, it never starts editing. An empty or blank caption
//    is refused: the old one stays.
//  - A feed renamed by the user keeps that name: it is remembered in the
//    feed's options (kOptUserName), and the merges put their counts after it.
//  - Once sorted, tvTree stays sorted: nodes added later are put in place
//    when no operation holds tree nodes.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "feeds/RssMerge.h"
#include "feeds/URLTools.h"
#include "model/CategoryViews.h"
#include "model/DateTime.h"
#include "model/NewsXml.h"
#include "model/ViewNodes.h"
#include "organiser/InterfaceTexts.h"
#include "organiser/TreeDragDrop.h"
#include "platform/Dialogs.h"
#include "ticker/RssViews.h"
#include "widgets/Menus.h"
#include "widgets/NodeDelegate.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QRegularExpression>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <functional>

namespace {


// Short date, one blank, long time, as the user's locale writes them. Node
// dates are local times without a zone, so the zone the long form names is
// left out.
QString DateAndTime(TDateTime value)
{
    const QDateTime dt = FromDateTime(value);
    const QLocale locale;
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return locale.toString(dt.date(), QLocale::ShortFormat) + ' ' + locale.toString(dt.time(), timeFormat.trimmed());
}

// The node delegate that also reports a caption the user has edited: the
// one place every commit of an editor passes, whichever way editing ended.
class TCaptionDelegate : public TNodeDelegate {
public:
    TCaptionDelegate(const TImageList& images, QObject* parent, std::function<void(const QModelIndex&)> edited)
        : TNodeDelegate(images, parent), edited(std::move(edited))
    {
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        // A blank name would leave a node nobody can see, and no export keeps it.
        const auto* line = qobject_cast<const QLineEdit*>(editor);
        if (line && IsBlank(line->text()))
            return;
        TNodeDelegate::setModelData(editor, model, index);
        edited(index);
    }

private:
    std::function<void(const QModelIndex&)> edited;
};

void MakeEditable(QTreeWidgetItem* node)
{
    if (node && !(node->flags() & Qt::ItemIsEditable))
        node->setFlags(node->flags() | Qt::ItemIsEditable);
}

// Runs Delete when Del is released in tvTree, and keeps the key from the
// Del shortcut there, so that one key press asks once.
class TDelKeyFilter : public QObject {
public:
    TDelKeyFilter(QObject* parent, std::function<void()> onDelete) : QObject(parent), onDelete(std::move(onDelete)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyRelease)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Delete || key->modifiers() != Qt::NoModifier)
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            key->accept(); // the tree's own key, not the shortcut
            return true;
        }
        if (!key->isAutoRepeat())
            onDelete();
        return true;
    }

private:
    std::function<void()> onDelete;
};

} // namespace

void TNewsFeeder::CreateEditActions()
{
    acNewFolder = NewAction(this, "acNewFolder", "New Folder ...", "New Folder");
    connect(acNewFolder, &QAction::triggered, this, &TNewsFeeder::NewFolderExecute);
    acNewURL = NewAction(this, "acNewURL", "Input New URL ..", "Input New URL");
    connect(acNewURL, &QAction::triggered, this, &TNewsFeeder::NewURLExecute);
    acNewNote = NewAction(this, "acNewNote", "New Note ...", "New Note");
    // The new note is not opened.
    connect(acNewNote, &QAction::triggered, this, [this] { Busy->RunOnTree([this] { AddNoteFromText(QString()); }); });
    acSort = NewAction(this, "acSort", "Sort", "Sort");
    connect(acSort, &QAction::triggered, this, &TNewsFeeder::SortExecute);
    acCopyLink = NewAction(this, "acCopyLink", "Copy Link", "Copy Link");
    connect(acCopyLink, &QAction::triggered, this, &TNewsFeeder::CopyLinkExecute);
    acCopyNode = NewAction(this, "acCopyNode", "Copy Node", "Copy title and link");
    connect(acCopyNode, &QAction::triggered, this, &TNewsFeeder::CopyNodeExecute);
    acProperty = NewAction(this, "acProperty", "Property ...", "Property");
    connect(acProperty, &QAction::triggered, this, &TNewsFeeder::PropertyExecute);
    acDelete = NewAction(this, "acDelete", "Delete", "Delete", QKeySequence(Qt::Key_Delete));
    connect(acDelete, &QAction::triggered, this, &TNewsFeeder::DeleteExecute);
    acDelChildren = NewAction(this, "acDelChildren", "Delete Children", "deletes all children of this node");
    connect(acDelChildren, &QAction::triggered, this, &TNewsFeeder::DelChildrenExecute);
    acRename = NewAction(this, "acRename", "Rename", "Rename", QKeySequence(Qt::Key_F2));
    connect(acRename, &QAction::triggered, this, &TNewsFeeder::RenameExecute);
    // The shortcuts work wherever the focus is in this window.
    addActions({acDelete, acRename});

    // In-place renaming: a click on the selected node or F2, never a double-click.
    for (QTreeWidget* view : {tvTime, tvWeb, tvVideo, tvAudio, tvTheme, tvTree}) {
        view->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
        // A node becomes editable once it is current: a click on the selected node edits it.
        connect(view, &QTreeWidget::currentItemChanged, this,
                [](QTreeWidgetItem* current, QTreeWidgetItem*) { MakeEditable(current); });
        if (NewsData) {
            // The same drawing as before, plus the report of an edited caption.
            QAbstractItemDelegate* drawing = view->itemDelegate();
            view->setItemDelegate(new TCaptionDelegate(NewsData->imIcons, view, [this, view](const QModelIndex& index) {
                CaptionEdited(view, view->itemFromIndex(index));
            }));
            if (drawing && drawing->parent() == view)
                drawing->deleteLater();
        }
    }
    tvTree->installEventFilter(new TDelKeyFilter(tvTree, [this] { DeleteExecute(); }));

    TreeDragDrop = new TTreeDragDrop(tvTree, Busy);
    TreeSorter = new TTreeSorter(tvTree, Busy);
}

void TNewsFeeder::NewFolderExecute()
{
    QString name = OrganiserTexts.SNewFolder;
    if (!Dialogs().InputQuery(OrganiserTexts.SNewFolder, OrganiserTexts.SNewFolderInput, name) || !NewsData)
        return;
    if (IsBlank(name))
        return; // a folder nobody could see or export
    Busy->RunOnTree([this, name] {
        TUpdateGuard guard(tvTree);
        const TTreeItem item(kFolder, name, QString(), QString(), QString(), FormatLocalDateTime(NowDateTime()));
        const int index = NewsData->NewsList.AddCopy(item);
        // Always at the very top, captioned exactly as typed; the title is the converted form.
        QTreeWidgetItem* node = NewViewNode(name);
        SetNodeDataValue(node, index);
        SetNodeImages(node, imgFolder, imgFolder, -1);
        tvTree->insertTopLevelItem(0, node);
    });
}

void TNewsFeeder::NewURLExecute()
{
    QString url = QStringLiteral("http://www.");
    // The ticker must not pop up over the input box.
    const bool autoShow = ticker && ticker->AutoShow;
    if (ticker)
        ticker->AutoShow = false;
    if (Dialogs().InputQuery(OrganiserTexts.SNewURLTitle, OrganiserTexts.SNewURLInput, url))
        AddFeedURL(url); // unchecked: the download decides what it becomes
    if (ticker)
        ticker->AutoShow = autoShow;
}

void TNewsFeeder::AddFeedURL(const QString& url) { LoadFeedURL(NormaliseFeedURL(url), nullptr); }

void TNewsFeeder::SortExecute() { TreeSorter->Sort(SelectedNode(tvTree)); }

void TNewsFeeder::RenameExecute()
{
    QTreeWidget* view = ActiveTreeView();
    QTreeWidgetItem* node = SelectedNode(view);
    if (!node)
        return;
    Busy->RunOnTree([view, ref = TNodeRef(node)] {
        QTreeWidgetItem* node = ref.In(view);
        if (!node)
            return;
        MakeEditable(node);
        view->setCurrentItem(node);
        view->editItem(node);
    });
}

void TNewsFeeder::CaptionEdited(QTreeWidget* view, QTreeWidgetItem* node)
{
    // A feed entry's caption is the Feeds view's own; elsewhere the caption
    // is the item's title, and every view shows it at once.
    if (view == tvTheme || !node)
        return;
    const QString name = node->text(0);
    if (IsBlank(name))
        return;
    // A merge in progress sets the caption at its end: the new name is taken
    // once it has done, so that the merge's caption does not replace it.
    Busy->RunOnTree([this, view, name, ref = TNodeRef(node)] {
        TTreeItem* item = ItemOf(ref.In(view));
        if (!item)
            return;
        QTreeWidgetItem* node = ref.In(view);
        item->SetTitle(name);
        // Shown as every view shows the title, after a restart too.
        if (node->text(0) != item->Title)
            node->setText(0, item->Title);
        if (item->IsKind(kFeed)) {
            // Counts left in the new name are the merge's business, not the name's.
            const QString bare = TitleWithoutCount(name);
            item->SetOption(kOptUserName, IsBlank(bare) ? name : bare);
        }
        if (QTreeWidgetItem* treeNode = TreeNodeOf(node)) {
            if (treeNode->text(0) != item->Title)
                treeNode->setText(0, item->Title);
            RetitleInViews(Views(), treeNode);
        }
    });
}

void TNewsFeeder::ShowEmptiedFeedCount(QTreeWidgetItem* node)
{
    TTreeItem* item = ItemOf(node);
    if (!item || !item->IsKind(kFeed))
        return;
    const QString bare = TitleWithoutCount(item->Title);
    const QString caption = FeedCaption(FeedCaptionTitle(*item, bare), 0, 0);
    node->setText(0, caption);
    if (bare != item->Title) // a title that carries the counts carries the new ones
        item->SetTitle(caption);
}

void TNewsFeeder::CopyLinkExecute()
{
    // An empty link puts an empty text there; a day group, without item, nothing.
    if (const TTreeItem* item = ItemOf(SelectedNode(ActiveTreeView())))
        QGuiApplication::clipboard()->setText(item->Link);
}

void TNewsFeeder::CopyNodeExecute()
{
    const TTreeItem* item = ItemOf(SelectedNode(ActiveTreeView()));
    if (item)
        QGuiApplication::clipboard()->setText(item->Title + '\n' + item->Link);
}

void TNewsFeeder::PropertyExecute()
{
    const TTreeItem* item = ItemOf(SelectedNode(ActiveTreeView()));
    if (!item)
        return;
    if (item->IsKind(kFileLink)) {
        const QString path = item->Link; // a copy: a load may replace the items while the dialog is open
        ShowFileProperties(path);
        return;
    }
    const QString when = DateAndTime(item->TimeStamp);
    // Copies: the item may go while the box is open.
    if (item->IsKind(kNewsItem))
        Dialogs().ShowMessage(item->Title + QStringLiteral("\r\n\r\n") + when);
    else
        Dialogs().ShowMessage(item->Title + QStringLiteral("\r\n") + item->Link + QStringLiteral("\r\n") + when);
}

void TNewsFeeder::AskThenRunOnTree(QTreeWidgetItem* node, const QString& question,
                                   std::function<void(QTreeWidgetItem*)> work)
{
    const TNodeRef ref(node);
    if (!Dialogs().AskYesNo(question))
        return;
    Busy->RunOnTree(
        [this, ref, work = std::move(work)] {
            if (QTreeWidgetItem* node = ref.In(tvTree))
                work(node);
        },
        true);
}

void TNewsFeeder::DeleteExecute()
{
    QTreeWidgetItem* node = SelectedNode(tvTree);
    if (!node)
        return;
    AskThenRunOnTree(node, FormatText(OrganiserTexts.SDelete, node->text(0)), [this](QTreeWidgetItem* node) {
        // The node and every descendant leave the derived views first.
        QList<QTreeWidgetItem*> doomed{node};
        for (int i = 0; i < doomed.size(); ++i)
            for (int c = 0; c < doomed[i]->childCount(); ++c)
                doomed.append(doomed[i]->child(c));
        RemoveFromViews(Views(), doomed);
        {
            TUpdateGuard guard(tvTree);
            DeleteBranch(node);
        }
        // The scheduler never continues from a deleted node.
        UpdatePosition = nullptr;
        RestartUpdateTimer();
        if (ticker)
            ticker->RebuildQueue(tvTree);
    });
}

void TNewsFeeder::DelChildrenExecute()
{
    QTreeWidget* view = ActiveTreeView();
    QTreeWidgetItem* node = SelectedNode(view);
    if (!node)
        return;
    // A derived view's node is a mirror, and the derived views are emptied
    // below: work on the tvTree node of the same item.
    QTreeWidgetItem* treeNode = ItemOf(node) ? TreeNodeOf(node) : nullptr;
    if (!treeNode)
        return;
    const QString question = FormatText(OrganiserTexts.SDeleteChildren, node->text(0));
    AskThenRunOnTree(treeNode, question, [this](QTreeWidgetItem* node) {
        SuspendForReload();
        DeleteChildNodes(node);
        ShowEmptiedFeedCount(node);
        if (ticker)
            ticker->RebuildQueue(tvTree);
        // Rebuilt at once, rather than left empty until the next start.
        BuildCategoryViews(Views(), NewsStorageDuration, CategoryTexts());
        RestartFeedUpdates();
    });
}
