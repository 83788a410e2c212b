// The one road by which anything is fetched into the news tree.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "feeds/DocumentText.h"
#include "feeds/FeedDiscovery.h"
#include "feeds/FeedFormat.h"
#include "feeds/URLTools.h"
#include "feeds/WebPageNode.h"
#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "organiser/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "platform/Downloader.h"
#include "platform/Encoding.h"
#include "platform/Errors.h"
#include "text/TextTools.h"
#include "ticker/RssViews.h"

#include <QFile>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {
QByteArray ReadDownloadedBytes(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EQuorbelError(QStringLiteral("Cannot read \"%1\"").arg(fileName));
    return file.readAll();
}

// The text with its lines joined by CR LF, whatever ended them.
QString JoinedByCrLf(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return text;
}
} // namespace

QTreeWidgetItem* TNewsFeeder::DownloadFeed(QString url, QTreeWidgetItem* node, bool showErrors)
{
    if (FetchInProgress())
        return nullptr; // the scratch file is in use; user fetches wait in LoadFeedURL
    TBusyState::THold busy(*Busy);
    TScopedCount fetching(fetchDepth);
    return DownloadFeedNow(url, node, showErrors);
}

QTreeWidgetItem* TNewsFeeder::DownloadFeedNow(const QString& url, QTreeWidgetItem* node, bool showErrors,
                                              const TDownloadAnswer* fetched, bool offerFeeds)
{
    if (!NewsData)
        return nullptr;
    // A fetch that ends without a node tells a user command why, once; a
    // cancelled one (program end, a deleting command waiting) says nothing.
    bool reported = false;
    auto tell = [&](const QString& message) -> QTreeWidgetItem* {
        if (showErrors && !reported && !DownloadsCancelled())
            Dialogs().ShowError(message);
        reported = true;
        return nullptr;
    };
    auto failed = [&](const QString& why = QString()) {
        return tell(why.isEmpty() ? FormatText(OrganiserTexts.SErrDownloadFile, url) : why);
    };
    lastFetchDownloaded = false;
    const TNodeRef nodeRef(node);
    const QString scratch = NewsData->ScratchFile;
    QFile::remove(scratch);
    if (!fetched && !IsInternetConnected())
        return failed();
    // Conditional when we refresh a feed whose server gave us validators.
    // A document the pipeline fetched goes to the scratch file just before
    // its merge.
    TDownloadAnswer answer;
    answer.cancelled = DownloadsCancelled();
    if (fetched)
        answer = TakeFetchedDocument(*fetched, scratch);
    else if (!answer.cancelled)
        answer = Downloader().DownloadRequest(FeedRequest(url, node), scratch);
    const QString contentType = answer.contentType;
    const bool downloaded = answer.ok;
    auto outcome = [&](bool success) { NoteFetchOutcome(url, nodeRef, answer, success, showErrors); };
    if (answer.notModified) {
        lastFetchDownloaded = true;
        outcome(true);
        // Nothing new, and nothing to store.
        QTreeWidgetItem* refreshed = RefreshedWithoutNews(nodeRef.In(tvTree));
        return refreshed ? refreshed : failed();
    }
    if (!downloaded) {
        DebugTraceFmt("Error downloading \"%s\"", url);
        outcome(false);
        // The scratch file is the program's own: say so, the address is not at fault.
        // Otherwise the server's answer says why, when it gave one.
        const QString why = FailureReason(answer);
        failed(answer.failedWriting ? FormatTexts(OrganiserTexts.SErrScratchFile, {url, scratch})
               : why.isEmpty()      ? QString()
                                    : FormatText(OrganiserTexts.SErrDownloadFile, url) + QStringLiteral("\r\n") + why);
    }
    if (!QFile::exists(scratch))
        return failed();
    lastFetchDownloaded = downloaded;
    // Events ran during the download: take the node again only if it still exists.
    node = nodeRef.In(tvTree);

    // Decoded by its byte-order mark or declared encoding, so that the
    // format test also sees "<?xml" in a UTF-16 or UTF-32 feed.
    const QByteArray bytes = ReadDownloadedBytes(scratch);
    Memo1 = JoinedByCrLf(DecodeDocumentText(bytes));
    TNodeRef result;
    bool notAFeed = false; // well-formed, but in no form we read
    try {
        const TFeedDocument document = RecogniseFeedDocument(bytes, Memo1);
        switch (document.format) {
        case TFeedFormat::NotAFeed:
            notAFeed = true;
            break;
        case TFeedFormat::Rss:
        case TFeedFormat::Atom:
        case TFeedFormat::JsonFeed:
            result = MergeFeedDocument(Views(), NewsStorageDuration, node, url, document);
            break;
        case TFeedFormat::Rdf:
            result = MergeFeedDocument(Views(), NewsStorageDuration, node, url, document);
            NewsData->AssignNodeIcon(result.In(tvTree), url);
            break;
        case TFeedFormat::WebPage:
            // A web page: its own charset rules (server, meta element) decide.
            Memo1.clear();
            Memo1 = JoinedByCrLf(DecodePageText(bytes, contentType));
            if (offerFeeds && showErrors && !node) {
                QTreeWidgetItem* subscribed = nullptr;
                if (SubscribeAdvertisedFeed(url, Memo1, &subscribed))
                    return subscribed; // that fetch stored the tree and told the user
                if (DownloadsCancelled())
                    return nullptr;
            }
            result = AddWebPageNode(tvTree, url, Memo1);
            NewsData->AssignNodeIcon(result.In(tvTree), url);
            break;
        }
        Memo1.clear(); // a page may be large; nothing reads it afterwards
        if (!notAFeed)
            StoreAfterFetch();
    } catch (const std::exception&) {
        Memo1.clear();
        outcome(false);
        if (TTreeItem* item = NewsData->NodeItem(nodeRef.In(tvTree)))
            item->TimeStamp = NowDateTime();
        return failed();
    }
    outcome(!notAFeed && result.In(tvTree));
    if (notAFeed) {
        // A failed refresh: the scheduler leaves the feed for its period.
        if (TTreeItem* item = NewsData->NodeItem(nodeRef.In(tvTree)))
            item->TimeStamp = NowDateTime();
        return tell(FormatText(OrganiserTexts.SNotAFeed, url));
    }
    QTreeWidgetItem* resultNode = result.In(tvTree);
    return resultNode ? resultNode : failed();
}

