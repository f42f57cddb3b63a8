#include "model/persistence/ProjectFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

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

std::string SystemReason(int error, const fs::path& path) {
    return path.string() + ": " + std::system_category().message(error);
}

// Closes a descriptor on every way out; Release() hands the closing to the caller.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

}  // namespace

ProjectDocument ReadProjectFile(const fs::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) throw ProjectFileError(kOpenDocumentFailed, SystemReason(errno, path));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw ProjectFileError(kOpenDocumentFailed, SystemReason(errno, path));
    if (!S_ISREG(st.st_mode)) throw ProjectFileError(kOpenDocumentFailed, SystemReason(EISDIR, path));
    // The size is only a hint: the file is read to its end whatever fstat said.
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    std::uint8_t buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw ProjectFileError(kOpenDocumentFailed, SystemReason(errno, path));
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
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
