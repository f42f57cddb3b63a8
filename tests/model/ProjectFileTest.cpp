#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "ProjectFileSamples.h"
#include "model/persistence/ProjectFile.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using testing::SampleDocument;
using testing::WithInt32At;
using Bytes = std::vector<std::uint8_t>;

// Little-endian values appended one after the other, written without the archive.
struct Expected {
    Bytes bytes;
    Expected& Int(std::int32_t v) { return Raw(&v, 4); }
    Expected& Double(double v) { return Raw(&v, 8); }
    Expected& Raw(std::initializer_list<std::uint8_t> b) {
        bytes.insert(bytes.end(), b);
        return *this;
    }
    Expected& Raw(const void* p, std::size_t n) {
        const auto* b = static_cast<const std::uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
        return *this;
    }
    Expected& EmptyString() { return Raw({0xFF, 0xFE, 0xFF, 0x00}); }
    Expected& Display(double oy) {
        return Double(0).Double(0).Double(1).Double(0).Double(0).Double(oy).Double(0).Double(0).Double(1);
    }
};

// The message of the read failure, or "" when the bytes read.
std::string ReadFailure(const Bytes& bytes, std::size_t size) {
    try {
        ReadProject(std::span(bytes.data(), size));
    } catch (const ArchiveError& e) {
        return e.what();
    }
    return "";
}

TEST(ProjectFile, NewProjectSavedAtOnce) {
    Expected e;
    e.Int(0).Int(1);                                                      // version word, one window
    e.Int(0).Int(0).Int(0).Int(0).EmptyString().Double(300).Double(500);  // frame, no picture, blank area
    e.Display(-1).Display(-1);                                            // calibration and zoom
    e.Int(0).Int(0).Int(0);                                               // ground lines, buildings, sources
    e.Int(0).Double(0).Double(0).Double(0).EmptyString();                 // mode, single point
    e.Int(0).Int(10).Int(10).Double(1.5).Int(0).EmptyString();  // list, divisions, grid height, grid, memo
    e.Double(3).Double(0).Double(0).Double(10).Double(10);      // top height, vertical grid line
    e.Double(3600).Double(250).Double(20).Double(60).Int(2);    // target time .. reflections
    const Bytes bytes = WriteProject(NewProjectDocument());
    EXPECT_EQ(bytes, e.bytes);
    EXPECT_EQ(bytes.size(), 336u);
    EXPECT_EQ(ReadProject(bytes), NewProjectDocument());
}

TEST(ProjectFile, WholeProjectRoundTripsByteForByte) {
    const ProjectDocument doc = SampleDocument();
    const Bytes bytes = WriteProject(doc);
    std::size_t used = 0;
    const ProjectDocument loaded = ReadProject(bytes, &used);
    EXPECT_EQ(used, bytes.size());
    EXPECT_EQ(loaded, doc);
    EXPECT_EQ(WriteProject(loaded), bytes);
    // The three nested openings come back nested.
    const CWindow& surface = loaded.model.buildings[0].rooms[0].openings.at(0);
    EXPECT_EQ(surface.containedOpenings.at(0).containedOpenings.at(0).memo, "のぞき窓");
}

