#pragma once
// Children made when they are first shown.
//
// The Feeds view's entries and the Time view's day groups hold a mirror of
// every news item: two view nodes per item, most of which are never looked
// at. They are built as compact entries (TPendingNode, model/ViewNodes.h) and
// become nodes when their parent is first expanded, by the user or by code.
// Until then the changes the view updates make to those children are made
// to the compact entries, in the same order, so the nodes a parent shows are
// the ones it would have had all along.
//
// Code that walks a node's children in these views makes them first
// (RealizeChildren), or uses the changes below, which take both forms. A
// node with compact children has no others, shows the expand mark and is
// never sorted by the view (the entries are kept in the order they show in).
#include "model/ViewNodes.h"

#include <QList>

// What a copy of the node needs: caption, data value and images.
TPendingNode PendingCopy(const QTreeWidgetItem* node);
// The node made from that.
QTreeWidgetItem* NodeFrom(const TPendingNode& copy);
bool HasPendingChildren(const QTreeWidgetItem* node);
// Children in either form.
int ChildCountOf(const QTreeWidgetItem* node);

// Gives a node without children these, in compact form (nothing when empty).
void SetPendingChildren(QTreeWidgetItem* node, TPendingList children);
// Turns a node's compact children into nodes; nothing when it has none.
void RealizeChildren(QTreeWidgetItem* node);
// The same for every node of the view.
void RealizeAllChildren(QTreeWidget* view);
// Makes a node's compact children when the view expands it (once per view).
void RealizeOnExpand(QTreeWidget* view);

// Changes that take both forms. Copies of the originals go first in the
// parent's list, in their order: as nodes, or compact where the parent's
// children are.
void InsertFirstCopies(QTreeWidgetItem* parent, const QList<const QTreeWidgetItem*>& originals);
// The first child with this data value; nullptr when there is none or the
// children are compact.
QTreeWidgetItem* FirstChildWithData(QTreeWidgetItem* parent, qint64 data);
void RemoveFirstChildWithData(QTreeWidgetItem* parent, qint64 data);
void RemoveAllChildren(QTreeWidgetItem* parent);
// Gives every child with this data value (either form) that caption.
void RetitleChildrenWithData(QTreeWidgetItem* parent, qint64 data, const QString& caption);
// Removes the compact children at these places (each once, any order).
void RemovePendingChildrenAt(QTreeWidgetItem* parent, const std::vector<size_t>& places);
