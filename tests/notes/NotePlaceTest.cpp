// Where a note window opens: where it was, on a screen that still exists,
// else beside the strip and its description.
#include "notes/NotePlace.h"

#include "notes/Notes.h"
#include "organiser/OrganiserFixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {
TEST(NotePlace, StoredPlaceOrBesideTheStrip)
{
    const QRect left(0, 0, 1280, 800), right(1280, 0, 1920, 1080);
    const QSize size(300, 200);
    const QRect strip(323, 294, 450, 60); // the strip with its description under it
    const struct {
        const char* name;
        QRect stored;
        QRect occupied;
        QList<QRect> screens;
        QRect expected;
    } cases[] = {
        {"kept place", QRect(50, 60, 320, 240), strip, {left, right}, QRect(50, 60, 320, 240)},
        {"kept on the second screen", QRect(1500, 100, 320, 240), strip, {left, right}, QRect(1500, 100, 320, 240)},
        {"its screen was unplugged", QRect(1500, 100, 320, 240), strip, {left}, QRect(781, 294, 300, 200)},
        {"half off the screen: pulled on", QRect(1100, 700, 320, 240), strip, {left}, QRect(960, 560, 320, 240)},
        {"larger than the screen", QRect(10, 10, 2000, 900), strip, {left}, QRect(0, 0, 1280, 800)},
        {"none: right of the strip", QRect(), strip, {left}, QRect(781, 294, 300, 200)},
        {"no room on the right: left of it", QRect(), QRect(900, 100, 370, 60), {left}, QRect(592, 100, 300, 200)},
        {"no room either side: below", QRect(), QRect(100, 100, 1100, 60), {left}, QRect(100, 168, 300, 200)},
        {"no strip: centred", QRect(), QRect(), {left}, QRect(489, 299, 300, 200)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NotePlace(c.stored, size, c.occupied, c.screens), c.expected) << c.name;
}

TEST(NotePlace, GeometryText)
{
    EXPECT_EQ(NoteGeometryText(QRect(-5, 20, 300, 200)), "-5,20,300,200");
    EXPECT_EQ(ParseNoteGeometry("-5,20,300,200"), QRect(-5, 20, 300, 200));
    for (const char* bad : {"", "1,2,3", "1,2,3,x", "1,2,0,5", "1,2,3,-4", "1,2,3,4,5"})
        EXPECT_FALSE(ParseNoteGeometry(bad).isValid()) << bad;
}

using NoteWindowPlace = OrganiserFixture;

TEST_F(NoteWindowPlace, AMovedNoteOpensWhereItWasLeft)
{
    CreateOrganiser();
    QTreeWidgetItem* node = AddNode(nullptr, kNote, "Shopping");
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect moved(screen.left() + 40, screen.top() + 30, 250, 180);
    {
        TFrmNote note(organiser.get());
        note.LoadNote("Shopping", "Shopping", node);
        note.PlaceBeside(QRect());
        note.show();
        note.setGeometry(moved);
        note.CloseStep(); // a move alone is stored
    }
    organiser->WaitForStore();
    EXPECT_EQ(ParseNoteGeometry(Item(node)->GetOption(kOptNoteGeometry)), moved);
    TTreeList stored;
    ASSERT_TRUE(stored.LoadContainer(data.NewsFile));
    EXPECT_EQ(stored.Items(0)->GetOption(kOptNoteGeometry), NoteGeometryText(moved));

    TFrmNote again(organiser.get());
    again.LoadNote("Shopping", "Shopping", node);
    again.PlaceBeside(QRect(0, 0, 100, 20));
    EXPECT_EQ(again.geometry(), moved);
}
} // namespace
