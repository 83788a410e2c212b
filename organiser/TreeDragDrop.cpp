// Reordering the nodes of the news tree: drag and drop, and sorted order.
#include "organiser/TreeDragDrop.h"

#include "app/NewsGlobals.h"
#include "model/ViewNodes.h"
#include "organiser/BusyState.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QCollator>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>

#include <vector>

TViewStateKeeper::TViewStateKeeper(QTreeWidget* view, const QList<QTreeWidgetItem*>& roots)
    : view(view), current(view->currentItem())
{
    std::vector<QTreeWidgetItem*> stack(roots.begin(), roots.end());
    while (!stack.empty()) {
        QTreeWidgetItem* node = stack.back();
        stack.pop_back();
        const int count = node->childCount();
        if (count > 0 && node->isExpanded())
            expanded.append(node);
        for (int i = 0; i < count; ++i)
            stack.push_back(node->child(i));
    }
    selected = view->selectedItems();
}

TViewStateKeeper::~TViewStateKeeper()
{
    for (QTreeWidgetItem* node : expanded)
        if (node->treeWidget() == view)
            node->setExpanded(true);
    for (QTreeWidgetItem* node : selected)
        if (node->treeWidget() == view)
            node->setSelected(true);
    if (current && current->treeWidget() == view)
        view->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
}

TTreeDragDrop::TTreeDragDrop(QTreeWidget* tree, TBusyState* busy)
    : QObject(tree), tree(tree), viewport(tree->viewport()), busy(busy)
{
    tree->setDragEnabled(true);
    tree->setAcceptDrops(true);
    tree->viewport()->setAcceptDrops(true);
    tree->setDragDropMode(QAbstractItemView::DragDrop);
    tree->viewport()->installEventFilter(this);
}

TTreeDragDrop::TDropPlace TTreeDragDrop::PlaceAt(const QObject* source, const QPoint& pos) const
{
    TDropPlace place;
    if (!source || source != tree)
        return place;
    QTreeWidgetItem* node = tree->itemAt(pos);
    if (!node) {
        place.accepted = true; // below all nodes: the top level
        return place;
    }
    const TTreeItem* item = ItemOf(node);
    if (item && item->IsKind(kFolder)) {
        place.accepted = true;
        place.target = node;
    }
    return place;
}

void TTreeDragDrop::DropAt(const QPoint& pos)
{
    const TDropPlace place = PlaceAt(tree, pos);
    QTreeWidgetItem* node = SelectedNode(tree);
    if (!place.accepted || !node)
        return;
    // A fetch may hold these nodes now: move them once it has let go, and
    // only if both still exist.
    const bool toTop = place.target == nullptr;
    busy->RunOnTree(
        [view = QPointer<QTreeWidget>(tree), nodeRef = TNodeRef(node), targetRef = TNodeRef(place.target),
         toTop] {
            QTreeWidgetItem* moved = nodeRef.In(view);
            QTreeWidgetItem* target = toTop ? nullptr : targetRef.In(view);
            if (moved && (toTop || target))
                MoveNode(view, moved, target);
        },
        true);
}

bool TTreeDragDrop::MoveNode(QTreeWidget* tree, QTreeWidgetItem* node, QTreeWidgetItem* target)
{
    if (!tree || !node || node->treeWidget() != tree || (target && target->treeWidget() != tree))
        return false;
    for (const QTreeWidgetItem* p = target; p; p = p->parent())
        if (p == node)
            return false;
    TUpdateGuard guard(tree);
    TViewStateKeeper keep(tree, {node});
    QTreeWidgetItem* parent = node->parent() ? node->parent() : tree->invisibleRootItem();
    QTreeWidgetItem* taken = parent->takeChild(parent->indexOfChild(node));
    (target ? target : tree->invisibleRootItem())->addChild(taken);
    return true;
}

