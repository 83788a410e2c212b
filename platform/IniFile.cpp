#include "platform/IniFile.h"

#include "platform/Encoding.h"

#include <QFile>
#include <QSaveFile>

namespace {
// Only ASCII blanks and controls are trimmed, as the Windows INI reader does:
// a no-break space or other Unicode blank at a value's edge is part of it.
QString Trimmed(const QString& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= ' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= ' ')
        --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

bool IsSectionLine(const QString& line) { return Trimmed(line).startsWith('['); }

QString SectionName(const QString& line)
{
    const QString t = Trimmed(line);
    const int close = t.indexOf(']');
    return Trimmed(close < 0 ? t.mid(1) : t.mid(1, close - 1));
}

bool KeyOfLine(const QString& line, QString& key, QString& value)
{
    const QString t = Trimmed(line);
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#'))
        return false;
    const int eq = t.indexOf('=');
    if (eq < 0)
        return false;
    key = Trimmed(t.left(eq));
    value = Trimmed(t.mid(eq + 1));
    return true;
}
} // namespace

TIniFile::TIniFile(QString name) : fileName(std::move(name)) { Load(); }

void TIniFile::Load()
{
    lines.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray data = file.readAll();
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    // Line by line: a file written by us in UTF-8 and later edited on a
    // Windows code page keeps both kinds of line readable, and each is
    // written back as UTF-8 with its text unchanged.
    for (const QByteArray& line : data.split('\n')) {
        const QByteArray bytes = line.endsWith('\r') ? line.chopped(1) : line;
        lines.push_back(DecodeText(bytes));
    }
    if (!lines.empty() && lines.back().isEmpty())
        lines.pop_back();
}

bool TIniFile::Save() const
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray data;
    for (const QString& l : lines) {
        data += l.toUtf8();
        data += "\r\n";
    }
    if (file.write(data) != data.size())
        return false;
    return file.commit();
}

int TIniFile::FindSection(const QString& section) const
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (IsSectionLine(lines[i]) && SectionName(lines[i]).compare(section, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

int TIniFile::SectionEnd(int sectionLine) const
{
    size_t i = static_cast<size_t>(sectionLine) + 1;
    while (i < lines.size() && !IsSectionLine(lines[i]))
        ++i;
    return static_cast<int>(i);
}

int TIniFile::FindKey(int sectionLine, const QString& key) const
{
    if (sectionLine < 0)
        return -1;
    const int end = SectionEnd(sectionLine);
    QString k, v;
    for (int i = sectionLine + 1; i < end; ++i)
        if (KeyOfLine(lines[i], k, v) && k.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const int line = FindKey(FindSection(section), key);
    if (line < 0)
        return def;
    QString k, v;
    KeyOfLine(lines[line], k, v);
    // A value wholly in quotes is read without them, as the Windows INI reader does.
    if (v.size() >= 2 && ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
        v = v.mid(1, v.size() - 2);
    return v;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    const QString v = ReadString(section, key, QString());
    bool ok = false;
    int result = v.toInt(&ok, 10);
    if (!ok && v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        result = v.mid(2).toInt(&ok, 16);
    return ok ? result : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return FindKey(FindSection(section), key) >= 0;
}

bool TIniFile::SectionExists(const QString& section) const { return FindSection(section) >= 0; }

QStringList TIniFile::ReadSection(const QString& section) const
{
    QStringList keys;
    const int s = FindSection(section);
    if (s < 0)
        return keys;
    const int end = SectionEnd(s);
    QString k, v;
    for (int i = s + 1; i < end; ++i)
        if (KeyOfLine(lines[i], k, v))
            keys << k;
    return keys;
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    // Line breaks would split the entry; keep it on one line.
    QString clean = value;
    clean.replace('\r', ' ').replace('\n', ' ');
    const QString entry = key + '=' + clean;
    int s = FindSection(section);
    if (s < 0) {
        if (!lines.empty() && !lines.back().trimmed().isEmpty())
            lines.emplace_back();
        lines.push_back('[' + section + ']');
        lines.push_back(entry);
        return Save();
    }
    const int k = FindKey(s, key);
    if (k >= 0) {
        lines[k] = entry;
    } else {
        // After the section's last non-empty line.
        int pos = SectionEnd(s);
        while (pos - 1 > s && lines[pos - 1].trimmed().isEmpty())
            --pos;
        lines.insert(lines.begin() + pos, entry);
    }
    return Save();
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::DeleteKey(const QString& section, const QString& key)
{
    const int k = FindKey(FindSection(section), key);
    if (k < 0)
        return true;
    lines.erase(lines.begin() + k);
    return Save();
}

bool TIniFile::EraseSection(const QString& section)
{
    const int s = FindSection(section);
    if (s < 0)
        return true;
    lines.erase(lines.begin() + s, lines.begin() + SectionEnd(s));
    return Save();
}
