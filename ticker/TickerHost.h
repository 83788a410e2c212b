#pragma once
// What the ticker needs from the organiser window. The organiser implements
// it; tests use a small fake.
#include <QString>

class QAction;
class QMenu;
class QMimeData; // drop on the ticker

class ITickerHost {
public:
    virtual ~ITickerHost() = default;
    // The first tree node whose caption equals title (ignoring case) is marked as shown now.
    virtual void MarkShownByTitle(const QString& title) = 0;
    // True while the organiser window is on screen.
    virtual bool IsShowing() const = 0;
    // The ticker was closed: closing the ticker ends the program.
    virtual void EndProgram() = 0;
    // The current item's link was asked for: the organiser opens it.
    virtual void OpenTarget(const QString& target) = 0;
    // Text or files were dropped on the ticker: the organiser takes them in.
    virtual void DropOnTicker(const QMimeData* data) = 0;
    // The organiser's command of that object name, shared by the ticker's
    // menus (caption, check mark and handler); nullptr when there is none.
    virtual QAction* SharedAction(const QString& name) const = 0;
    // "Show All News" of the ticker's popup: the tab views reset, then shown.
    virtual void ShowAllNews() = 0;
    // "Show All News" of the tray menu: only shown.
    virtual void ShowWindow() = 0;
    // A left click on the tray icon: shown when hidden, hidden when shown.
    virtual void ToggleWindow() = 0;
    // Fills the ticker's language entry: one item per language, chosen
    // through the organiser.
    virtual void BuildLanguageMenu(QMenu* menu) = 0;
};
