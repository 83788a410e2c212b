// The command maker and the menu filler both windows use.
#include "widgets/Menus.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

namespace {
// The menu as text: names, "|name" for a separator, submenus in braces.
QString Layout(const QMenu* menu)
{
    QStringList parts;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            parts << "|" + action->objectName();
        else if (action->menu())
            parts << action->menu()->objectName() + "{" + Layout(action->menu()) + "}";
        else
            parts << action->objectName();
    }
    return parts.join(' ');
}

TEST(Menus, FillKeepsWhatExistsWithSeparatorsOnlyBetweenEntries)
{
    QWidget owner;
    QAction* a = NewAction(&owner, "a", "A");
    QAction* b = NewAction(&owner, "b", "B");
    QAction* c = NewAction(&owner, "c", "C");
    QAction* none = nullptr;
    const struct {
        std::initializer_list<TMenuEntry> entries;
        const char* layout;
    } cases[] = {
        {{a, MenuSeparator("N1"), b}, "a |N1 b"},
        {{MenuSeparator("N1"), a, b, MenuSeparator("N2")}, "a b"},            // none at the ends
        {{a, MenuSeparator("N1"), MenuSeparator("N2"), b}, "a |N1 b"},       // the first of a row
        {{a, MenuSeparator("N1"), none, MenuSeparator("N2"), c}, "a |N1 c"}, // a missing command goes
        {{a, MenuSeparator(), b}, "a | b"},
        {{none, none}, ""},
    };
    for (const auto& c : cases) {
        QMenu menu;
        FillMenu(&menu, c.entries);
        EXPECT_EQ(Layout(&menu), c.layout);
    }
}

TEST(Menus, SubmenusAndEntries)
{
    QWidget owner;
    QAction* command = NewAction(&owner, "acNew", "New", "Makes one", QKeySequence(Qt::Key_F2));
    EXPECT_EQ(command->toolTip(), "Makes one");
    EXPECT_EQ(command->statusTip(), "Makes one");
    EXPECT_EQ(command->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_TRUE(NewOption(&owner, "acOnce", "Once")->isCheckable());

    // A submenu of nothing is no submenu.
    QAction* none = nullptr;
    EXPECT_EQ(Submenu(&owner, "mnEmpty", "Empty", {none, MenuSeparator()}), nullptr);
    EXPECT_EQ(owner.findChild<QMenu*>("mnEmpty"), nullptr);
    EXPECT_EQ(EntryFor(&owner, "mnNone", "None", nullptr), nullptr);

    // An entry of its own runs the command.
    int runs = 0;
    QObject::connect(command, &QAction::triggered, [&runs] { ++runs; });
    QAction* entry = EntryFor(&owner, "mnNewFolder", "Folder", command);
    QMenu* sub = Submenu(&owner, "mnPopupNew", "New", {entry, MenuSeparator("N1"), command});
    ASSERT_NE(sub, nullptr);
    QMenu top;
    FillMenu(&top, {sub});
    EXPECT_EQ(Layout(&top), "mnPopupNew{mnNewFolder |N1 acNew}");
    EXPECT_EQ(sub->title(), "New");
    entry->trigger();
    EXPECT_EQ(runs, 1);
}
} // namespace
