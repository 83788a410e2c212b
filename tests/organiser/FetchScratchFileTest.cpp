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
    // The real downloader, reading a local feed: only the writing can fail.
    QtDownloader real;
    SetDownloader(&real);
    ASSERT_TRUE(WriteBytes(home.File("feed.xml"), SmallFeed("local", 2)));
    const QString url = QUrl::fromLocalFile(home.File("feed.xml")).toString();
    const QString unwritable = home.File("gone/rss.xml");
    struct {
        const char* name;
        QString scratch;
        bool user;
        QStringList shown;
    } cases[] = {
        {"writable, by the user", data.ScratchFile, true, {}},
        {"unwritable, by the user", unwritable, true,
         {"Error downloading \"" + url + "\": the file \"" + unwritable + "\" could not be written."}},
        {"unwritable, by the scheduler", unwritable, false, {}},
    };
    for (auto& c : cases) {
        dialogs.messages.clear();
        data.ScratchFile = c.scratch;
        QTreeWidgetItem* node =
            c.user ? organiser->LoadFeedURL(url, nullptr) : organiser->DownloadFeed(url, nullptr, false);
        organiser->WaitForStore();
        EXPECT_EQ(node != nullptr, c.scratch != unwritable) << c.name;
        EXPECT_EQ(dialogs.messages, c.shown) << c.name;
    }
    SetDownloader(&downloader);
}
} // namespace
