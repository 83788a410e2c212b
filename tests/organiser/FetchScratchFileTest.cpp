// A download whose scratch file cannot be written: a user command hears why,
// the scheduler stays silent.
#include "organiser/OrganiserFixture.h"

#include "platform/QtDownloader.h"
#include "support/FileBytes.h"

#include <QUrl>

namespace {
using FetchScratchFileTest = OrganiserFixture;

TEST_F(FetchScratchFileTest, UserFetchSaysTheScratchFileCouldNotBeWritten)
{
    CreateOrganiser();
    QtDownloader real; // reading a local feed: only the writing can fail
    SetDownloader(&real);
    ASSERT_TRUE(WriteBytes(home.File("feed.xml"), SmallFeed("local", 2)));
    const QString url = QUrl::fromLocalFile(home.File("feed.xml")).toString();
    const QString writable = data.ScratchFile, unwritable = home.File("gone/rss.xml");
    const QString why = "Error downloading \"" + url + "\": the file \"" + unwritable + "\" could not be written.";
    const struct {
        QString scratch;
        bool user;
        QStringList shown;
    } cases[] = {{writable, true, {}}, {unwritable, true, {why}}, {unwritable, false, {}}};
    for (const auto& c : cases) {
        dialogs.messages.clear();
        organiser->tvTree->clear(); // a new subscription each time
        data.ScratchFile = c.scratch;
        const bool added = c.user ? organiser->LoadFeedURL(url, nullptr) : organiser->DownloadFeed(url, nullptr, false);
        organiser->WaitForStore();
        EXPECT_EQ(added, c.scratch == writable) << (&c - cases);
        EXPECT_EQ(dialogs.messages, c.shown) << (&c - cases);
    }
    SetDownloader(&downloader);
}
} // namespace
