#include "cli/CliRunHost.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <csignal>

#include "calc/LongJobTexts.h"
#include "calc/ProgressLine.h"
#include "cli/SignalCancel.h"

namespace kelmora::cli {
namespace {

// Redraws of the terminal line closer together than this are skipped (except the last item's), so
// that a run of many quick points does not spend its time on the terminal.
constexpr double kRedrawInterval = 0.1;  // s

// Back to the start of the line, and erase to its end after the text.
constexpr const char* kLineStart = "\r";
constexpr const char* kEraseToEnd = "\x1b[K";

}  // namespace

CliStreams ProcessStreams() {
    return {stdout, stderr, isatty(fileno(stderr)) != 0, {}};
}

void AddRunChoiceOptions(CLI::App& command, CliRunChoices& choices) {
    command.add_option_function<std::string>(
        "--breakdown", [&choices](const std::string& path) { choices.breakdownFile = path; },
        "calculation breakdown CSV file (none when absent)");
    command.add_option_function<std::string>(
        "--laeq", [&choices](const std::string& path) { choices.averageFile = path; },
        "LAeqT result file (none when absent)");
    command.add_option_function<std::string>(
        "--lamax", [&choices](const std::string& path) { choices.maximumFile = path; },
        "LAmax result file (none when absent)");
    command.add_flag("--matrix", choices.matrix, "write grid results in matrix form instead of X Y Z");
    command.add_flag("--quiet", choices.quiet, "no progress on stderr");
}

int RunJobFromCommandLine(CLongJob& job, const CliRunChoices& choices, CliStreams streams) {
    CCliRunHost host(choices, std::move(streams));
    int signal = 0;
    {
        const CSignalCancel interrupts(job);
        job.RunHere(host);
        signal = interrupts.signal();
    }
    const int status = host.Finish(job);
    // A run ended by termination says so as a program killed by the signal would.
    return status == ExitStatusFor(kJobCancelled) && signal == SIGTERM ? 128 + SIGTERM : status;
}

int ExitStatusFor(int endCode) {
    if (endCode == kJobNormalEnd) return 0;
    if (endCode == kJobCancelled) return 130;
    return 1;
}

CCliRunHost::CCliRunHost(CliRunChoices choices, CliStreams streams)
    : choices_(std::move(choices)), streams_(std::move(streams)) {}

std::optional<std::string> CCliRunHost::ChooseOutputFile(const FileRequest& request) {
    switch (request.file) {
        case OutputFile::Breakdown:
            return choices_.breakdownFile;
        case OutputFile::AverageResult:
            return choices_.averageFile;
        case OutputFile::MaximumResult:
            return choices_.maximumFile;
    }
    return std::nullopt;
}

bool CCliRunHost::AskXyzForm(OutputFile, std::string_view) {
    return !choices_.matrix;
}

void CCliRunHost::ShowMessage(std::string_view text, MessageIcon icon) {
    std::lock_guard lock(mutex_);
    ClearProgressLine();
    std::FILE* stream = icon == MessageIcon::kInformation ? streams_.out : streams_.err;
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void CCliRunHost::ReportProgress(int item, int itemCount) {
    if (choices_.quiet) return;
    std::lock_guard lock(mutex_);
    const double now = Now();
    if (!firstItemAt_) firstItemAt_ = now;
    if (!streams_.errIsTerminal) {
        std::fprintf(streams_.err, "%s\n", ProgressText(item, itemCount).c_str());
        std::fflush(streams_.err);
        return;
    }
    const bool lastItem = itemCount > 0 && item >= itemCount;
    if (lastDrawnAt_ && now - *lastDrawnAt_ < kRedrawInterval && !lastItem) return;
    lastDrawnAt_ = now;
    const std::string line = TerminalProgressLine(item, itemCount, now - *firstItemAt_);
    std::fprintf(streams_.err, "%s%s%s", kLineStart, line.c_str(), kEraseToEnd);
    std::fflush(streams_.err);
    lineShown_ = true;
}

void CCliRunHost::ReportEnd(int code) {
    std::lock_guard lock(mutex_);
    endCode_ = code;
    ClearProgressLine();
}

int CCliRunHost::endCode() const {
    std::lock_guard lock(mutex_);
    return endCode_;
}

int CCliRunHost::Finish(const CLongJob& job) {
    const int code = endCode();
    std::lock_guard lock(mutex_);
    ClearProgressLine();
    if (code == kJobCancelled) {
        std::fprintf(streams_.err, "%s\n", FinalMessageFor(code, "")->text.c_str());
    } else if (code != kJobNormalEnd) {
        std::string error = job.errorText();
        if (error.empty()) error = EndStatusText(code);
        // One line on the terminal: a text made for a message box ("…オープンエラー\n(FILE)") keeps
        // the file's name beside what went wrong.
        std::replace(error.begin(), error.end(), '\n', ' ');
        std::fprintf(streams_.err, "%s\n", error.c_str());
    }
    std::fflush(streams_.err);
    return ExitStatusFor(code);
}

double CCliRunHost::Now() const {
    if (streams_.secondsNow) return streams_.secondsNow();
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void CCliRunHost::ClearProgressLine() {
    if (!lineShown_) return;
    std::fprintf(streams_.err, "%s%s", kLineStart, kEraseToEnd);
    std::fflush(streams_.err);
    lineShown_ = false;
}

}  // namespace kelmora::cli
