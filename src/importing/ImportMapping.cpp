#include "importing/ImportMapping.h"

#include <cmath>
#include <span>

#include <nlohmann/json.hpp>

#include "importing/VectorSource.h"
#include "model/persistence/InputFile.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

struct KindNames {
    ImportKind kind;
    const char* name;
    const char* label;
};

constexpr KindNames kKindNames[] = {
    {ImportKind::Skip, "skip", "取り込まない"},       {ImportKind::Building, "building", "建物"},
    {ImportKind::GroundLine, "groundLine", "地表線"}, {ImportKind::Barrier, "barrier", "遮音壁"},
    {ImportKind::Source, "source", "屋外音源"},       {ImportKind::Point, "point", "予測点"},
};

// Nesting deeper than a mapping needs is refused while parsing.
constexpr int kMaxNesting = 16;

[[noreturn]] void Fail(const std::string& where, const std::string& problem) {
    throw ImportError("マッピング: " + (where.empty() ? problem : where + ": " + problem));
}

double Number(const Json& value, const std::string& where) {
    if (!value.is_number()) Fail(where, "数値が必要です");
    const double number = value.get<double>();
    if (!std::isfinite(number)) Fail(where, "有限の数値が必要です");
    return number;
}

std::string Text(const Json& value, const std::string& where) {
    if (!value.is_string()) Fail(where, "文字列が必要です");
    return value.get<std::string>();
}

const Json& Object(const Json& value, const std::string& where) {
    if (!value.is_object()) Fail(where, "オブジェクトが必要です");
    return value;
}

void OnlyKeys(const Json& object, std::initializer_list<const char*> keys, const std::string& where) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const char* key : keys)
            known = known || it.key() == key;
        if (!known) Fail(where, "知らない項目です: " + it.key());
    }
}

const char* FromName(ValueSource::From from) {
    switch (from) {
        case ValueSource::From::Constant:
            return "constant";
        case ValueSource::From::Field:
            return "field";
        case ValueSource::From::Thickness:
            return "thickness";
        case ValueSource::From::Z:
            return "z";
    }
    return "constant";
}

Json ValueToJson(const ValueSource& v) {
    switch (v.from) {
        case ValueSource::From::Constant:
            return v.value;
        case ValueSource::From::Field:
            return Json{{"from", "field"}, {"field", v.field}};
        default:
            return Json{{"from", FromName(v.from)}};
    }
}

ValueSource ValueFromJson(const Json& json, const std::string& where) {
    if (json.is_number()) return ValueSource::Constant(Number(json, where));
    Object(json, where);
    OnlyKeys(json, {"from", "value", "field"}, where);
    const auto from = json.find("from");
    if (from == json.end()) Fail(where, "\"from\" がありません");
    const std::string name = Text(*from, where + "/from");
    if (name == "constant") {
        const auto value = json.find("value");
        if (value == json.end()) Fail(where, "\"value\" がありません");
        return ValueSource::Constant(Number(*value, where + "/value"));
    }
    if (name == "field") {
        const auto field = json.find("field");
        if (field == json.end()) Fail(where, "\"field\" がありません");
        const std::string text = Text(*field, where + "/field");
        if (text.empty()) Fail(where + "/field", "属性名が空です");
        return ValueSource::OfField(text);
    }
    if (name == "thickness") return ValueSource::OfThickness();
    if (name == "z") return ValueSource::OfZ();
    Fail(where + "/from", "constant, field, thickness, z のどれかです: " + name);
}

// What a kind takes: its height and ground values, a label, a spectrum.
struct KindUse {
    bool height = false;
    bool ground = false;
    bool label = false;
    bool spectrum = false;
};

KindUse UseOf(ImportKind kind) {
    switch (kind) {
        case ImportKind::Skip:
            return {};
        case ImportKind::Building:
            return {true, true, true, false};
        case ImportKind::GroundLine:
            return {false, true, false, false};
        case ImportKind::Barrier:
            return {true, true, false, false};
        case ImportKind::Source:
            return {true, true, true, true};
        case ImportKind::Point:
            return {true, true, true, false};
    }
    return {};
}

