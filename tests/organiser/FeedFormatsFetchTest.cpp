// Atom and JSON feeds through the fetch, documents that are no feed, and
// podcast episodes reaching the Audio and Video lists.
#include "model/IsoDate.h"
#include "organiser/OrganiserFixture.h"

#include <QFile>

namespace {
QByteArray AtomDocument(const QStringList& titles)
{
    // No XML declaration: the root alone tells the format.
    QString xml = QStringLiteral("<feed xmlns=\"http://www.w3.org/2005/Atom\"><title type=\"html\">A &amp;lt;b&amp;gt;"
                                 "</title><subtitle>About A</subtitle><link href=\"http://a.test/\"/>");
    for (const QString& t : titles)
        xml += QStringLiteral("<entry><title>%1</title><link href=\"posts/%1\"/><updated>2026-12-09T08:00:00Z</updated>"
                              "<summary>Text of %1</summary></entry>")
                   .arg(t);
    return (xml + QStringLiteral("</feed>")).toUtf8();
}

QByteArray JsonDocument(const QStringList& titles)
{
    QString json = QStringLiteral("{\"version\":\"https://jsonfeed.org/version/1.1\",\"title\":\"J\",\"items\":[");
    for (int i = 0; i < titles.size(); ++i)
        json += QStringLiteral("%1{\"id\":\"%2\",\"title\":\"%2\",\"url\":\"http://j.test/%2\","
                               "\"content_text\":\"x\",\"date_published\":\"2026-12-08T10:00:00+01:00\"}")
                    .arg(i ? "," : "", titles[i]);
    return (json + QStringLiteral("]}")).toUtf8();
}

class FeedFormatsFetchTest : public OrganiserFixture {
protected:
    FeedFormatsFetchTest() { CreateOrganiser(); }
};

TEST_F(FeedFormatsFetchTest, AtomFeedsMergeLikeRss)
{
    const QString url = QStringLiteral("http://a.test/blog/atom");
    QTreeWidgetItem* feed = Fetch(url, AtomDocument({"One", "Two", "Three"}));
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(feed->text(0), "A <b>(3)");
    EXPECT_EQ(ChildCaptions(feed), (QStringList{"One", "Two", "Three"}));
    EXPECT_EQ(Item(feed)->NewsType, "RSH");
    EXPECT_EQ(Item(feed)->Description, "About A");
    const TTreeItem* one = Item(feed->child(0));
    EXPECT_EQ(one->NewsType, "RSS");
    EXPECT_EQ(one->Link, "http://a.test/blog/posts/One");
    EXPECT_EQ(one->Description, "Text of One");
    EXPECT_DOUBLE_EQ(one->TimeStamp, ToDateTime(QDate(2026, 12, 9), QTime(9, 0)));
    EXPECT_EQ(organiser->tvWeb->topLevelItemCount(), 3);
    EXPECT_TRUE(QFile::exists(data.NewsFile));

    // A refresh with one new entry, then one with nothing new; the user's
    // name of the feed stands before the counts.
    ASSERT_EQ(Fetch(url, AtomDocument({"One", "Two", "Three", "Four"}), feed), feed);
    EXPECT_EQ(feed->text(0), "A <b>(1 of 4)");
    Item(feed)->SetOption(kOptUserName, "Mine");
    ASSERT_EQ(Fetch(url, AtomDocument({"One", "Two", "Three", "Four"}), feed), feed);
    EXPECT_EQ(feed->text(0), "Mine(0 of 4)");
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 1);
}

