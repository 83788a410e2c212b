#pragma once
// How the bytes of an XML document become text, as an XML parser would decide
// it, for reading a downloaded document before (or instead of) parsing it.
//
// Rules kept here, in this order:
//  - A byte-order mark decides: UTF-8, UTF-16 LE/BE, UTF-32 LE/BE. The mark is
//    not part of the text.
//  - Without a mark, UTF-16 and UTF-32 are recognised by their first four bytes
//    ("<" and an ASCII character in that form: "<?", "<rss", "<!--"), as
//    XML's own encoding detection does.
//  - Otherwise the encoding named in the XML declaration, when a decoder knows
//    the name and the declaration reads back as "<?xml" through it (a document
//    that claims UTF-16 but is written in single bytes is not believed).
//  - Otherwise UTF-8 when the bytes are valid UTF-8, else Windows-1252.
#include <QByteArray>
#include <QString>
#include <QStringConverter>

#include <optional>

QString DecodeDocumentText(const QByteArray& bytes);

// How the bytes of a web page become text, as a browser would decide it:
//  - A byte-order mark decides.
//  - Otherwise the charset of the HTTP Content-Type, then the one of a meta
//    element within the first 8 KB, each only when a decoder knows the name
//    and the bytes decode without error. ISO-8859-1 and US-ASCII read as
//    Windows-1252; a meta element naming UTF-16 or UTF-32 is not believed
//    (it was read in single bytes), nor is a Content-Type naming one when
//    the first 512 bytes hold no NUL byte (wide text would have them).
//  - Otherwise UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString DecodePageText(const QByteArray& bytes, const QString& contentType);
// The charset parameter of a Content-Type value, or empty.
QString ContentTypeCharset(const QString& contentType);
// The charset a meta element near the start of the page declares, or empty.
QString MetaCharset(const QByteArray& bytes);

struct TByteOrderMark {
    QStringConverter::Encoding encoding;
    int length;
};
// The byte-order mark that bytes start with, if any.
std::optional<TByteOrderMark> ByteOrderMark(const QByteArray& bytes);
// UTF-16 or UTF-32 without a mark, told by the first four bytes.
std::optional<QStringConverter::Encoding> UnmarkedWideEncoding(const QByteArray& bytes);
// The encoding name in the XML declaration at the start of text, or empty.
QString DeclaredEncoding(const QString& text);
