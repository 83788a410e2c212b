#include "model/PendingChildren.h"

#include <QTreeWidget>

#include <algorithm>

namespace {

TPendingList* PendingOf(const QTreeWidgetItem* node)
{
    const TViewNode* viewNode = TViewNode::Of(node);
    return viewNode ? viewNode->PendingChildren() : nullptr;
}

// A node whose last compact child has gone is an ordinary childless node.
void ForgetIfEmpty(QTreeWidgetItem* node)
{
    TViewNode* viewNode = TViewNode::Of(node);
    const TPendingList* pending = viewNode ? viewNode->PendingChildren() : nullptr;
    if (!pending || !pending->empty())
        return;
    viewNode->TakePendingChildren();
    viewNode->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

} // namespace

TPendingNode PendingCopy(const QTreeWidgetItem* node)
{
    return TPendingNode{node->text(0), NodeDataValue(node), NodeImages(node)};
}

QTreeWidgetItem* NodeFrom(const TPendingNode& copy)
{
    auto* node = new TViewNode(copy.caption);
    node->SetDataValue(copy.data);
    node->SetImages(copy.images);
    return node;
}

bool HasPendingChildren(const QTreeWidgetItem* node) { return PendingOf(node) != nullptr; }

int ChildCountOf(const QTreeWidgetItem* node)
{
    if (!node)
        return 0;
    if (const TPendingList* pending = PendingOf(node))
        return static_cast<int>(pending->size());
    return node->childCount();
}

void SetPendingChildren(QTreeWidgetItem* node, TPendingList children)
{
    TViewNode* viewNode = TViewNode::Of(node);
    if (!viewNode || children.empty())
        return;
    Q_ASSERT(node->childCount() == 0);
    viewNode->MakePendingChildren() = std::move(children);
    viewNode->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
}

void RealizeChildren(QTreeWidgetItem* node)
{
    TViewNode* viewNode = TViewNode::Of(node);
    if (!viewNode || !viewNode->PendingChildren())
        return;
    const TPendingList pending = viewNode->TakePendingChildren();
    QList<QTreeWidgetItem*> nodes;
    nodes.reserve(static_cast<qsizetype>(pending.size()));
    for (const TPendingNode& p : pending)
        nodes.append(NodeFrom(p));
    viewNode->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    TUpdateGuard guard(node->treeWidget());
    node->addChildren(nodes);
}

void RealizeAllChildren(QTreeWidget* view)
{
    if (!view)
        return;
    // Compact children are leaves, so one pass over what exists is enough;
    // the nodes made are visited after their parent.
    std::vector<QTreeWidgetItem*> stack{view->invisibleRootItem()};
    while (!stack.empty()) {
        QTreeWidgetItem* node = stack.back();
        stack.pop_back();
        RealizeChildren(node);
        for (int i = node->childCount() - 1; i >= 0; --i)
            stack.push_back(node->child(i));
    }
}

void RealizeOnExpand(QTreeWidget* view)
{
    static const char* const kHooked = "quorbelRealizeOnExpand";
    if (!view || view->property(kHooked).toBool())
        return;
    view->setProperty(kHooked, true);
    QObject::connect(view, &QTreeWidget::itemExpanded, view, [](QTreeWidgetItem* node) { RealizeChildren(node); });
}

void InsertFirstCopies(QTreeWidgetItem* parent, const QList<const QTreeWidgetItem*>& originals)
{
    if (!parent || originals.isEmpty())
        return;
    if (TPendingList* pending = PendingOf(parent)) {
        for (auto it = originals.crbegin(); it != originals.crend(); ++it)
            pending->push_front(PendingCopy(*it));
        return;
    }
    QList<QTreeWidgetItem*> copies;
    copies.reserve(originals.size());
    for (const QTreeWidgetItem* original : originals)
        copies.append(NodeFrom(PendingCopy(original)));
    parent->insertChildren(0, copies);
}

QTreeWidgetItem* FirstChildWithData(QTreeWidgetItem* parent, qint64 data)
{
    if (!parent)
        return nullptr;
    const int count = parent->childCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (NodeDataValue(child) == data)
            return child;
    }
    return nullptr;
}

void RemoveFirstChildWithData(QTreeWidgetItem* parent, qint64 data)
{
    if (!parent)
        return;
    if (TPendingList* pending = PendingOf(parent)) {
        const auto it = std::find_if(pending->begin(), pending->end(),
                                     [data](const TPendingNode& p) { return p.data == data; });
        if (it != pending->end()) {
            pending->erase(it);
            ForgetIfEmpty(parent);
        }
        return;
    }
    delete FirstChildWithData(parent, data);
}

void RemoveAllChildren(QTreeWidgetItem* parent)
{
    if (!parent)
        return;
    if (TPendingList* pending = PendingOf(parent)) {
        pending->clear();
        ForgetIfEmpty(parent);
    }
    qDeleteAll(parent->takeChildren());
}

void RemovePendingChildrenAt(QTreeWidgetItem* parent, const std::vector<size_t>& places)
{
    TPendingList* pending = PendingOf(parent);
    if (!pending || places.empty())
        return;
    std::vector<bool> gone(pending->size(), false);
    for (size_t place : places)
        if (place < gone.size())
            gone[place] = true;
    TPendingList kept;
    for (size_t i = 0; i < pending->size(); ++i)
        if (!gone[i])
            kept.push_back(std::move((*pending)[i]));
    *pending = std::move(kept);
    ForgetIfEmpty(parent);
}

void RetitleChildrenWithData(QTreeWidgetItem* parent, qint64 data, const QString& caption)
{
    if (!parent)
        return;
    if (TPendingList* pending = PendingOf(parent)) {
        for (TPendingNode& p : *pending)
            if (p.data == data)
                p.caption = caption;
        return;
    }
    const int count = parent->childCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (NodeDataValue(child) == data && child->text(0) != caption)
            child->setText(0, caption);
    }
}
