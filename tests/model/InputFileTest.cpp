// Input files named by the user are read only when they are regular files, within a bound, and never
// block: a FIFO, a device, a folder or an oversized file is refused at once with a message naming it.
#include "model/persistence/InputFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kelmora {
namespace {

namespace fs = std::filesystem;

class InputFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("kelmora-input-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    fs::path Write(const std::string& name, const std::string& bytes) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // The message of the refusal, or "" when the file was read.
    static std::string Refusal(const fs::path& path, std::uint64_t bound) {
        try {
            ReadRegularFile(path, bound);
            return "";
        } catch (const InputFileError& e) {
            return e.what();
        }
    }
    fs::path folder_;
};

TEST_F(InputFileTest, ReadsARegularFileWhole) {
    const std::string bytes(200000, 'k');
    const fs::path path = Write("a.bin", bytes);
    const std::vector<std::uint8_t> read = ReadRegularFile(path, bytes.size());
    EXPECT_EQ(std::string(read.begin(), read.end()), bytes);
    EXPECT_TRUE(ReadRegularFile(Write("empty", ""), 0).empty());
}

TEST_F(InputFileTest, RefusesWhatIsNotARegularFileWithoutBlocking) {
    const fs::path fifo = folder_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // No writer ever opens the FIFO: a blocking open() would wait here for ever.
    EXPECT_EQ(Refusal(fifo, 1000), fifo.string() + ": " + kNotRegularFile);
    EXPECT_EQ(Refusal("/dev/zero", 1000), std::string("/dev/zero: ") + kNotRegularFile);
    EXPECT_EQ(Refusal(folder_, 1000), folder_.string() + ": " + kNotRegularFile);
    const std::string missing = Refusal(folder_ / "missing", 1000);
    EXPECT_NE(missing.find((folder_ / "missing").string() + ": "), std::string::npos);
}

TEST_F(InputFileTest, RefusesAFileLargerThanTheBound) {
    const fs::path path = Write("big", std::string(1001, 'x'));
    EXPECT_EQ(Refusal(path, 1000), path.string() + ": " + kFileTooLarge);
    EXPECT_EQ(Refusal(path, 1001), "");
    // A sparse file of a terabyte is refused from its size, without a byte read.
    const fs::path sparse = folder_ / "sparse";
    { std::ofstream(sparse).put('x'); }
    fs::resize_file(sparse, std::uint64_t{1} << 40);
    EXPECT_EQ(Refusal(sparse, 1 << 20), sparse.string() + ": " + kFileTooLarge);
}

}  // namespace
}  // namespace kelmora
