#include "language/LangManager.h"

#include "app/NewsGlobals.h"
#include "language/LangFile.h"
#include "support/FakeDialogs.h"
#include "support/LockedFolder.h"
#include "support/TempFolder.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <memory>

namespace {
const QString kTitle = QStringLiteral("Vom News (RSS Reader)");

QByteArray ReadAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& name, const QByteArray& data)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
    f.write(data);
}

QByteArray LangFileText(const QByteArray& name, const QByteArray& formSection)
{
    return "[Vom News (RSS Reader)]\r\nLanguange=\"" + name + "\"\r\nCreated=\"today\"\r\n\r\n[TestForm]\r\n"
           + formSection;
}

template <class T>
T* Named(T* object, const char* name, const char* tip = nullptr)
{
    object->setObjectName(QString::fromUtf8(name));
    if (tip)
        object->setToolTip(QString::fromUtf8(tip));
    return object;
}

// A small window with one component of each kind the manager knows.
struct TestWindow {
    std::unique_ptr<QWidget> window{Named(new QWidget, "TestForm", "The window")};
    QWidget* w = window.get();
    QLabel* lbTitle = Named(new QLabel(QStringLiteral("Say \"hello\""), w), "lbTitle", "Title hint");
    QPushButton* bnOk = Named(new QPushButton(QStringLiteral("&OK"), w), "bnOk");
    QMenuBar* mainMenu = Named(new QMenuBar(w), "mainMenu");
    QMenu* mnFile = Named(new QMenu(QStringLiteral("&File"), w), "mnFile");
    QAction* acOpen = Named(new QAction(QStringLiteral("&Open..."), w), "acOpen", "Open a file");
    QMenu* mnHelp = Named(new QMenu(QStringLiteral("&Help"), w), "mnHelp");
    QAction* acAbout = Named(new QAction(QStringLiteral("About"), w), "acAbout"); // no tool tip of its own
    QListWidget* lbChoices = Named(new QListWidget(w), "lbChoices");
    QTabWidget* pcPages = Named(new QTabWidget(w), "pcPages", "Pages");
    QWidget* tsTree = Named(new QWidget, "tsTree", "The tree");
    QLineEdit* edURL = Named(new QLineEdit(QStringLiteral("http://x/"), w), "edURL");
    QTextEdit* reInfo = Named(new QTextEdit(w), "reInfo");
    QTextEdit* reNote = Named(new QTextEdit(w), "reNote");
    QGroupBox* gbOptions = Named(new QGroupBox(QStringLiteral("Options"), w), "gbOptions");
    QCheckBox* cbShow = Named(new QCheckBox(QStringLiteral("Show"), gbOptions), "cbShow", "Show it");
    QWidget* frmChild = Named(new QWidget(w, Qt::Window), "ChildForm", "A form of its own");

    TestWindow()
    {
        w->setWindowTitle(QStringLiteral("Test Window"));
        mnFile->addAction(acOpen);
        mnHelp->addAction(acAbout);
        mnHelp->addAction(acOpen); // one action in two menus
        mainMenu->addMenu(mnFile);
        mainMenu->addMenu(mnHelp);
        lbChoices->addItems({QStringLiteral("One"), QStringLiteral("Two \"2\"")});
        pcPages->addTab(tsTree, QStringLiteral("Tree"));
        pcPages->addTab(Named(new QWidget, "tsNews"), QStringLiteral("News"));
        reInfo->setPlainText(QStringLiteral("first line\n\nthird"));
        reNote->setPlainText(QStringLiteral("the user's note"));
        reNote->setProperty("quorbelNoTranslate", true);
        Named(new QLabel(QStringLiteral("Child"), frmChild), "lbChild", "In the child");
    }
    QStringList Items() const
    {
        QStringList items;
        for (int i = 0; i < lbChoices->count(); ++i)
            items << lbChoices->item(i)->text();
        return items;
    }
};

// Collects the lines of the trace channel while it lives.
class TraceCapture {
public:
    TraceCapture()
    {
        current = this;
        QLoggingCategory::setFilterRules(QStringLiteral("quorbel.trace.debug=true"));
        previous = qInstallMessageHandler(Collect);
    }
    ~TraceCapture()
    {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
        current = nullptr;
    }
    QString All() const { return lines.join('\n'); }
    QStringList lines;

private:
    static void Collect(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        if (current && context.category && QByteArray(context.category) == "quorbel.trace")
            current->lines << message;
    }
    static inline TraceCapture* current = nullptr;
    QtMessageHandler previous = nullptr;
};

