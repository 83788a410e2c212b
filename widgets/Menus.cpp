#include "widgets/Menus.h"

#include <QAction>
#include <QMenu>

QAction* NewAction(QObject* owner, const char* name, const QString& caption, const QString& hint,
                   const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

QAction* NewOption(QObject* owner, const char* name, const QString& caption)
{
    QAction* action = NewAction(owner, name, caption);
    action->setCheckable(true);
    return action;
}

QAction* EntryFor(QObject* owner, const char* name, const QString& caption, QAction* command)
{
    if (!command)
        return nullptr;
    QAction* entry = NewAction(owner, name, caption);
    QObject::connect(entry, &QAction::triggered, command, &QAction::trigger);
    return entry;
}

QMenu* NewMenu(QWidget* owner, const char* name, const QString& title)
{
    auto* menu = new QMenu(title, owner);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

TMenuEntry::TMenuEntry(QMenu* submenu) : action(submenu ? submenu->menuAction() : nullptr) {}

TMenuEntry MenuSeparator(const char* name)
{
    TMenuEntry entry(static_cast<QAction*>(nullptr));
    entry.separator = true;
    entry.separatorName = name;
    return entry;
}

void FillMenu(QMenu* menu, std::initializer_list<TMenuEntry> entries)
{
    bool due = false;
    const char* dueName = nullptr;
    for (const TMenuEntry& entry : entries) {
        if (entry.separator) {
            if (!due && !menu->actions().isEmpty()) {
                due = true;
                dueName = entry.separatorName;
            }
            continue;
        }
        if (!entry.action)
            continue;
        if (due) {
            QAction* separator = menu->addSeparator();
            if (dueName)
                separator->setObjectName(QString::fromLatin1(dueName));
        }
        due = false;
        menu->addAction(entry.action);
    }
}

QMenu* Submenu(QWidget* owner, const char* name, const QString& title, std::initializer_list<TMenuEntry> entries)
{
    QMenu* menu = NewMenu(owner, name, title);
    FillMenu(menu, entries);
    if (menu->actions().isEmpty()) {
        delete menu;
        return nullptr;
    }
    return menu;
}
