#pragma once
// The invariants the soak checks after its steps, as plain functions over the program's documents.
#include <filesystem>
#include <optional>
#include <string>

#include "model/Noise.h"
#include "model/ProjectExtras.h"
#include "model/persistence/ProjectFile.h"
#include "view/EditState.h"

namespace kelmora {
class KelmoraDocument;
}

namespace kelmora::soak {

// The model as the project's JSON prints it (what a project file stores of it, nothing of a run).
std::string ModelDump(const CNoise& model);
// The whole project (model and window records) as its JSON prints it.
std::string ProjectDump(const ProjectDocument& project);

// The first item of the model that its editor would refuse to store, described; none when every
// ground line, wall, exterior wall, roof, room, opening, source and the prediction settings pass the
// checks the editors make before they store an item.
std::optional<std::string> ModelIssue(const CNoise& model);
// The same for a working copy while a chain is open: the items that the chain's open editors are
// working on (the current ground line, building or outdoor source and everything in it, and the
// prediction settings in the prediction dialog) may be anything; every other item must pass.
std::optional<std::string> WorkingCopyIssue(const CNoise& workingCopy, const EditState& edit);

// The document written as its project file and extension file and read back: what differs (model,
// windows or extras), or the error of the write or the read; none when it comes back equal. In memory,
// or through the files at `path` when one is given (the program's own save and open).
std::optional<std::string> RoundTripIssue(const KelmoraDocument& document,
                                          const std::filesystem::path& path = {});

}  // namespace kelmora::soak
