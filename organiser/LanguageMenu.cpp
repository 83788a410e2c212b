// The organiser's interface texts and the language menus of both windows.
//
// Rules kept here:
//  - ApplyInterfaceTexts translates the window's components (once per
//    window and language) and reads the named texts of section "NewsFeeder",
//    each with its current value as default.
//  - The interval entry's caption is a template ("... %d s"): it is the
//    template while the window is translated or written out, and the filled
//    caption otherwise, so no language ever shows a raw placeholder.
//  - The word between a feed's counts and the input box's buttons follow
//    the organiser's named texts (SCountOf, SInputOk, SInputCancel).
//  - A language item changes the language, then the windows are translated
//    from the event loop (the menu closes first) and the choice is stored.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "language/LangManager.h"
#include "language/NamedTexts.h"
#include "model/FeedCounts.h"
#include "organiser/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "text/TextTools.h"
#include "ticker/RssViews.h"
#include "widgets/About.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {
const QString kSection = QStringLiteral("NewsFeeder");

// The named texts in the order they are read; the first 24 are the
// original set, the rest were added later.
const struct {
    const char* key;
    QString TOrganiserTexts::*text;
} kNamedTexts[] = {
    {"SErrNotPossibleFileLoad", &TOrganiserTexts::SErrNotPossibleFileLoad},
    {"SNewFolder", &TOrganiserTexts::SNewFolder},
    {"SNewFolderInput", &TOrganiserTexts::SNewFolderInput},
    {"SThankYou", &TOrganiserTexts::SThankYou},
    {"SBuildingTree", &TOrganiserTexts::SBuildingTree},
    {"SLoaded", &TOrganiserTexts::SLoaded},
    {"SConnectToInternet", &TOrganiserTexts::SConnectToInternet},
    {"SNoInternetConnect", &TOrganiserTexts::SNoInternetConnect},
    {"SShowAllNews", &TOrganiserTexts::SShowAllNews},
    {"SErrDownloadFile", &TOrganiserTexts::SErrDownloadFile},
    {"SDeleteChildren", &TOrganiserTexts::SDeleteChildren},
    {"SToday", &TOrganiserTexts::SToday},
    {"SYesterday", &TOrganiserTexts::SYesterday},
    {"SOthers", &TOrganiserTexts::SOthers},
    {"SErrRenamingFile", &TOrganiserTexts::SErrRenamingFile},
    {"SErrStoringFile", &TOrganiserTexts::SErrStoringFile},
    {"SNewURLTitle", &TOrganiserTexts::SNewURLTitle},
    {"SNewURLInput", &TOrganiserTexts::SNewURLInput},
    {"SFreeingData", &TOrganiserTexts::SFreeingData},
    {"SLoadingData", &TOrganiserTexts::SLoadingData},
    {"SDataLoaded", &TOrganiserTexts::SDataLoaded},
    {"SOptions", &TOrganiserTexts::SOptions},
    {"SExecute", &TOrganiserTexts::SExecute},
    {"SDelete", &TOrganiserTexts::SDelete},
    {"SRefusedLink", &TOrganiserTexts::SRefusedLink},
    {"SMissingFile", &TOrganiserTexts::SMissingFile},
    {"SRefusedArgument", &TOrganiserTexts::SRefusedArgument},
    {"SBrokenCommand", &TOrganiserTexts::SBrokenCommand},
    {"SNothingDropped", &TOrganiserTexts::SNothingDropped},
    {"SEmptyNote", &TOrganiserTexts::SEmptyNote},
    {"SLoadReplaces", &TOrganiserTexts::SLoadReplaces},
    {"SIntervalRefused", &TOrganiserTexts::SIntervalRefused},
    {"SNoFileFormat", &TOrganiserTexts::SNoFileFormat},
    {"SNothingSelected", &TOrganiserTexts::SNothingSelected},
    {"SSaveNotReady", &TOrganiserTexts::SSaveNotReady},
    {"SErrBackupFile", &TOrganiserTexts::SErrBackupFile},
    {"SNewsFileDamaged", &TOrganiserTexts::SNewsFileDamaged},
    {"SNewsFileMissing", &TOrganiserTexts::SNewsFileMissing},
    {"SNewsFilePartLoaded", &TOrganiserTexts::SNewsFilePartLoaded},
    {"SErrScratchFile", &TOrganiserTexts::SErrScratchFile},
    {"SNotAFeed", &TOrganiserTexts::SNotAFeed},
    {"SOffersFeed", &TOrganiserTexts::SOffersFeed},
    {"SAlreadySubscribed", &TOrganiserTexts::SAlreadySubscribed},
    {"SFeedGone", &TOrganiserTexts::SFeedGone},
    {"SNoNewsYet", &TOrganiserTexts::SNoNewsYet},
    {"SUnknownArgument", &TOrganiserTexts::SUnknownArgument},
    {"SKeepNewsDays", &TOrganiserTexts::SKeepNewsDays},
    {"SShowNewsHours", &TOrganiserTexts::SShowNewsHours},
    {"SCountOf", &TOrganiserTexts::SCountOf},
    {"SInputOk", &TOrganiserTexts::SInputOk},
    {"SInputCancel", &TOrganiserTexts::SInputCancel},
};

