#pragma once
// What the commands on results share: the limits kept beside a project, a run that keeps its transfers
// in a cache file, and the levels of a what-if scenario from those transfers.
#include <optional>
#include <string>

#include "calc/Transfers.h"
#include "cli/CliRunHost.h"
#include "model/LevelLimits.h"
#include "model/Noise.h"

namespace kelmora::cli {

// The limits in the extension file beside the project (none when it has none), or nothing after the
// reason it cannot be read has been printed on stderr.
std::optional<LevelLimits> ReadCommandLimits(const std::string& project);

// Runs `model` reusing the transfers of the cache file where they still hold (one that cannot be used
// is ignored with a warning), tells on stderr how many source–point pairs were computed and reused,
// and writes the run's transfers to the file; `store` keeps them. Returns the exit status.
int RunWithTransferCache(CNoise& model, const std::string& cache, int threads, const CliRunChoices& choices,
                         CTransferStore& store);

// `run PROJECT --cache FILE --scenario NAME`: the levels of the scenario from the transfers of the
// cache, written to the result files chosen and printed as a run prints them. Fails, with the reason,
// when the cache holds no transfers of the project as it is (a run with --cache makes them).
int RunScenario(const std::string& project, const std::string& cache, const std::string& name,
                const CliRunChoices& choices, bool limits);

}  // namespace kelmora::cli
