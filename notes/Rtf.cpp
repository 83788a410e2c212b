#include "notes/Rtf.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Windows-1252 0x80..0x9F; the five unassigned bytes stand for themselves.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar FromCp1252(int byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(kCp1252High[byte - 0x80]);
    return QChar(static_cast<char16_t>(byte));
}

// The Windows-1252 byte of c, or -1 when it has none.
int ToCp1252(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0xA0 && u <= 0xFF)
        return u;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == u && (u < 0x80 || u > 0x9F))
            return 0x80 + i;
    return -1;
}

bool IsAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

bool IsAsciiDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

int HexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// ---- Reading -------------------------------------------------------------

// The most paragraphs one bullet list is given before the next one starts.
constexpr int kBulletsPerList = 100;

enum class TDest { Text, Skip, ColorTable };

// Character state: saved and restored with every group.
struct TGroupState {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int halfPoints = 0; // 0: the document's own size
    int color = 0;      // 0: the document's own colour
    int uc = 1;         // fallback characters after \uN
    bool starred = false;
    TDest dest = TDest::Text;
};

// Paragraph state: set within a paragraph, reset by \pard. Kept outside the
// group stack because bullets are announced inside groups of their own.
struct TParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int leftTwips = 0;
    int firstTwips = 0;
    bool bullet = false;
};

class TDocBuilder {
public:
    explicit TDocBuilder(QTextDocument& document) : cursor(&document) {}

    std::vector<QColor> colors; // index 0 is usually "auto" (an invalid colour)

    void Text(const QString& text, const TGroupState& st)
    {
        OpenPendingParagraph();
        const QTextCharFormat format = CharFormat(st);
        if (!run.isEmpty() && format != runFormat)
            Flush();
        runFormat = format;
        run += text;
    }

    void Par(const TParaState& para)
    {
        Flush();
        OpenPendingParagraph();
        FormatBlock(para);
        pendingParagraph = true;
    }

    // A final \par closes the last paragraph without opening another.
    void Finish(const TParaState& para)
    {
        Flush();
        if (!pendingParagraph)
            FormatBlock(para);
    }

private:
    QTextCharFormat CharFormat(const TGroupState& st) const
    {
        QTextCharFormat f;
        f.setFontWeight(st.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(st.italic);
        f.setFontUnderline(st.underline);
        f.setFontStrikeOut(st.strike);
        if (st.halfPoints > 0)
            f.setFontPointSize(st.halfPoints / 2.0);
        if (st.color > 0 && st.color < static_cast<int>(colors.size()) && colors[st.color].isValid())
            f.setForeground(colors[st.color]);
        return f;
    }

    void Flush()
    {
        if (run.isEmpty())
            return;
        cursor.insertText(run, runFormat);
        run.clear();
    }

    void OpenPendingParagraph()
    {
        if (!pendingParagraph)
            return;
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        pendingParagraph = false;
    }

    void FormatBlock(const TParaState& para)
    {
        QTextBlockFormat bf;
        bf.setAlignment(para.align);
        bf.setLeftMargin(para.leftTwips / kTwipsPerUnit);
        // A bullet hangs in the list's own indent; a negative first line
        // would push it out of the window.
        bf.setTextIndent(para.bullet ? 0.0 : para.firstTwips / kTwipsPerUnit);
        cursor.setBlockFormat(bf);
        if (!para.bullet) {
            list = nullptr;
            return;
        }
        // Qt marks every item of a list dirty whenever one is added, so one
        // list of n items costs n * n; lists of a bounded length keep
        // opening a long bulleted note linear, and look the same.
        if (list && list->count() < kBulletsPerList) {
            list->add(cursor.block());
        } else {
            QTextListFormat lf;
            lf.setStyle(QTextListFormat::ListDisc);
            lf.setIndent(1);
            list = cursor.createList(lf);
        }
    }

    QTextCursor cursor;
    QString run;
    QTextCharFormat runFormat;
    bool pendingParagraph = false;
    QTextList* list = nullptr; // the list of the paragraph before, while it is bulleted
};

bool IsSkippedDestination(const QString& w)
{
    static const char* const names[] = {
        "fonttbl",  "stylesheet", "info",        "pict",       "object",     "objdata",
        "header",   "headerl",    "headerr",     "headerf",    "footer",     "footerl",
        "footerr",  "footerf",    "footnote",    "annotation", "atnid",      "atnauthor",
        "listtable", "listoverridetable", "revtbl", "rsidtbl",  "filetbl",    "themedata",
        "colorschememapping", "latentstyles", "datastore", "xmlnstbl", "generator", "fldinst",
        "bkmkstart", "bkmkend",   "nonshppict",  "shp",        "shpinst",    "sp",
        "userprops", "docvar",    "template",    "private",    "author",     "title"};
    for (const char* n : names)
        if (w == QLatin1String(n))
            return true;
    return false;
}

bool IsUnderlineWord(const QString& w)
{
    static const char* const names[] = {"ul",      "uld",     "uldash",  "uldashd", "uldashdd", "uldb",
                                        "ulhwave", "ulldash", "ulth",    "ulw",     "ulwave",   "ulthd",
                                        "ulthdash", "ulthldash", "ululdbwave", "ulhair"};
    for (const char* n : names)
        if (w == QLatin1String(n))
            return true;
    return false;
}

class TRtfReader {
public:
    TRtfReader(const QString& rtf, QTextDocument& document) : s(rtf), builder(document) {}

