#pragma once
// How a tree-view node carries its item: the NewsList index in a data role,
// and its image, selected image and state image as imIcons indexes (-1 none),
// drawn by TNodeDelegate.
#include <QPointer>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QVariant>

#include <deque>

enum TNodeRole : int {
    NodeDataRole = Qt::UserRole + 1,
    NodeImagesRole,
};

// The three image indexes of a node, kept in one role: one change signal
// instead of three, and none when nothing changes.
struct TNodeImages {
    int image = -1;
    int selected = -1;
    int state = -1;
    bool operator==(const TNodeImages& o) const
    {
        return image == o.image && selected == o.selected && state == o.state;
    }
};
Q_DECLARE_METATYPE(TNodeImages)

// A child kept in compact form until its parent is first shown open (see
// model/PendingChildren.h): what is needed to make the node, a fifth of the
// node's own size.
struct TPendingNode {
    QString caption;
    qint64 data = -1;
    TNodeImages images;
};
using TPendingList = std::deque<TPendingNode>;

// Every view node of the program is a TViewNode, so that a TNodeRef can tell
// whether it still exists. Create nodes with NewViewNode, never with a plain
// new QTreeWidgetItem.
//
// A TViewNode keeps its caption (column 0), data value and images in plain
// members instead of the base class's per-role lists: a tree of 300,000 news
// items has more than a million view nodes, and those lists cost four
// allocations and some 150 bytes a node. data() and setData() read and write
// the members, so the model, the delegate and sorting see the same values.
// The members are packed into 32 bytes past the base class: the data value
// and images are kept narrow when they fit (they always do for list indexes
// and image indexes) and in a side table when they do not, and the handle's
// serial number lives in a side table too, as few nodes ever get one.
class TViewNode : public QTreeWidgetItem {
public:
    // The item type that tells a TViewNode from other tree-widget items.
    static constexpr int kType = QTreeWidgetItem::UserType + 0x5156;

    explicit TViewNode(const QString& caption) : QTreeWidgetItem(kType), caption(caption) {}
    // Caption, data, images and flags of other; no children, no handle.
    explicit TViewNode(const QTreeWidgetItem& other);
    TViewNode(const TViewNode& other) : TViewNode(static_cast<const QTreeWidgetItem&>(other)) {}
    TViewNode& operator=(const TViewNode&) = delete;
    ~TViewNode() override;
    QTreeWidgetItem* clone() const override;
    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant& value) override;

    static TViewNode* Of(QTreeWidgetItem* node)
    {
        return node && node->type() == kType ? static_cast<TViewNode*>(node) : nullptr;
    }
    static const TViewNode* Of(const QTreeWidgetItem* node)
    {
        return node && node->type() == kType ? static_cast<const TViewNode*>(node) : nullptr;
    }

    qint64 DataValue() const;
    void SetDataValue(qint64 value);
    TNodeImages Images() const;
    void SetImages(const TNodeImages& value);

    // The children kept in compact form; nullptr when there are none. A node
    // with such children has no others.
    TPendingList* PendingChildren() const;
    TPendingList& MakePendingChildren();
    TPendingList TakePendingChildren();

private:
    friend class TNodeRef;
    enum : quint8 {
        kHasData = 1,
        kHasImages = 2,
        kHasSerial = 4,   // a TNodeRef has been taken on this node
        kWideValues = 8,  // data or images are kept in the side table
        kHasPending = 16, // children kept in compact form, in a side table
    };
    void ForgetWideValues();
    // Keeps both values, narrow when they fit, and tells the view.
    void Store(qint64 data, const TNodeImages& images);
    // First, so that it sits in the base class's tail padding.
    qint32 dataValue = -1;
    QString caption;
    qint16 image = -1;
    qint16 selected = -1;
    qint16 state = -1;
    quint8 flags = 0;
};

