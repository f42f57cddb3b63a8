#include "cli/SignalCancel.h"

#include <atomic>

namespace kelmora::cli {
namespace {

// The handler may only touch lock-free atomics: the job to cancel and the number of interrupts.
std::atomic<CLongJob*> currentJob{nullptr};
std::atomic<int> interruptCount{0};
static_assert(std::atomic<CLongJob*>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
    if (interruptCount.fetch_add(1) > 0) {
        // The user insists: the default action ends the program (signal and raise are safe here).
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    // RequestCancel is a single store to a lock-free atomic.
    if (CLongJob* job = currentJob.load()) job->RequestCancel();
}

}  // namespace

CSignalCancel::CSignalCancel(CLongJob& job)
    : previousJob_(currentJob.exchange(&job)), previousCount_(interruptCount.exchange(0)) {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousAction_);
}

CSignalCancel::~CSignalCancel() {
    // The old handler first, so that no interrupt reaches a job that is going away.
    sigaction(SIGINT, &previousAction_, nullptr);
    currentJob.store(previousJob_);
    interruptCount.store(previousCount_);
}

bool CSignalCancel::interrupted() const {
    return interruptCount.load() > 0;
}

}  // namespace kelmora::cli
