#pragma once
// A std::istream over an input file opened as a regular file (InputFile.h), for readers that take a
// stream. The stream keeps the file open: Rewind reads the same file again from its start, whatever
// became of its name meanwhile (renamed, removed or replaced by another file). A read error of the
// file is raised as its InputFileError, not taken for the end of the file.
#include <istream>
#include <streambuf>
#include <vector>

#include "model/persistence/InputFile.h"

namespace kelmora {

class CInputFileStream : public std::istream {
public:
    explicit CInputFileStream(RegularFile file);
    CInputFileStream(const CInputFileStream&) = delete;
    CInputFileStream& operator=(const CInputFileStream&) = delete;

    // Back to the first byte of the file, with the stream's state cleared.
    void Rewind();
    const RegularFile& file() const { return buffer_.file; }

private:
    class Buffer : public std::streambuf {
    public:
        explicit Buffer(RegularFile opened);
        // Forgets the bytes read ahead.
        void Drop() { setg(bytes_.data(), bytes_.data(), bytes_.data()); }
        RegularFile file;

    protected:
        int_type underflow() override;

    private:
        std::vector<char> bytes_;
    };

    Buffer buffer_;
};

}  // namespace kelmora
