#pragma once
// Merges an RSS 1.0 document (document element "rdf:RDF") into the news tree.
// A plainer sibling of the RSS merge, and its differences are deliberate:
//
//  - The channel is the first child element named "channel" (by local name);
//    without one, the first child element stands for it. The items are the
//    elements whose local name is "item" beside the channel or inside it, in
//    document order; "image" and "textinput" are no headlines.
//  - Title, link and description are the text of the child element of that
//    name, empty when there is none. Markup inside reads as its text content,
//    so one headline's tags never stop a feed from updating. Links are
//    trimmed and resolved as in RSS feeds (against the channel's link when
//    that is an absolute http(s) URL, else the feed URL).
//  - A feed node is looked up by URL among the start node and its later
//    siblings, then (for a typed or pasted URL) among the top-level nodes; a
//    new one goes first in the tree, captioned with the title as read, and
//    takes the site icon of the channel's link.
//  - An item is known when a child of the feed has its converted title
//    (HTMLToText) as caption or as stored title, compared as title keys
//    (TitleKey) ignoring the case of A-Z: captions of new nodes are the
//    titles as read, captions after a restart the converted ones, and both
//    must find the same item, as must titles stored with "&&" for "&amp;".
//    Known items are left as they are.
//  - An item with a blank title takes one from its description or link, as
//    in RSS feeds.
//  - New items carry their dc:date (RFC 3339 or an RSS-style date), else the
//    refresh time, and the feed's "SDR" option; they go above the older
//    items in document order and take the feed's image. An item already
//    older than the storage duration is not added.
//  - "NSD" -1 empties the feed first; the global storage duration alone ages
//    children out, by their dates. The derived views follow: new items go
//    into them, aged and emptied ones leave them.
//  - The caption is always "%s(%d of %d)" ("of" in the language shown,
//    model/FeedCounts.h); the feed's stored title stays.
#include "feeds/XmlDocument.h"
#include "model/CategoryViews.h"

#include <QString>

class QTreeWidgetItem;

// The feed node, or nullptr when the rdf element has no child element.
QTreeWidgetItem* MergeRdfChannel(const TNewsViews& views, int newsStorageDuration,
                                 QTreeWidgetItem* startNode, const QString& feedUrl,
                                 const TXMLNode& rdf);

// The text content of the child element of parent with that (local) name;
// empty when there is none.
QString RdfElementText(const QDomNode& parent, const QString& name);
