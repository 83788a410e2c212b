// Keeping the derived views in step with single changes of the tree.
//
// A mirror is found by its data value, the NewsList index it shares with the
// tvTree node it copies, so items with the same or an empty link are told
// apart; of several mirrors of one node the first in list order is the one
// removed. A feed's entry in the Feeds view is found by the feed's Link,
// ignoring ASCII case. A node without an item has no mirrors. Everything a step needs from the node is
// read before anything is deleted, so a node that is itself a mirror (a
// command run on a derived view) is never used after its removal.
#include "model/CategoryViews.h"

#include "app/NewsGlobals.h"
#include "model/PendingChildren.h"
#include "model/ViewNodes.h"
#include "text/TextTools.h"

#include <QHash>
#include <QSet>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace {

// Caption, data, image, selected image and state image.
QTreeWidgetItem* CopyNode(const QTreeWidgetItem* node) { return NodeFrom(PendingCopy(node)); }

inline char16_t FoldAscii(char16_t c) { return c >= 'A' && c <= 'Z' ? char16_t(c + ('a' - 'A')) : c; }

// Link equality ignoring ASCII case against an already folded link. Inline,
// because a search runs it once per node of a view.
inline bool SameFoldedLink(const QString& link, const QString& folded)
{
    const qsizetype n = link.size();
    if (n != folded.size())
        return false;
    const char16_t* a = reinterpret_cast<const char16_t*>(link.constData());
    const char16_t* b = reinterpret_cast<const char16_t*>(folded.constData());
    for (qsizetype i = 0; i < n; ++i)
        if (FoldAscii(a[i]) != b[i])
            return false;
    return true;
}

QTreeWidgetItem* FirstChildWithLink(QTreeWidgetItem* parent, const QString& link)
{
    if (!parent)
        return nullptr;
    const QString folded = AsciiLower(link);
    const int count = parent->childCount();
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* child = parent->child(i);
        const TTreeItem* item = ItemOf(child);
        if (item && SameFoldedLink(item->Link, folded))
            return child;
    }
    return nullptr;
}

// The g-th day group; none when there is no such group or the view holds one
// node in all (a lone group without items).
QTreeWidgetItem* DayGroup(QTreeWidget* tvTime, int g)
{
    if (!tvTime || g < 0 || g >= tvTime->topLevelItemCount())
        return nullptr;
    if (tvTime->topLevelItemCount() == 1 && ChildCountOf(tvTime->topLevelItem(0)) == 0)
        return nullptr;
    return tvTime->topLevelItem(g);
}

// The item of the node's tvTree parent when that parent is a feed.
const TTreeItem* ParentFeed(const QTreeWidgetItem* node)
{
    const TTreeItem* parent = ItemOf(node->parent());
    return parent && parent->IsKind(kFeed) ? parent : nullptr;
}

void DeleteNode(QTreeWidgetItem* node) { delete node; }

// Suspends repainting of the five derived views while it lives.
class TDerivedViewsGuard {
public:
    explicit TDerivedViewsGuard(const TNewsViews& views)
        : time(views.tvTime), web(views.tvWeb), audio(views.tvAudio), video(views.tvVideo), theme(views.tvTheme)
    {
    }

private:
    TUpdateGuard time, web, audio, video, theme;
};

// --- Removing many nodes in one pass ----------------------------------------

// The places of a list's children (nodes or compact entries) by data value,
// in list order. Removing always takes the first remaining match, so each
// bucket is used up from its front.
class TMirrorQueue {
public:
    explicit TMirrorQueue(QTreeWidgetItem* parent)
    {
        if (const TViewNode* node = TViewNode::Of(parent))
            if (const TPendingList* pending = node->PendingChildren()) {
                for (size_t i = 0; i < pending->size(); ++i)
                    buckets[(*pending)[i].data].places.push_back(i);
                return;
            }
        const int count = parent->childCount();
        for (int i = 0; i < count; ++i)
            buckets[NodeDataValue(parent->child(i))].places.push_back(static_cast<size_t>(i));
    }
    // The place of the first match not yet taken, or -1.
    qint64 Take(qint64 data)
    {
        auto it = buckets.find(data);
        if (it == buckets.end() || it->next >= it->places.size())
            return -1;
        return static_cast<qint64>(it->places[it->next++]);
    }

private:
    struct TBucket {
        std::vector<size_t> places;
        size_t next = 0;
    };
    QHash<qint64, TBucket> buckets;
};

