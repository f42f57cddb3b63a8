#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "ProjectFileSamples.h"
#include "model/persistence/ProjectJson.h"

namespace kelmora {
namespace {

using testing::SampleDocument;
using Bytes = std::vector<std::uint8_t>;

// JSON text → project → file bytes.
Bytes FileBytesOfJson(const std::string& text) {
    return WriteProject(ParseProjectJson(text));
}

TEST(ProjectJson, SampleProjectRoundTripsToTheSameFileBytes) {
    const ProjectDocument doc = SampleDocument();
    const std::string text = ProjectJsonText(doc);
    EXPECT_EQ(FileBytesOfJson(text), WriteProject(doc));
    EXPECT_EQ(ParseProjectJson(text), doc);
    EXPECT_EQ(ProjectJsonText(ParseProjectJson(text)), text);
}

double FromBits(std::uint64_t bits) {
    return std::bit_cast<double>(bits);
}

// Every double, special or not, comes back with the same 64 bits through the printed text.
TEST(ProjectJson, DoublesReadBackBitForBit) {
    std::vector<double> values = {
        0.0,
        -0.0,
        0.1,
        1.0 / 3.0,
        -23.39,
        1e300,
        -1e-300,
        std::numeric_limits<double>::max(),
        std::numeric_limits<double>::lowest(),
        std::numeric_limits<double>::min(),
        std::numeric_limits<double>::denorm_min(),
        -std::numeric_limits<double>::denorm_min(),
        9007199254740993.0,  // 2^53 + 1 rounds to 2^53
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        FromBits(0x7FF8000000000000ull),  // quiet NaN
        FromBits(0xFFF8000000000000ull),  // the NaN of 0/0 on x86
        FromBits(0x7FF0000000000001ull),  // signalling NaN
        FromBits(0xFFFFFFFFFFFFFFFFull),
    };
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 4000; ++i)
        values.push_back(FromBits(random()));
    // Spread over the 21 bands of many sources' spectra, and a few scalar fields.
    ProjectDocument doc;
    for (std::size_t i = 0; i < values.size(); i += kThirdOctaveBands) {
        CSound source;
        for (std::size_t k = 0; k < kThirdOctaveBands && i + k < values.size(); ++k)
            source.powerAverage.third[k] = values[i + k];
        source.q = values[i];
        doc.model.outdoorSources.push_back(source);
    }
    const ProjectDocument loaded = ParseProjectJson(ProjectJsonText(doc));
    ASSERT_EQ(loaded.model.outdoorSources.size(), doc.model.outdoorSources.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double back =
            loaded.model.outdoorSources[i / kThirdOctaveBands].powerAverage.third[i % kThirdOctaveBands];
        ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(values[i]))
            << "value " << i << " = " << values[i];
    }
    EXPECT_EQ(WriteProject(loaded), WriteProject(doc));
}

TEST(ProjectJson, ValuesWithoutAJsonNumberAreSpelledOut) {
    const std::pair<double, ProjectJson> cases[] = {
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {FromBits(0x7FF8000000000000ull), "nan"},
        {FromBits(0xFFF8000000000000ull), "-nan"},
        {FromBits(0x7FF0000000000001ull), "nan:0x7ff0000000000001"},
        {FromBits(0xFFF80000000000A0ull), "nan:0xfff80000000000a0"},
        {-0.0, -0.0},
        {20.0, 20.0},
    };
    for (const auto& [value, spelled] : cases) {
        ProjectDocument doc;
        doc.model.temperature = value;
        const ProjectJson json = ProjectToJson(doc);
        EXPECT_EQ(json["model"]["temperature"], spelled) << value;
    }
    ProjectDocument doc;
    doc.model.temperature = -0.0;
    EXPECT_NE(ProjectJsonText(doc).find("\"temperature\": -0.0,"), std::string::npos);
    // Readers accept what a script writes: integers for doubles.
    ProjectJson json = ProjectToJson(doc);
    json["model"]["temperature"] = 25;
    EXPECT_EQ(ProjectFromJson(json).model.temperature, 25.0);
}

