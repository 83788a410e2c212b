#include "text/TextTools.h"

#include "platform/Clock.h"
#include "platform/Trace.h"
#include "text/HtmlEntities.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <limits>

namespace {
inline QChar UpperAscii(QChar c) { return (c >= 'a' && c <= 'z') ? QChar(c.unicode() - 32) : c; }
inline QChar LowerAscii(QChar c) { return (c >= 'A' && c <= 'Z') ? QChar(c.unicode() + 32) : c; }

} // namespace

QString AsciiUpper(const QString& text)
{
    QString r = text;
    for (QChar& c : r)
        c = UpperAscii(c);
    return r;
}

QString AsciiLower(const QString& text)
{
    QString r = text;
    for (QChar& c : r)
        c = LowerAscii(c);
    return r;
}

bool SameTextAscii(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}

bool ReadHTMLTag(const QString& text, int& pos, QString& tagName, QString& attributes)
{
    tagName.clear();
    attributes.clear();
    bool inAttributes = false;
    const int len = static_cast<int>(text.size());
    while (pos <= len) {
        ++pos;
        if (pos > len)
            break;
        const QChar c = text[pos - 1];
        if (c == '<')
            return false;
        if (c == '>')
            return true;
        if (!inAttributes) {
            if (c == ' ') {
                if (!tagName.isEmpty())
                    inAttributes = true;
            } else {
                tagName += c;
            }
        } else {
            attributes += c;
        }
    }
    pos = len + 1;
    return false;
}

namespace {
// What the conversion folds into one blank: every character up to the blank
// itself (tabs, line breaks, other controls), the no-break space, the Latin-1
// next-line and the Unicode line and paragraph separators.
inline bool IsFoldedBlank(char16_t c)
{
    return c <= 0x20 || c == 0xA0 || c == 0x85 || c == 0x2028 || c == 0x2029;
}

inline bool IsAsciiLetter(char16_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A "<" followed by one of these opens a tag (or a comment); any other "<" is text.
inline bool OpensTag(char16_t c) { return IsAsciiLetter(c) || c == '/' || c == '!' || c == '?'; }

// Where the comment whose text starts at i ends (one past its "-->", or n
// when it never ends). "<!-->" and "<!--->" are empty comments, as in HTML;
// "--!>" ends a comment too.
qsizetype SkipComment(const char16_t* in, qsizetype n, qsizetype i)
{
    if (i < n && in[i] == '>')
        return i + 1;
    if (i + 1 < n && in[i] == '-' && in[i + 1] == '>')
        return i + 2;
    for (; i + 2 < n; ++i) {
        if (in[i] != '-' || in[i + 1] != '-')
            continue;
        if (in[i + 2] == '>')
            return i + 3;
        if (in[i + 2] == '!' && i + 3 < n && in[i + 3] == '>')
            return i + 4;
    }
    return n;
}

// Copies in to out without tags and comments; returns the length written,
// never more than n (out may be in).
qsizetype DropTags(const char16_t* in, qsizetype n, char16_t* out)
{
    qsizetype w = 0;
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = in[i];
        if (c != '<' || i + 1 == n || !OpensTag(in[i + 1])) {
            out[w++] = c;
            ++i;
        } else if (in[i + 1] == '!' && i + 3 < n && in[i + 2] == '-' && in[i + 3] == '-') {
            i = SkipComment(in, n, i + 4);
        } else {
            // Up to its ">"; a "<" inside cuts the tag short and is looked at
            // anew; without either the tag swallows the rest.
            qsizetype j = i + 1;
            while (j < n && in[j] != '>' && in[j] != '<')
                ++j;
            i = j < n && in[j] == '>' ? j + 1 : j;
        }
    }
    return w;
}

// Decodes the character references of in[0..n) into out, in one pass from
// left to right (a decoded "&" starts nothing). With fold, runs of blanks
// become one blank and none is kept at either end. Returns the length
// written, never more than n (out may be in: nothing is written ahead of
// what has been read).
qsizetype DecodeText(const char16_t* in, qsizetype n, char16_t* out, bool fold)
{
    const char16_t* end = in + n;
    qsizetype w = 0;
    bool blank = false; // a blank is owed before the next visible character
    auto put = [&](char16_t c) {
        if (fold && IsFoldedBlank(c)) {
            blank = w > 0;
            return;
        }
        if (blank) {
            out[w++] = u' ';
            blank = false;
        }
        out[w++] = c;
    };
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = in[i];
        if (c != '&' && !blank && !IsFoldedBlank(c)) {
            out[w++] = c; // the common case
            ++i;
            continue;
        }
        if (c == '&') {
            const TCharRef ref = ReadCharRef(in + i, end);
            if (ref.length > 0) {
                i += ref.length;
                for (int k = 0; k < ref.valueLength; ++k)
                    put(ref.value[k]);
                continue;
            }
        }
        put(c);
        ++i;
    }
    return w;
}

