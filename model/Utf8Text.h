#pragma once
// A text kept as UTF-8 and made a QString when read.
//
// News descriptions are the bulk of a stored tree and are rarely shown: as
// UTF-8 they take half the memory of a QString for Latin text, and a loaded
// description is the file's own bytes, taken without decoding. Reading it
// decodes it again, so it behaves as a QString field would. What UTF-8 cannot
// carry, an unpaired surrogate, is left out, as the news XML writer leaves it
// out.
#include <QByteArray>
#include <QString>

class TUtf8Text {
public:
    TUtf8Text() = default;
    TUtf8Text(const QString& text) : bytes(EncodeUtf8(text)) {} // NOLINT: converting on purpose
    TUtf8Text(const char* text) : bytes(text) {}             // NOLINT: ASCII literals
    TUtf8Text& operator=(const QString& text)
    {
        bytes = EncodeUtf8(text);
        return *this;
    }
    // Bytes that are valid UTF-8, taken as they are.
    static TUtf8Text FromValidUtf8(const QByteArray& utf8)
    {
        TUtf8Text t;
        t.bytes = utf8;
        return t;
    }

    operator QString() const { return String(); } // NOLINT: reads as a QString field
    QString String() const { return QString::fromUtf8(bytes); }
    const QByteArray& Utf8() const { return bytes; }
    bool isEmpty() const { return bytes.isEmpty(); }

    TUtf8Text& operator+=(const QString& text)
    {
        bytes += EncodeUtf8(text);
        return *this;
    }
    friend bool operator==(const TUtf8Text& a, const TUtf8Text& b) { return a.bytes == b.bytes; }
    friend bool operator!=(const TUtf8Text& a, const TUtf8Text& b) { return a.bytes != b.bytes; }
    friend bool operator==(const TUtf8Text& a, const QString& b) { return a.String() == b; }
    friend bool operator==(const QString& a, const TUtf8Text& b) { return a == b.String(); }
    friend bool operator!=(const TUtf8Text& a, const QString& b) { return !(a == b); }
    friend bool operator==(const TUtf8Text& a, const char* b) { return a.bytes == QByteArray(b); }

    // UTF-8 of text without its unpaired surrogates.
    static QByteArray EncodeUtf8(const QString& text);

private:
    QByteArray bytes;
};
