#pragma once
// Qt's own words in the language shown: the key names of shortcuts in menus
// ("Strg+N"), the standard buttons of message boxes. Debian ships them as
// qtbase_<locale>.qm (package qt6-translations-l10n).
//
// Rules kept here:
//  - One translation at a time: using a locale removes the one before.
//  - English ("en", or no locale) is Qt's own: nothing is installed.
//  - Without the file for a locale, Qt's words stay English.
#include <QString>

#include <memory>

class QTranslator;

class TQtTranslation {
public:
    // folder: where the .qm files are; by default Qt's translations folder.
    explicit TQtTranslation(QString folder = QString());
    ~TQtTranslation();
    TQtTranslation(const TQtTranslation&) = delete;
    TQtTranslation& operator=(const TQtTranslation&) = delete;

    // Installs Qt's translation for locale ("de", "pt_BR"); true when one is
    // installed now.
    bool Use(const QString& locale);
    bool Installed() const { return translator != nullptr; }

private:
    QString folder;
    std::unique_ptr<QTranslator> translator;
};

// The locale of a language file's language: its "Locale" entry when it has
// one, else the locale of a well-known language name ("Deutsch": "de"), else
// empty (Qt's words stay English).
QString LanguageLocale(const QString& locale, const QString& languageName);