// True when HTMLToText would give the text back unchanged: no markup, no
// reference, only single blanks and none at either end.
bool IsPlainAlready(const char16_t* p, qsizetype n)
{
    if (n == 0 || p[0] == ' ' || p[n - 1] == ' ')
        return n == 0;
    bool afterBlank = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c == '<' || c == '&')
            return false;
        if (IsFoldedBlank(c)) {
            if (c != ' ' || afterBlank)
                return false;
            afterBlank = true;
        } else {
            afterBlank = false;
        }
    }
    return true;
}

// Trims a converted text to its length; gives back the memory when much of
// it went (a stored title keeps its buffer for as long as the item lives).
void FitTo(QString& text, qsizetype length)
{
    const qsizetype before = text.size();
    text.truncate(length);
    if (before - length > 64 && length < before - before / 4)
        text.squeeze();
}

inline const char16_t* Units(const QString& s) { return reinterpret_cast<const char16_t*>(s.constData()); }
inline char16_t* Units(QString& s) { return reinterpret_cast<char16_t*>(s.data()); }
} // namespace

QString ReplaceHTMLEntities(const QString& text)
{
    if (!text.contains(u'&'))
        return text;
    QString result(text.size(), Qt::Uninitialized);
    FitTo(result, DecodeText(Units(text), text.size(), Units(result), false));
    return result;
}

QString HTMLToText(const QString& text)
{
    const qsizetype n = text.size();
    if (IsPlainAlready(Units(text), n))
        return text;
    QString result(n, Qt::Uninitialized);
    char16_t* out = Units(result);
    // Tags go first, so an entity never makes one: "&lt;b&gt;" stays as text.
    const char16_t* plain = Units(text);
    qsizetype length = n;
    if (text.contains(u'<')) {
        length = DropTags(plain, n, out);
        plain = out;
    }
    FitTo(result, DecodeText(plain, length, out, true));
    return result;
}

QString TitleKey(const QString& plainTitle)
{
    const qsizetype n = plainTitle.size();
    const char16_t* in = Units(plainTitle);
    QString key(n, Qt::Uninitialized);
    char16_t* out = Units(key);
    qsizetype w = 0;
    bool blank = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i];
        if (IsFoldedBlank(c)) {
            blank = w > 0;
            continue;
        }
        if (c == '&' && w > 0 && !blank && out[w - 1] == '&')
            continue; // "&&" is how "&amp;" used to read
        if (blank)
            out[w++] = u' ';
        blank = false;
        out[w++] = c;
    }
    key.truncate(w);
    return key == plainTitle ? plainTitle : key; // unchanged: no second copy kept
}

QString CutToken(QString& text, const QString& separator)
{
    int p = static_cast<int>(text.indexOf(separator)) + 1;
    if (p == 0 || separator.isEmpty())
        p = static_cast<int>(text.size()) + 1;
    const QString token = text.left(p - 1);
    text.remove(0, p);
    return token;
}

bool CutInt(QString& text, int& value)
{
    int digits = 0;
    return CutInt(text, value, digits);
}

bool CutInt(QString& text, int& value, int& digits)
{
    digits = 0;
    if (text.isEmpty())
        return false;
    qsizetype i = 0;
    while (i < text.size() && text[i].unicode() <= 32)
        ++i;
    text.remove(0, i);
    if (text.isEmpty())
        return false;
    qint64 sign = 1;
    if (text[0] == '-') {
        text.remove(0, 1);
        sign = -1;
    }
    if (!text.isEmpty() && text[0] == '+') {
        text.remove(0, 1);
        sign = 1;
    }
    qsizetype n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9')
        ++n;
    if (n == 0)
        return false;
    const QString written = text.left(n);
    text.remove(0, n);
    quint64 v = 0;
    for (QChar d : written) {
        const quint64 digit = d.unicode() - '0';
        if (v > (static_cast<quint64>(std::numeric_limits<qint64>::max()) - digit) / 10)
            return false;
        v = v * 10 + digit;
    }
    value = static_cast<qint32>(static_cast<quint32>(static_cast<quint64>(static_cast<qint64>(v) * sign)));
    digits = static_cast<int>(n);
    return true;
}

QString FormatNumber(const QString& text, qint64 number)
{
    QString result = text;
    const qsizetype at = result.indexOf(QLatin1String("%d"));
    if (at >= 0)
        result.replace(at, 2, QString::number(number));
    return result;
}

bool IsBlank(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() > 32)
            return false;
    return true;
}

QString FirstVisibleLine(const QString& text)
{
    for (const QString& line : text.split('\n'))
        if (!IsBlank(HTMLToText(line)))
            return TrimBlanks(line);
    return QString();
}

QString TrimBlanks(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= 32)
        ++b;
    while (e > b && text[e - 1].unicode() <= 32)
        --e;
    return text.mid(b, e - b);
}

