#pragma once
// The files of the desktop program's session in its data folder: the settings file "Kelmora.dat",
// which remembers the main window's place and how many documents were open, and one backup
// "DOC<k>.asj<t>" per open document, written when the main window closes and reopened at the next
// start so that the user finds the same documents, windows, zooms and pictures again.
//
// Settings file layout (the project file's archive: little-endian int32, counted UTF-16 strings):
//   string "Kelmora", int32 file version, int32 left, top, right, bottom of the main window's normal
//   rectangle, int32 number of document kinds, then one int32 document count per kind.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/ProjectExtras.h"
#include "model/ViewRecord.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora {

inline constexpr const char* kSettingsFileName = "Kelmora.dat";
inline constexpr const char* kSettingsIdentification = "Kelmora";  // compared case-sensitively
// Settings written by a later program (a higher version word) are ignored.
inline constexpr std::int32_t kNewestSettingsVersion = 10000;

// The settings object of the program.
struct MainSettings {
    std::int32_t fileVersion = 0;        // written into the settings file
    std::int32_t loadedFileVersion = 1;  // read from the last settings file
    FrameRect mainWindow;                // the main window's normal rectangle; right and bottom exclusive
    // Per document kind, how many documents were open; the program has one kind.
    std::vector<std::int32_t> documentsPerTemplate;

    friend bool operator==(const MainSettings&, const MainSettings&) = default;
};

std::vector<std::uint8_t> WriteSettings(const MainSettings& settings);
// The settings of a file's bytes; none when the identification differs, the version is newer than
// this program reads or the bytes are damaged (then nothing of the file counts).
std::optional<MainSettings> ReadSettings(std::span<const std::uint8_t> bytes);

// "DOC<k>.asj<t>": the backup of the k-th open document (from 1) of document kind t (from 1).
std::string BackupFileName(int document, int kind = 1);

// What the session writes at close.
struct SessionSnapshot {
    FrameRect mainWindow;
    std::vector<ProjectDocument> documents;  // the open documents in order, one kind
    // Their extras, in the same order (missing entries are empty): each backup gets its extension file
    // beside it, as a project does.
    std::vector<ProjectExtras> extras;
};

struct SessionWriteResult {
    bool settingsWritten = false;
    std::vector<int> failedBackups;  // numbers k of the backups that could not be written (and were deleted)
};

// Writes the settings file into `dataFolder`, then — only when that worked — one backup per document,
// each with its extension file (an old one is removed when the document has no extras).
// A backup that cannot be written is deleted and skipped; the settings still count it. Backups with
// higher numbers from earlier sessions are left alone.
SessionWriteResult WriteSession(const std::filesystem::path& dataFolder, const SessionSnapshot& session);

// The backups to reopen at start: those the settings file of `dataFolder` counts, in order; none when
// the settings file is missing or ignored. The settings read are returned through `settings`.
std::vector<std::filesystem::path> BackupsToRestore(const std::filesystem::path& dataFolder,
                                                    MainSettings* settings = nullptr);

}  // namespace kelmora
