#include "text/SiteIcons.h"

#include "support/FakeConnectivity.h"
#include "support/FakeClock.h"
#include "support/FakeDownloader.h"

#include "app/NewsGlobals.h"
#include "model/ViewNodes.h"
#include "platform/Connectivity.h"
#include "platform/Downloader.h"
#include "platform/Shell.h"
#include "support/TempFolder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

// Answers from a table; unknown URLs fail and leave the target untouched.
class IconShell final : public IShell {
public:
    IconShell() { SetShell(this); }
    ~IconShell() override { SetShell(nullptr); }
    bool OpenUrl(const QString&) override { return false; }
    bool StartProgram(const QString&, const QString&) override { return false; }
    QString DefaultOpenCommand(const QString&) override { return {}; }
    QIcon FileIcon(const QString& path) override
    {
        probed << path;
        return icon;
    }
    QIcon icon;
    QStringList probed;
};

QByteArray Encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage Filled(int w, int h, QColor color)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

QByteArray IcoBytes(QColor color) { return Encoded(Filled(16, 16, color), "ICO"); }

// A 1 x 1 red GIF89a (Qt reads GIF but does not write it).
const QByteArray kGif89 = QByteArray::fromHex("4749463839610100010080000" "0ff0000000000"
                                              "21f90400000000002c00000000010001000002024401003b");
// Type word 0 passes the icon test, but nothing can decode it.
const QByteArray kGarbageIcon = QByteArray::fromHex("00000000") + QByteArray(40, 'x');
const QByteArray kHtmlPage = "<!DOCTYPE x>\r\n<HTML><body>404 Not Found</body></html>";

QImage ImageOf(const QIcon& icon) { return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32); }
bool IsPlaceholder(const QIcon& icon) { return ImageOf(icon) == ImageOf(TImageList::Placeholder()); }

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray CrLfLines(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines)
        out += l.toUtf8() + "\r\n";
    return out;
}

QStringList Predefined() { return QStringList(10, QStringLiteral("predefined")); }

