#pragma once
// Site icons ("favicons") of feeds and web links, and the file tests behind
// them. The TNewsData members AssignNodeIcon, AssignSiteIcon, AssignFileIcon,
// AddIconFile and ReloadIcons are defined in SiteIcons.cpp.
//
// Rules kept here on purpose (stored files and other installations rely on them):
//  - An icon file is named after the site prefix of the link: for an http link
//    the prefix without "http://" and without its last character, ":" turned
//    into "_", plus ".ico" ('http://example.com:8080/x' -> example.com_8080.ico),
//    whatever the downloaded format is.
//  - Images/IconList.csv and Images/IconURLList.csv are parallel: line i of
//    each belongs to image i of imIcons; lines 0..9 read "predefined". Both are
//    rewritten in full (CR LF lines) on every registration and never pruned.
//  - A listed icon file that is missing or unreadable still takes its image
//    slot (a placeholder), so image i always stays paired with line i.
//  - The search order is: prefix + "favicon.ico", then the "www" site's
//    favicon.ico (skipped when that is the prefix itself), then the home page's
//    <link rel="shortcut icon"> reference.
//  - FindShortcutIcon only sees lower-case "<link" tags, lower-cases their
//    attributes (so the href comes back lower-cased) and accepts only
//    rel="shortcut icon". It reads a page in one pass, however many tags or
//    attributes it holds.
//  - An icon address read from a home page is fetched only when it is an
//    http or https URL; the downloader reads local files too.
#include <QIcon>
#include <QString>
#include <QStringList>

// The icon file name (without folder) for the site of link; never empty and
// never containing a path separator.
QString IconFileName(const QString& link);

// True when the second little-endian 16-bit word of the file is 0 or 1 (an
// icon directory's type field); false for files shorter than 6 bytes.
bool IsIconFile(const QString& path);
// True for a GIF89 file or a bitmap whose header starts "BM8" or "BM6"
// (compared upper-cased); false for files shorter than 5 bytes.
bool IsPictureFile(const QString& path);
// The picture drawn stretched into 16 x 16 pixels, pure RGB(1,0,0) taken as
// transparent; a null icon when the file cannot be decoded.
QIcon PictureToIcon(const QString& path);
// The image of an icon file at 16 x 16 (the best-fitting image of an ICO
// directory); a null icon when the file cannot be decoded.
QIcon LoadIconFile(const QString& path);
// True when the file's text contains "<HTML>", ignoring case (a server's
// error page saved in place of an icon).
bool IsHtmlFile(const QString& path);
// "http://www" + the last two labels of the link's host, e.g.
// 'http://news.example.com/feed' -> 'http://www.example.com'; the site prefix
// itself when the host has fewer than two dots.
QString WwwSiteURL(const QString& link);
// WwwSiteURL without a trailing "/" (unless it ends the scheme's "//"): the base the lookups put "/favicon.ico"
// or an icon's path after ('http://127.0.0.1:8765/feed' -> 'http://127.0.0.1:8765').
QString WwwSiteBase(const QString& link);
// The href of the first <link ... rel="shortcut icon"> tag, lower-cased;
// empty when there is none.
QString FindShortcutIcon(const QString& html);
// The address of the icon a home page names (FindShortcutIcon): a relative
// ref is taken below www; empty when there is none or it is no http or
// https address.
QString IconAddress(const QString& www, const QString& ref);
// The search for a site's icon, one address after another, whoever
// downloads them (the search order above). Url() is what to fetch next;
// an icon step is answered with whether a usable icon came, the home page
// step with the page's text (empty when it failed).
class TIconSearch {
public:
    explicit TIconSearch(const QString& link);
    bool Done() const { return url.isEmpty(); }
    bool Found() const { return found; }
    const QString& Url() const { return url; }
    // The address of the last icon tried: the one found, when Found().
    const QString& IconUrl() const { return iconUrl; }
    bool WantsPage() const { return step == TStep::HomePage; }
    void IconAnswered(bool usable);
    void PageAnswered(const QString& pageText);

private:
    enum class TStep { SiteFavicon, WwwFavicon, HomePage, NamedIcon };
    void Go(TStep next, const QString& address);
    QString prefix;
    QString www;
    QString url;
    QString iconUrl;
    TStep step = TStep::SiteFavicon;
    bool found = false;
};

// Removes text up to and including the first double quote and cuts the text
// up to the next one (removed too). No quote: empty result, text emptied.
QString CutQuoted(QString& text);

// The registry list files: one entry per line, CR LF line ends. Reading
// tolerates LF or CR alone and a byte-order mark; false when the file cannot
// be read. Writing goes through a temporary file renamed into place.
bool ReadIconListFile(const QString& fileName, QStringList& lines);
bool WriteIconListFile(const QString& fileName, const QStringList& lines);
