#pragma once
// How a tree-view node carries its item: the NewsList index in a data role,
// and its image, selected image and state image as imIcons indexes (-1 none),
// drawn by TNodeDelegate.
#include <QTreeWidget>
#include <QTreeWidgetItem>

enum TNodeRole : int {
    NodeDataRole = Qt::UserRole + 1,
    NodeImageRole,
    NodeSelectedImageRole,
    NodeStateImageRole,
};

inline qint64 NodeDataValue(const QTreeWidgetItem* node)
{
    if (!node)
        return -1;
    const QVariant v = node->data(0, NodeDataRole);
    return v.isValid() ? v.toLongLong() : -1;
}
inline void SetNodeDataValue(QTreeWidgetItem* node, qint64 value) { node->setData(0, NodeDataRole, value); }

inline int NodeImage(const QTreeWidgetItem* node)
{
    const QVariant v = node->data(0, NodeImageRole);
    return v.isValid() ? v.toInt() : -1;
}
inline int NodeSelectedImage(const QTreeWidgetItem* node)
{
    const QVariant v = node->data(0, NodeSelectedImageRole);
    return v.isValid() ? v.toInt() : -1;
}
inline int NodeStateImage(const QTreeWidgetItem* node)
{
    const QVariant v = node->data(0, NodeStateImageRole);
    return v.isValid() ? v.toInt() : -1;
}
inline void SetNodeImages(QTreeWidgetItem* node, int image, int selected, int state)
{
    node->setData(0, NodeImageRole, image);
    node->setData(0, NodeSelectedImageRole, selected);
    node->setData(0, NodeStateImageRole, state);
}

// A new node with caption and data value: the last child of parent, or a
// top-level node when parent is null.
QTreeWidgetItem* AddViewNode(QTreeWidget* view, QTreeWidgetItem* parent, const QString& caption,
                             qint64 data);

QTreeWidgetItem* FirstNode(QTreeWidget* view);
// Depth-first pre-order walks: use QTreeWidgetItemIterator, which keeps its
// place by index and so stays linear over long sibling lists.

// Suspends repainting of a view while it lives.
class TUpdateGuard {
public:
    explicit TUpdateGuard(QWidget* view) : view(view), wasEnabled(view && view->updatesEnabled())
    {
        if (view)
            view->setUpdatesEnabled(false);
    }
    ~TUpdateGuard()
    {
        if (view && wasEnabled)
            view->setUpdatesEnabled(true);
    }
    TUpdateGuard(const TUpdateGuard&) = delete;
    TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
    QWidget* view;
    bool wasEnabled;
};
