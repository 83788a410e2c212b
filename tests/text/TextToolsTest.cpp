#include "text/TextTools.h"

#include <gtest/gtest.h>

namespace {
struct TextCase {
    const char* name;
    QString input;
    QString expected;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class HTMLToTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(HTMLToTextTest, Converts)
{
    EXPECT_EQ(HTMLToText(GetParam().input), GetParam().expected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, HTMLToTextTest,
    ::testing::Values(
        TextCase{"empty", "", ""},
        TextCase{"tags run together", "a<b>b</b>c", "abc"},
        TextCase{"line break joins words", "one\r\ntwo\nthree", "onetwothree"},
        TextCase{"amp doubles", "Tom &amp; Jerry", "Tom && Jerry"},
        TextCase{"laquo alone stays", "&laquo;x&raquo;", "&laquo;x&raquo;"},
        TextCase{"double-amp laquo", "&&laquo;;x&&raquo;;", QString(QChar(0xAB)) + "x" + QChar(0xBB)},
        TextCase{"amp then lt row order", "&amp;lt;", "&&lt;"},
        TextCase{"escaped tag becomes visible", "&lt;b&gt;x", "<b>x"},
        TextCase{"unclosed tag swallows rest", "keep <b unclosed", "keep "},
        TextCase{"tag cut short by another tag", "a<b<i>c", "ai>c"},
        TextCase{"text after a cut tag counts again", "x<y<z", "xz"},
        TextCase{"umlauts", "&auml;&Auml;&ouml;&Ouml;&uuml;&Uuml;",
                 QString::fromUtf8("äÄöÖüÜ")},
        TextCase{"others", "&nbsp;&quot;&#39;&#34;&acirc;&eacute;&ccedil;&ecirq;",
                 QString::fromUtf8(" \"'\"âéçê")},
        TextCase{"unknown entities untouched", "&copy; &#8217; &ecirc;", "&copy; &#8217; &ecirc;"},
        TextCase{"attributes dropped", "<a href=\"x>y\">t</a>", "y\">t"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ReadHTMLTagTest, ReadsNameAndAttributes)
{
    QString name, attrs;
    int pos = 1;
    EXPECT_TRUE(ReadHTMLTag("<a href=x title=y>rest", pos, name, attrs));
    EXPECT_EQ(name, "a");
    EXPECT_EQ(attrs, "href=x title=y");
    EXPECT_EQ(pos, 18); // on the ">"

    pos = 1;
    EXPECT_FALSE(ReadHTMLTag("<  b<i>", pos, name, attrs));
    EXPECT_EQ(name, "b");
    EXPECT_EQ(pos, 5); // on the next "<"

    pos = 1;
    EXPECT_FALSE(ReadHTMLTag("<open", pos, name, attrs));
    EXPECT_EQ(pos, 6); // one past the end
}

TEST(CutTokenTest, Table)
{
    struct {
        QString text, sep, token, rest;
    } cases[] = {
        {"Sun, 19 Mai", ",", "Sun", " 19 Mai"},
        {"a--b", "--", "a", "-b"},
        {"no separator", ",", "no separator", ""},
        {"", ",", "", ""},
        {",lead", ",", "", "lead"},
    };
    for (auto& c : cases) {
        QString t = c.text;
        EXPECT_EQ(CutToken(t, c.sep), c.token) << c.text.toStdString();
        EXPECT_EQ(t, c.rest) << c.text.toStdString();
    }
}

TEST(CutIntTest, Table)
{
    struct {
        QString text;
        bool ok;
        int value;
        QString rest;
        int digits; // as written, leading zeros included
    } cases[] = {
        {"  -12abc", true, -12, "abc", 2},
        {"-x", false, 99, "x", 0},
        {"+7", true, 7, "", 1},
        {"-+5", true, 5, "", 1},
        {"\t\n 42 rest", true, 42, " rest", 2},
        {"", false, 99, "", 0},
        {"   ", false, 99, "", 0},
        {"abc", false, 99, "abc", 0},
        {"4294967297", true, 1, "", 10},             // low 32 bits of a 64-bit value
        {"99999999999999999999x", false, 99, "x", 0}, // too long for 64 bits
        {"007", true, 7, "", 3},
        {"0099 x", true, 99, " x", 4},
    };
    for (auto& c : cases) {
        QString t = c.text;
        int v = 99;
        EXPECT_EQ(CutInt(t, v), c.ok) << c.text.toStdString();
        EXPECT_EQ(v, c.value) << c.text.toStdString();
        EXPECT_EQ(t, c.rest) << c.text.toStdString();
        QString again = c.text;
        int w = 99, digits = -1;
        EXPECT_EQ(CutInt(again, w, digits), c.ok) << c.text.toStdString();
        EXPECT_EQ(w, c.value) << c.text.toStdString();
        EXPECT_EQ(again, c.rest) << c.text.toStdString();
        EXPECT_EQ(digits, c.digits) << c.text.toStdString();
    }
}

TEST(BlankTest, BlankAndTrim)
{
    EXPECT_TRUE(IsBlank(" \t\r\n "));
    EXPECT_TRUE(IsBlank(""));
    EXPECT_FALSE(IsBlank(" x "));
    EXPECT_EQ(TrimBlanks("\t x y \n"), "x y");
}

TEST(PosOfAnyTest, FirstListedPatternWins)
{
    EXPECT_EQ(PosOfAny("x.mp3 y.m4v", {".M4V", ".MP3"}), 8);
    EXPECT_EQ(PosOfAny("x.mp3 y.m4v", {".MP3", ".M4V"}), 2);
    EXPECT_EQ(PosOfAny("nothing", {".MP3"}), 0);
    EXPECT_EQ(LastCharPos('/', "a/b/c"), 4);
    EXPECT_EQ(LastCharPos('/', "abc"), 0);
}

TEST(MediaLinkTest, Table)
{
    struct {
        QString link;
        bool video, audio;
    } cases[] = {
        {"http://h/clip.MP4", true, false},
        {"http://h/clip.mp4?x", true, false},
        {"http://h/clip.mov/", true, false},
        {"http://h/a.movies.mp4", false, false}, // .MOV is tested first and is followed by I
        {"http://h/clip.m4v", true, false},
        {"http://h/song.mp3", false, true},
        {"http://h/jaacob.html", false, false}, // "aac" without its dot is no audio
        {"http://h/isaac-newton.html", false, false},
        {"http://h/x.mp4?codec=aac", true, false},
        {"http://h/tune.AAC", false, true},
        {"http://h/tune.aac?x=1", false, true},
        {"http://h/x.mp4?codec=.aac", true, true},
        {"http://h/page.html", false, false},
    };
    for (auto& c : cases) {
        EXPECT_EQ(IsVideoLink(c.link), c.video) << c.link.toStdString();
        EXPECT_EQ(IsAudioLink(c.link), c.audio) << c.link.toStdString();
    }
}

TEST(SitePrefixTest, Table)
{
    struct {
        QString url, prefix;
    } cases[] = {
        {"http://host/dir/feed", "http://host/"},
        {"http://host", "http://host\\"},
        {"C:\\path\\file", "C:\\path\\file\\"},
        {"https://a.b:8080/x?y", "https://a.b:8080/"},
        {"/local/path", "/local/"},
        {"", "\\"},
    };
    for (auto& c : cases)
        EXPECT_EQ(SitePrefix(c.url), c.prefix) << c.url.toStdString();
}

TEST(TraceTest, PrefixFormat)
{
    EXPECT_EQ(TracePrefix(9, 5, 3, 42), QString(" 9: 5: 3:  42 \t"));
    EXPECT_EQ(TracePrefix(23, 59, 59, 999), QString("23:59:59: 999 \t"));
}

TEST(AsciiCaseTest, FoldsOnlyAsciiLetters)
{
    EXPECT_EQ(AsciiUpper(QString::fromUtf8("abzäé")), QString::fromUtf8("ABZäé"));
    EXPECT_TRUE(SameTextAscii("Hello", "hELLO"));
    EXPECT_FALSE(SameTextAscii(QString::fromUtf8("ä"), QString::fromUtf8("Ä")));
}
} // namespace
