#include "platform/EndSignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <csignal>

namespace {
// SIGTERM and SIGINT each reach the callback as an ordinary event, once.
TEST(EndSignalsTest, TermAndIntArriveOnTheEventLoop)
{
    QObject context;
    int calls = 0;
    ASSERT_TRUE(InstallEndSignalHandlers(&context, [&] { ++calls; }));
    for (int sig : {SIGTERM, SIGINT}) {
        const int before = calls;
        ASSERT_EQ(::raise(sig), 0);
        EXPECT_EQ(calls, before); // not inside the signal handler
        QElapsedTimer waited;
        waited.start();
        while (calls == before && waited.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(calls, before + 1) << sig;
    }
    // Caught once each: the default action is back (a second one ends the process).
    struct sigaction current = {};
    ::sigaction(SIGTERM, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}
} // namespace