// Scripts address the fields by the names of the model.
TEST(ProjectJson, ObjectsCarryTheFieldsOfTheModelInFileOrder) {
    const ProjectJson json = ProjectToJson(SampleDocument());
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"", {"formatVersion", "viewRecords", "model"}},
        {"/viewRecords/0", {"frameRect", "imagePath", "imageHeight", "imageWidth", "calibration", "zoom"}},
        {"/viewRecords/0/zoom", {"origin", "axisX", "axisY", "axisZ", "magnification"}},
        {"/model",
         {"groundLines", "buildings", "outdoorSources", "calcInfo", "targetTime", "effectiveDistance",
          "temperature", "humidity", "maxReflections"}},
        {"/model/groundLines/0/walls/0",
         {"type", "rangeStart", "rangeEnd", "offsetHorizontal", "offsetVertical", "height", "diffractTop",
          "diffractBottom", "diffractStart", "diffractEnd", "tl", "absorptionLeft", "absorptionRight",
          "diffuseLeft", "diffuseRight", "slopeSide", "slopeHorizontal", "slopeVertical", "memo"}},
        {"/model/buildings/0", {"walls", "roofs", "rooms", "memo"}},
        {"/model/buildings/0/roofs/0/face",
         {"rect", "diffracts", "wedgeType", "reflects", "obstructs", "tl", "absorptionLeft",
          "absorptionRight", "diffuseLeft", "diffuseRight", "edgeOffset", "name"}},
        {"/model/buildings/0/rooms/0/openings/0",
         {"rect", "areaFromRect", "area", "absorption", "tl", "belongsTo", "isOutdoorSource", "q",
          "containedOpenings", "memo"}},
        {"/model/outdoorSources/0",
         {"position", "q", "noiseType", "duration", "eventsPerHour", "powerAverage", "powerMax", "memo"}},
        {"/model/outdoorSources/0/powerAverage", {"kind", "overall", "octave", "third", "title"}},
        {"/model/calcInfo/pointList/0", {"position", "label"}},
        {"/model/groundLines/0/polyline", {"vertices"}},
        {"/model/groundLines/0/polyline/vertices/0", {"x", "y", "z"}},
    };
    for (const auto& [pointer, keys] : cases) {
        std::vector<std::string> found;
        for (const auto& [key, value] : json.at(ProjectJson::json_pointer(pointer)).items())
            found.push_back(key);
        EXPECT_EQ(found, keys) << pointer;
    }
    EXPECT_EQ(json["model"]["outdoorSources"][0]["powerAverage"]["octave"].size(), 7u);
    EXPECT_EQ(json["model"]["outdoorSources"][0]["powerAverage"]["third"].size(), 21u);
    EXPECT_EQ(json["model"]["buildings"][0]["rooms"][0]["openings"][0]["containedOpenings"][0]
                  ["containedOpenings"][0]["memo"],
              "のぞき窓");
}

// UTF-16 that is not Unicode text (a lone surrogate) has no JSON string; it travels as code units.
TEST(ProjectJson, TextWithLoneSurrogatesTravelsAsCodeUnits) {
    Bytes file = WriteProject(NewProjectDocument());
    // The empty image path FF FE FF 00 becomes three units: 'A', U+D800 alone, 'B'.
    const Bytes path = {0xFF, 0xFE, 0xFF, 0x03, 0x41, 0x00, 0x00, 0xD8, 0x42, 0x00};
    file.erase(file.begin() + 24, file.begin() + 28);
    file.insert(file.begin() + 24, path.begin(), path.end());
    const ProjectDocument doc = ReadProject(file);
    const ProjectJson json = ProjectToJson(doc);
    EXPECT_EQ(json["viewRecords"][0]["imagePath"], (ProjectJson{{"utf16", {0x41, 0xD800, 0x42}}}));
    EXPECT_EQ(FileBytesOfJson(ProjectJsonText(doc)), file);
}

// One edit of the sample's JSON and the message it must give.
struct BadJsonCase {
    const char* expected;  // what() of the error
    std::function<void(ProjectJson&)> edit;
};

ProjectJson& At(ProjectJson& json, const char* pointer) {
    return json[ProjectJson::json_pointer(pointer)];
}

