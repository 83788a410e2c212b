#pragma once
// Reordering the nodes of the news tree: by drag and drop inside tvTree, and
// by the lasting sorted order that Sort switches on.
//
// Rules kept here:
//  - Only drags that tvTree itself started are taken; any other drag is left
//    to the window (file and text intake).
//  - A drop is possible below all nodes or on a folder node, nowhere else.
//  - Only the selected node moves, with its subtree: it becomes the last child
//    of the folder under the pointer, or the last top-level node. A node never
//    moves into itself or its own subtree.
//  - The move waits until no operation holds tree nodes (it runs through the
//    busy state). Items, NewsList and the derived views are not touched.
//  - Sorting orders by caption with the user's locale, stably. Once switched
//    on it lasts until the program ends: nodes added later are put in place
//    as soon as no operation holds tree nodes, never while one does.
#include "model/ViewNodes.h"

#include <QList>
#include <QObject>
#include <QPoint>

#include <vector>

class QModelIndex;
class QTreeWidget;
class QTreeWidgetItem;
class TBusyState;

class TTreeDragDrop : public QObject {
    Q_OBJECT
public:
    // Filters the drag events of tree's viewport; tree must outlive nothing of
    // ours (this object is its child).
    TTreeDragDrop(QTreeWidget* tree, TBusyState* busy);

    struct TDropPlace {
        bool accepted = false;
        QTreeWidgetItem* target = nullptr; // the folder; nullptr for the top level
    };
    // Where a drag from source would land at pos (viewport coordinates).
    TDropPlace PlaceAt(const QObject* source, const QPoint& pos) const;
    // Drops the selected node at pos, as a drag of tvTree's own would. The
    // move runs when no operation holds tree nodes.
    void DropAt(const QPoint& pos);
    // Makes node the last child of target (the last top-level node when
    // target is null). False, and nothing changes, when target is node or
    // lies in its subtree.
    static bool MoveNode(QTreeWidget* tree, QTreeWidgetItem* node, QTreeWidgetItem* target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeWidget* tree;
    // Kept apart: the filter still sees events while the tree is being
    // destroyed, when the tree may no longer be asked for its viewport.
    QObject* viewport;
    TBusyState* busy;
};

// Keeps which nodes of a view are open, selected and current across taking
// nodes out and putting them back (taking a node forgets that of its whole
// subtree). roots: the nodes about to be taken.
class TViewStateKeeper {
public:
    TViewStateKeeper(QTreeWidget* view, const QList<QTreeWidgetItem*>& roots);
    ~TViewStateKeeper();
    TViewStateKeeper(const TViewStateKeeper&) = delete;
    TViewStateKeeper& operator=(const TViewStateKeeper&) = delete;

private:
    QTreeWidget* view;
    QTreeWidgetItem* current;
    QList<QTreeWidgetItem*> expanded;
    QList<QTreeWidgetItem*> selected;
};

// Puts the children of parent (the top level when null) in caption order.
void SortLevel(QTreeWidget* tree, QTreeWidgetItem* parent);

class TTreeSorter : public QObject {
    Q_OBJECT
public:
    TTreeSorter(QTreeWidget* tree, TBusyState* busy);
    bool IsSorted() const { return sorted; }
    // The Sort command: switches sorting on (the first time the whole tree is
    // sorted), then sorts the level of selected (the top level when null).
    // Runs when no operation holds tree nodes.
    void Sort(QTreeWidgetItem* selected);

private:
    void SortNow(const TNodeRef& selected, bool hadSelection);
    void NodesAdded(const QModelIndex& parent);
    void SortPendingLevels();

    QTreeWidget* tree;
    TBusyState* busy;
    bool sorted = false;
    bool sortPosted = false;
    bool topPending = false;
    std::vector<TNodeRef> pendingLevels;
};