TEST(IconFileNameTest, BuiltFromTheSitePrefix)
{
    const struct {
        const char* link;
        const char* name;
    } cases[] = {
        {"http://news.example.com/rss", "news.example.com.ico"},
        {"http://example.com:8080/x", "example.com_8080.ico"},
        {"http://example.com", "example.com.ico"}, // prefix ends in the appended backslash
        {"https://secure.example.org/feed", "secure.example.org.ico"},
        {"http://user:pw@host/x", "user_pw@host.ico"},
        {"http://a\\b/c", "a_b.ico"},
        {"http://../x", "__.ico"},
        {"http://.hidden/x", "_hidden.ico"},
        {"file:///etc/passwd", "_.ico"},
        {"", "_.ico"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IconFileName(c.link), QString(c.name)) << c.link;

    for (const char* link : {"feed.xml", "/etc/passwd", "..", "http://", "ftp://x/y", "\\\\srv\\share\\f"}) {
        const QString name = IconFileName(link);
        EXPECT_FALSE(name.contains('/') || name.contains('\\') || name.startsWith('.')) << link << qPrintable(name);
        EXPECT_TRUE(name.endsWith(".ico") && name.size() > 4) << link;
    }
}

TEST(SiteIconTextTest, WwwSiteURL)
{
    const struct {
        const char* link;
        const char* www;
    } cases[] = {
        {"http://news.example.com/feed", "http://www.example.com"},
        {"http://www.example.com/rss", "http://www.example.com"},
        {"http://example.com/rss", "http://example.com/"},
        {"http://a.b.example.co.uk/x", "http://www.co.uk"},
        {"http://localhost:8080/x", "http://localhost:8080/"},
        {"http://127.0.0.1:8765/feed", "http://127.0.0.1:8765/"}, // no "www.0.1"
        {"http://10.1.2.3/x", "http://10.1.2.3/"},
        {"http://[::1]:80/x", "http://[::1]:80/"},
        {"http://a.localhost/x", "http://a.localhost/"},
        {"http://example.com", "http://example.com\\"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WwwSiteURL(c.link), QString(c.www)) << c.link;
        // The base the lookups append "/favicon.ico" to: never "//favicon.ico".
        const QString www(c.www);
        EXPECT_EQ(WwwSiteBase(c.link), www.endsWith('/') ? www.chopped(1) : www) << c.link;
    }
}

TEST(SiteIconTextTest, CutQuoted)
{
    const struct {
        const char* text;
        const char* value;
        const char* rest;
    } cases[] = {
        {"=\"abc\" rel=\"x\"", "abc", " rel=\"x\""},
        {"\"\"tail", "", "tail"},
        {"no quotes at all", "", ""},
        {"=\"unterminated", "unterminated", ""},
        {"a\"b\"c\"d\"", "b", "c\"d\""},
    };
    for (const auto& c : cases) {
        QString text = c.text;
        EXPECT_EQ(CutQuoted(text), QString(c.value)) << c.text;
        EXPECT_EQ(text, QString(c.rest)) << c.text;
    }
}

TEST(SiteIconTextTest, FindShortcutIcon)
{
    const struct {
        const char* html;
        const char* href;
    } cases[] = {
        {"<head><link rel=\"shortcut icon\" href=\"/Img/Fav.ICO\"></head>", "/img/fav.ico"},
        {"<link href=\"a.ico\" rel=\"shortcut icon\"/>", "a.ico"},
        {"<link rel=\"stylesheet\" href=\"s.css\"><link type=\"image/x-icon\" rel=\"shortcut icon\" href=\"i.ico\" />",
         "i.ico"},
        {"<link REL=\"Shortcut Icon\" HREF=\"http://cdn.example.net/X.ico\">", "http://cdn.example.net/x.ico"},
        {"<link rel=\"shortcut icon\" href=\"1.ico\"><link rel=\"shortcut icon\" href=\"2.ico\">", "1.ico"},
        {"<LINK REL=\"shortcut icon\" HREF=\"/caps.ico\">", ""},
        {"<link rel=\"icon\" href=\"/only-icon.ico\">", ""},
        {"<link rel=\"shortcut icon\" href=\"/never-closed.ico\"", ""},
        {"<link><p>plain page</p>", ""},
        {"", ""},
        // Where a tag ends: a "/" right before the first ">" is not part of it.
        {"<link rel=\"shortcut icon\" href=\"x.ico\" / >", "x.ico"},
        {"<link/><link rel=\"shortcut icon\" href=\"y.ico\">", "y.ico"},
        {"<link href=\"a/>b.ico\" rel=\"shortcut icon\">", ""}, // the tag ends inside the quotes
        {"<link rel=\"shortcut icon\" href=\"a/b.ico\"/>", "a/b.ico"},
        // How attributes are read: names end at "=", only three values are cut.
        {"<link title=\"t\" rel=\"shortcut icon\" href=\"x.ico\">", ""}, // t's value runs into "rel"
        {"<link rel = \"shortcut icon\" href=\"x.ico\">", ""},
        {"<link rel=\"shortcut icon\" href=\"x.ico\" rel >", ""}, // the last "rel" empties it
        {"<link rel=\"shortcut icon\" href=\"x.ico\" rel x>", "x.ico"},
        {"<link rel=\"shortcut icon\" href=\"x.ico   >", "x.ico"}, // unterminated, blanks dropped
        {"<link rel=\"shortcut icon\"\thref=\"\"other.ico\">", ""},
        {"<linkrel=\"shortcut icon\" href=\"x.ico\">", ""}, // one character after "<link" is skipped
        {"<link rel=\"shortcut icon\" type=\"image/x-icon\" href=\"t.ico\" type=\"x\">", "t.ico"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindShortcutIcon(c.html), QString(c.href)) << c.html;
}

// A home page of nothing but link tags once took seconds per hundred kilobytes.
TEST(SiteIconTextTest, FindShortcutIconOnLargePages)
{
    const int n = 100000;
    const QString styles = QString("<link rel=\"stylesheet\" href=\"s.css\">").repeated(n);
    const QString icon = "<link rel=\"shortcut icon\" href=\"/last.ico\">";
    QString hugeTag = "<link";
    for (int i = 0; i < n; ++i)
        hugeTag += i % 2 ? " type=\"t\"" : " href=\"h\"";
    const struct {
        const char* name;
        QString html;
        QString href;
    } cases[] = {
        {"link tags, the icon last", styles + icon, "/last.ico"},
        {"link tags without an icon", styles, ""},
        {"unclosed link tags", QString("<link rel=\"shortcut icon\" ").repeated(n), ""},
        {"one tag of many attributes", hugeTag + " rel=\"shortcut icon\" href=\"/f.ico\">", "/f.ico"},
        {"many attributes, no icon", hugeTag + ">" + icon, "/last.ico"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindShortcutIcon(c.html), c.href) << c.name;
}

TEST(SiteIconFilesTest, HeaderTests)
{
    QTemporaryDir dir;
    const struct {
        QByteArray bytes;
        bool icon;
        bool picture;
    } cases[] = {
        {QByteArray::fromHex("000001000100"), true, false},
        {QByteArray::fromHex("000000000000"), true, false},
        {QByteArray::fromHex("000002000100"), false, false}, // a cursor
        {QByteArray::fromHex("0000010001"), false, false},   // too short for the icon test
        {"GIF89a....", false, true},
        {"gif89a....", false, true},
        {"GIF87a....", false, false},
        {QByteArray::fromHex("424d36030000"), false, true}, // "BM6"
        {QByteArray::fromHex("424d38000000"), false, true}, // "BM8"
        {QByteArray::fromHex("626d360000"), false, true},   // "bm6"
        {QByteArray::fromHex("424d37000000"), false, false}, // "BM7"
        {"BM6", false, false}, // too short for the picture test
        {"\x89PNG\r\n\x1a\n", false, false},
        {"", false, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::number(n++));
        WriteBytes(path, c.bytes);
        EXPECT_EQ(IsIconFile(path), c.icon) << c.bytes.toHex().constData();
        EXPECT_EQ(IsPictureFile(path), c.picture) << c.bytes.toHex().constData();
    }
    EXPECT_FALSE(IsIconFile(dir.filePath("missing")));
    EXPECT_FALSE(IsPictureFile(dir.filePath("missing")));
}

TEST(SiteIconFilesTest, HtmlDetection)
{
    QTemporaryDir dir;
    const struct {
        QByteArray bytes;
        bool html;
    } cases[] = {
        {kHtmlPage, true},
        {"<html>", true},
        {"line one\n<HtMl>\nline three", true},
        {"<html lang=\"en\">", false},
        {"<ht\r\nml>", false},
        {IcoBytes(Qt::blue), false},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::number(n++));
        WriteBytes(path, c.bytes);
        EXPECT_EQ(IsHtmlFile(path), c.html) << c.bytes.left(40).constData();
    }
    EXPECT_FALSE(IsHtmlFile(dir.filePath("missing")));
}

TEST(SiteIconFilesTest, PicturesBecome16By16Icons)
{
    QTemporaryDir dir;
    const QByteArray bmp = Encoded(Filled(16, 16, QColor(0, 128, 255)), "BMP");
    ASSERT_TRUE(bmp.startsWith("BM6")); // 54 + 16 * 16 * 3 = 0x336
    WriteBytes(dir.filePath("p.bmp"), bmp);
    WriteBytes(dir.filePath("wide.bmp"), Encoded(Filled(64, 8, Qt::green), "BMP"));
    WriteBytes(dir.filePath("mask.bmp"), Encoded(Filled(4, 4, QColor(1, 0, 0)), "BMP"));
    WriteBytes(dir.filePath("g.gif"), kGif89);
    WriteBytes(dir.filePath("junk"), "BM6 not really a bitmap");

    const struct {
        const char* file;
        std::optional<QColor> centre; // none: no icon
    } cases[] = {
        {"p.bmp", QColor(0, 128, 255)}, {"wide.bmp", QColor(Qt::green)}, {"mask.bmp", QColor(0, 0, 0, 0)},
        {"g.gif", QColor(Qt::red)},     {"junk", std::nullopt},          {"missing", std::nullopt},
    };
    for (const auto& c : cases) {
        const QIcon icon = PictureToIcon(dir.filePath(c.file));
        ASSERT_EQ(icon.isNull(), !c.centre.has_value()) << c.file;
        if (!c.centre)
            continue;
        const QImage image = ImageOf(icon);
        EXPECT_EQ(image.size(), QSize(16, 16)) << c.file;
        EXPECT_EQ(image.pixelColor(8, 8), *c.centre) << c.file;
        EXPECT_EQ(image.pixelColor(15, 15), *c.centre) << c.file; // stretched, not centred
    }
}

// A program folder with an existing Images folder, so RefreshIcons starts off.
class SiteIconTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(home.File("Images"))); }
    void Start() { data = std::make_unique<TNewsData>(home.Path()); }
    QString Images(const QString& name) const { return home.File("Images/" + name); }

    QTreeWidgetItem* AddNode(const QString& kind, const QString& link, int iconIdx = -1)
    {
        TTreeItem item(kind, "t", link, "", "", "0");
        item.IconIdx = iconIdx;
        const int index = data->NewsList.AddCopy(item);
        return AddViewNode(&view, nullptr, "n", index);
    }
    TTreeItem* Item(QTreeWidgetItem* node) const { return data->NodeItem(node); }
    QList<int> Images(QTreeWidgetItem* node) const
    {
        return {NodeImage(node), NodeSelectedImage(node), NodeStateImage(node)};
    }

    TempProgramFolder home;
    FakeDownloader net;
    FakeConnectivity link;
    IconShell shell;
    std::unique_ptr<TNewsData> data;
    QTreeWidget view;
};

