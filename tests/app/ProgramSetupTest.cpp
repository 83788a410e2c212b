// The end of the desktop session: open notes keep their text in the stored tree.
#include "app/ProgramSetup.h"

#include "notes/Notes.h"
#include "organiser/OrganiserFixture.h"

#include <QTextEdit>

namespace {
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