    void Run()
    {
        const qsizetype n = s.size();
        bool started = false;
        while (i < n) {
            const QChar c = s[i];
            if (c == '{') {
                ++i;
                skipFallback = 0;
                if (static_cast<int>(stack.size()) >= kMaxRtfGroupDepth)
                    ++overflow;
                else
                    stack.push_back(st);
                st.starred = false;
                started = true;
                continue;
            }
            if (c == '}') {
                ++i;
                skipFallback = 0;
                if (overflow > 0) {
                    --overflow;
                } else if (!stack.empty()) {
                    st = stack.back();
                    stack.pop_back();
                }
                // The document's own group has closed: what follows is not part of it.
                if (started && stack.empty())
                    break;
                continue;
            }
            if (c == '\\') {
                ++i;
                Control();
                continue;
            }
            ++i;
            if (c == '\r' || c == '\n')
                continue;
            Char(c);
        }
        builder.Finish(para);
    }

private:
    void Char(QChar c)
    {
        if (skipFallback > 0) {
            --skipFallback;
            return;
        }
        if (st.dest == TDest::ColorTable) {
            if (c == ';') {
                builder.colors.push_back(colorSeen ? QColor(red, green, blue) : QColor());
                red = green = blue = 0;
                colorSeen = false;
            }
            return;
        }
        if (st.dest != TDest::Text)
            return;
        if (c.unicode() < 32 && c != '\t')
            return;
        builder.Text(QString(c), st);
    }

    void Control()
    {
        const qsizetype n = s.size();
        if (i >= n)
            return; // cut at the backslash
        const QChar d = s[i];
        if (!IsAsciiLetter(d)) {
            ++i;
            Symbol(d);
            return;
        }
        const qsizetype start = i;
        while (i < n && IsAsciiLetter(s[i]))
            ++i;
        // Real control words are short; a long run of letters is damage, and
        // matching it against nothing is all it deserves.
        const QString word = s.mid(start, std::min<qsizetype>(i - start, 32));
        bool negative = false;
        if (i + 1 < n && s[i] == '-' && IsAsciiDigit(s[i + 1])) {
            negative = true;
            ++i;
        }
        bool hasParam = false;
        long long param = 0;
        while (i < n && IsAsciiDigit(s[i])) {
            hasParam = true;
            if (param < 1000000000LL)
                param = param * 10 + (s[i].unicode() - '0');
            ++i;
        }
        if (negative)
            param = -param;
        if (i < n && s[i] == ' ')
            ++i;
        if (skipFallback > 0) {
            --skipFallback;
            return;
        }
        Word(word, hasParam, param);
    }

