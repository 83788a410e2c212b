#include "model/CategoryViews.h"

#include "app/NewsGlobals.h"
#include "model/DateTime.h"
#include "model/PendingChildren.h"
#include "model/ViewNodes.h"
#include "platform/Clock.h"
#include "text/TextTools.h"

#include <QHash>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <algorithm>
#include <climits>
#include <deque>
#include <cmath>
#include <limits>
#include <vector>

namespace {

int Sign(int v) { return (v > 0) - (v < 0); }

// A detached view node for an item; added to its view in bulk later, which
// spares the model one insert notification per node.
QTreeWidgetItem* NewMirror(const TTreeItem* item, qint64 data, const TNodeImages& images)
{
    auto* node = new TViewNode(item->Title);
    node->SetDataValue(data);
    node->SetImages(images);
    return node;
}

// An item waiting to be sorted (its place in the build's list), with its
// keys worked out once.
struct TSortEntry {
    size_t source;
    double timeStamp; // NaN mapped to -inf, so the order stays a strict weak one
    int siteRank;
};

double DateKey(double timeStamp) { return std::isnan(timeStamp) ? -std::numeric_limits<double>::infinity() : timeStamp; }

// Newest first; equal stamps keep their order (stable sort).
void SortByDate(std::vector<TSortEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TSortEntry& a, const TSortEntry& b) { return a.timeStamp > b.timeStamp; });
}

// Ranks the distinct site prefixes once in the locale's order, so the sort
// itself compares two integers instead of two strings through the collator.
// Prefixes the collator calls equal share a rank, as CompareBySiteThenDate would.
void RankSites(std::vector<TSortEntry>& entries, const std::vector<QStringView>& prefixes)
{
    QHash<QStringView, int> distinctIndex;
    std::vector<QStringView> distinct;
    std::vector<int> entryPrefix(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        auto it = distinctIndex.constFind(prefixes[i]);
        if (it == distinctIndex.constEnd()) {
            it = distinctIndex.insert(prefixes[i], static_cast<int>(distinct.size()));
            distinct.push_back(prefixes[i]);
        }
        entryPrefix[i] = it.value();
    }
    std::vector<int> order(distinct.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return QString::localeAwareCompare(distinct[a], distinct[b]) < 0;
    });
    std::vector<int> rank(distinct.size());
    int r = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && QString::localeAwareCompare(distinct[order[i - 1]], distinct[order[i]]) != 0)
            ++r;
        rank[order[i]] = r;
    }
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].siteRank = rank[entryPrefix[i]];
}

} // namespace

int DayGroupCount(int newsStorageDuration)
{
    if (newsStorageDuration <= 0)
        return 7;
    return std::clamp(newsStorageDuration, 2, 15);
}

double NextDayStart()
{
    return ToDateTime(Clock().Now().date().addDays(1), QTime(0, 0));
}

int DayAge(double timeStamp, double nextDayStart)
{
    const double distance = std::fabs(nextDayStart - timeStamp);
    if (!std::isfinite(distance) || distance >= static_cast<double>(INT_MAX))
        return INT_MAX;
    // A day runs from its midnight up to the next one: an item dated at
    // 00:00 belongs to the day that midnight starts.
    if (timeStamp < nextDayStart)
        return static_cast<int>(std::ceil(distance)) - 1;
    return static_cast<int>(std::trunc(distance));
}

int DayAge(double timeStamp) { return DayAge(timeStamp, NextDayStart()); }

int CompareByDate(const QTreeWidgetItem* a, const QTreeWidgetItem* b)
{
    if (!a || !b)
        return 0;
    const TTreeItem* itemA = ItemOf(a);
    const TTreeItem* itemB = ItemOf(b);
    if (!itemA || !itemB)
        return 0; // group nodes and other nodes without an item are all equal
    if (itemA->TimeStamp > itemB->TimeStamp)
        return -1;
    if (itemA->TimeStamp < itemB->TimeStamp)
        return 1;
    return 0;
}

