// The note RTF reader and writer: round trips of every format the note
// window can make, notes written by earlier versions, and damaged input.
#include "notes/Rtf.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextCursor>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Paragraph by paragraph: alignment, indents, bullet, then runs of equal
// character formats with their text.
QString Signature(const QTextDocument& document)
{
    QStringList out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat bf = block.blockFormat();
        const Qt::Alignment a = bf.alignment();
        QString line = QStringLiteral("[%1 li%2 fi%3%4]")
                           .arg(a & Qt::AlignHCenter ? "c" : a & Qt::AlignJustify ? "j" : a & Qt::AlignRight ? "r" : "l")
                           .arg(qRound(bf.leftMargin() * kTwipsPerUnit))
                           .arg(qRound(bf.textIndent() * kTwipsPerUnit))
                           .arg(block.textList() ? " bullet" : "");
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            QString flags;
            if (f.fontWeight() >= QFont::DemiBold)
                flags += 'B';
            if (f.fontItalic())
                flags += 'I';
            if (f.fontUnderline())
                flags += 'U';
            if (f.fontStrikeOut())
                flags += 'S';
            if (f.fontPointSize() > 0)
                flags += QStringLiteral("%1pt").arg(f.fontPointSize());
            if (f.hasProperty(QTextFormat::ForegroundBrush))
                flags += f.foreground().color().name();
            line += QStringLiteral("<%1>%2").arg(flags, it.fragment().text());
        }
        out << line;
    }
    return out.join('|');
}

QTextCharFormat Fmt(const std::function<void(QTextCharFormat&)>& set)
{
    QTextCharFormat f;
    set(f);
    return f;
}

QTextDocument* RoundTrip(const QTextDocument& in, QString* rtf = nullptr)
{
    const QString text = DocumentToRtf(in);
    if (rtf)
        *rtf = text;
    auto* out = new QTextDocument;
    RtfToDocument(text, *out);
    return out;
}

} // namespace

