// The Atom and JSON Feed documents of the public corpora through the fetch's
// recognition, readers and merges: each merged twice, the second time adding
// nothing; documents that are no feed (or not well-formed) leave no node.
// For the JSON documents, the other reader's expectation of the fields our
// rules decide the same way is compared.
#include "feeds/FeedFormat.h"

#include "app/NewsGlobals.h"
#include "feeds/DocumentText.h"
#include "feeds/RssMerge.h"
#include "platform/Errors.h"
#include "support/FakeClock.h"
#include "support/FakeConnectivity.h"
#include "support/MergeTrees.h"
#include "support/TempFolder.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstdio>

namespace {
QByteArray FileBytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList Files(const QString& folder, const QString& pattern)
{
    QStringList files;
    QDirIterator it(QStringLiteral(QUORBEL_CORPORA_DIR "/") + folder, {pattern}, QDir::Files);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

QJsonObject Twin(const QString& file, const QString& from, const QString& to)
{
    QString name = file;
    name.replace(QRegularExpression(QRegularExpression::escape(from) + '$'), to);
    return QJsonDocument::fromJson(FileBytes(name)).object();
}

class FeedCorpusTest : public TMergeTrees<> {
protected:
    // As a fetch takes a document; the feed node, or null for no feed.
    // Fetched twice, the second time adds nothing. The corpora are old: every
    // item is kept.
    QTreeWidgetItem* FetchTwice(const QString& url, const QByteArray& bytes, TFeedFormat& format)
    {
        format = TFeedFormat::NotAFeed;
        try {
            const TFeedDocument document = RecogniseFeedDocument(bytes, DecodeDocumentText(bytes));
            format = document.format;
            QTreeWidgetItem* feed = MergeFeedDocument(views, 0, nullptr, url, document);
            if (!feed || format == TFeedFormat::Rdf)
                return feed;
            const int children = feed->childCount();
            EXPECT_EQ(MergeFeedDocument(views, 0, feed, url, document), feed);
            EXPECT_EQ(feed->childCount(), children);
            EXPECT_EQ(feed->text(0).toStdString(),
                      FeedCaption(TextBeforeCounts(feed->text(0)), 0, children).toStdString());
            return feed;
        } catch (const EQuorbelError&) {
            return nullptr; // not well-formed: a failed fetch
        }
    }
    static QString TextBeforeCounts(const QString& caption) { return caption.left(caption.lastIndexOf('(')); }

};

TEST_F(FeedCorpusTest, AtomDocumentsMergeAndRefreshToNothingNew)
{
    int merged = 0, other = 0, created = 0;
    for (const char* folder : {"feedparser/tests/wellformed/atom10", "feedparser/tests/wellformed/atom",
                               "feedparser/tests/encoding", "gofeed/testdata/parser/atom"}) {
        for (const QString& file : Files(QLatin1String(folder), QStringLiteral("*.xml"))) {
            SCOPED_TRACE(file.toStdString());
            const QByteArray bytes = FileBytes(file);
            TFeedFormat format;
            QTreeWidgetItem* feed = FetchTwice(QStringLiteral("http://corpus.test/%1").arg(merged + other), bytes, format);
            created += feed ? 1 : 0;
            if (format != TFeedFormat::Atom) {
                ++other; // RSS of the encoding folder, or not well-formed
                continue;
            }
            ASSERT_NE(feed, nullptr);
            ++merged;
        }
    }
    std::printf("[ corpus   ] atom: %d merged, %d other\n", merged, other);
    EXPECT_GT(merged, 600);
    EXPECT_EQ(tree.topLevelItemCount(), created); // one feed node per document
}

TEST_F(FeedCorpusTest, JsonDocumentsNeedTheirVersionAddress)
{
    const QRegularExpression version("\"version\"\\s*:\\s*\"[^\"]*\"");
    int merged = 0;
    for (const QString& file : Files(QStringLiteral("gofeed/testdata/parser/json"), QStringLiteral("*.json"))) {
        if (file.endsWith(QLatin1String("_expected.json")))
            continue;
        SCOPED_TRACE(file.toStdString());
        const QByteArray bytes = FileBytes(file);
        const QString url = QStringLiteral("http://corpus.test/%1").arg(QFileInfo(file).fileName());
        // These documents name their version "1.0" or "1.1": no JSON Feed.
        TFeedFormat format;
        EXPECT_EQ(FetchTwice(url, bytes, format), nullptr);
        EXPECT_EQ(format, TFeedFormat::NotAFeed);
        if (file.contains(QLatin1String("invalid")))
            continue;
        // With the version address they are.
        QString text = QString::fromUtf8(bytes);
        text.replace(version, QStringLiteral("\"version\": \"https://jsonfeed.org/version/1.1\""));
        QTreeWidgetItem* feed = FetchTwice(url, text.toUtf8(), format);
        ASSERT_NE(feed, nullptr);
        ++merged;
        const QJsonObject expected = Twin(file, ".json", "_expected.json");
        EXPECT_EQ(data.NodeItem(feed)->Description, expected.value("description").toString());
        EXPECT_EQ(TextBeforeCounts(feed->text(0)), expected.value("title").toString());
        const QJsonArray items = expected.value("items").toArray();
        ASSERT_EQ(feed->childCount(), items.size());
        const QJsonObject first = items[0].toObject();
        const TTreeItem* item = data.NodeItem(feed->child(0));
        EXPECT_EQ(item->Title, first.value("title").toString());
        EXPECT_EQ(item->Description, first.value("content_html").toString());
        // The audio attachment wins over the page.
        EXPECT_EQ(item->Link, first.value("attachments").toArray()[0].toObject().value("url").toString());
    }
    EXPECT_EQ(merged, 3);
}
} // namespace

namespace {
QByteArray Repeated(const QByteArray& piece, int times)
{
    QByteArray out;
    out.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

TEST_F(FeedCorpusTest, HostileDocuments)
{
    const QByteArray atom = "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>H</title>";
    QByteArray many = atom;
    for (int i = 0; i < 100000; ++i)
        many += "<entry><title>e" + QByteArray::number(i) + "</title></entry>";
    const QByteArray json = "{\"version\":\"https://jsonfeed.org/version/1\",\"title\":[1],\"items\":";
    struct {
        const char* name;
        QByteArray body;
        TFeedFormat format;
        int children; // -1: no feed node
    } cases[] = {
        {"no entries", atom + "</feed>", TFeedFormat::Atom, 0},
        {"100,000 entries without link or date", many + "</feed>", TFeedFormat::Atom, 100000},
        {"untitled entries", atom + Repeated("<entry><id>x</id></entry>", 3) + "<entry/></feed>", TFeedFormat::Atom, 1},
        {"xhtml 900 deep", atom + "<entry><content type=\"xhtml\">" + Repeated("<b>", 900) + "x" + Repeated("</b>", 900)
                               + "</content></entry></feed>",
         TFeedFormat::Atom, 1},
        {"xhtml 5,000 deep", atom + "<entry><content type=\"xhtml\">" + Repeated("<b>", 5000) + Repeated("</b>", 5000)
                                 + "</content></entry></feed>",
         TFeedFormat::NotAFeed, -1}, // not well-formed: refused by the XML layer
        {"JSON of wrong types", json + "[{\"title\":7,\"url\":{},\"date_published\":\"9999-99-99T00:00:00Z\"},[],7]}",
         TFeedFormat::JsonFeed, 1},
        {"JSON items not a list", json + "\"x\"}", TFeedFormat::JsonFeed, 0},
    };
    clock.SetNow(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFeedFormat format;
        QTreeWidgetItem* feed = FetchTwice(QStringLiteral("http://hostile.test/%1").arg(c.name), c.body, format);
        EXPECT_EQ(format, c.format);
        ASSERT_EQ(feed ? feed->childCount() : -1, c.children);
        if (feed && c.children > 0)
            EXPECT_DOUBLE_EQ(data.NodeItem(feed->child(0))->TimeStamp, NowDateTime()); // no date: now
    }
}
} // namespace
