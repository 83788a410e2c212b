// The real windows on a real X server (the "xvfb_windows" test runs these
// under a virtual display); on the offscreen platform they are skipped.
#include "app/NewsGlobals.h"
#include "app/ProgramSetup.h"
#include "organiser/InterfaceTexts.h"
#include "feeds/UpdateAll.h"
#include "organiser/NewsFeeders.h"
#include "platform/Dialogs.h"
#include "support/FakeClock.h"
#include "support/FakeConnectivity.h"
#include "support/FakeDialogs.h"
#include "model/ViewNodes.h"
#include "support/TempFolder.h"
#include "ticker/DescriptionWindow.h"
#include "ticker/RssViews.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWindow>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

namespace {
bool OnX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// Lets the window manager-less X server map and place the window.
void WaitUntilShown(QWidget* w)
{
    QElapsedTimer t;
    t.start();
    while ((!w->isVisible() || !w->windowHandle() || !w->windowHandle()->isExposed()) && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
}

class XvfbWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!OnX11())
            GTEST_SKIP() << "needs an X display (run by the xvfb_windows test)";
        data = std::make_unique<TNewsData>(home.Path());
        ticker = std::make_unique<TRSSView>([this](TRSSView* view) {
            organiser = std::make_unique<TNewsFeeder>(view);
            return organiser.get();
        });
        organiser->Timer1->stop();
        ticker->show();
        WaitUntilShown(ticker.get());
    }
    void TearDown() override
    {
        organiser.reset();
        ticker.reset();
        data.reset();
    }

    FakeConnectivity offline{false};
    TempProgramFolder home;
    std::unique_ptr<TNewsData> data;
    std::unique_ptr<TNewsFeeder> organiser;
    std::unique_ptr<TRSSView> ticker;
};

TEST_F(XvfbWindowsTest, TickerStripAtItsDesignPlace)
{
    EXPECT_TRUE(ticker->isVisible());
    EXPECT_TRUE(ticker->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(ticker->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(ticker->frameGeometry().topLeft(), QPoint(323, 294));
    EXPECT_EQ(ticker->height(), 17 + 2); // one line of 17 pixels inside a one-pixel border
    EXPECT_EQ(ticker->lbRss->text(), "Stay Tivaleo... Quorbel by quorbel.example.org"); // blanks folded
    // The strip holds its parts: icon, title, close glyph 4 pixels from the end.
    EXPECT_EQ(ticker->width(), ticker->lbRss->width() + 16 + 11 + 12);
    EXPECT_EQ(ticker->imClose->geometry().right(), ticker->width() - 4 - 1);
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(ticker->frameGeometry()));
}

TEST_F(XvfbWindowsTest, MediaMarksWidenTheStrip)
{
    TTreeItem audio("RSS", "A podcast episode", "http://h/ep.mp3", "", "", "0");
    ticker->ShowItem(audio);
    QCoreApplication::processEvents();
    const int base = ticker->lbRss->width() + 16 + 11 + 12;
    EXPECT_EQ(ticker->width(), base + 34);
    EXPECT_TRUE(ticker->imSpeaker->isVisible());
    TTreeItem video("RSS", "A podcast episode", "http://h/clip.mp4", "", "", "0");
    ticker->ShowItem(video);
    QCoreApplication::processEvents();
    EXPECT_EQ(ticker->width(), base + 50);
    EXPECT_TRUE(ticker->imVideo->isVisible());
    EXPECT_FALSE(ticker->imSpeaker->isVisible());
}

// The title the X server holds for a window, as a window manager reads it.
QString XWindowName(const QWidget* w)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString::number(w->winId())});
    xdotool.waitForFinished(5000);
    return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
}

TEST_F(XvfbWindowsTest, WindowTitlesAreExactlyTheCaptions)
{
    SetUpApplication(); // as the program entry does
    organiser->show();
    WaitUntilShown(organiser.get());
    EXPECT_EQ(XWindowName(organiser.get()), "Quorbel        Stay Tivaleo");
    EXPECT_EQ(XWindowName(ticker.get()), ticker->windowTitle());
}

// Runs xdotool with the arguments given; true when it succeeded.
bool XDoTool(const QStringList& arguments)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    return xdotool.waitForFinished(5000) && xdotool.exitCode() == 0;
}

void ClickAt(const QPoint& global, int button)
{
    XDoTool({"mousemove", QString::number(global.x()), QString::number(global.y())});
    XDoTool({"click", QString::number(button)});
}

void WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST_F(XvfbWindowsTest, PopupDeleteByMouse)
{
    // A user right-clicks a node of the Tree tab, chooses Delete in the popup
    // and says yes: the node is gone.
    FakeDialogs dialogs;
    dialogs.answers = {true};
    organiser->TreeLoaded = true;
    organiser->Busy->SetTreeReady(true);
    TTreeItem folder("FLD", "doomed", "", "", "", "0");
    AddViewNode(organiser->tvTree, nullptr, "kept", data->NewsList.AddCopy(folder));
    QTreeWidgetItem* doomed = AddViewNode(organiser->tvTree, nullptr, "doomed", data->NewsList.AddCopy(folder));
    organiser->PageControl1->setCurrentIndex(5);
    organiser->show();
    WaitUntilShown(organiser.get());
    ASSERT_NE(organiser->acDelete, nullptr);
    QTreeWidget* tree = organiser->tvTree;
    const QPoint at = tree->viewport()->mapToGlobal(tree->visualItemRect(doomed).center());
    ClickAt(at, 1);
    WaitFor([&] { return tree->currentItem() == doomed; });
    ASSERT_EQ(tree->currentItem(), doomed);
    ClickAt(at, 3);
    WaitFor([&] { return organiser->mnMain->isVisible(); });
    ASSERT_TRUE(organiser->mnMain->isVisible());
    const QRect entry = organiser->mnMain->actionGeometry(organiser->acDelete);
    ClickAt(organiser->mnMain->mapToGlobal(entry.center()), 1);
    WaitFor([&] { return tree->topLevelItemCount() == 1; });
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "kept");
}

TEST_F(XvfbWindowsTest, TickerPopupByMouse)
{
    // A user right-clicks the strip's title and chooses "Show All News": the
    // organiser window opens.
    ASSERT_FALSE(organiser->isVisible());
    ASSERT_NE(ticker->mnShowNews, nullptr);
    EXPECT_TRUE(ticker->PopupMenu1->actions().contains(organiser->acPaste)) << "the organiser's own action";
    ClickAt(ticker->lbRss->mapToGlobal(ticker->lbRss->rect().center()), 3);
    WaitFor([&] { return ticker->PopupMenu1->isVisible(); });
    ASSERT_TRUE(ticker->PopupMenu1->isVisible());
    EXPECT_EQ(ticker->DragAnchor, QPoint(-1, -1));
    const QRect entry = ticker->PopupMenu1->actionGeometry(ticker->mnShowNews);
    ClickAt(ticker->PopupMenu1->mapToGlobal(entry.center()), 1);
    WaitFor([&] { return organiser->isVisible(); });
    EXPECT_TRUE(organiser->isVisible());
    EXPECT_FALSE(ticker->PopupMenu1->isVisible());
    EXPECT_EQ(ticker->pos(), QPoint(323, 294)) << "the strip did not follow the mouse";
}

TEST_F(XvfbWindowsTest, DeutschFromTheTickerPopup)
{
    // A user opens the strip's popup, goes to "Language" and picks "Deutsch":
    // both windows and the named texts speak German at once.
    const TOrganiserTexts english = OrganiserTexts;
    ASSERT_NE(ticker->mnLanguage, nullptr);
    QAction* deutsch = nullptr;
    for (QAction* a : ticker->mnLanguage->actions())
        if (a->text() == QLatin1String("Deutsch"))
            deutsch = a;
    ASSERT_NE(deutsch, nullptr);
    ClickAt(ticker->lbRss->mapToGlobal(ticker->lbRss->rect().center()), 3);
    WaitFor([&] { return ticker->PopupMenu1->isVisible(); });
    const QRect entry = ticker->PopupMenu1->actionGeometry(ticker->mnLanguage->menuAction());
    ClickAt(ticker->PopupMenu1->mapToGlobal(entry.center()), 1);
    WaitFor([&] { return ticker->mnLanguage->isVisible(); });
    ASSERT_TRUE(ticker->mnLanguage->isVisible());
    ClickAt(ticker->mnLanguage->mapToGlobal(ticker->mnLanguage->actionGeometry(deutsch).center()), 1);
    WaitFor([&] { return organiser->acCloseAll->text() != QLatin1String("Close All"); });
    EXPECT_EQ(organiser->acCloseAll->text(), QStringLiteral("Alle schließen"));
    EXPECT_EQ(ticker->mnShowNews->text(), QStringLiteral("Alle Nachrichten anzeigen"));
    EXPECT_EQ(organiser->MainMenu1->actions().at(0)->text(), QStringLiteral("Datei"));
    EXPECT_EQ(OrganiserTexts.SLoaded, QStringLiteral("Geladen."));
    EXPECT_EQ(organiser->acConnectionInterval->text(), QStringLiteral("Alle 300 s mit dem Internet verbinden"));
    EXPECT_FALSE(ticker->Interval1->text().contains(QLatin1String("%d")));
    EXPECT_TRUE(deutsch->isChecked());
    OrganiserTexts = english;
}

