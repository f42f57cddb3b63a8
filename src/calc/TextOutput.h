#pragma once
// The text files of a run (calculation breakdown, result files): Japanese Windows text, that is
// CP932 with CR LF line ends. Text is composed in UTF-8, encoded once, and handed to a sink: a file
// written through a buffer, or a memory buffer that holds one prediction point's breakdown until it
// can be written in point order.
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelmora {

class CLongJob;

// The error text of a failed write to a run's text file.
inline constexpr std::string_view kTextFileWriteFailed = "テキストファイル出力失敗!";

// Raised when a run's text file cannot be written; the job's error text says so.
class TextFileWriteError : public std::runtime_error {
public:
    TextFileWriteError() : std::runtime_error(std::string(kTextFileWriteFailed)) {}
};

// Appends UTF-8 `text` to `out` as the bytes of a text-mode file: CP932, each "\n" written as
// "\r\n", a character that CP932 cannot encode as "?".
void AppendTextFileBytes(std::string& out, std::string_view text);

// Where encoded text goes.
class CTextSink {
public:
    virtual ~CTextSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

// Encoded text kept in memory.
class CTextBuffer : public CTextSink {
public:
    void Write(std::string_view bytes) override { bytes_.append(bytes); }
    const std::string& bytes() const { return bytes_; }
    void clear() { bytes_.clear(); }

private:
    std::string bytes_;
};

// A file created (or truncated) for a run and written through a buffer. A failing write or close
// stores "テキストファイル出力失敗!" as the job's error text (unless a write error was stored before)
// and raises TextFileWriteError; what was written before stays in the file.
class CTextFile : public CTextSink {
public:
    // Opens `path` (UTF-8) for writing; null when it cannot be opened. `job` (may be null) receives
    // the error text of a failed write.
    static std::unique_ptr<CTextFile> Create(const std::string& path, CLongJob* job);
    ~CTextFile() override;
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;

    void Write(std::string_view bytes) override;
    // Writes out the buffer and closes the file; raises like Write. Further writes fail.
    void Close();

private:
    CTextFile(std::FILE* file, CLongJob* job);
    [[noreturn]] void Fail();

    std::FILE* file_;
    CLongJob* job_;
};

}  // namespace kelmora