TEST_F(FeedFormatsFetchTest, JsonFeedsMergeWhateverTheServerCallsThem)
{
    const QString url = QStringLiteral("http://j.test/feed.json");
    downloader.SetContentType(url, "text/html; charset=utf-8");
    QTreeWidgetItem* feed = Fetch(url, JsonDocument({"a", "b"}));
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(feed->text(0), "J(2)");
    EXPECT_EQ(ChildCaptions(feed), (QStringList{"a", "b"}));
    EXPECT_EQ(Item(feed->child(0))->Link, "http://j.test/a");
    EXPECT_DOUBLE_EQ(Item(feed->child(0))->TimeStamp, ToDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    ASSERT_EQ(Fetch(url, JsonDocument({"a", "b"}), feed), feed);
    EXPECT_EQ(feed->text(0), "J(0 of 2)");
}

TEST_F(FeedFormatsFetchTest, DocumentsThatAreNoFeedFailTheRefresh)
{
    struct {
        const char* name;
        QByteArray body;
    } cases[] = {
        {"other XML root", "<?xml version=\"1.0\"?><html><body>x</body></html>"},
        {"Atom entry alone", "<?xml version=\"1.0\"?><entry xmlns=\"http://www.w3.org/2005/Atom\"><title>t</title></entry>"},
        {"other JSON", "{\"items\":[{\"title\":\"t\"}]}"},
        {"JSON too deep", QByteArray(5000, '[') + QByteArray(5000, ']')},
    };
    for (const auto& c : cases) {
        const QString url = QStringLiteral("http://x.test/%1").arg(c.name);
        QTreeWidgetItem* node = AddNode(nullptr, "RSH", c.name, url, MinutesAgo(600));
        dialogs.messages.clear();
        QFile::remove(data.NewsFile);
        downloader.Serve(url, c.body);
        EXPECT_EQ(organiser->LoadFeedURL(url, node), nullptr) << c.name;
        organiser->WaitForStore();
        EXPECT_DOUBLE_EQ(Item(node)->TimeStamp, NowDateTime()) << c.name;
        EXPECT_EQ(node->childCount(), 0) << c.name;
        EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("\"%1\" is not a feed Quorbel can read").arg(url)})
            << c.name;
        EXPECT_FALSE(QFile::exists(data.NewsFile)) << c.name;
        EXPECT_TRUE(organiser->LastFetchDownloaded()) << c.name;
    }
    // The scheduler's fetches say nothing.
    dialogs.messages.clear();
    downloader.Serve("http://x.test/quiet", "{}");
    EXPECT_EQ(organiser->DownloadFeed("http://x.test/quiet", nullptr, false), nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FeedFormatsFetchTest, PodcastEpisodesReachTheAudioAndVideoLists)
{
    const QByteArray rss = "<rss><channel><title>Cast</title>"
                           "<item><title>Ep</title><link>http://c.test/ep</link>"
                           "<enclosure url=\"http://c.test/ep.mp3\" type=\"audio/mpeg\"/></item>"
                           "<item><title>Pic</title><link>http://c.test/pic</link>"
                           "<enclosure url=\"http://c.test/p.jpg\" type=\"image/jpeg\"/></item>"
                           "</channel></rss>";
    QTreeWidgetItem* cast = Fetch("http://c.test/rss", rss);
    ASSERT_NE(cast, nullptr);
    EXPECT_EQ(Item(cast->child(0))->Link, "http://c.test/ep.mp3");
    EXPECT_EQ(Item(cast->child(1))->Link, "http://c.test/pic");

    const QByteArray atom = "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>V</title><entry><title>Clip</title>"
                            "<link href=\"http://v.test/clip\"/><link rel=\"enclosure\" type=\"video/mp4\" "
                            "href=\"http://v.test/clip.mp4\"/></entry></feed>";
    QTreeWidgetItem* video = Fetch("http://v.test/atom", atom);
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(Item(video->child(0))->Link, "http://v.test/clip.mp4");

    const QByteArray json = R"({"version":"https://jsonfeed.org/version/1","title":"JC","items":[{"id":"1",
        "title":"Talk","url":"http://jc.test/talk","attachments":[{"url":"http://jc.test/talk.mp3"}]}]})";
    QTreeWidgetItem* talk = Fetch("http://jc.test/feed.json", json);
    ASSERT_NE(talk, nullptr);
    EXPECT_EQ(Item(talk->child(0))->Link, "http://jc.test/talk.mp3");

    EXPECT_EQ(organiser->tvAudio->topLevelItemCount(), 2);
    EXPECT_EQ(organiser->tvVideo->topLevelItemCount(), 1);
}

QByteArray PageOffering(const QString& title, const QString& href)
{
    return QStringLiteral("<html><head><title>%1</title><link rel=\"alternate\" type=\"application/atom+xml\" "
                          "title=\"%1 news\" href=\"%2\"></head><body>x</body></html>")
        .arg(title, href)
        .toUtf8();
}

