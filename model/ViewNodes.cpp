#include "model/ViewNodes.h"

#include <unordered_map>

namespace {
// The nodes that handles have been taken on, by serial number.
std::unordered_map<quint64, TViewNode*>& Registry()
{
    static std::unordered_map<quint64, TViewNode*> registry;
    return registry;
}
quint64 lastSerial = 0;
} // namespace

TViewNode::~TViewNode()
{
    if (serial != 0)
        Registry().erase(serial);
}

TViewNode::TViewNode(const QTreeWidgetItem& other) : QTreeWidgetItem(kType)
{
    // The base assignment copies flags and any other roles but keeps the type.
    QTreeWidgetItem::operator=(other);
    if (const TViewNode* from = Of(&other)) {
        caption = from->caption;
        dataValue = from->dataValue;
        images = from->images;
        hasData = from->hasData;
        hasImages = from->hasImages;
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
        return hasData ? QVariant(dataValue) : QVariant();
    case NodeImagesRole:
        return hasImages ? QVariant::fromValue(images) : QVariant();
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
            if (hasData) {
                hasData = false;
                dataValue = -1;
                emitDataChanged();
            }
            return;
        }
        SetDataValue(value.toLongLong());
        return;
    case NodeImagesRole:
        if (!value.isValid()) {
            if (hasImages) {
                hasImages = false;
                images = TNodeImages();
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
    if (hasData && dataValue == value)
        return;
    hasData = true;
    dataValue = value;
    if (treeWidget())
        emitDataChanged();
}

void TViewNode::SetImages(const TNodeImages& value)
{
    if (hasImages && images == value)
        return;
    hasImages = true;
    images = value;
    if (treeWidget())
        emitDataChanged();
}

TNodeRef::TNodeRef(QTreeWidgetItem* node)
{
    TViewNode* viewNode = TViewNode::Of(node);
    if (!viewNode)
        return;
    if (viewNode->serial == 0) {
        viewNode->serial = ++lastSerial;
        Registry().emplace(viewNode->serial, viewNode);
    }
    serial = viewNode->serial;
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