TEST(ProjectJson, BadValuesAreRefusedNamingTheirPath) {
    const BadJsonCase cases[] = {
        {"/model/buildings/0/roofs/0/face/rect/p3/z: 数値が必要です",
         [](ProjectJson& j) { At(j, "/model/buildings/0/roofs/0/face/rect/p3/z") = "6.0"; }},
        {"/model/temperature: 数値が必要です", [](ProjectJson& j) { At(j, "/model/temperature") = "Inf"; }},
        {"/model/humidity: 数値が必要です", [](ProjectJson& j) { At(j, "/model/humidity") = nullptr; }},
        {"/model/groundLines/0/walls/1/memo: 項目がありません",
         [](ProjectJson& j) { At(j, "/model/groundLines/0/walls/1").erase("memo"); }},
        {"/model/maxReflections: 整数が必要です",
         [](ProjectJson& j) { At(j, "/model/maxReflections") = 2.5; }},
        {"/model/maxReflections: 整数が必要です",
         [](ProjectJson& j) { At(j, "/model/maxReflections") = true; }},
        {"/formatVersion: -2147483648 から 2147483647 までの整数が必要です",
         [](ProjectJson& j) { At(j, "/formatVersion") = 2147483648LL; }},
        {"/viewRecords/0/frameRect/left: -2147483648 から 2147483647 までの整数が必要です",
         [](ProjectJson& j) { At(j, "/viewRecords/0/frameRect/left") = -2147483649LL; }},
        {"/model/outdoorSources/1/powerAverage/third: 要素が 21 個の配列が必要です",
         [](ProjectJson& j) { At(j, "/model/outdoorSources/1/powerAverage/third").erase(20); }},
        {"/model/buildings/0/roofs/0/face/diffracts/2: 整数が必要です",
         [](ProjectJson& j) { At(j, "/model/buildings/0/roofs/0/face/diffracts/2") = "1"; }},
        {"/model/groundLines: 配列が必要です",
         [](ProjectJson& j) { At(j, "/model/groundLines") = ProjectJson::object(); }},
        {"/viewRecords/2/frameRect: オブジェクトが必要です",
         [](ProjectJson& j) {
             At(j, "/viewRecords/2/frameRect") = ProjectJson::array({0, 0, 1, 1});
         }},
        {"/model/calcInfo/pointList/1/label: 文字列が必要です",
         [](ProjectJson& j) { At(j, "/model/calcInfo/pointList/1/label") = 12; }},
        {"/model/calcInfo/memo/utf16/1: 0 から 65535 までの整数が必要です",
         [](ProjectJson& j) {
             At(j, "/model/calcInfo/memo") = ProjectJson{{"utf16", {65, 65536}}};
         }},
        {"/model/calcInfo/Memo: 不明な項目です",
         [](ProjectJson& j) { At(j, "/model/calcInfo")["Memo"] = ""; }},
        {"/model/outdoorSources/0/resultAverage: 不明な項目です",
         [](ProjectJson& j) { At(j, "/model/outdoorSources/0")["resultAverage"] = 0; }},
        {"/a~1b~0c: 不明な項目です", [](ProjectJson& j) { j["a/b~c"] = 1; }},
        {"(JSON 全体): オブジェクトが必要です", [](ProjectJson& j) { j = ProjectJson::array(); }},
    };
    const ProjectJson good = ProjectToJson(SampleDocument());
    ASSERT_NO_THROW(ProjectFromJson(good));
    for (const BadJsonCase& c : cases) {
        ProjectJson bad = good;
        c.edit(bad);
        try {
            ProjectFromJson(bad);
            ADD_FAILURE() << c.expected << ": read without error";
        } catch (const ProjectJsonError& e) {
            EXPECT_STREQ(e.what(), c.expected);
        }
    }
}

