#include "app/ProgramSetup.h"

#include "app/InstanceMessage.h"
#include "notes/Notes.h"
#include "organiser/NewsFeeders.h"
#include "platform/DialogStacking.h"
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
    // Dialogs and message boxes stay above the strip and its companions.
    DialogStacking::Install();
}

namespace {
void DescribeCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "A desktop RSS news reader. Each URL (http, https or feed:) is subscribed as if pasted into the\n"
        "organiser; an OPML file (.opml) is merged into the news tree; any other FILE (.xml, .rss, ...)\n"
        "is read as a feed. They go to the copy of Quorbel that runs on the program folder\n"
        "($QUORBEL_HOME, else $XDG_DATA_HOME/Quorbel); when one runs there already, it takes them,\n"
        "shows its organiser window and this start ends."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("URL|FILE"),
                                 QStringLiteral("Feed or page URLs, OPML files to merge, feed files."),
                                 QStringLiteral("[URL|FILE]..."));
}
} // namespace

int AnswerWithoutWindows(int argc, char** argv)
{
    const QStringList answered{"-h", "--help", "--help-all", "-?", "-v", "--version"};
    QString asked;
    for (int i = 1; i < argc && asked.isEmpty(); ++i)
        if (answered.contains(QString::fromLocal8Bit(argv[i])))
            asked = QString::fromLocal8Bit(argv[i]);
    if (asked.isEmpty())
        return -1;
    // No display is needed to answer: a core application does.
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorbel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORBEL_VERSION));
    QCommandLineParser parser;
    DescribeCommandLine(parser);
    parser.process(QStringList{QCoreApplication::arguments().value(0), asked}); // prints and exits
    return 0;
}

QStringList ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    DescribeCommandLine(parser);
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

void TakeAnotherStart(TNewsFeeder* feeder, const TInstanceMessage& message)
{
    DebugTrace(QStringLiteral("Another start: %1 %2").arg(message.Command, message.Arguments.join(' ')));
    if (message.Command != kShowCommand)
        return;
    feeder->ShowWindow();
    DebugTrace(QStringLiteral("Organiser shown for another start"));
    feeder->OpenStartArguments(message.Arguments);
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
