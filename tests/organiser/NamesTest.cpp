// Names the user gives and the captions notes take: a renamed feed keeps its
// name through every refresh, a blank name is refused, a note is captioned by
// its first visible line.
#include "organiser/OrganiserFixture.h"

#include "organiser/InterfaceTexts.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

QByteArray RdfFeed(const QString& channelTitle, const QStringList& titles)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\"?><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\""
                                 " xmlns=\"http://purl.org/rss/1.0/\"><channel rdf:about=\"x\"><title>%1</title>"
                                 "<link>http://site.test/</link></channel>")
                      .arg(channelTitle);
    for (const QString& t : titles)
        xml += QStringLiteral("<item rdf:about=\"a\"><title>%1</title><link>http://site.test/%1</link></item>").arg(t);
    return (xml + QStringLiteral("</rdf:RDF>")).toUtf8();
}

class NamesTest : public OrganiserFixture {
protected:
    void SetUp() override { CreateOrganiser(); }

    // Types name into the in-place editor of node and presses Return.
    void Rename(QTreeWidgetItem* node, const QString& name)
    {
        organiser->PageControl1->setCurrentIndex(5);
        organiser->tvTree->setCurrentItem(node);
        node->setSelected(true);
        organiser->acRename->trigger();
        auto* editor = organiser->tvTree->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(name);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(editor, &enter);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the closed editor goes
    }
};

TEST_F(NamesTest, ARenamedFeedKeepsItsNameThroughRefreshes)
{
    const struct {
        const char* kind;
        QString url;
        QByteArray first, second;
        QString captionAfter; // the counts a refresh with one new item writes
    } cases[] = {
        {"RSS", "http://rss.test/feed", SmallFeed("City Evening News", 2), SmallFeed("City Evening News", 3),
         "Local paper(1 of 3)"},
        {"RDF", "http://rdf.test/feed.rdf", RdfFeed("City Evening News", {"a", "b"}),
         RdfFeed("City Evening News", {"a", "b", "c"}), "Local paper(1 of 3)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        organiser->tvTree->clear();
        downloader.Serve(c.url, c.first);
        QTreeWidgetItem* feed = organiser->DownloadFeed(c.url, nullptr, false);
        ASSERT_NE(feed, nullptr);
        ASSERT_TRUE(feed->text(0).startsWith("City Evening News"));
        // Counts typed along with the name are not part of it.
        Rename(feed, "Local paper(2)");
        EXPECT_EQ(Item(feed)->GetOption(kOptUserName), "Local paper");

        Item(feed)->TimeStamp = 0;
        downloader.Serve(c.url, c.second);
        ASSERT_EQ(organiser->DownloadFeed(c.url, feed, false), feed);
        EXPECT_EQ(feed->text(0), c.captionAfter);
    }
    organiser->WaitForStore();
    // The name is kept in the stored file too.
    TTreeList stored;
    ASSERT_TRUE(stored.LoadContainer(data.NewsFile));
    EXPECT_EQ(stored.Items(0)->GetOption(kOptUserName), "Local paper");
}

TEST_F(NamesTest, ABlankNameIsRefused)
{
    QTreeWidgetItem* folder = AddNode(nullptr, kFolder, "Keep me");
    for (const QString& name : {QString(), QStringLiteral("   "), QStringLiteral("\t")}) {
        Rename(folder, name);
        EXPECT_EQ(folder->text(0), "Keep me");
        EXPECT_EQ(Item(folder)->Title, "Keep me");
    }
    Rename(folder, "Kept");
    EXPECT_EQ(Item(folder)->Title, "Kept");
}

TEST_F(NamesTest, ANoteIsCaptionedByItsFirstVisibleLine)
{
    const struct {
        QString text;
        QString caption;
    } cases[] = {
        {"\n\n  Shopping list\nmilk", "Shopping list"},
        {"\r\n<b></b>\r\nSecond line", "Second line"},
        {"one line", "one line"},
        {"", OrganiserTexts.SEmptyNote},
        {" \n\t\n", OrganiserTexts.SEmptyNote},
    };
    for (const auto& c : cases) {
        QTreeWidgetItem* note = organiser->AddNoteFromText(c.text);
        ASSERT_NE(note, nullptr);
        EXPECT_EQ(note->text(0), c.caption) << c.text.toStdString();
        EXPECT_EQ(Item(note)->Title, c.caption) << c.text.toStdString();
    }
}

} // namespace
