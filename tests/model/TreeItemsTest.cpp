#include "model/TreeItems.h"

#include "platform/Errors.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

namespace {
TEST(TreeItemTest, ValueConstructorFillsFields)
{
    FakeClock clock;
    TTreeItem item("RSS", "<b>Bold</b> &amp; more", "http://x/1", "<p>desc</p>", "SDR=1\r\nNSD=3\n",
                   "Sun, 19 Mai 2002 15:21:36 GMT");
    EXPECT_EQ(item.NewsType, "RSS");
    EXPECT_EQ(item.RawTitle, "<b>Bold</b> &amp; more");
    EXPECT_EQ(item.Title, "Bold & more");
    EXPECT_EQ(item.Link, "http://x/1");
    EXPECT_EQ(item.Description, "<p>desc</p>");
    EXPECT_EQ(item.PlainDescription(), "desc");
    EXPECT_EQ(item.Options, (QStringList{"SDR=1", "NSD=3"}));
    EXPECT_DOUBLE_EQ(item.TimeStamp, ToDateTime(QDate(2002, 5, 19), QTime(17, 21, 36))); // GMT, read in Berlin
    EXPECT_EQ(item.LastShown, 0.0);
    EXPECT_EQ(item.IconIdx, -1);
    EXPECT_EQ(item.FirstChild, 0);
    EXPECT_EQ(item.NextSibling, 0);
    EXPECT_TRUE(item.RawText().isEmpty());
}

TEST(TreeItemTest, DefaultsAndEmptyOptions)
{
    TTreeItem item;
    EXPECT_EQ(item.IconIdx, -1);
    EXPECT_EQ(item.FirstChild, -1);
    EXPECT_EQ(item.NextSibling, -1);
    EXPECT_EQ(item.NewIndex, 0);
    TTreeItem folder("FLD", "F", "", "", "", "0");
    EXPECT_TRUE(folder.Options.isEmpty());
}

TEST(TreeItemTest, SettersKeepPlainForms)
{
    TTreeItem item;
    item.SetText("plain, no markup\r\nsecond line");
    EXPECT_EQ(item.RawText(), item.Text()); // unchanged without "<" or "&"
    item.SetTitle("plain, no markup\r\nsecond line");
    EXPECT_EQ(item.Title, "plain, no markup second line"); // the title always converts
    item.SetText("a &amp; b");
    EXPECT_EQ(item.Text(), "a & b");
    item.SetDescription("x < y");
    EXPECT_EQ(item.PlainDescription(), "x < y");
    // A note keeps every character and line of what the user typed.
    item.NewsType = "NTS";
    item.SetText("a < b && c &amp;\r\nline <2>");
    item.SetDescription("x < y");
    EXPECT_EQ(item.Text(), "a < b && c &amp;\r\nline <2>");
    EXPECT_EQ(item.PlainDescription(), "x < y");
}

TEST(TreeItemTest, OptionsArePrefixMatched)
{
    TTreeItem item;
    item.Options = QStringList{"NSDX=1", "NSD=7", "flag"};
    EXPECT_EQ(item.OptionIndex("NSD"), 0);
    EXPECT_EQ(item.OptionIndex("nsd"), 0); // ignoring case
    EXPECT_EQ(item.GetOption("NSD"), "1");
    EXPECT_EQ(item.OptionIndex("NS"), 0);
    EXPECT_EQ(item.GetOption("flag"), "");
    EXPECT_EQ(item.GetOptionInt("flag", 42), 42);
    EXPECT_EQ(item.GetOption("SNF"), "");
    EXPECT_EQ(item.OptionIndex("SNF"), -1);

    item.SetOption("SNF", "3");
    item.SetOption("SNF", "3");
    EXPECT_EQ(item.Options.filter("SNF").size(), 1);
    EXPECT_EQ(item.Options.last(), "SNF=3");
}

TEST(TreeItemTest, OptionIntAndBool)
{
    struct {
        QString line;
        int asInt;
        bool asBool;
    } cases[] = {
        {"SDR=1", 1, true}, {"SDR=0", 0, false}, {"SDR=256", 256, false}, {"SDR=257", 257, true},
        {"SDR=x", 5, true}, {"SDR=", 5, true},   {"SDR=-1", -1, true},
    };
    for (auto& c : cases) {
        TTreeItem item;
        item.Options = QStringList{c.line};
        EXPECT_EQ(item.GetOptionInt("SDR", 5), c.asInt) << c.line.toStdString();
        EXPECT_EQ(item.GetOptionBool("SDR", true), c.asBool) << c.line.toStdString();
    }
    TTreeItem none;
    EXPECT_FALSE(none.GetOptionBool("SDR", false));
    EXPECT_TRUE(none.GetOptionBool("SDR", true));
}

TEST(TreeItemTest, AssignCopiesAllButNewIndex)
{
    TTreeItem a("RSH", "T", "L", "D", "NSD=1", "0");
    a.SetText("txt");
    a.LastShown = 3.5;
    a.IconIdx = 12;
    a.SetIconURL("http://x/favicon.ico");
    a.FirstChild = 4;
    a.NextSibling = 5;
    a.NewIndex = 9;
    TTreeItem b;
    b.Assign(a);
    EXPECT_EQ(b.Title, a.Title);
    EXPECT_EQ(b.RawText(), "txt");
    EXPECT_EQ(b.LastShown, 3.5);
    EXPECT_EQ(b.IconIdx, 12);
    EXPECT_EQ(b.IconURL(), a.IconURL());
    EXPECT_EQ(b.Options, a.Options);
    EXPECT_EQ(b.FirstChild, 4);
    EXPECT_EQ(b.NextSibling, 5);
    EXPECT_EQ(b.NewIndex, 0);
    a.Options[0] = "NSD=2";
    EXPECT_EQ(b.Options[0], "NSD=1"); // its own list
    // Text and icon address are b's own too, and an item without them
    // clears them when assigned.
    a.SetText("other");
    a.SetIconURL("");
    EXPECT_EQ(b.Text(), "txt");
    EXPECT_EQ(b.IconURL(), "http://x/favicon.ico");
    EXPECT_EQ(a.IconURL(), "");
    a.SetText("");
    b.Assign(a);
    EXPECT_TRUE(b.RawText().isEmpty());
    EXPECT_TRUE(b.Text().isEmpty());
    EXPECT_TRUE(b.IconURL().isEmpty());
}

TEST(TreeListTest, AddCopyStoresACopy)
{
    TTreeList list;
    TTreeItem n("WEB", "W", "http://w", "", "", "0");
    EXPECT_EQ(list.AddCopy(n), 0);
    EXPECT_EQ(list.AddCopy(n), 1);
    n.IconIdx = 33;
    EXPECT_EQ(list.Items(0)->IconIdx, -1);
    EXPECT_NE(list.Items(0), &n);

    TTreeList other;
    other.AddCopies(list);
    EXPECT_EQ(other.Count(), 2);
    EXPECT_NE(other.Items(1), list.Items(1));
    EXPECT_EQ(other.Items(1)->Link, "http://w");
}

TEST(TreeListTest, ItemsRaisesOutOfRange)
{
    TTreeList list;
    TTreeItem n;
    list.AddCopy(n);
    for (int bad : {-1, 1, 1000}) {
        try {
            list.Items(bad);
            FAIL() << "no error for " << bad;
        } catch (const EQuorbelError& e) {
            EXPECT_EQ(e.Message(), "TreeList Range Error");
        }
    }
    EXPECT_EQ(list.At(-1), nullptr);
    EXPECT_EQ(list.At(1), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(TreeListTest, RandomOrderDrawsIndexesInRange)
{
    TTreeList list;
    EXPECT_TRUE(list.RandomOrder().empty());
    TTreeItem n;
    for (int i = 0; i < 50; ++i)
        list.AddCopy(n);
    bool sawRepeatOrGap = false;
    for (int round = 0; round < 20; ++round) {
        const TIndexList order = list.RandomOrder();
        ASSERT_EQ(order.size(), 50u);
        std::vector<int> seen(50, 0);
        for (qint32 i : order) {
            ASSERT_GE(i, 0);
            ASSERT_LT(i, 50);
            ++seen[static_cast<size_t>(i)];
        }
        for (int c : seen)
            sawRepeatOrGap = sawRepeatOrGap || c != 1;
    }
    EXPECT_TRUE(sawRepeatOrGap); // independent draws, not a permutation
}
} // namespace
