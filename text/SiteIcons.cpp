#include "text/SiteIcons.h"

#include "app/NewsGlobals.h"
#include "feeds/URLTools.h"
#include "model/ViewNodes.h"
#include "platform/Clock.h"
#include "platform/Encoding.h"
#include "platform/Shell.h"
#include "platform/WebLinks.h"
#include "text/TextTools.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QHostAddress>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>

namespace {

const QString kPredefinedEntry = QStringLiteral("predefined");
const QString kIconURLListName = QStringLiteral("IconURLList.csv");
constexpr int kIconSize = 16;
// Leaves room for ".ico" and the temporary suffix of a save within the usual
// 255-byte limit of a file name.
constexpr int kMaxIconStem = 180;

QByteArray ReadHead(const QString& path, qint64 count)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(count);
}

bool IsFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

// A registry entry must name a file inside the Images folder.
bool IsPlainFileName(const QString& name)
{
    return !name.isEmpty() && !name.contains('/') && !name.contains('\\') && name != QLatin1String(".")
           && name != QLatin1String("..");
}

QImage ToIconSize(const QImage& image)
{
    if (image.isNull())
        return {};
    QImage canvas(kIconSize, kIconSize, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(0, 0, kIconSize, kIconSize), image);
    p.end();
    return canvas;
}

// Reads every image of the file (an ICO directory holds several sizes) and
// keeps the one that scales best to 16 x 16: the smallest not below 16, else
// the largest.
QImage ReadBestImage(const QString& path, const QByteArray& format)
{
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(format.isEmpty());
    if (!reader.canRead())
        return {};
    QImage best;
    auto better = [](const QImage& candidate, const QImage& current) {
        if (current.isNull())
            return true;
        const int c = std::max(candidate.width(), candidate.height());
        const int b = std::max(current.width(), current.height());
        if (c >= kIconSize && b >= kIconSize)
            return c < b;
        if (c >= kIconSize || b >= kIconSize)
            return c >= kIconSize;
        return c > b;
    };
    // A directory claiming thousands of entries is not worth walking.
    for (int n = 0; n < 64; ++n) {
        const QImage image = reader.read();
        if (!image.isNull() && better(image, best))
            best = image;
        if (!reader.jumpToNextImage())
            break;
    }
    return best;
}

QString IconURLListPath(const QString& imagesFolder)
{
    return imagesFolder + kIconURLListName;
}

// Makes urls line up with files: missing entries become "predefined" within
// the predefined part and empty beyond it; extra entries are dropped.
// True when anything changed.
bool AlignURLs(QStringList& urls, int fileCount, int predefinedCount)
{
    bool changed = false;
    while (urls.size() > fileCount) {
        urls.removeLast();
        changed = true;
    }
    while (urls.size() < fileCount) {
        urls << (urls.size() < predefinedCount ? kPredefinedEntry : QString());
        changed = true;
    }
    return changed;
}

bool IsAbsoluteIconRef(const QString& ref)
{
    return ref.contains(QLatin1String("http:/")) || ref.contains(QLatin1String("https:/"));
}

} // namespace

QString IconAddress(const QString& www, const QString& ref)
{
    if (IsBlank(ref))
        return {};
    QString url = ref;
    if (!IsAbsoluteIconRef(url))
        url = url.startsWith('/') ? www + url : www + '/' + url;
    return IsWebURL(url) ? url : QString();
}

TIconSearch::TIconSearch(const QString& link) : prefix(SitePrefix(link)), www(WwwSiteBase(link))
{
    Go(TStep::SiteFavicon, prefix + QStringLiteral("favicon.ico"));
}

void TIconSearch::Go(TStep next, const QString& address)
{
    step = next;
    url = address;
    if (step != TStep::HomePage)
        iconUrl = address;
}

void TIconSearch::IconAnswered(bool usable)
{
    if (Done() || step == TStep::HomePage)
        return;
    if (usable) {
        found = true;
        url.clear();
    } else if (step == TStep::SiteFavicon && !SameTextAscii(www + '/', prefix)) {
        Go(TStep::WwwFavicon, www + QStringLiteral("/favicon.ico"));
    } else if (step != TStep::NamedIcon) {
        Go(TStep::HomePage, www);
    } else {
        url.clear();
    }
}

