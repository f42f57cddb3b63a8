#pragma once
// The run host of kelmora-calc: answers a prediction run's questions from the command line's choices
// and shows its messages and progress on the terminal.
//
// A file that was not given on the command line counts as a cancelled file dialog (the file is not
// written); the X Y Z question is answered from --matrix. Messages go to stdout (warnings and errors
// to stderr). Progress goes to stderr: on a terminal one line redrawn in place with a bar and an
// estimate of the time left, otherwise one plain "%d / %d 処理中" line per item; nothing when quiet.
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "calc/LongJob.h"
#include "calc/RunHost.h"

namespace CLI {
class App;
}

namespace kelmora::cli {

struct CliRunChoices {
    std::optional<std::string> breakdownFile;  // --breakdown
    std::optional<std::string> averageFile;    // --laeq
    std::optional<std::string> maximumFile;    // --lamax
    bool matrix = false;                       // --matrix: grids in matrix form
    bool quiet = false;                        // --quiet: no progress
};

// Where the host writes. The defaults are the process's own streams.
struct CliStreams {
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool errIsTerminal = false;
    std::function<double()> secondsNow;  // a monotonic clock [s]; empty: the steady clock
};

// The streams of the process, with errIsTerminal from isatty(stderr).
CliStreams ProcessStreams();

// Registers --breakdown FILE, --laeq FILE, --lamax FILE, --matrix and --quiet on a command; the
// parsed values land in `choices`, which must outlive the parse.
void AddRunChoiceOptions(CLI::App& command, CliRunChoices& choices);

// The exit status of kelmora-calc for a job's end code: 0 for a normal end, 130 for a cancel (as
// for a program ended by Ctrl+C), 1 for anything else.
int ExitStatusFor(int endCode);

class CCliRunHost : public CRunHost {
public:
    CCliRunHost(CliRunChoices choices, CliStreams streams);

    std::optional<std::string> ChooseOutputFile(const FileRequest& request) override;
    bool AskXyzForm(OutputFile file, std::string_view question) override;
    void ShowMessage(std::string_view text, MessageIcon icon) override;
    void ReportProgress(int item, int itemCount) override;
    void ReportEnd(int code) override;

    // The last end code reported, 0 before any.
    int endCode() const;

    // Closes the run for the command: an error end prints the job's error text on stderr (on one line),
    // a cancel "キャンセルしました."; returns the exit status.
    int Finish(const CLongJob& job);

private:
    double Now() const;
    // Removes a progress line standing on the terminal. The mutex is held.
    void ClearProgressLine();

    const CliRunChoices choices_;
    const CliStreams streams_;
    mutable std::mutex mutex_;
    int endCode_ = 0;
    bool lineShown_ = false;
    std::optional<double> firstItemAt_;  // s, when item 1 (or the first item reported) began
    std::optional<double> lastDrawnAt_;  // s
};

// Runs `job` on the calling thread as kelmora-calc does: the host answers from `choices` and writes to
// `streams`, Ctrl+C and SIGTERM request the job's cancel, and the end is reported (Finish). Returns the
// exit status (143 for a run cancelled by SIGTERM).
int RunJobFromCommandLine(CLongJob& job, const CliRunChoices& choices, CliStreams streams = ProcessStreams());

}  // namespace kelmora::cli
