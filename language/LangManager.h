#pragma once
// The language manager: translates each window from the chosen language file,
// or, in building mode, writes every window's texts into one master file that
// translators copy and edit.
//
// Rules kept here:
//  - A window's section is its objectName; its components are its QObject
//    children, walked in child order (a component that has children is
//    visited once more at the start of its own walk). A component without an
//    objectName, or with the dynamic property "quorbelNoTranslate" set true,
//    is neither read nor written.
//  - Keys: name + ".Caption", name + ".Hint", "name.List[i]" (list and text
//    lines), "name.Menu[i]" (top-level menu bar items), and the windows'
//    named texts ("S..."). The section "Vom News (RSS Reader)" holds
//    "Languange" (the display name, spelled so), "Created" and, when the
//    file gives it, "Locale" (the locale of Qt's own words, QtTranslation.h).
//  - Building mode writes every value in quoted-string form and line breaks
//    inside captions, hints and named texts as the four characters "/r/n";
//    reading turns "/r/n" back into line breaks and dequotes (LangDequote).
//  - Only building mode writes a language file: after each BuildForm and each
//    ReadText. Reading never writes, so translators' comments stay and a
//    read-only folder works.
//  - A file says nothing for a text where it lacks the entry, its value is
//    empty, or (named texts) its placeholders differ from the program's own.
//  - Where a file says nothing, the program's own text stands: a text that
//    an earlier language replaced gets its own text back, unless the program
//    has set it since (so a switch of language leaves nothing of the one
//    before, and texts the program fills in are left alone). Each component
//    keeps its own texts in dynamic properties ("quorbelOwn..."), named
//    texts are kept here.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;
class TLangFile;
class TQtTranslation;

class TLangManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(QString LanguageFolder READ LanguageFolder WRITE SetLanguageFolder)
    Q_PROPERTY(QString Language READ Language WRITE SetLanguage)
    Q_PROPERTY(QString Created MEMBER Created)
    Q_PROPERTY(bool BuildLanguage MEMBER BuildLanguage)
    Q_PROPERTY(bool CancelAll MEMBER CancelAll)
    Q_PROPERTY(QString LangExtension MEMBER LangExtension)

public:
    static const QString AppTitleSection; // "Vom News (RSS Reader)"
    static const QString NoTranslateProperty; // "quorbelNoTranslate"

    // Starts as a manager made in code does: building mode on, Created noting
    // today. The data module then sets the values it keeps (building mode off).
    explicit TLangManager(QObject* parent = nullptr);
    ~TLangManager() override;

    QString FileName() const { return fileName; }
    // Opens path as the language file (empty: no file). Building mode puts
    // Language and Created into it; reading mode takes them from it.
    void SetFileName(const QString& path);
    QString LanguageFolder() const { return languageFolder; }
    // Lists the languages of the folder; keeps the folder only when it exists
    // and holds at least one language file.
    void SetLanguageFolder(const QString& folder);
    QString Language() const { return language; }
    // Switches to the file of a listed language (ignoring case); an unknown
    // name changes nothing.
    void SetLanguage(const QString& name);

    QString Created;
    bool BuildLanguage = true;
    bool CancelAll = false;
    QString LangExtension = QStringLiteral(".lan");

    int LanguageCount() const { return static_cast<int>(LanguageNames.size()); }
    QString LanguageName(int index) const { return LanguageNames.value(index); }
    // The language files of folder (sorted by name, ignoring case) and their
    // display names; true when there is at least one.
    bool ListLanguages(const QString& folder, QStringList& files, QStringList& names) const;

    // Translates (or in building mode writes) a window's texts, once per
    // window and language file unless forced.
    void TranslateForm(QWidget* window, bool force);
    // One named text of a section: read from the file (text keeps its value
    // when the file's is missing or unusable), or written in building mode.
    void ReadText(const QString& section, const QString& key, QString& text);

    void ApplyForm(QWidget* window);
    void BuildForm(QWidget* window);
    using Visit = void (TLangManager::*)(QObject*);
    void ForEachOwnedComponent(QObject* root, Visit visit);
    virtual void WriteComponentTexts(QObject* component);
    virtual void ReadComponentTexts(QObject* component);

    // Window names translated with the current file.
    const QStringList& TranslatedFormNames() const { return TranslatedForms; }

private:
    void WriteCaptionAndHint(const QString& section, const QString& name, const QString& caption,
                             const QString& hint);
    // A caption or hint entry, dequoted with its "/r/n" as line breaks; none
    // when the entry is missing or empty.
    std::optional<QString> ReadEntry(const QString& section, const QString& key) const;
    void WriteLines(const QString& section, const QString& name, const QStringList& lines);
    std::optional<QStringList> ReadLines(const QString& section, const QString& name) const;
    // A named text's entry when it can stand for own (the same placeholders).
    std::optional<QString> ReadNamedText(const QString& section, const QString& key, const QString& own) const;
    void SaveFile() const;

    QString fileName;
    QString languageFolder;
    QString language = QStringLiteral("\"English\"");
    bool AskOverwrite = true;
    QStringList LanguageNames;
    QStringList LanguageFiles;
    std::unique_ptr<TLangFile> LanguageFile;
    QPointer<QWidget> CurrentForm; // the window may go between calls
    QStringList TranslatedForms;
    std::unique_ptr<TQtTranslation> QtTranslation; // Qt's own words in the language read
    // Per named text ("section/key", folded): the program's own text, kept
    // when a language first replaced it, and the text a language put there.
    struct TNamedTextMemory {
        std::optional<QString> own;
        std::optional<QString> put;
    };
    QHash<QString, TNamedTextMemory> NamedTexts;
};

// Copies each file of sourceFolder (the shipped language files) into
// targetFolder when no file of that name is there; never overwrites. Creates
// targetFolder when something is to be copied. Returns the number copied.
int CopyShippedLanguageFiles(const QString& sourceFolder, const QString& targetFolder);