class TBatchRemoval {
public:
    explicit TBatchRemoval(const TNewsViews& views) : views(views), nextDayStart(NextDayStart()) {}

    void Remove(const QTreeWidgetItem* node)
    {
        const TTreeItem* item = ItemOf(node);
        if (!item)
            return;
        const qint64 data = NodeDataValue(node);
        if (item->IsKind(kFeed)) {
            // A deleted feed's entry goes with it (its items go one by one).
            if (views.tvTheme)
                Doom(views.tvTheme->invisibleRootItem(), data);
            return;
        }
        if (QTreeWidgetItem* group = DayGroup(views.tvTime, DayAge(item->TimeStamp, nextDayStart)))
            Doom(group, data);
        for (QTreeWidget* view : {views.tvWeb, views.tvAudio, views.tvVideo})
            if (view)
                Doom(view->invisibleRootItem(), data);
        if (const TTreeItem* feed = ParentFeed(node))
            if (QTreeWidgetItem* entry = FeedEntry(feed->Link))
                Doom(entry, data);
    }

    // Takes the chosen nodes out of their lists, then deletes them; nothing
    // is deleted before everything is detached.
    void Apply()
    {
        std::vector<QTreeWidgetItem*> removed;
        for (auto& [parent, places] : doomed) {
            if (HasPendingChildren(parent)) {
                RemovePendingChildrenAt(parent, places);
                continue;
            }
            std::vector<QTreeWidgetItem*> nodes;
            nodes.reserve(places.size());
            for (size_t place : places)
                nodes.push_back(parent->child(static_cast<int>(place)));
            Detach(parent, nodes, removed);
        }
        doomed.clear();
        for (QTreeWidgetItem* node : removed)
            DeleteNode(node);
    }

private:
    void Doom(QTreeWidgetItem* parent, qint64 data)
    {
        auto it = queues.find(parent);
        if (it == queues.end())
            it = queues.emplace(parent, TMirrorQueue(parent)).first;
        const qint64 place = it->second.Take(data);
        if (place >= 0)
            doomed[parent].push_back(static_cast<size_t>(place));
    }

    // The Feeds view's top level does not change while items are removed, so
    // the first entry per link is looked up once.
    QTreeWidgetItem* FeedEntry(const QString& feedLink)
    {
        if (!views.tvTheme)
            return nullptr;
        if (!feedEntriesBuilt) {
            feedEntriesBuilt = true;
            const int count = views.tvTheme->topLevelItemCount();
            for (int i = 0; i < count; ++i) {
                QTreeWidgetItem* entry = views.tvTheme->topLevelItem(i);
                if (const TTreeItem* item = ItemOf(entry)) {
                    const QString key = AsciiLower(item->Link);
                    if (!feedEntries.contains(key))
                        feedEntries.insert(key, entry);
                }
            }
        }
        return feedEntries.value(AsciiLower(feedLink), nullptr);
    }

    static void Detach(QTreeWidgetItem* parent, const std::vector<QTreeWidgetItem*>& nodes,
                       std::vector<QTreeWidgetItem*>& removed)
    {
        // A few nodes: take them one by one. Many: take the whole list and put
        // back what stays, as one removal and one insertion for the model
        // instead of a search and a shift per node.
        constexpr size_t kFewNodes = 16;
        if (nodes.size() <= kFewNodes) {
            for (QTreeWidgetItem* node : nodes) {
                const int index = parent->indexOfChild(node);
                if (index >= 0)
                    removed.push_back(parent->takeChild(index));
            }
            return;
        }
        const QSet<QTreeWidgetItem*> gone(nodes.begin(), nodes.end());
        // Taking the list clears the selection, expansion and current node of
        // what stays; remember them (the selection is small, so ask the view
        // for it rather than every node for its state).
        QTreeWidget* view = parent->treeWidget();
        QTreeWidgetItem* current = view ? view->currentItem() : nullptr;
        QList<QTreeWidgetItem*> selected;
        if (view)
            for (QTreeWidgetItem* s : view->selectedItems())
                if (s->parent() == parent || (!s->parent() && parent == view->invisibleRootItem()))
                    if (!gone.contains(s))
                        selected.append(s);
        QList<QTreeWidgetItem*> expanded;
        const int count = parent->childCount();
        for (int i = 0; i < count; ++i) {
            QTreeWidgetItem* child = parent->child(i);
            if (ChildCountOf(child) > 0 && child->isExpanded() && !gone.contains(child))
                expanded.append(child);
        }

        QList<QTreeWidgetItem*> kept;
        const QList<QTreeWidgetItem*> children = parent->takeChildren();
        kept.reserve(children.size());
        for (QTreeWidgetItem* child : children) {
            if (gone.contains(child))
                removed.push_back(child);
            else
                kept.append(child);
        }
        parent->addChildren(kept);

        for (QTreeWidgetItem* node : expanded)
            node->setExpanded(true);
        for (QTreeWidgetItem* node : selected)
            node->setSelected(true);
        if (view && current && !gone.contains(current) && current->treeWidget() == view)
            view->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    }

