#include "feeds/RssMerge.h"

#include "app/NewsGlobals.h"
#include "feeds/RssChannel.h"
#include "model/DateTime.h"
#include "model/FeedCounts.h"
#include "model/ViewNodes.h"
#include "platform/WebLinks.h"
#include "text/TextTools.h"

#include <QHash>
#include <QSet>
#include <QTreeWidget>
#include <QUrl>
#include <optional>

namespace {
QTreeWidgetItem* SiblingAt(QTreeWidgetItem* parent, QTreeWidget* view, int index)
{
    if (parent)
        return index < parent->childCount() ? parent->child(index) : nullptr;
    return view && index < view->topLevelItemCount() ? view->topLevelItem(index) : nullptr;
}

// A caption or plain title as the duplicate test compares it: its title key,
// ignoring the case of A-Z.
QString CaptionKey(const QString& caption) { return AsciiUpper(TitleKey(caption)); }

// Children of one feed by caption key, for the duration of one merge. The
// first child in order wins, as FindChildByText would find it.
class TCaptionIndex {
public:
    explicit TCaptionIndex(QTreeWidgetItem* feed)
    {
        const int n = feed->childCount();
        index.reserve(n);
        for (int i = 0; i < n; ++i) {
            QTreeWidgetItem* child = feed->child(i);
            const QString key = CaptionKey(child->text(0));
            if (!index.contains(key))
                index.insert(key, child);
        }
    }
    QTreeWidgetItem* Find(const QString& caption) const { return index.value(CaptionKey(caption)); }
    // A node inserted first under the feed becomes the first match.
    void InsertFirst(QTreeWidgetItem* node) { index.insert(CaptionKey(node->text(0)), node); }

private:
    QHash<QString, QTreeWidgetItem*> index;
};

// Longest title taken from an untitled item's description.
const int kDerivedTitleLength = 80;
// How much of a description is made into a title at most; bounds the repeated
// conversion below, and is far more than one title needs.
const int kPlainWindow = 2048;

// Plain text that the title conversion (HTMLToText) leaves as it is: taken as
// a title, it is at once the stored title, the caption and the duplicate key.
// A conversion may leave text that converts again ("&amp;lt;b&amp;gt;" gives
// "&lt;b&gt;", then "<b>", then nothing). Its result holds single blanks only,
// so from the second round on every change shortens the text: the loop ends.
QString StablePlainText(const QString& text)
{
    QString plain = HTMLToText(text).left(kPlainWindow);
    for (QString next = HTMLToText(plain); next != plain; next = HTMLToText(plain))
        plain = next;
    return plain;
}

// At most max characters of single-spaced text, without a cut word; a first
// word longer than max is cut at max (never inside a surrogate pair).
QString CutAtWord(const QString& text, int max)
{
    if (text.size() <= max)
        return text;
    if (text[max] == u' ')
        return text.left(max);
    const qsizetype space = text.lastIndexOf(u' ', max - 1);
    if (space > 0)
        return text.left(space);
    return text.left(text[max - 1].isHighSurrogate() ? max - 1 : max);
}

QTreeWidgetItem* AddFeedNode(const TNewsViews& views, const QString& feedUrl, const QString& rawTitle,
                             const QString& description)
{
    TTreeItem feedItem(kFeed, rawTitle, feedUrl, description, QString(), FormatLocalDateTime(NowDateTime()));
    const int index = NewsData->NewsList.AddCopy(feedItem);
    QTreeWidgetItem* feed = NewViewNode(HTMLToText(rawTitle));
    SetNodeDataValue(feed, index);
    views.tvTree->insertTopLevelItem(0, feed);
    UpdateViews(views, feed, umFeedAdded);
    return feed;
}

// What one merge works on after the feed node is settled.
struct TMergeScope {
    const TNewsViews& views;
    QTreeWidgetItem* feed;
    const QString& feedUrl;
    QString linkBase; // what relative item links are resolved against
    TDateTime now;
    int keepDays; // > 0: items older than this many days go