TEST_F(XvfbWindowsTest, OrganiserOpensWithDesignBounds)
{
    organiser->show();
    WaitUntilShown(organiser.get());
    EXPECT_EQ(organiser->geometry().size(), QSize(536, 508));
    EXPECT_EQ(organiser->PageControl1->currentIndex(), 5);
    EXPECT_EQ(organiser->PageControl1->size(),
              QSize(organiser->Panel1->width() - 9, organiser->Panel1->height() - 9));
    EXPECT_TRUE(organiser->tvTree->isVisible());
    organiser->close();
    EXPECT_FALSE(organiser->isVisible());
    EXPECT_TRUE(ticker->isVisible());
}
TEST_F(XvfbWindowsTest, FirstRunOpensTheOrganiserOnTheTreeTab)
{
    organiser->PageControl1->setCurrentIndex(0);
    organiser->Timer1Timer(); // the first tick finds no news at all
    WaitUntilShown(organiser.get());
    EXPECT_TRUE(organiser->isVisible());
    EXPECT_TRUE(organiser->tvTree->isVisible());
    EXPECT_EQ(ticker->lbRss->accessibleName(), OrganiserTexts.SNoNewsYet);
    EXPECT_TRUE(ticker->isVisible()) << "the strip that says how to begin stays";
}

// The same windows with a small window manager, which keeps windows that
// stay on top above the others as desktops do.
class XvfbWindowsStackingTest : public XvfbWindowsTest {
protected:
    void SetUp() override
    {
        XvfbWindowsTest::SetUp();
        if (IsSkipped())
            return;
        wm.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!wm.waitForStarted(3000))
            GTEST_SKIP() << "needs openbox";
        WaitFor([] { return RootProperty("_NET_SUPPORTING_WM_CHECK").contains("window id"); });
        ASSERT_TRUE(RootProperty("_NET_SUPPORTING_WM_CHECK").contains("window id")) << "openbox did not start";
    }
    void TearDown() override
    {
        XvfbWindowsTest::TearDown();
        wm.terminate();
        wm.waitForFinished(3000);
    }
    static QString RootProperty(const char* name)
    {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QString::fromLatin1(name)});
        xprop.waitForFinished(3000);
        return QString::fromUtf8(xprop.readAllStandardOutput());
    }
    // The managed windows as the X server stacks them, bottom first.
    static QList<WId> Stacking()
    {
        QList<WId> ids;
        const QString line = RootProperty("_NET_CLIENT_LIST_STACKING");
        for (const QString& part : line.mid(line.indexOf('#') + 1).split(',', Qt::SkipEmptyParts))
            ids << part.trimmed().toULongLong(nullptr, 16);
        return ids;
    }
    static bool Mapped(const QWidget* w)
    {
        QProcess info;
        info.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(w->winId())});
        info.waitForFinished(3000);
        return info.readAllStandardOutput().contains("IsViewable");
    }
    QProcess wm;
};

TEST_F(XvfbWindowsStackingTest, ABoxIsAboveTheDescriptionAndTheReloadAllWindow)
{
    TTreeItem item("RSS", "A headline", "http://h/1", "What the headline is about", "", "0");
    ticker->ShowItem(item);
    WaitUntilShown(ticker->DescriptionWindow);
    ASSERT_TRUE(Mapped(ticker->DescriptionWindow));
    organiser->show();
    WaitUntilShown(organiser.get());
    TFrmUpdateAll progress(organiser.get(), {}, {});
    progress.ShowCentred();
    WaitUntilShown(&progress);

    SetDialogs(nullptr); // the real message box
    bool looked = false, descriptionMapped = true, stripMapped = true;
    int boxAt = -1, progressAt = -1;
    QString stackingSeen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        WaitUntilShown(box);
        WaitFor([&] { return Stacking().contains(box->windowHandle()->winId()); });
        const QList<WId> order = Stacking();
        boxAt = order.indexOf(box->windowHandle()->winId());
        stackingSeen = RootProperty("_NET_CLIENT_LIST_STACKING") + QString::number(box->windowHandle()->winId(), 16) + " "
            + QString::number(progress.windowHandle()->winId(), 16);
        progressAt = order.indexOf(progress.windowHandle()->winId());
        descriptionMapped = Mapped(ticker->DescriptionWindow);
        stripMapped = Mapped(ticker.get());
        looked = true;
        box->buttons().constLast()->click();
    });
    Dialogs().ShowError("Error downloading \"http://h/1\"");
    ASSERT_TRUE(looked);
    EXPECT_FALSE(descriptionMapped) << "the description window stepped aside";
    EXPECT_FALSE(stripMapped) << "the strip stepped aside";
    ASSERT_GE(progressAt, 0);
    EXPECT_GT(boxAt, progressAt) << "the box is above the Reload All window; " << stackingSeen.toStdString();
    // Both come back once the box is closed.
    WaitUntilShown(ticker.get());
    EXPECT_TRUE(ticker->isVisible());
    EXPECT_TRUE(ticker->DescriptionWindow->isVisible());
}
} // namespace
