#pragma once
// Merges a downloaded feed into the news tree: an RSS document through its
// binding, and any feed read into the neutral form (Atom, JSON Feed) the same
// way.
//
// Rules kept here:
//  - A feed node is looked up by its URL among the start node and its later
//    siblings; without a match, a fetch that came with no node (a typed or
//    pasted URL) also looks among the top-level nodes. Only then does a new
//    feed node go first in the tree.
//  - An item is new when no child of the feed has its plain title as caption,
//    both compared as title keys (TitleKey) ignoring the case of A-Z, so that
//    captions stored with "&&" for "&amp;" or with tabs still match; a known
//    item only gets its description refreshed.
//  - An item whose plain title is blank takes the start of its plain
//    description as title (at most 80 characters, no cut word), else its link;
//    that title is its stored title, caption and duplicate key.
//  - The link is the item's audio or video enclosure's url, else its link,
//    else its enclosure's url, else its guid when that is an http(s)
//    permalink (see FeedChannel.h); trimmed, and resolved when relative
//    against the channel's site link when that is an absolute http(s) URL,
//    else against the feed URL. An audio or video enclosure known only by
//    its declared type keeps that type (option "MED").
//  - Document values are read leniently: an element holding markup reads as
//    the text of its first child node, so no item or channel field makes a
//    feed impossible to merge.
//  - New items go above the older ones, in document order (feeds list the
//    newest first, so the newest headline is on top).
//  - The feed's "NSD" option decides ageing: -1 empties the feed first, 0
//    keeps everything, N drops items older than N days; without the option
//    the global storage duration applies to ageing (never to emptying). An
//    item already too old is not added at all (nor counted).
//  - The caption is "%s(%d)" or "%s(%d of %d)" ("of" in the language shown,
//    model/FeedCounts.h), filled in one step so that a title holding "%1"
//    stays as it is; it is also the stored title. Its title is the name the
//    user gave the feed when there is one, else the channel's plain title.
#include "feeds/FeedChannel.h"
#include "feeds/XMLRss.h"
#include "model/CategoryViews.h"

#include <QString>

class QTreeWidgetItem;

QTreeWidgetItem* MergeRssChannel(const TNewsViews& views, int newsStorageDuration,
                                 QTreeWidgetItem* startNode, const QString& feedUrl,
                                 const IXMLRssType& rss);
QTreeWidgetItem* MergeFeedChannel(const TNewsViews& views, int newsStorageDuration,
                                  QTreeWidgetItem* startNode, const QString& feedUrl,
                                  const TFeedChannel& channel);

// Where a merge looks for its feed node: the node passed, else the tree's
// selected node, else its first node.
QTreeWidgetItem* MergeStartNode(QTreeWidget* tree, QTreeWidgetItem* passed);
// The first of start and its later siblings whose item's link equals url
// (ignoring case); nullptr when there is none or start is null.
QTreeWidgetItem* FindNodeByURL(QTreeWidgetItem* start, const QString& url);
// The first direct child of parent whose caption equals text as a title key
// (TitleKey), ignoring the case of A-Z.
QTreeWidgetItem* FindChildByText(QTreeWidgetItem* parent, const QString& text);
// The caption with the counts.
QString FeedCaption(const QString& title, int newCount, int childCount);
// The title a merge puts before the counts: the user's name of the feed
// (its kOptUserName option), else the plain channel title.
QString FeedCaptionTitle(const TTreeItem& feed, const QString& channelTitle);

// The pieces of an item the merge derives, each on its own.
// link trimmed; when relative, resolved against feedUrl.
QString ResolveItemLink(const QString& link, const QString& feedUrl);
// What an item's relative link is resolved against: the channel's site link
// when it is an absolute http(s) URL, else the feed's own URL.
QString ItemLinkBase(const QString& siteLink, const QString& feedUrl);
// The link an item is stored with (see the rules above).
QString ItemLink(TXMLItemType& item, const QString& feedUrl);
// The title of an item whose own plain title is blank; empty when both the
// description and the link are.
QString UntitledItemTitle(const QString& description, const QString& link);
