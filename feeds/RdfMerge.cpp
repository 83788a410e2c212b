#include "feeds/RdfMerge.h"

#include "app/NewsGlobals.h"
#include "feeds/RssMerge.h"
#include "model/DateTime.h"
#include "model/FeedCounts.h"
#include "model/IsoDate.h"
#include "model/TreeItems.h"
#include "model/ViewNodes.h"
#include "text/TextTools.h"

#include <QDomElement>
#include <QHash>
#include <QSet>
#include <QTreeWidget>

#include <vector>

namespace {
QString LocalNameOf(const QDomNode& node)
{
    const QString local = node.localName();
    return local.isEmpty() ? node.nodeName() : local;
}

QDomElement FirstElementNamed(const QDomNode& parent, const QString& name)
{
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (LocalNameOf(e) == name)
            return e;
    return QDomElement();
}

QString RdfCaption(const QString& title, int newCount, int childCount)
{
    // One substitution step: a title holding "%1" stays as it is.
    return title + CountPair(newCount, childCount);
}

// The children of one feed by the title keys (TitleKey, ignoring the case of
// A-Z) of caption and stored title; the first child in order wins, as a search
// from the top would find it.
class TKnownItems {
public:
    explicit TKnownItems(QTreeWidgetItem* feed)
    {
        const int n = feed->childCount();
        index.reserve(2 * n);
        for (int i = 0; i < n; ++i)
            Add(feed->child(i), false);
    }
    QTreeWidgetItem* Find(const QString& plainTitle) const { return index.value(Key(plainTitle)); }
    // A node inserted first under the feed becomes the first match.
    void Add(QTreeWidgetItem* node, bool first)
    {
        Put(Key(node->text(0)), node, first);
        if (const TTreeItem* item = NewsData->NodeItem(node))
            Put(Key(item->Title), node, first);
    }

private:
    static QString Key(const QString& title) { return AsciiUpper(TitleKey(title)); }
    void Put(const QString& key, QTreeWidgetItem* node, bool first)
    {
        if (first || !index.contains(key))
            index.insert(key, node);
    }
    QHash<QString, QTreeWidgetItem*> index;
};

// The items of the document in its order: those beside the channel element
// and those some feeds put inside it.
std::vector<QDomElement> DocumentItems(const QDomNode& root, const QDomElement& channel)
{
    std::vector<QDomElement> items;
    auto take = [&items](const QDomNode& parent) {
        for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            if (LocalNameOf(e) == QLatin1String("item"))
                items.push_back(e);
    };
    for (QDomElement e = root.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e == channel)
            take(channel);
        else if (LocalNameOf(e) == QLatin1String("item"))
            items.push_back(e);
    }
    return items;
}

// An item's dc:date (RFC 3339, or a date as RSS feeds write them), else now.
TDateTime ItemDate(const QDomElement& item, TDateTime now)
{
    const QString text = RdfElementText(item, QStringLiteral("date")).trimmed();
    return text.isEmpty() ? now : ParseFeedDate(text);
}

void SetFeedImage(QTreeWidgetItem* node, int image)
{
    SetNodeImages(node, image, image, NodeStateImage(node));
}

// Drops the children dated before the limit, in one pass over the list.
void AgeChildren(const TNewsViews& views, QTreeWidgetItem* feed, TDateTime limit)
{
    QTreeWidget* tree = views.tvTree;
    QSet<QTreeWidgetItem*> gone;
    QList<QTreeWidgetItem*> expired; // in the feed's order
    for (int i = 0; i < feed->childCount(); ++i) {
        QTreeWidgetItem* child = feed->child(i);
        const TTreeItem* item = NewsData->NodeItem(child);
        if (item && item->TimeStamp < limit) {
            gone.insert(child);
            expired.append(child);
        }
    }
    if (gone.isEmpty())
        return;
    RemoveFromViews(views, expired);
    if (gone.contains(tree->currentItem()))
        tree->setCurrentItem(feed);
    const QList<QTreeWidgetItem*> children = feed->takeChildren();
    QList<QTreeWidgetItem*> kept;
    kept.reserve(children.size() - gone.size());
    for (QTreeWidgetItem* child : children)
        if (!gone.contains(child))
            kept.append(child);
    feed->addChildren(kept);
    for (QTreeWidgetItem* node : gone)
        DeleteBranch(node); // a damaged file may have hung a deep branch under an item
}
} // namespace