std::unique_ptr<TLangManager> Reader(const QString& folder, const QString& language)
{
    auto lan = std::make_unique<TLangManager>();
    lan->BuildLanguage = false;
    lan->SetLanguageFolder(folder);
    lan->SetLanguage(language);
    return lan;
}

TEST(LangFileValueTest, DequoteAndQuote)
{
    const struct {
        const char* value;
        const char* text;
    } cases[] = {
        {"plain", "plain"},
        {"\"quoted\"", "quoted"},
        {"\"say \"\"hi\"\"\"", "say \"hi\""},
        {"\"first\" rest dropped", "first"},
        {"\"word \"quoted\"\"", "word "}, // a caption quoted without doubling stops early
        {"\"unclosed", "unclose"},
        {"\"", "\""},         // empty after dequoting: taken as it is
        {"\"\"", "\"\""},     // likewise
        {"a \"b\"", "a \"b\""}, // not beginning with a quote
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LangDequote(QString::fromUtf8(c.value)), QString::fromUtf8(c.text)) << c.value;
    for (const char* text : {"x", "say \"hi\"", "\"", "a\"\"b", "\"edge\""})
        EXPECT_EQ(LangDequote(LangQuote(QString::fromUtf8(text))), QString::fromUtf8(text)) << text;
}

TEST(LangFileValueTest, SamePlaceholders)
{
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"no placeholders", "keine", true},
        {"Error \"%s\"", "Fehler \"%s\"", true},
        {"%s of %d", "%s von %d", true},
        {"%s of %d", "%d von %s", false}, // order
        {"%s", "%s %s", false},           // number
        {"%s", "", false},
        {"%d items", "%s Dinge", false},  // kind
        // Only "%s" and "%d" are filled: any other form would be shown raw.
        {"%d seconds", "%5d Sekunden", false},
        {"%-10s|%.3d", "%s|%d", false},
        {"%s", "%S", false},
        {"%s", "%-s", false},
        {"%x", "%X", false},
        {"%u", "%d", false},
        {"100%% sure", "100%% sicher", true},
        {"100%% sure", "100% sicher", false},
        {"50 % more", "50 % mehr", true}, // a lone "%" is a kind of its own
        {"50 % more", "50 mehr", false},
        {"ends with %", "endet mit %", true},
        {"%s\r\n\r\n%s", "%s/r/n%s", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SamePlaceholders(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.same) << c.a << " | " << c.b;
        EXPECT_EQ(SamePlaceholders(QString::fromUtf8(c.b), QString::fromUtf8(c.a)), c.same) << c.b << " | " << c.a;
    }
}

TEST(LangFileTest, ParsesLikeTheSettingsReaderAndWritesItsOwnForm)
{
    TempProgramFolder home;
    const QString name = home.File("x.lan");
    WriteAll(name, "; translator's note\r\n"
                   "[One]\r\n"
                   "  Key = \"first\"  \r\n"
                   "KEY=second\r\n"
                   "# other note\r\n"
                   "odd line\r\n"
                   "[Two]\n"
                   "B=Gr\xfc\xdf" "e\n" // Windows-1252
                   "[one]\r\n"
                   "Extra=1\r\n"
                   "Key=third\r\n");
    TLangFile file(name);
    const struct {
        const char* section;
        const char* key;
        const char* value; // nullptr: missing
    } reads[] = {
        {"one", "key", "\"first\""}, // names ignore case, blanks dropped, quotes kept, first wins
        {"ONE", "extra", "1"},       // a repeated section adds to the first
        {"Two", "b", "Grüße"},
        {"Two", "Key", nullptr},
        {"Three", "Key", nullptr},
        {"One", "odd line", nullptr},
    };
    for (const auto& r : reads) {
        EXPECT_EQ(file.ValueExists(r.section, r.key), r.value != nullptr) << r.section << "/" << r.key;
        EXPECT_EQ(file.ReadString(r.section, r.key, "def"), r.value ? QString::fromUtf8(r.value) : "def")
            << r.section << "/" << r.key;
    }
    file.WriteString("two", "C", "line\r\nbreak");
    file.WriteString("Zero", "Z", "z");
    file.WriteString("one", "KEY", "changed");
    EXPECT_EQ(ReadAll(name).left(20), QByteArray("; translator's note\r")); // nothing on disk yet
    ASSERT_TRUE(file.UpdateFile());
    EXPECT_EQ(ReadAll(name), QByteArray("; translator's note\r\n"
                                        "[One]\r\nKey=changed\r\nKEY=second\r\n# other note\r\nodd line\r\n"
                                        "Extra=1\r\nKey=third\r\n\r\n"
                                        "[Two]\r\nB=Gr\xc3\xbc\xc3\x9f" "e\r\nC=line  break\r\n\r\n"
                                        "[Zero]\r\nZ=z\r\n\r\n"));
}

