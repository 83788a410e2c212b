// The organiser's main menu and the Tree tab's popup. Each command group
// makes its actions in its own file; the menus place the ones that exist, in
// their fixed order (widgets/Menus.h).
#include "organiser/NewsFeeders.h"

#include "organiser/AgeOptionGroups.h"
#include "widgets/Menus.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

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
    const TMenuEntry separator = MenuSeparator();

    QMenu* file = MainMenu1->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnFile"));
    FillMenu(file, {Submenu(this, "mnNew", QStringLiteral("New.."), {acNewFolder, acNewURL, acNewNote}), acLoad,
                    acMerge, separator, acSaveSelection, acSaveAs, separator, acClose, acCloseAll});

    QMenu* edit = NewMenu(this, "mnEdit", QStringLiteral("Edit"));
    FillMenu(edit, {acSort, separator, acPaste, acCopyLink, acDelete, acDelChildren, acRename, separator, acReload,
                    acReloadAll, separator, acContext});
    MainMenu1->addMenu(edit);

    // 'Options "X"': the keep and show entries of the feed X, shared by the
    // Options menu and the Tree tab's popup; shown for a feed only
    // (PrepareNodeMenu).
    mnFeedKeepNews = NewMenu(this, "mnPopupKeepNews", QStringLiteral("Keep News for ..."));
    mnFeedKeepNews->addActions(FeedKeepNewsGroup->actions());
    mnFeedKeepNews->setDefaultAction(AgeOptionEntry(FeedKeepNewsGroup, TAgeOption::Keep, 5)); // "1 week", in bold
    mnFeedShowNews = NewMenu(this, "mnPopupShowNews", QStringLiteral("Show News before ..."));
    mnFeedShowNews->addActions(FeedShowNewsGroup->actions());
    mnOptions1 = NewMenu(this, "mnOptions1", QStringLiteral("Options"));
    FillMenu(mnOptions1, {mnFeedKeepNews, mnFeedShowNews, acShowDescription});
    mnOptions1->menuAction()->setVisible(false);
    mnOptions = NewMenu(this, "mnOptions", QStringLiteral("Options"));
    FillMenu(mnOptions, {mnFeedShowNews, mnFeedKeepNews, acShowDescription});
    mnOptions->menuAction()->setVisible(false);

    // Options: the language, the global values (the ticker's Options carry
    // the same entries), then the clicked feed's own.
    mnKeepNewsfor->addActions(KeepNewsGroup->actions());
    mnShowNewsbefore->addActions(ShowNewsGroup->actions());
    QMenu* options = NewMenu(this, "mnOptionsMain", QStringLiteral("Options"));
    mnLanguage = NewMenu(this, "mnLanguage", QStringLiteral("Language"));
    acLanguage = mnLanguage->menuAction();
    acLanguage->setObjectName(QStringLiteral("acLanguage"));
    FillMenu(options, {acLanguage, separator, mnKeepNewsfor, mnShowNewsbefore, acConnectionInterval, acShowNewsOnce,
                       separator, mnOptions1});
    MainMenu1->addMenu(options);
    QMenu* help = NewMenu(this, "mnHelp", QStringLiteral("Help"));
    FillMenu(help, {acAbout});
    MainMenu1->addMenu(help);
    // The titles carry no mnemonics (the language files own them): F10 opens
    // the menu bar from the keyboard, as elsewhere on the desktop.
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
            [this] { MainMenu1->setActiveAction(MainMenu1->actions().value(0)); });

    mnMain = NewMenu(this, "mnMain", QString());
    FillMenu(mnMain, {acSort, separator, acCopyNode, acCopyLink, acPaste, acDelete,
                      EntryFor(this, "mnDeleteChildren", QStringLiteral("DeleteChildren"), acDelChildren), separator,
                      acAbout, mnOptions, separator, acOpenLink,
                      Submenu(this, "mnPopupNew", QStringLiteral("New"),
                              {EntryFor(this, "mnNewFolder", QStringLiteral("Folder"), acNewFolder),
                               EntryFor(this, "mnNewNote", QStringLiteral("Note"), acNewNote), acNewURL}),
                      separator,
                      Submenu(this, "mnFileImportExport", QStringLiteral("File Import && Export"),
                              {acLoad, acMerge, acSaveAs, acSaveSelection}),
                      separator, acProperty, acContext});
}