TEST(ProjectJson, SyntaxErrorsNameTheLine) {
    const std::string text = ProjectJsonText(NewProjectDocument());
    const std::string cut = text.substr(0, text.size() / 2);
    try {
        ParseProjectJson("{\n  \"formatVersion\": 0,\n  \"viewRecords\": [}\n");
        ADD_FAILURE() << "parsed";
    } catch (const ProjectJsonError& e) {
        EXPECT_EQ(e.pointer(), "");
        EXPECT_TRUE(std::string(e.what()).starts_with("(JSON 全体): JSON の構文エラー: ")) << e.what();
        EXPECT_NE(e.problem().find("line 3"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ParseProjectJson(cut), ProjectJsonError);
    EXPECT_THROW(ParseProjectJson(""), ProjectJsonError);
    // A number beyond the doubles is refused as a fault of the text, not thrown as another error.
    try {
        ParseProjectJson("{\"formatVersion\": 21e308}");
        ADD_FAILURE() << "parsed";
    } catch (const ProjectJsonError& e) {
        EXPECT_EQ(e.problem(), "JSON の構文エラー: number overflow parsing '21e308'");
    }
}

// The chain of openings is as deep in JSON as the file reader allows, and no deeper.
TEST(ProjectJson, OpeningNestingIsBounded) {
    auto chain = [](int depth) {
        ProjectDocument doc;
        doc.model.buildings.resize(1);
        doc.model.buildings[0].rooms.resize(1);
        std::vector<CWindow>* level = &doc.model.buildings[0].rooms[0].openings;
        for (int i = 0; i < depth; ++i) {
            level->resize(1);
            level = &(*level)[0].containedOpenings;
        }
        return doc;
    };
    const ProjectDocument deepest = chain(kMaxOpeningNesting);
    EXPECT_EQ(ProjectFromJson(ProjectToJson(deepest)), deepest);
    EXPECT_EQ(ParseProjectJson(ProjectJsonText(deepest)), deepest);  // within the text's nesting bound
    try {
        ProjectFromJson(ProjectToJson(chain(kMaxOpeningNesting + 1)));
        ADD_FAILURE() << "read";
    } catch (const ProjectJsonError& e) {
        std::string pointer = "/model/buildings/0/rooms/0/openings/0";
        for (int i = 1; i < kMaxOpeningNesting + 1; ++i)
            pointer += "/containedOpenings/0";
        EXPECT_EQ(e.pointer(), pointer);
        EXPECT_EQ(e.problem(), "開口部の入れ子が深すぎます（256 段まで）");
    }
    // The refusal leaves the next read unaffected.
    EXPECT_EQ(ProjectFromJson(ProjectToJson(deepest)), deepest);
}

// A value replaced by arrays nested far deeper than any project is refused before it is parsed, at the
// bracket that goes too deep; brackets inside strings are text.
TEST(ProjectJson, NestingOfTheTextIsBounded) {
    ProjectDocument doc;
    doc.model.outdoorSources.resize(1);
    doc.model.outdoorSources[0].memo = std::string(5000, '[') + "{\"";
    const std::string text = ProjectJsonText(doc);
    EXPECT_EQ(ParseProjectJson(text), doc);

    const std::string band = "\"powerAverage\": ";
    const std::size_t at = text.find(band) + band.size();
    const std::size_t lineStart = text.rfind('\n', at) + 1;
    const std::size_t line = 1 + std::count(text.begin(), text.begin() + at, '\n');
    // The spectrum lies 4 levels deep: document, model, list, source.
    for (const int depth : {kMaxJsonNesting - 4, 100000}) {
        const std::string nested = text.substr(0, at) + std::string(depth, '[') + std::string(depth, ']') +
                                   text.substr(text.find('}', at) + 1);
        try {
            ParseProjectJson(nested);
            ADD_FAILURE() << "parsed";
        } catch (const ProjectJsonError& e) {
            if (depth < kMaxJsonNesting) {
                // Within the bound the reader judges the value itself.
                EXPECT_EQ(e.problem(), "オブジェクトが必要です") << e.what();
                continue;
            }
            EXPECT_EQ(e.pointer(), "");
            const std::size_t column = at - lineStart + 1 + (kMaxJsonNesting - 4);
            EXPECT_EQ(e.problem(), "JSON の入れ子が深すぎます（1024 段まで）: 行 " + std::to_string(line) +
                                       ", 列 " + std::to_string(column));
        }
    }
}

TEST(ProjectJson, PrintedFormKeepsPlainArraysOnOneLine) {
    ProjectDocument doc;
    doc.model.outdoorSources.resize(1);
    const std::string text = ProjectJsonText(doc);
    EXPECT_NE(text.find("\"position\": {\"x\": 0.0, \"y\": 0.0, \"z\": 0.0},"), std::string::npos) << text;
    EXPECT_NE(text.find("\"octave\": [0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0],"), std::string::npos) << text;
    EXPECT_NE(text.find("\n        \"memo\": \"\"\n      }\n    ],\n    \"calcInfo\": {\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.back(), '\n');
}

}  // namespace
}  // namespace kelmora
