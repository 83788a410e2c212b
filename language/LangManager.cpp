#include "language/LangManager.h"

#include "language/LangFile.h"
#include "language/QtTranslation.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "text/TextTools.h"

#include <QAbstractButton>
#include <QAction>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QVariant>
#include <optional>
#include <vector>

const QString TLangManager::AppTitleSection = QStringLiteral("Vom News (RSS Reader)");
const QString TLangManager::NoTranslateProperty = QStringLiteral("quorbelNoTranslate");

namespace {
const QString kLanguageKey = QStringLiteral("Languange");
const QString kCreatedKey = QStringLiteral("Created");
const QString kLocaleKey = QStringLiteral("Locale");
const QString kBreak = QStringLiteral("/r/n");

bool NoTranslate(const QObject* component)
{
    return component->property(TLangManager::NoTranslateProperty.toLatin1().constData()).toBool();
}

// A window other than a popup menu: a form of its own, not a component.
bool IsForm(const QObject* object)
{
    const auto* w = qobject_cast<const QWidget*>(object);
    return w && w->isWindow() && !qobject_cast<const QMenu*>(object);
}

// Line breaks as the file holds them.
QString EncodeBreaks(QString text)
{
    text.replace(QLatin1String("\r\n"), kBreak).replace(QLatin1Char('\n'), kBreak).replace(QLatin1Char('\r'), kBreak);
    return text;
}

// A value in quoted-string form; an empty text stays empty, as "" would read
// back as those two characters.
QString FileValue(const QString& text) { return text.isEmpty() ? text : LangQuote(text); }

QString Indexed(const QString& name, const char* kind, int index)
{
    return QStringLiteral("%1.%2[%3]").arg(name, QLatin1String(kind)).arg(index);
}

// The text Qt shows as an action's tool tip when none was set.
QString StrippedActionText(QString s)
{
    s.remove(QLatin1String("..."));
    for (int i = 0; i < s.size(); ++i)
        if (s.at(i) == QLatin1Char('&'))
            s.remove(i, 1);
    return s.trimmed();
}

// The tool tip set on an action: Qt answers the text for a tool tip never set.
QString ActionToolTip(const QAction* action)
{
    const QString tip = action->toolTip();
    const QString automatic = StrippedActionText(action->text().isEmpty() ? action->iconText() : action->text());
    return tip == automatic ? QString() : tip;
}

// An action's own hint, never the text Qt shows for a tool tip never set
// (which must not end up in the file as a hint).
QString ActionHint(const QAction* action)
{
    return action->statusTip().isEmpty() ? ActionToolTip(action) : action->statusTip();
}

struct TabPlace {
    QTabWidget* tabs = nullptr;
    int index = -1;
};

// The tab widget and index of a tab page (its parent is the tab widget's stack).
TabPlace TabOf(QObject* component)
{
    auto* page = qobject_cast<QWidget*>(component);
    if (!page || page->isWindow())
        return {};
    QObject* p = page->parent();
    for (int depth = 0; p && depth < 2; ++depth, p = p->parent()) {
        if (auto* tabs = qobject_cast<QTabWidget*>(p)) {
            const int index = tabs->indexOf(page);
            return index >= 0 ? TabPlace{tabs, index} : TabPlace{};
        }
    }
    return {};
}

QStringList TextLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast(); // a closing line break starts no line
    return lines;
}

