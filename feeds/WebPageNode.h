#pragma once
// A fetched URL that is no feed becomes a web-link node ("WEB") at the top of
// the tree, titled from the page's TITLE element.
//
// Rules kept here:
//  - The title is what stands between the first "<TITLE>" and the first
//    "</TITLE>" of the page, both found ignoring ASCII letter case only; a tag
//    with attributes is no match. Without both, the title is the URL; with the
//    end before the start, it is empty. The text keeps its letter case and
//    line breaks (the caption is its HTMLToText).
//  - A top-level node with the same link (ignoring ASCII case) is returned
//    untouched; otherwise a new node goes first in the tree with the site icon.
//  - The search runs over the page once, without a copy of it.
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

QString WebPageTitle(const QString& pageText, const QString& url);
QTreeWidgetItem* AddWebPageNode(QTreeWidget* tree, const QString& url, const QString& pageText);