void TIconSearch::PageAnswered(const QString& pageText)
{
    if (step != TStep::HomePage)
        return;
    const QString named = IconAddress(www, FindShortcutIcon(pageText));
    if (named.isEmpty())
        url.clear();
    else
        Go(TStep::NamedIcon, named);
}

QString IconFileName(const QString& link)
{
    const QString prefix = SitePrefix(link);
    QString stem;
    const int p = static_cast<int>(prefix.indexOf(QLatin1String("http://")));
    if (p >= 0) {
        const int from = p + 7;
        stem = prefix.mid(from, std::max(0, static_cast<int>(prefix.size()) - 1 - from));
    } else {
        // https and other schemes drop "scheme://" the same way; a link
        // without a scheme keeps its whole prefix.
        const int s = static_cast<int>(prefix.indexOf(QLatin1String("://")));
        const int from = s >= 0 ? s + 3 : 0;
        stem = prefix.mid(from, std::max(0, static_cast<int>(prefix.size()) - 1 - from));
    }
    stem.replace(':', '_');
    for (QChar& c : stem) {
        const char16_t u = c.unicode();
        if (u < 32 || u == 127 || u == '/' || u == '\\' || u == '<' || u == '>' || u == '"' || u == '|'
            || u == '?' || u == '*')
            c = '_';
    }
    // A leading dot would hide the file; dots alone would name no site.
    for (int i = 0; i < stem.size() && stem[i] == '.'; ++i)
        stem[i] = '_';
    if (stem.size() > kMaxIconStem)
        stem.truncate(kMaxIconStem);
    if (stem.isEmpty())
        stem = QStringLiteral("_");
    return stem + QStringLiteral(".ico");
}

bool IsIconFile(const QString& path)
{
    const QByteArray head = ReadHead(path, 6);
    if (head.size() < 6)
        return false;
    const unsigned type = static_cast<unsigned char>(head[2]) | (static_cast<unsigned char>(head[3]) << 8);
    return type == 0 || type == 1;
}

bool IsPictureFile(const QString& path)
{
    const QByteArray head = ReadHead(path, 5);
    if (head.size() < 5)
        return false;
    const QByteArray upper = head.toUpper();
    if (upper.contains("GIF89"))
        return true;
    const QByteArray three = upper.left(3);
    return three == "BM8" || three == "BM6";
}

QIcon PictureToIcon(const QString& path)
{
    QImage canvas = ToIconSize(ReadBestImage(path, QByteArray()));
    if (canvas.isNull())
        return {};
    // The picture list of the original program was masked with RGB(1,0,0).
    for (int y = 0; y < canvas.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        for (int x = 0; x < canvas.width(); ++x)
            if (qAlpha(line[x]) == 255 && qRed(line[x]) == 1 && qGreen(line[x]) == 0 && qBlue(line[x]) == 0)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return QIcon(QPixmap::fromImage(canvas));
}

QIcon LoadIconFile(const QString& path)
{
    QImage image = ReadBestImage(path, QByteArray());
    if (image.isNull())
        image = ReadBestImage(path, QByteArrayLiteral("ico"));
    const QImage canvas = ToIconSize(image);
    if (canvas.isNull())
        return {};
    return QIcon(QPixmap::fromImage(canvas));
}

bool IsHtmlFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray text = f.readAll();
    // Lines joined by commas: a tag split over two lines does not count.
    text.replace("\r\n", ",");
    text.replace('\n', ',');
    text.replace('\r', ',');
    return text.toLower().contains("<html>");
}

QString WwwSiteURL(const QString& link)
{
    const QString t = SitePrefix(link);
    if (t.isEmpty())
        return t;
    // A bare address or this machine has no "www" sibling: its own home page
    // is the place to look ("http://127.0.0.1:8765/" is no "www.0.1").
    const QString host = QUrl(t, QUrl::TolerantMode).host();
    if (!host.isEmpty()
        && (!QHostAddress(host).isNull() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
            || host.endsWith(QLatin1String(".localhost"), Qt::CaseInsensitive)))
        return t;
    const int last = static_cast<int>(t.size()) - 1;
    const int k = static_cast<int>(t.lastIndexOf('.', last - 1));
    if (k < 0)
        return t;
    const int j = k > 0 ? static_cast<int>(t.lastIndexOf('.', k - 1)) : -1;
    if (j < 0)
        return t;
    return QStringLiteral("http://www") + t.mid(j, last - j);
}

