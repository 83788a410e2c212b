#pragma once
// The Reload All window: refreshes every feed of the tree in pre-order, one
// after another, showing the feed's caption and the share done, with a
// Cancel button.
//
// Rules kept here:
//  - The feeds are counted and taken in one walk at the start, each held
//    weakly: a feed deleted while the run goes on (between fetches) is
//    skipped, and feeds added meanwhile wait for the next run.
//  - A feed that brings no node back is not reported on the spot (a box per
//    feed would leave Cancel out of reach when many fail): its URL is
//    collected in Failed, for one message after the run.
//  - Window messages are handled before each fetch; a Cancel seen there, or a
//    program end asked for, stops the run before the next fetch. The fetch in
//    progress finishes first.
//  - Closing the window by its caption button counts as Cancel.
//  - The percentage is i x 100 / count rounded to the nearest integer, halves
//    to the even neighbour ("12 %" for 1 of 8).
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
    // Fetches one feed now, as a user command would but without messages;
    // false when the fetch ended without a node.
    using TFetch = std::function<bool(const QString& url, QTreeWidgetItem* node)>;
    // True once the run must end whatever the user does (program end).
    using TStopAsked = std::function<bool()>;

    TFrmUpdateAll(QWidget* owner, TFetch fetch, TStopAsked stopAsked);
    ~TFrmUpdateAll() override;

    // Shows the window centred on its owner, on top, wide enough for its caption.
    void ShowCentred();
    void FitToCaption();
    // What a title bar needs beside its caption: icon, buttons, margins.
    static constexpr int kTitleBarRoom = 120;
    void UpdateAllFeeds(QTreeWidget* tree);
    void CancelClick();
    bool Running() const { return running; }

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

    TFetch fetch;
    TStopAsked stopAsked;
    bool running = false;
};

// "i x 100 / count" rounded half to even, and " %".
QString ProgressCaption(int i, int count);
