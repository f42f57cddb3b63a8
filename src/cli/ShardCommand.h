#pragma once
// `kelmora-calc run PROJECT --shard K/N --part FILE [--with-breakdown] [--threads N] [--quiet]`: block K
// of N of the points of a list or a grid, computed as the whole run computes them, into a part file
// that `kelmora-calc merge` turns, with the parts of the other blocks, into the files of the whole
// run. Any batch scheduler's job array can run the blocks: one array task per block.
#include <optional>
#include <string>
#include <string_view>

#include "cli/CliRunHost.h"

namespace CLI {
class App;
}

namespace kelmora::cli {

struct ShardChoices {
    bool requested = false;  // --shard was given, even empty (an unset variable in a job script)
    std::string shard;       // "K/N"
    std::string part;        // the part file to write
    bool withBreakdown = false;
};

struct ShardNumber {
    int shard = 0;
    int shardCount = 0;
};

// "K/N" with 1 ≤ K ≤ N ≤ the largest split; nothing for anything else.
std::optional<ShardNumber> ParseShardNumber(std::string_view text);

// Registers --shard, --part and --with-breakdown on the run command.
void AddShardOptions(CLI::App& run, ShardChoices& choices);

bool ShardRequested(const ShardChoices& choices);

// Computes the block into its part. The files of the whole run are merge's to write: --breakdown,
// --laeq, --lamax and --matrix are refused here. Exit status as for a run.
int RunShard(const std::string& project, const ShardChoices& shard, const CliRunChoices& run, int threads);

}  // namespace kelmora::cli