TEST_F(FeedFormatsFetchTest, APageOfferingAFeedAsksWhichToKeep)
{
    const QString question =
        "This page offers the feed \"%1 news\". Subscribe to the feed? (No keeps the page as a web link.)";
    // Yes: the advertised feed (resolved against the page) becomes the feed node.
    downloader.Serve("http://site.test/blog/", PageOffering("Site", "atom"));
    downloader.Serve("http://site.test/blog/atom", AtomDocument({"One"}));
    dialogs.answers = {true};
    QTreeWidgetItem* feed = organiser->LoadFeedURL("http://site.test/blog/", nullptr);
    organiser->WaitForStore();
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(Item(feed)->Link, "http://site.test/blog/atom");
    EXPECT_EQ(Item(feed)->NewsType, "RSH");
    EXPECT_EQ(dialogs.questions, QStringList{question.arg("Site")});
    EXPECT_TRUE(organiser->LastFetchDownloaded());

    // No: the page is a web link, as without a feed.
    downloader.Serve("http://other.test/", PageOffering("Other", "/feed"));
    dialogs.questions.clear();
    dialogs.answers = {false};
    QTreeWidgetItem* page = organiser->LoadFeedURL("http://other.test/", nullptr);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Item(page)->NewsType, "WEB");
    EXPECT_EQ(Item(page)->Link, "http://other.test/");
    EXPECT_EQ(dialogs.questions.size(), 1);

    // A feed address that brings the page again: asked once, then a web link.
    downloader.Serve("http://loop.test/", PageOffering("Loop", "http://loop.test/"));
    dialogs.questions.clear();
    dialogs.answers = {true, true};
    QTreeWidgetItem* loop = organiser->LoadFeedURL("http://loop.test/", nullptr);
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(Item(loop)->NewsType, "WEB");
    EXPECT_EQ(dialogs.questions.size(), 1);

    // The scheduler and the refresh of a node never ask.
    dialogs.questions.clear();
    downloader.Serve("http://quiet.test/", PageOffering("Quiet", "/feed"));
    EXPECT_EQ(Item(organiser->DownloadFeed("http://quiet.test/", nullptr, false))->NewsType, "WEB");
    EXPECT_NE(organiser->LoadFeedURL("http://other.test/", page), nullptr);
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 4);
}

TEST_F(FeedFormatsFetchTest, EpisodesKnownByTheirTypeAloneReachTheAudioList)
{
    const QByteArray rss = "<rss><channel><title>Cast</title><link>http://c.test/</link>"
                           "<item><title>Ep</title><link>/ep1</link>"
                           "<enclosure url=\"http://cdn.test/play?id=1\" type=\"Audio/MP4; codecs=x\"/></item>"
                           "<item><title>Page</title><link>/page</link></item>"
                           "</channel></rss>";
    // Served from a feed host: relative links are the site's.
    QTreeWidgetItem* cast = Fetch("http://feeds.test/cast", rss);
    ASSERT_NE(cast, nullptr);
    EXPECT_EQ(ChildCaptions(cast), (QStringList{"Ep", "Page"})); // document order, newest first
    EXPECT_EQ(Item(cast->child(0))->Link, "http://cdn.test/play?id=1");
    EXPECT_EQ(Item(cast->child(0))->GetOption(kOptMediaType), "audio/mp4");
    EXPECT_EQ(Item(cast->child(1))->Link, "http://c.test/page");
    EXPECT_EQ(Item(cast->child(1))->GetOption(kOptMediaType), "");
    ASSERT_EQ(organiser->tvAudio->topLevelItemCount(), 1);
    EXPECT_EQ(organiser->tvAudio->topLevelItem(0)->text(0), "Ep");
    // After a restart too: the kind is kept with the item.
    organiser->tvAudio->clear();
    BuildCategoryViews(organiser->Views(), organiser->NewsStorageDuration);
    EXPECT_EQ(organiser->tvAudio->topLevelItemCount(), 1);
}

TEST_F(FeedFormatsFetchTest, AnAddressAlreadySubscribedRefreshesThatFeed)
{
    QTreeWidgetItem* folder = AddNode(nullptr, "FLD", "Science");
    QTreeWidgetItem* feed = AddNode(folder, "RSH", "Old", "http://s.test/rss", MinutesAgo(600));
    downloader.Serve("HTTP://s.test/rss", SmallFeed("S", 2));
    EXPECT_EQ(organiser->LoadFeedURL("HTTP://s.test/rss", nullptr), feed);
    EXPECT_EQ(dialogs.messages, QStringList{"\"HTTP://s.test/rss\" is already subscribed in \"Science\"."});
    EXPECT_EQ(feed->childCount(), 2);
    EXPECT_EQ(organiser->tvTree->currentItem(), feed);
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 1);
}
} // namespace
