#include "organiser/BusyState.h"

#include "feeds/URLTools.h"

#include <QMetaObject>

TBusyState::THold::THold(TBusyState& state) : state(state) { ++state.depth; }

TBusyState::THold::~THold() { state.Release(); }

TBusyState::TBusyState(QObject* parent) : QObject(parent) {}

TBusyState::~TBusyState()
{
    if (cancelling > 0)
        SetDownloadsCancelled(false);
}

void TBusyState::RunWhenIdle(std::function<void()> action, bool cancelTransfers)
{
    if (!action)
        return;
    if (!IsBusy() && pending.empty()) {
        action();
        return;
    }
    pending.push_back({std::move(action), cancelTransfers});
    if (cancelTransfers && cancelling++ == 0)
        SetDownloadsCancelled(true);
    if (!IsBusy())
        PostDrain();
}

void TBusyState::Release()
{
    if (--depth == 0 && !pending.empty())
        PostDrain();
}

void TBusyState::PostDrain()
{
    if (drainPosted)
        return;
    drainPosted = true;
    QMetaObject::invokeMethod(this, &TBusyState::Drain, Qt::QueuedConnection);
}

void TBusyState::Drain()
{
    drainPosted = false;
    // An operation that started before we got here defers us again; its
    // release posts the next attempt.
    while (!IsBusy() && !pending.empty()) {
        TPending next = std::move(pending.front());
        pending.pop_front();
        if (next.cancelTransfers && --cancelling == 0)
            SetDownloadsCancelled(false);
        next.action();
    }
}

void TBusyState::RunOnTree(std::function<void()> action, bool cancelTransfers)
{
    if (!action)
        return;
    if (!treeReady) {
        waitingForTree.push_back({std::move(action), cancelTransfers});
        return;
    }
    RunWhenIdle(std::move(action), cancelTransfers);
}

void TBusyState::SetTreeReady(bool ready)
{
    treeReady = ready;
    if (!ready)
        return;
    std::deque<TPending> waiting;
    waiting.swap(waitingForTree);
    // Behind whatever waits already; with nothing held they run from the
    // event loop all the same, never inside the caller.
    for (TPending& next : waiting) {
        pending.push_back(std::move(next));
        if (pending.back().cancelTransfers && cancelling++ == 0)
            SetDownloadsCancelled(true);
    }
    if (!pending.empty() && !IsBusy())
        PostDrain();
}
