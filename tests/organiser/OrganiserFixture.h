#pragma once
// An organiser window without ticker on a temporary program folder, with the
// clock, the connection, the downloader and the dialogs replaced.
#include "app/NewsGlobals.h"
#include "model/ViewNodes.h"
#include "organiser/NewsFeeders.h"
#include "support/FakeClock.h"
#include "support/FakeConnectivity.h"
#include "support/FakeDialogs.h"
#include "support/FakeDownloader.h"
#include "support/TempFolder.h"
#include "ticker/RssViews.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

inline QByteArray SmallFeed(const QString& title, int items)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>%1</title>").arg(title);
    for (int i = 1; i <= items; ++i)
        xml += QStringLiteral("<item><title>%1 item %2</title><link>http://%1.test/%2</link>"
                              "<pubDate>2026-12-09 10:00:00</pubDate></item>")
                   .arg(title)
                   .arg(i);
    xml += QStringLiteral("</channel></rss>");
    return xml.toUtf8();
}

class OrganiserFixture : public ::testing::Test {
protected:
    // No site-icon fetches: the feeds carry the feed picture and the Images
    // folder counts as known.
    OrganiserFixture() : data(home.Path()) { data.RefreshIcons = false; }

    void CreateOrganiser()
    {
        organiser = std::make_unique<TNewsFeeder>(nullptr);
        organiser->Timer1->stop();
        // Tests put their nodes straight into tvTree, standing for a tree
        // that start-up has built whole: it may be stored.
        organiser->Busy->SetTreeReady(true);
    }

    // An organiser owned by a ticker, as the program makes them; treeReady
    // false leaves the tree to be built by the first tick.
    void CreateWithTicker(bool treeReady = true)
    {
        ticker = std::make_unique<TRSSView>([this](TRSSView* view) {
            organiser = std::make_unique<TNewsFeeder>(view);
            return organiser.get();
        });
        organiser->Timer1->stop();
        organiser->Busy->SetTreeReady(treeReady);
    }

    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& kind, const QString& title,
                             const QString& link = QString(), TDateTime stamp = 0)
    {
        TTreeItem item(kind, title, link, "", "", "0");
        item.TimeStamp = stamp;
        item.IconIdx = imgFeed;
        const int index = data.NewsList.AddCopy(item);
        return AddViewNode(organiser->tvTree, parent, title, index);
    }

    TTreeItem* Item(QTreeWidgetItem* node) { return data.NodeItem(node); }

    // Lets the fetch pipeline download and merge what it has (fake answers
    // come from the event loop), then waits for the store.
    void Settle(int maxMs = 10000)
    {
        QElapsedTimer waited;
        waited.start();
        while (organiser && !organiser->Pipeline->IsIdle() && waited.elapsed() < maxMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::processEvents();
        if (organiser)
            organiser->WaitForStore();
    }

    // Fetches url, served with body, into the tree as the scheduler would; the store is waited for.
    QTreeWidgetItem* Fetch(const QString& url, const QByteArray& body, QTreeWidgetItem* node = nullptr)
    {
        downloader.Serve(url, body);
        QTreeWidgetItem* result = organiser->DownloadFeed(url, node, false);
        organiser->WaitForStore();
        return result;
    }
    // The captions of parent's children, in order.
    static QStringList ChildCaptions(QTreeWidgetItem* parent)
    {
        QStringList list;
        for (int i = 0; i < parent->childCount(); ++i)
            list << parent->child(i)->text(0);
        return list;
    }

    // Minutes before the fake now, as a date-time.
    TDateTime MinutesAgo(int minutes) { return NowDateTime() - minutes / 1440.0; }

    FakeClock clock{QDateTime(QDate(2026, 12, 9), QTime(12, 0))};
    FakeConnectivity online{true};
    FakeDownloader downloader;
    FakeDialogs dialogs;
    TempProgramFolder home;
    TNewsData data;
    // Destroyed after the organiser that points to it.
    std::unique_ptr<TRSSView> ticker;
    std::unique_ptr<TNewsFeeder> organiser;
};
