// The feed update timer: the first tick finishes start-up, every tick then
// starts the refresh of every feed last refreshed more than 60 minutes ago
// (FetchBatches.cpp).
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "feeds/URLTools.h"
#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "organiser/InterfaceTexts.h"
#include "text/TextTools.h"
#include "ticker/RssViews.h"

#include <QCoreApplication>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>


void TNewsFeeder::Timer1Timer()
{
    Timer1->stop();
    if (Busy->IsBusy()) {
        // A user fetch is running (its download lets events run): no second one.
        RestartUpdateTimer();
        return;
    }
    TBusyState::THold busy(*Busy);
    bool pauseReleased = TreeLoaded;
    bool batchStarted = false;
    try {
        if (!TreeLoaded) {
            ShowStatus(OrganiserTexts.SLoadingData);
            QCoreApplication::processEvents();
            ShowStatus(OrganiserTexts.SBuildingTree);
            QCoreApplication::processEvents();
            {
                TScopedCount placing(PlacingNodes);
                NewsData->NewsList.BuildTreeView(tvTree);
                BuildCategoryViews(Views(), NewsStorageDuration, CategoryTexts());
            }
            Busy->SetTreeReady(true); // from now on the tree may be stored and changed
            ShowStatus(OrganiserTexts.SLoaded);
            Delay(20);
            TreeLoaded = true;
            if (IsInternetConnected()) {
                ShowStatus(OrganiserTexts.SConnectToInternet);
                if (ticker)
                    ticker->RebuildQueue(tvTree);
            } else {
                ShowStatus(OrganiserTexts.SNoInternetConnect);
                Delay(20);
                ShowStatus(OrganiserTexts.SBuildingTree);
                Delay(20);
                if (ticker)
                    ticker->RebuildQueue(tvTree);
                Timer1->setInterval(NewsInterval);
                ShowStatus(OrganiserTexts.SShowAllNews);
                Delay(20);
                show();
            }
            Delay(20);
            if (tvTree->topLevelItemCount() == 0)
                ShowFirstSteps(); // nothing will replace the status line: say how to begin
            ShowNewsStartNotice(); // a damaged or missing news file, once
            pauseReleased = true;
            if (ticker)
                ticker->SetPaused(false);
        }

        // The downloads of every due feed start now; the next tick comes
        // NewsInterval after the batch's last merge (FetchBatches.cpp).
        if (IsInternetConnected())
            batchStarted = StartDueFeeds();
    } catch (...) {
        // Nothing is shown; start-up is not repeated and the next pass starts
        // at the top. The ticker leaves its start-up pause all the same.
        TreeLoaded = true;
        UpdatePosition = FirstNode(tvTree);
        if (!pauseReleased && ticker)
            ticker->SetPaused(false);
        ShowNewsStartNotice();
    }
    // Ticks go on during a batch: each adds the feeds come due meanwhile.
    if (batchStarted)
        Timer1->setInterval(NewsInterval);
    RestartUpdateTimer();
    PostNewsStartNotice();
}

void TNewsFeeder::RestartUpdateTimer()
{
    // An interval of 0 means no update ticks after start-up, never a busy loop.
    if (Timer1->interval() > 0)
        Timer1->start();
}

void TNewsFeeder::RestartFeedUpdates()
{
    UpdatePosition = nullptr;
    if (ticker) {
        ticker->RebuildQueue(tvTree);
        ticker->setEnabled(true);
    }
    Timer1->start();
    Timer1Timer();
}
