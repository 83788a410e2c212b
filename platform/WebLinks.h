#pragma once
// Which addresses are web addresses (fetched, subscribed, taken as a page's
// link or icon) and which links go to the desktop.
//
// Rules kept here:
//  - A web URL is a valid URL of the scheme http or https, in any letter
//    case, that names a host. Text is taken without the blanks around it and
//    parsed leniently, as the downloader parses what it fetches.
//  - A desktop link is a web URL, an ftp URL that names a host, or a mailto
//    URL that names an address. Paths, file: and every other scheme are not.
#include <QString>

class QUrl;

bool IsWebURL(const QUrl& url);
bool IsWebURL(const QString& text);
bool IsDesktopLink(const QString& link);
