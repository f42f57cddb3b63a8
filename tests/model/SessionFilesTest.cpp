#include "model/persistence/SessionFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "model/persistence/ExtensionFile.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Int32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
            static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}

// The settings file as the program has always written it, byte by byte.
std::vector<std::uint8_t> SettingsBytes(const std::string& id, std::int32_t version, FrameRect r,
                                        std::vector<std::int32_t> counts) {
    std::vector<std::uint8_t> b = {0xFF, 0xFE, 0xFF, static_cast<std::uint8_t>(id.size())};
    for (char c : id) {
        b.push_back(static_cast<std::uint8_t>(c));
        b.push_back(0);
    }
    auto put = [&b](std::int32_t v) {
        const auto bytes = Int32(v);
        b.insert(b.end(), bytes.begin(), bytes.end());
    };
    put(version);
    put(r.left);
    put(r.top);
    put(r.right);
    put(r.bottom);
    put(static_cast<std::int32_t>(counts.size()));
    for (std::int32_t c : counts)
        put(c);
    return b;
}

TEST(SettingsFile, BytesAreTheArchiveOfTheSettingsObject) {
    MainSettings s;
    s.mainWindow = {10, 20, 1290, 980};
    s.documentsPerTemplate = {3};
    EXPECT_EQ(WriteSettings(s), SettingsBytes("Kelmora", 0, {10, 20, 1290, 980}, {3}));

    const std::optional<MainSettings> read =
        ReadSettings(SettingsBytes("Kelmora", 10000, {-5, 0, 800, 600}, {2}));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->loadedFileVersion, 10000);
    EXPECT_EQ(read->mainWindow, (FrameRect{-5, 0, 800, 600}));
    EXPECT_EQ(read->documentsPerTemplate, std::vector<std::int32_t>{2});
}

TEST(SettingsFile, ForeignNewerOrDamagedFilesAreIgnored) {
    const FrameRect r{0, 0, 100, 100};
    EXPECT_FALSE(ReadSettings(SettingsBytes("kelmora", 0, r, {1}))) << "identification is case-sensitive";
    EXPECT_FALSE(ReadSettings(SettingsBytes("KELMORA", 0, r, {1})));
    EXPECT_FALSE(ReadSettings(SettingsBytes("Kelmora", 10001, r, {1})));
    std::vector<std::uint8_t> cut = SettingsBytes("Kelmora", 0, r, {1, 2});
    cut.resize(cut.size() - 2);
    EXPECT_FALSE(ReadSettings(cut));
    EXPECT_FALSE(ReadSettings(SettingsBytes("Kelmora", 0, r, {})).value().documentsPerTemplate.size());
}

class SessionFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            fs::temp_directory_path() / ("kelmora-session-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    static ProjectDocument Document(const std::string& memo, int windows) {
        ProjectDocument doc;
        doc.viewRecords.resize(static_cast<std::size_t>(windows));
        for (int i = 0; i < windows; ++i)
            doc.viewRecords[static_cast<std::size_t>(i)].info.frameRect = {i * 10, 0, i * 10 + 300, 200};
        doc.model.calcInfo.memo = memo;
        return doc;
    }

    std::vector<std::string> Restored() const {
        std::vector<std::string> memos;
        for (const fs::path& p : BackupsToRestore(folder)) {
            if (!fs::exists(p)) {
                memos.push_back("missing " + p.filename().string());
                continue;
            }
            memos.push_back(ReadProjectFile(p).model.calcInfo.memo);
        }
        return memos;
    }

    fs::path folder;
};

TEST_F(SessionFolder, DocumentsOfTheLastCloseComeBackAndOnlyThose) {
    EXPECT_TRUE(Restored().empty()) << "no settings file, nothing restored";

    SessionSnapshot three{{0, 0, 800, 600}, {Document("A", 1), Document("B", 2), Document("C", 1)}, {}};
    // The second document's extras go into the extension file beside its backup.
    ProjectExtras extras;
    extras.limits = {{LimitScope::AllPoints, "", 55.0, 70.0}};
    extras.backupOf = "/site/B.kel";
    three.extras = {{}, extras};
    ASSERT_TRUE(WriteSession(folder, three).settingsWritten);
    EXPECT_EQ(Restored(), (std::vector<std::string>{"A", "B", "C"}));
    // A document shown in two windows is backed up once, with both windows.
    EXPECT_EQ(ReadProjectFile(folder / "DOC2.asj1").viewRecords.size(), 2u);
    EXPECT_EQ(ReadExtensionFile(folder / "DOC2.asj1"), extras);
    EXPECT_FALSE(fs::exists(ExtensionFilePath(folder / "DOC1.asj1")));

    SessionSnapshot one{{0, 0, 800, 600}, {Document("D", 1)}, {}};
    ASSERT_TRUE(WriteSession(folder, one).settingsWritten);
    EXPECT_TRUE(fs::exists(folder / "DOC2.asj1"));
    EXPECT_TRUE(fs::exists(folder / "DOC3.asj1"));
    EXPECT_EQ(Restored(), std::vector<std::string>{"D"});

    SessionSnapshot none{{0, 0, 800, 600}, {}, {}};
    ASSERT_TRUE(WriteSession(folder, none).settingsWritten);
    EXPECT_TRUE(Restored().empty());
    MainSettings settings;
    BackupsToRestore(folder, &settings);
    EXPECT_EQ(settings.documentsPerTemplate, std::vector<std::int32_t>{0}) << "one kind, no document";
}

TEST_F(SessionFolder, BackupThatCannotBeWrittenIsNotLeftBehindStale) {
    ASSERT_TRUE(WriteSession(folder, {{}, {Document("old 1", 1), Document("old 2", 1)}, {}}).settingsWritten);
    // A folder in the way of DOC2.asj1: that backup fails, the first one is still written.
    fs::remove(folder / "DOC2.asj1");
    fs::create_directory(folder / "DOC2.asj1");
    const SessionWriteResult r = WriteSession(folder, {{}, {Document("new 1", 1), Document("new 2", 1)}, {}});
    EXPECT_TRUE(r.settingsWritten);
    EXPECT_EQ(r.failedBackups, std::vector<int>{2});
    EXPECT_EQ(ReadProjectFile(folder / "DOC1.asj1").model.calcInfo.memo, "new 1");
    // The settings still count it; the start reports it as missing instead of reopening old work.
    EXPECT_EQ(BackupsToRestore(folder).size(), 2u);
}

TEST_F(SessionFolder, NoSettingsFileNoBackups) {
    const fs::path gone = folder / "not-there";
    const SessionWriteResult r = WriteSession(gone, {{}, {Document("A", 1)}, {}});
    EXPECT_FALSE(r.settingsWritten);
    EXPECT_FALSE(fs::exists(gone / "DOC1.asj1"));
}

TEST_F(SessionFolder, DamagedCountDoesNotFloodTheStart) {
    const std::vector<std::uint8_t> bytes = SettingsBytes("Kelmora", 0, {}, {2000000000});
    std::ofstream(folder / kSettingsFileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_EQ(BackupsToRestore(folder).size(), 1000u);
}

}  // namespace
}  // namespace kelmora
