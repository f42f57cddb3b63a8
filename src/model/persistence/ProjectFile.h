#pragma once
// The project file: a format version word, one record per plan window and the site model, as one
// flat binary archive without magic number or tags. Document backups use the same layout.
//
// Reading never builds a partial project: any failure throws before anything is handed out.
// Saving never destroys the previous file: the new bytes go to a temporary file beside it, which
// replaces the old file only after it has been written completely and flushed to the disk.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/Noise.h"
#include "model/ViewRecord.h"
#include "model/persistence/Archive.h"

namespace kelmora {

// The version word this program writes into new projects. No record depends on it.
inline constexpr std::int32_t kCurrentFileVersion = 0;

inline constexpr const char* kOpenDocumentFailed = "ドキュメントを開くことに失敗しました。";
inline constexpr const char* kSaveDocumentFailed = "ドキュメントの保存に失敗しました。";

// Everything a project file holds.
struct ProjectDocument {
    // Written as read, so that a file read and saved again keeps its bytes; a document saved by the
    // desktop program carries kCurrentFileVersion.
    std::int32_t formatVersion = kCurrentFileVersion;
    std::vector<ViewRecord> viewRecords;  // one per plan window, in the document's window order
    CNoise model;

    friend bool operator==(const ProjectDocument&, const ProjectDocument&) = default;
};

// A project as a new document saves it at once: one window without a picture, an empty model.
ProjectDocument NewProjectDocument();

// A file that could not be opened, read or written. what() is the message shown to the user;
// reason() says what the system reported (for logs and the command line), possibly empty.
class ProjectFileError : public std::runtime_error {
public:
    ProjectFileError(const char* message, std::string reason);
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

// Transfers the whole project in the archive's direction. Loading clears the window records and the
// model's lists first.
void SerializeProject(CArchive& ar, ProjectDocument& doc);

// Reads a project from the bytes of a file. Throws ArchiveError ("予期しないファイル形式です。") when
// the bytes end early or hold an undecodable length or count. Bytes after the site model record are
// ignored, as the desktop program always has: such a file opens, and saving it again drops them.
// usedBytes, when given, receives the number of bytes the project occupies.
ProjectDocument ReadProject(std::span<const std::uint8_t> bytes, std::size_t* usedBytes = nullptr);

// The bytes of the project file. Strings are always written as UTF-16 with the shortest length
// prefix, so a file that held single-byte strings or longer prefixes is rewritten in that form.
std::vector<std::uint8_t> WriteProject(const ProjectDocument& doc);

// Reads a project file. Throws ProjectFileError ("ドキュメントを開くことに失敗しました。") when the
// file cannot be read — also when it is no regular file (a FIFO, a device, a folder; refused without
// waiting) or larger than any project — and ArchiveError when its content is damaged.
ProjectDocument ReadProjectFile(const std::filesystem::path& path);

// Saves the project to `path` through a temporary file in the same folder that is flushed to the disk
// and then renamed over the old file (ReplacingFile.h); a symbolic link is followed and kept. On any
// failure the old file is left as it was, the temporary file is removed, and ProjectFileError
// ("ドキュメントの保存に失敗しました。") is thrown. A save killed midway leaves no file behind.
void SaveProjectFile(const std::filesystem::path& path, const ProjectDocument& doc);
// The same for bytes that are already encoded.
void SaveFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace kelmora
