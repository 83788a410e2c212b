#pragma once
// Making the windows' commands and filling their menus.
//
// Rules kept here:
//  - A command is a QAction named as the language files name it; its hint
//    is both its tool tip and its status tip.
//  - A menu is filled with the entries that exist, in order: an entry whose
//    command a window does not offer (nullptr) is left out, a submenu left
//    empty goes too, and a separator only ever stands between two entries
//    (of several in a row only the first is kept, with its name).
#include <QKeySequence>
#include <QString>

#include <initializer_list>

class QAction;
class QMenu;
class QObject;
class QWidget;

QAction* NewAction(QObject* owner, const char* name, const QString& caption, const QString& hint = QString(),
                   const QKeySequence& shortcut = QKeySequence());
// A checkable command.
QAction* NewOption(QObject* owner, const char* name, const QString& caption);
// A menu entry of its own name and caption that runs command; nullptr
// without a command.
QAction* EntryFor(QObject* owner, const char* name, const QString& caption, QAction* command);
// An empty menu of that name and title.
QMenu* NewMenu(QWidget* owner, const char* name, const QString& title);

// One entry of a menu: a command, a submenu, or a separator. Implicit, so
// that entry lists read as plain lists.
struct TMenuEntry {
    TMenuEntry(QAction* entry) : action(entry) {}
    TMenuEntry(QMenu* submenu);
    QAction* action = nullptr;
    bool separator = false;
    const char* separatorName = nullptr;
};
// A separator, named when the language files or tests look for it.
TMenuEntry MenuSeparator(const char* name = nullptr);

void FillMenu(QMenu* menu, std::initializer_list<TMenuEntry> entries);
// A filled submenu, or nullptr (and no menu) when none of its entries exists.
QMenu* Submenu(QWidget* owner, const char* name, const QString& title, std::initializer_list<TMenuEntry> entries);
