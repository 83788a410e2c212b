// The organiser's main menu and the Tree tab's popup. Each command group
// makes its actions in its own file; the menus place the ones that exist, in
// their fixed order, without empty or doubled separators.
#include "organiser/NewsFeeders.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

namespace {
// Adds the actions in order; nullptr stands for a separator, which is only
// put between two entries.
void Fill(QMenu* menu, std::initializer_list<QAction*> entries)
{
    bool separatorDue = false;
    for (QAction* action : entries) {
        if (!action) {
            separatorDue = !menu->actions().isEmpty();
            continue;
        }
        if (separatorDue)
            menu->addSeparator();
        separatorDue = false;
        menu->addAction(action);
    }
}

// A menu entry of its own caption that runs another command.
QAction* EntryFor(QObject* owner, const char* name, const char* caption, QAction* command)
{
    if (!command)
        return nullptr;
    auto* entry = new QAction(QString::fromLatin1(caption), owner);
    entry->setObjectName(QString::fromLatin1(name));
    QObject::connect(entry, &QAction::triggered, command, &QAction::trigger);
    return entry;
}

// A submenu entry, or nullptr when none of its entries exists.
QAction* Submenu(QWidget* owner, const char* name, const char* caption, std::initializer_list<QAction*> entries)
{
    auto* menu = new QMenu(QString::fromLatin1(caption), owner);
    menu->setObjectName(QString::fromLatin1(name));
    Fill(menu, entries);
    if (menu->actions().isEmpty()) {
        delete menu;
        return nullptr;
    }
    return menu->menuAction();
}

QAction* NewAction(QObject* owner, const char* name, const char* caption, const char* hint)
{
    auto* action = new QAction(QString::fromLatin1(caption), owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(QString::fromLatin1(hint));
    action->setStatusTip(QString::fromLatin1(hint));
    return action;
}
} // namespace

void TNewsFeeder::CreateWindowActions()
{
    // The File menu's "Close Window" entry is this action itself.
    acClose = NewAction(this, "acClose", "Close Window", "Close ");
    connect(acClose, &QAction::triggered, this, &QWidget::close);
    acCloseAll = NewAction(this, "acCloseAll", "Close All", "Close Quorbel");
    connect(acCloseAll, &QAction::triggered, this, &TNewsFeeder::EndProgram);
    acAbout = NewAction(this, "acAbout", "About...", "");
    connect(acAbout, &QAction::triggered, this, &TNewsFeeder::AboutExecute);
}

void TNewsFeeder::CreateReloadActions()
{
    acReload = NewAction(this, "acReload", "Reload ", "");
    connect(acReload, &QAction::triggered, this, &TNewsFeeder::PostReload);
    acUpdate = NewAction(this, "acUpdate", "Update Link", "");
    connect(acUpdate, &QAction::triggered, this, &TNewsFeeder::PostReload);
    acReloadAll = NewAction(this, "acReloadAll", "&Reload All", "");
    connect(acReloadAll, &QAction::triggered, this, &TNewsFeeder::ReloadAllExecute);
}

void TNewsFeeder::CreateMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = MainMenu1->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnFile"));
    Fill(file, {Submenu(this, "mnNew", "New..", {acNewFolder, acNewURL, acNewNote}), acLoad, acMerge, nullptr,
                acSaveSelection, acSaveAs, nullptr, acClose, acCloseAll});

    QMenu* edit = new QMenu(QStringLiteral("Edit"), this);
    edit->setObjectName(QStringLiteral("mnEdit"));
    Fill(edit, {acSort, nullptr, acPaste, acCopyLink, acDelete, acDelChildren, acRename, nullptr, acReload,
                acReloadAll, nullptr, acContext});
    MainMenu1->addMenu(edit);

    // Options: the clicked feed's keep and show entries and the global ones.
    Fill(mnKeepNewsfor, {acKeepNewsNever, acKeepNews1d, acKeepNews5d, acKeepNews1m, acKeepNews6m, acKeepNewsAlw});
    Fill(mnShowNewsbefore, {acShowNewsNever, acShowNews3h, acShowNews6h, acShowNews1d, acShowNews3d});
    mnOptions1 = new QMenu(QStringLiteral("Options"), this);
    mnOptions1->setObjectName(QStringLiteral("mnOptions1"));
    Fill(mnOptions1, {mnKeepNewsfor->menuAction(), mnShowNewsbefore->menuAction(), acShowDescription});
    QMenu* options = new QMenu(QStringLiteral("Options"), this);
    options->setObjectName(QStringLiteral("mnOptionsMain"));
    mnLanguage = new QMenu(QStringLiteral("Language"), this);
    mnLanguage->setObjectName(QStringLiteral("mnLanguage"));
    acLanguage = mnLanguage->menuAction();
    acLanguage->setObjectName(QStringLiteral("acLanguage"));
    Fill(options, {acLanguage, nullptr, mnOptions1->menuAction(), acConnectionInterval, acShowNewsOnce});
    MainMenu1->addMenu(options);
    QMenu* help = new QMenu(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("mnHelp"));
    Fill(help, {acAbout});
    MainMenu1->addMenu(help);
    // The titles carry no mnemonics (the language files own them): F10 opens
    // the menu bar from the keyboard, as elsewhere on the desktop.
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
            [this] { MainMenu1->setActiveAction(MainMenu1->actions().value(0)); });

    // The popup's options entry is shown for a feed node only (PrepareNodeMenu).
    mnOptions = new QMenu(QStringLiteral("Options"), this);
    mnOptions->setObjectName(QStringLiteral("mnOptions"));
    auto* keepMenu = new QMenu(QStringLiteral("Keep News for ..."), mnOptions);
    keepMenu->setObjectName(QStringLiteral("mnPopupKeepNews"));
    Fill(keepMenu, {acKeepNewsNever, acKeepNews1d, acKeepNews5d, acKeepNews1m, acKeepNews6m, acKeepNewsAlw});
    keepMenu->setDefaultAction(acKeepNews5d); // drawn bold
    auto* showMenu = new QMenu(QStringLiteral("Show News before ..."), mnOptions);
    showMenu->setObjectName(QStringLiteral("mnPopupShowNews"));
    Fill(showMenu, {acShowNewsNever, acShowNews3h, acShowNews6h, acShowNews1d, acShowNews3d, acShowAllNews});
    Fill(mnOptions, {showMenu->menuAction(), keepMenu->menuAction(), acShowDescription});
    mnOptions->menuAction()->setVisible(false);

    mnMain = new QMenu(this);
    mnMain->setObjectName(QStringLiteral("mnMain"));
    Fill(mnMain, {acSort, nullptr, acCopyNode, acCopyLink, acPaste, acDelete,
                  EntryFor(this, "mnDeleteChildren", "DeleteChildren", acDelChildren), nullptr,
                  acAbout, mnOptions->menuAction(), nullptr, acOpenLink,
                  Submenu(this, "mnPopupNew", "New",
                          {EntryFor(this, "mnNewFolder", "Folder", acNewFolder),
                           EntryFor(this, "mnNewNote", "Note", acNewNote), acNewURL}),
                  nullptr,
                  Submenu(this, "mnFileImportExport", "File Import && Export",
                          {acLoad, acMerge, acSaveAs, acSaveSelection}),
                  nullptr, acProperty, acContext});
}