    bool Expired(const TTreeItem& item) const { return keepDays > 0 && item.TimeStamp < now - keepDays; }
};

// Title, caption and description of one document item; an untitled item
// takes its title from its description or link (read then, and kept in link).
struct TDocItem {
    QString rawTitle;
    QString plainTitle;
    QString description;
    std::optional<QString> link;
};

TDocItem ReadDocItem(const TFeedItem& docItem, const QString& feedUrl)
{
    TDocItem read{docItem.title, QString(), docItem.description, std::nullopt};
    read.plainTitle = HTMLToText(read.rawTitle);
    if (IsBlank(read.plainTitle)) {
        read.link = ResolveItemLink(ChosenItemLink(docItem), feedUrl);
        const QString derived = UntitledItemTitle(read.description, *read.link);
        if (!derived.isEmpty())
            read.rawTitle = read.plainTitle = derived;
    }
    return read;
}

// Puts a new item at place under the feed: the new items of one document go
// above the older ones, in the document's order (newest first, as feeds list).
QTreeWidgetItem* InsertNewsNode(const TMergeScope& scope, const TTreeItem& news, const QString& caption, int place,
                                TCaptionIndex& known)
{
    const int index = NewsData->NewsList.AddCopy(news);
    // Everything is set before the node goes in: a change to a node in a
    // view makes the view look the node up, which is slow for a new first child.
    QTreeWidgetItem* node = NewViewNode(caption);
    SetNodeDataValue(node, index);
    NewsData->ApplyNodeImages(NewsData->NewsList.At(index), node);
    scope.feed->insertChild(place, node);
    known.InsertFirst(node);
    return node;
}

// Adds the items not yet under the feed, above the older ones, and refreshes the
// descriptions of known ones; returns the number added. An item the ageing
// would remove at once is neither added nor counted.
int AddNewItems(const TMergeScope& scope, const TFeedChannel& channel, const QString& showDescription)
{
    TCaptionIndex known(scope.feed);
    int newCount = 0;
    // The new nodes go into the derived views together once all are in the
    // tree: one insert per list of a view, as if each had gone in on its own.
    QList<QTreeWidgetItem*> added;
    for (const TFeedItem& docItem : channel.items) {
        TDocItem read = ReadDocItem(docItem, scope.linkBase);
        if (QTreeWidgetItem* existing = known.Find(read.plainTitle)) {
            if (TTreeItem* item = NewsData->NodeItem(existing))
                item->SetDescription(read.description);
            continue;
        }
        if (!read.link)
            read.link = ResolveItemLink(ChosenItemLink(docItem), scope.linkBase);
        TTreeItem news(kNewsItem, read.rawTitle, *read.link, read.description, QString(), QString());
        news.TimeStamp = docItem.date;
        if (scope.Expired(news))
            continue;
        news.SetOption(kOptShowDescription, showDescription);
        if (const QString mediaType = KeptMediaType(docItem); !mediaType.isEmpty())
            news.SetOption(kOptMediaType, mediaType);
        news.IconIdx = NodeImage(scope.feed); // what the item gets from the ageing step anyway
        added.prepend(InsertNewsNode(scope, news, read.plainTitle, newCount, known));
        ++newCount;
    }
    // Inserted one by one each first, the last added first: the views list
    // them in the tree's order.
    AddToViews(scope.views, added);
    return newCount;
}

// Removes the children older than the keep period; the others take the feed's
// image.
void AgeChildren(const TMergeScope& scope)
{
    QTreeWidgetItem* feed = scope.feed;
    const int feedImage = NodeImage(feed);
    QList<QTreeWidgetItem*> expired;
    for (int i = 0; i < feed->childCount(); ++i) {
        QTreeWidgetItem* child = feed->child(i);
        TTreeItem* childItem = NewsData->NodeItem(child);
        if (childItem && scope.Expired(*childItem)) {
            expired.append(child);
        } else if (childItem) {
            childItem->IconIdx = feedImage;
            NewsData->ApplyNodeImages(childItem, child);
        }
    }
    if (expired.isEmpty())
        return;
    // The same as removing each expired item from the derived views in turn,
    // without a search of every view per item.
    RemoveFromViews(scope.views, expired);
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
    QTreeWidget* tree = scope.views.tvTree;
    if (gone.contains(tree->currentItem()))
        tree->setCurrentItem(feed);
    feed->addChildren(kept);
    for (QTreeWidgetItem* node : expired)
        DeleteBranch(node); // a damaged file may have hung a deep branch under an item
}
} // namespace

