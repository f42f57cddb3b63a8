#pragma once
// The texts with which a user interface shows a job's progress and end, shared by the progress
// dialog and the command line.
#include <optional>
#include <string>
#include <string_view>

#include "calc/RunHost.h"

namespace kelmora {

// "%d / %d 処理中" with (item, itemCount), or "処理中(%d)" with the item when the count is unknown (≤ 0).
std::string ProgressText(int item, int itemCount);

// The status line once the job has ended with `code`: "キャンセル", "終了" or "エラー発生".
std::string_view EndStatusText(int code);

struct FinalMessage {
    std::string text;
    MessageIcon icon;
};

// The message box that closes a run with result `result` (an end code, 0 for a job that ended
// without a valid code); none for the other positive values.
std::optional<FinalMessage> FinalMessageFor(int result, std::string_view errorText);

}  // namespace kelmora
