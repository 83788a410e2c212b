#pragma once
// The news XML file: the tree exchanged as plain XML ("*.xml" in the
// organiser's Load, Merge and Save As).
//
// Layout: the line <?xml version="1.0" encoding ="UTF-8"?>, a root element
// "Quorbel", one "node" element per node holding its field elements (Title,
// NewsType, Link, Description, Options, TimeStamp, LastShown, Text, IconIdx,
// IconURL, in this order, each under its condition) and then its child
// "node" elements. Two blanks of indentation per level up to 16 levels, UTF-8,
// every line ending in CR LF, the last one included.
//
// Rules kept here on purpose:
//  - It is an export: feed titles lose their count suffix, TimeStamp is
//    written as "0" (a news item's as its date, see FormatNewsDate, which the
//    reader takes back to the second), and a feed's news items are written
//    only when the feed keeps news for ever (DescendInto). Nothing in memory
//    or in the view is changed by a save.
//  - View nodes with an empty caption, or standing for no item, are left out
//    with their branches.
//  - A newline inside a text is written as a CR LF line end (an XML reader
//    turns that back into the newline) and a carriage return as "&#13;", so
//    every text reads back as it was. Characters XML cannot hold are dropped.
//  - Reading streams the file into a compact element tree and walks it
//    without recursion: a blank-titled element reached as a following
//    sibling makes no node, and its nested "node" elements go under the node
//    made just before it. Siblings of any element name are walked.
//  - Both readers here fill a list in the linked form (record 0 the first
//    top-level node, FirstChild/NextSibling, -1 for none) that
//    TTreeList::BuildTreeView places in a view; they touch no view and no
//    data module. On failure the list is left empty.
//  - Saves go to a temporary file beside the target, synced and renamed over
//    it, so a failed save leaves the previous file as it was.
#include "model/TreeItems.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// Reads a news XML file into list (emptied first). False with *error on an
// unreadable file, XML that is not well-formed (the parser's message), no
// root element named "Quorbel" (any case), a root without child elements, a
// field element holding elements, or a file that makes no node at all.
// progress, when given, receives a title now and then (at most about every
// 20 ms, never per element) so the caller can show it and let events run;
// those events must leave list alone.
bool ReadNewsXml(const QString& fileName, TTreeList& list, QString* error = nullptr,
                 const std::function<void(const QString&)>& progress = {});

// Writes the nodes of view (the whole tree, or the selected node's branch)
// as news XML. Items come from list by each view node's data value.
// False with *error when nothing could be written ("No node selected" when
// selectionOnly is set and no node is selected) or a write failed.
bool SaveToXml(QTreeWidget* view, const TTreeList& list, const QString& fileName, bool selectionOnly,
               int newsStorageDuration, QString* error = nullptr);
// The same for a given branch: the branch of node start (a node of view), or
// the whole tree when start is nullptr.
bool SaveToXml(QTreeWidget* view, const TTreeList& list, const QString& fileName,
               const QTreeWidgetItem* start, int newsStorageDuration, QString* error = nullptr);

// Whether the children of a node holding item are written. keep is the
// item's "NSD" option (newsStorageDuration when missing); a feed, or any
// node kept for ever (keep 0), is descended into only when its first child
// has an item that is no news item or the node is kept for ever.
bool DescendInto(const TTreeItem& item, const TTreeItem* firstChildItem, int newsStorageDuration);

// title without a trailing count suffix "(N)" or "(N of M)" (the word in
// English or in the language shown, FeedCounts.h) and the blanks before it,
// as the feed merge appends it. Anything else stays whole, and so
// does a title that would be left blank.
QString TitleWithoutCount(const QString& title);

// Runs a reader into list (emptied first): true when it returned; a raised
// error or a lack of memory empties list and gives false with the reason.
// Shared by the news XML and OPML readers.
bool ReadGuarded(TTreeList& list, QString* error, const std::function<void()>& read);

// Appends records to a list in the linked form: each new record is the last
// child of a record appended before, or the last top-level node. Shared by
// the news XML and OPML readers.
class TLinkedAppender {
public:
    explicit TLinkedAppender(TTreeList& list) : list(list), base(list.Count()) {}
    // A copy of item as the last child of parent (-1: the top level); its index.
    qint32 Append(const TTreeItem& item, qint32 parent);
    // The parent of a record appended here, -1 for a top-level one.
    qint32 Parent(qint32 record) const { return parents[static_cast<size_t>(record - base)]; }

private:
    TTreeList& list;
    qint32 base;                      // records before this one are not ours
    std::vector<qint32> parents;      // per record
    std::vector<qint32> lastChildren; // per record, -1 none yet
    qint32 lastTop = -1;
};

// Walks the nodes of view, or only start's branch, in pre-order without
// recursion, for the writers: enter(node, item) is called for each node
// reached that has a caption and an item in list (the others are left out
// with their branch); when it returns true the node's children are walked
// and leave() follows the last of them.
void WalkForWriting(QTreeWidget* view, const TTreeList& list, const QTreeWidgetItem* start,
                    const std::function<bool(const QTreeWidgetItem*, const TTreeItem&)>& enter,
                    const std::function<void()>& leave);

// A pretty-printed XML file with CR LF line ends, written through
// QXmlStreamWriter to a temporary file beside fileName and put in its place
// by Commit. Shared by the news XML and OPML writers.
class TXmlFileWriter {
public:
    explicit TXmlFileWriter(const QString& fileName);
    ~TXmlFileWriter();
    TXmlFileWriter(const TXmlFileWriter&) = delete;
    TXmlFileWriter& operator=(const TXmlFileWriter&) = delete;

    // Opens the temporary file and writes declaration as the first line.
    bool Open(const QString& declaration, QString* error);
    // An element on a line of its own; its attributes follow at once.
    void StartElement(const QString& name);
    void Attribute(const QString& name, const QString& value);
    // <name>value</name> on a line of its own.
    void TextElement(const QString& name, const QString& value);
    void EndElement();
    // Ends the last line, syncs and renames over the target; on any failure
    // the temporary file is removed and the target left alone.
    bool Commit(QString* error);

private:
    struct State;
    std::unique_ptr<State> d;
};
