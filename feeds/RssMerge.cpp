#include "feeds/RssMerge.h"

#include "app/NewsGlobals.h"
#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "text/TextTools.h"

#include <QHash>
#include <QSet>
#include <QTreeWidget>
#include <optional>

namespace {
QTreeWidgetItem* SiblingAt(QTreeWidgetItem* parent, QTreeWidget* view, int index)
{
    if (parent)
        return index < parent->childCount() ? parent->child(index) : nullptr;
    return view && index < view->topLevelItemCount() ? view->topLevelItem(index) : nullptr;
}

QTreeWidgetItem* StartNode(QTreeWidget* tree, QTreeWidgetItem* passed)
{
    if (passed)
        return passed;
    QTreeWidgetItem* current = tree->currentItem();
    if (current && current->isSelected())
        return current;
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    if (!selected.isEmpty())
        return selected.first();
    return FirstNode(tree);
}

// Children of one feed by folded caption, for the duration of one merge. The
// first child in order wins, as a linear search would find it.
class TCaptionIndex {
public:
    explicit TCaptionIndex(QTreeWidgetItem* feed)
    {
        const int n = feed->childCount();
        index.reserve(n);
        for (int i = 0; i < n; ++i) {
            QTreeWidgetItem* child = feed->child(i);
            const QString key = AsciiUpper(child->text(0));
            if (!index.contains(key))
                index.insert(key, child);
        }
    }
    QTreeWidgetItem* Find(const QString& caption) const { return index.value(AsciiUpper(caption)); }
    // A node inserted first under the feed becomes the first match.
    void InsertFirst(QTreeWidgetItem* node) { index.insert(AsciiUpper(node->text(0)), node); }

private:
    QHash<QString, QTreeWidgetItem*> index;
};

// The channel title, read once when first needed.
class TChannelTitle {
public:
    explicit TChannelTitle(const IXMLChannelType& channel) : channel(channel) {}
    const QString& Raw()
    {
        if (!raw)
            raw = channel->Title();
        return *raw;
    }

private:
    IXMLChannelType channel;
    std::optional<QString> raw;
};
} // namespace

QTreeWidgetItem* FindNodeByURL(QTreeWidgetItem* start, const QString& url)
{
    if (!start || !NewsData)
        return nullptr;
    QTreeWidgetItem* parent = start->parent();
    QTreeWidget* view = start->treeWidget();
    int i = parent ? parent->indexOfChild(start) : (view ? view->indexOfTopLevelItem(start) : -1);
    if (i < 0)
        return nullptr;
    for (QTreeWidgetItem* node = start; node; node = SiblingAt(parent, view, ++i)) {
        const TTreeItem* item = NewsData->NodeItem(node);
        if (item && SameTextAscii(item->Link, url))
            return node;
    }
    return nullptr;
}

QTreeWidgetItem* FindChildByText(QTreeWidgetItem* parent, const QString& text)
{
    if (!parent)
        return nullptr;
    for (int i = 0; i < parent->childCount(); ++i)
        if (SameTextAscii(parent->child(i)->text(0), text))
            return parent->child(i);
    return nullptr;
}

QString FeedCaption(const QString& title, int newCount, int childCount)
{
    if (childCount == newCount)
        return QStringLiteral("%1(%2)").arg(title).arg(newCount);
    return QStringLiteral("%1(%2 of %3)").arg(title).arg(newCount).arg(childCount);
}