// The length prefix goes up a stage at 255 and at 65534 UTF-16 units; characters outside the basic
// plane count two units, Japanese characters one.
TEST(ProjectFile, StringLengthPrefixStagesAtTheirBoundaries) {
    const std::string clef = "\xF0\x9D\x84\x9E";  // U+1D11E, a surrogate pair
    struct Case {
        std::string text;
        Bytes prefix;  // after the Unicode tag FF FE FF
    };
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    };
    const Case cases[] = {
        {"abc", {0x03}},
        {repeat("音", 254), {0xFE}},
        {repeat(clef, 127), {0xFE}},
        {repeat("音", 255), {0xFF, 0xFF, 0x00}},
        {repeat(clef, 127) + "x", {0xFF, 0xFF, 0x00}},
        {repeat("x", 65533), {0xFF, 0xFD, 0xFF}},
        {repeat("x", 65534), {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {repeat("x", 65535), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
        {repeat(clef, 40000), {0xFF, 0xFF, 0xFF, 0x80, 0x38, 0x01, 0x00}},
    };
    constexpr std::size_t kPathOffset = 4 + 4 + 16;  // version, count, frame of the first window
    for (const Case& c : cases) {
        ProjectDocument doc = NewProjectDocument();
        doc.viewRecords[0].viewData.imagePath = c.text;
        doc.model.calcInfo.memo = c.text;
        const Bytes bytes = WriteProject(doc);
        const Bytes head(bytes.begin() + kPathOffset, bytes.begin() + kPathOffset + 3 + c.prefix.size());
        Bytes expected{0xFF, 0xFE, 0xFF};
        expected.insert(expected.end(), c.prefix.begin(), c.prefix.end());
        EXPECT_EQ(head, expected) << c.text.size() << " bytes of UTF-8";
        const ProjectDocument loaded = ReadProject(bytes);
        EXPECT_EQ(loaded, doc);
        EXPECT_EQ(WriteProject(loaded), bytes);
    }
}

// The forms a reader accepts but the program never writes: single-byte CP932 strings and longer
// length stages than needed. They read, and are written back in the one form the program writes.
TEST(ProjectFile, OtherStringFormsAreReadAndRewrittenInTheWrittenForm) {
    struct Case {
        const char* name;
        Bytes stored;  // in place of the empty image path
        const char* text;
    };
    const Case cases[] = {
        {"CP932 single-byte", {0x04, 0x93, 0xFA, 0x96, 0x7B}, "日本"},
        {"CP932, word length", {0xFF, 0x04, 0x00, 0x93, 0xFA, 0x96, 0x7B}, "日本"},
        {"CP932, dword length", {0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 0x41, 0x42}, "AB"},
        {"UTF-16, word length", {0xFF, 0xFE, 0xFF, 0xFF, 0x02, 0x00, 0xE5, 0x65, 0x2C, 0x67}, "日本"},
        {"UTF-16, dword length",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 0xE5, 0x65, 0x2C, 0x67},
         "日本"},
        {"UTF-16, qword length",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0, 0, 0, 0, 0, 0, 0, 0x41, 0x00},
         "A"},
    };
    const Bytes blank = WriteProject(NewProjectDocument());
    constexpr std::size_t kPathOffset = 24;
    for (const Case& c : cases) {
        Bytes file(blank.begin(), blank.begin() + kPathOffset);
        file.insert(file.end(), c.stored.begin(), c.stored.end());
        file.insert(file.end(), blank.begin() + kPathOffset + 4, blank.end());
        const ProjectDocument loaded = ReadProject(file);
        EXPECT_EQ(loaded.viewRecords.at(0).viewData.imagePath, c.text) << c.name;
        ProjectDocument expected = NewProjectDocument();
        expected.viewRecords[0].viewData.imagePath = c.text;
        EXPECT_EQ(WriteProject(loaded), WriteProject(expected)) << c.name;
    }
}

TEST(ProjectFile, UndecodableLengthsFail) {
    const Bytes cases[] = {
        // 64-bit lengths with a high half, or a low half beyond a signed 32-bit length.
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0, 0, 0, 0x01, 0, 0, 0},
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0, 0, 0x80, 0, 0, 0, 0},
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0, 0, 0, 0x01, 0, 0, 0},
        // Lengths longer than the rest of the file.
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F},
        {0xFF, 0xFE, 0xFF, 0xFE},
    };
    const Bytes blank = WriteProject(NewProjectDocument());
    for (const Bytes& stored : cases) {
        Bytes file(blank.begin(), blank.begin() + 24);
        file.insert(file.end(), stored.begin(), stored.end());
        file.insert(file.end(), blank.begin() + 28, blank.end());
        EXPECT_EQ(ReadFailure(file, file.size()), kUnexpectedFileFormat);
    }
}

