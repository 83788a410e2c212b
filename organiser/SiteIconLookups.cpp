#include "organiser/SiteIconLookups.h"

#include "app/NewsGlobals.h"
#include "organiser/FetchPipeline.h"
#include "text/SiteIcons.h"
#include "platform/Encoding.h"
#include "text/TextTools.h"

#include <QFile>
#include <QSaveFile>
#include <QTreeWidget>

namespace {
// The icon as the file the registry reads; false (and no file) for an empty
// answer or an error page sent in its place.
bool SaveIcon(const QString& iconFile, const QByteArray& body)
{
    QSaveFile file(iconFile);
    if (body.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(body) != body.size() || !file.commit())
        return false;
    if (!IsHtmlFile(iconFile))
        return true;
    QFile::remove(iconFile);
    return false;
}
} // namespace

TSiteIconLookups::TSiteIconLookups(TFetchPipeline& pipeline, QTreeWidget* tree) : pipeline(pipeline), tree(tree) {}

TSiteIconLookups::~TSiteIconLookups() { token.reset(); }

void TSiteIconLookups::Request(QTreeWidgetItem* node, const QString& link)
{
    if (!node || !NewsData)
        return;
    const QString iconFile = NewsData->ImagesFolder + IconFileName(link);
    // Another node of the site brought its icon already.
    const int known = NewsData->RegisteredIcon(iconFile);
    if (known >= 0 && known < NewsData->imIcons.Count()) {
        GiveIcon(node, known);
        return;
    }
    const QString prefix = SitePrefix(link);
    const QString key = prefix.toLower();
    auto found = lookups.find(key);
    if (found != lookups.end()) {
        found->second.nodes.push_back(TNodeRef(node));
        return;
    }
    lookups.emplace(key, TLookup{prefix, iconFile, TIconSearch(link), {TNodeRef(node)}});
    FetchNext(key);
}

void TSiteIconLookups::FetchNext(const QString& key)
{
    const auto found = lookups.find(key);
    if (found == lookups.end())
        return;
    const TIconSearch& search = found->second.search;
    if (search.Done()) {
        Finish(key, search.Found());
        return;
    }
    std::weak_ptr<bool> alive = token;
    pipeline.AddSide(search.Url(), [this, alive, key](const TDownloadAnswer& answer) {
        if (!alive.expired())
            Answered(key, answer);
    });
}

void TSiteIconLookups::Answered(const QString& key, const TDownloadAnswer& answer)
{
    const auto found = lookups.find(key);
    if (found == lookups.end())
        return;
    TLookup& lookup = found->second;
    if (answer.cancelled) {
        lookups.erase(found); // tells nothing about the site
        return;
    }
    if (lookup.search.WantsPage())
        lookup.search.PageAnswered(answer.ok ? DecodeText(answer.body) : QString());
    else
        lookup.search.IconAnswered(answer.ok && SaveIcon(lookup.iconFile, answer.body));
    FetchNext(key);
}

void TSiteIconLookups::Finish(const QString& key, bool found)
{
    const auto it = lookups.find(key);
    if (it == lookups.end())
        return;
    const TLookup lookup = std::move(it->second);
    lookups.erase(it);
    NewsData->NoteIconLookup(lookup.prefix, found);
    if (!found)
        return;
    int index = -1;
    try {
        index = NewsData->AddIconFile(lookup.iconFile, lookup.search.IconUrl());
    } catch (...) {
        // A failed registration leaves the provisional icons in place.
    }
    if (index < 0)
        return;
    for (const TNodeRef& ref : lookup.nodes)
        if (QTreeWidgetItem* node = ref.In(tree))
            GiveIcon(node, index);
}

void TSiteIconLookups::GiveIcon(QTreeWidgetItem* node, int index) const
{
    TTreeItem* item = NewsData->NodeItem(node);
    if (!item)
        return;
    item->IconIdx = index;
    item->SetIconURL(NewsData->IconURLs.value(index));
    SetNodeImages(node, index, index, -1);
}
