#pragma once
// CRunHost: everything a running job needs from a user interface — file choices, the result form
// question, messages, progress and the end — behind one small interface. The desktop program
// answers with its dialogs and posts progress and end to its window; the command line answers from
// its arguments. A job never touches a user interface in any other way.
#include <optional>
#include <string>
#include <string_view>

#include "model/UserMessage.h"

namespace kelmora {

// The text files a prediction run offers, in the order it offers them.
enum class OutputFile {
    Breakdown,      // calculation breakdown (CSV)
    AverageResult,  // LAeqT result file
    MaximumResult,  // LAmax result file
};

// What the save dialog for one output file shows.
struct FileRequest {
    OutputFile file;
    std::string_view title;
    std::string_view filter;            // "description|pattern||"
    std::string_view defaultExtension;  // without the dot
};

// The save dialog of each output file.
const FileRequest& FileRequestFor(OutputFile file);

struct BreakdownSizeWarning;

class CRunHost {
public:
    virtual ~CRunHost() = default;

    // A save dialog with overwrite confirmation. The chosen path (UTF-8), or empty when the user
    // cancels: the file is then skipped.
    virtual std::optional<std::string> ChooseOutputFile(const FileRequest& request) = 0;
    // The Yes/No question (question icon) whether the grid result `file` is written in X Y Z form;
    // No means the matrix form.
    virtual bool AskXyzForm(OutputFile file, std::string_view question) = 0;
    // A message box, returning when the user has closed it.
    virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;
    // Whether the host asks before a large breakdown is written: the run then estimates the size of a
    // breakdown chosen (which costs the computation of a few points) and asks KeepLargeBreakdown when
    // it is over a gigabyte or over the space of its disk. A host that cannot ask keeps what was asked
    // for, without the estimate.
    virtual bool AsksAboutLargeBreakdowns() const { return false; }
    // True to write the large breakdown all the same, false to run without it.
    virtual bool KeepLargeBreakdown(const BreakdownSizeWarning&) { return true; }

    // Called from the job's thread: item `item` (from 1) of `itemCount` is being processed. A host
    // with a window posts it to its own thread.
    virtual void ReportProgress(int item, int itemCount) = 0;
    // Called from the job's thread with the job's end code (LongJob.h); the last call of a run.
    virtual void ReportEnd(int code) = 0;
};

}  // namespace kelmora
