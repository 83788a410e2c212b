#pragma once
// What the feed merge reads from a bound RSS document.
//
// Rules kept here:
//  - Every field is read leniently, as the text of the element's first child
//    node: markup in a title, link or date never makes a feed unreadable.
//  - The channel gives its title, link and description; an item its title,
//    link, description, pubDate (read with ParseNewsDate), the url and type
//    of its first enclosure, and its guid when that is an http(s) URL not
//    marked isPermaLink="false" (only looked at when the item has neither a
//    link nor an enclosure url).
//  - Reading adds nothing to the document.
#include "feeds/FeedChannel.h"
#include "feeds/XMLRss.h"

TFeedChannel ReadRssChannel(const IXMLRssType& rss);
TFeedItem ReadRssItem(TXMLItemType& item);
