#include "app/NewsGlobals.h"

#include "model/ViewNodes.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
TEST(NewsDataTest, FirstStartInAnEmptyFolder)
{
    TempProgramFolder home;
    TNewsData data(home.Path());
    EXPECT_EQ(NewsData, &data);
    EXPECT_TRUE(QDir(home.File("Images")).exists());
    EXPECT_TRUE(data.RefreshIcons);
    EXPECT_EQ(data.PredefinedIconCount, 10);
    EXPECT_EQ(data.imIcons.Count(), 10);
    EXPECT_EQ(data.NewsList.Count(), 0);
    EXPECT_EQ(data.NewsFile, home.File("News.qbx"));
    EXPECT_EQ(data.ImagesFolder, home.File("Images/"));
    EXPECT_EQ(data.LanguageFolder, home.File("Language/"));
    EXPECT_EQ(data.IconListFile, home.File("Images/IconList.csv"));

    QFile list(data.IconListFile);
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), QByteArray("predefined\r\n").repeated(10));
}

TEST(NewsDataTest, ExistingImagesFolderDoesNotForceRefresh)
{
    TempProgramFolder home;
    QDir().mkpath(home.File("Images"));
    TNewsData data(home.Path());
    EXPECT_FALSE(data.RefreshIcons);
}

TEST(NewsDataTest, NodeItemResolvesOnlyValidIndexes)
{
    TempProgramFolder home;
    TNewsData data(home.Path());
    TTreeItem item("WEB", "w", "http://w/", "", "", "0");
    data.NewsList.AddCopy(item);
    data.NewsList.AddCopy(item);

    QTreeWidget view;
    struct {
        qint64 value;
        bool resolves;
    } cases[] = {{-1, false}, {0, true}, {1, true}, {2, false}, {1LL << 40, false}};
    for (auto& c : cases) {
        QTreeWidgetItem* node = AddViewNode(&view, nullptr, "n", c.value);
        EXPECT_EQ(data.NodeItem(node) != nullptr, c.resolves) << c.value;
    }
    EXPECT_EQ(data.NodeItem(nullptr), nullptr);
    QTreeWidgetItem bare;
    EXPECT_EQ(data.NodeItem(&bare), nullptr); // a node without data value
}

TEST(NewsDataTest, ApplyNodeImagesMarksMedia)
{
    TempProgramFolder home;
    TNewsData data(home.Path());
    QTreeWidget view;
    struct {
        QString link;
        int state;
    } cases[] = {
        {"http://h/a.mp4", imgVideo},
        {"http://h/a.mp3", imgAudio},
        {"http://h/a.mp4?x.aac", imgAudio}, // audio is tested first
        {"http://h/page", -1},
    };
    for (auto& c : cases) {
        TTreeItem item("RSS", "t", c.link, "", "", "0");
        item.IconIdx = 11;
        QTreeWidgetItem* node = AddViewNode(&view, nullptr, "n", 0);
        data.ApplyNodeImages(&item, node);
        EXPECT_EQ(NodeImage(node), 11);
        EXPECT_EQ(NodeSelectedImage(node), 11);
        EXPECT_EQ(NodeStateImage(node), c.state) << c.link.toStdString();
    }
}
} // namespace