inline qint64 NodeDataValue(const QTreeWidgetItem* node)
{
    if (!node)
        return -1;
    if (const TViewNode* viewNode = TViewNode::Of(node))
        return viewNode->DataValue();
    const QVariant v = node->data(0, NodeDataRole);
    return v.isValid() ? v.toLongLong() : -1;
}
inline void SetNodeDataValue(QTreeWidgetItem* node, qint64 value)
{
    if (TViewNode* viewNode = TViewNode::Of(node))
        viewNode->SetDataValue(value);
    else
        node->setData(0, NodeDataRole, value);
}

inline TNodeImages NodeImages(const QTreeWidgetItem* node)
{
    if (const TViewNode* viewNode = TViewNode::Of(node))
        return viewNode->Images();
    const QVariant v = node->data(0, NodeImagesRole);
    return v.isValid() ? v.value<TNodeImages>() : TNodeImages();
}
inline int NodeImage(const QTreeWidgetItem* node) { return NodeImages(node).image; }
inline int NodeSelectedImage(const QTreeWidgetItem* node) { return NodeImages(node).selected; }
inline int NodeStateImage(const QTreeWidgetItem* node) { return NodeImages(node).state; }
inline void SetNodeImages(QTreeWidgetItem* node, const TNodeImages& images)
{
    if (TViewNode* viewNode = TViewNode::Of(node)) {
        viewNode->SetImages(images);
        return;
    }
    const QVariant old = node->data(0, NodeImagesRole);
    if (old.isValid() && old.value<TNodeImages>() == images)
        return;
    node->setData(0, NodeImagesRole, QVariant::fromValue(images));
}
inline void SetNodeImages(QTreeWidgetItem* node, int image, int selected, int state)
{
    SetNodeImages(node, TNodeImages{image, selected, state});
}

// A weak handle on a view node: Get() gives the node while it exists and
// nullptr once it has been deleted. Serial numbers are never reused, so a new
// node at a deleted node's address is never mistaken for it.
class TNodeRef {
public:
    TNodeRef() = default;
    TNodeRef(QTreeWidgetItem* node); // NOLINT: converting on purpose
    QTreeWidgetItem* Get() const;
    // The node when it still exists and belongs to view, else nullptr.
    QTreeWidgetItem* In(const QTreeWidget* view) const;
    bool IsNull() const { return serial == 0; }
    void Reset() { serial = 0; }
    bool operator==(const TNodeRef& o) const { return serial == o.serial; }
    bool operator!=(const TNodeRef& o) const { return serial != o.serial; }

private:
    quint64 serial = 0;
};

QTreeWidgetItem* NewViewNode(const QString& caption);

// A new node with caption and data value: the last child of parent, or a
// top-level node when parent is null.
QTreeWidgetItem* AddViewNode(QTreeWidget* view, QTreeWidgetItem* parent, const QString& caption,
                             qint64 data);

// Deleting a tree. A QTreeWidgetItem deletes its children recursively, so a
// branch some tens of thousands of levels deep (a damaged or hostile file)
// would overflow the stack; these take the nodes apart from the leaves up
// instead, in linear time, with one removal seen by the view's model.
//
// node and its whole branch.
void DeleteBranch(QTreeWidgetItem* node);
// Every child branch of node; node itself stays.
void DeleteChildBranches(QTreeWidgetItem* node);
// Every node of view, as QTreeWidget::clear() would.
void ClearView(QTreeWidget* view);
// Deletes a branch that is in no view and has no parent.
struct TBranchDeleter {
    void operator()(QTreeWidgetItem* node) const;
};

QTreeWidgetItem* FirstNode(QTreeWidget* view);
// The selected node of a view: the current node when it is selected, else
// the first selected node; nullptr when none is selected.
QTreeWidgetItem* SelectedNode(const QTreeWidget* view);
// Depth-first pre-order walks: use QTreeWidgetItemIterator, which keeps its
// place by index and so stays linear over long sibling lists.

// Suspends repainting of a view while it lives. Events may run meanwhile
// (downloads, pauses), so the view is held weakly.
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
    // False once the view is gone (events run meanwhile may delete it).
    bool Alive() const { return !view.isNull(); }

private:
    QPointer<QWidget> view;
    bool wasEnabled;
};
