#pragma once
// CLongJob: a long calculation that runs on a worker thread while a user interface shows its
// progress and may ask it to stop. The job reports only through its CRunHost; the user interface
// reaches the job only through the cancel flag, which the job tests at every line it writes.
#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "calc/RunHost.h"

namespace kelmora {

// End codes of a job (reported to the host; 16-bit signed).
inline constexpr int kJobRunning = 1;
inline constexpr int kJobNormalEnd = 2;
inline constexpr int kJobCancelled = -1;
inline constexpr int kJobError = -2;
inline constexpr int kJobStartFailure = -3;

// The error text of a job that ran out of memory.
inline constexpr std::string_view kOutOfMemory = "メモリが足りません";

// Raised inside a job body when it notices the cancel request; the body unwinds and the job ends
// with kJobCancelled.
class JobCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

class CLongJob {
public:
    CLongJob() = default;
    // Requests a cancel and waits for a worker that is still running. An owner whose derived job
    // still runs must call Join() before its own members are destroyed.
    virtual ~CLongJob();
    CLongJob(const CLongJob&) = delete;
    CLongJob& operator=(const CLongJob&) = delete;

    // The job body. It reports progress with PostProgress and ends with PostEnd.
    virtual void Run() = 0;
    // Called by the user interface when the job has reported a cancel or an error.
    virtual void OnStopped() {}

    // Resets the run state (no cancel, no error, state running), binds the host and starts Run on a
    // worker thread. False when a run of this job is still going on or the thread cannot be started
    // (the state is then kJobStartFailure).
    bool Start(CRunHost& host);
    // The same run on the calling thread (the command line, tests).
    void RunHere(CRunHost& host);
    // Waits until the worker thread of the last Start has ended.
    void Join();

    // Reports the end: without a host nothing happens and false is returned. Without a cancel
    // request the state becomes `code`, which is reported, and true is returned; after a cancel
    // request kJobCancelled is reported instead and false is returned.
    bool PostEnd(int code);
    // Reports that item `item` (from 1) of `itemCount` is being processed.
    void PostProgress(int item, int itemCount) const;

    // Safe from any thread.
    void RequestCancel() { cancelRequested_.store(1, std::memory_order_relaxed); }
    bool cancelRequested() const {
        return cancelRequested_.load(std::memory_order_relaxed) != 0 &&
               !committing_.load(std::memory_order_relaxed);
    }
    // Raises JobCancelled when a cancel was requested.
    void ThrowIfCancelled() const;
    // From here on the job runs to its end: a cancel request is no longer heard, and PostEnd reports
    // the body's own end. A job calls this before it replaces the first of several output files, so
    // that a late interrupt cannot leave some replaced and others not, nor report a cancel of files
    // already written.
    void BeginCommit() { committing_.store(true, std::memory_order_relaxed); }

    // The text of the final error message.
    std::string errorText() const;
    void SetErrorText(std::string text);
    // Stores the text of a write failure unless such a text was stored before (`errorReported`), so
    // that the first failure is the one the user sees.
    void ReportWriteError(const std::string& text);
    bool errorReported() const;

    // The last reported end code, kJobRunning while running, 0 before the first run.
    int state() const { return state_.load(); }
    CRunHost* host() const { return host_; }

private:
    void Prepare(CRunHost& host);
    // The thread procedure: runs the body; a body that lets an exception escape still reports its
    // end (kJobCancelled for JobCancelled, otherwise kJobError with the exception's text, or
    // "メモリが足りません" when memory ran out).
    void Execute();

    CRunHost* host_ = nullptr;
    std::atomic<std::int16_t> state_{0};
    std::atomic<std::int32_t> cancelRequested_{0};
    std::atomic<bool> committing_{false};
    mutable std::mutex errorMutex_;
    bool errorReported_ = false;
    std::string errorText_;
    std::thread worker_;
};

}  // namespace kelmora
