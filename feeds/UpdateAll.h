#pragma once
// The Reload All window: every feed of the tree is handed to the fetch
// pipeline at once; the window shows the caption of the feed merged last and
// the share of feeds merged, with a Cancel button.
//
// Rules kept here:
//  - The feeds are counted and taken in one walk at the start, each held
//    weakly, in pre-order: a feed deleted while the run goes on is skipped,
//    and feeds added meanwhile wait for the next run.
//  - The run does not block: its owner reports each feed done (FeedDone)
//    and the end of the run (Finish).
//  - A feed that brings no node back is not reported on the spot (a box per
//    feed would leave Cancel out of reach when many fail): its URL is
//    collected in Failed, for one message after the run.
//  - Cancel, or closing the window by its caption button, closes the window
//    at once and tells the owner (Cancelled handler), which stops the
//    downloads not yet merged; the merge in progress finishes first.
//  - The percentage is i x 100 / count rounded to the nearest integer, halves
//    to the even neighbour ("12 %" for 1 of 8).
#include "model/ViewNodes.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TGradient;
class THTProgressBar;

class TFrmUpdateAll : public QWidget {
    Q_OBJECT
public:
    // Starts the fetches of the feeds (URL and node each, in pre-order).
    using TStart = std::function<void(const QList<QPair<QString, TNodeRef>>& feeds)>;
    // Called when the user cancels a run.
    using TCancelled = std::function<void()>;

    TFrmUpdateAll(QWidget* owner, TStart start, TCancelled cancelled);
    ~TFrmUpdateAll() override;

    // Shows the window centred on its owner, on top, wide enough for its caption.
    void ShowCentred();
    // Counts the feeds of the tree and starts their fetches; the run ends
    // with Finish (at once when there is no feed).
    void FitToCaption();
    // What a title bar needs beside its caption: icon, buttons, margins.
    static constexpr int kTitleBarRoom = 120;
    void UpdateAllFeeds(QTreeWidget* tree);
    // One feed of the run merged (or skipped): caption is its node's.
    void FeedDone(const QString& caption, const QString& failedUrl = QString());
    void Finish();
    void CancelClick();
    bool Running() const { return running; }
    int Done() const { return done; }
    // Runs after each feed done, with the number done; for tests.
    std::function<void(int done)> AfterFeedDone;

    TGradient* Gradient1 = nullptr;
    QLabel* Label1 = nullptr;
    THTProgressBar* HTProgressBar1 = nullptr;
    QPushButton* Cancel = nullptr;
    bool Cancelled = false;
    QStringList Failed; // the URLs of the last run's feeds that failed

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Centre();

    TStart start;
    TCancelled cancelled;
    bool running = false;
    int count = 0;
    int done = 0;
};

// "i x 100 / count" rounded half to even, and " %".
QString ProgressCaption(int i, int count);
