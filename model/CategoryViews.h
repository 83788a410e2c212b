#pragma once
// The five views derived from the news tree (Feeds, WWW, Time, Video, Audio):
// built whole once the tree is loaded, then kept in step one change at a time.
//
// Rules kept here:
//  - Day groups: n = 7 when the storage duration is 0 or less, else the
//    duration limited to 2..15; "Today", "Yesterday", dated groups for 2..n-2
//    days ago, "Others.." last (it takes the place of "Yesterday" when n = 2).
//  - An item's age is the number of whole days it lies before tomorrow 00:00
//    (0 from today 00:00 on, 1 from yesterday 00:00 on, ...); a stamp after
//    that counts the whole days it lies beyond it.
//  - The WWW view sorts by site prefix, then newest first; the Time view sorts
//    the items inside each group newest first and keeps the groups in order.
//  - UpdateViews matches mirrors by data value (the NewsList index they share
//    with their tvTree node) and removes the first match; a feed's entry in
//    the Feeds view is found by Link ignoring ASCII case. The Feeds view is
//    touched only for a node whose tvTree parent is a feed (so modes 2 and 3
//    act only on such a node).
#include <QList>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;
class TTreeItem;

struct TNewsViews {
    QTreeWidget* tvTree = nullptr;
    QTreeWidget* tvTheme = nullptr; // Feeds
    QTreeWidget* tvWeb = nullptr;
    QTreeWidget* tvTime = nullptr;
    QTreeWidget* tvVideo = nullptr;
    QTreeWidget* tvAudio = nullptr;
};

// Group captions; the language manager may replace them later.
struct TCategoryTexts {
    QString SToday = QStringLiteral("Today");
    QString SYesterday = QStringLiteral("Yesterday");
    QString SOthers = QStringLiteral("Others..");
};

// Modes of UpdateViews.
enum TUpdateMode : int {
    umItemAdded = 0,
    umItemRemoved = 1,
    umFeedAdded = 2,
    umFeedEmptied = 3,
};

// Fills the five category views from views.tvTree. Every news item's IconIdx
// becomes its feed's.
void BuildCategoryViews(const TNewsViews& views, int newsStorageDuration,
                        const TCategoryTexts& texts = TCategoryTexts());

// Number of day groups for a storage duration.
int DayGroupCount(int newsStorageDuration);
// Whole days between tomorrow 00:00 (from the program's clock) and the time stamp.
int DayAge(double timeStamp);
// The same against a given start of the next day; a stamp that is no finite
// number, or too far away for an int, gives INT_MAX (in no group).
int DayAge(double timeStamp, double nextDayStart);
// Tomorrow 00:00 as a date-time, from the program's clock.
double NextDayStart();

// Three-way comparisons of two view nodes by their items (0 when either is missing).
int CompareByDate(const QTreeWidgetItem* a, const QTreeWidgetItem* b);
int CompareBySiteThenDate(const QTreeWidgetItem* a, const QTreeWidgetItem* b);

// Mirrors one change of a tvTree node into the derived views. Never raises.
void UpdateViews(const TNewsViews& views, QTreeWidgetItem* node, int mode);
// UpdateViews(node, umItemRemoved) for each node in order, with the same
// result, but linear in the size of the views rather than quadratic.
void RemoveFromViews(const TNewsViews& views, const QList<QTreeWidgetItem*>& nodes);
// UpdateViews(node, umItemAdded) for each node in order, with the same result,
// but each list of a view takes all its new nodes in one insert instead of
// moving its whole length once per node.
void AddToViews(const TNewsViews& views, const QList<QTreeWidgetItem*>& nodes);
// Gives the mirrors of a tvTree node (a feed's entry in the Feeds view, an
// item's copies in every view) the node's caption. Never raises.
void RetitleInViews(const TNewsViews& views, const QTreeWidgetItem* node);
// Removes the node's descendants from the derived views, then from the tree.
void DeleteChildNodes(const TNewsViews& views, QTreeWidgetItem* node);
