#pragma once
// The feeds a web page advertises in its head, as browsers find them:
// <link rel="alternate" type="application/rss+xml" href="..." title="...">.
//
// Rules kept here:
//  - rel is a list of words; one of them is "alternate" (any case).
//  - type (any case, parameters ignored) is application/rss+xml,
//    application/atom+xml, application/feed+json or application/json.
//  - href is resolved against the page's first <base href>, itself resolved
//    against the page URL; only http and https results count.
//  - Attribute values may be quoted with " or ', or unquoted; character
//    references in them are read.
//  - The feeds come in page order, each URL once, at most kMaxAdvertisedFeeds.
#include <QString>

#include <vector>

struct TAdvertisedFeed {
    QString url;
    QString title; // plain text; empty when the page gave none
};

constexpr int kMaxAdvertisedFeeds = 20;

std::vector<TAdvertisedFeed> AdvertisedFeeds(const QString& pageText, const QString& pageUrl);