bool TNewsFeeder::SubscribeAdvertisedFeed(const QString& pageUrl, const QString& pageText, QTreeWidgetItem** fetched)
{
    const std::vector<TAdvertisedFeed> feeds = AdvertisedFeeds(pageText, pageUrl);
    if (feeds.empty())
        return false;
    const TAdvertisedFeed& offered = feeds.front();
    const QString name = QStringLiteral("\"%1\"").arg(offered.title.isEmpty() ? offered.url : offered.title);
    // A nested event loop: the busy state this fetch holds keeps other
    // commands from the tree meanwhile.
    if (!Dialogs().AskYesNo(FormatText(OrganiserTexts.SOffersFeed, name)) || DownloadsCancelled())
        return false;
    // A feed URL that brings a page again (one pointing back) makes that page a web link.
    *fetched = DownloadFeedNow(offered.url, nullptr, true, nullptr, false);
    lastFetchDownloaded = true; // the page came: what was pasted was an address, not a note
    return true;
}

QTreeWidgetItem* TNewsFeeder::LoadFeedURL(QString url, QTreeWidgetItem* node)
{
    lastFetchDownloaded = false;
    if (!Busy->IsTreeReady() || Busy->IsBusy() || Busy->HasPending()) {
        // The tree is not built yet, or another operation holds tree nodes
        // (a fetch, a Load): this fetch, which may add and age out nodes,
        // runs right after it. Queued, it runs in turn: it must not look at
        // the queue again.
        Busy->RunOnTree([this, url, ref = TNodeRef(node)] { FetchForUser(url, ref.In(tvTree)); });
        return nullptr;
    }
    return FetchForUser(url, node);
}

QTreeWidgetItem* TNewsFeeder::SubscribedFeed(const QString& url) const
{
    const QString wanted = url.trimmed();
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it) {
        const TTreeItem* item = ItemOf(*it);
        if (item && item->IsKind(kFeed) && SameTextAscii(item->Link.trimmed(), wanted))
            return *it;
    }
    return nullptr;
}

QTreeWidgetItem* TNewsFeeder::FetchForUser(QString url, QTreeWidgetItem* node)
{
    TBusyState::THold busy(*Busy);
    // An address already subscribed anywhere refreshes that feed instead of
    // making a second one, and the user is told where it is.
    TNodeRef known(node ? nullptr : SubscribedFeed(url));
    if (QTreeWidgetItem* feed = known.In(tvTree)) {
        QTreeWidgetItem* parent = feed->parent();
        const QString place = parent ? parent->text(0) : PageControl1->tabText(PageControl1->indexOf(tvTree->parentWidget()));
        node = feed;
        tvTree->setCurrentItem(feed);
        Dialogs().ShowMessage(FormatTexts(OrganiserTexts.SAlreadySubscribed, {url, place}));
        node = known.In(tvTree); // the message let events run
        if (!node)
            return nullptr;
    }
    TNodeRef result;
    try {
        result = DownloadFeed(url, node, true);
    } catch (const EQuorbelError& e) {
        // The downloaded file could not be read: a user command shows why.
        Dialogs().ShowError(e.Message());
        return nullptr;
    }
    QTreeWidgetItem* resultNode = result.In(tvTree);
    if (resultNode)
        resultNode->setExpanded(true);
    if (resultNode && known.Get())
        tvTree->setCurrentItem(resultNode);
    // What the user just added plays on the strip from its next turn on.
    if (resultNode && ticker)
        ticker->RebuildQueue(tvTree);
    return resultNode;
}

void TNewsFeeder::HandleReload()
{
    // The double-click behaviour on the active tab's view; a feed of a derived
    // view is fetched for the tvTree node of the same item (OpenItems.cpp).
    tvTreeDblClick(ActiveTreeView());
}
