#pragma once
// Merges a bound RSS document into the news tree.
//
// Rules kept here:
//  - A feed node is looked up by its URL among the start node and its later
//    siblings only; without a match a new feed node goes first in the tree.
//  - An item is new when no child of the feed has its plain title as caption
//    (ignoring case); a known item only gets its description refreshed.
//  - New items go first under the feed, so one refresh's items stand in
//    reverse document order above the older ones.
//  - The feed's "NSD" option decides ageing: -1 empties the feed first, 0
//    keeps everything, N drops items older than N days; without the option
//    the global storage duration applies to ageing (never to emptying).
//  - The caption is "%s(%d)" or "%s(%d of %d)"; it is also the stored title.
#include "feeds/XMLRss.h"
#include "model/CategoryViews.h"

#include <QString>

class QTreeWidgetItem;

QTreeWidgetItem* MergeRssChannel(const TNewsViews& views, int newsStorageDuration,
                                 QTreeWidgetItem* startNode, const QString& feedUrl,
                                 const IXMLRssType& rss);

// The first of start and its later siblings whose item's link equals url
// (ignoring case); nullptr when there is none or start is null.
QTreeWidgetItem* FindNodeByURL(QTreeWidgetItem* start, const QString& url);
// The first direct child of parent whose caption equals text (ignoring case).
QTreeWidgetItem* FindChildByText(QTreeWidgetItem* parent, const QString& text);
// The caption with the counts.
QString FeedCaption(const QString& title, int newCount, int childCount);