QString WwwSiteBase(const QString& link)
{
    QString www = WwwSiteURL(link);
    if (www.endsWith('/') && !www.endsWith(QLatin1String("//")))
        www.chop(1);
    return www;
}

QString CutQuoted(QString& text)
{
    const int q = static_cast<int>(text.indexOf('"'));
    if (q < 0) {
        text.clear();
        return {};
    }
    text.remove(0, q + 1);
    return CutToken(text, QStringLiteral("\""));
}

namespace {
// Reads the attributes of one link tag in a single pass: names end at "=",
// the values of href, rel and type are quoted; any other value runs into the
// next name, as it always has.
struct TLinkAttributes {
    QString href, rel;
};

// CutQuoted from pos on: the text between the next double quote and the one
// after it (or the end); pos moves past the closing quote.
QStringView CutQuotedAt(QStringView attrs, qsizetype& pos)
{
    const qsizetype open = attrs.indexOf('"', pos);
    if (open < 0) {
        pos = attrs.size();
        return {};
    }
    const qsizetype close = attrs.indexOf('"', open + 1);
    const qsizetype end = close < 0 ? attrs.size() : close;
    pos = close < 0 ? attrs.size() : close + 1;
    return attrs.mid(open + 1, end - open - 1);
}

TLinkAttributes ReadLinkAttributes(const QString& lowered)
{
    QStringView attrs(lowered);
    // Trailing blanks go once, before the first name is read.
    qsizetype end = attrs.size();
    while (end > 0 && attrs[end - 1].unicode() <= 32)
        --end;
    attrs = attrs.left(end);
    TLinkAttributes found;
    qsizetype pos = 0;
    for (;;) {
        while (pos < attrs.size() && attrs[pos].unicode() <= 32)
            ++pos;
        if (pos >= attrs.size())
            break;
        const qsizetype eq = attrs.indexOf('=', pos);
        const QStringView name = attrs.mid(pos, (eq < 0 ? attrs.size() : eq) - pos);
        pos = eq < 0 ? attrs.size() : eq + 1;
        if (name == QLatin1String("href"))
            found.href = CutQuotedAt(attrs, pos).toString();
        else if (name == QLatin1String("rel"))
            found.rel = CutQuotedAt(attrs, pos).toString();
        else if (name == QLatin1String("type"))
            CutQuotedAt(attrs, pos);
    }
    return found;
}
} // namespace

QString FindShortcutIcon(const QString& html)
{
    const qsizetype len = html.size();
    qsizetype a = 0;
    while (a < len) {
        const qsizetype b = html.indexOf(QLatin1String("<link"), a);
        if (b < 0)
            break;
        const qsizetype plainEnd = html.indexOf('>', b + 5);
        if (plainEnd < 0)
            break;
        // A "/>" nearer than the first ">" can only be the one that ends there;
        // searching for it separately would scan the rest of the page each time.
        const qsizetype e = (plainEnd - 1 >= b + 5 && html[plainEnd - 1] == '/') ? plainEnd - 1 : plainEnd;
        const TLinkAttributes attrs =
            ReadLinkAttributes(AsciiLower(html.mid(b + 6, std::max<qsizetype>(0, e - (b + 6)))));
        if (attrs.rel == QLatin1String("shortcut icon"))
            return attrs.href;
        a = e + 1;
    }
    return {};
}

bool ReadIconListFile(const QString& fileName, QStringList& lines)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QString text = DecodeText(f.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    lines.clear();
    int start = 0;
    const int len = static_cast<int>(text.size());
    for (int i = 0; i < len; ++i) {
        const QChar c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == '\r' && i + 1 < len && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < len)
        lines << text.mid(start);
    return true;
}