Json LayerToJson(const LayerMapping& layer) {
    Json out = Json::object();
    out["layer"] = layer.layer;
    out["kind"] = KindName(layer.kind);
    const KindUse use = UseOf(layer.kind);
    if (use.height) out["height"] = ValueToJson(layer.height);
    if (use.ground) out["ground"] = ValueToJson(layer.ground);
    if (use.label && !layer.label.empty()) out["label"] = layer.label;
    if (use.spectrum && !layer.spectrum.library.empty()) {
        Json spectrum = Json::object();
        spectrum["library"] = layer.spectrum.library;
        if (!layer.spectrum.field.empty()) spectrum["field"] = layer.spectrum.field;
        if (!layer.spectrum.title.empty()) spectrum["title"] = layer.spectrum.title;
        out["spectrum"] = std::move(spectrum);
    }
    return out;
}

LayerMapping LayerFromJson(const Json& json, const std::string& where) {
    Object(json, where);
    OnlyKeys(json, {"layer", "kind", "height", "ground", "label", "spectrum"}, where);
    const auto name = json.find("layer");
    if (name == json.end()) Fail(where, "\"layer\" がありません");
    const auto kindName = json.find("kind");
    if (kindName == json.end()) Fail(where, "\"kind\" がありません");
    const std::optional<ImportKind> kind = KindFromName(Text(*kindName, where + "/kind"));
    if (!kind)
        Fail(where + "/kind", "skip, building, groundLine, barrier, source, point のどれかです: " +
                                  kindName->get<std::string>());
    LayerMapping layer = DefaultLayerMapping(Text(*name, where + "/layer"), *kind);
    if (const auto it = json.find("height"); it != json.end())
        layer.height = ValueFromJson(*it, where + "/height");
    if (const auto it = json.find("ground"); it != json.end())
        layer.ground = ValueFromJson(*it, where + "/ground");
    if (const auto it = json.find("label"); it != json.end()) layer.label = Text(*it, where + "/label");
    if (const auto it = json.find("spectrum"); it != json.end()) {
        const std::string at = where + "/spectrum";
        Object(*it, at);
        OnlyKeys(*it, {"library", "field", "title"}, at);
        const auto library = it->find("library");
        if (library == it->end()) Fail(at, "\"library\" がありません");
        layer.spectrum.library = Text(*library, at + "/library");
        if (const auto f = it->find("field"); f != it->end()) layer.spectrum.field = Text(*f, at + "/field");
        if (const auto t = it->find("title"); t != it->end()) layer.spectrum.title = Text(*t, at + "/title");
        if (layer.spectrum.field.empty() == layer.spectrum.title.empty())
            Fail(at, "\"field\" か \"title\" のどちらか一つが必要です");
    }
    return layer;
}

// ---- Checks against a source -------------------------------------------------------------------

std::string LayerWhere(const LayerMapping& layer) {
    return "レイヤ " + layer.layer + " (" + KindLabel(layer.kind) + ")";
}

void CheckField(const LayerMapping& layer, const SourceLayer& source, const std::string& field,
                const char* role) {
    if (source.Field(field) == nullptr)
        throw ImportError(LayerWhere(layer) + ": " + role + "の属性 " + field + " がありません");
}

void CheckValue(const LayerMapping& layer, const SourceLayer& source, const SourceInfo& info,
                const ValueSource& value, const char* role, bool thicknessAllowed, bool zAllowed) {
    switch (value.from) {
        case ValueSource::From::Constant:
            break;
        case ValueSource::From::Field:
            CheckField(layer, source, value.field, role);
            break;
        case ValueSource::From::Thickness:
            if (!thicknessAllowed) throw ImportError(LayerWhere(layer) + ": " + role + "に厚さは使えません");
            if (!info.dxf) throw ImportError(LayerWhere(layer) + ": 厚さは DXF 図面の図形にだけあります");
            if (!info.thicknessReadable)
                throw ImportError(LayerWhere(layer) +
                                  ": この DXF 図面の図形にはハンドルがないので厚さを読めません");
            break;
        case ValueSource::From::Z:
            if (!zAllowed) throw ImportError(LayerWhere(layer) + ": " + role + "に Z は使えません");
            break;
    }
}