TEST_F(SiteIconTest, FirstStartWritesThePredefinedLines)
{
    QDir(home.File("Images")).removeRecursively();
    Start();
    EXPECT_TRUE(data->RefreshIcons);
    EXPECT_EQ(ReadBytes(Images("IconList.csv")), CrLfLines(Predefined()));
    EXPECT_EQ(ReadBytes(Images("IconURLList.csv")), CrLfLines(Predefined()));
}

TEST_F(SiteIconTest, ReloadKeepsImagesPairedWithTheRegistry)
{
    WriteBytes(Images("blue.ico"), IcoBytes(Qt::blue));
    WriteBytes(Images("zero.ico"), QByteArray());
    WriteBytes(Images("garbage.ico"), kGarbageIcon);
    WriteBytes(Images("gif.ico"), kGif89);
    WriteBytes(Images("green.ico"), IcoBytes(Qt::green));
    const QStringList files = Predefined() << "blue.ico" << "missing.ico" << "zero.ico" << "garbage.ico"
                                           << "gif.ico" << "../green.ico" << "green.ico";
    WriteBytes(Images("IconList.csv"), CrLfLines(files));
    WriteBytes(Images("IconURLList.csv"), CrLfLines(Predefined() << "u1" << "u2" << "u3" << "u4" << "u5"
                                                                 << "u6" << "u7"));
    Start();
    ASSERT_EQ(data->imIcons.Count(), 17);
    EXPECT_EQ(data->IconFiles, files);
    EXPECT_EQ(data->IconURLs.value(16), "u7");
    const struct {
        int index;
        std::optional<QColor> colour; // none: placeholder
    } cases[] = {{10, QColor(Qt::blue)}, {11, std::nullopt}, {12, std::nullopt}, {13, std::nullopt},
                 {14, QColor(Qt::red)},  {15, std::nullopt}, {16, QColor(Qt::green)}};
    for (const auto& c : cases) {
        const QIcon icon = data->imIcons.Icon(c.index);
        EXPECT_EQ(IsPlaceholder(icon), !c.colour.has_value()) << c.index;
        if (c.colour)
            EXPECT_EQ(ImageOf(icon).pixelColor(8, 8), *c.colour) << c.index;
    }
}

