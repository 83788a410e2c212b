#include "feeds/DocumentText.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

QByteArray Encode(const char* encoding, const QString& text, bool bom = false)
{
    QStringEncoder encoder(encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    EXPECT_TRUE(encoder.isValid()) << encoding;
    return encoder.encode(text);
}

QString Declared(const char* encoding, const QString& content)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?><rss><t>%2</t></rss>")
        .arg(QLatin1String(encoding), content);
}

TEST(DecodeDocumentTextTest, MarkThenWideFormThenDeclarationThenUtf8ElseWindows1252)
{
    const QString title = QString::fromUtf8("café “x” € 😀");
    const QString latin = QString::fromUtf8("café “x” €");
    const QString russian = QString::fromUtf8("Новости");
    const QString plain = QStringLiteral("<rss><t>%1</t></rss>").arg(title);
    struct {
        const char* name;
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {"UTF-8", Declared("utf-8", title).toUtf8(), Declared("utf-8", title)},
        {"UTF-8 with mark", Encode("UTF-8", Declared("utf-8", title), true), Declared("utf-8", title)},
        {"UTF-8, undeclared", plain.toUtf8(), plain},
        {"UTF-16LE with mark", Encode("UTF-16LE", Declared("utf-16", title), true), Declared("utf-16", title)},
        {"UTF-16BE with mark", Encode("UTF-16BE", Declared("utf-16", title), true), Declared("utf-16", title)},
        {"UTF-16LE", Encode("UTF-16LE", Declared("utf-16", title)), Declared("utf-16", title)},
        {"UTF-16BE", Encode("UTF-16BE", Declared("utf-16", title)), Declared("utf-16", title)},
        {"UTF-32LE with mark", Encode("UTF-32LE", Declared("utf-32", title), true), Declared("utf-32", title)},
        {"UTF-32BE with mark", Encode("UTF-32BE", Declared("utf-32", title), true), Declared("utf-32", title)},
        {"UTF-32LE", Encode("UTF-32LE", Declared("utf-32", title)), Declared("utf-32", title)},
        {"UTF-32BE", Encode("UTF-32BE", Declared("utf-32", title)), Declared("utf-32", title)},
        // A mark wins over the declaration; the wide form over a wrong name.
        {"UTF-16LE with mark, declared latin", Encode("UTF-16LE", Declared("iso-8859-1", title), true),
         Declared("iso-8859-1", title)},
        {"UTF-16BE, declared utf-8", Encode("UTF-16BE", Declared("utf-8", title)), Declared("utf-8", title)},
        {"windows-1252", Encode("windows-1252", Declared("windows-1252", latin)), Declared("windows-1252", latin)},
        {"KOI8-R", Encode("KOI8-R", Declared("KOI8-R", russian)), Declared("KOI8-R", russian)},
        // Single bytes that claim a wide encoding, or a name no decoder knows: UTF-8.
        {"single bytes declared utf-16", Declared("utf-16", title).toUtf8(), Declared("utf-16", title)},
        {"unknown name", Declared("bogus", title).toUtf8(), Declared("bogus", title)},
        // Not UTF-8 and nothing declared, or a declaration the bytes break: Windows-1252.
        {"undeclared windows-1252", Encode("windows-1252", QStringLiteral("<rss>%1</rss>").arg(latin)),
         QStringLiteral("<rss>%1</rss>").arg(latin)},
        {"declared utf-8, bytes are not", Encode("windows-1252", Declared("utf-8", latin)), Declared("utf-8", latin)},
        {"empty", QByteArray(), QString()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeDocumentText(c.bytes).toStdString(), c.expected.toStdString()) << c.name;
    }
}

