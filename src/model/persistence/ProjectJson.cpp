#include "model/persistence/ProjectJson.h"

#include <array>
#include <bit>
#include <cinttypes>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/persistence/TextCodec.h"

namespace kelmora {

ProjectJsonError::ProjectJsonError(std::string pointer, std::string problem)
    : std::runtime_error((pointer.empty() ? std::string("(JSON 全体)") : pointer) + ": " + problem),
      pointer_(std::move(pointer)),
      problem_(std::move(problem)) {}

namespace {

using Json = ProjectJson;

// ---------------------------------------------------------------------------------------------
// The fields of every record, in file order. One list serves writing (S const) and reading.

template <class S, class T>
concept Is = std::same_as<std::remove_const_t<S>, T>;

template <class Io, Is<CVertex2D> S>
void Fields(Io& io, S& v) {
    io("x", v.x);
    io("y", v.y);
}

template <class Io, Is<CVector3D> S>
void Fields(Io& io, S& v) {
    io("x", v.x);
    io("y", v.y);
    io("z", v.z);
}

template <class Io, Is<CMyRect> S>
void Fields(Io& io, S& r) {
    io("p1", r.p1);
    io("p2", r.p2);
    io("p3", r.p3);
}

template <class Io, Is<CPolyline> S>
void Fields(Io& io, S& line) {
    io("vertices", line.vertices);
}

template <class Io, Is<CBand> S>
void Fields(Io& io, S& b) {
    io("kind", b.kind);
    io("overall", b.overall);
    io("octave", b.octave);
    io("third", b.third);
    io("title", b.title);
}

template <class Io, Is<CDisplay> S>
void Fields(Io& io, S& d) {
    io("origin", d.origin);
    io("axisX", d.axisX);
    io("axisY", d.axisY);
    io("axisZ", d.axisZ);
    io("magnification", d.magnification);
}

template <class Io, Is<FrameRect> S>
void Fields(Io& io, S& r) {
    io("left", r.left);
    io("top", r.top);
    io("right", r.right);
    io("bottom", r.bottom);
}

// A window record is one object: the frame of CViewInfo, then the fields of CKelmoraViewData.
template <class Io, Is<ViewRecord> S>
void Fields(Io& io, S& r) {
    io("frameRect", r.info.frameRect);
    io("imagePath", r.viewData.imagePath);
    io("imageHeight", r.viewData.imageHeight);
    io("imageWidth", r.viewData.imageWidth);
    io("calibration", r.viewData.calibration);
    io("zoom", r.viewData.zoom);
}

template <class Io, Is<CWall> S>
void Fields(Io& io, S& w) {
    io("type", w.type);
    io("rangeStart", w.rangeStart);
    io("rangeEnd", w.rangeEnd);
    io("offsetHorizontal", w.offsetHorizontal);
    io("offsetVertical", w.offsetVertical);
    io("height", w.height);
    io("diffractTop", w.diffractTop);
    io("diffractBottom", w.diffractBottom);
    io("diffractStart", w.diffractStart);
    io("diffractEnd", w.diffractEnd);
    io("tl", w.tl);
    io("absorptionLeft", w.absorptionLeft);
    io("absorptionRight", w.absorptionRight);
    io("diffuseLeft", w.diffuseLeft);
    io("diffuseRight", w.diffuseRight);
    io("slopeSide", w.slopeSide);
    io("slopeHorizontal", w.slopeHorizontal);
    io("slopeVertical", w.slopeVertical);
    io("memo", w.memo);
}

template <class Io, Is<CGroundLine> S>
void Fields(Io& io, S& g) {
    io("polyline", g.polyline);
    io("absorptionLeft", g.absorptionLeft);
    io("absorptionRight", g.absorptionRight);
    io("walls", g.walls);
    io("memo", g.memo);
}

template <class Io, Is<CRectObstacle> S>
void Fields(Io& io, S& f) {
    io("rect", f.rect);
    io("diffracts", f.diffracts);
    io("wedgeType", f.wedgeType);
    io("reflects", f.reflects);
    io("obstructs", f.obstructs);
    io("tl", f.tl);
    io("absorptionLeft", f.absorptionLeft);
    io("absorptionRight", f.absorptionRight);
    io("diffuseLeft", f.diffuseLeft);
    io("diffuseRight", f.diffuseRight);
    io("edgeOffset", f.edgeOffset);
    io("name", f.name);
}

template <class Io, Is<CRoof> S>
void Fields(Io& io, S& r) {
    io("face", r.face);
    io("memo", r.memo);
}

template <class Io, Is<CBuildingWall> S>
void Fields(Io& io, S& w) {
    io("polyline", w.polyline);
    io("closed", w.closed);
    io("diffractStart", w.diffractStart);
    io("diffractEnd", w.diffractEnd);
    io("absorption", w.absorption);
    io("diffuse", w.diffuse);
    io("bottomZ", w.bottomZ);
    io("diffractBottom", w.diffractBottom);
    io("topZ", w.topZ);
    io("diffractTop", w.diffractTop);
    io("memo", w.memo);
}

template <class Io, Is<CSound> S>
void Fields(Io& io, S& s) {
    io("position", s.position);
    io("q", s.q);
    io("noiseType", s.noiseType);
    io("duration", s.duration);
    io("eventsPerHour", s.eventsPerHour);
    io("powerAverage", s.powerAverage);
    io("powerMax", s.powerMax);
    io("memo", s.memo);
}

template <class Io, Is<CWindow> S>
void Fields(Io& io, S& w) {
    io("rect", w.rect);
    io("areaFromRect", w.areaFromRect);
    io("area", w.area);
    io("absorption", w.absorption);
    io("tl", w.tl);
    io("belongsTo", w.belongsTo);
    io("isOutdoorSource", w.isOutdoorSource);
    io("q", w.q);
    io("containedOpenings", w.containedOpenings);
    io("memo", w.memo);
}

template <class Io, Is<CRoom> S>
void Fields(Io& io, S& r) {
    io("surfaceArea", r.surfaceArea);
    io("meanAbsorption", r.meanAbsorption);
    io("computeFromShape", r.computeFromShape);
    io("ceilingZ", r.ceilingZ);
    io("floorZ", r.floorZ);
    io("outline", r.outline);
    io("defaultAbsorptionCeiling", r.defaultAbsorptionCeiling);
    io("defaultAbsorptionFloor", r.defaultAbsorptionFloor);
    io("defaultAbsorptionWall", r.defaultAbsorptionWall);
    io("defaultTl", r.defaultTl);
    io("openings", r.openings);
    io("sources", r.sources);
    io("memo", r.memo);
}

// The walls come before the roofs, as in the file.
template <class Io, Is<CBuilding> S>
void Fields(Io& io, S& b) {
    io("walls", b.walls);
    io("roofs", b.roofs);
    io("rooms", b.rooms);
    io("memo", b.memo);
}

template <class Io, Is<CPredictivePoint> S>
void Fields(Io& io, S& p) {
    io("position", p.position);
    io("label", p.label);
}

template <class Io, Is<CCalcInfo> S>
void Fields(Io& io, S& c) {
    io("mode", c.mode);
    io("singlePoint", c.singlePoint);
    io("pointList", c.pointList);
    io("rowDivisions", c.rowDivisions);
    io("columnDivisions", c.columnDivisions);
    io("gridHeight", c.gridHeight);
    io("gridPoints", c.gridPoints);
    io("memo", c.memo);
    io("gridTopHeight", c.gridTopHeight);
    io("lineStart", c.lineStart);
    io("lineEnd", c.lineEnd);
}

template <class Io, Is<CNoise> S>
void Fields(Io& io, S& m) {
    io("groundLines", m.groundLines);
    io("buildings", m.buildings);
    io("outdoorSources", m.outdoorSources);
    io("calcInfo", m.calcInfo);
    io("targetTime", m.targetTime);
    io("effectiveDistance", m.effectiveDistance);
    io("temperature", m.temperature);
    io("humidity", m.humidity);
    io("maxReflections", m.maxReflections);
}

template <class Io, Is<ProjectDocument> S>
void Fields(Io& io, S& d) {
    io("formatVersion", d.formatVersion);
    io("viewRecords", d.viewRecords);
    io("model", d.model);
}

// ---------------------------------------------------------------------------------------------
// Doubles and strings that JSON cannot hold as they are.

constexpr std::uint64_t kPositiveQuietNan = 0x7FF8000000000000ull;
constexpr std::uint64_t kNegativeQuietNan = 0xFFF8000000000000ull;

Json NonFiniteJson(double v) {
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    const auto bits = std::bit_cast<std::uint64_t>(v);
    if (bits == kPositiveQuietNan) return "nan";
    if (bits == kNegativeQuietNan) return "-nan";
    char text[32];
    std::snprintf(text, sizeof text, "nan:0x%016" PRIx64, bits);
    return text;
}

bool ParseNonFinite(const std::string& text, double& v) {
    if (text == "inf" || text == "-inf") {
        v = text[0] == '-' ? -std::numeric_limits<double>::infinity()
                           : std::numeric_limits<double>::infinity();
        return true;
    }
    std::uint64_t bits;
    if (text == "nan") {
        bits = kPositiveQuietNan;
    } else if (text == "-nan") {
        bits = kNegativeQuietNan;
    } else {
        constexpr std::string_view prefix = "nan:0x";
        if (text.size() != prefix.size() + 16 || !text.starts_with(prefix)) return false;
        bits = 0;
        for (char c : std::string_view(text).substr(prefix.size())) {
            int digit;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else {
                return false;
            }
            bits = (bits << 4) | static_cast<std::uint64_t>(digit);
        }
    }
    v = std::bit_cast<double>(bits);
    return std::isnan(v);
}

bool HasLoneSurrogate(const std::u16string& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Writing.

class JsonWriter {
public:
    explicit JsonWriter(Json& object) : object_(object) {}

    template <class T>
    void operator()(const char* key, const T& value) {
        object_[key] = ToJson(value);
    }

    static Json ToJson(std::int32_t v) { return v; }

    static Json ToJson(double v) { return std::isfinite(v) ? Json(v) : NonFiniteJson(v); }

    // The text as the file holds it: converted to UTF-16 as the archive writes it.
    static Json ToJson(const std::string& text) {
        const std::u16string units = Utf8ToUtf16(text);
        if (!HasLoneSurrogate(units)) return Utf16ToUtf8(units);
        Json list = Json::array();
        for (char16_t c : units)
            list.push_back(static_cast<int>(c));
        return Json{{"utf16", std::move(list)}};
    }

    template <class T, std::size_t N>
    static Json ToJson(const std::array<T, N>& values) {
        Json list = Json::array();
        for (const T& v : values)
            list.push_back(ToJson(v));
        return list;
    }

    template <class T>
    static Json ToJson(const std::vector<T>& items) {
        Json list = Json::array();
        for (const T& item : items)
            list.push_back(ToJson(item));
        return list;
    }

    template <class T>
    requires std::is_class_v<T>
    static Json ToJson(const T& record) {
        Json object = Json::object();
        JsonWriter writer(object);
        Fields(writer, record);
        return object;
    }

private:
    Json& object_;
};

// ---------------------------------------------------------------------------------------------
// Reading.

constexpr const char* kNeedNumber = "数値が必要です";
constexpr const char* kNeedInteger = "整数が必要です";
constexpr const char* kNeedString = "文字列が必要です";
constexpr const char* kNeedArray = "配列が必要です";
constexpr const char* kNeedObject = "オブジェクトが必要です";
constexpr const char* kMissingField = "項目がありません";
constexpr const char* kUnknownField = "不明な項目です";

[[noreturn]] void Fail(const std::string& pointer, std::string problem) {
    throw ProjectJsonError(pointer, std::move(problem));
}

// A key as a JSON pointer step ("~" → "~0", "/" → "~1").
std::string PointerStep(const std::string& key) {
    std::string step;
    for (char c : key) {
        if (c == '~') {
            step += "~0";
        } else if (c == '/') {
            step += "~1";
        } else {
            step += c;
        }
    }
    return step;
}

class JsonReader {
public:
    void Read(const Json& j, const std::string& at, std::int32_t& v) {
        v = static_cast<std::int32_t>(ReadInteger(j, at, std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max()));
    }

    void Read(const Json& j, const std::string& at, double& v) {
        if (j.is_number()) {
            v = j.get<double>();
        } else if (!j.is_string() || !ParseNonFinite(j.get_ref<const std::string&>(), v)) {
            Fail(at, kNeedNumber);
        }
    }

    void Read(const Json& j, const std::string& at, std::string& text) {
        if (j.is_string()) {
            text = j.get<std::string>();
            return;
        }
        if (!j.is_object() || j.size() != 1 || !j.contains("utf16")) Fail(at, kNeedString);
        const Json& units = j["utf16"];
        const std::string unitsAt = at + "/utf16";
        if (!units.is_array()) Fail(unitsAt, kNeedArray);
        std::u16string text16;
        text16.reserve(units.size());
        for (std::size_t i = 0; i < units.size(); ++i)
            text16 +=
                static_cast<char16_t>(ReadInteger(units[i], unitsAt + "/" + std::to_string(i), 0, 0xFFFF));
        text = Utf16ToUtf8(text16);
    }

    template <class T, std::size_t N>
    void Read(const Json& j, const std::string& at, std::array<T, N>& values) {
        if (!j.is_array() || j.size() != N) Fail(at, "要素が " + std::to_string(N) + " 個の配列が必要です");
        for (std::size_t i = 0; i < N; ++i)
            Read(j[i], at + "/" + std::to_string(i), values[i]);
    }

    template <class T>
    void Read(const Json& j, const std::string& at, std::vector<T>& items) {
        if (!j.is_array()) Fail(at, kNeedArray);
        items.clear();
        items.reserve(j.size());
        for (std::size_t i = 0; i < j.size(); ++i) {
            T item;
            Read(j[i], at + "/" + std::to_string(i), item);
            items.push_back(std::move(item));
        }
    }

    // Openings hold openings; their depth is bounded as in the file reader, which keeps the
    // recursion of reading (and of every later walk over the openings) within the stack.
    void Read(const Json& j, const std::string& at, CWindow& opening) {
        if (openingDepth_ >= kMaxOpeningNesting)
            Fail(at, "開口部の入れ子が深すぎます（" + std::to_string(kMaxOpeningNesting) + " 段まで）");
        ++openingDepth_;
        ReadRecord(j, at, opening);
        --openingDepth_;
    }

    template <class T>
    requires std::is_class_v<T>
    void Read(const Json& j, const std::string& at, T& record) { ReadRecord(j, at, record); }

private:
    // Reads the fields of one object and then refuses any field it does not know.
    class FieldReader {
    public:
        FieldReader(JsonReader& reader, const Json& object, const std::string& at)
            : reader_(reader), object_(object), at_(at) {}

        template <class T>
        void operator()(const char* key, T& value) {
            known_.push_back(key);
            const std::string at = at_ + "/" + key;
            const auto it = object_.find(key);
            if (it == object_.end()) Fail(at, kMissingField);
            reader_.Read(*it, at, value);
        }

        void RefuseOtherFields() const {
            if (known_.size() == object_.size()) return;
            for (const auto& [key, value] : object_.items()) {
                bool isKnown = false;
                for (const char* k : known_)
                    isKnown = isKnown || key == k;
                if (!isKnown) Fail(at_ + "/" + PointerStep(key), kUnknownField);
            }
        }

    private:
        JsonReader& reader_;
        const Json& object_;
        const std::string& at_;
        std::vector<const char*> known_;
    };

    template <class T>
    void ReadRecord(const Json& j, const std::string& at, T& record) {
        if (!j.is_object()) Fail(at, kNeedObject);
        FieldReader fields(*this, j, at);
        Fields(fields, record);
        fields.RefuseOtherFields();
    }

    static std::int64_t ReadInteger(const Json& j, const std::string& at, std::int64_t min,
                                    std::int64_t max) {
        if (!j.is_number_integer()) Fail(at, kNeedInteger);
        const bool inRange = j.is_number_unsigned()
                                 ? j.get<std::uint64_t>() <= static_cast<std::uint64_t>(max)
                                 : j.get<std::int64_t>() >= min && j.get<std::int64_t>() <= max;
        if (!inRange)
            Fail(at, std::to_string(min) + " から " + std::to_string(max) + " までの整数が必要です");
        return j.get<std::int64_t>();
    }

    int openingDepth_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Printing.

bool IsPlain(const Json& j) {
    return !j.is_structured() || j.empty();
}

void Print(const Json& j, int depth, std::string& out) {
    if (IsPlain(j)) {
        out += j.dump(-1, ' ', false, Json::error_handler_t::strict);
        return;
    }
    bool allPlain = true;
    for (const Json& item : j)
        allPlain = allPlain && IsPlain(item);
    const bool isObject = j.is_object();
    const std::string indent(2 * (depth + 1), ' ');
    out += isObject ? '{' : '[';
    bool first = true;
    for (const auto& [key, value] : j.items()) {
        if (!first) out += ',';
        first = false;
        if (allPlain) {
            if (out.back() == ',') out += ' ';
        } else {
            out += '\n';
            out += indent;
        }
        if (isObject) {
            out += Json(key).dump(-1, ' ', false, Json::error_handler_t::strict);
            out += ": ";
        }
        Print(value, depth + 1, out);
    }
    if (!allPlain) {
        out += '\n';
        out.append(2 * depth, ' ');
    }
    out += isObject ? '}' : ']';
}

// Where the text first opens an array or an object deeper than `maxDepth`, as a line and a column
// counted from 1 (the column in bytes); empty when it never does. Brackets inside strings do not count.
// The scan ignores every other syntax rule: the parser judges those.
std::optional<std::pair<std::size_t, std::size_t>> FirstTooDeep(std::string_view text, int maxDepth) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            lineStart = i + 1;
        }
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth) return std::pair{line, i - lineStart + 1};
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return std::nullopt;
}

}  // namespace

