#include "model/ViewNodes.h"

#include <QItemSelectionModel>

#include <cstdint>
#include <unordered_map>

static_assert(sizeof(TViewNode) <= sizeof(QTreeWidgetItem) + 32, "view nodes are meant to stay small");

namespace {
// The nodes that handles have been taken on, by serial number, and back.
std::unordered_map<quint64, TViewNode*>& Registry()
{
    static std::unordered_map<quint64, TViewNode*> registry;
    return registry;
}
std::unordered_map<const TViewNode*, quint64>& Serials()
{
    static std::unordered_map<const TViewNode*, quint64> serials;
    return serials;
}
quint64 lastSerial = 0;

// Data values and images too wide for a node's own members.
struct TWideValues {
    qint64 data = -1;
    TNodeImages images;
};
std::unordered_map<const TViewNode*, TWideValues>& WideValues()
{
    static std::unordered_map<const TViewNode*, TWideValues> wide;
    return wide;
}

std::unordered_map<const TViewNode*, TPendingList>& Pending()
{
    static std::unordered_map<const TViewNode*, TPendingList> pending;
    return pending;
}

bool FitsShort(int v) { return v >= -32768 && v <= 32767; }
} // namespace

TViewNode::~TViewNode()
{
    if (flags & kHasSerial) {
        const auto it = Serials().find(this);
        if (it != Serials().end()) {
            Registry().erase(it->second);
            Serials().erase(it);
        }
    }
    if (flags & kWideValues)
        WideValues().erase(this);
    if (flags & kHasPending)
        Pending().erase(this);
}

TPendingList* TViewNode::PendingChildren() const
{
    if (!(flags & kHasPending))
        return nullptr;
    return &Pending().at(this);
}

TPendingList& TViewNode::MakePendingChildren()
{
    flags |= kHasPending;
    return Pending()[this];
}

TPendingList TViewNode::TakePendingChildren()
{
    if (!(flags & kHasPending))
        return {};
    const auto it = Pending().find(this);
    TPendingList taken = std::move(it->second);
    Pending().erase(it);
    flags = static_cast<quint8>(flags & ~kHasPending);
    return taken;
}

qint64 TViewNode::DataValue() const
{
    if (!(flags & kHasData))
        return -1;
    if (flags & kWideValues)
        return WideValues().at(this).data;
    return dataValue;
}

TNodeImages TViewNode::Images() const
{
    if (flags & kWideValues)
        return WideValues().at(this).images;
    return TNodeImages{image, selected, state};
}

void TViewNode::ForgetWideValues()
{
    // Called with the values already read: moves them back into the members.
    if (!(flags & kWideValues))
        return;
    const TWideValues wide = WideValues().at(this);
    WideValues().erase(this);
    flags = static_cast<quint8>(flags & ~kWideValues);
    dataValue = static_cast<qint32>(wide.data);
    image = static_cast<qint16>(wide.images.image);
    selected = static_cast<qint16>(wide.images.selected);
    state = static_cast<qint16>(wide.images.state);
}

TViewNode::TViewNode(const QTreeWidgetItem& other) : QTreeWidgetItem(kType)
{
    // The base assignment copies flags and any other roles but keeps the type.
    QTreeWidgetItem::operator=(other);
    if (const TViewNode* from = Of(&other)) {
        // The copy has no children, compact or not.
        if (from->flags & kHasPending)
            setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
        caption = from->caption;
        if (from->flags & kHasData)
            SetDataValue(from->DataValue());
        if (from->flags & kHasImages)
            SetImages(from->Images());
        return;
    }
    caption = other.text(0);
    const QVariant value = other.data(0, NodeDataRole);
    if (value.isValid())
        SetDataValue(value.toLongLong());
    const QVariant imageValue = other.data(0, NodeImagesRole);
    if (imageValue.isValid())
        SetImages(imageValue.value<TNodeImages>());
}

QTreeWidgetItem* TViewNode::clone() const
{
    // Like QTreeWidgetItem::clone, but the copies stay TViewNodes.
    auto* copy = new TViewNode(*this);
    std::vector<std::pair<const QTreeWidgetItem*, QTreeWidgetItem*>> stack{{this, copy}};
    while (!stack.empty()) {
        auto [from, to] = stack.back();
        stack.pop_back();
        const TViewNode* fromNode = Of(from);
        if (const TPendingList* pending = fromNode ? fromNode->PendingChildren() : nullptr) {
            static_cast<TViewNode*>(to)->MakePendingChildren() = *pending;
            to->setChildIndicatorPolicy(from->childIndicatorPolicy());
        }
        for (int i = 0; i < from->childCount(); ++i) {
            const QTreeWidgetItem* child = from->child(i);
            auto* childCopy = new TViewNode(*child);
            to->addChild(childCopy);
            stack.push_back({child, childCopy});
        }
    }
    return copy;
}

QVariant TViewNode::data(int column, int role) const
{
    if (column != 0)
        return QTreeWidgetItem::data(column, role);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return caption;
    case NodeDataRole:
        return (flags & kHasData) ? QVariant(DataValue()) : QVariant();
    case NodeImagesRole:
        return (flags & kHasImages) ? QVariant::fromValue(Images()) : QVariant();
    default:
        return QTreeWidgetItem::data(column, role);
    }
}