int CompareBySiteThenDate(const QTreeWidgetItem* a, const QTreeWidgetItem* b)
{
    if (!a || !b)
        return 0;
    const TTreeItem* itemA = ItemOf(a);
    const TTreeItem* itemB = ItemOf(b);
    if (!itemA || !itemB)
        return 0;
    const int site = QString::localeAwareCompare(SitePrefix(itemA->Link), SitePrefix(itemB->Link));
    if (site != 0)
        return Sign(site);
    return CompareByDate(a, b);
}

void BuildCategoryViews(const TNewsViews& views, int newsStorageDuration, const TCategoryTexts& texts)
{
    if (!NewsData || !views.tvTree || !views.tvTheme || !views.tvWeb || !views.tvTime || !views.tvVideo
        || !views.tvAudio)
        return;

    TUpdateGuard guardTree(views.tvTree);
    TUpdateGuard guardTheme(views.tvTheme);
    TUpdateGuard guardWeb(views.tvWeb);
    TUpdateGuard guardTime(views.tvTime);
    TUpdateGuard guardVideo(views.tvVideo);
    TUpdateGuard guardAudio(views.tvAudio);
    for (QTreeWidget* view : {views.tvTheme, views.tvWeb, views.tvTime, views.tvVideo, views.tvAudio})
        view->clear();

    // Day groups. With two groups "Others.." takes entry 1, and the
    // "Yesterday" node stays, always empty.
    const int n = DayGroupCount(newsStorageDuration);
    const QDate today = Clock().Now().date();
    const double nextDayStart = ToDateTime(today.addDays(1), QTime(0, 0));
    auto addGroup = [&](const QString& caption) {
        QTreeWidgetItem* group = AddViewNode(views.tvTime, nullptr, caption, -1);
        SetNodeImages(group, imgClock, imgClock, -1);
        return group;
    };
    std::vector<QTreeWidgetItem*> groups(static_cast<size_t>(n));
    groups[0] = addGroup(texts.SToday);
    groups[1] = addGroup(texts.SYesterday);
    for (int i = 2; i <= n - 2; ++i)
        groups[static_cast<size_t>(i)] = addGroup(FormatLocalDate(today.addDays(-i)));
    groups[static_cast<size_t>(n - 1)] = addGroup(texts.SOthers);

    // First what each view needs of every item, in tree order; then each
    // view's nodes are made one view at a time, in the view's own order, so
    // that a view's nodes lie together in memory when it is walked.
    struct TMirrorSource {
        const TTreeItem* item;
        qint64 data;
        TNodeImages images;
        TMediaKinds kinds;
    };
    struct TFeedSource {
        const TTreeItem* feed;
        qint64 data;
        size_t first, last; // its items in sources
    };
    std::vector<TMirrorSource> sources;
    std::vector<TFeedSource> feeds;
    sources.reserve(static_cast<size_t>(NewsData->NewsList.Count()));
    std::vector<TSortEntry> webEntries;
    // Site prefixes as views into the links (the tree's items outlive the
    // build); the few that are not the start of their link are made here.
    std::vector<QStringView> webPrefixes;
    std::deque<QString> madePrefixes;
    webEntries.reserve(static_cast<size_t>(NewsData->NewsList.Count()));
    webPrefixes.reserve(static_cast<size_t>(NewsData->NewsList.Count()));
    std::vector<std::vector<TSortEntry>> groupEntries(static_cast<size_t>(n));

    // Pre-order over the whole tree: feeds inside folders come out flat, in tree order.
    for (QTreeWidgetItemIterator it(views.tvTree); *it; ++it) {
        QTreeWidgetItem* feedNode = *it;
        const TTreeItem* feed = ItemOf(feedNode);
        if (!feed || !feed->IsKind(kFeed))
            continue;
        feeds.push_back({feed, NodeDataValue(feedNode), sources.size(), sources.size()});
        const int childCount = feedNode->childCount();
        for (int c = 0; c < childCount; ++c) {
            QTreeWidgetItem* child = feedNode->child(c);
            TTreeItem* item = ItemOf(child);
            if (!item || !item->IsKind(kNewsItem))
                continue;
            item->IconIdx = feed->IconIdx;
            // The link is scanned once for all the mirrors of the item.
            const TMediaKinds kinds = ItemMediaKinds(*item, MediaKindsOf(item->Link));
            const size_t index = sources.size();
            sources.push_back({item, NodeDataValue(child), TNewsData::NodeImagesOf(item, kinds), kinds});

            webEntries.push_back({index, DateKey(item->TimeStamp), 0});
            const qsizetype prefixLength = SitePrefixLength(item->Link);
            if (prefixLength >= 0) {
                webPrefixes.push_back(QStringView(item->Link).left(prefixLength));
            } else {
                madePrefixes.push_back(SitePrefix(item->Link));
                webPrefixes.push_back(madePrefixes.back());
            }
            const int age = DayAge(item->TimeStamp, nextDayStart);
            if (age >= 0 && age < n)
                groupEntries[static_cast<size_t>(age)].push_back({index, DateKey(item->TimeStamp), 0});
        }
        feeds.back().last = sources.size();
    }
    auto mirror = [&](size_t index) {
        const TMirrorSource& source = sources[index];
        return NewMirror(source.item, source.data, source.images);
    };
    // The Feeds entries' and the day groups' children are kept compact until
    // shown (model/PendingChildren.h).
    auto pendingMirror = [&](size_t index) {
        const TMirrorSource& source = sources[index];
        return TPendingNode{source.item->Title, source.data, source.images};
    };
    auto pendingMirrorsOf = [&](const std::vector<TSortEntry>& entries) {
        TPendingList children;
        for (const TSortEntry& e : entries)
            children.push_back(pendingMirror(e.source));
        return children;
    };
    auto mirrorsOf = [&](const std::vector<TSortEntry>& entries) {
        QList<QTreeWidgetItem*> nodes;
        nodes.reserve(static_cast<qsizetype>(entries.size()));
        for (const TSortEntry& e : entries)
            nodes.append(mirror(e.source));
        return nodes;
    };

    QList<QTreeWidgetItem*> feedEntries;
    feedEntries.reserve(static_cast<qsizetype>(feeds.size()));
    for (const TFeedSource& f : feeds) {
        QTreeWidgetItem* entry =
            NewMirror(f.feed, f.data, TNewsData::NodeImagesOf(f.feed, MediaKindsOf(f.feed->Link)));
        TPendingList children;
        for (size_t i = f.first; i < f.last; ++i)
            children.push_back(pendingMirror(i));
        SetPendingChildren(entry, std::move(children));
        feedEntries.append(entry);
    }
    views.tvTheme->addTopLevelItems(feedEntries);

    RankSites(webEntries, webPrefixes);
    std::stable_sort(webEntries.begin(), webEntries.end(), [](const TSortEntry& a, const TSortEntry& b) {
        if (a.siteRank != b.siteRank)
            return a.siteRank < b.siteRank;
        return a.timeStamp > b.timeStamp;
    });
    views.tvWeb->addTopLevelItems(mirrorsOf(webEntries));

    // The groups themselves have no item and keep their creation order.
    for (size_t g = 0; g < groupEntries.size(); ++g) {
        SortByDate(groupEntries[g]);
        SetPendingChildren(groups[g], pendingMirrorsOf(groupEntries[g]));
    }

    QList<QTreeWidgetItem*> videoNodes;
    QList<QTreeWidgetItem*> audioNodes;
    for (size_t i = 0; i < sources.size(); ++i) {
        if (sources[i].kinds.video)
            videoNodes.append(mirror(i));
        if (sources[i].kinds.audio)
            audioNodes.append(mirror(i));
    }
    views.tvVideo->addTopLevelItems(videoNodes);
    views.tvAudio->addTopLevelItems(audioNodes);
    RealizeOnExpand(views.tvTheme);
    RealizeOnExpand(views.tvTime);

}