ProjectJson ProjectToJson(const ProjectDocument& doc) {
    return JsonWriter::ToJson(doc);
}

ProjectDocument ProjectFromJson(const ProjectJson& json) {
    ProjectDocument doc;
    JsonReader reader;
    reader.Read(json, "", doc);
    return doc;
}

std::string FormatProjectJson(const ProjectJson& json) {
    std::string out;
    Print(json, 0, out);
    out += '\n';
    return out;
}

std::string ProjectJsonText(const ProjectDocument& doc) {
    return FormatProjectJson(ProjectToJson(doc));
}

ProjectDocument ParseProjectJson(std::string_view text) {
    // Nesting without bound would exhaust the stack of the recursive walks over a parsed value.
    if (const auto at = FirstTooDeep(text, kMaxJsonNesting)) {
        Fail("", "JSON の入れ子が深すぎます（" + std::to_string(kMaxJsonNesting) + " 段まで）: 行 " +
                     std::to_string(at->first) + ", 列 " + std::to_string(at->second));
    }
    ProjectJson json;
    try {
        json = ProjectJson::parse(text);
    } catch (const ProjectJson::exception& e) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..." without the tag; also
        // a number too large for a double ("[json.exception.out_of_range.406] number overflow ...").
        std::string what = e.what();
        const std::size_t tagEnd = what.find("] ");
        if (what.starts_with("[json.exception") && tagEnd != std::string::npos) what.erase(0, tagEnd + 2);
        Fail("", "JSON の構文エラー: " + what);
    }
    return ProjectFromJson(json);
}

}  // namespace kelmora
