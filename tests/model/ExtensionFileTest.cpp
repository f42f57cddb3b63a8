// The extension file beside a project: every section survives a write and a read, a project without
// extras has none, damaged or foreign files are refused with a message naming the problem, and saving
// replaces both files the safe way.
#include "model/persistence/ExtensionFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace kelmora {
namespace {

namespace fs = std::filesystem;

ProjectExtras EverySection() {
    ProjectExtras extras;
    extras.coordinates = SiteCoordinates{6677, "", -12000.25, 35000.5};
    extras.limits = {{LimitScope::AllPoints, "", 55.0, std::nullopt},
                     {LimitScope::LabelPrefix, "境界", 60.0, 70.0},
                     {LimitScope::Label, "P1", std::nullopt, 75.5}};
    extras.scenarios = {{"夜間", {{"屋外音源 1", false, 0.0}, {"建物 2 / 室 1 / 音源 1", true, -6.5}}},
                        {"empty", {}}};
    MapSettings map;
    map.scheme = "user";
    map.lowestClassDb = 40.0;
    map.classWidthDb = 2.5;
    map.userClasses = {{40.0, 0x00ff00}, {45.0, 0xABCDEF}};
    map.gridCrosses = true;
    map.smooth = true;
    map.differenceClassWidthDb = 2.0;
    map.differenceClassesEachSide = 3;
    extras.map = map;
    extras.backupOf = "/home/user/工場/factory.kel";
    extras.maximizedWindows = {0, 2};
    extras.otherSections["laterSection"] = R"({"a":[1,2,{"b":"c"}]})";
    return extras;
}

std::string Problem(std::string_view text) {
    try {
        ReadExtensionText(text);
        return "";
    } catch (const ExtensionFileError& e) {
        return e.what();
    }
}

TEST(ExtensionText, EverySectionReadsBackEqual) {
    const ProjectExtras extras = EverySection();
    const std::string text = WriteExtensionText(extras);
    EXPECT_EQ(ReadExtensionText(text), extras);
    // Written again, the text is the same: nothing drifts from save to save.
    EXPECT_EQ(WriteExtensionText(ReadExtensionText(text)), text);
    EXPECT_TRUE(ProjectExtras{}.Empty());
    EXPECT_FALSE(extras.Empty());
    // Only the sections that hold something are written.
    EXPECT_EQ(WriteExtensionText({}), "{\n  \"format\": \"kelmora-extension\",\n  \"version\": 1\n}\n");
}

TEST(ExtensionText, DamagedOrForeignTextIsRefusedWithItsPlace) {
    const struct {
        const char* text;
        const char* problem;  // a part of the message
    } cases[] = {
        {"", "JSON の構文エラー"},
        {"[1,2]", "JSON オブジェクトが必要です"},
        {R"({"version": 1})", "Kelmora の拡張ファイルではありません"},
        {R"({"format": "kelmora-extension"})", "/version: 版番号が必要です"},
        {R"({"format": "kelmora-extension", "version": 2})", "/version: より新しい版のファイルです"},
        {R"({"format": "kelmora-extension", "version": 1, "coordinates": {"epsg": -3}})",
         "/coordinates/epsg: EPSG コードが必要です"},
        {R"({"format": "kelmora-extension", "version": 1, "coordinates": {"origin": [1]}})",
         "/coordinates/origin: [x, y] が必要です"},
        {R"({"format": "kelmora-extension", "version": 1, "limits": [{"scope": "some"}]})",
         "/limits/0/scope"},
        {R"({"format": "kelmora-extension", "version": 1, "limits": [{"scope": "all", "laeq": "60"}]})",
         "/limits/0/laeq: 数値が必要です"},
        {R"({"format": "kelmora-extension", "version": 1, "scenarios": [{"adjustments": []}]})",
         "/scenarios/0: \"name\" がありません"},
        {R"({"format": "kelmora-extension", "version": 1, "map": {"userClasses": [{"lowerDb": 1, "colour": "red"}]}})",
         "/map/userClasses/0/colour"},
        {R"({"format": "kelmora-extension", "version": 1, "map": {"classWidthDb": 1e999}})",
         "JSON の構文エラー"},
        {R"({"format": "kelmora-extension", "version": 1, "windows": {"maximized": [0, -1]}})",
         "/windows/maximized/1: 0 以上の整数が必要です"},
        {R"({"format": "kelmora-extension", "version": 1, "windows": {"maximized": [1.5]}})",
         "/windows/maximized/0"},
        {R"({"format": "kelmora-extension", "version": 1, "map": {"differenceClassesEachSide": 2.5}})",
         "/map/differenceClassesEachSide"},
    };
    for (const auto& c : cases) {
        const std::string problem = Problem(c.text);
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.text << " → " << problem;
    }
    // Nesting without bound is refused while parsing.
    EXPECT_NE(Problem(std::string(100000, '[')).find("入れ子"), std::string::npos);
}

class ExtensionFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("kelmora-extension-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        project_ = folder_ / "factory.kel";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }
    fs::path folder_;
    fs::path project_;
};

TEST_F(ExtensionFileTest, SavedBesideTheProjectAndReadBack) {
    const ProjectDocument doc = NewProjectDocument();
    SaveProjectWithExtras(project_, doc, EverySection());
    EXPECT_EQ(ExtensionFilePath(project_), folder_ / "factory.kel.kelx");
    const ProjectWithExtras read = ReadProjectWithExtras(project_);
    EXPECT_EQ(read.project, doc);
    EXPECT_EQ(read.extras, EverySection());
    EXPECT_EQ(read.extrasProblem, "");
    // The project file itself holds exactly what it held before extension files existed.
    std::ifstream in(project_, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::vector<std::uint8_t> expected = WriteProject(doc);
    EXPECT_EQ(bytes.str(), std::string(expected.begin(), expected.end()));

    // Saved without extras, the old extension file goes: it would otherwise come back at the next open.
    SaveProjectWithExtras(project_, doc, {});
    EXPECT_FALSE(fs::exists(ExtensionFilePath(project_)));
    EXPECT_TRUE(ReadProjectWithExtras(project_).extras.Empty());
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(ExtensionFileTest, AProjectOpensWithoutADamagedExtension) {
    const ProjectDocument doc = NewProjectDocument();
    SaveProjectWithExtras(project_, doc, {});
    std::ofstream(ExtensionFilePath(project_)) << "{ damaged";
    const ProjectWithExtras read = ReadProjectWithExtras(project_);
    EXPECT_EQ(read.project, doc);
    EXPECT_TRUE(read.extras.Empty());
    EXPECT_NE(read.extrasProblem.find(ExtensionFilePath(project_).string()), std::string::npos);

    // A FIFO in its place is refused without blocking.
    fs::remove(ExtensionFilePath(project_));
    ASSERT_EQ(::mkfifo(ExtensionFilePath(project_).c_str(), 0600), 0);
    EXPECT_NE(ReadProjectWithExtras(project_).extrasProblem.find("通常のファイルではありません"),
              std::string::npos);
}

TEST_F(ExtensionFileTest, AFailedSaveLeavesBothFilesAsTheyWere) {
    const ProjectDocument doc = NewProjectDocument();
    SaveProjectWithExtras(project_, doc, EverySection());
    const std::string before = WriteExtensionText(EverySection());
    // The extension's name is taken by a folder: its new version cannot be made, so neither file changes.
    ProjectDocument changed = doc;
    changed.model.targetTime = 60.0;
    fs::remove(ExtensionFilePath(project_));
    fs::create_directory(ExtensionFilePath(project_));
    EXPECT_THROW(SaveProjectWithExtras(project_, changed, EverySection()), ProjectFileError);
    EXPECT_EQ(ReadProjectFile(project_), doc);
    EXPECT_EQ(FilesInFolder(), 2u);  // no temporary left behind
}

}  // namespace
}  // namespace kelmora
