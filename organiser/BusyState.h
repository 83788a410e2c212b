#pragma once
// The organiser's busy state: held by every operation that keeps tree nodes
// across a nested event loop (a fetch with its download, merge, icon
// downloads and store; the start-up build of the views; later loads, merges
// and Reload All).
//
// Rules kept here:
//  - Commands that delete, move or replace nodes, and program end, go through
//    RunWhenIdle: they run at once when nothing holds the state, else right
//    after the outermost holder has let go, from the event loop (never inside
//    the holder's stack), in the order they were asked for.
//  - An action queued with cancelTransfers ends the transfers in progress and
//    makes new ones fail at once until the queue has run, so it waits only a
//    moment.
//  - Nothing runs while any holder is on the stack; code that holds a node
//    across a nested loop without holding the state must check it with a
//    TNodeRef afterwards.
//  - RunOnTree is the one gate of every command that adds, moves or replaces
//    nodes (new folder, URL and note, paste, drop, Load, Merge, Delete,
//    Delete children, drag, rename, Sort): until the tree's first build has
//    placed every node it waits for that build (which would otherwise clear
//    what it added), afterwards it is RunWhenIdle. The waiting commands run
//    in the order they were asked for, right after the build lets go.
#include <QObject>

#include <deque>
#include <functional>

// Counts an operation in progress (a fetch, nodes being placed) while it lives.
class TScopedCount {
public:
    explicit TScopedCount(int& count) : count(count) { ++count; }
    ~TScopedCount() { --count; }
    TScopedCount(const TScopedCount&) = delete;
    TScopedCount& operator=(const TScopedCount&) = delete;

private:
    int& count;
};

class TBusyState : public QObject {
    Q_OBJECT
public:
    class THold {
    public:
        explicit THold(TBusyState& state);
        ~THold();
        THold(const THold&) = delete;
        THold& operator=(const THold&) = delete;

    private:
        TBusyState& state;
    };

    explicit TBusyState(QObject* parent = nullptr);
    ~TBusyState() override;

    bool IsBusy() const { return depth > 0; }
    bool HasPending() const { return !pending.empty(); }
    void RunWhenIdle(std::function<void()> action, bool cancelTransfers);

    // The gate of the tree's commands (see the rules above).
    void RunOnTree(std::function<void()> action, bool cancelTransfers = false);
    // True once the first build has placed the whole tree.
    bool IsTreeReady() const { return treeReady; }
    // Called when the first build has completed: the commands waiting for it
    // are queued to run when the build's holder lets go.
    void SetTreeReady(bool ready);
    bool HasWaitingForTree() const { return !waitingForTree.empty(); }

private:
    void Release();
    void PostDrain();
    void Drain();

    struct TPending {
        std::function<void()> action;
        bool cancelTransfers;
    };
    int depth = 0;
    int cancelling = 0; // queued actions that asked for the transfers to stop
    bool drainPosted = false;
    std::deque<TPending> pending;
    bool treeReady = false;
    std::deque<TPending> waitingForTree;
};
