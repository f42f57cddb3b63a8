#include "model/persistence/ProjectFile.h"

#include <system_error>
#include <utility>

#include "model/persistence/InputFile.h"
#include "model/persistence/ReplacingFile.h"

namespace kelmora {

namespace fs = std::filesystem;

ProjectFileError::ProjectFileError(const char* message, std::string reason)
    : std::runtime_error(message), reason_(std::move(reason)) {}

ProjectDocument NewProjectDocument() {
    ProjectDocument doc;
    doc.viewRecords.resize(1);
    return doc;
}

void SerializeProject(CArchive& ar, ProjectDocument& doc) {
    ar.Io(doc.formatVersion);
    SerializeList(ar, doc.viewRecords, ViewRecord::kMinArchiveBytes);
    doc.model.Serialize(ar);
}

ProjectDocument ReadProject(std::span<const std::uint8_t> bytes, std::size_t* usedBytes) {
    CArchive in(bytes.data(), bytes.size());
    ProjectDocument doc;
    SerializeProject(in, doc);
    if (usedBytes) *usedBytes = bytes.size() - in.BytesLeft();
    return doc;
}

std::vector<std::uint8_t> WriteProject(const ProjectDocument& doc) {
    CArchive out;
    // Storing only reads the document; the archive's one transfer function takes it mutable.
    SerializeProject(out, const_cast<ProjectDocument&>(doc));
    return out.Bytes();
}

namespace {

// Far beyond any project (its point lists included), short of what memory holds.
constexpr std::uint64_t kMaxProjectFileBytes = std::uint64_t{1} << 30;

}  // namespace

ProjectDocument ReadProjectFile(const fs::path& path) {
    // Only a regular file is read: a FIFO would block, a device never end.
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadRegularFile(path, kMaxProjectFileBytes);
    } catch (const InputFileError& e) {
        throw ProjectFileError(kOpenDocumentFailed, e.what());
    }
    return ReadProject(bytes);
}

void SaveFileBytes(const fs::path& path, std::span<const std::uint8_t> bytes) {
    try {
        CReplacingFile file(path);
        file.Write(bytes);
        file.Commit();
    } catch (const std::system_error& e) {
        throw ProjectFileError(kSaveDocumentFailed, e.what());
    }
}

void SaveProjectFile(const fs::path& path, const ProjectDocument& doc) {
    SaveFileBytes(path, WriteProject(doc));
}

}  // namespace kelmora