    const TNewsViews& views;
    const double nextDayStart;
    std::unordered_map<QTreeWidgetItem*, TMirrorQueue> queues;
    std::unordered_map<QTreeWidgetItem*, std::vector<size_t>> doomed; // places in their list
    QHash<QString, QTreeWidgetItem*> feedEntries;
    bool feedEntriesBuilt = false;
};

} // namespace

void UpdateViews(const TNewsViews& views, QTreeWidgetItem* node, int mode)
{
    try {
        const TTreeItem* item = ItemOf(node);
        if (!item)
            return;
        // Read before any step deletes anything (node may itself be a mirror).
        const qint64 data = NodeDataValue(node);
        if (mode == umItemRemoved && item->IsKind(kFeed)) {
            // A deleted feed's entry goes with it (its items go one by one).
            if (views.tvTheme)
                RemoveFirstChildWithData(views.tvTheme->invisibleRootItem(), data);
            return;
        }
        const QString link = item->Link;
        const TMediaKinds kinds = ItemMediaKinds(*item);
        const double timeStamp = item->TimeStamp;
        const TTreeItem* feed = ParentFeed(node);
        const QString feedLink = feed ? feed->Link : QString();

        if (views.tvTime) {
            TUpdateGuard guard(views.tvTime);
            if (QTreeWidgetItem* group = DayGroup(views.tvTime, DayAge(timeStamp))) {
                if (mode == umItemAdded)
                    InsertFirstCopies(group, {node});
                else if (mode == umItemRemoved)
                    RemoveFirstChildWithData(group, data);
            }
        }

        {
            TUpdateGuard guardWeb(views.tvWeb);
            TUpdateGuard guardAudio(views.tvAudio);
            TUpdateGuard guardVideo(views.tvVideo);
            if (mode == umItemAdded) {
                if (views.tvAudio && kinds.audio)
                    views.tvAudio->insertTopLevelItem(0, CopyNode(node));
                if (views.tvVideo && kinds.video)
                    views.tvVideo->insertTopLevelItem(0, CopyNode(node));
                if (views.tvWeb)
                    views.tvWeb->insertTopLevelItem(0, CopyNode(node));
            } else if (mode == umItemRemoved) {
                for (QTreeWidget* view : {views.tvWeb, views.tvAudio, views.tvVideo})
                    if (view)
                        RemoveFirstChildWithData(view->invisibleRootItem(), data);
            }
        }

        if (feed && views.tvTheme) {
            TUpdateGuard guard(views.tvTheme);
            QTreeWidgetItem* entry = FirstChildWithLink(views.tvTheme->invisibleRootItem(), feedLink);
            switch (mode) {
            case umItemAdded:
                if (!entry) {
                    entry = CopyNode(node->parent());
                    views.tvTheme->addTopLevelItem(entry);
                }
                InsertFirstCopies(entry, {node});
                break;
            case umItemRemoved:
                RemoveFirstChildWithData(entry, data);
                break;
            case umFeedAdded:
                AddViewNode(views.tvTheme, nullptr, node->text(0), NodeDataValue(node));
                break;
            case umFeedEmptied:
                RemoveAllChildren(entry);
                break;
            default:
                break;
            }
        }
    } catch (...) {
        // The views are a convenience; a failure here must not stop a merge or a delete.
    }
}

void RemoveFromViews(const TNewsViews& views, const QList<QTreeWidgetItem*>& nodes)
{
    try {
        const TDerivedViewsGuard guard(views);
        // Indexing the lists costs about as much as a few plain searches.
        constexpr qsizetype kFewNodes = 8;
        if (nodes.size() <= kFewNodes) {
            for (QTreeWidgetItem* node : nodes)
                UpdateViews(views, node, umItemRemoved);
            return;
        }
        TBatchRemoval batch(views);
        for (const QTreeWidgetItem* node : nodes)
            if (node)
                batch.Remove(node);
        batch.Apply();
    } catch (...) {
        // As in UpdateViews: not reported.
    }
}