TEST(ProjectFile, EveryTruncationFailsWithTheFileFormatMessage) {
    const Bytes bytes = WriteProject(SampleDocument());
    for (std::size_t n = 0; n < bytes.size(); ++n)
        ASSERT_EQ(ReadFailure(bytes, n), kUnexpectedFileFormat)
            << "first " << n << " of " << bytes.size() << " bytes";
}

// Counts are checked against the bytes left before anything is reserved for them.
TEST(ProjectFile, CountsTheRestOfTheFileCannotHoldFail) {
    const Bytes blank = WriteProject(NewProjectDocument());
    constexpr std::size_t kWindowCount = 4;
    constexpr std::size_t kGroundLineCount = 8 + 180;
    constexpr std::size_t kPointListCount = kGroundLineCount + 12 + 4 + 28;
    const std::pair<std::size_t, std::int32_t> cases[] = {
        {kWindowCount, -1},
        {kWindowCount, 2},
        {kWindowCount, 0x7FFFFFFF},
        {kWindowCount, INT32_MIN},
        {kGroundLineCount, 1},
        {kGroundLineCount, 0x40000000},
        {kPointListCount, 0x7FFFFFFF},
        {kPointListCount, -5},
    };
    EXPECT_EQ(ReadFailure(WithInt32At(blank, kPointListCount, 0), blank.size()), "");
    for (const auto& [offset, count] : cases)
        EXPECT_EQ(ReadFailure(WithInt32At(blank, offset, count), blank.size()), kUnexpectedFileFormat)
            << "count " << count << " at byte " << offset;
}

// The desktop program stops reading after the site model; what follows is not part of the project.
TEST(ProjectFile, BytesAfterTheModelAreIgnored) {
    const Bytes bytes = WriteProject(SampleDocument());
    Bytes longer = bytes;
    longer.insert(longer.end(), {0xFF, 0x00, 0x13});
    std::size_t used = 0;
    const ProjectDocument loaded = ReadProject(longer, &used);
    EXPECT_EQ(used, bytes.size());
    EXPECT_EQ(WriteProject(loaded), bytes);
}

// ---------------------------------------------------------------------------------------------
// Files on disk.

class ProjectFileOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() /
                  ("kelmora-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(folder_, ec);
    }

    static void Put(const fs::path& path, const Bytes& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    static Bytes Get(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // Every file below the folder with its content, to see that a failed save changed nothing.
    std::map<std::string, Bytes> Snapshot() const {
        std::map<std::string, Bytes> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
            const std::string name = fs::relative(entry.path(), folder_).string();
            files[name] = entry.is_regular_file() ? Get(entry.path()) : Bytes{};
        }
        return files;
    }

    fs::path folder_;
};

TEST_F(ProjectFileOnDisk, SavedProjectReadsBackWithTheSameBytes) {
    const ProjectDocument doc = SampleDocument();
    const fs::path path = folder_ / "工場.kel";
    SaveProjectFile(path, doc);
    EXPECT_EQ(Get(path), WriteProject(doc));
    EXPECT_EQ(ReadProjectFile(path), doc);
    EXPECT_EQ(Snapshot().size(), 1u) << "no temporary file is left beside the project";
}

TEST_F(ProjectFileOnDisk, SavingReplacesTheOldFileKeepingItsPermissions) {
    const fs::path path = folder_ / "site";
    Put(path, {1, 2, 3});
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    SaveProjectFile(path, NewProjectDocument());
    EXPECT_EQ(Get(path), WriteProject(NewProjectDocument()));
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Snapshot().size(), 1u);
}