TEST(Rtf, IsRtfLooksPastLeadingBlanksOnly)
{
    const struct {
        const char* text;
        bool rtf;
    } cases[] = {
        {"{\\rtf1\\ansi x}", true}, {"  \r\n\t{\\rtf1 x}", true}, {"{\\rtf", true},
        {"{\\RTF1 x}", false},      {"x{\\rtf1}", false},         {"", false},
        {"{ \\rtf1}", false},       {"plain text", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsRtf(QString::fromUtf8(c.text)), c.rtf) << c.text;
}

TEST(Rtf, OnlyWholeRtfIsANoteInRtf)
{
    const struct {
        const char* text;
        bool whole;
    } cases[] = {
        {"{\\rtf1 x}", true},
        {"  {\\rtf1 x}\r\n", true},                  // blanks around
        {"{\\rtf1 {\\b nested} x\\par }\r\n", true},
        {"{\\rtf1 \\{ \\} \\\\ escaped}", true},
        {"{\\rtf1 \\bin3 }}} data}", true},         // raw data holds no braces
        {"{\\rtf1 \\u-4064? x}", true},
        {"{\\rtf", false},                          // cut short
        {"{\\rtf1 open {group}", false},
        {"{\\rtf1 x} more text", false},             // text after the document
        {"{\\rtf1 a}}}}b", false},
        {"{\\rtf1 \\}", false},                      // the brace is escaped
        {"{\\rtf1 \\bin99 }", false},
        {"plain {x}", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsWholeRtf(QString::fromUtf8(c.text)), c.whole) << c.text;
    EXPECT_TRUE(IsWholeRtf(QStringLiteral("{\\rtf1 x}\r\n") + QChar(0))); // as old notes were stored
    // What the writer makes is always whole.
    QTextDocument doc;
    QTextCursor(&doc).insertText(QStringLiteral("{\\rtf1 braces } { and \\ backslashes"));
    EXPECT_TRUE(IsWholeRtf(DocumentToRtf(doc)));
    QTextDocument back;
    NoteTextToDocument(DocumentToRtf(doc), back);
    EXPECT_EQ(back.toPlainText(), doc.toPlainText());
}

TEST(Rtf, LongBulletedListsSurviveARoundTrip)
{
    // Read in lists of a bounded length: every paragraph stays bulleted and
    // in its place, and the text comes back whole.
    QString rtf = QStringLiteral("{\\rtf1\\ansi ");
    for (int i = 0; i < 450; ++i) {
        if (i == 300)
            rtf += QStringLiteral("\\pard plain in between\\par ");
        rtf += QStringLiteral("\\pard{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}item %1\\par ").arg(i);
    }
    rtf += '}';
    QTextDocument doc;
    RtfToDocument(rtf, doc);
    ASSERT_EQ(doc.blockCount(), 451);
    int bulleted = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        bulleted += block.textList() != nullptr;
    EXPECT_EQ(bulleted, 450);
    EXPECT_EQ(doc.findBlockByNumber(300).text(), QStringLiteral("plain in between"));
    EXPECT_EQ(doc.findBlockByNumber(300).textList(), nullptr);
    EXPECT_EQ(doc.findBlockByNumber(450).text(), QStringLiteral("item 449"));
    std::unique_ptr<QTextDocument> back(RoundTrip(doc));
    EXPECT_EQ(Signature(*back), Signature(doc));
}

TEST(Rtf, RoundTripKeepsEveryNoteFormat)
{
    struct Case {
        const char* name;
        std::function<void(QTextCursor&)> build;
    };
    const Case cases[] = {
        {"plain lines", [](QTextCursor& c) {
             c.insertText(QStringLiteral("first"));
             c.insertBlock();
             c.insertBlock();
             c.insertText(QStringLiteral("third, after an empty one"));
         }},
        {"character formats", [](QTextCursor& c) {
             c.insertText(QStringLiteral("plain "));
             c.insertText(QStringLiteral("bold "), Fmt([](auto& f) { f.setFontWeight(QFont::Bold); }));
             c.insertText(QStringLiteral("italic "), Fmt([](auto& f) { f.setFontItalic(true); }));
             c.insertText(QStringLiteral("under "), Fmt([](auto& f) { f.setFontUnderline(true); }));
             c.insertText(QStringLiteral("struck "), Fmt([](auto& f) { f.setFontStrikeOut(true); }));
             c.insertText(QStringLiteral("all"), Fmt([](auto& f) {
                              f.setFontWeight(QFont::Bold);
                              f.setFontItalic(true);
                              f.setFontUnderline(true);
                              f.setFontStrikeOut(true);
                          }));
         }},
        {"sizes and colours", [](QTextCursor& c) {
             c.insertText(QStringLiteral("big red"), Fmt([](auto& f) {
                              f.setFontPointSize(14);
                              f.setForeground(QColor(200, 10, 20));
                          }));
             c.insertText(QStringLiteral(" small blue"), Fmt([](auto& f) {
                              f.setFontPointSize(7.5);
                              f.setForeground(QColor(0, 0, 255));
                          }));
             c.insertText(QStringLiteral(" red again"), Fmt([](auto& f) { f.setForeground(QColor(200, 10, 20)); }));
         }},
        {"alignment and indents", [](QTextCursor& c) {
             QTextBlockFormat b;
             b.setAlignment(Qt::AlignHCenter);
             c.setBlockFormat(b);
             c.insertText(QStringLiteral("centred"));
             b.setAlignment(Qt::AlignRight);
             c.insertBlock(b);
             c.insertText(QStringLiteral("right"));
             b.setAlignment(Qt::AlignJustify);
             c.insertBlock(b);
             c.insertText(QStringLiteral("justified"));
             QTextBlockFormat indented;
             indented.setLeftMargin(200 / kTwipsPerUnit);
             indented.setTextIndent(-100 / kTwipsPerUnit);
             c.insertBlock(indented);
             c.insertText(QStringLiteral("indented"));
         }},
        {"bullets", [](QTextCursor& c) {
             c.insertText(QStringLiteral("intro"));
             c.insertBlock(QTextBlockFormat());
             QTextListFormat lf;
             lf.setStyle(QTextListFormat::ListDisc);
             c.createList(lf);
             c.insertText(QStringLiteral("one"));
             c.insertBlock();
             c.insertText(QStringLiteral("two"));
             c.insertBlock(QTextBlockFormat());
             c.insertText(QStringLiteral("after"));
         }},
        {"special characters", [](QTextCursor& c) {
             c.insertText(QStringLiteral("braces {x} back\\slash\ttab"));
             c.insertText(QString(QChar(QChar::LineSeparator)));
             c.insertText(QStringLiteral("äöü € – ő 日本 \U0001F600 nbsp\u00A0end"));
         }},
        {"empty last paragraph", [](QTextCursor& c) {
             c.insertText(QStringLiteral("text"));
             c.insertBlock();
         }},
        {"empty document", [](QTextCursor&) {}},
    };
    for (const Case& c : cases) {
        QTextDocument in;
        QTextCursor cursor(&in);
        c.build(cursor);
        QString rtf;
        std::unique_ptr<QTextDocument> out(RoundTrip(in, &rtf));
        EXPECT_EQ(out->toPlainText(), in.toPlainText()) << c.name << "\n" << rtf.toStdString();
        EXPECT_EQ(Signature(*out), Signature(in)) << c.name << "\n" << rtf.toStdString();
        // Everything outside printable ASCII is escaped: the file is 7-bit.
        for (const QChar ch : rtf)
            ASSERT_TRUE(ch.unicode() < 0x7F) << c.name << " writes " << ch.unicode();
        EXPECT_TRUE(IsRtf(rtf)) << c.name;
    }
}

TEST(Rtf, NoteOfAnEarlierVersionOpensWithItsFormatting)
{
    const QString legacy = QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
        "{\\colortbl ;\\red0\\green0\\blue255;}\r\n"
        "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\lang1031\\f0\\fs16 Hello \\b bold\\b0\\par\r\n"
        "\\i italic\\i0  \\ul under\\ulnone  \\strike gone\\strike0\\par\r\n"
        "\\cf1\\ul www.example.com\\cf0\\ulnone\\par\r\n"
        "\\pard\\qc centred\\par\r\n"
        "\\pard\\li400 K\\'f6ln \\u8364?\\par\r\n"
        "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}\\fi-200\\li200 first\\par\r\n"
        "{\\pntext\\f1\\'b7\\tab}second\\par\r\n"
        "\\pard\\fs20 end\\par\r\n"
        "}\r\n");
    QTextDocument doc;
    RtfToDocument(legacy, doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Hello bold\nitalic under gone\nwww.example.com\ncentred\n"
                                                "Köln €\nfirst\nsecond\nend"));
    EXPECT_EQ(Signature(doc),
              QStringLiteral("[l li0 fi0]<8pt>Hello <B8pt>bold"
                             "|[l li0 fi0]<I8pt>italic<8pt> <U8pt>under<8pt> <S8pt>gone"
                             "|[l li0 fi0]<U8pt#0000ff>www.example.com"
                             "|[c li0 fi0]<8pt>centred"
                             "|[l li400 fi0]<8pt>Köln €"
                             "|[l li200 fi0 bullet]<8pt>first"
                             "|[l li200 fi0 bullet]<8pt>second"
                             "|[l li0 fi0]<10pt>end"));
    // Both bulleted paragraphs belong to one list.
    EXPECT_EQ(doc.findBlockByNumber(5).textList(), doc.findBlockByNumber(6).textList());
}

