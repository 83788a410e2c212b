#include "feeds/DocumentText.h"

#include "platform/Encoding.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace {

// How far into a page a NUL byte is looked for when the server declares a
// wide charset.
constexpr qsizetype kWideProbeBytes = 512;

bool StartsWith(const QByteArray& bytes, std::initializer_list<unsigned char> prefix)
{
    if (bytes.size() < static_cast<qsizetype>(prefix.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char b : prefix)
        if (static_cast<unsigned char>(bytes[i++]) != b)
            return false;
    return true;
}

QString Decode(QStringConverter::Encoding encoding, const QByteArray& bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

// The text in the declared encoding, when the declaration names one that a
// decoder knows and that reads the declaration itself back.
std::optional<QString> DecodeDeclared(const QByteArray& bytes)
{
    const QString declared = DeclaredEncoding(QString::fromLatin1(bytes.left(256)));
    if (declared.isEmpty())
        return std::nullopt;
    QStringDecoder decoder(declared.toLatin1().constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || !text.startsWith(QLatin1String("<?xml")))
        return std::nullopt;
    return text;
}

// The text in a charset named by the page or its server, when believed.
std::optional<QString> DecodeCharset(const QByteArray& bytes, QString name)
{
    name = name.trimmed().toLower();
    if (name.isEmpty())
        return std::nullopt;
    // Browsers read these as Windows-1252, and pages rely on it.
    if (name == u"iso-8859-1" || name == u"latin1" || name == u"iso8859-1" || name == u"us-ascii"
        || name == u"ascii" || name == u"windows-1252" || name == u"cp1252")
        return DecodeWindows1252(bytes);
    QStringDecoder decoder(name.toLatin1().constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool IsWideCharset(const QString& name)
{
    const QString n = name.trimmed().toLower();
    return n.startsWith(QLatin1String("utf-16")) || n.startsWith(QLatin1String("utf-32"))
        || n == u"ucs-2" || n == u"unicode";
}

} // namespace

QString ContentTypeCharset(const QString& contentType)
{
    static const QRegularExpression charset(QStringLiteral("(?:^|;)\\s*charset\\s*=\\s*\"?([^\";\\s]+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = charset.match(contentType);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString MetaCharset(const QByteArray& bytes)
{
    // <meta charset="x"> and <meta http-equiv="Content-Type" content="...; charset=x">.
    static const QRegularExpression meta(
        QStringLiteral("<meta\\b[^>]*?\\bcharset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:+\\-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = meta.match(QString::fromLatin1(bytes.left(8 * 1024)));
    return m.hasMatch() ? m.captured(1) : QString();
}

QString DecodePageText(const QByteArray& bytes, const QString& contentType)
{
    if (const std::optional<TByteOrderMark> mark = ByteOrderMark(bytes))
        return Decode(mark->encoding, bytes.mid(mark->length));
    const QString served = ContentTypeCharset(contentType);
    // A page in UTF-16 or UTF-32 has NUL bytes in its markup; without them the
    // server's word is wrong, and believing it turns ASCII into CJK text.
    const bool wideWithoutNul = IsWideCharset(served) && !bytes.left(kWideProbeBytes).contains('\0');
    if (!wideWithoutNul)
        if (std::optional<QString> text = DecodeCharset(bytes, served))
            return std::move(*text);
    const QString meta = MetaCharset(bytes);
    if (!IsWideCharset(meta))
        if (std::optional<QString> text = DecodeCharset(bytes, meta))
            return std::move(*text);
    return DecodeText(bytes);
}

std::optional<TByteOrderMark> ByteOrderMark(const QByteArray& bytes)
{
    // UTF-32 LE first: its mark begins with the UTF-16 LE one.
    if (StartsWith(bytes, {0xFF, 0xFE, 0x00, 0x00}))
        return TByteOrderMark{QStringConverter::Utf32LE, 4};
    if (StartsWith(bytes, {0x00, 0x00, 0xFE, 0xFF}))
        return TByteOrderMark{QStringConverter::Utf32BE, 4};
    if (StartsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return TByteOrderMark{QStringConverter::Utf8, 3};
    if (StartsWith(bytes, {0xFF, 0xFE}))
        return TByteOrderMark{QStringConverter::Utf16LE, 2};
    if (StartsWith(bytes, {0xFE, 0xFF}))
        return TByteOrderMark{QStringConverter::Utf16BE, 2};
    return std::nullopt;
}

std::optional<QStringConverter::Encoding> UnmarkedWideEncoding(const QByteArray& bytes)
{
    // XML 1.0, appendix F: the first character is "<". A document without a
    // declaration starts with its first element ("<rss", "<feed"), a comment
    // or a document type: any ASCII character after the "<" in the same
    // width tells the form. Single-byte text never holds a zero byte there.
    if (bytes.size() < 4)
        return std::nullopt;
    const auto b = [&bytes](int i) { return static_cast<unsigned char>(bytes[i]); };
    const auto ascii = [](unsigned char c) { return c > 0 && c < 0x80; };
    if (StartsWith(bytes, {0x00, 0x00, 0x00, '<'}))
        return QStringConverter::Utf32BE;
    if (StartsWith(bytes, {'<', 0x00, 0x00, 0x00}))
        return QStringConverter::Utf32LE;
    if (b(0) == 0x00 && b(1) == '<' && b(2) == 0x00 && ascii(b(3)))
        return QStringConverter::Utf16BE;
    if (b(0) == '<' && b(1) == 0x00 && ascii(b(2)) && b(3) == 0x00)
        return QStringConverter::Utf16LE;
    return std::nullopt;
}

QString DeclaredEncoding(const QString& text)
{
    static const QRegularExpression declaration(
        QStringLiteral("^<\\?xml[^>]*?\\sencoding\\s*=\\s*[\"']([^\"']*)[\"']"));
    const QRegularExpressionMatch m = declaration.match(text.left(256));
    return m.hasMatch() ? m.captured(1) : QString();
}

QString DecodeDocumentText(const QByteArray& bytes)
{
    if (const std::optional<TByteOrderMark> mark = ByteOrderMark(bytes))
        return Decode(mark->encoding, bytes.mid(mark->length));
    if (const std::optional<QStringConverter::Encoding> wide = UnmarkedWideEncoding(bytes))
        return Decode(*wide, bytes);
    if (std::optional<QString> declared = DecodeDeclared(bytes))
        return std::move(*declared);
    return DecodeText(bytes);
}
