// Program entry: the data module first, then the ticker as the main window,
// which has the organiser created hidden.
#include "app/NewsGlobals.h"
#include "app/ProgramSetup.h"
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
    QApplication app(argc, argv);
    SetUpApplication();

    TNewsData data(ProgramFolder());
    DebugTrace(QStringLiteral("Loaded %1 nodes from %2").arg(data.NewsList.Count()).arg(data.NewsFile));

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
    QObject::connect(&app, &QGuiApplication::commitDataRequest, feeder,
                     [feeder](QSessionManager&) { StoreForSessionEnd(feeder); });
    ticker->show();

    const int result = app.exec();
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