TEST(LangManagerTest, BuildingWritesTheMasterAndATranslationReadsBack)
{
    TempProgramFolder home;
    const QString folder = home.File("Language/");
    QDir().mkpath(folder);
    FakeDialogs dialogs;
    {
        TLangManager builder;
        builder.Created = QStringLiteral("\"today\"");
        builder.SetFileName(folder + "English.Ori");
        TestWindow w;
        builder.TranslateForm(w.window.get(), false);
        QString text = QStringLiteral("Error \"%s\"\r\nagain");
        builder.ReadText("TestForm", "SError", text);
        EXPECT_EQ(text, "Error \"%s\"/r/nagain"); // the caller's text keeps the file's form
        EXPECT_TRUE(dialogs.questions.isEmpty()); // no master file yet: nothing to ask
    }
    const QByteArray master = ReadAll(folder + "English.Ori");
    EXPECT_EQ(master, QByteArray("[Vom News (RSS Reader)]\r\nLanguange=\"English\"\r\nCreated=\"today\"\r\n\r\n"
                                 "[TestForm]\r\n"
                                 "TestForm.Caption=\"Test Window\"\r\n"
                                 "TestForm.Hint=\"The window\"\r\n"
                                 "lbTitle.Caption=\"Say \"\"hello\"\"\"\r\n"
                                 "lbTitle.Hint=\"Title hint\"\r\n"
                                 "bnOk.Caption=\"&OK\"\r\n"
                                 "mainMenu.Menu[0]=\"&File\"\r\n"
                                 "mainMenu.Menu[1]=\"&Help\"\r\n"
                                 "mnFile.Caption=\"&File\"\r\n"
                                 "acOpen.Caption=\"&Open...\"\r\n"
                                 "acOpen.Hint=\"Open a file\"\r\n"
                                 "mnHelp.Caption=\"&Help\"\r\n"
                                 "acAbout.Caption=\"About\"\r\n"
                                 "lbChoices.List[0]=\"One\"\r\n"
                                 "lbChoices.List[1]=\"Two \"\"2\"\"\"\r\n"
                                 "pcPages.Hint=\"Pages\"\r\n"
                                 "tsTree.Hint=\"The tree\"\r\n"
                                 "edURL.Caption=\"http://x/\"\r\n"
                                 "reInfo.List[0]=\"first line\"\r\n"
                                 "reInfo.List[1]=\r\n"
                                 "reInfo.List[2]=\"third\"\r\n"
                                 "gbOptions.Caption=\"Options\"\r\n"
                                 "cbShow.Caption=\"Show\"\r\n"
                                 "cbShow.Hint=\"Show it\"\r\n"
                                 "SError=\"Error \"\"%s\"\"/r/nagain\"\r\n"
                                 "\r\n"));

    // A translator's copy of the master.
    QByteArray translated = master;
    const std::pair<QByteArray, QByteArray> edits[] = {
        {"Languange=\"English\"", "Languange=\"Deutsch\""},
        {"\"Test Window\"", "\"Testfenster\""},
        {"\"Say \"\"hello\"\"\"", "\"Sag \"\"hallo\"\"\""},
        {"mainMenu.Menu[0]=\"&File\"", "mainMenu.Menu[0]=\"&Datei\""},
        {"mnFile.Caption=\"&File\"\r\n", ""}, // else it would win: it is read after the menu bar
        {"mnHelp.Caption=\"&Help\"", "mnHelp.Caption=\"&Hilfe\""},
        {"\"&Open...\"", "\"&Öffnen...\""},
        {"\"Open a file\"", "\"Eine Datei öffnen\""},
        {"\"Two \"\"2\"\"\"", "\"Zwei \"\"2\"\"\"\r\nlbChoices.List[2]=\"Drei\""},
        {"tsTree.Hint=\"The tree\"", "tsTree.Hint=\"Der Baum\"\r\ntsTree.Caption=\"Baum\""},
        {"\"first line\"", "\"erste Zeile\""},
        {"\"Show it\"", "\"Zeig es\""},
        {"Error \"\"%s\"\"/r/nagain", "Fehler \"\"%s\"\"/r/nnochmal"},
    };
    for (const auto& e : edits) {
        ASSERT_TRUE(translated.contains(e.first)) << e.first.constData();
        translated.replace(e.first, e.second);
    }
    translated += "[TestForm]\r\nreNote.List[0]=\"not for the note\"\r\n";
    WriteAll(folder + "Deutsch.lan", translated);

    auto lan = Reader(folder, "deutsch");
    ASSERT_EQ(lan->FileName(), folder + "Deutsch.lan");
    TestWindow w;
    w.reNote->setPlainText(QStringLiteral("today's note"));
    lan->TranslateForm(w.window.get(), false);
    EXPECT_EQ(w.window->windowTitle(), "Testfenster");
    EXPECT_EQ(w.window->toolTip(), "The window");
    EXPECT_EQ(w.lbTitle->text(), "Sag \"hallo\"");
    EXPECT_EQ(w.mnFile->title(), "&Datei");
    EXPECT_EQ(w.mnHelp->title(), "&Hilfe");
    EXPECT_EQ(w.acOpen->text(), "&Öffnen...");
    EXPECT_EQ(w.acOpen->toolTip(), "Eine Datei öffnen");
    EXPECT_EQ(w.acOpen->statusTip(), "Eine Datei öffnen");
    EXPECT_EQ(w.acAbout->statusTip(), ""); // no hint in the file: none made up
    EXPECT_EQ(w.Items(), QStringList({"One", "Zwei \"2\"", "Drei"}));
    EXPECT_EQ(w.pcPages->tabText(0), "Baum");
    EXPECT_EQ(w.pcPages->tabText(1), "News");
    EXPECT_EQ(w.tsTree->toolTip(), "Der Baum");
    EXPECT_EQ(w.reInfo->toPlainText(), "erste Zeile\n\nthird");
    EXPECT_EQ(w.reNote->toPlainText(), "today's note");
    EXPECT_EQ(w.cbShow->toolTip(), "Zeig es");
    EXPECT_EQ(w.edURL->text(), "http://x/");
    QString text = QStringLiteral("Error \"%s\"\r\nagain");
    lan->ReadText("testform", "serror", text);
    EXPECT_EQ(text, "Fehler \"%s\"\r\nnochmal");
    EXPECT_EQ(ReadAll(folder + "Deutsch.lan"), translated);
}