QTreeWidgetItem* MergeStartNode(QTreeWidget* tree, QTreeWidgetItem* passed)
{
    if (passed)
        return passed;
    if (QTreeWidgetItem* selected = SelectedNode(tree))
        return selected;
    return FirstNode(tree);
}

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
    const QString key = CaptionKey(text);
    for (int i = 0; i < parent->childCount(); ++i)
        if (CaptionKey(parent->child(i)->text(0)) == key)
            return parent->child(i);
    return nullptr;
}

QString FeedCaption(const QString& title, int newCount, int childCount)
{
    // One substitution step: a title holding "%1" or "%2" stays as it is.
    if (childCount == newCount)
        return QStringLiteral("%1(%2)").arg(title, QString::number(newCount));
    return title + CountPair(newCount, childCount);
}

QString FeedCaptionTitle(const TTreeItem& feed, const QString& channelTitle)
{
    const QString userName = feed.GetOption(kOptUserName);
    return userName.isEmpty() ? HTMLToText(channelTitle) : userName;
}

QString ResolveItemLink(const QString& link, const QString& feedUrl)
{
    const QString trimmed = link.trimmed();
    if (trimmed.isEmpty())
        return trimmed;
    const QUrl url(trimmed);
    const QUrl base(feedUrl);
    if (!url.isValid() || !url.isRelative() || !base.isValid() || base.isRelative())
        return trimmed;
    return base.resolved(url).toString();
}

QString ItemLinkBase(const QString& siteLink, const QString& feedUrl)
{
    // A feed served from a feed host links to the pages of its site.
    const QString site = siteLink.trimmed();
    return IsWebURL(site) ? site : feedUrl;
}

QString ItemLink(TXMLItemType& item, const QString& feedUrl)
{
    return ResolveItemLink(ChosenItemLink(ReadRssItem(item)), feedUrl);
}

QString UntitledItemTitle(const QString& description, const QString& link)
{
    const QString text = StablePlainText(description);
    return text.isEmpty() ? StablePlainText(link) : CutAtWord(text, kDerivedTitleLength);
}

QTreeWidgetItem* MergeRssChannel(const TNewsViews& views, int newsStorageDuration,
                                 QTreeWidgetItem* startNode, const QString& feedUrl,
                                 const IXMLRssType& rss)
{
    return MergeFeedChannel(views, newsStorageDuration, startNode, feedUrl, ReadRssChannel(rss));
}

QTreeWidgetItem* MergeFeedChannel(const TNewsViews& views, int newsStorageDuration,
                                  QTreeWidgetItem* startNode, const QString& feedUrl,
                                  const TFeedChannel& channel)
{
    QTreeWidget* tree = views.tvTree;
    TUpdateGuard bracket(tree); // closed on every road out, failures included

    QTreeWidgetItem* feed = FindNodeByURL(MergeStartNode(tree, startNode), feedUrl);
    // A typed or pasted URL must not make a second node for a feed at the top.
    if (!feed && !startNode)
        feed = FindNodeByURL(FirstNode(tree), feedUrl);
    if (!feed)
        feed = AddFeedNode(views, feedUrl, channel.title, channel.description);
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

    const QString linkBase = channel.linksRelativeToSite ? ItemLinkBase(channel.siteLink, feedUrl) : feedUrl;
    const TMergeScope scope{views, feed, feedUrl, linkBase, now,
                            feedItem->GetOptionInt(kOptStorageDays, newsStorageDuration)};
    const int newCount = AddNewItems(scope, channel, feedItem->GetOption(kOptShowDescription));
    AgeChildren(scope);

    const QString caption = FeedCaption(FeedCaptionTitle(*feedItem, channel.title), newCount, feed->childCount());
    feed->setText(0, caption);
    feedItem->SetTitle(caption);
    RetitleInViews(views, feed);
    return feed;
}