QStringList ListLines(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

QString PlainText(const QObject* component)
{
    if (const auto* edit = qobject_cast<const QTextEdit*>(component))
        return edit->toPlainText();
    if (const auto* edit = qobject_cast<const QPlainTextEdit*>(component))
        return edit->toPlainText();
    return {};
}

bool IsRichEdit(const QObject* component)
{
    return qobject_cast<const QTextEdit*>(component) || qobject_cast<const QPlainTextEdit*>(component);
}

// A QAction standing for a QMenu is handled with its menu.
QAction* PlainAction(QObject* component)
{
    auto* action = qobject_cast<QAction*>(component);
    return action && !action->menu() ? action : nullptr;
}

// One text of a component (its caption, hint, tab caption, lines) in the
// language read now. The component remembers its own text the first time a
// language replaces it, and the text the language put there; a language
// without a text of its own for it brings the own text back, unless the
// program has set another text meanwhile. So a switch of language leaves
// nothing of the one before.
template <class T, class Set>
void TranslateText(QObject* holder, const char* slot, const T& current, const std::optional<T>& translated, Set set)
{
    const QByteArray own = QByteArray("quorbelOwn") + slot;
    const QByteArray put = QByteArray("quorbelPut") + slot;
    if (translated) {
        if (!holder->property(own.constData()).isValid())
            holder->setProperty(own.constData(), QVariant::fromValue(current));
        holder->setProperty(put.constData(), QVariant::fromValue(*translated));
        set(*translated);
        return;
    }
    const QVariant ownText = holder->property(own.constData());
    const QVariant putText = holder->property(put.constData());
    if (!ownText.isValid() || !putText.isValid() || putText.value<T>() != current)
        return;
    holder->setProperty(put.constData(), QVariant()); // the program's text again
    set(ownText.value<T>());
}

template <class Set>
void TranslateString(QObject* holder, const char* slot, const QString& current,
                     const std::optional<QString>& translated, Set set)
{
    TranslateText<QString>(holder, slot, current, translated, set);
}

// A hint is an action's tool tip and status tip; each keeps its own text.
void TranslateActionHint(QObject* holder, QAction* action, const std::optional<QString>& hint)
{
    TranslateString(holder, "Tip", ActionToolTip(action), hint, [action](const QString& t) { action->setToolTip(t); });
    TranslateString(holder, "Status", action->statusTip(), hint,
                    [action](const QString& t) { action->setStatusTip(t); });
}
} // namespace

TLangManager::TLangManager(QObject* parent) : QObject(parent), QtTranslation(std::make_unique<TQtTranslation>())
{
    Created = QLatin1Char('"') + QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)
              + QStringLiteral(" by Plimora\"");
}

TLangManager::~TLangManager() = default;

void TLangManager::SetFileName(const QString& path)
{
    QString locale; // Qt's own words stay English unless a language says otherwise
    LanguageFile.reset();
    fileName = path;
    if (!path.isEmpty()) {
        LanguageFile = std::make_unique<TLangFile>(path);
        if (BuildLanguage) {
            LanguageFile->WriteString(AppTitleSection, kLanguageKey, language);
            LanguageFile->WriteString(AppTitleSection, kCreatedKey, Created);
        } else {
            language = LanguageFile->ReadString(AppTitleSection, kLanguageKey, language);
            Created = LanguageFile->ReadString(AppTitleSection, kCreatedKey, Created);
            locale = LanguageLocale(LangDequote(LanguageFile->ReadString(AppTitleSection, kLocaleKey, QString())),
                                    LangDequote(language));
        }
    }
    QtTranslation->Use(locale);
    TranslatedForms.clear();
}

