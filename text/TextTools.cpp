#include "text/TextTools.h"

#include "platform/Clock.h"
#include "platform/Trace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <limits>
#include <vector>

namespace {
inline QChar UpperAscii(QChar c) { return (c >= 'a' && c <= 'z') ? QChar(c.unicode() - 32) : c; }
inline QChar LowerAscii(QChar c) { return (c >= 'A' && c <= 'Z') ? QChar(c.unicode() + 32) : c; }

struct EntityRow {
    const char* from;
    char16_t to[2];
};

// Order matters: a replacement may produce text a later row matches.
const EntityRow kEntities[] = {
    {"&lt;", u"<"},       {"&gt;", u">"},       {"&amp;", {u'&', u'&'}},
    {"&nbsp;", u" "},     {"&quot;", u"\""},    {"&auml;", {0xE4}},
    {"&Auml;", {0xC4}},   {"&ouml;", {0xF6}},   {"&Ouml;", {0xD6}},
    {"&uuml;", {0xFC}},   {"&Uuml;", {0xDC}},   {"&#39;", u"'"},
    {"&#34;", u"\""},     {"&acirc;", {0xE2}},  {"&eacute;", {0xE9}},
    {"&ccedil;", {0xE7}}, {"&ecirq;", {0xEA}},  {"&&laquo;;", {0xAB}},
    {"&&raquo;;", {0xBB}},
};
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

QString ReplaceHTMLEntities(const QString& text)
{
    // Every row's pattern starts with "&" and ends with ";".
    if (!text.contains('&') || !text.contains(';'))
        return text;
    struct Row {
        QLatin1StringView from;
        QString to;
    };
    static const std::vector<Row> rows = [] {
        std::vector<Row> r;
        for (const EntityRow& e : kEntities) {
            const QString to = e.to[1] ? QString(reinterpret_cast<const QChar*>(e.to), 2)
                                       : QString(QChar(e.to[0]));
            r.push_back({QLatin1StringView(e.from), to});
        }
        return r;
    }();
    // Row by row, each a replace-all from left to right; the search jumps from
    // one "&" to the next, which is much faster than a substring search.
    QString r = text;
    for (const Row& row : rows) {
        qsizetype at = r.indexOf('&');
        if (at < 0)
            break; // no row can match any more
        QString out;
        qsizetype copied = 0;
        while (at >= 0) {
            if (QStringView(r).mid(at).startsWith(row.from)) {
                out += QStringView(r).mid(copied, at - copied);
                out += row.to;
                at += row.from.size();
                copied = at;
                at = r.indexOf('&', at);
            } else {
                at = r.indexOf('&', at + 1);
            }
        }
        if (copied > 0) {
            out += QStringView(r).mid(copied);
            r = std::move(out);
        }
    }
    return r;
}

QString HTMLToText(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString result;
    result.reserve(text.size());
    const int len = static_cast<int>(text.size());
    int pos = 1;
    QString name, attrs;
    while (pos <= len) {
        const QChar c = text[pos - 1];
        if (c == '<') {
            const bool closed = ReadHTMLTag(text, pos, name, attrs);
            // An unclosed tag that ran into a "<" leaves pos on it; that "<" is
            // stepped over below and the text after it counts as text again.
            Q_UNUSED(closed);
        } else if (c != '\r' && c != '\n') {
            result += c;
        }
        ++pos;
    }
    return ReplaceHTMLEntities(result);
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