TEST_F(SiteIconTest, UrlListIsRepairedToMatchTheFileList)
{
    const QStringList files = Predefined() << "a.ico" << "b.ico";
    const struct {
        const char* name;
        std::optional<QByteArray> urlFile; // none: missing
        QStringList urls;
    } cases[] = {
        {"missing", std::nullopt, Predefined() << "" << ""},
        {"short", CrLfLines(QStringList{"predefined", "predefined"}), Predefined() << "" << ""},
        {"long", CrLfLines(Predefined() << "ua" << "ub" << "extra"), Predefined() << "ua" << "ub"},
        {"lf only", (QStringList(Predefined() << "ua" << "ub").join('\n') + '\n').toUtf8(),
         Predefined() << "ua" << "ub"},
    };
    for (const auto& c : cases) {
        WriteBytes(Images("IconList.csv"), CrLfLines(files));
        QFile::remove(Images("IconURLList.csv"));
        if (c.urlFile)
            WriteBytes(Images("IconURLList.csv"), *c.urlFile);
        Start();
        EXPECT_EQ(data->IconURLs, c.urls) << c.name;
        EXPECT_EQ(data->imIcons.Count(), 12) << c.name;
        QStringList onDisk;
        ASSERT_TRUE(ReadIconListFile(Images("IconURLList.csv"), onDisk)) << c.name;
        EXPECT_EQ(onDisk, c.urls) << c.name;
        data.reset();
    }
}

