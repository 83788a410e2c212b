#pragma once
// A tree with one feed of n items and the five derived views: what the feed
// merges of the benchmarks merge into.
#include "app/NewsGlobals.h"
#include "model/CategoryViews.h"
#include "model/ViewNodes.h"

#include <QFile>
#include <QTreeWidget>

inline QString BenchTitle(int i) { return QStringLiteral("Headline number %1 about the day's events").arg(i); }

// An RSS document of count items numbered from first, written to folder.
inline QString WriteBenchDocument(const QString& folder, int first, int count)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Feed</title>");
    for (int i = first; i < first + count; ++i)
        xml += QStringLiteral("<item><title>%1</title><link>http://bench.test/%2</link>"
                              "<description>&lt;p&gt;Text of item %2&lt;/p&gt;</description>"
                              "<pubDate>Wed, 09 Dez 2026 10:00:00 GMT</pubDate></item>")
                   .arg(BenchTitle(i))
                   .arg(i);
    xml += QStringLiteral("</channel></rss>");
    const QString name = folder + "/bench.xml";
    QFile f(name);
    f.open(QIODevice::WriteOnly);
    f.write(xml.toUtf8());
    return name;
}

struct TMergeScene {
    QTreeWidget tree, feeds, web, time, video, audio;
    TNewsViews views{&tree, &feeds, &web, &time, &video, &audio};
    QTreeWidgetItem* feed = nullptr;

    void Build(int existing, const QString& feedUrl, const QString& feedOptions)
    {
        for (QTreeWidget* v : {&tree, &feeds, &web, &time, &video, &audio})
            v->clear();
        NewsData->NewsList.Clear();
        TTreeItem feedItem(kFeed, "Feed", feedUrl, "", feedOptions, "0");
        feedItem.IconIdx = 2;
        feed = AddViewNode(&tree, nullptr, "Feed", NewsData->NewsList.AddCopy(feedItem));
        for (int i = 0; i < existing; ++i) {
            TTreeItem item(kNewsItem, BenchTitle(i), QStringLiteral("http://bench.test/%1").arg(i), "d", "",
                           "2026-12-09 10:00:00");
            AddViewNode(&tree, feed, item.Title, NewsData->NewsList.AddCopy(item));
        }
        BuildCategoryViews(views, 0);
    }
};