    void Symbol(QChar d)
    {
        if (d == '\'') {
            int value = -1;
            if (i + 1 < s.size()) {
                const int hi = HexValue(s[i]);
                const int lo = HexValue(s[i + 1]);
                if (hi >= 0 && lo >= 0) {
                    value = hi * 16 + lo;
                    i += 2;
                }
            }
            if (value >= 0)
                Char(FromCp1252(value));
            return;
        }
        if (d == '\\' || d == '{' || d == '}') {
            Char(d);
            return;
        }
        if (skipFallback > 0) {
            --skipFallback;
            return;
        }
        if (d == '*') {
            st.starred = true;
        } else if (d == '~') {
            Char(QChar(0x00A0));
        } else if (d == '_') {
            Char(QChar(0x2011));
        } else if (d == '\r' || d == '\n') {
            if (st.dest == TDest::Text)
                builder.Par(para);
        } else if (d == '\t') {
            Char(QChar('\t'));
        }
        // \- (optional hyphen), \| and \: show nothing.
    }

    void Word(const QString& w, bool hasParam, long long param)
    {
        const bool starred = st.starred;
        st.starred = false;
        const bool inText = st.dest == TDest::Text;

        if (w == QLatin1String("bin")) {
            // Raw bytes follow; they are data, never control words.
            const qsizetype count = hasParam && param > 0 ? static_cast<qsizetype>(param) : 0;
            i = std::min(s.size(), i + count);
            return;
        }
        if (st.dest == TDest::ColorTable) {
            const int v = static_cast<int>(std::clamp<long long>(param, 0, 255));
            if (w == QLatin1String("red"))
                red = v, colorSeen = true;
            else if (w == QLatin1String("green"))
                green = v, colorSeen = true;
            else if (w == QLatin1String("blue"))
                blue = v, colorSeen = true;
            return;
        }
        if (!inText)
            return;
        // Bullet announcements: the paragraph is bulleted, the bullet text is not ours.
        if (w == QLatin1String("pntext") || w == QLatin1String("listtext") || w == QLatin1String("pn")) {
            para.bullet = true;
            st.dest = TDest::Skip;
            return;
        }
        if (w == QLatin1String("colortbl")) {
            st.dest = TDest::ColorTable;
            builder.colors.clear();
            return;
        }
        if (starred || IsSkippedDestination(w)) {
            st.dest = TDest::Skip;
            return;
        }
        const bool on = !hasParam || param != 0;
        const int p = static_cast<int>(std::clamp<long long>(param, -1000000, 1000000));
        if (w == QLatin1String("par") || w == QLatin1String("sect")) {
            builder.Par(para);
        } else if (w == QLatin1String("line")) {
            Char(QChar(QChar::LineSeparator));
        } else if (w == QLatin1String("tab")) {
            Char(QChar('\t'));
        } else if (w == QLatin1String("pard")) {
            para = TParaState();
        } else if (w == QLatin1String("plain")) {
            const int uc = st.uc;
            const TDest dest = st.dest;
            st = TGroupState();
            st.uc = uc;
            st.dest = dest;
        } else if (w == QLatin1String("b")) {
            st.bold = on;
        } else if (w == QLatin1String("i")) {
            st.italic = on;
        } else if (IsUnderlineWord(w)) {
            st.underline = on;
        } else if (w == QLatin1String("ulnone")) {
            st.underline = false;
        } else if (w == QLatin1String("strike") || w == QLatin1String("striked")) {
            st.strike = on;
        } else if (w == QLatin1String("fs")) {
            st.halfPoints = hasParam ? std::clamp(p, 0, 3276) : 0;
        } else if (w == QLatin1String("cf")) {
            st.color = std::max(0, p);
        } else if (w == QLatin1String("ql")) {
            para.align = Qt::AlignLeft;
        } else if (w == QLatin1String("qr")) {
            para.align = Qt::AlignRight;
        } else if (w == QLatin1String("qc")) {
            para.align = Qt::AlignHCenter;
        } else if (w == QLatin1String("qj")) {
            para.align = Qt::AlignJustify;
        } else if (w == QLatin1String("li")) {
            para.leftTwips = std::clamp(p, 0, 31680);
        } else if (w == QLatin1String("fi")) {
            para.firstTwips = std::clamp(p, -31680, 31680);
        } else if (w == QLatin1String("ls")) {
            para.bullet = true;
        } else if (w == QLatin1String("uc")) {
            st.uc = std::clamp(p, 0, 10);
        } else if (w == QLatin1String("u")) {
            if (hasParam) {
                const int code = p < 0 ? p + 65536 : p;
                if (code > 0 && code <= 0xFFFF)
                    Char(QChar(static_cast<char16_t>(code)));
                skipFallback = st.uc;
            }
        } else if (w == QLatin1String("emdash")) {
            Char(QChar(0x2014));
        } else if (w == QLatin1String("endash")) {
            Char(QChar(0x2013));
        } else if (w == QLatin1String("bullet")) {
            Char(QChar(0x2022));
        } else if (w == QLatin1String("lquote")) {
            Char(QChar(0x2018));
        } else if (w == QLatin1String("rquote")) {
            Char(QChar(0x2019));
        } else if (w == QLatin1String("ldblquote")) {
            Char(QChar(0x201C));
        } else if (w == QLatin1String("rdblquote")) {
            Char(QChar(0x201D));
        } else if (w == QLatin1String("emspace") || w == QLatin1String("enspace")) {
            Char(QChar(' '));
        }
        // Anything else is a property this window does not show.
    }

