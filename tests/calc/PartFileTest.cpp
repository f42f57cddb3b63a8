// Part files: blocks that tile the points, values and breakdowns that come back bit for bit, and a
// reader that turns every damaged or cut-short part into an error.
#include "calc/PartFile.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "RunSites.h"
#include "calc/TextOutput.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

TEST(ShardPoints, BlocksTileThePointsInOrderAndDifferByOnePointAtMost) {
    const struct {
        int points, blocks;
    } cases[] = {{0, 1},      {0, 4},         {1, 1},
                 {3, 7},      {12, 5},        {121, 4},
                 {40000, 32}, {INT32_MAX, 3}, {INT32_MAX, kMaxShardCount}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.points << " points in " << c.blocks << " blocks");
        int next = 0;
        int smallest = INT32_MAX, largest = 0;
        for (int k = 1; k <= c.blocks; ++k) {
            const PointRange block = ShardPoints(k, c.blocks, c.points);
            ASSERT_EQ(block.first, next);
            ASSERT_GE(block.count, 0);
            next += block.count;
            smallest = std::min(smallest, block.count);
            largest = std::max(largest, block.count);
        }
        EXPECT_EQ(next, c.points);
        EXPECT_LE(largest - smallest, 1);
    }
    EXPECT_EQ(ShardPoints(3, 8, 4800), (PointRange{1200, 600}));
}

PartHeader Header(int shard, int shardCount, int pointCount, bool breakdown) {
    PartHeader h;
    h.modelDigest.fill(0xa5);
    h.modelDigest[31] = 7;
    h.engineVersion = "9.9+test";
    h.shard = shard;
    h.shardCount = shardCount;
    h.pointCount = pointCount;
    h.points = ShardPoints(shard, shardCount, pointCount);
    h.withBreakdown = breakdown;
    return h;
}

// Points whose values exercise the bits of a double: signed zero, the smallest subnormal, the largest
// finite value, infinities and a NaN with a payload.
std::vector<PartPoint> OddPoints(const PointRange& block) {
    const double odd[] = {-0.0,
                          std::numeric_limits<double>::denorm_min(),
                          std::numeric_limits<double>::max(),
                          -std::numeric_limits<double>::infinity(),
                          std::bit_cast<double>(0x7ff8dead0000beefull),
                          -100.0,
                          0.1};
    std::vector<PartPoint> points;
    for (int i = 0; i < block.count; ++i) {
        PartPoint p;
        p.index = block.first + i;
        p.position = {1.0 / 3.0 + i, -2.5e-7, 13.2};
        for (int b = 0; b < kThirdOctaveBands; ++b) {
            p.average[static_cast<std::size_t>(b)] = odd[(b + i) % 7];
            p.maximum[static_cast<std::size_t>(b)] = odd[(b + 3 * i) % 7] * 0.5;
        }
        points.push_back(p);
    }
    return points;
}

class PartFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("kelmora-part-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The bytes of a part written through the writer.
    std::string Written(const PartHeader& header, const std::vector<PartPoint>& points,
                        const std::vector<std::string>& breakdowns) {
        const fs::path path = dir_ / "part";
        CPartWriter writer(path, header);
        for (std::size_t i = 0; i < points.size(); ++i)
            writer.WritePoint(points[i], breakdowns[i]);
        writer.Commit();
        return runsites::ReadFileBytes(path);
    }

    fs::path dir_;
};

bool SameBits(const PartPoint& a, const PartPoint& b) {
    return a.index == b.index && std::memcmp(&a.position, &b.position, sizeof a.position) == 0 &&
           std::memcmp(a.average.data(), b.average.data(), sizeof a.average) == 0 &&
           std::memcmp(a.maximum.data(), b.maximum.data(), sizeof a.maximum) == 0;
}

