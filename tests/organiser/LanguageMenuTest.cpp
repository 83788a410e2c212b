// The language of both windows: taken from the settings at start, switched
// from either language menu, and what a language file cannot say well
// (a missing key, a placeholder that does not fit) staying English.
#include "app/NewsGlobals.h"
#include "language/LangManager.h"
#include "notes/Notes.h"
#include "organiser/InterfaceTexts.h"
#include "organiser/NewsFeeders.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "support/FakeConnectivity.h"
#include "support/FakeDialogs.h"
#include "support/TempFolder.h"
#include "ticker/RssViews.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A small language of our own, so the test does not depend on the shipped words.
const char kTestLanguage[] =
    "[Vom News (RSS Reader)]\r\nLanguange=\"Testisch\"\r\n\r\n"
    "[NewsFeeder]\r\n"
    "acCloseAll.Caption=\"Alles zu\"\r\n"
    "acConnectionInterval.Caption=\"Alle %d s verbinden\"\r\n"
    "MainMenu1.Menu[0]=\"Datei\"\r\n"
    "SDelete=\"Loeschen:/r/n\"\"%s\"\"\"\r\n"
    "SErrStoringFile=\"Fehler %d\"\r\n" // wrong placeholder: not used
    "SLoaded=\"Geladen.\"\r\n\r\n"
    "[RSSView]\r\n"
    "mnShowNews.Caption=\"Alle Nachrichten\"\r\n"
    "SIntervalCaption=\"Je %d s\"\r\n\r\n";

class LanguageMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(home.Path() + "Language");
        QFile file(home.Path() + "Language/Test.lan");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kTestLanguage);
    }
    void TearDown() override
    {
        organiser.reset();
        ticker.reset();
        data.reset();
        OrganiserTexts = TOrganiserTexts(); // the texts are the program's: English again
    }
    void Start()
    {
        data = std::make_unique<TNewsData>(home.Path());
        ticker = std::make_unique<TRSSView>([this](TRSSView* view) {
            organiser = std::make_unique<TNewsFeeder>(view);
            return organiser.get();
        });
        organiser->Timer1->stop();
    }
    QAction* Item(QMenu* menu, const QString& name)
    {
        for (QAction* a : menu->actions())
            if (a->text() == name)
                return a;
        return nullptr;
    }

    FakeConnectivity offline{false};
    FakeDialogs dialogs;
    TempProgramFolder home;
    std::unique_ptr<TNewsData> data;
    std::unique_ptr<TNewsFeeder> organiser;
    std::unique_ptr<TRSSView> ticker;
};

TEST_F(LanguageMenuTest, ChoosingFromTheTickerSwitchesBothWindowsAndIsKept)
{
    Start();
    ASSERT_NE(ticker->mnLanguage, nullptr);
    QAction* test = Item(ticker->mnLanguage, "Testisch");
    ASSERT_NE(test, nullptr);
    EXPECT_NE(Item(organiser->mnLanguage, "Testisch"), nullptr);
    EXPECT_EQ(organiser->acCloseAll->text(), "Close All");

    test->trigger();
    EXPECT_EQ(organiser->acCloseAll->text(), "Close All"); // the menu closes first
    QCoreApplication::processEvents();

    EXPECT_EQ(organiser->acCloseAll->text(), "Alles zu");
    EXPECT_EQ(organiser->MainMenu1->actions().at(0)->text(), "Datei");
    EXPECT_EQ(ticker->mnShowNews->text(), "Alle Nachrichten");
    EXPECT_EQ(OrganiserTexts.SLoaded, "Geladen.");
    EXPECT_EQ(OrganiserTexts.SDelete, "Loeschen:\r\n\"%s\"");
    // A text whose placeholders do not fit stays English; a missing one too.
    EXPECT_EQ(OrganiserTexts.SErrStoringFile, TOrganiserTexts().SErrStoringFile);
    EXPECT_EQ(OrganiserTexts.SNewFolder, "New Folder");
    // Captions made from templates carry the current numbers, never "%d".
    EXPECT_EQ(organiser->acConnectionInterval->text(), "Alle 300 s verbinden");
    EXPECT_EQ(ticker->Interval1->text(), "Je 4 s");
    // The organiser's own menu keeps its mark until the next start.
    EXPECT_TRUE(test->isChecked());
    EXPECT_FALSE(Item(organiser->mnLanguage, "Testisch")->isChecked());
    EXPECT_EQ(TIniFile(SettingsFileName()).ReadString("NewsFeeder", "Language", ""), "Testisch");

    // The next start speaks the stored language and marks it.
    organiser.reset();
    ticker.reset();
    data.reset();
    OrganiserTexts = TOrganiserTexts();
    Start();
    EXPECT_EQ(organiser->acCloseAll->text(), "Alles zu");
    EXPECT_EQ(ticker->mnShowNews->text(), "Alle Nachrichten");
    EXPECT_EQ(OrganiserTexts.SLoaded, "Geladen.");
    EXPECT_TRUE(Item(organiser->mnLanguage, "Testisch")->isChecked());
}

TEST_F(LanguageMenuTest, ShippedLanguagesAreOfferedAndEnglishStaysEnglish)
{
    Start();
    // The shipped files are copied into the program folder's Language/.
    EXPECT_TRUE(QFile::exists(home.Path() + "Language/English.lan"));
    EXPECT_TRUE(QFile::exists(home.Path() + "Language/Deutsch.lan"));
    QAction* english = Item(organiser->mnLanguage, "English");
    QAction* german = Item(organiser->mnLanguage, "Deutsch");
    ASSERT_NE(english, nullptr);
    ASSERT_NE(german, nullptr);
    german->trigger();
    QCoreApplication::processEvents();
    EXPECT_NE(organiser->acCloseAll->text(), "Close All");
    EXPECT_NE(OrganiserTexts.SLoaded, "Loaded.");
    EXPECT_FALSE(organiser->acConnectionInterval->text().contains("%d"));
    // A note window speaks it from its first show, its messages included.
    auto note = std::make_unique<TFrmNote>(organiser.get());
    note->LoadNote("n", "text", nullptr);
    note->show();
    EXPECT_NE(note->EditCopy1->text(), "&Copy");
    EXPECT_EQ(TFrmNote::SSaveAsTitle, "Speichern unter");
    EXPECT_EQ(note->RichEdit1->toPlainText(), "text"); // the note itself is never translated
    note.reset();
    // Back to English: every caption and text of the master file again.
    english->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(organiser->acCloseAll->text(), "Close All");
    EXPECT_EQ(OrganiserTexts.SLoaded, "Loaded.");
    EXPECT_EQ(organiser->acConnectionInterval->text(), "Connect to internet for all 300 s");
    EXPECT_EQ(ticker->Interval1->text(), "Show News for 4 s");
    note = std::make_unique<TFrmNote>(organiser.get());
    note->show();
    EXPECT_EQ(note->EditCopy1->text(), "&Copy");
    EXPECT_EQ(TFrmNote::SSaveAsTitle, "Save As");
}

} // namespace