namespace {
// 0-based position of pattern in text comparing ASCII-upper-cased, or -1.
qsizetype IndexOfAsciiFolded(QStringView text, QStringView pattern)
{
    const qsizetype n = text.size(), m = pattern.size();
    if (m == 0)
        return 0;
    const QChar first = UpperAscii(pattern[0]);
    for (qsizetype i = 0; i + m <= n; ++i) {
        if (UpperAscii(text[i]) != first)
            continue;
        qsizetype k = 1;
        while (k < m && UpperAscii(text[i + k]) == UpperAscii(pattern[k]))
            ++k;
        if (k == m)
            return i;
    }
    return -1;
}

bool IsAscii(QStringView text)
{
    for (QChar c : text)
        if (c.unicode() > 127)
            return false;
    return true;
}
} // namespace

int PosOfAny(const QString& text, const QStringList& patterns)
{
    for (const QString& p : patterns) {
        const qsizetype i = IndexOfAsciiFolded(text, p);
        if (i >= 0)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

int LastCharPos(QChar c, const QString& text)
{
    return static_cast<int>(text.lastIndexOf(c)) + 1;
}

bool IsVideoLink(const QString& link)
{
    static const QStringList patterns{QStringLiteral(".M4V"), QStringLiteral(".MOV"), QStringLiteral(".MP4")};
    // For plain ASCII the locale's upper case is the ASCII one, done on the fly.
    const QString u = IsAscii(link) ? link : link.toUpper();
    const int i = PosOfAny(u, patterns);
    if (i < 1)
        return false;
    if (u.size() == i + 3)
        return true;
    const QChar after = UpperAscii(u[i + 3]);
    return !(after >= 'A' && after <= 'Z');
}

bool IsAudioLink(const QString& link)
{
    // With its dot: a bare "aac" would make /isaac-newton.html audio.
    static const QStringList patterns{QStringLiteral(".MP3"), QStringLiteral(".AAC")};
    return PosOfAny(link, patterns) > 0;
}

TMediaKinds MediaKindsOf(const QString& link)
{
    // First 0-based place of ".M4V", ".MOV", ".MP4" (video, tried in that
    // order) and of ".MP3", ".AAC" (audio), ignoring ASCII case.
    qsizetype first[5] = {-1, -1, -1, -1, -1};
    const char16_t* p = reinterpret_cast<const char16_t*>(link.constData());
    const qsizetype n = link.size();
    auto up = [](char16_t c) { return c >= 'a' && c <= 'z' ? char16_t(c - 32) : c; };
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] > 127) // the locale's upper case may move or add letters
            return {IsVideoLink(link), IsAudioLink(link)};
        if (p[i] != '.' || i + 4 > n)
            continue;
        const char16_t a = up(p[i + 1]), b = up(p[i + 2]), c = up(p[i + 3]);
        int k = -1;
        if (a == 'M' && b == '4' && c == 'V')
            k = 0;
        else if (a == 'M' && b == 'O' && c == 'V')
            k = 1;
        else if (a == 'M' && b == 'P' && c == '4')
            k = 2;
        else if (a == 'M' && b == 'P' && c == '3')
            k = 3;
        else if (a == 'A' && b == 'A' && c == 'C')
            k = 4;
        if (k >= 0 && first[k] < 0)
            first[k] = i;
    }
    TMediaKinds kinds;
    kinds.audio = first[3] >= 0 || first[4] >= 0;
    for (int k = 0; k < 3; ++k) {
        if (first[k] < 0)
            continue;
        const qsizetype after = first[k] + 4;
        kinds.video = after == n || !(up(p[after]) >= 'A' && up(p[after]) <= 'Z');
        break;
    }
    return kinds;
}

qsizetype SitePrefixLength(const QString& url)
{
    const int len = static_cast<int>(url.size());
    const int slashes = static_cast<int>(url.indexOf(QLatin1String("//"))) + 1;
    int i = slashes + 2; // 2 when "//" does not occur
    while (i <= len && url[i - 1] != '/')
        ++i;
    return i <= len ? i : -1;
}

QString SitePrefix(const QString& url)
{
    const qsizetype n = SitePrefixLength(url);
    return n >= 0 ? url.left(n) : url + '\\';
}

QString TracePrefix(int hour, int minute, int second, int msec)
{
    return QString::asprintf("%2d:%2d:%2d:%4d \t", hour, minute, second, msec);
}

void DebugTrace(const QString& text)
{
    try {
        const QTime t = Clock().Now().time();
        WriteTraceLine(TracePrefix(t.hour(), t.minute(), t.second(), t.msec()) + text);
    } catch (...) {
        // Tracing never disturbs the caller.
    }
}

void DebugTraceFmt(const char* format, const QString& argument)
{
    QString f = QString::fromLatin1(format);
    DebugTrace(f.replace(QLatin1String("%s"), argument));
}

void Delay(int ms)
{
    // Bounded by real time too, so a clock that stands still (a test's) cannot hang it.
    const quint32 start = Clock().TickCount();
    QElapsedTimer real;
    real.start();
    while (Clock().TickCount() - start < static_cast<quint32>(ms) && real.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
