// The tree's gate: every command that adds nodes, given before the first
// build or while a Load reads a large file, keeps its node in the tree that
// stays.
#include "organiser/OrganiserFixture.h"

#include "organiser/InterfaceTexts.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTreeWidgetItemIterator>

#include <functional>

namespace {

class TreeGateTest : public OrganiserFixture {
protected:
    void SetUp() override
    {
        CreateOrganiser();
        WriteFile(home.File("attached.txt"), "a file");
        WriteFile(home.File("merge.xml"), NewsXml(XmlNode("Merged folder")));
        downloader.Serve("http://gate.test/rss", SmallFeed("Gate", 1));
    }

    static void WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QString XmlNode(const QString& title)
    {
        return QStringLiteral("<node><Title>%1</Title><NewsType>FLD</NewsType><TimeStamp>0</TimeStamp></node>")
            .arg(title);
    }
    static QByteArray NewsXml(const QString& nodes)
    {
        return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Quorbel>") + nodes
                + QStringLiteral("</Quorbel>"))
            .toUtf8();
    }

    bool TreeHas(const QString& caption)
    {
        for (QTreeWidgetItemIterator it(organiser->tvTree); *it; ++it)
            if ((*it)->text(0) == caption)
                return true;
        return false;
    }

    void Settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    struct Command {
        const char* name;
        QString caption; // of the node it adds
        std::function<void()> issue;
    };

    std::vector<Command> Commands()
    {
        TNewsFeeder* o = organiser.get();
        auto mime = [](const QString& text) {
            auto data = std::make_shared<QMimeData>();
            data->setText(text);
            return data;
        };
        return {
            {"new folder", "Gate folder",
             [this, o] {
                 dialogs.inputs.push_back("Gate folder");
                 o->acNewFolder->trigger();
             }},
            {"new note", OrganiserTexts.SEmptyNote, [o] { o->acNewNote->trigger(); }},
            {"paste", "pasted note",
             [o] {
                 QGuiApplication::clipboard()->setText("pasted note");
                 o->acPaste->trigger();
             }},
            {"drop text", "dropped note", [o, mime] { o->DropDataObject(mime("dropped note").get()); }},
            {"drop file", "attached.txt", [this, o] { o->DropFiles({home.File("attached.txt")}); }},
            {"new URL", "Gate(1)",
             [this, o] {
                 dialogs.inputs.push_back("http://gate.test/rss");
                 o->acNewURL->trigger();
             }},
            {"merge", "Merged folder",
             [this, o] {
                 dialogs.files.push_back(home.File("merge.xml"));
                 o->acMerge->trigger();
             }},
        };
    }
};

TEST_F(TreeGateTest, CommandsBeforeTheFirstBuildWaitForIt)
{
    for (const Command& command : Commands()) {
        SCOPED_TRACE(command.name);
        organiser->tvTree->clear();
        data.NewsList.Clear();
        TTreeItem stored(kFolder, "Stored", "", "", "", "0");
        data.NewsList.AddCopy(stored);
        organiser->TreeLoaded = false;
        organiser->Busy->SetTreeReady(false);

        command.issue();
        Settle();
        EXPECT_FALSE(TreeHas(command.caption)); // nothing is added to a tree about to be built

        organiser->Timer1Timer(); // the first tick builds the tree from the stored list
        organiser->Timer1->stop();
        Settle();
        EXPECT_TRUE(TreeHas("Stored"));
        EXPECT_TRUE(TreeHas(command.caption));
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    }
}

TEST_F(TreeGateTest, CommandsDuringALoadLandInTheLoadedTree)
{
    QString nodes;
    for (int i = 0; i < 20000; ++i)
        nodes += XmlNode(QStringLiteral("Loaded %1").arg(i));
    const QString big = home.File("big.xml");
    WriteFile(big, NewsXml(nodes));

    for (const Command& command : Commands()) {
        SCOPED_TRACE(command.name);
        AddNode(nullptr, kFolder, "Old");
        // The command comes while the file is being read (the read lets
        // events run): it must neither go into the old tree nor be lost.
        QTimer::singleShot(0, organiser.get(), command.issue);
        ASSERT_TRUE(organiser->LoadNewsFile(big));
        organiser->Timer1->stop();
        Settle();
        EXPECT_FALSE(TreeHas("Old"));
        EXPECT_TRUE(TreeHas("Loaded 19999"));
        EXPECT_TRUE(TreeHas(command.caption));
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    }
}

} // namespace