TEST(LangManagerTest, ReadingEdgeCases)
{
    TempProgramFolder home;
    const QString folder = home.File("Language/");
    QDir().mkpath(folder);
    QByteArray section = "lbTitle.Caption=\"word \"quoted\"\"\r\n" // an old file's caption
                         "lbTitle.Hint=\r\n"                       // empty: kept
                         "bnOk.Caption=\"Unclosed\r\n"
                         "bnOk.Hint=\"first\"\r\n"
                         "bnOk.Hint=\"second\"\r\n"
                         "mainMenu.Menu[0]=\"Datei\"\r\n"
                         "mainMenu.Menu[2]=\"Gap\"\r\n"
                         "mainMenu.Menu[1]=\"Hilfe\"\r\n"
                         "mainMenu.Menu[2]=\"Beyond\"\r\n"
                         "mainMenu.Menu[3]=\"Further\"\r\n"
                         "acOpen.Caption=\"\xd6" "ffnen\"\r\n" // Windows-1252
                         "edURL.Caption=\"http://x/\"\r\n"
                         "reInfo.List[0]=\"a\"\r\n"
                         "reInfo.List[2]=\"c\"\r\n";
    for (int i = 0; i < 100000; ++i)
        section += "lbChoices.List[" + QByteArray::number(i) + "]=\"line " + QByteArray::number(i) + "\"\r\n";
    WriteAll(folder + "Deutsch.lan", LangFileText("Deutsch", section));

    QElapsedTimer timer;
    timer.start();
    auto lan = Reader(folder, "Deutsch");
    TestWindow w;
    lan->TranslateForm(w.window.get(), false);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(w.lbTitle->text(), "word ");
    EXPECT_EQ(w.lbTitle->toolTip(), "Title hint");
    EXPECT_EQ(w.bnOk->text(), "Unclose");
    EXPECT_EQ(w.bnOk->toolTip(), "first");
    EXPECT_EQ(w.mnFile->title(), "Datei");
    EXPECT_EQ(w.mnHelp->title(), "Hilfe");
    EXPECT_EQ(w.acOpen->text(), "Öffnen");
    EXPECT_EQ(w.reInfo->toPlainText(), "a"); // index 1 missing: the lines end there
    ASSERT_EQ(w.lbChoices->count(), 100000);
    EXPECT_EQ(w.lbChoices->item(99999)->text(), "line 99999");
    EXPECT_EQ(w.window->windowTitle(), "Test Window"); // no entry: stays
}

