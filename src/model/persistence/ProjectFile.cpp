#include "model/persistence/ProjectFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#include <utility>

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

namespace {

[[noreturn]] void SaveFailed(int error, const fs::path& path) {
    throw ProjectFileError(kSaveDocumentFailed, SystemReason(error, path));
}

// The file a save replaces: the target of a symbolic link, so that the link itself survives.
fs::path FileToReplace(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    fs::path target = fs::canonical(path, ec);
    return ec ? path : target;
}

// Creates a new, empty file beside `target` with a name no other file has, and opens it for writing.
// The permissions are those of the file being replaced, or the usual ones of a new file.
int CreateTemporaryBeside(const fs::path& target, fs::path& tempPath) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const fs::path folder = target.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
        tempPath = folder / ("." + target.filename().string() + suffix);
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat old {};
            if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
            return fd;
        }
        if (errno != EEXIST) SaveFailed(errno, target);
    }
    SaveFailed(EEXIST, target);
}

void WriteAll(int fd, std::span<const std::uint8_t> bytes, const fs::path& path) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            SaveFailed(errno, path);
        }
        done += static_cast<std::size_t>(n);
    }
}

// Flushes the folder's entry of the renamed file. Best effort: the new file is in place already.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

void SaveFileBytes(const fs::path& path, std::span<const std::uint8_t> bytes) {
    const fs::path target = FileToReplace(path);
    fs::path tempPath;
    FileDescriptor fd(CreateTemporaryBeside(target, tempPath));
    try {
        WriteAll(fd.get(), bytes, tempPath);
        // The data must be on the disk before the rename makes the file the project, or a crash
        // could leave an empty file where the old one was.
        if (::fsync(fd.get()) != 0) SaveFailed(errno, tempPath);
        if (::close(fd.Release()) != 0) SaveFailed(errno, tempPath);
        if (::rename(tempPath.c_str(), target.c_str()) != 0) SaveFailed(errno, target);
    } catch (...) {
        ::unlink(tempPath.c_str());
        throw;
    }
    SyncFolder(target.parent_path());
}

void SaveProjectFile(const fs::path& path, const ProjectDocument& doc) {
    SaveFileBytes(path, WriteProject(doc));
}

}  // namespace kelmora
