#include "model/persistence/InputFileStream.h"

#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace kelmora {

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

}  // namespace

CInputFileStream::Buffer::Buffer(RegularFile opened) : file(std::move(opened)), bytes_(kBufferBytes) {
    Drop();
}

CInputFileStream::Buffer::int_type CInputFileStream::Buffer::underflow() {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    const std::size_t n = file.Read(bytes_.data(), bytes_.size());
    setg(bytes_.data(), bytes_.data(), bytes_.data() + n);
    return n == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
}

CInputFileStream::CInputFileStream(RegularFile file) : std::istream(nullptr), buffer_(std::move(file)) {
    rdbuf(&buffer_);
    // The file's own error, raised by the buffer, passes through the stream's reads.
    exceptions(std::ios::badbit);
}

void CInputFileStream::Rewind() {
    if (::lseek(buffer_.file.fd(), 0, SEEK_SET) != 0)
        throw InputFileError(buffer_.file.path(), std::system_category().message(errno));
    buffer_.Drop();
    clear();
}

}  // namespace kelmora
