#pragma once
// Site icons looked up through the fetch pipeline, beside the feeds: a merge
// or a new node never waits for a site's icon.
//
// Rules kept here:
//  - One lookup per site (its prefix) at a time; every node that asks while
//    it runs gets its outcome.
//  - A site whose icon file is already registered needs no request.
//  - The search order is that of the synchronous lookup (SiteIcons.h):
//    prefix + "favicon.ico", the "www" site's favicon.ico, then the icon the
//    "www" home page names. Only http and https addresses are fetched.
//  - An answer that is empty or an HTML page is no icon.
//  - A lookup that finds nothing is remembered for a day
//    (TNewsData::NoteIconLookup); a cancelled one tells nothing.
//  - Nodes deleted meanwhile are skipped; the icon is registered all the same.
#include "model/ViewNodes.h"
#include "platform/Downloader.h"

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
    enum class TStep { SiteFavicon, WwwFavicon, HomePage, NamedIcon };
    struct TLookup {
        QString prefix;
        QString www;
        QString iconFile;
        QString url; // of the step running
        TStep step = TStep::SiteFavicon;
        std::vector<TNodeRef> nodes;
    };
    void Fetch(const QString& key, TStep step, const QString& url);
    void Answered(const QString& key, const TDownloadAnswer& answer);
    void Finish(const QString& key, bool found);
    void GiveIcon(QTreeWidgetItem* node, int index) const;

    TFetchPipeline& pipeline;
    QTreeWidget* tree;
    std::map<QString, TLookup> lookups; // by lower-case prefix
    std::shared_ptr<bool> token = std::make_shared<bool>(true);
};