TLangManager* Languages() { return NewsData ? NewsData->LanMan.get() : nullptr; }
} // namespace

std::vector<TNamedText> OrganiserNamedTexts()
{
    std::vector<TNamedText> texts;
    for (const auto& named : kNamedTexts)
        texts.push_back({named.key, &(OrganiserTexts.*named.text)});
    return texts;
}

void TNewsFeeder::ApplyInterfaceTexts()
{
    TLangManager* lan = Languages();
    if (!lan) {
        ApplyAccessibleNames(); // the English captions
        return;
    }
    // The template is what a language file holds for this entry.
    if (acConnectionInterval)
        acConnectionInterval->setText(ConnectionIntervalCaption);
    lan->TranslateForm(this, false);
    if (acConnectionInterval && acConnectionInterval->text().contains(QLatin1String("%d")))
        ConnectionIntervalCaption = acConnectionInterval->text();
    SetConnectionIntervalCaption();
    for (const TNamedText& named : OrganiserNamedTexts())
        lan->ReadText(kSection, QString::fromLatin1(named.key), *named.text);
    // Texts shown by parts that know nothing of the organiser.
    SetCountWordSource(&OrganiserTexts.SCountOf);
    SetInputButtonTexts(OrganiserTexts.SInputOk, OrganiserTexts.SInputCancel);
    ApplyAgeOptionMarks(); // an extra entry's caption is a named text
    ApplyAccessibleNames();
}

void TNewsFeeder::BuildLanguageMenu(QMenu* menu)
{
    TLangManager* lan = Languages();
    if (!menu || !lan)
        return;
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (int i = 0; i < lan->LanguageCount(); ++i) {
        const QString name = lan->LanguageName(i);
        auto* item = new QAction(name, this);
        item->setObjectName(QStringLiteral("mnLanguageItem%1").arg(i));
        item->setData(i);
        item->setCheckable(true);
        item->setChecked(SameTextAscii(name, lan->Language()));
        item->setProperty("quorbelNoTranslate", true); // the language's own name in every language
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { LanguageChosen(item); });
        menu->addAction(item);
    }
}

void TNewsFeeder::LanguageChosen(QObject* sender)
{
    auto* item = qobject_cast<QAction*>(sender);
    TLangManager* lan = Languages();
    if (!item || item->menu() || !lan)
        return;
    item->setChecked(true);
    QString name = item->text();
    name.remove('&');
    lan->SetLanguage(name);
    LanguageName = lan->Language();
    PostLanguageChanged();
}

void TNewsFeeder::HandleLanguageChanged()
{
    ApplyInterfaceTexts();
    if (ticker)
        ticker->ApplyTickerTexts();
    SaveSettings();
    // The caption template may have changed with the language.
    SetConnectionIntervalCaption();
}

void TNewsFeeder::AboutExecute()
{
    if (!FrmAbout)
        FrmAbout = new TFrmAbout(this); // made at start-up; a window of its own otherwise
    FrmAbout->ShowModal(ticker);
}
