#pragma once
// A small INI file: sections of NAME=value lines. Keeps the file's own order,
// comments and unknown lines; section and key names compare ignoring case.
// Every write goes to disk at once (written under a temporary name, then
// renamed), as the settings must survive a crash of the program.
// Each line is read as UTF-8 when it is valid UTF-8, else as Windows-1252, and
// the file is written as UTF-8; names and values lose only ASCII blanks at
// their edges.
#include <QString>
#include <QStringList>
#include <vector>

class TIniFile {
public:
    explicit TIniFile(QString fileName);

    const QString& FileName() const { return fileName; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    bool ValueExists(const QString& section, const QString& key) const;
    bool SectionExists(const QString& section) const;
    QStringList ReadSection(const QString& section) const; // the key names

    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value);
    bool DeleteKey(const QString& section, const QString& key);
    bool EraseSection(const QString& section);

private:
    void Load();
    bool Save() const;
    int FindSection(const QString& section) const;         // line of "[section]", or -1
    int FindKey(int sectionLine, const QString& key) const; // line of the key, or -1
    int SectionEnd(int sectionLine) const;                  // first line after the section

    QString fileName;
    std::vector<QString> lines;
};
