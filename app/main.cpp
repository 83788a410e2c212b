// Program entry: the data module first, then the ticker as the main window,
// which has the organiser created hidden.
#include "app/NewsGlobals.h"
#include "organiser/NewsFeeders.h"
#include "platform/ProgramFolder.h"
#include "text/TextTools.h"
#include "ticker/RssViews.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorbel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORBEL_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("Vom News (RSS Reader)"));
    // The ticker is a tool window; the program ends when it is closed, not
    // when the organiser is.
    QApplication::setQuitOnLastWindowClosed(false);

    TNewsData data(ProgramFolder());
    DebugTrace(QStringLiteral("Loaded %1 nodes from %2").arg(data.NewsList.Count()).arg(data.NewsFile));

    std::unique_ptr<TNewsFeeder> organiser;
    auto ticker = std::make_unique<TRSSView>([&organiser](TRSSView* view) {
        organiser = std::make_unique<TNewsFeeder>(view);
        return organiser.get();
    });
    QObject::connect(organiser.get(), &TNewsFeeder::closeAllRequested, &app, [&ticker] {
        ticker->close();
        QApplication::quit();
    });
    ticker->show();

    const int result = app.exec();
    // The organiser goes first: on its way out it shows the farewell on the ticker.
    organiser.reset();
    ticker.reset();
    return result;
}
