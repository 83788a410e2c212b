#include "feeds/FeedFormat.h"

#include "feeds/AtomFeed.h"
#include "feeds/JsonFeed.h"
#include "feeds/RdfMerge.h"
#include "feeds/RssMerge.h"
#include "text/TextTools.h"

namespace {
// True when text starts with the opening tag open ("<name"), whole.
bool StartsWithElement(QStringView text, QLatin1String open)
{
    const qsizetype n = open.size();
    return text.startsWith(open, Qt::CaseInsensitive)
        && (text.size() == n || text[n].isSpace() || text[n] == u'>' || text[n] == u'/');
}

// True when the first element of text, after white space, comments,
// processing instructions and a document type, is "rdf:RDF" or "feed": RSS 1.0
// and Atom feeds often come without an XML declaration.
bool StartsWithFeedRoot(const QString& text)
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
            return StartsWithElement(rest, QLatin1String("<rdf:RDF")) || StartsWithElement(rest, QLatin1String("<feed"));
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
        || text.contains(QLatin1String("<rss"), Qt::CaseInsensitive) || StartsWithFeedRoot(text);
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

TFeedDocument RecogniseFeedDocument(const QByteArray& bytes, const QString& text)
{
    TFeedDocument read;
    const TJsonKind json = ReadJsonFeed(bytes, read.channel);
    if (json != TJsonKind::NotJson) {
        read.format = json == TJsonKind::JsonFeed ? TFeedFormat::JsonFeed : TFeedFormat::NotAFeed;
        return read;
    }
    if (!LooksLikeXml(text))
        return read;
    read.document.LoadFromXML(bytes);
    if (!TopLevelNamed(read.document, QStringLiteral("RSS")).IsNull()) {
        read.format = TFeedFormat::Rss;
    } else if (const TXMLNode rdf = TopLevelNamed(read.document, QStringLiteral("rdf:RDF")); !rdf.IsNull()) {
        read.format = TFeedFormat::Rdf;
        read.root = rdf;
    } else if (const TXMLNode root = read.document.DocumentElement(); IsAtomFeed(root)) {
        read.format = TFeedFormat::Atom;
        read.root = root;
    } else {
        read.format = TFeedFormat::NotAFeed;
    }
    return read;
}

QTreeWidgetItem* MergeFeedDocument(const TNewsViews& views, int newsStorageDuration, QTreeWidgetItem* startNode,
                                   const QString& feedUrl, const TFeedDocument& document)
{
    switch (document.format) {
    case TFeedFormat::Rss:
        return MergeRssChannel(views, newsStorageDuration, startNode, feedUrl, GetRss(document.document));
    case TFeedFormat::Rdf:
        return MergeRdfChannel(views, newsStorageDuration, startNode, feedUrl, document.root);
    case TFeedFormat::Atom:
        return MergeFeedChannel(views, newsStorageDuration, startNode, feedUrl, ReadAtomFeed(document.root));
    case TFeedFormat::JsonFeed:
        return MergeFeedChannel(views, newsStorageDuration, startNode, feedUrl, document.channel);
    case TFeedFormat::WebPage:
    case TFeedFormat::NotAFeed:
        break;
    }
    return nullptr;
}