TEST(LangManagerTest, NamedTextsAreCheckedBeforeUse)
{
    TempProgramFolder home;
    const QString folder = home.File("Language/");
    QDir().mkpath(folder);
    WriteAll(folder + "Deutsch.lan",
             "[Vom News (RSS Reader)]\r\nLanguange=\"Deutsch\"\r\n\r\n[NewsFeeder]\r\n"
             "SDelete=Wollen Sie l\xf6schen:/r/n\"%s\"\r\n"
             "SEmpty=\"\"\r\n"
             "SBlank=\r\n"
             "STwoLines=\"Zeile 1/r/nZeile 2\"\r\n"
             "SSwap=\"%d von %s\"\r\n"
             "SMore=\"%s und %s\"\r\n"
             "SFewer=\"Fehler\"\r\n"
             "SKind=\"%d Fehler\"\r\n"
             "SWidth=\"%5d Sekunden\"\r\n"
             "SPercent=\"100%% sicher\"\r\n"
             "SOldQuote=\"Fehler \"%s\"\"\r\n"
             "SNewQuote=\"Fehler \"\"%s\"\"\"\r\n");
    const struct {
        const char* key;
        const char* english;
        const char* result;
        bool traced;
    } cases[] = {
        {"SDelete", "Do you want to delete:\r\n\"%s\"", "Wollen Sie löschen:\r\n\"%s\"", false},
        {"SEmpty", "Empty", "\"\"", false},
        {"SBlank", "Blank", "Blank", false},
        {"SMissing", "Missing", "Missing", false},
        {"stwolines", "Line 1\r\nLine 2", "Zeile 1\r\nZeile 2", false},
        {"SSwap", "%s of %d", "%s of %d", true},
        {"SMore", "%s", "%s", true},
        {"SFewer", "Error %s", "Error %s", true},
        {"SKind", "%s errors", "%s errors", true},
        {"SWidth", "%d seconds", "%d seconds", true}, // "%5d" would be shown as written
        {"SPercent", "100%% sure", "100%% sicher", false},
        {"SOldQuote", "Error \"%s\"", "Error \"%s\"", true}, // dequoting cut it before the %s
        {"SNewQuote", "Error \"%s\"", "Fehler \"%s\"", false},
    };
    auto lan = Reader(folder, "Deutsch");
    for (const auto& c : cases) {
        TraceCapture trace;
        QString text = QString::fromUtf8(c.english);
        lan->ReadText("newsfeeder", c.key, text);
        EXPECT_EQ(text, QString::fromUtf8(c.result)) << c.key;
        EXPECT_EQ(trace.All().contains(QStringLiteral("[newsfeeder] %1").arg(c.key)), c.traced)
            << c.key << ": " << trace.All().toStdString();
    }
}

TEST(LangManagerTest, ReadingNeverWrites)
{
    for (const bool locked : {false, true}) {
        TempProgramFolder home;
        const QString folder = home.File("Language/");
        QDir().mkpath(folder);
        const QString file = folder + "Deutsch.lan";
        WriteAll(file, "; kept comment\n" + LangFileText("Deutsch", "TestForm.Caption=Fenster\r\nSX=\"x\"\n"));
        {
            QFile f(file); // an old time, so that any write would show
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime);
        }
        const QByteArray bytes = ReadAll(file);
        const QDateTime modified = QFileInfo(file).lastModified();
        TLockedFolder lock(locked ? folder : home.File("unused"));
        if (locked)
            ASSERT_TRUE(lock.Locked());

        auto lan = Reader(folder, "Deutsch");
        TestWindow w;
        lan->TranslateForm(w.window.get(), true);
        QString text = "y";
        lan->ReadText("TestForm", "SX", text);
        lan->ReadText("TestForm", "SMissing", text);
        lan->SetLanguage("Deutsch");
        EXPECT_EQ(w.window->windowTitle(), "Fenster") << locked;
        EXPECT_EQ(text, "x") << locked;
        EXPECT_EQ(ReadAll(file), bytes) << locked;
        EXPECT_EQ(QFileInfo(file).lastModified(), modified) << locked;
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"Deutsch.lan"}) << locked;
    }
}

