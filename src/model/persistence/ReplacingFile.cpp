#include "model/persistence/ReplacingFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

namespace kelmora {

namespace fs = std::filesystem;

namespace {

constexpr FileSystemCalls kSystemCalls{::fsync, ::linkat, ::rename};
FileSystemCalls activeCalls = kSystemCalls;

[[noreturn]] void Throw(int error, const fs::path& path) {
    throw std::system_error(error, std::system_category(), path.string());
}

fs::path FolderOf(const fs::path& target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// The start of the temporary names of `target`: ".NAME.".
std::string TemporaryPrefix(const fs::path& target) {
    std::string prefix = ".";
    prefix += target.filename().string();
    prefix += '.';
    return prefix;
}

// ".NAME.PID.RANDOM.tmp", RANDOM being 16 hexadecimal digits.
fs::path TemporaryName(const fs::path& target) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "%ld.%016llx.tmp", static_cast<long>(::getpid()),
                  static_cast<unsigned long long>(random()));
    std::string name = TemporaryPrefix(target);
    name += suffix;
    return FolderOf(target) / name;
}

// The process id in a temporary name of `target`, or 0 when the name has another form.
long OwnerOf(const std::string& name, const std::string& prefix) {
    constexpr std::string_view kEnd = ".tmp";
    constexpr std::size_t kRandomDigits = 16;
    if (name.size() < prefix.size() + kEnd.size() + kRandomDigits + 2) return 0;
    if (name.compare(0, prefix.size(), prefix) != 0 || !name.ends_with(kEnd)) return 0;
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - kEnd.size());
    const std::size_t dot = middle.find('.');
    if (dot == 0 || dot == std::string::npos || middle.size() - dot - 1 != kRandomDigits) return 0;
    long pid = 0;
    for (std::size_t i = 0; i < dot; ++i) {
        if (middle[i] < '0' || middle[i] > '9' || pid > 100000000) return 0;
        pid = 10 * pid + (middle[i] - '0');
    }
    for (std::size_t i = dot + 1; i < middle.size(); ++i) {
        const char c = middle[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return 0;
    }
    return pid;
}

// Unnamed files need the file system's support and /proc to give them a name later.
int OpenUnnamed(const fs::path& folder) {
#ifdef O_TMPFILE
    if (::access("/proc/self/fd", X_OK) != 0) return -1;
    return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
    (void)folder;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

// Flushes the folder's entry of the renamed file. Best effort: the new file is in place already.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

fs::path ReplacedFile(const fs::path& path) {
    // As the system resolves a path when it opens it: at most 40 links, each relative to its folder.
    constexpr int kMostLinks = 40;
    fs::path file = path;
    for (int hop = 0; hop < kMostLinks; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(file, ec)) return file;
        const fs::path next = fs::read_symlink(file, ec);
        if (ec) return file;
        file = next.is_absolute() ? next : FolderOf(file) / next;
    }
    return file;
}

const FileSystemCalls& ActiveFileSystemCalls() {
    return activeCalls;
}

ScopedFileSystemCalls::ScopedFileSystemCalls(const FileSystemCalls& calls) : previous_(activeCalls) {
    activeCalls = calls;
}

ScopedFileSystemCalls::~ScopedFileSystemCalls() {
    activeCalls = previous_;
}

void RemoveStaleTemporaries(const fs::path& target) {
    const std::string prefix = TemporaryPrefix(target);
    std::error_code ec;
    for (fs::directory_iterator it(FolderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
        const long pid = OwnerOf(it->path().filename().string(), prefix);
        if (pid <= 0 || pid == ::getpid()) continue;
        // Only a process that no longer exists is known not to be writing it.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        std::error_code ignored;
        if (it->is_regular_file(ignored)) fs::remove(it->path(), ignored);
    }
}

CReplacingFile::CReplacingFile(const fs::path& path, bool mustBeWritable) : target_(ReplacedFile(path)) {
    // An empty name (an unset variable in a script) names no file, not the current folder.
    if (target_.empty()) Throw(ENOENT, target_);
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) Throw(EISDIR, target_);
    if (exists && mustBeWritable && ::access(target_.c_str(), W_OK) != 0) Throw(errno, target_);
    if (exists && !S_ISREG(old.st_mode)) {
        // A device, a pipe or a socket is no file to replace: it is written directly.
        fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) Throw(errno, target_);
        direct_ = true;
        return;
    }
    RemoveStaleTemporaries(target_);

    const fs::path folder = FolderOf(target_);
    fd_ = OpenUnnamed(folder);
    unnamed_ = fd_ >= 0;
    for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
        named_ = TemporaryName(target_);
        fd_ = ::open(named_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) Throw(errno, target_);
    }
    if (fd_ < 0) {
        named_.clear();
        Throw(EEXIST, target_);
    }
    if (exists && S_ISREG(old.st_mode)) ::fchmod(fd_, old.st_mode & 07777);
}

CReplacingFile::~CReplacingFile() {
    Discard();
}

void CReplacingFile::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) Throw(EBADF, target_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Throw(errno, target_);
        }
        done += static_cast<std::size_t>(n);
    }
}

void CReplacingFile::Write(std::string_view bytes) {
    Write(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

void CReplacingFile::NameTemporary() {
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path name = TemporaryName(target_);
        if (activeCalls.linkat(AT_FDCWD, self, AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            named_ = name;
            return;
        }
        if (errno != EEXIST) Throw(errno, target_);
    }
    Throw(EEXIST, target_);
}

void CReplacingFile::Commit() {
    try {
        if (fd_ < 0) Throw(EBADF, target_);
        if (direct_) {
            const int fd = fd_;
            fd_ = -1;
            if (::close(fd) != 0) Throw(errno, target_);
            return;
        }
        // The data must be on the disk before the file takes the target's place, or a crash could
        // leave an empty file where the old one was.
        if (activeCalls.fsync(fd_) != 0) Throw(errno, target_);
        if (unnamed_) NameTemporary();
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) Throw(errno, target_);
        if (activeCalls.rename(named_.c_str(), target_.c_str()) != 0) Throw(errno, target_);
        named_.clear();
    } catch (...) {
        Discard();
        throw;
    }
    SyncFolder(FolderOf(target_));
}

void CReplacingFile::Discard() noexcept {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!named_.empty()) ::unlink(named_.c_str());
    named_.clear();
}

}  // namespace kelmora
