#pragma once
// The organiser's named texts: what the code formats and shows (status lines,
// prompts, questions, errors), with their English wording. The language
// manager replaces them from the current language file.
#include "model/CategoryViews.h"

#include <QString>
#include <QStringList>
#include <vector>

struct TNamedText;

struct TOrganiserTexts {
    QString SErrNotPossibleFileLoad = QStringLiteral("Not possible to load File \"%s\"");
    QString SNewFolder = QStringLiteral("New Folder");
    QString SNewFolderInput = QStringLiteral("Please Enter Folder Name");
    QString SThankYou = QStringLiteral("Thank you for using Quorbel...");
    QString SBuildingTree = QStringLiteral("Building Tree ...");
    QString SLoaded = QStringLiteral("Loaded.");
    QString SConnectToInternet = QStringLiteral("Connecting to Internet...");
    QString SNoInternetConnect = QStringLiteral("No Connection to Internet...");
    QString SShowAllNews = QStringLiteral("Show All News...");
    QString SErrDownloadFile = QStringLiteral("Error downloading \"%s\"");
    QString SDeleteChildren = QStringLiteral("Do you want to delete all children of %s");
    QString SToday = QStringLiteral("Today");
    QString SYesterday = QStringLiteral("Yesterday");
    QString SOthers = QStringLiteral("Others..");
    QString SErrRenamingFile = QStringLiteral("Error renaming File :\"%s\"");
    QString SErrStoringFile = QStringLiteral("Error storing File :\"%s\"");
    QString SNewURLTitle = QStringLiteral("Feeder URL");
    QString SNewURLInput = QStringLiteral("Please Enter Feeder URL");
    QString SFreeingData = QStringLiteral("Freeing Data...");
    QString SLoadingData = QStringLiteral("Loading Data...");
    QString SDataLoaded = QStringLiteral("Data Loaded.");
    QString SOptions = QStringLiteral("Options \"%s\"");
    QString SExecute = QStringLiteral("Do you want to execute:\r\n\r\n%s\r\n\r\nwith\r\n\r\n%s");
    QString SDelete = QStringLiteral("Do you want to delete:\r\n\"%s\"");
    // Texts of our own beyond the first set.
    QString SRefusedLink = QStringLiteral("Not opened: \"%s\" is not a web or mail address.");
    QString SMissingFile = QStringLiteral("File not found: \"%s\"");
    QString SRefusedArgument = QStringLiteral("Not opened: \"%s\" begins with \"-\".");
    QString SBrokenCommand = QStringLiteral("The command \"%s\" cannot be run.");
    QString SNothingDropped = QStringLiteral("Nothing was added: the drop carried neither files nor text.");
    QString SEmptyNote = QStringLiteral("(empty note)");
    QString SLoadReplaces = QStringLiteral("Replace the whole news tree (%d feeds, %d items, %d notes) with the "
                                           "contents of %s? Use Merge to add the file to the tree instead.");
    QString SIntervalRefused = QStringLiteral("The interval must be between 0 and %s seconds.");
    QString SNoFileFormat =
        QStringLiteral("Not saved: \"%s\" names none of the file types .xml, .qbx and .opml.");
    QString SNothingSelected = QStringLiteral("Not saved: please select the node whose branch is to be saved.");
    QString SSaveNotReady =
        QStringLiteral("Not saved: the news tree is still being loaded. Please try again in a moment.");
    QString SErrBackupFile = QStringLiteral("The back-up copy \"%s\" of the news file could not be made.");
    QString SNewsFileDamaged =
        QStringLiteral("The news file \"%s\" was damaged; the back-up of %s was loaded instead.");
    QString SNewsFileMissing =
        QStringLiteral("The news file \"%s\" was missing; the back-up of %s was loaded instead.");
    QString SNewsFilePartLoaded = QStringLiteral("No whole copy of the news was found: \"%s\" was loaded as far as "
                                                 "it could be read. The damaged files were kept with the ending "
                                                 "\".damaged\".");
    QString SErrScratchFile = QStringLiteral("Error downloading \"%s\": the file \"%s\" could not be written.");
    QString SNotAFeed = QStringLiteral("\"%s\" is not a feed Quorbel can read");
    QString SAlreadySubscribed = QStringLiteral("\"%s\" is already subscribed in \"%s\".");
    QString SOffersFeed = QStringLiteral("This page offers the feed %s. Subscribe to the feed? (No keeps the page as "
                                         "a web link.)");
    QString SFeedGone =
        QStringLiteral("\"%s\" is gone for good (the server says so): Quorbel no longer refreshes it by itself");
    QString SNoNewsYet =
        QStringLiteral("No news yet: right-click here and choose Paste, or open the organiser to add a feed");
    QString SUnknownArgument = QStringLiteral("Not opened: \"%s\" is neither a web address nor a file.");
    // A keep or show value in force that has no entry of its own.
    QString SKeepNewsDays = QStringLiteral("%d days");
    QString SShowNewsHours = QStringLiteral("< %d h");
    QString SCountOf = QStringLiteral("of"); // a feed's counts: "(3 of 9)"
    QString SInputOk = QStringLiteral("OK"); // the buttons of every input box
    QString SInputCancel = QStringLiteral("Cancel");
    QString SMerging = QStringLiteral("Merging:"); // the merge's status line, never translated
};

extern TOrganiserTexts OrganiserTexts;

// The named texts of OrganiserTexts with their keys, in the order they are
// read (LanguageMenu.cpp).
std::vector<TNamedText> OrganiserNamedTexts();

// The day-group captions of the derived views, in the current language.
TCategoryTexts CategoryTexts();

// Fills the first %s of a named text.
QString FormatText(const QString& text, const QString& argument);
// Fills the %s and %d placeholders of a named text in order, one argument each.
QString FormatTexts(const QString& text, const QStringList& arguments);
