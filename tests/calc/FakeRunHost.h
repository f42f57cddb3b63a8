#pragma once
// A scripted CRunHost for tests: answers the file dialogs and the form question from its fields and
// records every call. Safe to use from a job's worker thread.
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "calc/LongJob.h"
#include "calc/RunHost.h"

namespace kelmora {

class FakeRunHost : public CRunHost {
public:
    // Answers: the path chosen for each file (absent: the dialog is cancelled) and the answer to
    // the X Y Z question.
    std::map<OutputFile, std::string> chosenFiles;
    bool answerXyz = true;

    // Records.
    std::vector<OutputFile> requestedFiles;
    std::vector<std::string> requestTitles;
    std::vector<OutputFile> askedForms;
    std::vector<std::pair<std::string, MessageIcon>> messages;
    std::vector<std::pair<int, int>> progress;
    std::vector<int> ends;

    std::optional<std::string> ChooseOutputFile(const FileRequest& request) override {
        std::lock_guard lock(mutex_);
        requestedFiles.push_back(request.file);
        requestTitles.emplace_back(request.title);
        const auto it = chosenFiles.find(request.file);
        if (it == chosenFiles.end()) return std::nullopt;
        return it->second;
    }
    bool AskXyzForm(OutputFile file, std::string_view) override {
        std::lock_guard lock(mutex_);
        askedForms.push_back(file);
        return answerXyz;
    }
    void ShowMessage(std::string_view text, MessageIcon icon) override {
        std::lock_guard lock(mutex_);
        messages.emplace_back(std::string(text), icon);
    }
    void ReportProgress(int item, int itemCount) override {
        std::lock_guard lock(mutex_);
        progress.emplace_back(item, itemCount);
    }
    void ReportEnd(int code) override {
        {
            std::lock_guard lock(mutex_);
            ends.push_back(code);
        }
        ended_.notify_all();
    }

    // Waits (at most a few seconds) for the end report; the code, or empty on timeout.
    std::optional<int> WaitForEnd() {
        std::unique_lock lock(mutex_);
        if (!ended_.wait_for(lock, std::chrono::seconds(10), [&] { return !ends.empty(); }))
            return std::nullopt;
        return ends.back();
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
};

// A job with an empty body, for the pieces of a run that need a job's cancel flag and error text.
class IdleJob : public CLongJob {
public:
    void Run() override {}
};

// Cancels the job when the run (or a block of it) turns to item `at`.
class CancellingHost : public FakeRunHost {
public:
    CancellingHost(CLongJob& job, int at) : job_(job), at_(at) {}
    void ReportProgress(int item, int itemCount) override {
        FakeRunHost::ReportProgress(item, itemCount);
        if (item == at_) job_.RequestCancel();
    }

private:
    CLongJob& job_;
    int at_;
};

}  // namespace kelmora