TEST_F(SiteIconTest, FetchOrderAndRegistration)
{
    const QByteArray ico = IcoBytes(Qt::blue);
    const QByteArray page = "<html><head><link rel=\"shortcut icon\" href=\"/Img/Fav.ico\"></head></html>";
    const struct {
        const char* name;
        const char* link;
        QMap<QString, QByteArray> served;
        QStringList tried;
        const char* file;
    } cases[] = {
        {"prefix favicon", "http://news.example.com/rss", {{"http://news.example.com/favicon.ico", ico}},
         {"http://news.example.com/favicon.ico"}, "news.example.com.ico"},
        {"www favicon after an error page", "http://news.example.com/rss",
         {{"http://news.example.com/favicon.ico", kHtmlPage}, {"http://www.example.com/favicon.ico", ico}},
         {"http://news.example.com/favicon.ico", "http://www.example.com/favicon.ico"}, "news.example.com.ico"},
        {"www host skips the second attempt", "http://www.example.com/rss",
         {{"http://www.example.com", page}, {"http://www.example.com/img/fav.ico", ico}},
         {"http://www.example.com/favicon.ico", "http://www.example.com", "http://www.example.com/img/fav.ico"},
         "www.example.com.ico"},
        {"bare host asks its favicon once", "http://example.com/rss",
         {{"http://example.com", "<link rel=\"shortcut icon\" href=\"/i.ico\">"}, {"http://example.com/i.ico", ico}},
         {"http://example.com/favicon.ico", "http://example.com", "http://example.com/i.ico"},
         "example.com.ico"},
        {"relative reference", "http://example.com/rss",
         {{"http://example.com", "<link rel=\"shortcut icon\" href=\"i.ico\">"}, {"http://example.com/i.ico", ico}},
         {"http://example.com/favicon.ico", "http://example.com", "http://example.com/i.ico"},
         "example.com.ico"},
        {"absolute reference", "http://www.example.com/rss",
         {{"http://www.example.com", "<link rel=\"shortcut icon\" href=\"http://cdn.example.net/f.ico\">"},
          {"http://cdn.example.net/f.ico", ico}},
         {"http://www.example.com/favicon.ico", "http://www.example.com", "http://cdn.example.net/f.ico"},
         "www.example.com.ico"},
        {"https prefix", "https://secure.example.org/feed", {{"https://secure.example.org/favicon.ico", ico}},
         {"https://secure.example.org/favicon.ico"}, "secure.example.org.ico"},
        {"GIF89 icon", "http://news.example.com/rss", {{"http://news.example.com/favicon.ico", kGif89}},
         {"http://news.example.com/favicon.ico"}, "news.example.com.ico"},
    };
    for (const auto& c : cases) {
        TempProgramFolder fresh;
        QDir().mkpath(fresh.File("Images"));
        TNewsData d(fresh.Path());
        FakeDownloader& dl = net;
        dl.Reset();
        for (auto it = c.served.begin(); it != c.served.end(); ++it)
            dl.Serve(it.key(), it.value());
        TTreeItem feed(kFeed, "t", c.link, "", "", "0");
        QTreeWidgetItem* node = AddViewNode(&view, nullptr, "n", d.NewsList.AddCopy(feed));

        d.AssignSiteIcon(node, c.link);
        EXPECT_EQ(dl.Urls(), c.tried) << c.name;
        TTreeItem* item = d.NodeItem(node);
        EXPECT_EQ(item->IconIdx, 10) << c.name;
        EXPECT_EQ(item->IconURL(), c.tried.last()) << c.name;
        EXPECT_EQ(QList<int>({NodeImage(node), NodeSelectedImage(node), NodeStateImage(node)}),
                  QList<int>({10, 10, -1}))
            << c.name;
        EXPECT_EQ(ReadBytes(fresh.File("Images/IconList.csv")), CrLfLines(Predefined() << c.file)) << c.name;
        EXPECT_EQ(ReadBytes(fresh.File("Images/IconURLList.csv")), CrLfLines(Predefined() << c.tried.last()))
            << c.name;
        EXPECT_EQ(d.imIcons.Count(), 11) << c.name;
    }
}