void TLangManager::SetLanguageFolder(const QString& folder)
{
    QString f = folder;
    if (!f.isEmpty() && !f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    if (f.isEmpty() || !QDir(f).exists())
        return;
    if (ListLanguages(f, LanguageFiles, LanguageNames))
        languageFolder = f;
}

void TLangManager::SetLanguage(const QString& name)
{
    int index = -1;
    for (int i = 0; i < LanguageNames.size() && index < 0; ++i)
        if (SameTextAscii(LanguageNames[i], name))
            index = i;
    if (index < 0)
        return;
    SetFileName(languageFolder + LanguageFiles[index]);
    if (!SameTextAscii(language, name)) {
        TranslatedForms.clear();
        language = name;
    }
}

bool TLangManager::ListLanguages(const QString& folder, QStringList& files, QStringList& names) const
{
    files.clear();
    names.clear();
    // By name, as the file system the language files were first listed on
    // returns them; the order of the language menu must not vary.
    files = QDir(folder).entryList({QStringLiteral("*") + LangExtension}, QDir::Files,
                                   QDir::Name | QDir::IgnoreCase);
    for (const QString& file : files)
        names << TIniFile(QDir(folder).filePath(file)).ReadString(AppTitleSection, kLanguageKey, QString());
    return !files.isEmpty();
}

void TLangManager::TranslateForm(QWidget* window, bool force)
{
    if (!window)
        return;
    if (AskOverwrite && BuildLanguage) {
        if (QFileInfo::exists(fileName)
            && !Dialogs().AskYesNo(
                QStringLiteral("The language file \"%1\" exists\r\nDo you want to override it?").arg(fileName)))
            CancelAll = true;
        AskOverwrite = false;
    }
    if (!LanguageFile)
        return;
    const QString name = window->objectName();
    bool done = false;
    for (const QString& form : TranslatedForms)
        done = done || SameTextAscii(form, name);
    if (done && !force)
        return;
    if (!BuildLanguage)
        ApplyForm(window);
    else if (!CancelAll)
        BuildForm(window);
    if (!done)
        TranslatedForms << name;
}

void TLangManager::ApplyForm(QWidget* window)
{
    CurrentForm = window;
    if (window && !window->objectName().isEmpty())
        ForEachOwnedComponent(window, &TLangManager::ReadComponentTexts);
}

void TLangManager::BuildForm(QWidget* window)
{
    CurrentForm = window;
    ForEachOwnedComponent(window, &TLangManager::WriteComponentTexts);
    SaveFile();
}

void TLangManager::ForEachOwnedComponent(QObject* root, Visit visit)
{
    if (!root)
        return;
    (this->*visit)(root);
    // Reading may replace children (a text edit's document frames): hold them weakly.
    std::vector<QPointer<QObject>> owned(root->children().cbegin(), root->children().cend());
    for (const QPointer<QObject>& child : owned) {
        // Another window placed under this one translates itself, in its own section.
        if (!child || IsForm(child))
            continue;
        (this->*visit)(child);
        if (child && !child->children().isEmpty())
            ForEachOwnedComponent(child, visit);
    }
}

void TLangManager::WriteCaptionAndHint(const QString& section, const QString& name, const QString& caption,
                                       const QString& hint)
{
    if (!caption.isEmpty())
        LanguageFile->WriteString(section, name + QStringLiteral(".Caption"), LangQuote(EncodeBreaks(caption)));
    if (!hint.isEmpty())
        LanguageFile->WriteString(section, name + QStringLiteral(".Hint"), LangQuote(EncodeBreaks(hint)));
}

void TLangManager::WriteLines(const QString& section, const QString& name, const QStringList& lines)
{
    for (int i = 0; i < lines.size(); ++i)
        LanguageFile->WriteString(section, Indexed(name, "List", i), FileValue(lines[i]));
}

void TLangManager::WriteComponentTexts(QObject* component)
{
    if (!component || !CurrentForm || !LanguageFile)
        return;
    const QString section = CurrentForm->objectName();
    const QString name = component->objectName();
    if (section.isEmpty() || name.isEmpty() || NoTranslate(component))
        return;

    // A component is the first of these it is.
    if (IsForm(component)) {
        const auto* w = static_cast<QWidget*>(component);
        WriteCaptionAndHint(section, name, w->windowTitle(), w->toolTip());
    } else if (const auto* label = qobject_cast<QLabel*>(component)) {
        WriteCaptionAndHint(section, name, label->text(), label->toolTip());
    } else if (const auto* bar = qobject_cast<QMenuBar*>(component)) {
        const QList<QAction*> items = bar->actions();
        for (int i = 0; i < items.size(); ++i)
            LanguageFile->WriteString(section, Indexed(name, "Menu", i), LangQuote(items[i]->text()));
    } else if (const auto* menu = qobject_cast<QMenu*>(component)) {
        WriteCaptionAndHint(section, name, menu->title(), ActionHint(menu->menuAction()));
    }

    // These are tested one after another.
    if (const auto* edit = qobject_cast<QLineEdit*>(component))
        WriteCaptionAndHint(section, name, edit->text(), edit->toolTip());
    if (const auto* button = qobject_cast<QAbstractButton*>(component))
        WriteCaptionAndHint(section, name, button->text(), button->toolTip());
    if (const auto* group = qobject_cast<QGroupBox*>(component))
        WriteCaptionAndHint(section, name, group->title(), group->toolTip());
    if (const auto* list = qobject_cast<QListWidget*>(component))
        WriteLines(section, name, ListLines(list));
    if (IsRichEdit(component))
        WriteLines(section, name, TextLines(PlainText(component)));
    if (qobject_cast<QTableWidget*>(component) || qobject_cast<QTabWidget*>(component) || TabOf(component).tabs)
        WriteCaptionAndHint(section, name, QString(), static_cast<QWidget*>(component)->toolTip());
    if (const QAction* action = PlainAction(component))
        WriteCaptionAndHint(section, name, action->text(), ActionHint(action));
}

std::optional<QString> TLangManager::ReadEntry(const QString& section, const QString& key) const
{
    if (!LanguageFile->ValueExists(section, key))
        return std::nullopt;
    QString value = LanguageFile->ReadString(section, key, QString());
    value = LangDequote(value.replace(kBreak, QStringLiteral("\n")));
    if (value.isEmpty())
        return std::nullopt; // an empty entry says nothing
    return value;
}

std::optional<QStringList> TLangManager::ReadLines(const QString& section, const QString& name) const
{
    if (!LanguageFile->ValueExists(section, Indexed(name, "List", 0)))
        return std::nullopt;
    QStringList lines;
    for (int i = 0;; ++i) {
        const QString key = Indexed(name, "List", i);
        if (!LanguageFile->ValueExists(section, key))
            break;
        lines << LangDequote(LanguageFile->ReadString(section, key, QString()));
    }
    return lines;
}

void TLangManager::ReadComponentTexts(QObject* component)
{
    if (!component || !CurrentForm || !LanguageFile)
        return;
    const QString name = component->objectName();
    if (name.isEmpty() || NoTranslate(component))
        return;
    DebugTrace(name);
    const QString section = CurrentForm->objectName();
    const std::optional<QString> caption = ReadEntry(section, name + QStringLiteral(".Caption"));
    const std::optional<QString> hint = ReadEntry(section, name + QStringLiteral(".Hint"));
    const auto toolTip = [component, &hint](QWidget* widget) {
        TranslateString(component, "Hint", widget->toolTip(), hint,
                        [widget](const QString& t) { widget->setToolTip(t); });
    };

    // A component is the first of these it is.
    if (IsForm(component)) {
        auto* w = static_cast<QWidget*>(component);
        TranslateString(w, "Caption", w->windowTitle(), caption, [w](const QString& t) { w->setWindowTitle(t); });
        toolTip(w);
    } else if (auto* label = qobject_cast<QLabel*>(component)) {
        TranslateString(label, "Caption", label->text(), caption, [label](const QString& t) { label->setText(t); });
        toolTip(label);
    } else if (auto* bar = qobject_cast<QMenuBar*>(component)) {
        const QList<QAction*> items = bar->actions();
        // Entries beyond the menu's items are read and left unused.
        std::vector<std::optional<QString>> values(items.size());
        for (int i = 0;; ++i) {
            const QString key = Indexed(name, "Menu", i);
            if (!LanguageFile->ValueExists(section, key))
                break;
            const QString value = LangDequote(LanguageFile->ReadString(section, key, QString()));
            if (i < items.size() && !value.isEmpty())
                values[i] = value;
        }
        for (int i = 0; i < items.size(); ++i) {
            QAction* item = items[i];
            TranslateString(item, "Menu", item->text(), values[i], [item](const QString& t) { item->setText(t); });
        }
    } else if (auto* menu = qobject_cast<QMenu*>(component)) {
        TranslateString(menu, "Caption", menu->title(), caption, [menu](const QString& t) { menu->setTitle(t); });
        TranslateActionHint(menu, menu->menuAction(), hint);
    }

    // These are tested one after another.
    if (auto* edit = qobject_cast<QLineEdit*>(component)) {
        TranslateString(edit, "Caption", edit->text(), caption, [edit](const QString& t) { edit->setText(t); });
        toolTip(edit);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(component)) {
        TranslateString(button, "Caption", button->text(), caption, [button](const QString& t) { button->setText(t); });
        toolTip(button);
    }
    if (auto* group = qobject_cast<QGroupBox*>(component)) {
        TranslateString(group, "Caption", group->title(), caption, [group](const QString& t) { group->setTitle(t); });
        toolTip(group);
    }
    if (const TabPlace tab = TabOf(component); tab.tabs) {
        QTabWidget* tabs = tab.tabs;
        auto* page = static_cast<QWidget*>(component);
        TranslateString(page, "Tab", tabs->tabText(tab.index), caption, [tabs, page](const QString& t) {
            if (const int index = tabs->indexOf(page); index >= 0)
                tabs->setTabText(index, t);
        });
        toolTip(page);
    }
    if (auto* list = qobject_cast<QListWidget*>(component)) {
        const auto setLines = [list](const QStringList& lines) {
            list->clear();
            list->addItems(lines);
        };
        TranslateText<QStringList>(list, "List", ListLines(list), ReadLines(section, name), setLines);
    }
    if (IsRichEdit(component)) {
        const auto setLines = [component](const QStringList& lines) {
            const QString text = lines.join(QLatin1Char('\n'));
            if (auto* edit = qobject_cast<QTextEdit*>(component))
                edit->setPlainText(text);
            else
                static_cast<QPlainTextEdit*>(component)->setPlainText(text);
        };
        TranslateText<QStringList>(component, "List", TextLines(PlainText(component)), ReadLines(section, name),
                                   setLines);
    }
    if (qobject_cast<QTableWidget*>(component) || qobject_cast<QTabWidget*>(component))
        toolTip(static_cast<QWidget*>(component));
    if (QAction* action = PlainAction(component)) {
        TranslateString(action, "Caption", action->text(), caption, [action](const QString& t) { action->setText(t); });
        TranslateActionHint(action, action, hint);
    }
}

void TLangManager::ReadText(const QString& section, const QString& key, QString& text)
{
    if (!LanguageFile)
        return;
    if (!BuildLanguage) {
        // Remembered as a component remembers its texts (TranslateText).
        TNamedTextMemory& memory = NamedTexts[section.toLower() + QLatin1Char('/') + key.toLower()];
        const std::optional<QString> value = ReadNamedText(section, key, memory.own.value_or(text));
        if (value) {
            if (!memory.own)
                memory.own = text;
            memory.put = *value;
            text = *value;
        } else if (memory.own && memory.put && *memory.put == text) {
            memory.put.reset();
            text = *memory.own;
        }
        return;
    }
    if (!CancelAll) {
        text.replace(QLatin1String("\r\n"), kBreak);
        LanguageFile->WriteString(section, key, FileValue(EncodeBreaks(text)));
    }
    SaveFile();
}

std::optional<QString> TLangManager::ReadNamedText(const QString& section, const QString& key,
                                                  const QString& own) const
{
    if (!LanguageFile->ValueExists(section, key))
        return std::nullopt;
    QString value = LanguageFile->ReadString(section, key, QString());
    value = LangDequote(value.replace(kBreak, QStringLiteral("\r\n")));
    if (value.isEmpty())
        return std::nullopt;
    if (!SamePlaceholders(value, own)) {
        // Formatting it would fail or show the wrong values.
        DebugTrace(QStringLiteral("Language file: [%1] %2 has other placeholders than \"%3\"; not used")
                       .arg(section, key, own));
        return std::nullopt;
    }
    return value;
}

void TLangManager::SaveFile() const
{
    if (LanguageFile && !LanguageFile->UpdateFile())
        DebugTrace(QStringLiteral("Language file not written: %1").arg(fileName));
}

int CopyShippedLanguageFiles(const QString& sourceFolder, const QString& targetFolder)
{
    const QDir source(sourceFolder);
    const QDir target(targetFolder);
    int copied = 0;
    for (const QString& name : source.entryList(QDir::Files, QDir::Name)) {
        const QString to = target.filePath(name);
        if (QFileInfo::exists(to))
            continue; // the user's copy, perhaps edited, stays
        if (!target.exists() && !QDir().mkpath(target.path()))
            return copied;
        if (QFile::copy(source.filePath(name), to)) {
            // Copies out of the resources are read-only; the user may edit them.
            QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::WriteOwner);
            ++copied;
        }
    }
    return copied;
}
