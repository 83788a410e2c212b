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

TNodeRef::TNodeRef(QTreeWidgetItem* node)
{
    auto* viewNode = dynamic_cast<TViewNode*>(node);
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
