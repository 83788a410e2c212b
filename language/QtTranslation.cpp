#include "language/QtTranslation.h"

#include "text/TextTools.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

TQtTranslation::TQtTranslation(QString folder)
    : folder(folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : std::move(folder))
{
}

TQtTranslation::~TQtTranslation()
{
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
}

bool TQtTranslation::Use(const QString& locale)
{
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
    if (locale.isEmpty() || locale == QLatin1String("en") || locale.startsWith(QLatin1String("en_")))
        return false;
    auto next = std::make_unique<QTranslator>();
    // The name without its country ("qtbase_de" for "de_AT") is tried too.
    if (!next->load(QStringLiteral("qtbase_") + locale, folder)) {
        DebugTrace(QStringLiteral("No Qt translation for \"%1\" in %2").arg(locale, folder));
        return false;
    }
    if (!QCoreApplication::installTranslator(next.get()))
        return false;
    translator = std::move(next);
    return true;
}

QString LanguageLocale(const QString& locale, const QString& languageName)
{
    if (!locale.trimmed().isEmpty())
        return locale.trimmed();
    // The names the languages call themselves by.
    static const struct {
        const char* name;
        const char* locale;
    } known[] = {
        {"English", "en"},   {"Deutsch", "de"},     {"Français", "fr"},  {"Francais", "fr"},
        {"Español", "es"},   {"Espanol", "es"},     {"Italiano", "it"},  {"Nederlands", "nl"},
        {"Polski", "pl"},    {"Português", "pt_BR"}, {"Čeština", "cs"},  {"Dansk", "da"},
        {"Suomi", "fi"},     {"Magyar", "hu"},      {"Русский", "ru"},   {"Українська", "uk"},
        {"Türkçe", "tr"},    {"日本語", "ja"},       {"한국어", "ko"},     {"中文", "zh_CN"},
    };
    for (const auto& k : known)
        if (languageName.trimmed().compare(QString::fromUtf8(k.name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(k.locale);
    return {};
}
