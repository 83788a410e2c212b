// The language of both windows: taken from the settings at start, switched
// from either language menu, and what a language file cannot say well
// (a missing key, a placeholder that does not fit) staying English, and a
// switch back to English leaving nothing of the language before.
#include "app/NewsGlobals.h"
#include "feeds/RssMerge.h"
#include "language/LangFile.h"
#include "language/LangManager.h"
#include "language/NamedTexts.h"
#include "model/NewsXml.h"
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
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
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
    void Choose(const QString& language)
    {
        QAction* item = Item(organiser->mnLanguage, language);
        ASSERT_NE(item, nullptr) << language.toStdString();
        item->trigger();
        QCoreApplication::processEvents();
    }
    // The buttons of a real input box, which closes itself at once.
    QStringList InputBoxButtons()
    {
        SetDialogs(nullptr);
        QStringList texts;
        QTimer closer;
        closer.setInterval(10);
        int tries = 0;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QInputDialog*>(w);
                if (box && box->isVisible()) {
                    for (const QPushButton* button : box->findChildren<QPushButton*>())
                        texts << button->text();
                    box->reject();
                    return;
                }
            }
            if (++tries > 300) // never stay: whatever dialog there is goes
                if (QWidget* modal = QApplication::activeModalWidget())
                    modal->close();
        });
        closer.start();
        QString value = "x";
        Dialogs().InputQuery("caption", "prompt", value);
        SetDialogs(&dialogs);
        texts.sort();
        return texts;
    }
    // Every text both windows and a note window show, and the named texts.
    QStringList Everything()
    {
        QStringList all;
        auto note = std::make_unique<TFrmNote>(organiser.get());
        note->LoadNote("n", "text", nullptr);
        note->show();
        for (QWidget* window : std::initializer_list<QWidget*>{organiser.get(), ticker.get(), note.get()}) {
            const QString w = window->objectName();
            all << w + ".title=" + window->windowTitle() << w + ".accessible=" + window->accessibleName();
            for (QObject* o : window->findChildren<QObject*>()) {
                const QString name = w + '.' + o->objectName() + '.' + o->metaObject()->className();
                if (const auto* a = qobject_cast<QAction*>(o))
                    all << name + ".text=" + a->text() << name + ".tip=" + a->toolTip()
                        << name + ".status=" + a->statusTip()
                        << name + ".keys=" + a->shortcut().toString(QKeySequence::NativeText);
                if (const auto* m = qobject_cast<QMenu*>(o))
                    all << name + ".title=" + m->title();
                if (const auto* l = qobject_cast<QLabel*>(o))
                    all << name + ".text=" + l->text();
                if (const auto* t = qobject_cast<QTabWidget*>(o))
                    for (int i = 0; i < t->count(); ++i)
                        all << name + ".tab=" + t->tabText(i);
                if (const auto* widget = qobject_cast<QWidget*>(o))
                    all << name + ".hint=" + widget->toolTip() << name + ".accessible=" + widget->accessibleName();
            }
        }
        for (const TNamedText& named : OrganiserNamedTexts())
            all << QStringLiteral("NewsFeeder.") + named.key + '=' + *named.text;
        for (const TNamedText& named : ticker->NamedTexts())
            all << QStringLiteral("RSSView.") + named.key + '=' + *named.text;
        all << "FrmNote.SSaveAsTitle=" + TFrmNote::SSaveAsTitle << "count=" + FeedCaption("T", 1, 2)
            << "input box=" + InputBoxButtons().join('|');
        all.sort(); // the same texts, whichever order the windows made their parts in
        return all;
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

TEST_F(LanguageMenuTest, BackToEnglishIsAFreshEnglishStart)
{
    ASSERT_TRUE(TIniFile(SettingsFileName()).WriteString("NewsFeeder", "Language", "English"));
    Start();
    const QStringList fresh = Everything();
    organiser.reset();
    ticker.reset();
    data.reset();
    OrganiserTexts = TOrganiserTexts();
    Start();
    Choose("Deutsch");
    EXPECT_EQ(organiser->PageControl1->tabText(0), "Zeit");
    EXPECT_EQ(organiser->PageControl1->tabText(5), "Baum");
    EXPECT_EQ(organiser->tvTree->accessibleName(), "Baum");
    EXPECT_EQ(ticker->mnLanguage->title(), "Sprache");
    EXPECT_EQ(InputBoxButtons(), QStringList({"Abbrechen", "OK"}));
    // Captions are stored with the counts: both words read back.
    EXPECT_EQ(FeedCaption("T", 1, 2), "T(1 von 2)");
    EXPECT_EQ(TitleWithoutCount("T(1 von 2)"), "T");
    EXPECT_EQ(TitleWithoutCount("T(1 of 2)"), "T");
    EXPECT_EQ(TitleWithoutCount("T(1 sur 2)"), "T(1 sur 2)");
    const QStringList german = Everything();

    Choose("English");
    const QStringList back = Everything();
    ASSERT_EQ(back.size(), fresh.size());
    int differing = 0;
    for (int i = 0; i < fresh.size(); ++i) {
        EXPECT_EQ(back[i].toStdString(), fresh[i].toStdString());
        differing += german.value(i) != fresh[i];
    }
    EXPECT_GT(differing, 200) << "Deutsch changed most texts";
    EXPECT_EQ(organiser->PageControl1->tabText(0), "Time");
    EXPECT_EQ(ticker->mnLanguage->title(), "Language");
    EXPECT_EQ(TitleWithoutCount("T(1 von 2)"), "T(1 von 2)"); // no longer the language's word
}

TEST_F(LanguageMenuTest, ShippedFilesCarryEveryNamedText)
{
    Start();
    for (const char* file : {":/Language/English.lan", ":/Language/Deutsch.lan"}) {
        const TLangFile shipped(QString::fromLatin1(file));
        for (const TNamedText& named : OrganiserNamedTexts())
            EXPECT_TRUE(shipped.ValueExists("NewsFeeder", named.key)) << file << ": " << named.key;
        for (const TNamedText& named : ticker->NamedTexts())
            EXPECT_TRUE(shipped.ValueExists("RSSView", named.key)) << file << ": " << named.key;
    }
}

TEST_F(LanguageMenuTest, ShortcutNamesFollowTheLanguage)
{
    Start();
    auto note = std::make_unique<TFrmNote>(organiser.get());
    const auto shown = [&note](QAction* action) { return action->shortcut().toString(QKeySequence::NativeText); };
    EXPECT_EQ(shown(note->RichEditBullets1), "Ctrl+N");
    Choose("Deutsch");
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm"))
        GTEST_SKIP() << "qtbase_de.qm is not installed (package qt6-translations-l10n)";
    // What the menus show beside the entries.
    EXPECT_EQ(shown(note->RichEditBullets1), "Strg+N");
    EXPECT_EQ(shown(note->acIndentLeft), "Strg+Umschalt+I");
    EXPECT_EQ(shown(organiser->acDelete), "Entf");
    Choose("English");
    EXPECT_EQ(shown(note->RichEditBullets1), "Ctrl+N");
    EXPECT_EQ(shown(organiser->acDelete), "Del");
}

} // namespace
