// The program's own message boxes: the icon tells what they say, they
// belong to the window that asked, and the always-on-top windows step aside
// while they are open.
#include "platform/DialogStacking.h"
#include "platform/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>

namespace {
// Runs look at the box once it is open, then answers it with its last button.
void WhenTheBoxShows(const std::function<void(QMessageBox*)>& look)
{
    QTimer::singleShot(0, [look] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        look(box);
        box->buttons().constLast()->click();
    });
}

TEST(DialogStacking, EachKindOfBoxHasItsIcon)
{
    SetDialogs(nullptr); // the real boxes
    const struct {
        const char* name;
        std::function<void()> ask;
        QMessageBox::Icon icon;
    } cases[] = {
        {"information", [] { Dialogs().ShowMessage("Loaded."); }, QMessageBox::Information},
        {"error", [] { Dialogs().ShowError("Error downloading"); }, QMessageBox::Warning},
        {"yes or no", [] { Dialogs().AskYesNo("Delete?"); }, QMessageBox::Question},
        {"OK or cancel", [] { Dialogs().AskOkCancel("Run?"); }, QMessageBox::Question},
    };
    for (const auto& c : cases) {
        QMessageBox::Icon seen = QMessageBox::NoIcon;
        WhenTheBoxShows([&seen](QMessageBox* box) { seen = box->icon(); });
        c.ask();
        EXPECT_EQ(seen, c.icon) << c.name;
    }
}

TEST(DialogStacking, AlwaysOnTopWindowsStepAsideWhileABoxIsOpen)
{
    SetDialogs(nullptr);
    QWidget owner;       // the window that asks: stays
    QWidget strip(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    QWidget hint(nullptr, Qt::ToolTip);
    QWidget progress(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint); // takes no part, stays shown
    DialogStacking::StepAsideForDialogs(&strip, DialogStacking::kComeBack);
    DialogStacking::StepAsideForDialogs(&hint, DialogStacking::kHideOnly);
    for (QWidget* w : {&owner, &strip, &hint, &progress})
        w->show();
    QApplication::setActiveWindow(&owner);
    ASSERT_EQ(DialogStacking::DialogOwner(), &owner);

    bool open = false, stripShown = true, hintShown = true, ownerShown = false, onTop = false;
    QWidget* parent = nullptr;
    WhenTheBoxShows([&](QMessageBox* box) {
        open = DialogStacking::ModalDialogOpen();
        stripShown = strip.isVisible();
        hintShown = hint.isVisible();
        ownerShown = owner.isVisible();
        parent = box->parentWidget();
        onTop = box->windowHandle() && box->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
    });
    Dialogs().ShowError("Error storing File");
    EXPECT_TRUE(open);
    EXPECT_FALSE(stripShown);
    EXPECT_FALSE(hintShown);
    EXPECT_TRUE(ownerShown);
    EXPECT_EQ(parent, &owner);
    EXPECT_TRUE(onTop) << "above the progress window that stays on top beside it";
    // Afterwards the strip is back; a hint is not brought back.
    EXPECT_FALSE(DialogStacking::ModalDialogOpen());
    EXPECT_TRUE(strip.isVisible());
    EXPECT_FALSE(hint.isVisible());
    EXPECT_TRUE(progress.isVisible());
}
} // namespace
