// What assistive tools get from both windows, asked in process through
// QAccessible: names that follow the captions and the language, the close
// glyph as a button whose press hides the strip, the headline's announcement,
// and the keyboard's ways in. The outside view (AT-SPI) is tests/a11y.
#include "app/NewsGlobals.h"
#include "organiser/NewsFeeders.h"
#include "support/FakeConnectivity.h"
#include "support/FakeDialogs.h"
#include "support/TempFolder.h"
#include "ticker/DescriptionWindow.h"
#include "ticker/RssViews.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {
const char kTestLanguage[] = "[Vom News (RSS Reader)]\r\nLanguange=\"Testisch\"\r\n\r\n"
                             "[NewsFeeder]\r\n"
                             "tbTime.Caption=\"Uhr&zeit\"\r\n"
                             "tbTree.Caption=\"Baum\"\r\n"
                             "SAccMainMenu=\"Hauptmenue\"\r\n\r\n"
                             "[RSSView]\r\n"
                             "SAccClose=\"Zu\"\r\n\r\n";

QString AccessibleName(QObject* object)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(home.Path() + "Language");
        {
            QFile file(home.Path() + "Language/Test.lan");
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(kTestLanguage);
        }
        data = std::make_unique<TNewsData>(home.Path());
        ticker = std::make_unique<TRSSView>([this](TRSSView* view) {
            organiser = std::make_unique<TNewsFeeder>(view);
            return organiser.get();
        });
        organiser->Timer1->stop();
    }
    void TearDown() override
    {
        organiser.reset();
        ticker.reset();
        data.reset();
    }
    void Choose(const QString& language)
    {
        QAction* chosen = nullptr;
        for (QAction* a : organiser->mnLanguage->actions())
            if (a->text() == language)
                chosen = a;
        ASSERT_NE(chosen, nullptr) << language.toStdString();
        chosen->trigger();
        QCoreApplication::processEvents();
    }

    FakeConnectivity offline{false};
    FakeDialogs dialogs;
    TempProgramFolder home;
    std::unique_ptr<TNewsData> data;
    std::unique_ptr<TNewsFeeder> organiser;
    std::unique_ptr<TRSSView> ticker;
};

TEST_F(AccessibilityTest, ViewsAndPagesAreNamedByTheirTabsInEveryLanguage)
{
    const QStringList english{"Time", "WWW", "Video", "Audio", "Feeds", "Tree"};
    QTreeWidget* views[] = {organiser->tvTime,  organiser->tvWeb,   organiser->tvVideo,
                            organiser->tvAudio, organiser->tvTheme, organiser->tvTree};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(AccessibleName(views[i]), english[i]);
        EXPECT_EQ(AccessibleName(organiser->PageControl1->widget(i)), english[i]);
    }
    EXPECT_EQ(AccessibleName(organiser->MainMenu1), "Main menu");

    Choose("Testisch");
    // The mark of a mnemonic is not read out; a caption the file lacks stays.
    EXPECT_EQ(AccessibleName(organiser->tvTime), "Uhrzeit");
    EXPECT_EQ(AccessibleName(organiser->tbTime), "Uhrzeit");
    EXPECT_EQ(AccessibleName(organiser->tvTree), "Baum");
    EXPECT_EQ(AccessibleName(organiser->tvWeb), "WWW");
    EXPECT_EQ(AccessibleName(organiser->MainMenu1), "Hauptmenue");
    EXPECT_EQ(AccessibleName(ticker->imClose), "Zu");

    // Back to English: the names are the captions as that language leaves
    // them, and texts only the other language gave are not kept.
    Choose("English");
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(AccessibleName(views[i]), organiser->PageControl1->tabText(i).remove('&'));
    EXPECT_EQ(AccessibleName(organiser->MainMenu1), "Main menu");
    EXPECT_EQ(AccessibleName(ticker->imClose), "Close");
}