    const QString& s;
    qsizetype i = 0;
    TDocBuilder builder;
    std::vector<TGroupState> stack;
    TGroupState st;
    TParaState para;
    int overflow = 0;      // groups opened beyond the cap, sharing the deepest state
    int skipFallback = 0;  // fallback characters still to skip after \uN
    int red = 0, green = 0, blue = 0;
    bool colorSeen = false;
};

// ---- Writing -------------------------------------------------------------

void AppendEscaped(QString& out, const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += c;
        } else if (u == '\t') {
            out += QLatin1String("\\tab ");
        } else if (u == QChar::LineSeparator || u == QChar::ParagraphSeparator || u == '\n') {
            out += QLatin1String("\\line ");
        } else if (u == 0x00A0) {
            out += QLatin1String("\\~");
        } else if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else if (u < 0x20 || u == QChar::ObjectReplacementCharacter) {
            // Control characters and embedded objects are not note text.
        } else if (const int b = ToCp1252(c); b >= 0) {
            out += QStringLiteral("\\'%1").arg(b, 2, 16, QLatin1Char('0'));
        } else {
            out += QStringLiteral("\\u%1?").arg(static_cast<int>(static_cast<qint16>(u)));
        }
    }
}

QColor ForegroundOf(const QTextCharFormat& f)
{
    if (!f.hasProperty(QTextFormat::ForegroundBrush))
        return {};
    const QBrush brush = f.foreground();
    return brush.style() == Qt::NoBrush ? QColor() : brush.color();
}

double PointSizeOf(const QTextCharFormat& f)
{
    if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
        return f.fontPointSize();
    if (f.hasProperty(QTextFormat::FontPixelSize) && f.intProperty(QTextFormat::FontPixelSize) > 0)
        return f.intProperty(QTextFormat::FontPixelSize) * 0.75;
    return 0;
}

QString ParagraphWords(const QTextBlock& block)
{
    const QTextBlockFormat bf = block.blockFormat();
    QString out = QStringLiteral("\\pard");
    const Qt::Alignment a = bf.alignment();
    if (a & Qt::AlignHCenter)
        out += QLatin1String("\\qc");
    else if (a & Qt::AlignJustify)
        out += QLatin1String("\\qj");
    else if (a & Qt::AlignRight)
        out += QLatin1String("\\qr");
    else
        out += QLatin1String("\\ql");
    const long left = std::lround(bf.leftMargin() * kTwipsPerUnit);
    const long first = std::lround(bf.textIndent() * kTwipsPerUnit);
    if (first != 0)
        out += QStringLiteral("\\fi%1").arg(first);
    if (left != 0)
        out += QStringLiteral("\\li%1").arg(left);
    out += ' ';
    if (block.textList())
        out += QLatin1String("{\\pntext\\f0\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'b7}}");
    return out;
}

} // namespace