TEST_F(PartFileTest, ValuesAndBreakdownsComeBackBitForBit) {
    for (bool breakdown : {false, true}) {
        SCOPED_TRACE(breakdown ? "with breakdown" : "without breakdown");
        const PartHeader header = Header(2, 3, 10, breakdown);  // points 4..6
        const std::vector<PartPoint> points = OddPoints(header.points);
        // An empty breakdown, one longer than the reader's buffer, and bytes of every value.
        std::string all;
        for (int c = 0; c < 256; ++c)
            all += static_cast<char>(c);
        const std::vector<std::string> breakdowns = {"", std::string(200000, 'x') + "\r\n", all};
        std::istringstream in(Written(header, points, breakdowns));

        CPartReader reader(in);
        EXPECT_EQ(reader.header().modelDigest, header.modelDigest);
        EXPECT_EQ(reader.header().engineVersion, "9.9+test");
        EXPECT_EQ(reader.header().points, (PointRange{3, 3}));
        EXPECT_EQ(reader.header().withBreakdown, breakdown);
        PartPoint point;
        CTextBuffer text;
        for (std::size_t i = 0; i < points.size(); ++i) {
            text.clear();
            ASSERT_TRUE(reader.Next(point, &text));
            EXPECT_TRUE(SameBits(point, points[i])) << "point " << i;
            EXPECT_EQ(text.bytes(), breakdown ? breakdowns[i] : "");
        }
        EXPECT_FALSE(reader.Next(point, &text));
        EXPECT_FALSE(reader.Next(point, &text));
    }
}

// Reads a part to its end; the error text, or empty when it reads whole.
std::string ReadError(const std::string& bytes) {
    std::istringstream in(bytes);
    try {
        CPartReader reader(in);
        PartPoint point;
        CTextBuffer text;
        while (reader.Next(point, &text)) {
        }
    } catch (const PartFileError& e) {
        return e.what();
    }
    return {};
}

TEST_F(PartFileTest, EveryCutAndEveryChangedByteIsAnError) {
    const PartHeader header = Header(1, 2, 4, true);
    const std::string bytes = Written(header, OddPoints(header.points), {"\x81\x9a予測点", "abc"});
    ASSERT_EQ(ReadError(bytes), "");
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        const std::string error = ReadError(bytes.substr(0, size));
        ASSERT_FALSE(error.empty()) << "cut after " << size << " bytes";
        if (size >= 8) {
            EXPECT_NE(error, "パートファイルではありません") << size;
        }
    }
    EXPECT_EQ(ReadError(bytes.substr(0, bytes.size() - 1)), "パートファイルが途中で切れています");
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::string changed = bytes;
        changed[at] = static_cast<char>(changed[at] ^ 0x10);
        ASSERT_FALSE(ReadError(changed).empty()) << "byte " << at << " changed";
    }
    EXPECT_EQ(ReadError(bytes + '\0'), "パートファイルが壊れています");
    EXPECT_EQ(ReadError("KELMPART\x02"), "パートファイルが途中で切れています");
    EXPECT_EQ(ReadError(std::string("KELMPART\x02\0\0\0", 12)), "パートファイルの形式 2 は読めません");
}

TEST_F(PartFileTest, APartTakesItsNameOnlyWhenWhole) {
    const fs::path path = dir_ / "part";
    const PartHeader header = Header(1, 1, 2, false);
    const std::vector<PartPoint> points = OddPoints(header.points);
    {
        CPartWriter writer(path, header);
        writer.WritePoint(points[0], "");
        EXPECT_FALSE(fs::exists(path));
    }
    EXPECT_TRUE(fs::is_empty(dir_)) << "the temporary file of an unfinished part stays";

    // A whole part replaces an older one.
    std::ofstream(path) << "old";
    CPartWriter writer(path, header);
    for (const PartPoint& p : points)
        writer.WritePoint(p, "");
    writer.Commit();
    EXPECT_EQ(ReadError(runsites::ReadFileBytes(path)), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace kelmora
