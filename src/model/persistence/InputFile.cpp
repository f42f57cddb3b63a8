#include "model/persistence/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace kelmora {

namespace fs = std::filesystem;

namespace {

std::string SystemText(int error) {
    return std::system_category().message(error);
}

}  // namespace

InputFileError::InputFileError(const fs::path& path, const std::string& reason)
    : std::runtime_error(path.string() + ": " + reason), path_(path), reason_(reason) {}

RegularFile::RegularFile(const fs::path& path) : path_(path) {
    // O_NONBLOCK: opening a FIFO without a writer returns at once instead of waiting for one.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) throw InputFileError(path, SystemText(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int error = errno;
        ::close(fd_);
        throw InputFileError(path, SystemText(error));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd_);
        throw InputFileError(path, kNotRegularFile);
    }
    // Reads of a regular file never block; the flag is cleared all the same.
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    size_ = static_cast<std::uint64_t>(st.st_size);
}

RegularFile::~RegularFile() {
    if (fd_ >= 0) ::close(fd_);
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

std::size_t RegularFile::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, out + done, count - done);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw InputFileError(path_, SystemText(errno));
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::vector<std::uint8_t> RegularFile::ReadAll(std::uint64_t maxBytes) {
    if (size_ > maxBytes) throw InputFileError(path_, kFileTooLarge);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(size_));
    std::uint8_t block[1 << 16];
    for (;;) {
        const std::size_t n = Read(block, sizeof block);
        if (n == 0) break;
        // The size is a hint only: a file that grows while it is read is still bounded.
        if (bytes.size() + n > maxBytes) throw InputFileError(path_, kFileTooLarge);
        bytes.insert(bytes.end(), block, block + n);
        if (n < sizeof block) break;
    }
    return bytes;
}

std::vector<std::uint8_t> ReadRegularFile(const fs::path& path, std::uint64_t maxBytes) {
    RegularFile file(path);
    return file.ReadAll(maxBytes);
}

}  // namespace kelmora