TEST(DecodeDocumentTextTest, MarksAndWideForms)
{
    struct {
        QByteArray bytes;
        std::optional<QStringConverter::Encoding> mark;
        std::optional<QStringConverter::Encoding> wide;
    } cases[] = {
        {QByteArray("\xFF\xFE\x00\x00<\x00\x00\x00", 8), QStringConverter::Utf32LE, std::nullopt},
        {QByteArray("\x00\x00\xFE\xFF\x00\x00\x00<", 8), QStringConverter::Utf32BE, std::nullopt},
        {QByteArray("\xFF\xFE<\x00?\x00", 6), QStringConverter::Utf16LE, std::nullopt},
        {QByteArray("\xFE\xFF\x00<\x00?", 6), QStringConverter::Utf16BE, std::nullopt},
        {QByteArray("\xEF\xBB\xBF<?xml"), QStringConverter::Utf8, std::nullopt},
        {QByteArray("\x00<\x00?", 4), std::nullopt, QStringConverter::Utf16BE},
        {QByteArray("<\x00?\x00", 4), std::nullopt, QStringConverter::Utf16LE},
        {QByteArray("\x00\x00\x00<", 4), std::nullopt, QStringConverter::Utf32BE},
        {QByteArray("<?xml"), std::nullopt, std::nullopt},
        {QByteArray("<\x00r\x00", 4), std::nullopt, QStringConverter::Utf16LE}, // "<rss" without a declaration
        {QByteArray("\x00<\x00!", 4), std::nullopt, QStringConverter::Utf16BE},
        {QByteArray("<\x00\xE4\x00", 4), std::nullopt, std::nullopt}, // no ASCII character after "<"
        {QByteArray("\x00<\x00", 3), std::nullopt, std::nullopt},
        {QByteArray("<\x00", 2), std::nullopt, std::nullopt},
    };
    int row = 0;
    for (const auto& c : cases) {
        const std::optional<TByteOrderMark> mark = ByteOrderMark(c.bytes);
        EXPECT_EQ(mark.has_value(), c.mark.has_value()) << row;
        if (mark && c.mark)
            EXPECT_EQ(mark->encoding, *c.mark) << row;
        EXPECT_EQ(UnmarkedWideEncoding(c.bytes), c.wide) << row;
        ++row;
    }
}


// A server's UTF-16 or UTF-32 is believed only for bytes with a NUL among the
// first 512; otherwise the next rule reads the page.
TEST(DecodePageTextTest, AWideCharsetWithoutNulBytesIsNotBelieved)
{
    const QString page = QString::fromUtf8("<html><head><title>Caf\u00e9 \u201cx\u201d</title></head></html>");
    const QByteArray ascii = "<html><head><title>News</title></head><body>" + QByteArray(600, 'a') + "</body></html>";
    const QByteArray metaLatin = "<meta charset=\"windows-1252\"><title>Caf\xe9</title>";
    // NUL only after the first 512 bytes: too late to tell.
    const QByteArray lateNul = QByteArray(512, 'a') + QByteArray(2, '\0');
    const struct {
        QByteArray bytes;
        const char* charset;
        QString text;
    } cases[] = {
        {ascii, "utf-16", QString::fromLatin1(ascii)},
        {ascii, "UTF-16LE", QString::fromLatin1(ascii)},
        {ascii, "utf-32", QString::fromLatin1(ascii)},
        {page.toUtf8(), "utf-16be", page},                              // then UTF-8
        // then the meta element
        {metaLatin, "utf-16", QString::fromUtf8("<meta charset=\"windows-1252\"><title>Caf\u00e9</title>")},
        {Encode("UTF-16LE", page), "utf-16le", page},                  // wide text has its NULs
        {Encode("UTF-16BE", page), "utf-16be", page},
        {Encode("UTF-32LE", page), "utf-32le", page},
        {lateNul, "utf-16", QString::fromLatin1(lateNul)},
    };
    for (const auto& c : cases) {
        const QString text = DecodePageText(c.bytes, QStringLiteral("text/html; charset=") + c.charset);
        EXPECT_EQ(text, c.text) << c.charset << ": " << c.bytes.left(40).toHex().constData();
    }
}

} // namespace
