#pragma once
// OPML subscription lists, the form in which other news readers import and
// export their feeds.
//
// Rules kept here on purpose:
//  - Reading takes the "outline" elements under the "opml" root's "body" in
//    document order. An outline with an http or https "xmlUrl" is a feed
//    (title: "text", else "title", else the URL); an outline holding outlines
//    is a folder (title: "text", else "title", else "Folder"). Outlines under
//    a feed follow it as siblings, since a feed's children are its news
//    items; outlines under a skipped one take its place. An outline with any
//    other xmlUrl, or with none and no outlines inside, is skipped (traced).
//  - "xmlUrl" is also found as "xmlurl" in any case; a blank one counts as
//    none. Other attribute names are matched exactly.
//  - The result is a list in the linked form, as from ReadNewsXml; on failure
//    the list is left empty.
//  - Writing keeps folders and feeds only (feed titles without their count
//    suffix); a folder is written even when nothing inside it is. The file
//    replaces the target atomically, as SaveToXml does.
#include "model/TreeItems.h"

#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

// False with *error when the file is unreadable or not well-formed, has no
// "opml" root (any case) or no "body", or yields no node.
bool ReadOpml(const QString& fileName, TTreeList& list, QString* error = nullptr);

// Writes the folders and feeds of view (the whole tree, or the selected
// node's branch) as OPML 2.0; items come from list by the view nodes' data
// values. False with *error on a write failure or, with selectionOnly, when
// no node is selected.
bool SaveToOpml(QTreeWidget* view, const TTreeList& list, const QString& fileName, bool selectionOnly,
                QString* error = nullptr);
// The same for the branch of start, or the whole tree when start is nullptr.
bool SaveToOpml(QTreeWidget* view, const TTreeList& list, const QString& fileName,
                const QTreeWidgetItem* start, QString* error = nullptr);
