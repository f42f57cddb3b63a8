#pragma once
// The extension file of a project: "<project file>.kelx" beside it, a UTF-8 JSON object holding the
// project's ProjectExtras. The project file keeps its exact format; this file carries what it has no
// room for. A project without extras has no extension file (an old one left beside it is removed when
// the project is saved).
//
//   {
//     "format": "kelmora-extension",
//     "version": 1,
//     "coordinates": {"epsg": 6677, "origin": [-12000.0, 35000.0]},
//     "limits": [{"scope": "prefix", "text": "B", "laeq": 60.0, "lamax": 70.0}],
//     "scenarios": [{"name": "...", "adjustments": [{"source": "...", "on": false, "gainDb": 0.0}]}],
//     "map": {"scheme": "standard", "lowestClassDb": 35.0, ...},
//     "backupOf": "/home/user/site/factory.kel",
//     "windows": {"maximized": [0]}
//   }
//
// Every section is optional. Sections this program does not know are kept and written back; a file of
// another format or of a later version number is refused, as is a value of the wrong kind or a
// non-finite number.
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/ProjectExtras.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora {

inline constexpr const char* kExtensionSuffix = ".kelx";
inline constexpr const char* kExtensionFormat = "kelmora-extension";
inline constexpr int kExtensionVersion = 1;
// An extension file holds a few settings; anything larger is not one.
inline constexpr std::uint64_t kMaxExtensionBytes = 64ull << 20;

// An extension file that cannot be read. what() names the file (when read from one) and the problem.
class ExtensionFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "<project>.kelx": the extension file of the project file at `project` (the name as given, so that a
// project reached through a symbolic link keeps its extension beside the link).
std::filesystem::path ExtensionFilePath(const std::filesystem::path& project);

// The JSON text of the extras (two-space indentation, ending with a newline).
std::string WriteExtensionText(const ProjectExtras& extras);
// Throws ExtensionFileError.
ProjectExtras ReadExtensionText(std::string_view text);

// The extras beside the project file at `project`; empty extras when it has no extension file. Throws
// ExtensionFileError for one that cannot be read or is damaged.
ProjectExtras ReadExtensionFile(const std::filesystem::path& project);

// A project file with its extension file.
struct ProjectWithExtras {
    ProjectDocument project;
    ProjectExtras extras;
    // Why the extension file beside the project could not be read ("" when it could, or there is none):
    // the project opens without its extras, and the caller says so.
    std::string extrasProblem;
};

// Reads the project file as ReadProjectFile does (and throws as it does), then its extension file.
ProjectWithExtras ReadProjectWithExtras(const std::filesystem::path& project);

// Saves the project file and its extension file, each the safe way of SaveProjectFile: both new versions
// are written completely beside their targets before either replaces its file, so that a failure while
// writing leaves both old files as they were. With empty extras an extension file left beside the
// project is removed. Throws ProjectFileError ("ドキュメントの保存に失敗しました。").
void SaveProjectWithExtras(const std::filesystem::path& project, const ProjectDocument& doc,
                           const ProjectExtras& extras);

}  // namespace kelmora
