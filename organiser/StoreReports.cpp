// What the organiser tells the user about the news file: a start-up that
// fell back to the back-up or kept a damaged file, and stores that failed.
//
// Rules kept here:
//  - A run of failed stores is reported once; later failures are traced
//    only, until a store succeeds again.
//  - The report names the step that failed: the back-up copy or the store.
//  - On the way to program end nothing modal is shown: the report goes to
//    the trace and to standard error, so the end cannot be held up.
//  - What start-up found is shown once, on the ticker's status line during
//    the first tick and in a message after it.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "organiser/InterfaceTexts.h"
#include "organiser/NewsStore.h"
#include "platform/Dialogs.h"
#include "text/TextTools.h"

#include <QLocale>
#include <QMetaObject>
#include <QStringList>

#include <cstdio>

QString NewsStartNotice(const TNewsStart& start, const QString& newsFile)
{
    const QString backupDate = QLocale().toString(start.backupTime.date(), QLocale::ShortFormat);
    switch (start.kind) {
    case TNewsStartKind::Whole:
    case TNewsStartKind::FirstStart:
        return QString();
    case TNewsStartKind::BackupLoaded:
        return FormatTexts(start.newsFileMissing ? OrganiserTexts.SNewsFileMissing : OrganiserTexts.SNewsFileDamaged,
                           {newsFile, backupDate});
    case TNewsStartKind::PartLoaded:
        return FormatText(OrganiserTexts.SNewsFilePartLoaded, start.loadedFrom);
    }
    return QString();
}

bool TNewsFeeder::EndingProgram() const { return endRequested || finalCloseDone || SessionEnding; }

void TNewsFeeder::ReportQuietly(const QString& text)
{
    DebugTrace(text);
    for (const QString& line : text.split(QLatin1Char('\n')))
        std::fprintf(stderr, "quorbel: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void TNewsFeeder::ReportStoreResult(const TStoreResult& result)
{
    if (result.backupSkipped)
        DebugTrace(QStringLiteral("No back-up copy of %1: it was not read whole").arg(result.newsPath));
    if (!result.Failed()) {
        storeFailureShown = false; // the run of failures is over
        return;
    }
    QStringList lines;
    if (result.backupFailed)
        lines << FormatText(OrganiserTexts.SErrBackupFile, result.backupPath);
    if (result.storeFailed)
        lines << FormatText(OrganiserTexts.SErrStoringFile, result.newsPath);
    const QString text = lines.join(QLatin1Char('\n'));
    if (EndingProgram()) {
        ReportQuietly(text);
        return;
    }
    if (storeFailureShown) {
        DebugTrace(text);
        return;
    }
    // Set first: the message box lets more results arrive.
    storeFailureShown = true;
    Dialogs().ShowError(text);
}

void TNewsFeeder::ShowNewsStartNotice()
{
    if (!NewsData || startNoticeDone)
        return;
    startNoticeDone = true;
    startNotice = NewsStartNotice(NewsData->NewsStart, NewsData->NewsFile);
    if (startNotice.isEmpty())
        return;
    DebugTrace(startNotice);
    ShowStatus(startNotice);
}

void TNewsFeeder::PostNewsStartNotice()
{
    if (startNotice.isEmpty())
        return;
    const QString text = startNotice;
    startNotice.clear();
    // From the event loop: the first tick has ended when the box shows.
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            if (EndingProgram())
                ReportQuietly(text);
            else
                Dialogs().ShowError(text);
        },
        Qt::QueuedConnection);
}
