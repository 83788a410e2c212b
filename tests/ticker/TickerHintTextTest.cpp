// The hint's word wrap and the two item texts.
#include "ticker/HintText.h"

#include "support/FakeClock.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
TEST(TickerHintTextTest, WrapTable)
{
    struct {
        QString text;
        int maxCol;
        QString wrapped;
    } cases[] = {
        {"", 10, ""},
        {"short text", 80, "short text"},
        {"aaaa bbbb", 9, "aaaa bbbb"}, // exactly a line
        {"aaaa bbbb cccc", 10, "aaaa bbbb \r\ncccc"},
        {"abcd-efgh-ijkl", 10, "abcd-efgh-\r\nijkl"},
        {"ab.cd.ef.gh.ij", 5, "ab.\r\ncd.\r\nef.\r\ngh.ij"},
        {"aaaa\tbbbb\tcc", 6, "aaaa\t\r\nbbbb\t\r\ncc"},
        {"abcdefghijklmno pq", 5, "abcdefghijklmno \r\npq"}, // a long word stays whole
        {"say \"aa bb cc\" dd", 8, "say \r\n\"aa bb cc\" \r\ndd"},
        {"x 'aa bb cc' dd ee", 8, "x \r\n'aa bb cc' \r\ndd ee"},
        {"it's a long text here", 6, "it's a long text here"}, // the apostrophe never closes
        {"a,b;c:d", 3, "a,b;c:d"}, // no break characters
    };
    for (const auto& c : cases)
        EXPECT_EQ(WrapHintText(c.text, c.maxCol), c.wrapped) << c.text.toStdString();
}

TEST(TickerHintTextTest, WrapAtEightyKeepsEveryCharacter)
{
    QString text;
    for (int i = 0; i < 60; ++i)
        text += QString("w%1%2").arg(i).arg(i % 3 == 0 ? "-" : i % 3 == 1 ? ". " : " ");
    const QString wrapped = WrapHintText(text);
    QString joined = wrapped;
    joined.remove("\r\n");
    EXPECT_EQ(joined, text);
    const QStringList lines = wrapped.split("\r\n");
    ASSERT_GT(lines.size(), 3);
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 80) << i;
        if (i + 1 < lines.size()) {
            const QChar last = lines[i].back();
            EXPECT_TRUE(last == ' ' || last == '-' || last == '.') << i;
            // A full line: the next word would not have fitted.
            EXPECT_GT(lines[i].size() + lines[i + 1].section(QRegularExpression("[ .-]"), 0, 0).size() + 1, 80);
        }
    }
}

TEST(TickerHintTextTest, PubDateCaption)
{
    struct {
        TDateTime value;
        QString caption;
    } cases[] = {
        {0, "30.12 - 00:00"},
        {ToDateTime(QDate(2026, 3, 4), QTime(5, 6, 59)), "04.03 - 05:06"},
        {ToDateTime(QDate(1999, 12, 31), QTime(23, 59)), "31.12 - 23:59"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PubDateCaption(c.value), c.caption);
}

TEST(TickerHintTextTest, DescriptionText)
{
    FakeClock clock;
    struct {
        const char* description;
        const char* link;
        const char* date;
        QString text;
    } cases[] = {
        {"a &amp; b", "http://h/p", "2026-12-08 07:05:09", "a & b\r\nhttp://h/ 2026-12-08 07:05:09"},
        {"", "", "0", ""},
        {" \r\n ", "", "0", ""},
        {"", "file.txt", "0", "file.txt\\ "},
    };
    for (const auto& c : cases) {
        TTreeItem item("RSS", "t", c.link, c.description, "", c.date);
        EXPECT_EQ(DescriptionText(item), c.text) << c.description;
    }
}
} // namespace
