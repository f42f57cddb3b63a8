#include "cli/SignalCancel.h"

#include <atomic>

namespace kelmora::cli {
namespace {

// The handler may only touch lock-free atomics: the job to cancel, the number of signals and the first.
std::atomic<CLongJob*> currentJob{nullptr};
std::atomic<int> signalCount{0};
std::atomic<int> firstSignal{0};
static_assert(std::atomic<CLongJob*>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void OnSignal(int number) {
    if (signalCount.fetch_add(1) > 0) {
        // The user insists: the default action ends the program (signal and raise are safe here).
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    firstSignal.store(number);
    // RequestCancel is a single store to a lock-free atomic.
    if (CLongJob* job = currentJob.load()) job->RequestCancel();
}

}  // namespace

CSignalCancel::CSignalCancel(CLongJob& job)
    : previousJob_(currentJob.exchange(&job)),
      previousCount_(signalCount.exchange(0)),
      previousSignal_(firstSignal.exchange(0)) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // One handler at a time: a SIGTERM that follows a SIGINT counts as the second signal.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInterrupt_);
    sigaction(SIGTERM, &action, &previousTerminate_);
}

CSignalCancel::~CSignalCancel() {
    // The old handlers first, so that no signal reaches a job that is going away.
    sigaction(SIGTERM, &previousTerminate_, nullptr);
    sigaction(SIGINT, &previousInterrupt_, nullptr);
    currentJob.store(previousJob_);
    signalCount.store(previousCount_);
    firstSignal.store(previousSignal_);
}

bool CSignalCancel::interrupted() const {
    return signalCount.load() > 0;
}

int CSignalCancel::signal() const {
    return firstSignal.load();
}

}  // namespace kelmora::cli
