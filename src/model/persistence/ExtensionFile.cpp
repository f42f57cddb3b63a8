#include "model/persistence/ExtensionFile.h"

#include <cmath>
#include <optional>
#include <system_error>
#include <utility>

#include <nlohmann/json.hpp>

#include "model/persistence/InputFile.h"
#include "model/persistence/ReplacingFile.h"

namespace kelmora {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

// Nesting deeper than any section needs is refused while parsing, before a value is built.
constexpr int kMaxNesting = 64;

[[noreturn]] void Fail(const std::string& where, const std::string& problem) {
    throw ExtensionFileError(where.empty() ? problem : where + ": " + problem);
}

// ---- Reading values -------------------------------------------------------------------------------

const Json& Member(const Json& object, const char* name, const std::string& where) {
    const auto it = object.find(name);
    if (it == object.end()) Fail(where, std::string("\"") + name + "\" がありません");
    return *it;
}

double Number(const Json& value, const std::string& where) {
    if (!value.is_number()) Fail(where, "数値が必要です");
    const double number = value.get<double>();
    if (!std::isfinite(number)) Fail(where, "有限の数値が必要です");
    return number;
}

std::optional<double> OptionalNumber(const Json& object, const char* name, const std::string& where) {
    const auto it = object.find(name);
    if (it == object.end() || it->is_null()) return std::nullopt;
    return Number(*it, where + "/" + name);
}

std::string Text(const Json& value, const std::string& where) {
    if (!value.is_string()) Fail(where, "文字列が必要です");
    return value.get<std::string>();
}

bool Flag(const Json& value, const std::string& where) {
    if (!value.is_boolean()) Fail(where, "true または false が必要です");
    return value.get<bool>();
}

const Json& ObjectAt(const Json& value, const std::string& where) {
    if (!value.is_object()) Fail(where, "オブジェクトが必要です");
    return value;
}

const Json& ArrayAt(const Json& value, const std::string& where) {
    if (!value.is_array()) Fail(where, "配列が必要です");
    return value;
}

// Optional members of an object read into `out` when present.
void ReadIf(const Json& object, const char* name, const std::string& where, double& out) {
    if (const auto it = object.find(name); it != object.end()) out = Number(*it, where + "/" + name);
}
void ReadIf(const Json& object, const char* name, const std::string& where, bool& out) {
    if (const auto it = object.find(name); it != object.end()) out = Flag(*it, where + "/" + name);
}
void ReadIf(const Json& object, const char* name, const std::string& where, std::string& out) {
    if (const auto it = object.find(name); it != object.end()) out = Text(*it, where + "/" + name);
}

Json NumberOrNull(const std::optional<double>& value) {
    return value ? Json(*value) : Json(nullptr);
}

// ---- Sections -------------------------------------------------------------------------------------

Json CoordinatesToJson(const SiteCoordinates& c) {
    Json out = Json::object();
    if (c.epsg > 0) out["epsg"] = c.epsg;
    if (!c.definition.empty()) out["definition"] = c.definition;
    out["origin"] = Json::array({c.originX, c.originY});
    return out;
}

SiteCoordinates CoordinatesFromJson(const Json& json, const std::string& where) {
    ObjectAt(json, where);
    SiteCoordinates c;
    if (const auto it = json.find("epsg"); it != json.end()) {
        if (!it->is_number_integer() || it->get<std::int64_t>() <= 0 || it->get<std::int64_t>() > INT32_MAX)
            Fail(where + "/epsg", "EPSG コードが必要です");
        c.epsg = static_cast<std::int32_t>(it->get<std::int64_t>());
    }
    ReadIf(json, "definition", where, c.definition);
    if (const auto it = json.find("origin"); it != json.end()) {
        const Json& origin = ArrayAt(*it, where + "/origin");
        if (origin.size() != 2) Fail(where + "/origin", "[x, y] が必要です");
        c.originX = Number(origin[0], where + "/origin/0");
        c.originY = Number(origin[1], where + "/origin/1");
    }
    return c;
}

const char* ScopeName(LimitScope scope) {
    switch (scope) {
        case LimitScope::AllPoints:
            return "all";
        case LimitScope::LabelPrefix:
            return "prefix";
        case LimitScope::Label:
            return "label";
    }
    return "all";
}

Json LimitsToJson(const LevelLimits& limits) {
    Json out = Json::array();
    for (const LevelLimit& limit : limits) {
        Json item = Json::object();
        item["scope"] = ScopeName(limit.scope);
        if (limit.scope != LimitScope::AllPoints) item["text"] = limit.text;
        item["laeq"] = NumberOrNull(limit.laeq);
        item["lamax"] = NumberOrNull(limit.lamax);
        out.push_back(std::move(item));
    }
    return out;
}

LevelLimits LimitsFromJson(const Json& json, const std::string& where) {
    LevelLimits limits;
    for (std::size_t i = 0; i < ArrayAt(json, where).size(); ++i) {
        const std::string at = where + "/" + std::to_string(i);
        const Json& item = ObjectAt(json[i], at);
        LevelLimit limit;
        const std::string scope = Text(Member(item, "scope", at), at + "/scope");
        if (scope == "all")
            limit.scope = LimitScope::AllPoints;
        else if (scope == "prefix")
            limit.scope = LimitScope::LabelPrefix;
        else if (scope == "label")
            limit.scope = LimitScope::Label;
        else
            Fail(at + "/scope", "\"all\", \"prefix\" または \"label\" が必要です");
        ReadIf(item, "text", at, limit.text);
        limit.laeq = OptionalNumber(item, "laeq", at);
        limit.lamax = OptionalNumber(item, "lamax", at);
        limits.push_back(std::move(limit));
    }
    return limits;
}

Json ScenariosToJson(const Scenarios& scenarios) {
    Json out = Json::array();
    for (const Scenario& scenario : scenarios) {
        Json adjustments = Json::array();
        for (const SourceAdjustment& a : scenario.adjustments)
            adjustments.push_back(Json{{"source", a.source}, {"on", a.on}, {"gainDb", a.gainDb}});
        out.push_back(Json{{"name", scenario.name}, {"adjustments", std::move(adjustments)}});
    }
    return out;
}

Scenarios ScenariosFromJson(const Json& json, const std::string& where) {
    Scenarios scenarios;
    for (std::size_t i = 0; i < ArrayAt(json, where).size(); ++i) {
        const std::string at = where + "/" + std::to_string(i);
        const Json& item = ObjectAt(json[i], at);
        Scenario scenario;
        scenario.name = Text(Member(item, "name", at), at + "/name");
        if (const auto it = item.find("adjustments"); it != item.end()) {
            const std::string list = at + "/adjustments";
            for (std::size_t k = 0; k < ArrayAt(*it, list).size(); ++k) {
                const std::string a = list + "/" + std::to_string(k);
                const Json& entry = ObjectAt((*it)[k], a);
                SourceAdjustment adjustment;
                adjustment.source = Text(Member(entry, "source", a), a + "/source");
                ReadIf(entry, "on", a, adjustment.on);
                ReadIf(entry, "gainDb", a, adjustment.gainDb);
                scenario.adjustments.push_back(std::move(adjustment));
            }
        }
        scenarios.push_back(std::move(scenario));
    }
    return scenarios;
}

Json MapSettingsToJson(const MapSettings& m) {
    Json classes = Json::array();
    for (const MapClassColour& c : m.userClasses) {
        char rgb[8];
        std::snprintf(rgb, sizeof rgb, "#%06x", static_cast<unsigned>(c.rgb & 0xffffff));
        classes.push_back(Json{{"lowerDb", c.lowerDb}, {"colour", rgb}});
    }
    return Json{{"scheme", m.scheme},
                {"lowestClassDb", m.lowestClassDb},
                {"classWidthDb", m.classWidthDb},
                {"userClasses", std::move(classes)},
                {"isoLines", m.isoLines},
                {"isoLineLabels", m.isoLineLabels},
                {"gridCrosses", m.gridCrosses},
                {"maskBuildings", m.maskBuildings},
                {"smooth", m.smooth},
                {"differenceClassWidthDb", m.differenceClassWidthDb},
                {"differenceClassesEachSide", m.differenceClassesEachSide}};
}

std::uint32_t Colour(const Json& value, const std::string& where) {
    const std::string text = Text(value, where);
    std::uint32_t rgb = 0;
    if (text.size() != 7 || text[0] != '#') Fail(where, "\"#rrggbb\" が必要です");
    for (std::size_t i = 1; i < 7; ++i) {
        const char ch = text[i];
        const int digit = ch >= '0' && ch <= '9'   ? ch - '0'
                          : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10
                          : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10
                                                   : -1;
        if (digit < 0) Fail(where, "\"#rrggbb\" が必要です");
        rgb = rgb * 16 + static_cast<std::uint32_t>(digit);
    }
    return rgb;
}

MapSettings MapSettingsFromJson(const Json& json, const std::string& where) {
    ObjectAt(json, where);
    MapSettings m;
    ReadIf(json, "scheme", where, m.scheme);
    ReadIf(json, "lowestClassDb", where, m.lowestClassDb);
    ReadIf(json, "classWidthDb", where, m.classWidthDb);
    if (const auto it = json.find("userClasses"); it != json.end()) {
        const std::string list = where + "/userClasses";
        for (std::size_t i = 0; i < ArrayAt(*it, list).size(); ++i) {
            const std::string at = list + "/" + std::to_string(i);
            const Json& entry = ObjectAt((*it)[i], at);
            m.userClasses.push_back(MapClassColour{Number(Member(entry, "lowerDb", at), at + "/lowerDb"),
                                                   Colour(Member(entry, "colour", at), at + "/colour")});
        }
    }
    ReadIf(json, "isoLines", where, m.isoLines);
    ReadIf(json, "isoLineLabels", where, m.isoLineLabels);
    ReadIf(json, "gridCrosses", where, m.gridCrosses);
    ReadIf(json, "maskBuildings", where, m.maskBuildings);
    ReadIf(json, "smooth", where, m.smooth);
    ReadIf(json, "differenceClassWidthDb", where, m.differenceClassWidthDb);
    if (const auto it = json.find("differenceClassesEachSide"); it != json.end()) {
        if (!it->is_number_integer() || it->get<std::int64_t>() < 1 || it->get<std::int64_t>() > 1000)
            Fail(where + "/differenceClassesEachSide", "1 以上の整数が必要です");
        m.differenceClassesEachSide = static_cast<int>(it->get<std::int64_t>());
    }
    return m;
}

// The window states of a backup: {"maximized": [record index, ...]}.
Json WindowsToJson(const std::vector<std::int32_t>& maximized) {
    return Json{{"maximized", maximized}};
}

std::vector<std::int32_t> WindowsFromJson(const Json& json, const std::string& where) {
    ObjectAt(json, where);
    std::vector<std::int32_t> maximized;
    if (const auto it = json.find("maximized"); it != json.end()) {
        const std::string list = where + "/maximized";
        for (std::size_t i = 0; i < ArrayAt(*it, list).size(); ++i) {
            const Json& index = (*it)[i];
            if (!index.is_number_integer() || index.get<std::int64_t>() < 0 ||
                index.get<std::int64_t>() > INT32_MAX)
                Fail(list + "/" + std::to_string(i), "0 以上の整数が必要です");
            maximized.push_back(static_cast<std::int32_t>(index.get<std::int64_t>()));
        }
    }
    return maximized;
}

bool IsKnownSection(const std::string& name) {
    return name == "format" || name == "version" || name == "coordinates" || name == "limits" ||
           name == "scenarios" || name == "map" || name == "backupOf" || name == "windows";
}

void RemoveQuietly(const fs::path& path) {
    std::error_code ec;
    if (fs::is_regular_file(fs::symlink_status(path, ec))) fs::remove(path, ec);
}

}  // namespace

