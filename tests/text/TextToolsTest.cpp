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

QString Units(std::initializer_list<char16_t> units)
{
    return QString(reinterpret_cast<const QChar*>(units.begin()), static_cast<qsizetype>(units.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, HTMLToTextTest,
    ::testing::Values(
        TextCase{"empty", "", ""},
        TextCase{"tags run together", "a<b>b</b>c", "abc"},
        // Blanks: runs of blanks, tabs, line breaks and no-break spaces are one blank, none at the ends.
        TextCase{"line breaks are blanks", "one\r\ntwo\nthree", "one two three"},
        TextCase{"blank runs folded and trimmed", " \t a \t\r\n b\u00A0\u00A0c &nbsp; ", "a b c"},
        TextCase{"encoded blanks fold too", "a&#9;&#10;&#xA0;b&NewLine;", "a b"},
        TextCase{"blanks around dropped tags", "<p>one</p>\r\n<p>two</p>", "one two"},
        // Ampersands: decoded once, left to right.
        TextCase{"amp", "Tom &amp; Jerry", "Tom & Jerry"},
        TextCase{"amp lt decoded once", "&amp;lt;", "&lt;"},
        TextCase{"double-escaped amp", "&amp;amp;", "&amp;"},
        TextCase{"bare ampersand stays", "AT&T & R&D &; &#; &#x; &", "AT&T & R&D &; &#; &#x; &"},
        TextCase{"doubled amps stay", "&&laquo;;x&&raquo;;", QString::fromUtf8("&«;x&»;")},
        // Named references: the whole table, with ";" and (where HTML allows) without.
        TextCase{"laquo raquo", "&laquo;x&raquo;", QString::fromUtf8("«x»")},
        TextCase{"umlauts", "&auml;&Auml;&ouml;&Ouml;&uuml;&Uuml;", QString::fromUtf8("äÄöÖüÜ")},
        TextCase{"common ones", "&quot;&#39;&#34;&acirc;&eacute;&ccedil;&ecirc;&hellip;&mdash;&euro;&trade;",
                 QString::fromUtf8("\"'\"âéçê…—€™")},
        TextCase{"misspelt name stays", "&ecirq; &Amp; &nosuch;", "&ecirq; &Amp; &nosuch;"},
        TextCase{"bare legacy names", "&copy 2026 &lt&gt &AMP &eacutex", QString::fromUtf8("© 2026 <> & éx")},
        TextCase{"no bare form for newer names", "&hellip &mdash", "&hellip &mdash"},
        TextCase{"longest name wins", "&notin; &notit; &not", QString::fromUtf8("∉ ¬it; ¬")},
        TextCase{"longest name in the table", "&CounterClockwiseContourIntegral;", QString::fromUtf8("∳")},
        TextCase{"value outside the BMP", "&Afr;&oopf;", QString::fromUtf8("𝔄𝕠")},
        TextCase{"value of two characters", "&nvlt;&bne;", Units({0x3C, 0x20D2, 0x3D, 0x20E5})},
        // Numeric references; invalid code points read as U+FFFD.
        TextCase{"decimal and hex", "&#233;&#xE9;&#XE9;&#X3C; &#x1F600;", QString::fromUtf8("ééé< 😀")},
        TextCase{"semicolon optional", "&#233x &#xe9g", QString::fromUtf8("éx ég")},
        TextCase{"leading zeros", "&#0000065;&#x0042;", "AB"},
        TextCase{"invalid code points", "&#0;|&#xD800;|&#xDFFF;|&#x110000;|&#99999999999999;",
                 QString::fromUtf8("\uFFFD|\uFFFD|\uFFFD|\uFFFD|\uFFFD")},
        TextCase{"128 to 159 as Windows-1252", "&#128;&#146;&#150;&#x93;&#x94;", QString::fromUtf8("€’–“”")},
        // "<": a tag only before a letter, "/", "!" or "?"; comments to "-->".
        TextCase{"less-than as text", "A &#x3C; B, x < y, 1<2, a <- b, <>, <", "A < B, x < y, 1<2, a <- b, <>, <"},
        TextCase{"escaped tag becomes visible", "&lt;b&gt;x", "<b>x"},
        TextCase{"tags of every kind", "<!DOCTYPE html><?xml x?><p class=x>a</p><br/></>b", "ab"},
        TextCase{"comment with markup inside", "a<!-- <b> x > y -->b", "ab"},
        TextCase{"empty comments", "a<!---->b<!-->c<!--->d<!--x--!>e", "abcde"},
        TextCase{"unclosed comment swallows rest", "keep<!-- never closed", "keep"},
        TextCase{"unclosed tag swallows rest", "keep <b unclosed", "keep"},
        TextCase{"tag cut short by another tag", "a<b<i>c", "ac"},
        TextCase{"cut tag then an unclosed one", "x<y<z", "x"},
        TextCase{"references are read once the tags are gone", "&am<b>p;", "&"},
        TextCase{"attributes dropped", "<a href=\"x>y\">t</a>", "y\">t"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ReplaceHTMLEntitiesTest, DecodesOnceWithoutFolding)
{
    struct {
        QString text, expected;
    } cases[] = {
        {"a&nbsp;&nbsp;b\t", QString::fromUtf8("a\u00A0\u00A0b\t")},
        {"&amp;lt; &lt;b&gt;", "&lt; <b>"},
        {"<i>&#169;</i>", QString::fromUtf8("<i>©</i>")},
        {"no reference", "no reference"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceHTMLEntities(c.text), c.expected) << c.text.toStdString();
}

TEST(TitleKeyTest, AmpersandRunsAndBlanksFolded)
{
    struct {
        QString title, key;
    } cases[] = {
        {"Tom && Jerry", "Tom & Jerry"}, // stored when "&amp;" read as "&&"
        {"Tom & Jerry", "Tom & Jerry"},
        {"a &&&& b", "a & b"},
        {"a & & b", "a & & b"},
        {"A\tB", "A B"},
        {QString::fromUtf8("  x \t\u00A0 y \r\n"), "x y"},
        {"Case Kept", "Case Kept"}, // the merges fold case themselves
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TitleKey(c.title), c.key) << c.title.toStdString();
    // Old and new conversions of the same title give one key.
    EXPECT_EQ(TitleKey("Tom && Jerry\tand\t\tfriends"), TitleKey(HTMLToText("Tom &amp; Jerry\nand friends")));
}

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
