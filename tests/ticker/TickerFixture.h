#pragma once
// A ticker in a fresh program folder, with a fake clock, a fake connection
// state and a fake organiser, plus helpers to make items and fill its queue.
#include "support/FakeClock.h"
#include "support/FakeConnectivity.h"
#include "support/FakeTickerHost.h"
#include "support/TempFolder.h"
#include "ticker/RssViews.h"

#include <gtest/gtest.h>
#include <memory>

class TickerFixture : public ::testing::Test {
protected:
    void SetUp() override { CreateTicker(); }

    void CreateTicker()
    {
        view.reset();
        view = std::make_unique<TRSSView>([this](TRSSView*) { return &host; });
    }

    // A news item with a date text (our local date-time text; "0" for none).
    static std::unique_ptr<TTreeItem> Item(const QString& title, const QString& link = QString(),
                                           const QString& description = QString(),
                                           const QString& dateText = QStringLiteral("0"),
                                           const QString& options = QString())
    {
        return std::make_unique<TTreeItem>(kNewsItem, title, link, description, options, dateText);
    }

    // Replaces the play list by items titled as given and queues them in order.
    void Play(const QStringList& titles)
    {
        view->PlayList.Clear();
        view->Queue.clear();
        for (const QString& t : titles) {
            auto item = Item(t);
            view->Queue.push_back(view->PlayList.AddCopy(*item));
        }
        view->QueuePos = 0;
    }

    // One tick, a tick period after the last.
    void Tick()
    {
        clock.Advance(200);
        view->Timer1Timer();
    }

    QString Shown() const { return view->CurrentItem.Title; }

    TempProgramFolder home;
    FakeClock clock;
    FakeConnectivity net{true};
    FakeTickerHost host;
    std::unique_ptr<TRSSView> view;
};