TEST(Rtf, ReaderTable)
{
    const struct {
        const char* name;
        const char* rtf;
        const char* plain;
    } cases[] = {
        {"escapes", "{\\rtf1 a\\{b\\}c\\\\d}", "a{b}c\\d"},
        {"cp1252 bytes", "{\\rtf1 \\'80\\'93x\\'94\\'e4\\'FC}", "€“x”äü"},
        {"unicode with fallback skipped", "{\\rtf1 \\u20320?\\u22909?!}", "你好!"},
        {"negative unicode", "{\\rtf1 \\u-3913?}", "\uF0B7"},
        {"uc2 skips two", "{\\rtf1\\uc2 \\u8364\\'80\\'80x}", "€x"},
        {"uc0 skips none", "{\\rtf1\\uc0 \\u8364 x}", "€x"},
        {"fallback ends with the group", "{\\rtf1\\uc3 {\\u8364}xy}", "€xy"},
        {"surrogate pair", "{\\rtf1 \\u-10179?\\u-8704?}", "\U0001F600"},
        {"starred destination skipped", "{\\rtf1 a{\\*\\unknowndest hidden {nested} text}b}", "ab"},
        {"known destinations skipped",
         "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}"
         "{\\pict\\pngblip 89504e47}visible}",
         "visible"},
        {"unknown control words ignored", "{\\rtf1\\frobnicate12\\zz-3 text\\xyz more}", "textmore"},
        {"control word delimiter space", "{\\rtf1\\b  two\\b0 x}", " twox"},
        {"line and tab", "{\\rtf1 a\\line b\\tab c}", "a\nb\tc"},
        {"raw line breaks ignored", "{\\rtf1 a\r\nb\nc}", "abc"},
        {"backslash newline is a paragraph", "{\\rtf1 a\\\nb}", "a\nb"},
        {"last par opens nothing", "{\\rtf1 a\\par b\\par }", "a\nb"},
        {"two last pars keep one empty line", "{\\rtf1 a\\par\\par }", "a\n"},
        {"text after the document ignored", "{\\rtf1 in}out", "in"},
        {"binary data skipped", "{\\rtf1 a{\\*\\blipuid x}\\bin3 \\}{b}", "ab"},
        {"field result kept", "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt link}}}", "link"},
        // The plain text shows the non-breaking space as a blank; the round trip keeps it.
        {"symbols", "{\\rtf1 a\\~b\\-c\\_d\\emdash\\bullet}", "a bc\u2011d\u2014\u2022"},
        {"colour table only with colortbl", "{\\rtf1 \\red255 ;x}", ";x"},
        {"plain text is plain", "just text\r\nline {two}", "just text\nline {two}"},
    };
    for (const auto& c : cases) {
        QTextDocument doc;
        RtfToDocument(QString::fromUtf8(c.rtf), doc);
        EXPECT_EQ(doc.toPlainText(), QString::fromUtf8(c.plain)) << c.name;
    }
}