QTreeWidgetItem* MergeRssChannel(const TNewsViews& views, int newsStorageDuration,
                                 QTreeWidgetItem* startNode, const QString& feedUrl,
                                 const IXMLRssType& rss)
{
    QTreeWidget* tree = views.tvTree;
    TUpdateGuard bracket(tree); // closed on every road out, failures included
    const IXMLChannelType channel = rss->Channel();
    TChannelTitle channelTitle(channel);

    QTreeWidgetItem* feed = FindNodeByURL(StartNode(tree, startNode), feedUrl);
    if (!feed) {
        TTreeItem feedItem(kFeed, channelTitle.Raw(), feedUrl, channel->Description(), QString(),
                           FormatLocalDateTime(NowDateTime()));
        const int index = NewsData->NewsList.AddCopy(feedItem);
        feed = NewViewNode(HTMLToText(channelTitle.Raw()));
        SetNodeDataValue(feed, index);
        tree->insertTopLevelItem(0, feed);
        UpdateViews(views, feed, umFeedAdded);
    }
    TTreeItem* feedItem = NewsData->NodeItem(feed);
    if (!feedItem)
        return feed;

    if (feedItem->GetOptionInt(kOptStorageDays, 0) == -1) {
        UpdateViews(views, feed, umFeedEmptied);
        DeleteChildNodes(views, feed);
    }
    const TDateTime now = NowDateTime();
    feedItem->TimeStamp = now;
    if (feedItem->IconIdx == -1 || feedItem->IconIdx >= NewsData->imIcons.Count())
        NewsData->AssignNodeIcon(feed, feedUrl);

    const QString showDescription = feedItem->GetOption(kOptShowDescription);
    TCaptionIndex known(feed);
    int newCount = 0;
    // The channel's items in document order, taken once: the collection's
    // access by index walks the channel's children on every call.
    const TXMLNodeList itemNodes = channel->FindChildren(QStringLiteral("item"));
    for (const TXMLNode& itemNode : itemNodes) {
        const IXMLItemType docItem = std::make_shared<TXMLItemType>(itemNode);
        const QString rawTitle = docItem->Title();
        const QString plainTitle = HTMLToText(rawTitle);
        if (QTreeWidgetItem* existing = known.Find(plainTitle)) {
            if (TTreeItem* item = NewsData->NodeItem(existing))
                item->SetDescription(docItem->Description());
            continue;
        }
        ++newCount;
        QString link = docItem->Link();
        if (link.isEmpty())
            link = docItem->Enclosure()->Url();
        TTreeItem news(kNewsItem, rawTitle, link, docItem->Description(), QString(), docItem->PubDate());
        news.SetOption(kOptShowDescription, showDescription);
        news.IconIdx = NodeImage(feed); // what the item gets below anyway, when it stays
        const int index = NewsData->NewsList.AddCopy(news);
        // Everything is set before the node goes in: a change to a node in a
        // view makes the view look the node up, which is slow for a new first child.
        QTreeWidgetItem* node = NewViewNode(plainTitle);
        SetNodeDataValue(node, index);
        NewsData->ApplyNodeImages(NewsData->NewsList.At(index), node);
        feed->insertChild(0, node);
        known.InsertFirst(node);
        UpdateViews(views, node, umItemAdded);
    }

    const int keepDays = feedItem->GetOptionInt(kOptStorageDays, newsStorageDuration);
    const int feedImage = NodeImage(feed);
    QList<QTreeWidgetItem*> expired;
    for (int i = 0; i < feed->childCount(); ++i) {
        QTreeWidgetItem* child = feed->child(i);
        TTreeItem* childItem = NewsData->NodeItem(child);
        if (keepDays > 0 && childItem && childItem->TimeStamp < now - keepDays) {
            expired.append(child);
        } else if (childItem) {
            childItem->IconIdx = feedImage;
            NewsData->ApplyNodeImages(childItem, child);
        }
    }
    if (!expired.isEmpty()) {
        // The same as removing each expired item from the derived views in
        // turn, without a search of every view per item.
        RemoveFromViews(views, expired);
        // Taking all children and putting the kept ones back is linear; removing
        // them one at a time would move the child list once per removal.
        QSet<QTreeWidgetItem*> gone(expired.begin(), expired.end());
        const QList<QTreeWidgetItem*> children = feed->takeChildren();
        QList<QTreeWidgetItem*> kept;
        kept.reserve(children.size() - expired.size());
        for (QTreeWidgetItem* child : children) {
            if (!gone.contains(child))
                kept.append(child);
        }
        if (gone.contains(tree->currentItem()))
            tree->setCurrentItem(feed);
        feed->addChildren(kept);
        qDeleteAll(expired);
    }

    const QString caption = FeedCaption(HTMLToText(channelTitle.Raw()), newCount, feed->childCount());
    feed->setText(0, caption);
    feedItem->SetTitle(caption);
    return feed;
}
