#pragma once
// What a fetch makes of a downloaded document: which reader and merge it goes to.
//
// Rules kept here, in this order:
//  - A JSON document (see JsonFeed.h) is a JSON Feed, or no feed; one refused
//    for its size or depth is no feed either. Text that only starts like JSON
//    but is none goes on to the tests below.
//  - The text is XML when it contains "<?xml" or "<rss" (any case), or when its
//    first element, after white space, comments, processing instructions and a
//    document type, is "rdf:RDF" or "feed": RSS 1.0 and Atom feeds often come
//    without an XML declaration. Anything else is a web page.
//  - XML is parsed (a document that is not well-formed throws). A top-level
//    node named "RSS" (any case) makes it RSS, else one named "rdf:RDF" (any
//    case) RDF, else an Atom root an Atom feed; any other document is no feed.
#include "feeds/FeedChannel.h"
#include "feeds/XmlDocument.h"
#include "model/CategoryViews.h"

class QTreeWidgetItem;

enum class TFeedFormat { WebPage, Rss, Rdf, Atom, JsonFeed, NotAFeed };

struct TFeedDocument {
    TFeedFormat format = TFeedFormat::WebPage;
    TXMLDocument document; // parsed XML
    TXMLNode root;         // RDF: the "rdf:RDF" node; Atom: the document element
    TFeedChannel channel;  // JSON Feed: what it holds
};

// bytes as downloaded, text as decoded from them (DecodeDocumentText).
TFeedDocument RecogniseFeedDocument(const QByteArray& bytes, const QString& text);
// Merges a feed document by its format's merge and returns the feed node;
// nullptr for a web page or no feed.
QTreeWidgetItem* MergeFeedDocument(const TNewsViews& views, int newsStorageDuration, QTreeWidgetItem* startNode,
                                   const QString& feedUrl, const TFeedDocument& document);
