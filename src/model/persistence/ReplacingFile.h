#pragma once
// A new version of a file, written beside it and put in its place only when complete, so that the
// previous version stays whole until the new one is on the disk, whatever fails or whoever kills the
// process meanwhile.
//
// The new bytes go to an unnamed temporary file in the target's folder (O_TMPFILE), which gets a name
// only when it is complete and is then renamed over the target: a process killed while writing leaves
// nothing behind. Where the file system has no unnamed files, the temporary file is named
// ".NAME.PID.RANDOM.tmp" from the start; leftovers of that form (or of a kill in the instant between
// naming and renaming) whose process no longer runs are removed by the next replacement of the same
// file.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace kelmora {

// The system calls that put a replacement in place, in one table so that a test can watch their order
// (the data must be synchronised before the file takes the target's place).
struct FileSystemCalls {
    int (*fsync)(int fd);
    int (*linkat)(int fromFolder, const char* from, int toFolder, const char* to, int flags);
    int (*rename)(const char* from, const char* to);
};

// The calls in use: the system's own unless a ScopedFileSystemCalls is alive.
const FileSystemCalls& ActiveFileSystemCalls();

// Puts `calls` in place of the system's own for its lifetime (tests only; not thread-safe).
class ScopedFileSystemCalls {
public:
    explicit ScopedFileSystemCalls(const FileSystemCalls& calls);
    ~ScopedFileSystemCalls();
    ScopedFileSystemCalls(const ScopedFileSystemCalls&) = delete;
    ScopedFileSystemCalls& operator=(const ScopedFileSystemCalls&) = delete;

private:
    FileSystemCalls previous_;
};

class CReplacingFile {
public:
    // Opens the temporary file for a new version of `path`; a symbolic link is followed and kept. The
    // file gets the permissions of the file it replaces, or those of a new file. A target that is a
    // device, a pipe or a socket (/dev/null, /dev/stdout) is opened and written directly instead. With
    // `mustBeWritable` an existing target that the user may not write is refused, as opening it for writing
    // would be. Throws std::system_error naming what failed.
    explicit CReplacingFile(const std::filesystem::path& path, bool mustBeWritable = false);
    // Discards the new version unless it was committed.
    ~CReplacingFile();
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Appends bytes; throws std::system_error (a full disk, say).
    void Write(std::span<const std::uint8_t> bytes);
    void Write(std::string_view bytes);
    // Synchronises the new version to the disk and puts it in the target's place. Throws
    // std::system_error after discarding it; the target is then unchanged.
    void Commit();
    // Removes the new version; the target is unchanged.
    void Discard() noexcept;

    // The file that is replaced (the target of a symbolic link).
    const std::filesystem::path& target() const { return target_; }

private:
    void NameTemporary();

    std::filesystem::path target_;
    std::filesystem::path named_;  // the temporary's name, once it has one
    int fd_ = -1;
    bool unnamed_ = false;
    bool direct_ = false;  // the target is a device or a pipe, written in place
};

// The file that an output named `path` replaces: `path` itself, or, when it is a symbolic link, the
// file at the end of its chain of links (which need not exist yet). Every output of the program writes
// through a link to its target and keeps the link.
std::filesystem::path ReplacedFile(const std::filesystem::path& path);

// The temporary-file leftovers of earlier replacements of `target` whose process no longer runs
// (removed when a replacement of `target` begins); exposed for tests.
void RemoveStaleTemporaries(const std::filesystem::path& target);

}  // namespace kelmora
