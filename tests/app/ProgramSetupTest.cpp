// The command line's files as another copy can use them, and the end of the
// desktop session: open notes keep their text in the stored tree.
#include "app/ProgramSetup.h"

#include "notes/Notes.h"
#include "organiser/OrganiserFixture.h"

#include <QDir>
#include <QTextEdit>

namespace {
TEST(StartArguments, RelativePathsThatExistBecomeAbsolute)
{
    TempProgramFolder work;
    ASSERT_TRUE(QDir(work.Path()).mkdir("sub"));
    const QString root = QDir::cleanPath(work.Path());
    // ../sub exists; the rest (no such file, URLs, absolute paths) stay as typed.
    const QStringList typed{"../sub", "missing.xml", "news.test/rss", "http://news.test/rss", "/etc/../etc", ""};
    QStringList expected = typed;
    expected[0] = root + "/sub";
    EXPECT_EQ(StartArguments(typed, work.File("sub")), expected);
}

class SessionEnd : public OrganiserFixture {
protected:
    SessionEnd() { CreateOrganiser(); }
};

TEST_F(SessionEnd, OpenNotesAreStoredWithTheTree)
{
    QTreeWidgetItem* node = AddNode(nullptr, kNote, "old");
    auto note = std::make_unique<TFrmNote>(organiser.get());
    note->LoadNote("old", "old", node);
    note->RichEdit1->setPlainText("typed before logout");
    {
        TBusyState::THold hold(*organiser->Busy); // waits for the holder
        StoreForSessionEnd(organiser.get());
        EXPECT_FALSE(QFile::exists(data.NewsFile));
    }
    QCoreApplication::processEvents();
    TTreeList stored;
    ASSERT_TRUE(stored.LoadContainer(data.NewsFile));
    ASSERT_EQ(stored.Count(), 1);
    EXPECT_EQ(stored.Items(0)->Title, "typed before logout");
}
} // namespace
