#pragma once
// JSON Feed documents (versions 1.0 and 1.1) read into the neutral feed form.
//
// Rules kept here:
//  - A document is JSON when its first character after blanks (and a
//    byte-order mark) is "{" or "[" and Qt's JSON reader accepts it; it is a
//    JSON Feed when its top level is an object whose "version" begins with
//    "https://jsonfeed.org/version/" (or the same with http), whatever the
//    server called its type.
//  - Before the reader sees it, a document larger than kMaxJsonFeedBytes or
//    nested deeper than kMaxJsonFeedDepth is refused: one linear pass, so a
//    hostile document costs no more than its size.
//  - A value of the wrong type (a number for a title, an array for a URL, an
//    item that is no object) counts as missing.
//  - Feed: title, home_page_url as site link, description. Item: title; link:
//    url, else external_url; an http(s) id stands in for a missing link;
//    description: content_html, else content_text, else summary (the last two
//    are plain text, escaped as HTML); date: date_published, else
//    date_modified, read with ParseFeedDate; media: the first attachment that
//    is audio or video, else the first, with its mime_type.
#include "feeds/FeedChannel.h"

#include <QByteArray>

const qsizetype kMaxJsonFeedBytes = 64LL * 1024 * 1024;
const int kMaxJsonFeedDepth = 64;

enum class TJsonKind {
    NotJson,   // not JSON at all: another reader's business
    Refused,   // too large or too deep to read
    OtherJson, // well-formed JSON, but no JSON Feed
    JsonFeed,
};

// True when the first character after blanks and a byte-order mark is "{" or "[".
bool StartsLikeJson(const QByteArray& bytes);
// Reads bytes; channel is filled only for a JSON Feed.
TJsonKind ReadJsonFeed(const QByteArray& bytes, TFeedChannel& channel);
