// The one road by which anything is fetched into the news tree.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "feeds/DocumentText.h"
#include "feeds/RdfMerge.h"
#include "feeds/RssMerge.h"
#include "feeds/URLTools.h"
#include "feeds/WebPageNode.h"
#include "feeds/XMLRss.h"
#include "feeds/XmlDocument.h"
#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "organiser/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "platform/Downloader.h"
#include "platform/Encoding.h"
#include "platform/Errors.h"
#include "text/TextTools.h"

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

// True when the first element of text, after white space, comments,
// processing instructions and a document type, is "rdf:RDF": RSS 1.0 feeds
// often come without an XML declaration.
bool StartsWithRdfRoot(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && text[i].isSpace())
            ++i;
        if (i >= n || text[i] != u'<')
            return false;
        const QStringView rest = QStringView(text).mid(i);
        QLatin1String end;
        if (rest.startsWith(QLatin1String("<!--")))
            end = QLatin1String("-->");
        else if (rest.startsWith(QLatin1String("<?")))
            end = QLatin1String("?>");
        else if (rest.startsWith(QLatin1String("<!DOCTYPE"), Qt::CaseInsensitive))
            end = QLatin1String(">");
        else
            return rest.startsWith(QLatin1String("<rdf:RDF"), Qt::CaseInsensitive)
                && (rest.size() == 8 || rest[8].isSpace() || rest[8] == u'>' || rest[8] == u'/');
        const qsizetype close = text.indexOf(end, i + 2);
        if (close < 0)
            return false;
        i = close + end.size();
    }
    return false;
}

bool LooksLikeXml(const QString& text)
{
    return text.contains(QLatin1String("<?xml"), Qt::CaseInsensitive)
        || text.contains(QLatin1String("<rss"), Qt::CaseInsensitive) || StartsWithRdfRoot(text);
}

TXMLNode TopLevelNamed(const TXMLDocument& document, const QString& name)
{
    const int n = document.TopLevelCount();
    for (int i = 0; i < n; ++i) {
        TXMLNode node = document.TopLevelNode(i);
        if (SameTextAscii(node.NodeName(), name))
            return node;
    }
    return TXMLNode();
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

QTreeWidgetItem* TNewsFeeder::DownloadFeedNow(const QString& url, QTreeWidgetItem* node, bool showErrors)
{
    if (!NewsData)
        return nullptr;
    // A fetch that ends without a node tells a user command why, once; a
    // cancelled one (program end, a deleting command waiting) says nothing.
    bool reported = false;
    auto failed = [&](const QString& why = QString()) -> QTreeWidgetItem* {
        if (showErrors && !reported && !DownloadsCancelled())
            Dialogs().ShowMessage(why.isEmpty() ? FormatText(OrganiserTexts.SErrDownloadFile, url) : why);
        reported = true;
        return nullptr;
    };
    const TNodeRef nodeRef(node);
    const QString scratch = NewsData->ScratchFile;
    QFile::remove(scratch);
    if (!IsInternetConnected())
        return failed();
    QString contentType;
    if (!DownloadURLToFile(url, scratch, contentType)) {
        DebugTraceFmt("Error downloading \"%s\"", url);
        // The scratch file is the program's own: say so, the address is not at fault.
        failed(Downloader().LastFailedWriting() ? FormatTexts(OrganiserTexts.SErrScratchFile, {url, scratch})
                                                : QString());
    }
    if (!QFile::exists(scratch))
        return failed();
    // Events ran during the download: take the node again only if it still exists.
    node = nodeRef.In(tvTree);

    // Decoded by its byte-order mark or declared encoding, so that the
    // format test also sees "<?xml" in a UTF-16 or UTF-32 feed.
    const QByteArray bytes = ReadDownloadedBytes(scratch);
    Memo1 = JoinedByCrLf(DecodeDocumentText(bytes));
    TNodeRef result;
    try {
        if (LooksLikeXml(Memo1)) {
            TXMLDocument document;
            document.LoadFromFile(scratch);
            if (!TopLevelNamed(document, QStringLiteral("RSS")).IsNull()) {
                const IXMLRssType rss = LoadRss(scratch);
                result = MergeRssChannel(Views(), NewsStorageDuration, node, url, rss);
            } else if (const TXMLNode rdf = TopLevelNamed(document, QStringLiteral("rdf:RDF")); !rdf.IsNull()) {
                result = MergeRdfChannel(Views(), NewsStorageDuration, node, url, rdf);
                NewsData->AssignNodeIcon(result.In(tvTree), url);
            }
            // Other documents (Atom, for one) add nothing.
        } else {
            // A web page: its own charset rules (server, meta element) decide.
            Memo1.clear();
            Memo1 = JoinedByCrLf(DecodePageText(bytes, contentType));
            result = AddWebPageNode(tvTree, url, Memo1);
            NewsData->AssignNodeIcon(result.In(tvTree), url);
        }
        Memo1.clear(); // a page may be large; nothing reads it afterwards
        SaveNewsWithBackup();
    } catch (const std::exception&) {
        Memo1.clear();
        if (TTreeItem* item = NewsData->NodeItem(nodeRef.In(tvTree)))
            item->TimeStamp = NowDateTime();
        return failed();
    }
    QTreeWidgetItem* resultNode = result.In(tvTree);
    return resultNode ? resultNode : failed();
}

QTreeWidgetItem* TNewsFeeder::LoadFeedURL(QString url, QTreeWidgetItem* node)
{
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

QTreeWidgetItem* TNewsFeeder::FetchForUser(QString url, QTreeWidgetItem* node)
{
    TBusyState::THold busy(*Busy);
    TNodeRef result;
    try {
        result = DownloadFeed(url, node, true);
    } catch (const EQuorbelError& e) {
        // The downloaded file could not be read: a user command shows why.
        Dialogs().ShowMessage(e.Message());
        return nullptr;
    }
    QTreeWidgetItem* resultNode = result.In(tvTree);
    if (resultNode)
        resultNode->setExpanded(true);
    return resultNode;
}

void TNewsFeeder::HandleReload()
{
    // The double-click behaviour on the active tab's view; a feed of a derived
    // view is fetched for the tvTree node of the same item (OpenItems.cpp).
    tvTreeDblClick(ActiveTreeView());
}
