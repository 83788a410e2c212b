#include "app/ProgramSetup.h"

#include "notes/Notes.h"
#include "organiser/NewsFeeders.h"
#include "text/TextTools.h"
#include "widgets/ImageList.h"

#include <QApplication>

void SetUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Quorbel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORBEL_VERSION));
    // The ticker is a tool window; the program ends through its own road
    // (TNewsFeeder::EndProgram), not when the last window closes.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(TImageList::ApplicationIcon());
}

void StoreForSessionEnd(TNewsFeeder* feeder)
{
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
