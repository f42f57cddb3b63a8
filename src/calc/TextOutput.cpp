#include "calc/TextOutput.h"

#include <system_error>
#include <unordered_map>
#include <utility>

#include "calc/LongJob.h"
#include "model/persistence/ReplacingFile.h"
#include "model/persistence/TextCodec.h"

namespace kelmora {
namespace {

constexpr std::size_t kFileBufferBytes = 1 << 16;

bool IsAscii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

// The CP932 bytes of a run of non-ASCII UTF-8 text. The same few Japanese words recur on every
// breakdown line, so each thread keeps the runs it has converted.
const std::string& Cp932Of(std::string_view run) {
    thread_local std::unordered_map<std::string, std::string> converted;
    if (converted.size() > 4096) converted.clear();
    std::string key(run);
    auto it = converted.find(key);
    if (it == converted.end()) it = converted.emplace(key, Utf8ToCp932(key)).first;
    return it->second;
}

}  // namespace

void AppendTextFileBytes(std::string& out, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        if (IsAscii(text[i])) {
            while (end < text.size() && IsAscii(text[end]) && text[end] != '\n')
                ++end;
            out.append(text.substr(i, end - i));
            if (end < text.size() && text[end] == '\n') {
                out += "\r\n";
                ++end;
            }
        } else {
            // UTF-8 sequences of non-ASCII characters consist of bytes ≥ 0x80 only, so a run of
            // such bytes never splits a character.
            while (end < text.size() && !IsAscii(text[end]))
                ++end;
            out += Cp932Of(text.substr(i, end - i));
        }
        i = end;
    }
}

std::unique_ptr<CTextFile> CTextFile::Create(const std::string& path, CLongJob* job) {
    try {
        return std::unique_ptr<CTextFile>(new CTextFile(std::make_unique<CReplacingFile>(path, true), job));
    } catch (const std::system_error&) {
        return nullptr;
    }
}

CTextFile::CTextFile(std::unique_ptr<CReplacingFile> file, CLongJob* job)
    : file_(std::move(file)), job_(job) {
    buffer_.reserve(kFileBufferBytes);
}

CTextFile::~CTextFile() = default;  // the replacing file discards what was not committed

void CTextFile::Write(std::string_view bytes) {
    if (file_ == nullptr) Fail();
    buffer_.append(bytes);
    if (buffer_.size() >= kFileBufferBytes) Flush();
}

void CTextFile::Flush() {
    try {
        file_->Write(buffer_);
    } catch (const std::system_error&) {
        Fail();
    }
    buffer_.clear();
}

void CTextFile::Close() {
    if (file_ == nullptr) return;
    Flush();
    try {
        file_->Commit();
    } catch (const std::system_error&) {
        Fail();
    }
    file_.reset();
}

void CTextFile::Fail() {
    // The new version is dropped: a previous file of the name stays whole.
    file_.reset();
    buffer_.clear();
    if (job_ != nullptr) job_->ReportWriteError(std::string(kTextFileWriteFailed));
    throw TextFileWriteError();
}

}  // namespace kelmora
