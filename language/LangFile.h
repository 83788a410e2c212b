#pragma once
// The language file in memory, and the value rules of language files.
//
// Rules kept here (translators' files depend on them):
//  - Lines are "[section]" headers and "key=value" entries; names and values
//    are read without surrounding blanks; names compare ignoring ASCII case.
//  - Lines beginning with ";" or "#" are comments; they and other lines that
//    are no entry stay in place when the file is written again.
//  - A key given twice in a section: the first one counts (as in the settings
//    reader). A section header given twice adds its entries to the first
//    section of that name.
//  - Bytes that are not valid UTF-8 are read as Windows-1252; files are
//    written in UTF-8 with CR LF line ends, sections and entries in the order
//    first read or written, and an empty line after each section.
//  - Nothing goes to disk until UpdateFile.
#include <QHash>
#include <QString>
#include <vector>

class TLangFile {
public:
    // Loads the file when it exists; otherwise starts empty.
    explicit TLangFile(QString fileName);

    const QString& FileName() const { return fileName; }

    bool ValueExists(const QString& section, const QString& key) const;
    // The value as stored (quotes included), def when the entry is missing.
    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // In memory only. Line breaks become blanks: they would split the entry.
    void WriteString(const QString& section, const QString& key, const QString& value);
    // Writes the whole file; false when it could not be written.
    bool UpdateFile() const;

private:
    struct Line {
        QString key;   // empty for a comment or a line that is no entry
        QString value; // the value, or the whole line when key is empty
    };
    struct Section {
        QString name;
        std::vector<Line> lines;
        QHash<QString, int> keys; // folded key -> index into lines
    };

    void Load();
    const Line* Find(const QString& section, const QString& key) const;
    Section& SectionFor(const QString& name);

    QString fileName;
    std::vector<QString> preamble; // comments above the first section
    std::vector<Section> sections;
    QHash<QString, int> sectionIndex; // folded name -> index into sections
};

// The one dequoting rule of language file values: a value beginning with a
// double quote yields the characters up to the next single double quote (a
// doubled one counts as one character) and the rest is dropped; without a
// closing quote the last character is dropped. A value not beginning with a
// double quote, or whose dequoted text is empty, is taken unchanged.
QString LangDequote(const QString& value);
// Quoted-string form: enclosed in double quotes, inner double quotes doubled.
QString LangQuote(const QString& text);
// Whether two texts hold the same placeholders in the same order: "%s" and
// "%d" (what the formatter fills) and "%%"; any other "%" (with a flag, a
// width, another letter) matches only the same "%" and character.
bool SamePlaceholders(const QString& a, const QString& b);