// Notes a layer whose features its kind cannot use.
std::optional<std::string> UnusableNote(const LayerMapping& layer, const SourceLayer& source) {
    bool usable = true;
    const char* wanted = "";
    switch (layer.kind) {
        case ImportKind::Building:
            usable = source.closedLines || source.polygons;
            wanted = "閉じた線・面";
            break;
        case ImportKind::GroundLine:
        case ImportKind::Barrier:
            usable = source.lines || source.closedLines;
            wanted = "線";
            break;
        case ImportKind::Source:
        case ImportKind::Point:
            usable = source.points;
            wanted = "点";
            break;
        case ImportKind::Skip:
            break;
    }
    if (usable || source.features == 0) return std::nullopt;
    return LayerWhere(layer) + " には" + wanted + "がありません";
}

}  // namespace

const char* KindName(ImportKind kind) {
    for (const KindNames& k : kKindNames)
        if (k.kind == kind) return k.name;
    return "skip";
}

const char* KindLabel(ImportKind kind) {
    for (const KindNames& k : kKindNames)
        if (k.kind == kind) return k.label;
    return "取り込まない";
}

std::optional<ImportKind> KindFromName(std::string_view name) {
    for (const KindNames& k : kKindNames)
        if (name == k.name) return k.kind;
    return std::nullopt;
}

const char* FromLabel(ValueSource::From from) {
    switch (from) {
        case ValueSource::From::Constant:
            return "定数";
        case ValueSource::From::Field:
            return "属性";
        case ValueSource::From::Thickness:
            return "厚さ";
        case ValueSource::From::Z:
            return "Z";
    }
    return "定数";
}

LayerMapping DefaultLayerMapping(std::string layer, ImportKind kind) {
    LayerMapping m;
    m.layer = std::move(layer);
    m.kind = kind;
    m.ground = ValueSource::Constant(0.0);
    switch (kind) {
        case ImportKind::Building:
            m.height = ValueSource::Constant(5.0);
            break;
        case ImportKind::Barrier:
            m.height = ValueSource::Constant(2.5);
            break;
        case ImportKind::GroundLine:
            m.ground = ValueSource::OfZ();
            break;
        case ImportKind::Source:
            m.height = ValueSource::Constant(1.0);
            break;
        case ImportKind::Point:
            m.height = ValueSource::Constant(1.5);
            break;
        case ImportKind::Skip:
            break;
    }
    return m;
}

const LayerMapping* ImportMapping::Layer(std::string_view name) const {
    for (const LayerMapping& layer : layers)
        if (layer.layer == name) return &layer;
    return nullptr;
}

LayerMapping* ImportMapping::Layer(std::string_view name) {
    for (LayerMapping& layer : layers)
        if (layer.layer == name) return &layer;
    return nullptr;
}

std::string WriteMappingText(const ImportMapping& mapping) {
    Json json = Json::object();
    json["format"] = kMappingFormat;
    json["version"] = kMappingVersion;
    if (mapping.unit) json["unit"] = UnitName(*mapping.unit);
    if (!mapping.crs.empty()) json["crs"] = mapping.crs;
    if (mapping.origin) json["origin"] = Json::array({mapping.origin->x, mapping.origin->y});
    Json layers = Json::array();
    for (const LayerMapping& layer : mapping.layers)
        layers.push_back(LayerToJson(layer));
    json["layers"] = std::move(layers);
    return json.dump(2) + "\n";
}

ImportMapping ReadMappingText(std::string_view text) {
    Json json;
    try {
        int depth = 0;
        bool tooDeep = false;
        json = Json::parse(text.begin(), text.end(), [&](int d, Json::parse_event_t event, Json&) {
            if (event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) {
                depth = d + 1;
                if (depth > kMaxNesting) tooDeep = true;
            }
            return !tooDeep;
        });
        if (tooDeep) Fail("", "入れ子が深すぎます");
    } catch (const nlohmann::json::exception& e) {
        Fail("", std::string("JSON として読めません (") + e.what() + ")");
    }
    Object(json, "");
    OnlyKeys(json, {"format", "version", "unit", "crs", "origin", "layers"}, "");
    const auto format = json.find("format");
    if (format == json.end() || !format->is_string() || format->get<std::string>() != kMappingFormat)
        Fail("format", std::string("\"") + kMappingFormat + "\" ではありません");
    const auto version = json.find("version");
    if (version == json.end() || !version->is_number_integer()) Fail("version", "版の番号が必要です");
    if (version->get<std::int64_t>() != kMappingVersion)
        Fail("version", "この版のマッピングは読めません: " + version->dump());
    ImportMapping mapping;
    if (const auto it = json.find("unit"); it != json.end()) {
        const std::string name = Text(*it, "unit");
        mapping.unit = UnitFromName(name);
        if (!mapping.unit) Fail("unit", "mm, cm, m のどれかです: " + name);
    }
    if (const auto it = json.find("crs"); it != json.end()) mapping.crs = Text(*it, "crs");
    if (const auto it = json.find("origin"); it != json.end()) {
        if (!it->is_array() || it->size() != 2) Fail("origin", "[x, y] が必要です");
        mapping.origin = CVertex2D{Number((*it)[0], "origin/0"), Number((*it)[1], "origin/1")};
    }
    const auto layers = json.find("layers");
    if (layers == json.end()) Fail("", "\"layers\" がありません");
    if (!layers->is_array()) Fail("layers", "配列が必要です");
    for (std::size_t i = 0; i < layers->size(); ++i) {
        const std::string where = "layers/" + std::to_string(i);
        LayerMapping layer = LayerFromJson((*layers)[i], where);
        if (mapping.Layer(layer.layer) != nullptr)
            Fail(where + "/layer", "同じレイヤが二度あります: " + layer.layer);
        mapping.layers.push_back(std::move(layer));
    }
    return mapping;
}