void TViewNode::setData(int column, int role, const QVariant& value)
{
    if (column != 0) {
        QTreeWidgetItem::setData(column, role, value);
        return;
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const QString text = value.toString();
        if (text == caption)
            return;
        caption = text;
        emitDataChanged();
        return;
    }
    case NodeDataRole:
        if (!value.isValid()) {
            if (flags & kHasData) {
                SetDataValue(-1);
                flags = static_cast<quint8>(flags & ~kHasData);
                emitDataChanged();
            }
            return;
        }
        SetDataValue(value.toLongLong());
        return;
    case NodeImagesRole:
        if (!value.isValid()) {
            if (flags & kHasImages) {
                SetImages(TNodeImages());
                flags = static_cast<quint8>(flags & ~kHasImages);
                emitDataChanged();
            }
            return;
        }
        SetImages(value.value<TNodeImages>());
        return;
    default:
        QTreeWidgetItem::setData(column, role, value);
    }
}

void TViewNode::SetDataValue(qint64 value)
{
    if ((flags & kHasData) && DataValue() == value)
        return;
    const TNodeImages images = Images();
    flags |= kHasData;
    Store(value, images);
}

void TViewNode::SetImages(const TNodeImages& value)
{
    if ((flags & kHasImages) && Images() == value)
        return;
    const qint64 data = DataValue();
    flags |= kHasImages;
    Store(data, value);
}

void TViewNode::Store(qint64 data, const TNodeImages& images)
{
    if (data >= INT32_MIN && data <= INT32_MAX && FitsShort(images.image) && FitsShort(images.selected)
        && FitsShort(images.state)) {
        ForgetWideValues();
        dataValue = static_cast<qint32>(data);
        image = static_cast<qint16>(images.image);
        selected = static_cast<qint16>(images.selected);
        state = static_cast<qint16>(images.state);
    } else {
        WideValues()[this] = TWideValues{data, images};
        flags |= kWideValues;
    }
    if (treeWidget())
        emitDataChanged();
}

TNodeRef::TNodeRef(QTreeWidgetItem* node)
{
    TViewNode* viewNode = TViewNode::Of(node);
    if (!viewNode)
        return;
    if (!(viewNode->flags & TViewNode::kHasSerial)) {
        viewNode->flags |= TViewNode::kHasSerial;
        Serials().emplace(viewNode, ++lastSerial);
        Registry().emplace(lastSerial, viewNode);
    }
    serial = Serials().at(viewNode);
}

QTreeWidgetItem* TNodeRef::Get() const
{
    if (serial == 0)
        return nullptr;
    const auto it = Registry().find(serial);
    return it == Registry().end() ? nullptr : it->second;
}

QTreeWidgetItem* TNodeRef::In(const QTreeWidget* view) const
{
    QTreeWidgetItem* node = Get();
    return node && view && node->treeWidget() == view ? node : nullptr;
}

QTreeWidgetItem* NewViewNode(const QString& caption) { return new TViewNode(caption); }

QTreeWidgetItem* AddViewNode(QTreeWidget* view, QTreeWidgetItem* parent, const QString& caption,
                             qint64 data)
{
    QTreeWidgetItem* node = NewViewNode(caption);
    SetNodeDataValue(node, data);
    if (parent)
        parent->addChild(node);
    else
        view->addTopLevelItem(node);
    return node;
}

namespace {
// Deletes a detached branch (no parent, no view) from the leaves up: always
// the last child of the deepest node reached, so every node deleted is a leaf
// whose parent no longer lists it, and no model is told anything.
void DismantleDetached(QTreeWidgetItem* root)
{
    QTreeWidgetItem* node = root;
    while (node) {
        const int count = node->childCount();
        if (count > 0) {
            node = node->child(count - 1);
            continue;
        }
        QTreeWidgetItem* parent = node == root ? nullptr : node->parent();
        if (parent)
            parent->takeChild(parent->childCount() - 1); // node: a leaf, so this is cheap
        delete node;
        node = parent;
    }
}
} // namespace

void TBranchDeleter::operator()(QTreeWidgetItem* node) const { DismantleDetached(node); }

void DeleteBranch(QTreeWidgetItem* node)
{
    if (!node)
        return;
    // Taken out whole first: one removal for the model, and the branch no
    // longer belongs to the view while it is taken apart.
    if (QTreeWidgetItem* parent = node->parent()) {
        parent->takeChild(parent->indexOfChild(node));
    } else if (QTreeWidget* view = node->treeWidget()) {
        const int index = view->indexOfTopLevelItem(node);
        if (index >= 0)
            view->takeTopLevelItem(index);
    }
    DismantleDetached(node);
}

void DeleteChildBranches(QTreeWidgetItem* node)
{
    if (!node)
        return;
    for (QTreeWidgetItem* child : node->takeChildren())
        DismantleDetached(child);
}

void ClearView(QTreeWidget* view)
{
    if (!view)
        return;
    // The selection goes first, as QTreeWidget::clear() does, so that the
    // selection model is not told about every selected node on the way.
    if (QItemSelectionModel* selection = view->selectionModel())
        selection->clear();
    DeleteChildBranches(view->invisibleRootItem());
}

QTreeWidgetItem* FirstNode(QTreeWidget* view)
{
    return view && view->topLevelItemCount() > 0 ? view->topLevelItem(0) : nullptr;
}

QTreeWidgetItem* SelectedNode(const QTreeWidget* view)
{
    if (!view)
        return nullptr;
    QTreeWidgetItem* current = view->currentItem();
    if (current && current->isSelected())
        return current;
    const QList<QTreeWidgetItem*> selected = view->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}