TEST(Rtf, DamagedInputReadsWhatItCan)
{
    const QString deep = QStringLiteral("{\\rtf1 ") + QString(200000, '{') + QStringLiteral("\\b deep")
        + QString(200000, '}') + QStringLiteral(" after}");
    const struct {
        const char* name;
        QString rtf;
        QString plain;
    } cases[] = {
        {"nested far beyond the cap", deep, QStringLiteral("deep after")},
        {"deep without closing", QStringLiteral("{\\rtf1 ") + QString(50000, '{') + QStringLiteral("open"),
         QStringLiteral("open")},
        {"unbalanced closing", QStringLiteral("{\\rtf1 a}}}}b"), QStringLiteral("a")},
        {"no closing brace", QStringLiteral("{\\rtf1 a\\b bold"), QStringLiteral("abold")},
        {"cut after backslash", QStringLiteral("{\\rtf1 a\\"), QStringLiteral("a")},
        {"cut control word", QStringLiteral("{\\rtf1 a\\pa"), QStringLiteral("a")},
        {"cut number", QStringLiteral("{\\rtf1 a\\fs-"), QStringLiteral("a-")},
        {"cut hex", QStringLiteral("{\\rtf1 a\\'4"), QStringLiteral("a4")},
        {"bad hex", QStringLiteral("{\\rtf1 a\\'zzb"), QStringLiteral("azzb")},
        {"huge parameter", QStringLiteral("{\\rtf1\\fs99999999999999999999 x\\u99999999999?y}"), QStringLiteral("xy")},
        {"huge bin", QStringLiteral("{\\rtf1 x\\bin999999999999 never}"), QStringLiteral("x")},
        {"endless control word", QStringLiteral("{\\rtf1 \\") + QString(100000, 'a') + QStringLiteral(" z}"),
         QStringLiteral("z")},
        {"only the header", QStringLiteral("{\\rtf"), QString()},
    };
    for (const auto& c : cases) {
        QTextDocument doc;
        RtfToDocument(c.rtf, doc);
        EXPECT_EQ(doc.toPlainText(), c.plain) << c.name;
    }
    // The cap still leaves the formatting of the deepest kept level.
    QTextDocument doc;
    RtfToDocument(deep, doc);
    EXPECT_EQ(doc.begin().begin().fragment().charFormat().fontWeight(), QFont::Bold);
}

TEST(Rtf, PlainTextOfAStoredNote)
{
    EXPECT_EQ(RtfToPlainText(QStringLiteral("{\\rtf1 One\\par \\b Two\\b0\\par }")), QStringLiteral("One\nTwo"));
    EXPECT_EQ(RtfToPlainText(QStringLiteral("not rtf\r\nat all")), QStringLiteral("not rtf\r\nat all"));
}