TEST_F(ProjectFileOnDisk, SavingThroughALinkReplacesTheLinkedFile) {
    fs::create_directories(folder_ / "real");
    Put(folder_ / "real" / "site", {1, 2, 3});
    fs::create_symlink("real/site", folder_ / "link");
    SaveProjectFile(folder_ / "link", NewProjectDocument());
    EXPECT_TRUE(fs::is_symlink(folder_ / "link"));
    EXPECT_EQ(Get(folder_ / "real" / "site"), WriteProject(NewProjectDocument()));
    // A chain of links, the last one pointing at a file that does not exist yet: the file is made there.
    fs::create_symlink("real/new", folder_ / "dangling");
    fs::create_symlink("dangling", folder_ / "chain");
    SaveProjectFile(folder_ / "chain", NewProjectDocument());
    EXPECT_TRUE(fs::is_symlink(folder_ / "chain") && fs::is_symlink(folder_ / "dangling"));
    EXPECT_EQ(Get(folder_ / "real" / "new"), WriteProject(NewProjectDocument()));
}

TEST_F(ProjectFileOnDisk, FailedSaveLeavesEverythingAsItWas) {
    struct Case {
        const char* name;
        std::function<fs::path()> prepare;  // returns the path to save to
    };
    const Bytes old = WriteProject(NewProjectDocument());
    const Case cases[] = {
        {"the name is taken by a folder",
         [&] {
             fs::create_directories(folder_ / "taken");
             Put(folder_ / "taken" / "inside", old);
             return folder_ / "taken";
         }},
        {"the folder does not exist", [&] { return folder_ / "missing" / "site"; }},
        {"the file cannot grow (disk full)",
         [&] {
             Put(folder_ / "site", old);
             // Writes past 100 bytes fail with EFBIG instead of raising SIGXFSZ.
             ::signal(SIGXFSZ, SIG_IGN);
             rlimit limit{};
             ::getrlimit(RLIMIT_FSIZE, &limit);
             limit.rlim_cur = 100;
             ::setrlimit(RLIMIT_FSIZE, &limit);
             return folder_ / "site";
         }},
        {"the folder is read-only",
         [&] {
             Put(folder_ / "site", old);
             fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
             return folder_ / "site";
         }},
    };
    for (const Case& c : cases) {
        const fs::path path = c.prepare();
        const auto before = Snapshot();
        const bool rootWritesAnyway = std::string(c.name) == "the folder is read-only" && ::geteuid() == 0;
        try {
            SaveProjectFile(path, SampleDocument());
            EXPECT_TRUE(rootWritesAnyway) << c.name << ": the save did not fail";
        } catch (const ProjectFileError& e) {
            EXPECT_STREQ(e.what(), kSaveDocumentFailed) << c.name;
            EXPECT_FALSE(e.reason().empty()) << c.name;
            EXPECT_EQ(Snapshot(), before) << c.name;
        }
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        fs::permissions(folder_, fs::perms::owner_all);
        for (const auto& entry : fs::directory_iterator(folder_))
            fs::remove_all(entry.path());
    }
}

TEST_F(ProjectFileOnDisk, ReadFailuresSayWhetherTheFileOrItsContentIsAtFault) {
    const Bytes bytes = WriteProject(SampleDocument());
    Put(folder_ / "whole", bytes);
    Put(folder_ / "cut", Bytes(bytes.begin(), bytes.end() - 1));
    Put(folder_ / "empty", {});
    fs::create_directories(folder_ / "folder");
    // A pipe that nobody writes (a blocking open would wait for ever) and a sparse file of 2 GB.
    ASSERT_EQ(::mkfifo((folder_ / "fifo").c_str(), 0600), 0);
    Put(folder_ / "huge", bytes);
    fs::resize_file(folder_ / "huge", std::uintmax_t{2} << 30);
    const std::pair<const char*, const char*> cases[] = {
        {"missing", kOpenDocumentFailed}, {"folder", kOpenDocumentFailed},  {"fifo", kOpenDocumentFailed},
        {"huge", kOpenDocumentFailed},    {"empty", kUnexpectedFileFormat}, {"cut", kUnexpectedFileFormat},
    };
    for (const auto& [name, message] : cases) {
        try {
            ReadProjectFile(folder_ / name);
            ADD_FAILURE() << name << " was read";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), message) << name;
        }
    }
    EXPECT_EQ(ReadProjectFile(folder_ / "whole"), SampleDocument());
}

}  // namespace
}  // namespace kelmora
