// The ticker under the mouse: holding the item, dragging, the close glyph and
// which parts store the settings.
#include "TickerFixture.h"

#include "platform/ProgramFolder.h"
#include "ticker/DescriptionWindow.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

namespace {
class TickerMouseTest : public TickerFixture {
protected:
    // Sends a mouse event to a part of the strip; pos is in that part's coordinates.
    void Mouse(QWidget* target, QEvent::Type type, QPoint pos)
    {
        const QPoint global = target->mapToGlobal(pos);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    bool SettingsWritten() const { return QFile::exists(SettingsFileName()); }
};

TEST_F(TickerMouseTest, MovingOverTheStripHoldsTheItem)
{
    view->ShowDescription = false;
    auto item = Item("T", "http://h/a", "Words", "2026-12-08 07:05");
    view->ShowItem(*item);
    view->Timer1->stop();
    for (int i = 0; i < 10; ++i)
        view->Timer1Timer();
    ASSERT_LT(view->Opacity(), 255);
    ASSERT_FALSE(view->DescriptionWindow->isVisible());
    clock.Advance(1234);

    Mouse(view.get(), QEvent::MouseMove, QPoint(5, 5));
    EXPECT_EQ(view->Opacity(), 255);
    EXPECT_EQ(view->LastChange, clock.TickCount());
    EXPECT_TRUE(view->Timer1->isActive()) << "restarted, even while paused";
    EXPECT_TRUE(view->DescriptionWindow->isVisible());
    EXPECT_EQ(view->pos(), QPoint(323, 294)) << "no drag without a press";
    EXPECT_FALSE(SettingsWritten());
}

TEST_F(TickerMouseTest, DragMovesTheWindowAndReleaseStoresThePlace)
{
    struct {
        const char* part;
        QPoint press;
        QPoint to;
    } cases[] = {{"window", {100, 5}, {130, 45}}, {"lbRss", {10, 3}, {-20, -40}}};
    for (const auto& c : cases) {
        view->move(300, 200);
        QWidget* part = view->findChild<QWidget*>(c.part);
        if (!part)
            part = view.get();
        const QPoint start = view->pos();
        Mouse(part, QEvent::MouseButtonPress, c.press);
        EXPECT_EQ(view->DragAnchor, part->mapTo(view.get(), c.press)) << c.part;
        Mouse(part, QEvent::MouseMove, c.to);
        EXPECT_EQ(view->pos(), start + (c.to - c.press)) << c.part;
        Mouse(part, QEvent::MouseButtonRelease, c.press); // the part moved with the mouse
        EXPECT_EQ(view->DragAnchor, QPoint(-1, -1));

        QFile f(SettingsFileName());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(text.contains(QString("Left=%1\r\nTop=%2\r\n").arg(view->x()).arg(view->y())))
            << text.toStdString();
    }
}

TEST_F(TickerMouseTest, WhichPartsStartADragAndWhichStoreSettings)
{
    struct {
        const char* part;
        bool pressAnchors;
        bool releaseStores;
    } cases[] = {
        {"lbRss", true, true},      {"Image1", false, true}, {"imSpeaker", false, true},
        {"imVideo", false, true},   {"imClose", false, false},
    };
    for (const auto& c : cases) {
        QFile::remove(SettingsFileName());
        view->show();
        view->imSpeaker->show();
        view->imVideo->show();
        QWidget* part = view->findChild<QWidget*>(c.part);
        ASSERT_NE(part, nullptr) << c.part;
        view->DragAnchor = QPoint(-1, -1);
        view->SetOpacity(30);
        Mouse(part, QEvent::MouseButtonPress, QPoint(2, 2));
        EXPECT_EQ(view->DragAnchor != QPoint(-1, -1), c.pressAnchors) << c.part;
        view->SetOpacity(30);
        Mouse(part, QEvent::MouseButtonRelease, QPoint(2, 2));
        EXPECT_EQ(SettingsWritten(), c.releaseStores) << c.part;
        if (c.releaseStores)
            EXPECT_EQ(view->Opacity(), 255) << c.part;
    }
}

TEST_F(TickerMouseTest, CloseGlyphHidesUntilTheNextItem)
{
    ASSERT_TRUE(view->isVisible());
    ASSERT_TRUE(view->DescriptionWindow->isVisible());
    Mouse(view->imClose, QEvent::MouseButtonPress, QPoint(5, 5));
    Mouse(view->imClose, QEvent::MouseButtonRelease, QPoint(30, 30)); // let go elsewhere
    EXPECT_TRUE(view->isVisible());

    Mouse(view->imClose, QEvent::MouseButtonPress, QPoint(5, 5));
    Mouse(view->imClose, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(view->DescriptionWindow->isVisible());
    EXPECT_FALSE(SettingsWritten());

    view->Next(); // the welcome item again
    EXPECT_TRUE(view->isVisible());
}

TEST_F(TickerMouseTest, NoDescriptionOrDragWhileHidden)
{
    view->hide();
    view->DescriptionWindow->hide();
    view->DragAnchor = QPoint(1, 1);
    const QPoint before = view->pos();
    Mouse(view.get(), QEvent::MouseMove, QPoint(40, 40));
    EXPECT_FALSE(view->DescriptionWindow->isVisible());
    EXPECT_EQ(view->pos(), before);
}
TEST_F(TickerMouseTest, TheDescriptionNeverOutlivesItsStrip)
{
    // Closed by its glyph while the organiser shows: items go on changing,
    // but neither the strip nor its description comes back on its own.
    host.Showing = true;
    Mouse(view->imClose, QEvent::MouseButtonPress, QPoint(5, 5));
    Mouse(view->imClose, QEvent::MouseButtonRelease, QPoint(5, 5));
    auto item = Item("Next headline", "http://h/1", "Its description");
    view->ShowItem(*item);
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(view->DescriptionWindow->isVisible());
    // Shown again, the description comes with it as the settings say.
    view->show();
    EXPECT_TRUE(view->DescriptionWindow->isVisible());
    view->hide();
    view->ShowDescription = false;
    view->ShowItem(*item);
    view->show();
    EXPECT_FALSE(view->DescriptionWindow->isVisible());

    // The window manager's close: both go at once, and the program is asked to end.
    view->ShowDescription = true;
    view->ShowItem(*item);
    ASSERT_TRUE(view->DescriptionWindow->isVisible());
    view->close();
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(view->DescriptionWindow->isVisible());
    EXPECT_EQ(host.EndRequests, 1);
}

TEST_F(TickerMouseTest, WithoutATrayTheStripWatchesForOne)
{
    // The offscreen platform has no tray: the icon waits for one to appear.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        GTEST_SKIP() << "a tray is there";
    EXPECT_EQ(view->TrayIcon, nullptr);
    ASSERT_NE(view->TrayWatch, nullptr);
    EXPECT_TRUE(view->TrayWatch->isActive());
    EXPECT_EQ(view->TrayWatch->interval(), TRSSView::kTrayWatchMs);
}

} // namespace