ImportMapping ReadMappingFile(const fs::path& path) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadRegularFile(path, kMaxMappingBytes);
    } catch (const InputFileError& e) {
        throw ImportError(e.what());
    }
    ImportMapping mapping;
    try {
        mapping =
            ReadMappingText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const ImportError& e) {
        throw ImportError(path.string() + ": " + e.what());
    }
    for (LayerMapping& layer : mapping.layers) {
        std::string& library = layer.spectrum.library;
        if (!library.empty() && fs::path(library).is_relative())
            library = (path.parent_path() / library).lexically_normal().string();
    }
    return mapping;
}

void WriteMappingFile(const fs::path& path, const ImportMapping& mapping) {
    const std::string text = WriteMappingText(mapping);
    try {
        SaveFileBytes(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    } catch (const ProjectFileError& e) {
        throw ImportError("マッピングを保存できません: " + path.string() + " (" + e.reason() + ")");
    }
}

std::vector<std::string> CheckMapping(const ImportMapping& mapping, const SourceInfo& source) {
    std::vector<std::string> notes;
    if (!mapping.crs.empty()) {
        const SourceCrs crs = DescribeCrs(mapping.crs);
        if (crs.geographic)
            throw ImportError("座標系 " + crs.Label() + " は緯度経度です。投影座標系 (m) を選んでください");
        if (std::abs(crs.metresPerUnit - 1.0) > 1e-9)
            throw ImportError("座標系 " + crs.Label() + " の単位がメートルではありません");
    }
    for (const LayerMapping& layer : mapping.layers) {
        if (layer.kind == ImportKind::Skip) continue;
        const SourceLayer* found = source.Layer(layer.layer);
        if (found == nullptr) {
            notes.push_back("レイヤ " + layer.layer + " はファイルにありません");
            continue;
        }
        const bool building = layer.kind == ImportKind::Building;
        const bool barrier = layer.kind == ImportKind::Barrier;
        const KindUse use = UseOf(layer.kind);
        if (use.height) {
            CheckValue(layer, *found, source, layer.height, "高さ", building || barrier,
                       layer.kind != ImportKind::Barrier);
            if (layer.height.from == ValueSource::From::Constant && layer.height.value < 0.0)
                throw ImportError(LayerWhere(layer) + ": 高さは 0 以上にしてください");
        }
        if (use.ground) {
            CheckValue(layer, *found, source, layer.ground,
                       layer.kind == ImportKind::GroundLine ? "標高" : "地盤高", false, true);
            if (use.height && layer.height.from == ValueSource::From::Z &&
                layer.ground.from == ValueSource::From::Z)
                throw ImportError(LayerWhere(layer) + ": 高さと地盤高の両方に Z は使えません");
        }
        if (use.label && !layer.label.empty()) CheckField(layer, *found, layer.label, "ラベル");
        if (use.spectrum && !layer.spectrum.field.empty())
            CheckField(layer, *found, layer.spectrum.field, "スペクトル名");
        if (const std::optional<std::string> note = UnusableNote(layer, *found)) notes.push_back(*note);
    }
    return notes;
}

}  // namespace kelmora
