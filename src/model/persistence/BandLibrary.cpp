#include "model/persistence/BandLibrary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "model/persistence/InputFile.h"
#include "model/persistence/TextCodec.h"

namespace kelmora {
namespace {

constexpr std::size_t kFieldsPerLine = 1 + kThirdOctaveBands;

UserMessage SelectError(std::string text) {
    return {kBandSelectCaption, std::move(text), MessageIcon::kError};
}

UserMessage AppendError(std::string text) {
    return {kBandAppendCaption, std::move(text), MessageIcon::kError};
}

std::string WithPath(const char* text, const std::string& path) {
    return std::string(text) + "\n(" + path + ")";
}

std::string WithLine(const char* text, std::size_t lineNumber) {
    return std::to_string(lineNumber) + text;
}

BandLibraryRead Refused(UserMessage message) {
    return {{}, std::move(message)};
}

BandLibraryRead ReadFailed(const std::string& path) {
    return Refused(SelectError(WithPath("入力時にエラーが発生しました.", path)));
}

bool IsCBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Removes the first character of the first pair of double quotes until no pair is left.
void CollapseDoubledQuotes(std::string& field) {
    std::string out;
    out.reserve(field.size());
    for (char c : field) {
        if (c == '"' && !out.empty() && out.back() == '"') continue;
        out += c;
    }
    field = std::move(out);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Whether the file ends inside a line: its last byte is not a line feed.
bool EndsInsideLine(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return false;
    char last = '\n';
    return ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
}

}  // namespace

std::vector<std::string> SplitBandLibraryFields(std::string_view line) {
    std::vector<std::string> fields;
    std::string field;
    std::size_t pos = 0;
    while (true) {
        const std::size_t comma = line.find(',', pos);
        const bool last = comma == std::string_view::npos;
        field.append(line.substr(pos, last ? std::string_view::npos : comma - pos));
        const bool quoted = !field.empty() && field.front() == '"';
        if (quoted && !(field.size() > 1 && field.back() == '"')) {
            if (last) break;  // a quoted field never closed: dropped
            field += ',';
        } else {
            if (quoted) field = field.substr(1, field.size() - 2);
            CollapseDoubledQuotes(field);
            fields.push_back(std::move(field));
            field.clear();
            if (last) break;
        }
        pos = comma + 1;
    }
    return fields;
}

std::optional<double> ReadBandLibraryNumber(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && IsCBlank(field[i]))
        ++i;
    // from_chars takes no plus sign; a sign may not follow it.
    if (i < field.size() && field[i] == '+') {
        ++i;
        if (i < field.size() && field[i] == '-') return std::nullopt;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(field.data() + i, field.data() + field.size(), value);
    if (ec != std::errc{} || !std::isfinite(value)) return std::nullopt;
    return value;
}

BandLibraryRead ReadBandLibrary(std::string_view bytes, const std::string& path) {
    if (bytes.size() > kBandLibraryMaxBytes) return ReadFailed(path);
    BandLibraryRead read;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        ++lineNumber;
        const std::size_t newline = bytes.find('\n', pos);
        std::string_view line =
            bytes.substr(pos, newline == std::string_view::npos ? newline : newline - pos);
        pos = newline == std::string_view::npos ? bytes.size() : newline + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kBandLibraryMaxLineBytes) return ReadFailed(path);

        const std::vector<std::string> fields = SplitBandLibraryFields(line);
        if (fields.size() < kFieldsPerLine)
            return Refused(SelectError(WithLine("行目がフィールド数が足りませんでした．", lineNumber)));
        CBand band;
        band.title = Cp932ToUtf8(fields[0]);
        for (int i = 0; i < kThirdOctaveBands; ++i) {
            const std::optional<double> value = ReadBandLibraryNumber(fields[1 + i]);
            if (!value)
                return Refused(
                    SelectError(WithLine("行目のフィールドが数値に変換できませんでした．", lineNumber)));
            band.third[i] = *value;
        }
        read.spectra.push_back(std::move(band));
    }
    if (read.spectra.empty())
        read.message =
            UserMessage{kBandSelectCaption, "バンド情報を取得できませんでした", MessageIcon::kInformation};
    return read;
}

BandLibraryRead ReadBandLibraryFile(const std::string& path) {
    // Only a regular file is read: a FIFO would block, a device never end.
    std::optional<RegularFile> file;
    try {
        file.emplace(path);
    } catch (const InputFileError& e) {
        // A folder, a device or a pipe opens but gives no file to read.
        if (e.reason() == kNotRegularFile) return ReadFailed(path);
        return Refused(SelectError(WithPath("入力CSVファイルオープンエラー", path)));
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = file->ReadAll(kBandLibraryMaxBytes);
    } catch (const InputFileError&) {
        return ReadFailed(path);
    }
    return ReadBandLibrary(std::string(bytes.begin(), bytes.end()), path);
}

std::string UnwritableTitleCharacters(const std::string& title) {
    std::string found = Cp932Unencodable(title);
    const auto add = [&](const char* what) {
        if (!found.empty()) found += ' ';
        found += what;
    };
    if (title.find_first_of("\r\n") != std::string::npos) add("改行");
    if (title.find("\",") != std::string::npos) add("\",");
    if (title.find("\"\"") != std::string::npos) add("\"\"");
    return found;
}

UserMessage UnwritableTitleMessage(const std::string& characters) {
    return {"ファイル出力", "タイトルの次の文字はCSVファイルに書けません: " + characters,
            MessageIcon::kInformation};
}

std::string BandValueText(double value) {
    // "%g" whatever the user's locale.
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6).ptr;
    return {text, end};
}

std::string BandLibraryLine(const CBand& band) {
    std::string line;
    const std::string title = Utf8ToCp932(band.title);
    if (title.find_first_of(",\"") == std::string::npos) {
        line = title;
    } else {
        // Quoted, so that a comma stays in the title instead of shifting the values by one band.
        line = "\"";
        for (char c : title) {
            if (c == '"') line += '"';
            line += c;
        }
        line += '"';
    }
    for (int i = 0; i < kThirdOctaveBands; ++i) {
        line += ", ";
        line += BandValueText(band.third[i]);
    }
    line += "\r\n";
    return line;
}

UserMessage AppendToBandLibrary(const std::string& path, const CBand& band) {
    if (const std::string bad = UnwritableTitleCharacters(band.title); !bad.empty())
        return UnwritableTitleMessage(bad);
    const std::string line = BandLibraryLine(band);

    // Read access lets the end of the last line be seen; a file that may only be written is appended
    // to as it is.
    int opened = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (opened < 0 && errno == EACCES)
        opened = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    FileDescriptor fd(opened);
    if (fd.get() < 0) return AppendError(WithPath("出力ファイルオープンエラー", path));
    struct stat before {};
    const bool regular = ::fstat(fd.get(), &before) == 0 && S_ISREG(before.st_mode);
    // A last line without its line break would otherwise run into the new one.
    std::string bytes;
    if (EndsInsideLine(fd.get())) bytes = "\r\n";
    bytes += line;
    const bool written = WriteAll(fd.get(), bytes) && (!regular || ::fsync(fd.get()) == 0);
    if (!written) {
        // Takes back a part of the line, so that the library stays readable.
        if (regular && ::ftruncate(fd.get(), before.st_size) == 0) ::fsync(fd.get());
        return AppendError(WithPath("出力時にエラーが発生しました.", path));
    }
    if (::close(fd.Release()) != 0) return AppendError(WithPath("出力時にエラーが発生しました.", path));
    return {kBandAppendCaption, "追加出力しました", MessageIcon::kInformation};
}

}  // namespace kelmora