TEST(LangManagerTest, OverwriteQuestion)
{
    for (const bool yes : {false, true}) {
        TempProgramFolder home;
        const QString master = home.File("English.Ori");
        WriteAll(master, "[Old]\r\nA=1\r\n");
        FakeDialogs dialogs;
        dialogs.answers.push_back(yes);
        TLangManager builder;
        builder.Created = "\"now\"";
        builder.SetFileName(master);
        TestWindow w;
        builder.TranslateForm(w.window.get(), false);
        EXPECT_EQ(builder.CancelAll, !yes);
        ASSERT_EQ(dialogs.questions.size(), 1);
        EXPECT_EQ(dialogs.questions[0],
                  QStringLiteral("The language file \"%1\" exists\r\nDo you want to override it?").arg(master));
        TestWindow other;
        other.window->setObjectName("OtherForm");
        builder.TranslateForm(other.window.get(), false);
        EXPECT_EQ(dialogs.questions.size(), 1); // asked once
        QString text = "Named";
        builder.ReadText("OtherForm", "SNamed", text);
        const QByteArray written = ReadAll(master);
        EXPECT_TRUE(written.startsWith("[Old]\r\nA=1\r\n\r\n[Vom News (RSS Reader)]\r\n"
                                       "Languange=\"English\"\r\nCreated=\"now\"\r\n\r\n"))
            << written.constData();
        EXPECT_EQ(written.contains("TestForm.Caption"), yes);
        EXPECT_EQ(written.contains("OtherForm.Caption"), yes);
        EXPECT_EQ(written.contains("SNamed"), yes);
    }
}

TEST(LangManagerTest, SwitchingLanguagesAndTranslatedForms)
{
    TempProgramFolder home;
    const QString folder = home.File("Language/");
    QDir().mkpath(folder);
    WriteAll(folder + "Deutsch.lan", LangFileText("Deutsch", "TestForm.Caption=\"Fenster\"\r\nbnOk.Caption=\"Gut\"\r\n"));
    WriteAll(folder + "Francais.lan", LangFileText("Français", "TestForm.Caption=\"Fenêtre\"\r\n"));

    auto lan = Reader(folder, "Deutsch");
    EXPECT_EQ(lan->Language(), "Deutsch");
    TestWindow w;
    lan->TranslateForm(w.window.get(), false);
    EXPECT_EQ(w.window->windowTitle(), "Fenster");
    EXPECT_EQ(lan->TranslatedFormNames(), QStringList{"TestForm"});

    w.window->setWindowTitle("changed");
    lan->TranslateForm(w.window.get(), false); // done already with this file
    EXPECT_EQ(w.window->windowTitle(), "changed");
    lan->TranslateForm(w.window.get(), true);
    EXPECT_EQ(w.window->windowTitle(), "Fenster");

    lan->SetLanguage("Klingon"); // unknown: nothing changes
    EXPECT_EQ(lan->Language(), "Deutsch");
    EXPECT_EQ(lan->FileName(), folder + "Deutsch.lan");
    EXPECT_EQ(lan->TranslatedFormNames(), QStringList{"TestForm"});

    lan->SetLanguage("FRANÇAIS"); // only ASCII letters fold
    EXPECT_EQ(lan->Language(), "Deutsch");
    lan->SetLanguage("français");
    EXPECT_EQ(lan->Language(), "français");
    EXPECT_EQ(lan->Created, "\"today\"");
    EXPECT_TRUE(lan->TranslatedFormNames().isEmpty());
    lan->TranslateForm(w.window.get(), false);
    EXPECT_EQ(w.window->windowTitle(), "Fenêtre");
    EXPECT_EQ(w.bnOk->text(), "&OK"); // not in this file: the program's own again, nothing of the previous
}

// Every text of the test window as it shows.
QStringList Shown(const TestWindow& w)
{
    QStringList shown{w.w->windowTitle(),       w.w->toolTip(),
                      w.lbTitle->text(),        w.lbTitle->toolTip(),
                      w.bnOk->text(),           w.mainMenu->actions().at(0)->text(),
                      w.mnFile->title(),        w.mnFile->menuAction()->statusTip(),
                      w.acOpen->text(),         w.acOpen->toolTip(),
                      w.acOpen->statusTip(),    w.acAbout->toolTip(),
                      w.pcPages->toolTip(),     w.pcPages->tabText(0),
                      w.tsTree->toolTip(),      w.edURL->text(),
                      w.reInfo->toPlainText(),  w.gbOptions->title(),
                      w.cbShow->text(),         w.cbShow->toolTip()};
    return shown << w.Items().join('|');
}

