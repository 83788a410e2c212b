#pragma once
// The news files a user loads, merges and saves: news XML, the compressed
// container and OPML, told apart by the name.
//
// Rules kept here:
//  - The format is found by containment, ignoring case: of ".xml", ".qbx" and
//    ".opml", the one occurring last in the path decides, so only one reader
//    runs ("Feeds.xml.qbx" is a container, "/home/a.qbx/news.xml" XML).
//  - Readers give the linked form (record 0 the first top-level node, see
//    Container.h) and never touch a view; a read that fails, or finds no node,
//    leaves the list empty and says why.
//  - Writers replace the target only once the new file is complete.
#include <QString>
#include <functional>

class QTreeWidget;
class QTreeWidgetItem;
class TTreeList;

enum class TNewsFileFormat { None, Xml, Container, Opml };

TNewsFileFormat NewsFileFormat(const QString& path);

// progress receives a node title now and then while a long file is read.
bool ReadNewsFile(const QString& path, TTreeList& list, QString* error = nullptr,
                  const std::function<void(const QString&)>& progress = {});

// Writes the tree of view (or only branch, a node of it, when given) from the
// items of list, in the format the name asks for. A name of no format writes
// nothing and fails.
bool WriteNewsFile(QTreeWidget* view, const TTreeList& list, const QString& path,
                   const QTreeWidgetItem* branch, int newsStorageDuration, QString* error = nullptr);
