// A news file holding one branch a hundred thousand levels deep, far beyond
// what recursion over the depth survives: loaded, shown in every view,
// stored, exported, partly deleted, and the window destroyed.
#include "model/NewsFiles.h"
#include "organiser/OrganiserFixture.h"

#include <QFileInfo>

namespace {

constexpr int kLevels = 100000;

// Levels below the top, following first children.
int ChainDepth(const QTreeWidget& view)
{
    int depth = 0;
    for (const QTreeWidgetItem* n = view.topLevelItemCount() > 0 ? view.topLevelItem(0) : nullptr; n;
         n = n->childCount() > 0 ? n->child(0) : nullptr)
        ++depth;
    return depth;
}

// kLevels folders, each the only child of the one before; under the last a
// feed that keeps its two news items for ever.
void SaveDeepChain(const QString& path)
{
    TTreeList list;
    for (int i = 0; i < kLevels + 3; ++i) {
        const bool item = i > kLevels;
        TTreeItem n(i < kLevels ? "FLD" : item ? "RSS" : "RSH", QStringLiteral("Level %1").arg(i),
                    QStringLiteral("http://deep.test/%1").arg(i), "", i == kLevels ? "NSD=0" : "", "0");
        n.FirstChild = item ? -1 : i + 1;
        n.NextSibling = i == kLevels + 1 ? i + 1 : -1;
        list.AddCopy(n);
    }
    ASSERT_TRUE(list.SaveContainer(path));
}

class OrganiserDeepTreeTest : public OrganiserFixture {};

TEST_F(OrganiserDeepTreeTest, LoadShowStoreExportDeleteAndEnd)
{
    const QString path = home.File("deep.qbx");
    SaveDeepChain(path);
    CreateOrganiser();
    QTreeWidget* tree = organiser->tvTree;

    ASSERT_TRUE(organiser->LoadNewsFile(path));
    EXPECT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(ChainDepth(*tree), kLevels + 2);
    EXPECT_EQ(organiser->tvWeb->topLevelItemCount(), 2); // the derived views hold the items

    organiser->SaveNewsWithBackup();
    organiser->WaitForStore();
    // Every format reads back the whole chain, from files linear in its depth.
    for (const QString& file : {data.NewsFile, home.File("deep.xml"), home.File("deep.opml")}) {
        SCOPED_TRACE(file.toStdString());
        QString error;
        if (file != data.NewsFile)
            ASSERT_TRUE(WriteNewsFile(tree, data.NewsList, file, nullptr, 5, &error)) << error.toStdString();
        EXPECT_LT(QFileInfo(file).size(), 500 * kLevels);
        TTreeList read;
        ASSERT_TRUE(ReadNewsFile(file, read, &error)) << error.toStdString();
        EXPECT_EQ(read.Count(), file.endsWith(".opml") ? kLevels + 1 : kLevels + 3);
    }

    // The branch under the first level goes in one removal, not one per node.
    int removals = 0;
    QObject::connect(tree->model(), &QAbstractItemModel::rowsAboutToBeRemoved, [&] { ++removals; });
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    dialogs.answers.push_back(true);
    organiser->DeleteExecute();
    EXPECT_EQ(removals, 1);
    EXPECT_EQ(ChainDepth(*tree), 1);
    EXPECT_EQ(organiser->tvWeb->topLevelItemCount(), 0);

    // Loaded again and left in place for the window's end.
    ASSERT_TRUE(organiser->LoadNewsFile(path));
    EXPECT_EQ(ChainDepth(*tree), kLevels + 2);
    organiser.reset();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
}

} // namespace
