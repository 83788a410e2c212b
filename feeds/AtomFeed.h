#pragma once
// Atom feeds (1.0, and the older 0.3) read into the neutral feed form.
//
// Rules kept here:
//  - A document is an Atom feed when its document element is "feed" in the
//    Atom 1.0 or Atom 0.3 namespace. Only elements of that namespace count.
//  - Text constructs (title, subtitle, summary, content) by their type: html as
//    written, xhtml as its markup (without the wrapping div), text escaped as
//    HTML for descriptions; in titles, text keeps its characters and only "<"
//    is escaped, so that the title's plain text is the text itself. The 0.3
//    types text/plain, text/html and application/xhtml+xml read the same way;
//    a construct holding elements is read as markup whatever its type; a 0.3
//    construct in mode "base64" is decoded first.
//  - Feed: title, subtitle (0.3: tagline) as description, the alternate link
//    as site link.
//  - Entry: title; link: the link whose rel is "alternate" or missing, the
//    first of type text/html when there are several, else the first; media:
//    the first link rel="enclosure" that is audio or video, else the first;
//    description: summary, else content (a content given by src reads as
//    empty); date: updated, else published (0.3: modified, issued, created),
//    read with ParseFeedDate; an http(s) id stands in for a missing link.
//  - Links are resolved against the xml:base of their element and its
//    ancestors; what stays relative, the merge resolves against the feed URL.
#include "feeds/FeedChannel.h"
#include "feeds/XmlDocument.h"

bool IsAtomFeed(const TXMLNode& documentElement);
TFeedChannel ReadAtomFeed(const TXMLNode& documentElement);
