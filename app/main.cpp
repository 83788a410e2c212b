// Program entry: the data module first, then the ticker as the main window,
// which has the organiser created hidden.
#include "app/NewsGlobals.h"
#include "organiser/NewsFeeders.h"
#include "platform/Dialogs.h"
#include "platform/EndSignals.h"
#include "platform/ProgramFolder.h"
#include "text/TextTools.h"
#include "ticker/RssViews.h"

#include <QApplication>
#include <QSessionManager>
#include <memory>

namespace {
// Once the event loop has ended nobody is left to answer a message box: what
// would have been shown goes to the trace, and questions are answered no.
class TQuietDialogs final : public IDialogs {
public:
    TQuietDialogs() { SetDialogs(this); }
    ~TQuietDialogs() override { SetDialogs(nullptr); }
    TQuietDialogs(const TQuietDialogs&) = delete;
    TQuietDialogs& operator=(const TQuietDialogs&) = delete;
    void ShowMessage(const QString& text) override { DebugTrace(text); }
    bool AskYesNo(const QString&) override { return false; }
    bool AskOkCancel(const QString&) override { return false; }
    bool InputQuery(const QString&, const QString&, QString&) override { return false; }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorbel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORBEL_VERSION));
    // No application display name: Qt would append it to every window title,
    // and the windows carry their own captions exactly.
    // The ticker is a tool window; the program ends through its own road
    // (TNewsFeeder::EndProgram), not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    TNewsData data(ProgramFolder());
    DebugTrace(QStringLiteral("Loaded %1 nodes from %2").arg(data.NewsList.Count()).arg(data.NewsFile));

    std::unique_ptr<TNewsFeeder> organiser;
    auto ticker = std::make_unique<TRSSView>([&organiser](TRSSView* view) {
        organiser = std::make_unique<TNewsFeeder>(view);
        return organiser.get();
    });
    TNewsFeeder* feeder = organiser.get();
    QObject::connect(feeder, &TNewsFeeder::programEndRequested, &app, &QCoreApplication::quit);
    InstallEndSignalHandlers(&app, [feeder] { feeder->EndProgram(); });
    // The session is ending: store now; the quit that follows does the rest.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, feeder, [feeder](QSessionManager&) {
        feeder->Busy->RunWhenIdle([feeder] { feeder->SaveNewsWithBackup(); }, true);
    });
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