QString RdfElementText(const QDomNode& parent, const QString& name)
{
    // An element of the parent's own namespace first: RSS 1.0 items may carry
    // a dc:title beside their title.
    const QString ns = parent.namespaceURI();
    QDomElement any;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (LocalNameOf(e) != name)
            continue;
        if (e.namespaceURI() == ns)
            return e.text();
        if (any.isNull())
            any = e;
    }
    return any.isNull() ? QString() : any.text();
}

QTreeWidgetItem* MergeRdfChannel(const TNewsViews& views, int newsStorageDuration,
                                 QTreeWidgetItem* startNode, const QString& feedUrl,
                                 const TXMLNode& rdf)
{
    QTreeWidget* tree = views.tvTree;
    if (!tree || !NewsData)
        return nullptr;
    TUpdateGuard bracket(tree); // closed on every road out, failures included
    const QDomNode root = rdf.DomNode();
    QDomElement channel = FirstElementNamed(root, QStringLiteral("channel"));
    if (channel.isNull())
        channel = root.firstChildElement();
    if (channel.isNull())
        return nullptr;

    const QString channelTitle = RdfElementText(channel, QStringLiteral("title"));
    QTreeWidgetItem* feed = FindNodeByURL(MergeStartNode(tree, startNode), feedUrl);
    // A typed or pasted URL must not make a second node for a feed at the top.
    if (!feed && !startNode)
        feed = FindNodeByURL(FirstNode(tree), feedUrl);
    const TDateTime now = NowDateTime();
    if (feed) {
        if (TTreeItem* item = NewsData->NodeItem(feed))
            item->TimeStamp = now;
    } else {
        TTreeItem feedItem(kFeed, channelTitle, feedUrl, RdfElementText(channel, QStringLiteral("description")),
                           QString(), FormatLocalDateTime(now));
        const int index = NewsData->NewsList.AddCopy(feedItem);
        feed = NewViewNode(channelTitle);
        SetNodeDataValue(feed, index);
        tree->insertTopLevelItem(0, feed);
        // The icon download lets events run: go on only with a live node.
        const TNodeRef feedRef(feed);
        NewsData->AssignNodeIcon(feed, RdfElementText(channel, QStringLiteral("link")));
        feed = feedRef.In(tree);
        if (!feed)
            return nullptr;
    }
    TTreeItem* feedItem = NewsData->NodeItem(feed);
    if (!feedItem)
        return feed;
    if (feedItem->GetOptionInt(kOptStorageDays, 0) == -1)
        DeleteChildNodes(views, feed);

    const QString showDescription = feedItem->GetOption(kOptShowDescription);
    const QString linkBase = ItemLinkBase(RdfElementText(channel, QStringLiteral("link")), feedUrl);
    const TDateTime ageLimit = newsStorageDuration > 0 ? now - newsStorageDuration : 0;
    const int feedImage = NodeImage(feed);
    TKnownItems known(feed);
    int newCount = 0;
    QList<QTreeWidgetItem*> added; // the last first: see AddToViews
    for (const QDomElement& e : DocumentItems(root, channel)) {
        QString title = RdfElementText(e, QStringLiteral("title"));
        QString plainTitle = HTMLToText(title);
        // Untitled items are told apart as in RSS feeds, by their text or link.
        if (IsBlank(plainTitle)) {
            const QString derived = UntitledItemTitle(RdfElementText(e, QStringLiteral("description")),
                                                      RdfElementText(e, QStringLiteral("link")).trimmed());
            if (!derived.isEmpty())
                title = plainTitle = derived;
        }
        QTreeWidgetItem* node = known.Find(plainTitle);
        if (!node) {
            const TDateTime date = ItemDate(e, now);
            if (date < ageLimit)
                continue; // the ageing below would take it at once
            TTreeItem news(kNewsItem, title, ResolveItemLink(RdfElementText(e, QStringLiteral("link")), linkBase),
                           RdfElementText(e, QStringLiteral("description")), QString(), FormatLocalDateTime(date));
            news.TimeStamp = date;
            news.SetOption(kOptShowDescription, showDescription);
            news.IconIdx = feedImage;
            const int index = NewsData->NewsList.AddCopy(news);
            node = NewViewNode(title);
            SetNodeDataValue(node, index);
            SetFeedImage(node, feedImage);
            // Above the older items, in document order.
            feed->insertChild(newCount++, node);
            added.prepend(node);
            known.Add(node, true);
            continue;
        }
        SetFeedImage(node, feedImage);
    }
    AddToViews(views, added);
    if (newsStorageDuration > 0)
        AgeChildren(views, feed, now - newsStorageDuration);

    feed->setText(0, RdfCaption(FeedCaptionTitle(*feedItem, channelTitle), newCount, feed->childCount()));
    RetitleInViews(views, feed);
    return feed;
}
