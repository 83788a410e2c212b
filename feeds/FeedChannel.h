#pragma once
// A downloaded feed in the one form the feed merge takes, whatever its format:
// the RSS binding, the Atom reader and the JSON Feed reader each fill it.
//
// Rules kept here:
//  - Titles are kept as written (they may hold markup): the merge makes the
//    caption and the duplicate key from their plain text. Descriptions are HTML.
//  - The stored link of an item is its enclosure's URL when the enclosure is
//    audio or video, else its page link, else its enclosure's URL, else its
//    permalink id; trimmed. Whether an enclosure is audio or video: its
//    declared type (audio/..., video/...) decides; without a type, or with a
//    type that only says "some bytes", its URL (IsAudioLink, IsVideoLink).
#include "model/DateTime.h"

#include <QString>

#include <vector>

struct TFeedItem {
    QString title;
    QString link;        // the page link, possibly relative to the feed
    QString description;
    TDateTime date = 0;  // local time; the reader puts now for a missing or unreadable date
    QString mediaLink;   // the enclosure's URL
    QString mediaType;   // its declared type, may be empty
    QString idLink;      // an http(s) permalink id; only read when neither link is there
};

struct TFeedChannel {
    QString title;
    QString siteLink;
    QString description;
    // Whether relative item links point into the site (RSS, JSON Feed) or,
    // as Atom has it, are relative to the document (xml:base aside).
    bool linksRelativeToSite = true;
    std::vector<TFeedItem> items;
};

// True when an enclosure of that URL and declared type is audio or video.
bool IsMediaEnclosure(const QString& url, const QString& type);
// The link an item is stored with (see above), not yet resolved.
QString ChosenItemLink(const TFeedItem& item);
// The declared audio or video type of the enclosure an item is stored with,
// when its address does not tell the kind (an episode at "/play?id=3"); else
// empty. Lower case, without parameters.
QString KeptMediaType(const TFeedItem& item);
// Plain text (a title that is not HTML) in the form the merge reads titles:
// the plain text the merge makes of it is the text itself.
QString PlainTitleText(QString text);
