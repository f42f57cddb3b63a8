// A new version of a file takes the old one's place only when it is complete and on the disk; a
// process killed meanwhile leaves nothing behind, and leftovers of dead processes are cleared.
#include "model/persistence/ReplacingFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "model/persistence/ProjectFile.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

class ReplacingFileTest : public ::testing::Test {
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
        fs::remove_all(folder_, ec);
    }

    static void Put(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Get(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path folder_;
};

// What the recorder saw, in order: "fsync", "linkat", "rename".
std::vector<std::string> calls;
int failFsyncWith = 0;

int RecordFsync(int fd) {
    calls.push_back("fsync");
    if (failFsyncWith != 0) {
        errno = failFsyncWith;
        return -1;
    }
    return ::fsync(fd);
}
int RecordLinkat(int a, const char* from, int b, const char* to, int flags) {
    calls.push_back("linkat");
    return ::linkat(a, from, b, to, flags);
}
int RecordRename(const char* from, const char* to) {
    calls.push_back("rename");
    return ::rename(from, to);
}

TEST_F(ReplacingFileTest, SaveSynchronisesTheDataBeforeTheFileTakesTheTargetsPlace) {
    const fs::path path = folder_ / "site.kel";
    Put(path, "old");
    calls.clear();
    failFsyncWith = 0;
    {
        const ScopedFileSystemCalls recorder({RecordFsync, RecordLinkat, RecordRename});
        SaveFileBytes(path, std::vector<std::uint8_t>{'n', 'e', 'w'});
    }
    EXPECT_EQ(Get(path), "new");
    // An unnamed temporary gets its name after the synchronisation; a named one has it from the start.
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front(), "fsync");
    EXPECT_EQ(calls.back(), "rename");
    EXPECT_TRUE(calls.size() == 2 || (calls.size() == 3 && calls[1] == "linkat"));
    EXPECT_EQ(Names(), std::set<std::string>{"site.kel"});

    // Data that cannot be synchronised never replaces the old file.
    calls.clear();
    failFsyncWith = EIO;
    {
        const ScopedFileSystemCalls recorder({RecordFsync, RecordLinkat, RecordRename});
        EXPECT_THROW(SaveFileBytes(path, std::vector<std::uint8_t>{'b', 'a', 'd'}), ProjectFileError);
    }
    failFsyncWith = 0;
    EXPECT_EQ(calls, std::vector<std::string>{"fsync"});
    EXPECT_EQ(Get(path), "new");
    EXPECT_EQ(Names(), std::set<std::string>{"site.kel"});
}

// A process killed while writing its new version: nothing of it stays in the folder.
TEST_F(ReplacingFileTest, KilledWhileWritingLeavesNothingBehind) {
    const fs::path path = folder_ / "site.kel";
    Put(path, "old");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CReplacingFile file(path);
        file.Write(std::string(100000, 'x'));
        const char byte = 1;
        if (::write(ready[1], &byte, 1) != 1) ::_exit(2);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(Get(path), "old");
    // With unnamed temporaries there is nothing to clear; with named ones the next save clears it.
    SaveFileBytes(folder_ / "site.kel", std::vector<std::uint8_t>{'n', 'e', 'w'});
    EXPECT_EQ(Names(), std::set<std::string>{"site.kel"});
    EXPECT_EQ(Get(path), "new");
}

TEST_F(ReplacingFileTest, LeftoversOfEndedProcessesAreRemovedAndOthersKept) {
    const pid_t ended = ::fork();
    ASSERT_GE(ended, 0);
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::string dead = ".site.kel." + std::to_string(ended) + ".0123456789abcdef.tmp";
    const std::string alive = ".site.kel." + std::to_string(::getppid()) + ".0123456789abcdef.tmp";
    const std::string otherFile = ".other.kel." + std::to_string(ended) + ".0123456789abcdef.tmp";
    const std::string notOurs = ".site.kel." + std::to_string(ended) + ".tmp";
    for (const std::string& name : {dead, alive, otherFile, notOurs})
        Put(folder_ / name, "left over");

    SaveFileBytes(folder_ / "site.kel", std::vector<std::uint8_t>{'n', 'e', 'w'});
    EXPECT_EQ(Names(), (std::set<std::string>{"site.kel", alive, otherFile, notOurs}));
}

TEST_F(ReplacingFileTest, DiscardedOrFailedVersionLeavesTheTargetAsItWas) {
    const fs::path path = folder_ / "results.txt";
    Put(path, "old");
    {
        CReplacingFile file(path);
        file.Write(std::string("half of the new"));
    }
    EXPECT_EQ(Get(path), "old");
    EXPECT_EQ(Names(), std::set<std::string>{"results.txt"});

    // A folder cannot be replaced; a read-only file is refused when it must be writable.
    fs::create_directories(folder_ / "folder");
    EXPECT_THROW(CReplacingFile(folder_ / "folder"), std::system_error);
    fs::permissions(path, fs::perms::owner_read);
    if (::geteuid() != 0) {
        EXPECT_THROW(CReplacingFile(path, true), std::system_error);
    }
    CReplacingFile anyway(path);
    anyway.Write(std::string("new"));
    anyway.Commit();
    EXPECT_EQ(Get(path), "new");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read);
}

// A pipe (or a device such as /dev/null) has no place to take: it is written as it is.
TEST_F(ReplacingFileTest, PipeIsWrittenInPlace) {
    const fs::path pipe = folder_ / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    {
        CReplacingFile file(pipe);
        file.Write(std::string("through"));
        file.Commit();
    }
    char text[16] = {};
    EXPECT_EQ(::read(reader, text, sizeof text), 7);
    EXPECT_STREQ(text, "through");
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(Names(), std::set<std::string>{"pipe"});
}

}  // namespace
}  // namespace kelmora
