#pragma once
// Ctrl+C during a run: while a CSignalCancel lives, SIGINT requests the cancel of its job, which then
// ends at its next write like a run cancelled from the progress dialog. A second Ctrl+C ends the
// program at once, as it would without the handler.
#include <csignal>

#include "calc/LongJob.h"

namespace kelmora::cli {

class CSignalCancel {
public:
    // Installs the SIGINT handler for `job`. Guards nest: the innermost one's job is cancelled, and
    // each restores what was there before it.
    explicit CSignalCancel(CLongJob& job);
    ~CSignalCancel();
    CSignalCancel(const CSignalCancel&) = delete;
    CSignalCancel& operator=(const CSignalCancel&) = delete;

    // True once a SIGINT arrived while this guard was installed.
    bool interrupted() const;

private:
    struct sigaction previousAction_ {};
    CLongJob* previousJob_;
    int previousCount_;
};

}  // namespace kelmora::cli
