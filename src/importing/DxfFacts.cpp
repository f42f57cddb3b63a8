#include "importing/DxfFacts.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "model/persistence/InputFile.h"

namespace kelmora {

namespace {

// Lines of a DXF file are short (values of at most 2049 characters); a longer line means the file is
// something else, and the scan stops there.
constexpr std::size_t kMaxLineBytes = 4096;

constexpr std::string_view kBinarySentinel = "AutoCAD Binary DXF";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::optional<int> ParseInt(std::string_view s) {
    s = Trim(s);
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::optional<double> ParseDouble(std::string_view s) {
    // strtod in the C locale, which every program of ours runs in; the value is copied to end it.
    const std::string text(Trim(s));
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE) return std::nullopt;
    return value;
}

// Takes the lines of the file one by one: a group code line, then its value line.
class DxfScanner {
public:
    explicit DxfScanner(DxfFacts& facts) : facts_(facts) {}

    // False when the scan is over (the end of the file, or a line that is no group code).
    bool Line(std::string_view line) {
        if (done_) return false;
        if (first_) {
            first_ = false;
            if (line.substr(0, kBinarySentinel.size()) == kBinarySentinel) {
                facts_.binary = true;
                return Stop();
            }
        }
        if (!haveCode_) {
            const std::optional<int> code = ParseInt(line);
            if (!code) return Stop();
            code_ = *code;
            haveCode_ = true;
            return true;
        }
        haveCode_ = false;
        Pair(code_, Trim(line));
        return !done_;
    }

    void Finish() {
        EndRecord();
        if (entitiesWithoutHandle_ == 0 && facts_.entities > 0) facts_.entitiesHaveHandles = true;
    }

private:
    enum class Section { None, Header, Entities, Other };

    bool Stop() {
        EndRecord();
        done_ = true;
        return false;
    }

    void Pair(int code, std::string_view value) {
        if (code == 0) {
            if (value == "SECTION") {
                EndRecord();
                expectSectionName_ = true;
            } else if (value == "ENDSEC") {
                EndRecord();
                section_ = Section::None;
            } else if (value == "EOF") {
                Stop();
            } else if (section_ == Section::Entities) {
                Entity(value);
            }
            headerVariable_.clear();
            return;
        }
        if (expectSectionName_ && code == 2) {
            expectSectionName_ = false;
            section_ = value == "HEADER"     ? Section::Header
                       : value == "ENTITIES" ? Section::Entities
                                             : Section::Other;
            return;
        }
        if (section_ == Section::Header) {
            if (code == 9) {
                headerVariable_ = value;
            } else if (headerVariable_ == "$INSUNITS" && code == 70) {
                facts_.insUnits = ParseInt(value);
            } else if (headerVariable_ == "$DWGCODEPAGE" && code == 3) {
                facts_.codePage = value;
            } else if (headerVariable_ == "$ACADVER" && code == 1) {
                facts_.acadVersion = value;
            }
            return;
        }
        if (section_ != Section::Entities || !inRecord_) return;
        if (inHead_ && code == 5) {
            handle_ = value;
        } else if (inHead_ && code == 8) {
            layer_ = value;
        } else if (inHead_ && code == 39) {
            if (const std::optional<double> t = ParseDouble(value)) thickness_ = *t;
        } else if (code >= 10 && code <= 38) {
            // A coordinate (10–18, 20–28, 30–37) or an elevation (38), of the entity or of a vertex.
            const std::optional<double> v = ParseDouble(value);
            if (!v || !std::isfinite(*v)) nonFinite_ = true;
        }
    }

    // An entity starts. The vertices of a polyline and the end of its sequence belong to the polyline:
    // one record runs from an entity to the next that is not one of these.
    void Entity(std::string_view type) {
        if (type == "VERTEX" || type == "SEQEND" || type == "ATTRIB") {
            inHead_ = false;
            return;
        }
        EndRecord();
        inRecord_ = true;
        inHead_ = true;
        ++facts_.entities;
        handle_.clear();
        layer_.clear();
        thickness_ = 0.0;
        nonFinite_ = false;
    }

    void EndRecord() {
        if (!inRecord_) return;
        inRecord_ = false;
        if (nonFinite_)
            facts_.nonFiniteByLayer.try_emplace(
                layer_, handle_.empty() ? "#" + std::to_string(facts_.entities) : "ハンドル " + handle_);
        if (handle_.empty()) {
            ++entitiesWithoutHandle_;
            return;
        }
        if (thickness_ != 0.0) facts_.thicknessByHandle[handle_] = thickness_;
    }

    DxfFacts& facts_;
    bool done_ = false;
    bool first_ = true;
    bool haveCode_ = false;
    int code_ = 0;
    Section section_ = Section::None;
    bool expectSectionName_ = false;
    std::string headerVariable_;
    bool inRecord_ = false;  // an entity with its vertices
    bool inHead_ = false;    // the entity's own values, before its vertices
    bool nonFinite_ = false;
    std::string handle_;
    std::string layer_;
    double thickness_ = 0.0;
    std::int64_t entitiesWithoutHandle_ = 0;
};

}  // namespace

DxfFacts ScanDxfText(std::string_view text) {
    DxfFacts facts;
    DxfScanner scanner(facts);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (line.size() > kMaxLineBytes || !scanner.Line(line)) break;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    scanner.Finish();
    return facts;
}

DxfFacts ScanDxfFile(const std::filesystem::path& path, const ImportProgress& progress) {
    DxfFacts facts;
    DxfScanner scanner(facts);
    RegularFile file(path);
    std::vector<char> buffer(std::size_t{1} << 20);
    std::string line;
    std::uint64_t read = 0;
    bool going = true;
    while (going) {
        const std::size_t n = file.Read(buffer.data(), buffer.size());
        if (n == 0) break;
        read += n;
        for (std::size_t i = 0; i < n && going; ++i) {
            const char c = buffer[i];
            if (c != '\n') {
                if (line.size() > kMaxLineBytes) {
                    going = false;
                    break;
                }
                line.push_back(c);
                continue;
            }
            going = scanner.Line(line);
            line.clear();
        }
        if (progress && file.size() > 0 &&
            !progress(static_cast<double>(read) / static_cast<double>(file.size())))
            throw ImportCancelled();
    }
    if (going && !line.empty()) scanner.Line(line);
    scanner.Finish();
    return facts;
}

}  // namespace kelmora
