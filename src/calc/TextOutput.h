#pragma once
// The text files of a run (calculation breakdown, result files): Japanese Windows text, that is
// CP932 with CR LF line ends. Text is composed in UTF-8, encoded once, and handed to a sink: a file
// written through a buffer, or a memory buffer that holds one prediction point's breakdown until it
// can be written in point order.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelmora {

class CLongJob;
class CReplacingFile;

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

// A file written for a run through a buffer. The text goes to a temporary file beside the target,
// which takes the target's place only when the file is closed: a file dropped without closing (an
// error, a cancel, an exception on its way through) is discarded, and a previous file of that name
// stays as it was. A failing write or close stores "テキストファイル出力失敗!" as the job's error text
// (unless a write error was stored before) and raises TextFileWriteError; the temporary file is then
// removed and the previous file kept likewise.
class CTextFile : public CTextSink {
public:
    // Opens a new version of `path` (UTF-8) for writing; null when it cannot be made (a missing folder,
    // a name taken by a folder, a file the user may not write). `job` (may be null) receives the error
    // text of a failed write.
    static std::unique_ptr<CTextFile> Create(const std::string& path, CLongJob* job);
    // Discards the new version unless it was closed.
    ~CTextFile() override;
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;

    void Write(std::string_view bytes) override;
    // Writes out the buffer and puts the file in its target's place; raises like Write. Further writes
    // fail.
    void Close();

private:
    CTextFile(std::unique_ptr<CReplacingFile> file, CLongJob* job);
    void Flush();
    [[noreturn]] void Fail();

    std::unique_ptr<CReplacingFile> file_;
    CLongJob* job_;
    std::string buffer_;
};

}  // namespace kelmora