fs::path ExtensionFilePath(const fs::path& project) {
    fs::path path = project;
    path += kExtensionSuffix;
    return path;
}

std::string WriteExtensionText(const ProjectExtras& extras) {
    Json json = Json::object();
    json["format"] = kExtensionFormat;
    json["version"] = kExtensionVersion;
    if (extras.coordinates) json["coordinates"] = CoordinatesToJson(*extras.coordinates);
    if (!extras.limits.empty()) json["limits"] = LimitsToJson(extras.limits);
    if (!extras.scenarios.empty()) json["scenarios"] = ScenariosToJson(extras.scenarios);
    if (extras.map) json["map"] = MapSettingsToJson(*extras.map);
    if (!extras.backupOf.empty()) json["backupOf"] = extras.backupOf;
    if (!extras.maximizedWindows.empty()) json["windows"] = WindowsToJson(extras.maximizedWindows);
    for (const auto& [name, text] : extras.otherSections)
        json[name] = Json::parse(text);
    // Invalid UTF-8 in a text (a label read from an odd file) is replaced rather than refused.
    return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

ProjectExtras ReadExtensionText(std::string_view text) {
    Json json;
    try {
        json = Json::parse(text, [](int depth, Json::parse_event_t, Json&) {
            if (depth > kMaxNesting) Fail("", "JSON の入れ子が深すぎます");
            return true;
        });
    } catch (const Json::exception& e) {
        std::string what = e.what();
        const std::size_t tagEnd = what.find("] ");
        if (what.starts_with("[json.exception") && tagEnd != std::string::npos) what.erase(0, tagEnd + 2);
        Fail("", "JSON の構文エラー: " + what);
    }
    if (!json.is_object()) Fail("", "JSON オブジェクトが必要です");
    const auto format = json.find("format");
    if (format == json.end() || !format->is_string() || format->get<std::string>() != kExtensionFormat)
        Fail("", std::string("Kelmora の拡張ファイルではありません (\"format\": \"") + kExtensionFormat +
                     "\" がありません)");
    const auto version = json.find("version");
    if (version == json.end() || !version->is_number_integer() || version->get<std::int64_t>() < 1)
        Fail("/version", "版番号が必要です");
    if (version->get<std::int64_t>() > kExtensionVersion)
        Fail("/version",
             "より新しい版のファイルです (版 " + std::to_string(version->get<std::int64_t>()) + ")");

    ProjectExtras extras;
    for (auto it = json.begin(); it != json.end(); ++it) {
        const std::string& name = it.key();
        const std::string where = "/" + name;
        if (name == "coordinates")
            extras.coordinates = CoordinatesFromJson(*it, where);
        else if (name == "limits")
            extras.limits = LimitsFromJson(*it, where);
        else if (name == "scenarios")
            extras.scenarios = ScenariosFromJson(*it, where);
        else if (name == "map")
            extras.map = MapSettingsFromJson(*it, where);
        else if (name == "backupOf")
            extras.backupOf = Text(*it, where);
        else if (name == "windows")
            extras.maximizedWindows = WindowsFromJson(*it, where);
        else if (!IsKnownSection(name))
            extras.otherSections[name] = it->dump();
    }
    return extras;
}

ProjectExtras ReadExtensionFile(const fs::path& project) {
    const fs::path path = ExtensionFilePath(project);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec))) return {};
    try {
        const std::vector<std::uint8_t> bytes = ReadRegularFile(path, kMaxExtensionBytes);
        return ReadExtensionText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const InputFileError& e) {
        throw ExtensionFileError(e.what());
    } catch (const ExtensionFileError& e) {
        throw ExtensionFileError(path.string() + ": " + e.what());
    }
}

ProjectWithExtras ReadProjectWithExtras(const fs::path& project) {
    ProjectWithExtras out;
    out.project = ReadProjectFile(project);
    try {
        out.extras = ReadExtensionFile(project);
    } catch (const ExtensionFileError& e) {
        out.extrasProblem = e.what();
    }
    return out;
}

void SaveProjectWithExtras(const fs::path& project, const ProjectDocument& doc, const ProjectExtras& extras) {
    try {
        CReplacingFile projectFile(project);
        projectFile.Write(WriteProject(doc));
        std::optional<CReplacingFile> extensionFile;
        if (!extras.Empty()) {
            extensionFile.emplace(ExtensionFilePath(project));
            extensionFile->Write(WriteExtensionText(extras));
        }
        projectFile.Commit();
        if (extensionFile)
            extensionFile->Commit();
        else
            RemoveQuietly(ExtensionFilePath(project));
    } catch (const std::system_error& e) {
        throw ProjectFileError(kSaveDocumentFailed, e.what());
    }
}

}  // namespace kelmora
