#pragma once
// Reading an input file the user named: a project, a cache, a part, a results file, a mapping. Only a
// regular file is read. A FIFO, a device, a socket or a folder is refused at once, without blocking in
// open() (a FIFO with no writer would wait for ever) and without reading an endless stream such as
// /dev/zero. A file larger than the reader's bound is refused before it is read, and the reading stops
// at the bound should the file grow meanwhile.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelmora {

// Why an input file could not be read. what() names the file and says why, in Japanese
// ("PATH: 通常のファイルではありません").
class InputFileError : public std::runtime_error {
public:
    InputFileError(const std::filesystem::path& path, const std::string& reason);
    const std::filesystem::path& path() const { return path_; }
    // Why, without the file's name.
    const std::string& reason() const { return reason_; }

private:
    std::filesystem::path path_;
    std::string reason_;
};

// An open regular file, closed with the object.
class RegularFile {
public:
    // Opens `path` for reading; throws InputFileError for a missing or unreadable file and for anything
    // that is not a regular file (checked on the descriptor opened without blocking).
    explicit RegularFile(const std::filesystem::path& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&&) = delete;

    int fd() const { return fd_; }
    // The size when it was opened [bytes].
    std::uint64_t size() const { return size_; }
    const std::filesystem::path& path() const { return path_; }

    // Reads up to `count` bytes at the current offset; fewer only at the end of the file. Throws
    // InputFileError on a read error.
    std::size_t Read(void* buffer, std::size_t count);
    // The rest of the file, refused (InputFileError) when it holds more than `maxBytes`.
    std::vector<std::uint8_t> ReadAll(std::uint64_t maxBytes);

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// The whole of a regular file of at most `maxBytes` bytes.
std::vector<std::uint8_t> ReadRegularFile(const std::filesystem::path& path, std::uint64_t maxBytes);

// The texts of the refusals, for tests and for callers that check before opening.
inline constexpr const char* kNotRegularFile = "通常のファイルではありません";
inline constexpr const char* kFileTooLarge = "ファイルが大きすぎます";

}  // namespace kelmora