// An icon address read from a page is fetched from the web only; the
// downloader would read local files too.
TEST_F(SiteIconTest, PageIconsComeOnlyFromTheWeb)
{
    const QByteArray ico = IcoBytes(Qt::blue);
    auto page = [](const char* href) {
        return QByteArray("<html><link rel=\"shortcut icon\" href=\"") + href + "\"></html>";
    };
    const struct {
        const char* name;
        const char* link;
        const char* www; // the page searched for the icon
        const char* href;
        const char* resolved;
        bool fetched;
    } cases[] = {
        {"ftp", "http://www.example.com/rss", "http://www.example.com", "ftp://ftp.example.net/http://x.ico",
         "ftp://ftp.example.net/http://x.ico", false},
        {"file", "http://www.example.com/rss", "http://www.example.com", "file:///etc/http:/passwd",
         "file:///etc/http:/passwd", false},
        {"file link resolves on the site", "http://www.example.com/rss", "http://www.example.com",
         "file:///etc/passwd", "http://www.example.com/file:///etc/passwd", true},
        {"local feed", "file:///srv/feeds/rss.xml", "file:///", "i.ico", "file:////i.ico", false},
        {"https", "http://www.example.com/rss", "http://www.example.com", "https://cdn.example.net/f.ico",
         "https://cdn.example.net/f.ico", true},
        {"scheme in capitals", "HTTP://EXAMPLE.COM/rss", "HTTP://EXAMPLE.COM", "i.ico", "HTTP://EXAMPLE.COM/i.ico",
         true},
    };
    for (const auto& c : cases) {
        TempProgramFolder fresh;
        QDir().mkpath(fresh.File("Images"));
        TNewsData d(fresh.Path());
        net.Reset();
        net.Serve(c.www, page(c.href));
        net.Serve(c.resolved, ico);
        TTreeItem feed(kFeed, "t", c.link, "", "", "0");
        QTreeWidgetItem* node = AddViewNode(&view, nullptr, "n", d.NewsList.AddCopy(feed));

        d.AssignSiteIcon(node, c.link);
        EXPECT_EQ(net.CallCount(c.www), 1) << c.name;
        EXPECT_EQ(net.CallCount(c.resolved), c.fetched ? 1 : 0) << c.name;
        EXPECT_EQ(net.Urls().last(), c.fetched ? c.resolved : c.www) << c.name;
        EXPECT_EQ(d.NodeItem(node)->IconIdx, c.fetched ? 10 : 2) << c.name;
        EXPECT_EQ(d.IconFiles.size(), c.fetched ? 11 : 10) << c.name;
    }
}

TEST_F(SiteIconTest, UnusableDownloadsKeepTheProvisionalIcon)
{
    Start();
    data->RefreshIcons = false;
    const struct {
        const char* kind;
        QByteArray body; // empty: every download fails
        int provisional;
    } cases[] = {
        {"RSH", Encoded(Filled(16, 16, Qt::red), "PNG"), 2},
        {"WEB", Encoded(Filled(16, 16, Qt::red), "PNG"), 4},
        {"WEB", QByteArray(), 4},
        {"RSH", kGarbageIcon, 2},
        {"RSS", kHtmlPage, 2},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString host = QString("h%1.example.com").arg(n++);
        const QString link = "http://" + host + "/x";
        if (!c.body.isEmpty())
            net.Serve("http://" + host + "/favicon.ico", c.body);
        QTreeWidgetItem* node = AddNode(c.kind, link);
        data->AssignSiteIcon(node, link);
        EXPECT_EQ(Item(node)->IconIdx, c.provisional) << c.kind << c.body.size();
        // A file that stays but is no icon still records where it came from.
        const bool kept = c.body.size() > 0 && c.body != kHtmlPage;
        EXPECT_EQ(Item(node)->IconURL(), kept ? "http://" + host + "/favicon.ico" : QString()) << c.kind;
        EXPECT_EQ(Images(node), QList<int>({c.provisional, c.provisional, -1}));
    }
    EXPECT_EQ(data->IconFiles, Predefined());
    EXPECT_EQ(data->imIcons.Count(), 10);
}

TEST_F(SiteIconTest, StaleScratchFileIsNotReadAsTheHomePage)
{
    Start();
    WriteBytes(data->ScratchFile, "<link rel=\"shortcut icon\" href=\"stale.ico\">");
    QTreeWidgetItem* node = AddNode(kFeed, "http://news.example.com/rss");
    data->AssignSiteIcon(node, "http://news.example.com/rss");
    // A page that did not come names no icon: nothing is asked again.
    EXPECT_EQ(net.Urls(), QStringList({"http://news.example.com/favicon.ico", "http://www.example.com/favicon.ico",
                                     "http://www.example.com"}));
    EXPECT_FALSE(QFile::exists(data->ScratchFile));
}

TEST_F(SiteIconTest, FeedsOfOneSiteShareOneEntry)
{
    Start();
    net.Serve("http://news.example.com/favicon.ico", IcoBytes(Qt::blue));
    QTreeWidgetItem* a = AddNode(kFeed, "http://news.example.com/rss");
    QTreeWidgetItem* b = AddNode(kWebLink, "http://news.example.com/world/page.html");
    data->AssignSiteIcon(a, "http://news.example.com/rss");
    data->AssignSiteIcon(b, "http://news.example.com/world/page.html");
    EXPECT_EQ(Item(a)->IconIdx, 10);
    EXPECT_EQ(Item(b)->IconIdx, 10);
    EXPECT_EQ(data->IconFiles, Predefined() << "news.example.com.ico");
    EXPECT_EQ(data->imIcons.Count(), 11);
    EXPECT_EQ(data->AddIconFile(Images("NEWS.Example.COM.ico"), "other"), 10);
}