TEST(LangManagerTest, ASwitchLeavesNothingOfTheLanguageBefore)
{
    TempProgramFolder home;
    const QString folder = home.File("Language/");
    QDir().mkpath(folder);
    WriteAll(folder + "Deutsch.lan",
             LangFileText("Deutsch", "TestForm.Caption=\"Fenster\"\r\nTestForm.Hint=\"Das Fenster\"\r\n"
                                     "lbTitle.Caption=\"Titel\"\r\nlbTitle.Hint=\"Titelhinweis\"\r\n"
                                     "bnOk.Caption=\"Gut\"\r\nmainMenu.Menu[0]=\"Datei\"\r\n"
                                     "mnFile.Caption=\"Datei\"\r\nmnFile.Hint=\"Dateimenue\"\r\n"
                                     "acOpen.Caption=\"Oeffnen\"\r\nacOpen.Hint=\"Oeffnet eine Datei\"\r\n"
                                     "acAbout.Hint=\"Ueber\"\r\npcPages.Hint=\"Seiten\"\r\n"
                                     "tsTree.Caption=\"Baum\"\r\ntsTree.Hint=\"Der Baum\"\r\n"
                                     "edURL.Caption=\"http://de/\"\r\nreInfo.List[0]=\"Zeile\"\r\n"
                                     "gbOptions.Caption=\"Optionen\"\r\ncbShow.Caption=\"Zeigen\"\r\n"
                                     "cbShow.Hint=\"Zeigt es\"\r\nlbChoices.List[0]=\"Eins\"\r\n"
                                     "SPlain=\"Nur Deutsch\"\r\nSCount=\"%d Fehler\"\r\nSBoth=\"Beide\"\r\n"));
    // Says nothing of most texts, and one thing it cannot say.
    WriteAll(folder + "Francais.lan", LangFileText("Français", "TestForm.Caption=\"Fenêtre\"\r\n"
                                                               "lbTitle.Caption=\r\n"
                                                               "SCount=\"%s erreurs\"\r\n"
                                                               "SBoth=\"Les deux\"\r\n"));
    const QStringList own = Shown(TestWindow());
    const auto named = [](TLangManager& lan) {
        QString plain = "Only English", count = "%d errors", both = "Both";
        lan.ReadText("TestForm", "SPlain", plain);
        lan.ReadText("TestForm", "SCount", count);
        lan.ReadText("TestForm", "SBoth", both);
        return QStringList{plain, count, both};
    };

    auto lan = Reader(folder, "Deutsch");
    TestWindow w;
    lan->TranslateForm(w.window.get(), false);
    QStringList german = Shown(w);
    for (int i = 0; i < own.size(); ++i)
        EXPECT_NE(german[i], own[i]) << i << ": the file has a text for each";
    EXPECT_EQ(named(*lan), QStringList({"Nur Deutsch", "%d Fehler", "Beide"}));

    lan->SetLanguage("Français");
    lan->TranslateForm(w.window.get(), false);
    QStringList expected = own;
    expected[0] = "Fenêtre";
    EXPECT_EQ(Shown(w), expected);
    EXPECT_EQ(named(*lan), QStringList({"Only English", "%d errors", "Les deux"}));

    // Back again, then a text the program sets itself stays what it set.
    lan->SetLanguage("Deutsch");
    lan->TranslateForm(w.window.get(), false);
    EXPECT_EQ(Shown(w), german);
    w.edURL->setText("http://typed/");
    w.pcPages->setTabText(0, "Tree (3)");
    lan->SetLanguage("Français");
    lan->TranslateForm(w.window.get(), false);
    EXPECT_EQ(w.edURL->text(), "http://typed/");
    EXPECT_EQ(w.pcPages->tabText(0), "Tree (3)");
    EXPECT_EQ(w.lbTitle->text(), own[2]);
}

