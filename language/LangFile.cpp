#include "language/LangFile.h"

#include "platform/Encoding.h"
#include "text/TextTools.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace {
QString Fold(const QString& name) { return AsciiLower(name); }

QString OneLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}
} // namespace

TLangFile::TLangFile(QString name) : fileName(std::move(name)) { Load(); }

void TLangFile::Load()
{
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    QString text = DecodeText(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList all = text.split(QLatin1Char('\n'));
    Section* current = nullptr;
    for (QString line : all) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString t = line.trimmed();
        if (t.isEmpty())
            continue; // written back as one empty line after each section
        if (t.startsWith(QLatin1Char('['))) {
            const int close = t.indexOf(QLatin1Char(']'));
            current = &SectionFor((close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed());
            continue;
        }
        const int eq = t.indexOf(QLatin1Char('='));
        const bool entry = eq > 0 && !t.startsWith(QLatin1Char(';')) && !t.startsWith(QLatin1Char('#'));
        Line kept;
        if (entry) {
            kept.key = t.left(eq).trimmed();
            kept.value = t.mid(eq + 1).trimmed();
        } else {
            kept.value = line;
        }
        if (!current) {
            // Entries above any section belong to no section a reader could name.
            preamble.push_back(line);
            continue;
        }
        if (entry) {
            const QString folded = Fold(kept.key);
            if (!current->keys.contains(folded))
                current->keys.insert(folded, static_cast<int>(current->lines.size()));
        }
        current->lines.push_back(std::move(kept));
    }
}

TLangFile::Section& TLangFile::SectionFor(const QString& name)
{
    const QString folded = Fold(name);
    const auto it = sectionIndex.constFind(folded);
    if (it != sectionIndex.constEnd())
        return sections[static_cast<size_t>(*it)];
    sectionIndex.insert(folded, static_cast<int>(sections.size()));
    sections.push_back(Section{name, {}, {}});
    return sections.back();
}

const TLangFile::Line* TLangFile::Find(const QString& section, const QString& key) const
{
    const auto s = sectionIndex.constFind(Fold(section));
    if (s == sectionIndex.constEnd())
        return nullptr;
    const Section& sec = sections[static_cast<size_t>(*s)];
    const auto k = sec.keys.constFind(Fold(key));
    return k == sec.keys.constEnd() ? nullptr : &sec.lines[static_cast<size_t>(*k)];
}

bool TLangFile::ValueExists(const QString& section, const QString& key) const
{
    return Find(section, key) != nullptr;
}

QString TLangFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const Line* line = Find(section, key);
    return line ? line->value : def;
}

void TLangFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    Section& sec = SectionFor(OneLine(section));
    const QString folded = Fold(key);
    const auto k = sec.keys.constFind(folded);
    if (k != sec.keys.constEnd()) {
        sec.lines[static_cast<size_t>(*k)].value = OneLine(value);
        return;
    }
    sec.keys.insert(folded, static_cast<int>(sec.lines.size()));
    sec.lines.push_back(Line{OneLine(key), OneLine(value)});
}

bool TLangFile::UpdateFile() const
{
    QByteArray data;
    const QByteArray eol("\r\n");
    for (const QString& l : preamble)
        data += l.toUtf8() + eol;
    for (const Section& sec : sections) {
        data += '[' + sec.name.toUtf8() + ']' + eol;
        for (const Line& l : sec.lines)
            data += (l.key.isEmpty() ? l.value : l.key + QLatin1Char('=') + l.value).toUtf8() + eol;
        data += eol;
    }
    QSaveFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(data) != data.size())
        return false;
    return file.commit();
}

QString LangDequote(const QString& value)
{
    if (!value.startsWith(QLatin1Char('"')))
        return value;
    QString text;
    bool closed = false;
    for (int i = 1; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('"')) {
            if (i + 1 < value.size() && value[i + 1] == QLatin1Char('"')) {
                text += QLatin1Char('"');
                ++i;
                continue;
            }
            closed = true;
            break;
        }
        text += value[i];
    }
    if (!closed)
        text.chop(1);
    return text.isEmpty() ? value : text;
}

QString LangQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

namespace {
// The placeholder kinds of a format text, in order: "s" and "d" for the two
// the texts' formatter fills, "%" for "%%", and for any other "%" a "?" with
// the character after it, so that "%S", "%5s" or "%3d" only match themselves.
QString PlaceholderKinds(const QString& text)
{
    QString kinds;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        if (text[i] != QLatin1Char('%'))
            continue;
        const QChar next = i + 1 < n ? text[i + 1] : QChar();
        if (next == QLatin1Char('%') || next == QLatin1Char('s') || next == QLatin1Char('d')) {
            kinds += next;
            ++i;
        } else {
            kinds += QLatin1Char('?');
            kinds += next;
        }
    }
    return kinds;
}
} // namespace

bool SamePlaceholders(const QString& a, const QString& b)
{
    return PlaceholderKinds(a) == PlaceholderKinds(b);
}