TEST_F(SiteIconTest, StoredIndexesAndRefresh)
{
    WriteBytes(Images("news.example.com.ico"), IcoBytes(Qt::blue));
    WriteBytes(Images("IconList.csv"), CrLfLines(Predefined() << "other.ico" << "news.example.com.ico"));
    WriteBytes(Images("IconURLList.csv"), CrLfLines(Predefined() << "u-other" << "u-news"));
    Start();
    net.Serve("http://news.example.com/favicon.ico", IcoBytes(Qt::green));
    const QString feed = "http://news.example.com/rss";
    const struct {
        const char* name;
        bool refresh;
        bool online;
        int stored;
        int downloads;
        int expected;
        const char* url;
    } cases[] = {
        // A valid stored index is re-resolved by the file's name, without a download.
        {"valid index from elsewhere", false, true, 10, 0, 11, "u-news"},
        {"index past the registry", false, false, 40, 0, 11, "u-news"},
        {"offline without index", false, false, -1, 0, 11, "u-news"},
        {"refresh forces a fetch", true, true, 11, 1, 11, "u-news"},
    };
    for (const auto& c : cases) {
        net.ClearCalls();
        data->RefreshIcons = c.refresh;
        link.SetConnected(c.online);
        QTreeWidgetItem* node = AddNode(kFeed, feed, c.stored);
        data->AssignSiteIcon(node, feed);
        EXPECT_EQ(net.Urls().size(), c.downloads) << c.name;
        EXPECT_EQ(Item(node)->IconIdx, c.expected) << c.name;
        EXPECT_EQ(Item(node)->IconURL(), QString(c.url)) << c.name;
    }
    // The refetch replaced the file; the registry did not grow.
    EXPECT_EQ(ImageOf(PictureToIcon(Images("news.example.com.ico"))).pixelColor(8, 8), QColor(Qt::green));
    EXPECT_EQ(data->IconFiles.size(), 12);
}

TEST_F(SiteIconTest, OfflineKeepsTheStoredIndex)
{
    Start();
    link.SetConnected(false);
    for (int stored : {-1, 4, 7}) {
        QTreeWidgetItem* node = AddNode(kFeed, "http://nothing.example.com/rss", stored);
        data->AssignSiteIcon(node, "http://nothing.example.com/rss");
        EXPECT_EQ(Item(node)->IconIdx, stored);
        EXPECT_EQ(Images(node), QList<int>({stored, stored, -1}));
    }
    EXPECT_TRUE(net.Urls().isEmpty());
}

TEST_F(SiteIconTest, AddIconFileRegistersOnlyUsableFiles)
{
    Start();
    const struct {
        const char* file;
        QByteArray bytes;
        int index;
    } cases[] = {
        {"zero.ico", QByteArray(), -1},
        {"garbage.ico", kGarbageIcon, -1},
        {"png.ico", Encoded(Filled(16, 16, Qt::red), "PNG"), -1},
        {"bmp.ico", Encoded(Filled(16, 16, Qt::red), "BMP"), 10},
        {"real.ico", IcoBytes(Qt::blue), 11},
        {"REAL.ICO", QByteArray(), 11}, // known by name, the file is not looked at
    };
    for (const auto& c : cases) {
        if (!c.bytes.isEmpty())
            WriteBytes(Images(c.file), c.bytes);
        EXPECT_EQ(data->AddIconFile(Images(c.file), QString("url-") + c.file), c.index) << c.file;
    }
    EXPECT_EQ(data->IconFiles, Predefined() << "bmp.ico" << "real.ico");
    EXPECT_EQ(ReadBytes(Images("IconURLList.csv")), CrLfLines(Predefined() << "url-bmp.ico" << "url-real.ico"));
    EXPECT_EQ(data->imIcons.Count(), 12);
}

TEST_F(SiteIconTest, NodeIconByKind)
{
    Start();
    link.SetConnected(false);
    QTemporaryDir dir;
    const struct {
        const char* kind;
        QString link;
        QList<int> images;
    } cases[] = {
        {"NTS", "", {0, 0, 0}},
        {"fld", "", {3, 3, 3}},
        {"FLD", "/some/folder", {6, 6, 6}}, // keeps its stored index
        {"RSS", "http://x.example.com/item", {6, 6, 6}},
        {"RSH", "http://x.example.com/rss", {6, 6, -1}},
        {"WEB", "http://x.example.com/", {6, 6, -1}},
        {"FIL", dir.path() + "/absent.txt", {1, 1, -1}},
    };
    for (const auto& c : cases) {
        QTreeWidgetItem* node = AddNode(c.kind, c.link, 6);
        data->AssignNodeIcon(node, c.link);
        EXPECT_EQ(Images(node), c.images) << c.kind;
    }
    QTreeWidgetItem orphan;
    data->AssignNodeIcon(&orphan, "http://x/"); // no item: left alone
    EXPECT_EQ(NodeImage(&orphan), -1);
    data->AssignNodeIcon(nullptr, "http://x/");
}

