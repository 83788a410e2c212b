#pragma once
// Site icons looked up through the fetch pipeline, beside the feeds: a merge
// or a new node never waits for a site's icon.
//
// Rules kept here:
//  - One lookup per site (its prefix) at a time; every node that asks while
//    it runs gets its outcome.
//  - A site whose icon file is already registered needs no request.
//  - The search is TIconSearch's (SiteIcons.h), as for the lookup that
//    waits; an answer that is empty or an HTML page is no icon.
//  - A lookup that finds nothing is remembered for a day
//    (TNewsData::NoteIconLookup); a cancelled one tells nothing.
//  - Nodes deleted meanwhile are skipped; the icon is registered all the same.
#include "model/ViewNodes.h"
#include "platform/Downloader.h"
#include "text/SiteIcons.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

class QTreeWidget;
class TFetchPipeline;

class TSiteIconLookups {
public:
    TSiteIconLookups(TFetchPipeline& pipeline, QTreeWidget* tree);
    ~TSiteIconLookups();
    TSiteIconLookups(const TSiteIconLookups&) = delete;
    TSiteIconLookups& operator=(const TSiteIconLookups&) = delete;

    void Request(QTreeWidgetItem* node, const QString& link);
    bool IsRunning() const { return !lookups.empty(); }

private:
    struct TLookup {
        QString prefix;
        QString iconFile;
        TIconSearch search;
        std::vector<TNodeRef> nodes;
    };
    void FetchNext(const QString& key);
    void Answered(const QString& key, const TDownloadAnswer& answer);
    void Finish(const QString& key, bool found);
    void GiveIcon(QTreeWidgetItem* node, int index) const;

    TFetchPipeline& pipeline;
    QTreeWidget* tree;
    std::map<QString, TLookup> lookups; // by lower-case prefix
    std::shared_ptr<bool> token = std::make_shared<bool>(true);
};
