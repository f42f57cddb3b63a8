#pragma once
// Ctrl+C and termination during a run: while a CSignalCancel lives, SIGINT and SIGTERM request the
// cancel of its job, which then ends at its next write like a run cancelled from the progress dialog,
// leaving no temporary file behind. SIGTERM is what a batch scheduler sends at a job's time limit, on
// its cancel and on pre-emption. A second signal ends the program at once, as it would without the
// handler.
#include <csignal>

#include "calc/LongJob.h"

namespace kelmora::cli {

class CSignalCancel {
public:
    // Installs the handlers for `job`. Guards nest: the innermost one's job is cancelled, and each
    // restores what was there before it.
    explicit CSignalCancel(CLongJob& job);
    ~CSignalCancel();
    CSignalCancel(const CSignalCancel&) = delete;
    CSignalCancel& operator=(const CSignalCancel&) = delete;

    // True once a SIGINT or SIGTERM arrived while this guard was installed.
    bool interrupted() const;
    // The first signal that arrived while this guard was installed, 0 before any.
    int signal() const;

private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
    CLongJob* previousJob_;
    int previousCount_;
    int previousSignal_;
};

}  // namespace kelmora::cli
