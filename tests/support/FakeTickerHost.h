#pragma once
// The organiser as the ticker sees it: records the titles marked as shown.
#include "ticker/TickerHost.h"

#include <QHash>
#include <QStringList>

class FakeTickerHost final : public ITickerHost {
public:
    void MarkShownByTitle(const QString& title) override { Marked << title; }
    bool IsShowing() const override { return Showing; }
    void EndProgram() override { ++EndRequests; }
    void OpenTarget(const QString& target) override { Opened << target; }
    void DropOnTicker(const QMimeData*) override {}
    QAction* SharedAction(const QString& name) const override { return Actions.value(name); }
    void ShowAllNews() override { ++ShowAllNewsRequests; Showing = true; }
    void ShowWindow() override { Showing = true; }
    void ToggleWindow() override { Showing = !Showing; }
    void BuildLanguageMenu(QMenu*) override {}

    QStringList Marked;
    bool Showing = false;
    int EndRequests = 0;
    QStringList Opened; // targets the ticker asked to open
    QHash<QString, QAction*> Actions; // what SharedAction hands out
    int ShowAllNewsRequests = 0;
};