bool IsRtf(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].unicode() <= 32)
        ++i;
    return QStringView(text).mid(i).startsWith(QLatin1String("{\\rtf"));
}

bool IsWholeRtf(const QString& text)
{
    if (!IsRtf(text))
        return false;
    const qsizetype n = text.size();
    qsizetype i = text.indexOf(QLatin1Char('{'));
    qsizetype depth = 0;
    while (i < n) {
        const QChar c = text[i++];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                break;
        } else if (c == '\\' && i < n) {
            if (!IsAsciiLetter(text[i])) {
                ++i; // an escaped brace or backslash, a symbol
                continue;
            }
            const qsizetype start = i;
            while (i < n && IsAsciiLetter(text[i]))
                ++i;
            const bool bin = QStringView(text).mid(start, i - start) == QLatin1String("bin");
            if (i < n && text[i] == '-')
                ++i;
            long long count = 0;
            while (i < n && IsAsciiDigit(text[i])) {
                if (count < 1000000000LL)
                    count = count * 10 + (text[i].unicode() - '0');
                ++i;
            }
            if (i < n && text[i] == ' ')
                ++i;
            if (bin) // raw data: its bytes are no braces
                i = std::min<qsizetype>(n, i + count);
        }
    }
    if (depth != 0)
        return false; // cut short: the group never closes
    for (; i < n; ++i)
        if (text[i].unicode() > 32)
            return false;
    return true;
}

namespace {
void PlainTextToDocument(QString plain, QTextDocument& document)
{
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace('\r', '\n');
    document.setPlainText(plain);
}
} // namespace

void RtfToDocument(const QString& rtf, QTextDocument& document)
{
    document.clear();
    if (IsRtf(rtf))
        TRtfReader(rtf, document).Run();
    else
        PlainTextToDocument(rtf, document);
}

void NoteTextToDocument(const QString& text, QTextDocument& document)
{
    if (IsWholeRtf(text)) {
        RtfToDocument(text, document);
    } else {
        document.clear();
        PlainTextToDocument(text, document);
    }
}

QString RtfToPlainText(const QString& text)
{
    if (!IsWholeRtf(text))
        return text;
    QTextDocument document;
    RtfToDocument(text, document);
    return document.toPlainText();
}

QString DocumentToRtf(const QTextDocument& document)
{
    // The colour table: index 0 is the document's own colour.
    std::vector<QColor> colors;
    auto colorIndex = [&colors](const QColor& c) {
        for (size_t k = 0; k < colors.size(); ++k)
            if (colors[k].rgb() == c.rgb())
                return static_cast<int>(k) + 1;
        colors.push_back(c);
        return static_cast<int>(colors.size());
    };
    QString body;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        body += ParagraphWords(block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat f = fragment.charFormat();
            QString words;
            if (f.fontWeight() >= QFont::DemiBold)
                words += QLatin1String("\\b");
            if (f.fontItalic())
                words += QLatin1String("\\i");
            if (f.fontUnderline())
                words += QLatin1String("\\ul");
            if (f.fontStrikeOut())
                words += QLatin1String("\\strike");
            if (const QColor c = ForegroundOf(f); c.isValid())
                words += QStringLiteral("\\cf%1").arg(colorIndex(c));
            if (const double pt = PointSizeOf(f); pt > 0)
                words += QStringLiteral("\\fs%1").arg(std::lround(pt * 2));
            if (words.isEmpty()) {
                AppendEscaped(body, fragment.text());
            } else {
                body += '{' + words + ' ';
                AppendEscaped(body, fragment.text());
                body += '}';
            }
        }
        body += QLatin1String("\\par\r\n");
    }

    QString family = document.defaultFont().family();
    family.remove(';');
    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 ");
    AppendEscaped(out, family);
    out += QLatin1String(";}}");
    if (!colors.empty()) {
        out += QLatin1String("\r\n{\\colortbl ;");
        for (const QColor& c : colors)
            out += QStringLiteral("\\red%1\\green%2\\blue%3;").arg(c.red()).arg(c.green()).arg(c.blue());
        out += '}';
    }
    out += QLatin1String("\r\n\\viewkind4\\uc1");
    out += body;
    out += '}';
    return out;
}
