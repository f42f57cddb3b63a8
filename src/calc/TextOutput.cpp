#include "calc/TextOutput.h"

#include <unordered_map>

#include "calc/LongJob.h"
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
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return nullptr;
    std::setvbuf(file, nullptr, _IOFBF, kFileBufferBytes);
    return std::unique_ptr<CTextFile>(new CTextFile(file, job));
}

CTextFile::CTextFile(std::FILE* file, CLongJob* job) : file_(file), job_(job) {}

CTextFile::~CTextFile() {
    if (file_ != nullptr) std::fclose(file_);
}

void CTextFile::Write(std::string_view bytes) {
    if (file_ == nullptr) Fail();
    if (bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail();
}

void CTextFile::Close() {
    if (file_ == nullptr) return;
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) Fail();
}

void CTextFile::Fail() {
    if (job_ != nullptr) job_->ReportWriteError(std::string(kTextFileWriteFailed));
    throw TextFileWriteError();
}

}  // namespace kelmora
