#pragma once
// What kelmora-calc prints after a run besides its files: the single point's LAmax (its LAeqT was
// shown as the program's message), or, for a list or a grid written to no result file, the levels of
// the points as a table.
#include "cli/CliRunHost.h"
#include "model/CalcInfo.h"
#include "model/LevelLimits.h"

namespace kelmora::cli {

// Prints on stdout and flushes; false (after a message on stderr) when stdout cannot be written. With
// `limits` (may be null) a list or grid is printed whatever files were written, each line followed by
// the exceedances of LAeqT and LAmax ("-" without a limit), and the single point's line by its own.
bool PrintPointLevels(const CCalcInfo& calcInfo, const CliRunChoices& choices,
                      const LevelLimits* limits = nullptr);

}  // namespace kelmora::cli
