// Site icons looked up beside the feeds, over the network, through the
// fetch pipeline.
#include "organiser/OrganiserFixture.h"
#include "platform/QtDownloader.h"
#include "support/LocalHttpServer.h"
#include "text/TextTools.h"

#include <QBuffer>
#include <QImage>

namespace {
QByteArray IcoBytes()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "ICO");
    return bytes;
}

class SiteIconLookupsTest : public OrganiserFixture {
protected:
    SiteIconLookupsTest()
    {
        QtDownloader::Limits limits;
        limits.stallMs = 2000;
        limits.totalMs = 6000;
        network.SetLimits(limits);
        SetDownloader(&network);
        CreateOrganiser();
        organiser->TreeLoaded = true;
    }
    ~SiteIconLookupsTest() override
    {
        organiser.reset();
        SetDownloader(nullptr);
    }
    QTreeWidgetItem* AddFeed(LocalHttpServer& server, const QString& path, const QByteArray& title)
    {
        server.Serve(path, SmallFeed(title, 1), "application/rss+xml");
        QTreeWidgetItem* node = AddNode(nullptr, kFeed, "new", server.Url(path));
        Item(node)->IconIdx = -1; // never looked up
        return node;
    }

    QtDownloader network;
};
} // namespace

TEST_F(SiteIconLookupsTest, OneLookupPerSiteBesideTheFeedsAndMissingIconsRememberedForADay)
{
    LocalHttpServer site;  // names its icon on its home page; the icon comes slowly
    LocalHttpServer plain; // has no icon at all
    ASSERT_TRUE(site.IsListening() && plain.IsListening());
    site.Serve("/", "<html><head><link rel=\"shortcut icon\" href=\"/i.ico\"></head></html>", "text/html");
    site.ServeSlowly("/i.ico", IcoBytes(), 64, 60);
    plain.Serve("/", "<html><body>no icon</body></html>", "text/html");
    QTreeWidgetItem* a = AddFeed(site, "/a.rss", "a");
    QTreeWidgetItem* b = AddFeed(site, "/b.rss", "b");
    QTreeWidgetItem* c = AddFeed(plain, "/c.rss", "c");

    organiser->Timer1Timer();
    QElapsedTimer waited;
    waited.start();
    while (c->text(0) != "c(1)" || a->text(0) != "a(1)" || b->text(0) != "b(1)") {
        ASSERT_LT(waited.elapsed(), 10000) << qPrintable(a->text(0));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    // The feeds are in while the icon still arrives.
    EXPECT_TRUE(organiser->IconLookups->IsRunning());
    Settle();
    EXPECT_FALSE(organiser->IconLookups->IsRunning());

    const int icon = Item(a)->IconIdx;
    EXPECT_GE(icon, data.PredefinedIconCount);
    EXPECT_EQ(Item(b)->IconIdx, icon);
    EXPECT_FALSE(data.imIcons.Icon(icon).isNull());
    EXPECT_EQ(site.RequestCount("/favicon.ico"), 1);
    EXPECT_EQ(site.RequestCount("/"), 1);
    EXPECT_EQ(site.RequestCount("/i.ico"), 1);
    EXPECT_EQ(Item(c)->IconIdx, imgFeed); // the provisional picture stays
    EXPECT_TRUE(data.RecentIconFailure(SitePrefix(plain.Url("/c.rss"))));

    // Asked again within the day: no request for the site without an icon;
    // a new feed of the site with one gets it without a request.
    Item(c)->IconIdx = -1;
    data.AssignNodeIcon(c, plain.Url("/c.rss"));
    QTreeWidgetItem* d = AddFeed(site, "/d.rss", "d");
    data.AssignNodeIcon(d, site.Url("/d.rss"));
    Settle();
    EXPECT_EQ(plain.RequestCount("/favicon.ico"), 1);
    EXPECT_EQ(Item(d)->IconIdx, icon);
    EXPECT_EQ(site.RequestCount("/favicon.ico"), 1);
}
