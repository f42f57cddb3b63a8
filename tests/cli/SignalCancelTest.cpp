#include "cli/SignalCancel.h"

#include <gtest/gtest.h>

#include <csignal>

namespace kelmora::cli {
namespace {

class IdleJob : public CLongJob {
public:
    void Run() override {}
};

volatile std::sig_atomic_t testHandlerCalls = 0;
extern "C" void TestHandler(int) {
    testHandlerCalls = testHandlerCalls + 1;
}

void (*CurrentHandler())(int) {
    struct sigaction now {};
    sigaction(SIGINT, nullptr, &now);
    return now.sa_handler;
}

TEST(SignalCancel, CtrlCRequestsTheCancelOfTheJobWhileInstalled) {
    std::signal(SIGINT, TestHandler);
    IdleJob outer;
    IdleJob inner;
    {
        CSignalCancel guard(outer);
        EXPECT_FALSE(guard.interrupted());
        {
            CSignalCancel nested(inner);
            std::raise(SIGINT);
            EXPECT_TRUE(inner.cancelRequested());
            EXPECT_FALSE(outer.cancelRequested());
            EXPECT_TRUE(nested.interrupted());
        }
        // The outer guard is back in charge, with no interrupt of its own yet.
        EXPECT_FALSE(guard.interrupted());
        std::raise(SIGINT);
        EXPECT_TRUE(outer.cancelRequested());
        EXPECT_TRUE(guard.interrupted());
    }
    // What was installed before is back, and the job is left alone.
    EXPECT_EQ(CurrentHandler(), &TestHandler);
    std::raise(SIGINT);
    EXPECT_EQ(testHandlerCalls, 1);
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace
}  // namespace kelmora::cli
