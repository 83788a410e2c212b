// The one road by which anything is fetched into the news tree.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "feeds/RssMerge.h"
#include "feeds/URLTools.h"
#include "feeds/XMLRss.h"
#include "feeds/XmlDocument.h"
#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "organiser/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "platform/Encoding.h"
#include "platform/Errors.h"
#include "text/TextTools.h"

#include <QFile>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {
// Reads the downloaded file as text, lines joined by CR LF.
QString ReadDownloadedText(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EQuorbelError(QStringLiteral("Cannot read \"%1\"").arg(fileName));
    QString text = DecodeText(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace('\r', '\n');
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}

bool LooksLikeXml(const QString& text)
{
    return text.contains(QLatin1String("<?xml"), Qt::CaseInsensitive)
        || text.contains(QLatin1String("<rss"), Qt::CaseInsensitive);
}

bool HasTopLevelNode(const TXMLDocument& document, const QString& name)
{
    const int n = document.TopLevelCount();
    for (int i = 0; i < n; ++i)
        if (SameTextAscii(document.TopLevelNode(i).NodeName(), name))
            return true;
    return false;
}

// Counts nesting so that only the outermost fetch runs the queued ones.
class TFetchScope {
public:
    explicit TFetchScope(int& depth) : depth(depth) { ++depth; }
    ~TFetchScope() { --depth; }
    TFetchScope(const TFetchScope&) = delete;
    TFetchScope& operator=(const TFetchScope&) = delete;

private:
    int& depth;
};
} // namespace

bool TNewsFeeder::IsInTree(const QTreeWidgetItem* node) const
{
    if (!node)
        return false;
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it)
        if (*it == node)
            return true;
    return false;
}

QTreeWidgetItem* TNewsFeeder::DownloadFeed(const QString& url, QTreeWidgetItem* node, bool showErrors)
{
    if (FetchInProgress())
        return nullptr; // the scratch file is in use; callers that must not lose the request queue it
    QTreeWidgetItem* result = nullptr;
    {
        TFetchScope scope(fetchDepth);
        result = DownloadFeedNow(url, node, showErrors);
    }
    RunPendingFetches();
    return result;
}

QTreeWidgetItem* TNewsFeeder::DownloadFeedNow(const QString& url, QTreeWidgetItem* node, bool showErrors)
{
    if (!NewsData)
        return nullptr;
    const QString scratch = NewsData->ScratchFile;
    QFile::remove(scratch);
    if (!IsInternetConnected())
        return nullptr;
    if (!DownloadURLToFile(url, scratch)) {
        DebugTraceFmt("Error downloading \"%s\"", url);
        if (showErrors)
            Dialogs().ShowMessage(FormatText(OrganiserTexts.SErrDownloadFile, url));
    }
    if (!QFile::exists(scratch))
        return nullptr;
    // Events ran during the download: the node may have been deleted meanwhile.
    if (node && !IsInTree(node))
        node = nullptr;

    Memo1 = ReadDownloadedText(scratch);
    QTreeWidgetItem* result = nullptr;
    try {
        if (LooksLikeXml(Memo1)) {
            TXMLDocument document;
            document.LoadFromFile(scratch);
            if (HasTopLevelNode(document, QStringLiteral("RSS"))) {
                const IXMLRssType rss = LoadRss(scratch);
                result = MergeRssChannel(Views(), NewsStorageDuration, node, url, rss);
            }
            // RSS 1.0 documents and web pages are not turned into nodes yet.
        }
        SaveNewsWithBackup();
    } catch (const std::exception&) {
        if (TTreeItem* item = NewsData->NodeItem(node))
            item->TimeStamp = NowDateTime();
        return nullptr;
    }
    return result;
}

QTreeWidgetItem* TNewsFeeder::LoadFeedURL(const QString& url, QTreeWidgetItem* node)
{
    if (FetchInProgress()) {
        pendingFetches.push_back({url, node});
        return nullptr;
    }
    QTreeWidgetItem* result = nullptr;
    try {
        result = DownloadFeed(url, node, true);
    } catch (const EQuorbelError& e) {
        // The downloaded file could not be read: a user command shows why.
        Dialogs().ShowMessage(e.Message());
        return nullptr;
    }
    if (result)
        result->setExpanded(true);
    return result;
}

void TNewsFeeder::RunPendingFetches()
{
    while (!pendingFetches.empty() && !FetchInProgress()) {
        PendingFetch next = pendingFetches.front();
        pendingFetches.pop_front();
        if (next.node && !IsInTree(next.node))
            next.node = nullptr;
        LoadFeedURL(next.url, next.node);
    }
}

void TNewsFeeder::HandleReload()
{
    // The feed part of opening a node: a selected feed is fetched now.
    QTreeWidget* view = ActiveTreeView();
    QTreeWidgetItem* node = view ? view->currentItem() : nullptr;
    const TTreeItem* item = NewsData ? NewsData->NodeItem(node) : nullptr;
    if (!item || !item->IsKind(kFeed))
        return;
    // A derived view mirrors tree nodes: fetch for the tree node of the same item.
    QTreeWidgetItem* treeNode = view == tvTree ? node : nullptr;
    for (QTreeWidgetItemIterator it(tvTree); !treeNode && *it; ++it)
        if (NodeDataValue(*it) == NodeDataValue(node))
            treeNode = *it;
    LoadFeedURL(item->Link, treeNode);
}