void AddToViews(const TNewsViews& views, const QList<QTreeWidgetItem*>& nodes)
{
    try {
        const TDerivedViewsGuard guard(views);
        // The nodes each list receives copies of, in the order they would be
        // inserted one by one, each first: the list is then inserted reversed.
        std::vector<std::pair<QTreeWidgetItem*, QList<const QTreeWidgetItem*>>> lists;
        auto listFor = [&lists](QTreeWidgetItem* parent) -> QList<const QTreeWidgetItem*>& {
            for (auto& list : lists)
                if (list.first == parent)
                    return list.second;
            lists.push_back({parent, {}});
            return lists.back().second;
        };
        QHash<QString, QTreeWidgetItem*> entries; // Feeds view entries by folded link
        for (QTreeWidgetItem* node : nodes) {
            const TTreeItem* item = ItemOf(node);
            if (!item)
                continue;
            if (views.tvTime)
                if (QTreeWidgetItem* group = DayGroup(views.tvTime, DayAge(item->TimeStamp)))
                    listFor(group).append(node);
            const TMediaKinds kinds = ItemMediaKinds(*item);
            if (views.tvAudio && kinds.audio)
                listFor(views.tvAudio->invisibleRootItem()).append(node);
            if (views.tvVideo && kinds.video)
                listFor(views.tvVideo->invisibleRootItem()).append(node);
            if (views.tvWeb)
                listFor(views.tvWeb->invisibleRootItem()).append(node);
            const TTreeItem* feed = ParentFeed(node);
            if (!feed || !views.tvTheme)
                continue;
            const QString folded = AsciiLower(feed->Link);
            QTreeWidgetItem*& entry = entries[folded];
            if (!entry)
                entry = FirstChildWithLink(views.tvTheme->invisibleRootItem(), feed->Link);
            if (!entry) {
                entry = CopyNode(node->parent());
                views.tvTheme->addTopLevelItem(entry);
            }
            listFor(entry).append(node);
        }
        for (auto& [parent, originals] : lists) {
            std::reverse(originals.begin(), originals.end());
            InsertFirstCopies(parent, originals);
        }
    } catch (...) {
        // As in UpdateViews: not reported.
    }
}

void RetitleInViews(const TNewsViews& views, const QTreeWidgetItem* node)
{
    try {
        const TTreeItem* item = ItemOf(node);
        if (!item)
            return;
        const qint64 data = NodeDataValue(node);
        const QString caption = item->Title; // what a build of the views shows
        if (item->IsKind(kFeed)) {
            if (views.tvTheme)
                RetitleChildrenWithData(views.tvTheme->invisibleRootItem(), data, caption);
            return;
        }
        if (QTreeWidgetItem* group = DayGroup(views.tvTime, DayAge(item->TimeStamp)))
            RetitleChildrenWithData(group, data, caption);
        for (QTreeWidget* view : {views.tvWeb, views.tvAudio, views.tvVideo})
            if (view)
                RetitleChildrenWithData(view->invisibleRootItem(), data, caption);
        if (const TTreeItem* feed = ParentFeed(node); feed && views.tvTheme)
            RetitleChildrenWithData(FirstChildWithLink(views.tvTheme->invisibleRootItem(), feed->Link), data,
                                    caption);
    } catch (...) {
        // As in UpdateViews: not reported.
    }
}

void DeleteChildNodes(const TNewsViews& views, QTreeWidgetItem* node)
{
    if (!node)
        return;
    // Descendants in display order (pre-order).
    QList<QTreeWidgetItem*> descendants;
    std::vector<QTreeWidgetItem*> stack;
    for (int i = node->childCount() - 1; i >= 0; --i)
        stack.push_back(node->child(i));
    while (!stack.empty()) {
        QTreeWidgetItem* d = stack.back();
        stack.pop_back();
        descendants.append(d);
        for (int i = d->childCount() - 1; i >= 0; --i)
            stack.push_back(d->child(i));
    }
    RemoveFromViews(views, descendants);

    TUpdateGuard guard(node->treeWidget());
    DeleteChildBranches(node);
}
