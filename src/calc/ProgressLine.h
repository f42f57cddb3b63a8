#pragma once
// The progress line of a run on a text terminal: the progress text "%d / %d 処理中" followed by a bar,
// the share done and an estimate of the time left.
#include <optional>
#include <string>

namespace kelmora {

// "[####----------------]": `width` cells of which the share done/total (rounded down) is filled.
std::string ProgressBar(int done, int total, int width);

// The time left if the remaining items take as long as the finished ones did: elapsed × (total −
// done) / done [s]; none before the first item is done.
std::optional<double> RemainingSeconds(int done, int total, double elapsedSeconds);

// "残り約 m:ss", or "残り約 h:mm:ss" from an hour on, with the seconds rounded up.
std::string RemainingTimeText(double seconds);

// The line for item `item` (from 1) of `itemCount` being processed, `elapsedSeconds` after item 1
// began: "12 / 100 処理中 [##------------------]  11% 残り約 0:42". Items before `item` count as done.
// Without a known count (≤ 0) only "処理中(%d)".
std::string TerminalProgressLine(int item, int itemCount, double elapsedSeconds);

}  // namespace kelmora
