#include "app/ProgramSetup.h"

#include "notes/Notes.h"
#include "organiser/NewsFeeders.h"
#include "text/TextTools.h"
#include "widgets/ImageList.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

void SetUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Quorbel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORBEL_VERSION));
    // The ticker is a tool window; the program ends through its own road
    // (TNewsFeeder::EndProgram), not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(TImageList::ApplicationIcon());
}

QStringList ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A desktop RSS news reader. Feeds, web pages and files given here go to the copy of Quorbel\n"
        "that runs on the program folder ($QUORBEL_HOME, else $XDG_DATA_HOME/Quorbel); when one runs\n"
        "there already, it shows its organiser window and this start ends."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("urls"), QStringLiteral("Feed or page URLs, or files."),
                                 QStringLiteral("[URL|FILE]..."));
    parser.process(arguments);
    return StartArguments(parser.positionalArguments(), QDir::currentPath());
}

QStringList StartArguments(const QStringList& positional, const QString& workingFolder)
{
    QStringList result;
    for (const QString& argument : positional) {
        const QFileInfo file(QDir(workingFolder), argument);
        const bool relativePath = QFileInfo(argument).isRelative();
        const bool found = relativePath && !argument.isEmpty() && file.exists();
        result.append(found ? QDir::cleanPath(file.absoluteFilePath()) : argument);
    }
    return result;
}

void StoreForSessionEnd(TNewsFeeder* feeder)
{
    // The desktop is going away: nothing modal may hold the end up.
    feeder->SessionEnding = true;
    feeder->Busy->RunWhenIdle(
        [feeder] {
            TFrmNote::CloseStepForAll();
            feeder->SaveNewsWithBackup();
            feeder->WaitForStore();
        },
        true);
}

TQuietDialogs::TQuietDialogs() { SetDialogs(this); }

TQuietDialogs::~TQuietDialogs() { SetDialogs(nullptr); }

void TQuietDialogs::ShowMessage(const QString& text) { DebugTrace(text); }