bool WriteIconListFile(const QString& fileName, const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

void TNewsData::AssignNodeIcon(QTreeWidgetItem* node, QString link)
{
    if (!node)
        return;
    TTreeItem* item = NodeItem(node);
    if (!item)
        return;
    SetNodeImages(node, item->IconIdx, item->IconIdx, item->IconIdx);
    if (item->IsKind(kWebLink) || item->IsKind(kFeed))
        AssignSiteIcon(node, link);
    else if (item->IsKind(kFileLink))
        AssignFileIcon(node);
    else if (item->IsKind(kNote))
        SetNodeImages(node, imgNote, imgNote, imgNote);
    else if (item->IsKind(kFolder) && IsBlank(item->Link))
        SetNodeImages(node, imgFolder, imgFolder, imgFolder);
}

void TNewsData::AssignSiteIcon(QTreeWidgetItem* node, QString link)
{
    if (!node)
        return;
    TTreeItem* item = NodeItem(node);
    if (!item)
        return;
    // The downloads below let events run: the node is taken again afterwards
    // only if it still exists.
    const TNodeRef nodeRef(node);
    const qint64 index = NodeDataValue(node);
    const QString prefix = SitePrefix(link);
    const QString iconFile = ImagesFolder + IconFileName(link);
    QString url = prefix;

    if (RefreshIcons)
        item->IconIdx = -1;
    // Negative values other than -1 only come from damaged files; treat them alike.
    const bool needFetch = item->IconIdx < 0 || item->IconIdx >= IconFiles.size();

    // A site that had no icon a short while ago is not asked again yet:
    // the node keeps the provisional picture.
    const bool lookUp = needFetch && IsInternetConnected();
    if (lookUp) {
        if (item->IsKind(kWebLink))
            item->IconIdx = imgWebLink;
        else if (item->IsKind(kNewsItem) || item->IsKind(kFeed))
            item->IconIdx = imgFeed;
    }
    if (lookUp && !RecentIconFailure(prefix) && LookUpIconLater) {
        // The lookup runs beside the caller, which goes on with the
        // provisional icon.
        SetNodeImages(node, item->IconIdx, item->IconIdx, -1);
        LookUpIconLater(node, link);
        return;
    }
    if (lookUp && !RecentIconFailure(prefix)) {
        TIconSearch search(link);
        while (!search.Done()) {
            if (search.WantsPage()) {
                QFile::remove(ScratchFile);
                DownloadURLToFile(search.Url(), ScratchFile);
                QFile page(ScratchFile);
                search.PageAnswered(IsFile(ScratchFile) && page.open(QIODevice::ReadOnly)
                                        ? DecodeText(page.readAll())
                                        : QString());
            } else {
                DownloadURLToFile(search.Url(), iconFile);
                const bool usable = IsFile(iconFile) && !IsHtmlFile(iconFile);
                if (!usable)
                    QFile::remove(iconFile);
                search.IconAnswered(usable);
            }
        }
        url = search.IconUrl();
        NoteIconLookup(prefix, search.Found());
        node = nodeRef.Get();
        item = index < NewsList.Count() ? NewsList.At(static_cast<int>(index)) : nullptr;
        if (!item)
            return;
    }

    if (IsFile(iconFile)) {
        if (needFetch)
            item->SetIconURL(url);
        try {
            const int idx = AddIconFile(iconFile, url);
            if (idx != -1) {
                item->IconIdx = idx;
                item->SetIconURL(IconURLs.value(idx));
            }
        } catch (...) {
            // A failed registration leaves the provisional icon in place.
        }
    }

    if (node)
        SetNodeImages(node, item->IconIdx, item->IconIdx, -1);
}

bool TNewsData::RecentIconFailure(const QString& prefix) const
{
    const auto found = FailedIconSites.constFind(prefix.toLower());
    if (found == FailedIconSites.constEnd())
        return false;
    const QDateTime now = Clock().Now();
    // A clock set back counts as a day gone.
    return *found <= now && found->secsTo(now) < 24 * 3600;
}

void TNewsData::NoteIconLookup(const QString& prefix, bool found)
{
    if (found) {
        FailedIconSites.remove(prefix.toLower());
        return;
    }
    // Cancelled lookups (program end, a deleting command) tell nothing.
    if (!DownloadsCancelled())
        FailedIconSites.insert(prefix.toLower(), Clock().Now());
}

void TNewsData::AssignFileIcon(QTreeWidgetItem* node)
{
    if (!node)
        return;
    TTreeItem* item = NodeItem(node);
    SetNodeImages(node, -1, -1, -1);
    if (item && (item->IsKind(kFileLink) || item->IsKind(kFolder))) {
        const QString& path = item->Link;
        // Network paths are never probed: a lookup can hang on an absent server.
        const bool network = path.startsWith(QLatin1String("\\\\")) || path.startsWith(QLatin1String("//"));
        if (!network && !path.isEmpty() && QFileInfo::exists(path)) {
            const QIcon icon = Shell().FileIcon(path);
            if (icon.isNull())
                return;
            const int idx = imIcons.Add(icon);
            SetNodeImages(node, idx, idx, -1);
            item->IconIdx = idx;
            return;
        }
    }
    SetNodeImages(node, imgMissingFile, imgMissingFile, -1);
    if (item)
        item->IconIdx = imgMissingFile;
}

int TNewsData::RegisteredIcon(const QString& iconFile) const
{
    const QString name = QFileInfo(iconFile).fileName();
    for (int i = PredefinedIconCount; i < IconFiles.size(); ++i)
        if (SameTextAscii(IconFiles[i], name))
            return i;
    return -1;
}

int TNewsData::AddIconFile(const QString& iconFile, const QString& url)
{
    const int known = RegisteredIcon(iconFile);
    if (known >= 0)
        return known;
    const QString name = QFileInfo(iconFile).fileName();

    bool usable = IsIconFile(iconFile) && !LoadIconFile(iconFile).isNull();
    if (!usable && IsPictureFile(iconFile))
        usable = !PictureToIcon(iconFile).isNull();
    if (!usable)
        return -1;

    IconURLs << url;
    IconFiles << name;
    AlignURLs(IconURLs, static_cast<int>(IconFiles.size()), PredefinedIconCount);
    if (!WriteIconListFile(IconURLListPath(ImagesFolder), IconURLs)
        || !WriteIconListFile(IconListFile, IconFiles)) {
        // Keep memory and disk telling the same story: the icon stays unregistered.
        IconURLs.removeLast();
        IconFiles.removeLast();
        WriteIconListFile(IconURLListPath(ImagesFolder), IconURLs);
        return -1;
    }
    ReloadIcons();
    const int idx = static_cast<int>(IconFiles.size()) - 1;
    return SameTextAscii(IconFiles.value(idx), name) ? idx : -1;
}

void TNewsData::ReloadIcons()
{
    imIcons.Truncate(PredefinedIconCount);
    const QString urlList = IconURLListPath(ImagesFolder);

    QStringList files;
    if (QFileInfo::exists(IconListFile) && ReadIconListFile(IconListFile, files)) {
        // Indexes below PredefinedIconCount are the drawn images whatever the
        // file says; a short file is padded so that new icons land after them.
        while (files.size() < PredefinedIconCount)
            files << kPredefinedEntry;
        QStringList urls;
        const bool haveURLs = ReadIconListFile(urlList, urls);
        const bool changed = AlignURLs(urls, static_cast<int>(files.size()), PredefinedIconCount);
        IconFiles = files;
        IconURLs = urls;
        if (!haveURLs || changed)
            WriteIconListFile(urlList, IconURLs); // a failure is repaired again next start
    } else {
        AlignURLs(IconURLs, static_cast<int>(IconFiles.size()), PredefinedIconCount);
        if (!QFileInfo::exists(IconListFile)) {
            WriteIconListFile(IconListFile, IconFiles);
            WriteIconListFile(urlList, IconURLs);
        }
    }

    for (int i = PredefinedIconCount; i < IconFiles.size(); ++i) {
        QIcon icon;
        const QString& entry = IconFiles[i];
        if (IsPlainFileName(entry)) {
            const QString f = ImagesFolder + entry;
            if (IsFile(f)) {
                if (IsIconFile(f))
                    icon = LoadIconFile(f);
                else
                    icon = PictureToIcon(f);
            }
        }
        imIcons.Add(icon.isNull() ? TImageList::Placeholder() : icon);
    }
    // The shell icons of file nodes went with the truncation above.
    if (IconsReloaded)
        IconsReloaded();
}
