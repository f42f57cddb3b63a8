#include "calc/LongJob.h"

#include <new>
#include <system_error>

namespace kelmora {

CLongJob::~CLongJob() {
    if (worker_.joinable()) {
        RequestCancel();
        worker_.join();
    }
}

void CLongJob::Prepare(CRunHost& host) {
    host_ = &host;
    cancelRequested_.store(0);
    committing_.store(false);
    {
        std::lock_guard lock(errorMutex_);
        errorReported_ = false;
        errorText_.clear();
    }
    state_.store(kJobRunning);
}

bool CLongJob::Start(CRunHost& host) {
    if (worker_.joinable()) {
        if (state_.load() == kJobRunning) return false;
        worker_.join();  // the previous run has reported its end and is leaving its thread
    }
    Prepare(host);
    try {
        worker_ = std::thread([this] { Execute(); });
    } catch (const std::system_error&) {
        state_.store(kJobStartFailure);
        return false;
    }
    return true;
}

void CLongJob::RunHere(CRunHost& host) {
    Prepare(host);
    Execute();
}

void CLongJob::Join() {
    if (worker_.joinable()) worker_.join();
}

void CLongJob::Execute() {
    try {
        Run();
    } catch (const JobCancelled&) {
        PostEnd(kJobCancelled);
    } catch (const std::bad_alloc&) {
        if (errorText().empty()) SetErrorText(std::string(kOutOfMemory));
        PostEnd(kJobError);
    } catch (const std::exception& e) {
        if (errorText().empty()) SetErrorText(e.what());
        PostEnd(kJobError);
    } catch (...) {
        PostEnd(kJobError);
    }
}

bool CLongJob::PostEnd(int code) {
    if (host_ == nullptr) return false;
    if (!cancelRequested()) {
        state_.store(static_cast<std::int16_t>(code));
        host_->ReportEnd(state_.load());
        return true;
    }
    state_.store(kJobCancelled);
    host_->ReportEnd(kJobCancelled);
    return false;
}

void CLongJob::PostProgress(int item, int itemCount) const {
    if (host_ != nullptr) host_->ReportProgress(item, itemCount);
}

void CLongJob::ThrowIfCancelled() const {
    if (cancelRequested()) throw JobCancelled();
}

std::string CLongJob::errorText() const {
    std::lock_guard lock(errorMutex_);
    return errorText_;
}

void CLongJob::SetErrorText(std::string text) {
    std::lock_guard lock(errorMutex_);
    errorText_ = std::move(text);
}

void CLongJob::ReportWriteError(const std::string& text) {
    std::lock_guard lock(errorMutex_);
    if (errorReported_) return;
    errorReported_ = true;
    errorText_ = text;
}

bool CLongJob::errorReported() const {
    std::lock_guard lock(errorMutex_);
    return errorReported_;
}

}  // namespace kelmora