bool TTreeDragDrop::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != viewport)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* e = static_cast<QDragEnterEvent*>(event);
        // Drags from elsewhere go on to the window, which takes files and text.
        if (e->source() != tree) {
            e->ignore();
            return true;
        }
        // Ours for the whole drag; each move decides where a drop is possible.
        e->setDropAction(Qt::MoveAction);
        e->accept();
        return true;
    }
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (PlaceAt(e->source(), e->position().toPoint()).accepted) {
            e->setDropAction(Qt::MoveAction);
            e->accept();
        } else {
            e->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        if (!PlaceAt(e->source(), e->position().toPoint()).accepted) {
            e->ignore();
            return true;
        }
        // Reported as a copy: after a move the view would remove the dragged
        // rows itself, and the node has been placed already.
        e->setDropAction(Qt::CopyAction);
        e->accept();
        DropAt(e->position().toPoint());
        return true;
    }
    default:
        return false;
    }
}

// --- Sorted order -------------------------------------------------------------

void SortLevel(QTreeWidget* tree, QTreeWidgetItem* parent)
{
    QTreeWidgetItem* root = parent ? parent : tree->invisibleRootItem();
    const int count = root->childCount();
    if (count < 2)
        return;
    QCollator collator; // the user's locale
    QList<QTreeWidgetItem*> children;
    children.reserve(count);
    for (int i = 0; i < count; ++i)
        children.append(root->child(i));
    auto less = [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return collator.compare(a->text(0), b->text(0)) < 0;
    };
    if (std::is_sorted(children.begin(), children.end(), less))
        return;
    std::stable_sort(children.begin(), children.end(), less);
    TUpdateGuard guard(tree);
    TViewStateKeeper keep(tree, children);
    root->takeChildren();
    root->addChildren(children);
}

TTreeSorter::TTreeSorter(QTreeWidget* tree, TBusyState* busy) : QObject(tree), tree(tree), busy(busy)
{
    connect(tree->model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent) { NodesAdded(parent); });
}

void TTreeSorter::Sort(QTreeWidgetItem* selected)
{
    // Reordering is a move: it waits until no operation holds tree nodes.
    busy->RunOnTree(
        [self = QPointer<TTreeSorter>(this), ref = TNodeRef(selected), hadSelection = selected != nullptr] {
            if (self)
                self->SortNow(ref, hadSelection);
        },
        false);
}

void TTreeSorter::SortNow(const TNodeRef& ref, bool hadSelection)
{
    if (!sorted) {
        sorted = true; // the first time, the whole tree
        std::vector<QTreeWidgetItem*> parents{nullptr};
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if ((*it)->childCount() > 1)
                parents.push_back(*it);
        for (QTreeWidgetItem* parent : parents)
            SortLevel(tree, parent);
    }
    QTreeWidgetItem* node = ref.In(tree);
    if (hadSelection && !node)
        return; // the selected node went meanwhile
    SortLevel(tree, node ? node->parent() : nullptr);
}

void TTreeSorter::NodesAdded(const QModelIndex& parent)
{
    if (!sorted)
        return;
    if (parent.isValid())
        pendingLevels.push_back(TNodeRef(tree->itemFromIndex(parent)));
    else
        topPending = true;
    if (sortPosted)
        return;
    // Never inside the insertion itself, nor while anyone holds nodes.
    sortPosted = true;
    QTimer::singleShot(0, this, [this] {
        busy->RunWhenIdle(
            [self = QPointer<TTreeSorter>(this)] {
                if (self)
                    self->SortPendingLevels();
            },
            false);
    });
}

void TTreeSorter::SortPendingLevels()
{
    sortPosted = false;
    std::vector<TNodeRef> levels;
    levels.swap(pendingLevels);
    if (topPending)
        SortLevel(tree, nullptr);
    topPending = false;
    for (const TNodeRef& ref : levels)
        if (QTreeWidgetItem* node = ref.In(tree))
            SortLevel(tree, node);
}