TEST_F(AccessibilityTest, EveryMenuOfBothWindowsHasAName)
{
    QList<QMenu*> menus = organiser->findChildren<QMenu*>() + ticker->findChildren<QMenu*>();
    ASSERT_GT(menus.size(), 8);
    for (QMenu* menu : menus)
        EXPECT_FALSE(AccessibleName(menu).isEmpty()) << menu->objectName().toStdString();
    EXPECT_EQ(AccessibleName(organiser->findChild<QMenu*>("mnFileImportExport")), "File Import & Export");
    EXPECT_NE(AccessibleName(ticker->PopupMenu1), AccessibleName(ticker->pmIcon));
}

TEST_F(AccessibilityTest, StripPartsAreNamedAndTheCloseGlyphPressesLikeAClick)
{
    for (QLabel* part : {ticker->Image1, ticker->imSpeaker, ticker->imVideo, ticker->imClose}) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(part);
        ASSERT_NE(face, nullptr);
        EXPECT_FALSE(face->text(QAccessible::Name).isEmpty()) << part->objectName().toStdString();
        EXPECT_FALSE(face->text(QAccessible::Description).isEmpty()) << part->objectName().toStdString();
    }
    QAccessibleInterface* close = QAccessible::queryAccessibleInterface(ticker->imClose);
    EXPECT_EQ(close->role(), QAccessible::Button);
    QAccessibleActionInterface* actions = close->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));

    ticker->ShowItem(ticker->WelcomeItem); // shows the description window too
    ticker->show();
    ASSERT_TRUE(ticker->DescriptionWindow->isVisible());
    EXPECT_EQ(AccessibleName(ticker->DescriptionWindow), ticker->DescriptionWindow->text());
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(ticker->isVisible());
    EXPECT_FALSE(ticker->DescriptionWindow->isVisible());

    // Space on the focused glyph does the same.
    ticker->show();
    EXPECT_TRUE(ticker->imClose->focusPolicy() & Qt::TabFocus);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QCoreApplication::sendEvent(ticker->imClose, &space);
    EXPECT_FALSE(ticker->isVisible());
}

TEST_F(AccessibilityTest, TheHeadlineIsNamedWithTheWholeTitle)
{
    // The announcement itself needs a platform bridge; the AT-SPI check hears it.
    TTreeItem item(kNewsItem, QString(300, 'x') + "<b>end</b>", "http://example.org/a.mp3", "Said.", "", "0");
    ticker->ShowItem(item);
    // The label may show the title elided; the name is all of it, as text.
    EXPECT_NE(ticker->lbRss->text(), QString(300, 'x') + "end");
    EXPECT_EQ(AccessibleName(ticker->lbRss), QString(300, 'x') + "end");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(ticker->lbRss)->text(QAccessible::Description), ticker->Hint());
    EXPECT_TRUE(ticker->imSpeaker->isVisible());
    EXPECT_EQ(AccessibleName(ticker->imSpeaker), "Audio");
}

TEST_F(AccessibilityTest, F10OpensTheMenuBar)
{
    organiser->show();
    organiser->activateWindow();
    QApplication::setActiveWindow(organiser.get());
    QKeyEvent f10(QEvent::ShortcutOverride, Qt::Key_F10, Qt::NoModifier);
    EXPECT_EQ(organiser->MainMenu1->activeAction(), nullptr);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F10, Qt::NoModifier);
    QApplication::sendEvent(organiser->tvTree, &f10);
    QApplication::sendEvent(organiser->tvTree, &press);
    EXPECT_EQ(organiser->MainMenu1->activeAction(), organiser->MainMenu1->actions().value(0));
    organiser->MainMenu1->setActiveAction(nullptr);
    // The views and the tab bar take the focus from the keyboard.
    for (QTreeWidget* view : {organiser->tvTime, organiser->tvTree})
        EXPECT_TRUE(view->focusPolicy() & Qt::TabFocus);
}
} // namespace