TEST(LangManagerTest, ListsLanguagesByFileName)
{
    TempProgramFolder home;
    const QString folder = home.File("Language/");
    QDir().mkpath(folder + "Folder.lan");
    WriteAll(folder + "English.lan", "[Vom News (RSS Reader)]\r\nLanguange=\"English\"\r\n");
    WriteAll(folder + "deutsch.LAN", "[vom news (rss reader)]\r\nlanguange =  \"Deutsch\"  \r\n");
    WriteAll(folder + "Francais.lan", "[Vom News (RSS Reader)]\r\nLanguange=Fran\xe7" "ais\r\n");
    WriteAll(folder + "NoName.lan", "[Other]\r\nLanguange=x\r\n");
    WriteAll(folder + "notes.txt", "[Vom News (RSS Reader)]\r\nLanguange=Notes\r\n");

    TLangManager lan;
    lan.BuildLanguage = false;
    lan.SetLanguageFolder(home.File("Language")); // the separator is added
    EXPECT_EQ(lan.LanguageFolder(), folder);
    QStringList names;
    for (int i = 0; i < lan.LanguageCount(); ++i)
        names << lan.LanguageName(i);
    EXPECT_EQ(names, QStringList({"Deutsch", "English", "Français", ""}));
    EXPECT_EQ(lan.LanguageName(4), "");
    EXPECT_TRUE(lan.FileName().isEmpty()); // listing opens nothing

    const QString empty = home.File("Empty/");
    QDir().mkpath(empty);
    lan.SetLanguageFolder(empty); // no language file: the folder stays, the list empties
    EXPECT_EQ(lan.LanguageFolder(), folder);
    EXPECT_EQ(lan.LanguageCount(), 0);
    lan.SetLanguageFolder(folder);
    lan.SetLanguageFolder(home.File("Missing/")); // missing: nothing changes
    EXPECT_EQ(lan.LanguageFolder(), folder);
    EXPECT_EQ(lan.LanguageCount(), 4);

    // Nothing is open until a language is chosen: every text stays.
    TestWindow w;
    lan.TranslateForm(w.window.get(), false);
    QString text = "English";
    lan.ReadText("TestForm", "SText", text);
    EXPECT_EQ(text, "English");
    EXPECT_EQ(w.window->windowTitle(), "Test Window");
}

TEST(LangManagerTest, ShippedFilesAndTheDataModule)
{
    {
        TempProgramFolder home;
        const QString shipped = home.File("shipped/");
        QDir().mkpath(shipped);
        WriteAll(shipped + "English.lan", "shipped english");
        WriteAll(shipped + "Deutsch.lan", "shipped deutsch");
        const QString target = home.File("Language/");
        EXPECT_EQ(CopyShippedLanguageFiles(shipped, target), 2);
        EXPECT_EQ(ReadAll(target + "Deutsch.lan"), "shipped deutsch");
        WriteAll(target + "Deutsch.lan", "edited by the user");
        QFile::remove(target + "English.lan");
        EXPECT_EQ(CopyShippedLanguageFiles(shipped, target), 1);
        EXPECT_EQ(ReadAll(target + "Deutsch.lan"), "edited by the user");
        EXPECT_EQ(ReadAll(target + "English.lan"), "shipped english");
    }
    const QStringList shipped = QDir(":/Language").entryList(QDir::Files);
    ASSERT_TRUE(shipped.contains("English.lan"));
    {
        TempProgramFolder home;
        QDir().mkpath(home.File("Language"));
        WriteAll(home.File("Language/English.lan"), "[Vom News (RSS Reader)]\r\nLanguange=\"Mine\"\r\n");
        TNewsData data(home.Path());
        ASSERT_TRUE(data.LanMan);
        EXPECT_FALSE(data.LanMan->BuildLanguage);
        EXPECT_EQ(data.LanMan->LanguageFolder(), data.LanguageFolder);
        for (const QString& name : shipped)
            EXPECT_TRUE(QFile::exists(data.LanguageFolder + name)) << name.toStdString();
        EXPECT_EQ(ReadAll(home.File("Language/English.lan")), "[Vom News (RSS Reader)]\r\nLanguange=\"Mine\"\r\n");
        EXPECT_TRUE(data.LanMan->FileName().isEmpty());
        EXPECT_EQ(data.LanMan->Language(), "\"English\"");
    }
    {
        TempProgramFolder home;
        qputenv("QUORBEL_BUILD_LANGUAGE", "1");
        TNewsData data(home.Path());
        qunsetenv("QUORBEL_BUILD_LANGUAGE");
        EXPECT_TRUE(data.LanMan->BuildLanguage);
        EXPECT_EQ(data.LanMan->FileName(), home.File("Language/English.Ori"));
        FakeDialogs dialogs;
        QString text = "Text";
        data.LanMan->ReadText("NewsFeeder", "SText", text);
        EXPECT_EQ(ReadAll(home.File("Language/English.Ori")),
                  "[Vom News (RSS Reader)]\r\nLanguange=\"English\"\r\nCreated=\"03.09.2006 by Plimora\"\r\n\r\n"
                  "[NewsFeeder]\r\nSText=\"Text\"\r\n\r\n");
    }
}
} // namespace
