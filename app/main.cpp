// Program entry: one copy per program folder, then the data module, then the
// ticker as the main window, which has the organiser created hidden.
#include "app/DisplayPlatform.h"
#include "app/NewsGlobals.h"
#include "app/ProgramSetup.h"
#include "app/SingleInstance.h"
#include "organiser/NewsFeeders.h"
#include "platform/Allocator.h"
#include "platform/EndSignals.h"
#include "platform/ProgramFolder.h"
#include "text/TextTools.h"
#include "ticker/RssViews.h"
#include "widgets/About.h"

#include <QApplication>
#include <QSessionManager>
#include <memory>

int main(int argc, char** argv)
{
    ConfigureAllocator();
    const int answered = AnswerWithoutWindows(argc, argv);
    if (answered >= 0)
        return answered;
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    ApplyPreferredPlatform(rawArguments); // XWayland keeps the strip in place and on top
    QApplication app(argc, argv);
    SetUpApplication();
    TraceDisplayPlatform();
    const QStringList arguments = ParseCommandLine(QApplication::arguments());

    // Before the data module: a second start on this folder touches no file.
    const QString folder = ProgramFolder();
    TSingleInstance instance(folder);
    const int handedOver = ReportInstanceStart(instance.Start({kShowCommand, arguments}), instance, folder);
    if (handedOver >= 0)
        return handedOver;

    TNewsData data(folder);
    DebugTrace(QStringLiteral("Loaded %1 nodes from %2")
                   .arg(data.NewsList.Count())
                   .arg(data.NewsStart.loadedFrom.isEmpty() ? data.NewsFile : data.NewsStart.loadedFrom));

    std::unique_ptr<TNewsFeeder> organiser;
    auto ticker = std::make_unique<TRSSView>([&organiser](TRSSView* view) {
        organiser = std::make_unique<TNewsFeeder>(view);
        return organiser.get();
    });
    TNewsFeeder* feeder = organiser.get();
    auto about = std::make_unique<TFrmAbout>();
    FrmAbout = about.get();
    // exit, not quit: quit first asks every window to close, and ours only
    // hide, which would call the end off.
    QObject::connect(feeder, &TNewsFeeder::programEndRequested, &app, [] { QCoreApplication::exit(0); });
    InstallEndSignalHandlers(&app, [feeder] { feeder->EndProgram(); });
    // A later start on this folder shows the organiser and hands over its
    // URLs and files; they wait for the tree like this start's own.
    instance.SetHandler([feeder](const TInstanceMessage& message) { TakeAnotherStart(feeder, message); });
    feeder->OpenStartArguments(arguments);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, feeder,
                     [feeder](QSessionManager&) { StoreForSessionEnd(feeder); });
    ticker->show();

    const int result = app.exec();
    // A start from now on waits for the lock and then runs on its own.
    instance.StopListening();
    {
        // A quit that did not come through EndProgram still stores the tree.
        TQuietDialogs quiet;
        organiser->FinalCloseHandling();
    }
    // The organiser goes first: on its way out it shows the farewell on the ticker.
    organiser.reset();
    ticker.reset();
    return result;
}