TEST_F(SiteIconTest, FileIcons)
{
    Start();
    QTemporaryDir dir;
    WriteBytes(dir.filePath("doc.txt"), "text");
    // The network forms name files that do exist here, so only the path's
    // form can keep them from being probed.
    const QString previousDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    WriteBytes(dir.filePath("\\\\server"), "text");
    shell.icon = QIcon(QPixmap::fromImage(Filled(16, 16, Qt::yellow)));
    const struct {
        const char* kind;
        QString path;
        bool probed;
        int index; // -2: the newly added image
    } cases[] = {
        {"FIL", dir.filePath("doc.txt"), true, -2},
        {"FIL", dir.filePath("doc.txt"), true, -2}, // each call adds another image
        {"FLD", dir.path(), true, -2},
        {"FIL", dir.filePath("gone.txt"), false, 1},
        {"FIL", "/" + dir.filePath("doc.txt"), false, 1},
        {"FIL", "\\\\server", false, 1},
        {"FIL", "", false, 1},
        {"NTS", dir.filePath("doc.txt"), false, 1},
    };
    for (const auto& c : cases) {
        shell.probed.clear();
        const int before = data->imIcons.Count();
        QTreeWidgetItem* node = AddNode(c.kind, c.path);
        data->AssignFileIcon(node);
        EXPECT_EQ(!shell.probed.isEmpty(), c.probed) << c.path.toStdString();
        const int want = c.index == -2 ? before : c.index;
        EXPECT_EQ(data->imIcons.Count(), c.index == -2 ? before + 1 : before) << c.path.toStdString();
        EXPECT_EQ(Item(node)->IconIdx, want) << c.path.toStdString();
        EXPECT_EQ(Images(node), QList<int>({want, want, -1})) << c.path.toStdString();
    }
    QDir::setCurrent(previousDir);

    // No shell icon: no image at all, the stored index is kept.
    shell.icon = QIcon();
    QTreeWidgetItem* node = AddNode(kFileLink, dir.filePath("doc.txt"), 5);
    data->AssignFileIcon(node);
    EXPECT_EQ(Images(node), QList<int>({-1, -1, -1}));
    EXPECT_EQ(Item(node)->IconIdx, 5);

    // Registering a site icon rebuilds the list and drops the shell icons.
    WriteBytes(Images("s.ico"), IcoBytes(Qt::blue));
    EXPECT_EQ(data->AddIconFile(Images("s.ico"), "u"), 10);
    EXPECT_EQ(data->imIcons.Count(), 11);
}

} // namespace

TEST_F(SiteIconTest, AFailedLookupWaitsADayAndBareAddressesAskTheirOwnHost)
{
    FakeClock clock;
    Start();
    data->RefreshIcons = false;
    const QString feed = "http://news.example.com/rss";
    data->AssignSiteIcon(AddNode(kFeed, feed), feed);
    const int asked = net.Calls().size();
    EXPECT_EQ(asked, 3);
    // Another feed of the same site within the day: no request, the provisional picture.
    QTreeWidgetItem* again = AddNode(kFeed, "http://news.example.com/other");
    clock.Advance(23 * 3600 * 1000);
    data->AssignSiteIcon(again, "http://news.example.com/other");
    EXPECT_EQ(net.Calls().size(), asked);
    EXPECT_EQ(Item(again)->IconIdx, imgFeed);
    // A day later it is asked again, and an icon found then is kept.
    clock.Advance(2 * 3600 * 1000);
    net.Serve("http://news.example.com/favicon.ico", IcoBytes(Qt::blue));
    Item(again)->IconIdx = -1;
    data->AssignSiteIcon(again, "http://news.example.com/other");
    EXPECT_EQ(Item(again)->IconIdx, 10);

    // A feed on a bare address looks on that host only, each place once; a
    // home page that did not come names no icon.
    net.ClearCalls();
    data->AssignSiteIcon(AddNode(kFeed, "http://127.0.0.1:8765/feed"), "http://127.0.0.1:8765/feed");
    EXPECT_EQ(net.Urls().join(" ").toStdString(), "http://127.0.0.1:8765/favicon.ico http://127.0.0.1:8765");
}
