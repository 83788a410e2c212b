// The compact forms that keep a large tree small: view nodes with their roles
// in members, media kinds read in one pass, descriptions kept as UTF-8.
#include "model/Utf8Text.h"
#include "model/ViewNodes.h"
#include "text/TextTools.h"

#include <QTreeWidget>
#include <memory>
#include <gtest/gtest.h>

namespace {

TEST(CompactStorageTest, MediaKindsAgreeWithTheSingleTests)
{
    const struct {
        const char* link;
        bool video, audio;
    } cases[] = {
        {"http://x/clip.mp4", true, false},
        {"http://x/clip.MOV?size=2", true, false},
        {"http://x/clip.m4v", true, false},
        {"http://x/clip.mp4b", false, false},      // a letter after the extension
        {"http://x/a.mov.m4vx", false, false},     // ".M4V" is tried first and fails
        {"http://x/a.m4vx.mov", false, false},     // the first pattern found decides
        {"http://x/song.mp3", false, true},
        {"http://x/song.Aac", false, true},
        {"http://x/isaac-newton.html", false, false},
        {"http://x/both.mp3.mp4", true, true},
        {"http://x/mp4", false, false},             // no dot
        {".mp4", true, false},                      // at the very start
        {"x.mp", false, false},
        {"", false, false},
        {"http://x/\xC3\xBC.mp4", true, false},     // not ASCII: the slow road
        {"http://x/\xC3\xBC.mp4\xC3\xA9", true, false}, // only an ASCII letter after it counts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        const QString link = QString::fromUtf8(c.link);
        const TMediaKinds kinds = MediaKindsOf(link);
        EXPECT_EQ(kinds.video, c.video);
        EXPECT_EQ(kinds.audio, c.audio);
        EXPECT_EQ(kinds.video, IsVideoLink(link));
        EXPECT_EQ(kinds.audio, IsAudioLink(link));
    }
}

TEST(CompactStorageTest, ViewNodesShowTheirMembersThroughTheModel)
{
    QTreeWidget view;
    QTreeWidgetItem* node = AddViewNode(&view, nullptr, QStringLiteral("Beta"), 7);
    AddViewNode(&view, nullptr, QStringLiteral("Alpha"), 8);
    const QModelIndex index = view.model()->index(0, 0);
    EXPECT_EQ(index.data(Qt::DisplayRole).toString(), "Beta");
    EXPECT_EQ(index.data(NodeDataRole).toLongLong(), 7);
    EXPECT_FALSE(index.data(NodeImagesRole).isValid()); // never set
    EXPECT_EQ(NodeImage(node), -1);

    int changes = 0;
    QObject::connect(view.model(), &QAbstractItemModel::dataChanged, [&changes] { ++changes; });
    SetNodeImages(node, 2, 3, 4);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(index.data(NodeImagesRole).value<TNodeImages>(), (TNodeImages{2, 3, 4}));
    SetNodeImages(node, 2, 3, 4); // the same images: no repaint
    node->setText(0, QStringLiteral("Beta"));
    SetNodeDataValue(node, 7);
    EXPECT_EQ(changes, 1);
    node->setText(0, QStringLiteral("Gamma"));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(index.data().toString(), "Gamma");
    // Roles the node does not keep itself still work, and so does sorting.
    node->setData(0, Qt::ToolTipRole, QStringLiteral("tip"));
    EXPECT_EQ(index.data(Qt::ToolTipRole).toString(), "tip");
    view.sortItems(0, Qt::AscendingOrder);
    EXPECT_EQ(view.topLevelItem(0)->text(0), "Alpha");
    // Clearing a role through the model's road makes it unset again.
    node->setData(0, NodeDataRole, QVariant());
    EXPECT_EQ(NodeDataValue(node), -1);
    EXPECT_FALSE(node->data(0, NodeDataRole).isValid());
}

TEST(CompactStorageTest, WideValuesAreKeptWhole)
{
    // Values past the narrow members go to the side table and come back whole,
    // and a node made later at the same place starts clean.
    for (int round = 0; round < 3; ++round) {
        auto* node = new TViewNode(QStringLiteral("n"));
        EXPECT_EQ(NodeDataValue(node), -1);
        EXPECT_EQ(NodeImages(node), (TNodeImages{-1, -1, -1}));
        SetNodeDataValue(node, 7);
        SetNodeImages(node, 40000, 2, -32768);
        EXPECT_EQ(NodeImages(node), (TNodeImages{40000, 2, -32768}));
        EXPECT_EQ(NodeDataValue(node), 7);
        SetNodeDataValue(node, qint64(1) << 40);
        EXPECT_EQ(NodeDataValue(node), qint64(1) << 40);
        EXPECT_EQ(NodeImages(node), (TNodeImages{40000, 2, -32768}));
        SetNodeImages(node, 1, 2, 3);
        SetNodeDataValue(node, -5);
        EXPECT_EQ(NodeImages(node), (TNodeImages{1, 2, 3}));
        EXPECT_EQ(NodeDataValue(node), -5);
        SetNodeImages(node, -40000, 0, 0);
        const TNodeRef ref(node);
        std::unique_ptr<QTreeWidgetItem> copy(node->clone());
        EXPECT_EQ(NodeImages(copy.get()), (TNodeImages{-40000, 0, 0}));
        EXPECT_EQ(NodeDataValue(copy.get()), -5);
        delete node;
        EXPECT_EQ(ref.Get(), nullptr);
    }
}

TEST(CompactStorageTest, ClonesAndCopiesKeepEverything)
{
    QTreeWidgetItem* root = NewViewNode(QStringLiteral("Root"));
    SetNodeDataValue(root, 1);
    SetNodeImages(root, 5, 6, -1);
    root->setData(0, Qt::ToolTipRole, QStringLiteral("tip"));
    QTreeWidgetItem* child = NewViewNode(QStringLiteral("Child"));
    SetNodeDataValue(child, 2);
    root->addChild(child);

    std::unique_ptr<QTreeWidgetItem> copy(root->clone());
    EXPECT_EQ(copy->text(0), "Root");
    EXPECT_EQ(NodeDataValue(copy.get()), 1);
    EXPECT_EQ(NodeImages(copy.get()), (TNodeImages{5, 6, -1}));
    EXPECT_EQ(copy->data(0, Qt::ToolTipRole).toString(), "tip");
    ASSERT_EQ(copy->childCount(), 1);
    EXPECT_EQ(NodeDataValue(copy->child(0)), 2);
    // The copies are view nodes: handles can be taken on them.
    const TNodeRef ref(copy->child(0));
    EXPECT_EQ(ref.Get(), copy->child(0));
    delete root;

    // A plain item's roles come over into a view node.
    QTreeWidgetItem plain(QStringList{QStringLiteral("Plain")});
    plain.setData(0, NodeDataRole, 9);
    plain.setData(0, NodeImagesRole, QVariant::fromValue(TNodeImages{1, 1, 1}));
    const TViewNode fromPlain(plain);
    EXPECT_EQ(fromPlain.text(0), "Plain");
    EXPECT_EQ(NodeDataValue(&fromPlain), 9);
    EXPECT_EQ(NodeImages(&fromPlain), (TNodeImages{1, 1, 1}));
}

TEST(CompactStorageTest, Utf8TextReadsBackAsWritten)
{
    const QString mixed = QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 <b>&amp;</b>");
    TUtf8Text text = mixed;
    EXPECT_EQ(text.String(), mixed);
    EXPECT_EQ(text.Utf8(), mixed.toUtf8());
    text += QStringLiteral(" more");
    EXPECT_EQ(text, mixed + " more");
    EXPECT_TRUE(TUtf8Text().isEmpty());
    EXPECT_TRUE(TUtf8Text(QString()).Utf8().isEmpty());
    // Embedded NULs survive; unpaired surrogates are left out, pairs kept.
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    EXPECT_EQ(TUtf8Text(withNul).String(), withNul);
    const QString broken = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00)
                           + QChar(0xD83D) + QChar(0xDE00) + QChar(0xD83D);
    EXPECT_EQ(TUtf8Text(broken).String(), QStringLiteral("ab") + QChar(0xD83D) + QChar(0xDE00));
}

} // namespace
