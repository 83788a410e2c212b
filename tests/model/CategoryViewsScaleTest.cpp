#include "model/CategoryViews.h"

#include "app/NewsGlobals.h"
#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "support/FakeClock.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <cstdio>

namespace {
TEST(CategoryViewsScaleTest, DISABLED_Timing)
{
    const QDate today(2026, 3, 10);
    FakeClock clock(QDateTime(today, QTime(15, 30)));
    TempProgramFolder home;
    TNewsData data(home.Path());
    QTreeWidget tree, theme, web, time, video, audio;
    const bool shown = qEnvironmentVariableIsSet("CAT_SHOW");
    if (shown) for (QTreeWidget* v : {&tree, &theme, &web, &time, &video, &audio}) { v->resize(400, 600); v->show(); }
    TNewsViews views{&tree, &theme, &web, &time, &video, &audio};
    const int feeds = qEnvironmentVariableIntValue("CAT_FEEDS") ? qEnvironmentVariableIntValue("CAT_FEEDS") : 100;
    const int total = 100000;
    QElapsedTimer t; t.start();
    for (int f = 0; f < feeds; ++f) {
        TTreeItem feed("RSH", QString("feed %1").arg(f), QString("http://feed%1.example/rss").arg(f), "", "", "0");
        feed.IconIdx = 2;
        QTreeWidgetItem* fn = AddViewNode(&tree, nullptr, feed.Title, data.NewsList.AddCopy(feed));
        QList<QTreeWidgetItem*> kids;
        for (int i = 0; i < total / feeds; ++i) {
            const int k = f * (total / feeds) + i;
            const char* ext = k % 10 == 0 ? ".mp3" : k % 10 == 1 ? ".mp4" : ".html";
            TTreeItem item("RSS", QString("item %1").arg(k), QString("http://site%1.example/p/%2%3").arg(k % 500).arg(k).arg(ext), "", "", "0");
            item.TimeStamp = ToDateTime(today.addDays(-(k % 10)), QTime(k % 24, k % 60));
            auto* n = new QTreeWidgetItem(QStringList{item.Title});
            SetNodeDataValue(n, data.NewsList.AddCopy(item));
            kids << n;
        }
        fn->addChildren(kids);
    }
    std::printf("setup %lld ms\n", t.restart());
    BuildCategoryViews(views, 30);
    std::printf("build %lld ms (web %d, audio %d, video %d)\n", t.restart(), web.topLevelItemCount(), audio.topLevelItemCount(), video.topLevelItemCount());
    QCoreApplication::processEvents();
    t.restart();
    DeleteChildNodes(views, tree.topLevelItem(0));
    std::printf("delete children of first feed %lld ms (web %d)\n", t.restart(), web.topLevelItemCount());
    // Merge-style aging: one UpdateViews per item.
    QTreeWidgetItem* second = tree.topLevelItem(feeds > 1 ? 1 : 0);
    int n = 0;
    while (second->childCount() > 0 && n < 1000) {
        QTreeWidgetItem* c = second->child(second->childCount() - 1);
        UpdateViews(views, c, umItemRemoved);
        delete c;
        ++n;
    }
    std::printf("%d single removals %lld ms\n", n, t.restart());
}
}
