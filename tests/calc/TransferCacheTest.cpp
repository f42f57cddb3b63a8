// The transfer cache file: what is written is read back to the bit, and whatever else the bytes are —
// cut short anywhere, one bit flipped anywhere, another engine's, another kind of file — the reader
// refuses them with a reason instead of handing out transfers. A run reads only the pairs it can use,
// in bounded memory whatever the file's size, and never blocks on a FIFO.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "calc/EngineVersion.h"
#include "calc/TransferCache.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

PairTransfer Pair(int p, int s) {
    PairTransfer pair;
    pair.fingerprint = {static_cast<std::uint64_t>(p * 10 + s), 7};
    pair.reached = s != 1;
    for (int b = 0; b < kThirdOctaveBands; ++b)
        pair.energy[static_cast<std::size_t>(b)] = pair.reached ? 1e-7 * (b + 1) / (s + 1) : 0.0;
    return pair;
}

CTransferStore SampleStore() {
    CTransferStore store;
    store.site = {0x0123456789abcdefull, 0xfedcba9876543210ull};
    store.sources = {{1, 1}, {2, 2}, {3, 3}};
    for (int p = 0; p < 4; ++p) {
        PointTransfers point;
        point.position = {1.5 * p, p == 0 ? 0.0 : -2.0, 1.2};
        point.computed = p != 2;  // one point underground
        if (point.computed) {
            for (int s = 0; s < 3; ++s)
                point.pairs.push_back(Pair(p, s));
        }
        store.points.push_back(point);
    }
    return store;
}

std::string ReasonOf(const std::vector<std::uint8_t>& bytes, std::string_view engine) {
    try {
        DecodeTransferCache(bytes, engine);
    } catch (const TransferCacheError& e) {
        return e.what();
    }
    return "";
}

class TransferCacheFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kelmora-transfer-cache-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST(TransferCache, ReadsBackWhatItWrote) {
    const CTransferStore store = SampleStore();
    const std::vector<std::uint8_t> bytes = EncodeTransferCache(store, "engine 1");
    EXPECT_EQ(DecodeTransferCache(bytes, "engine 1"), store);
    // About points × user sources × (21 × 8 + 17) bytes.
    EXPECT_LT(bytes.size(), 9u * (21 * 8 + 17) + 4 * 25 + 3 * 16 + 100);
    EXPECT_EQ(DecodeTransferCache(EncodeTransferCache(CTransferStore(), "e"), "e"), CTransferStore());
}

TEST(TransferCache, RefusesCutDamagedForeignAndOtherEngineBytes) {
    const std::vector<std::uint8_t> bytes = EncodeTransferCache(SampleStore(), "engine 1");
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_NE(ReasonOf(cut, "engine 1"), "") << "cut to " << size;
    }
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        std::vector<std::uint8_t> flipped = bytes;
        flipped[at] ^= static_cast<std::uint8_t>(1u << (at % 8));
        EXPECT_NE(ReasonOf(flipped, "engine 1"), "") << "bit flipped in byte " << at;
    }
    EXPECT_EQ(ReasonOf(bytes, "engine 2"), "別の版の計算エンジンの転送キャッシュです");
    std::vector<std::uint8_t> firstFormat = bytes;
    firstFormat[8] = 1;  // the format of the engines that matched pairs by their places
    EXPECT_EQ(ReasonOf(firstFormat, "engine 1"), "別の版の計算エンジンの転送キャッシュです");
    const std::string text = "KELMPART and more";
    EXPECT_EQ(ReasonOf(std::vector<std::uint8_t>(text.begin(), text.end()), "engine 1"),
              "転送キャッシュではありません");
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_NE(ReasonOf(longer, "engine 1"), "");
}

TEST(TransferCache, KeepsOnlyThePairsOfTheRunsSourcesAndPoints) {
    CTransferStore store = SampleStore();
    // The same place twice, first below the ground: the computed one is kept.
    store.points.push_back({store.points[1].position, false, {}});
    std::swap(store.points[1], store.points[4]);
    const std::vector<std::uint8_t> bytes = EncodeTransferCache(store, "e");

    // Two of the sources, in another order, and one unknown; points at 0.0 asked for as −0.0, one at a
    // new place, the underground one.
    const std::vector<Fingerprint> keys = {{3, 3}, {9, 9}, {1, 1}};
    const std::vector<CVector3D> positions = {
        {-0.0, -0.0, 1.2}, {1.5, -2.0, 1.2}, {7, 7, 7}, {3.0, -2.0, 1.2}};
    const TransferCacheUse use{keys, positions};
    const CTransferStore kept = DecodeTransferCache(bytes, "e", &use);
    EXPECT_EQ(kept.site, store.site);
    EXPECT_EQ(kept.sources, (std::vector<Fingerprint>{{1, 1}, {3, 3}})) << "in the file's order";
    ASSERT_EQ(kept.points.size(), 3u);
    EXPECT_EQ(kept.points[0].position.y, 0.0);
    EXPECT_EQ(kept.points[0].pairs, (std::vector<PairTransfer>{Pair(0, 0), Pair(0, 2)}));
    EXPECT_TRUE(kept.points[1].computed);
    EXPECT_EQ(kept.points[1].pairs, (std::vector<PairTransfer>{Pair(1, 0), Pair(1, 2)}));
    EXPECT_FALSE(kept.points[2].computed);

    // Found by the run as its own sources and points.
    const CTransferMatch match(kept, keys, positions);
    EXPECT_EQ(match.FoundPairs(), 4);
    EXPECT_EQ(*match.At(0)[0], Pair(0, 2));
    EXPECT_EQ(match.At(0)[1], nullptr);
    EXPECT_EQ(*match.At(1)[2], Pair(1, 0));
    EXPECT_EQ(match.At(2).point(), nullptr);
    EXPECT_NE(match.At(3).point(), nullptr);
    EXPECT_EQ(match.At(3)[0], nullptr) << "below the ground";
}

TEST_F(TransferCacheFiles, FileIsReplacedWholeOrNotAtAll) {
    const fs::path path = dir_ / "run.cache";
    const CTransferStore store = SampleStore();
    WriteTransferCache(path, store);
    EXPECT_EQ(ReadTransferCache(path), store);
    EXPECT_THROW(WriteTransferCache(dir_ / "missing" / "run.cache", store), TransferCacheError);
    EXPECT_THROW(ReadTransferCache(dir_ / "none.cache"), TransferCacheError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1)
        << "no temporary left";
    // The engine's own identity is the one written.
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    EXPECT_EQ(DecodeTransferCache(bytes, EngineIdentity()), store);
    EXPECT_EQ(EngineIdentity().rfind(
                  std::string(EngineVersion()) + " engine " + std::string(EngineSourceDigest()), 0),
              0u);
}

// What a name given as the cache is: only a cache, an empty file or a missing name may be written; a
// folder or a FIFO is refused at once, naming the file and the cache.
TEST_F(TransferCacheFiles, TellsACacheFromOtherFilesWithoutBlocking) {
    const fs::path cache = dir_ / "run.cache";
    WriteTransferCache(cache, SampleStore());
    std::ofstream(dir_ / "empty");
    std::ofstream(dir_ / "laeq.txt") << " 50.0 51.0\r\n";
    std::ofstream(dir_ / "short") << "KELM";
    fs::create_directory(dir_ / "folder");
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    fs::create_symlink(cache, dir_ / "link");
    fs::create_symlink(dir_ / "nothing", dir_ / "dangling");

    EXPECT_EQ(InspectTransferCacheFile(cache), CacheFileKind::kCache);
    EXPECT_EQ(InspectTransferCacheFile(dir_ / "link"), CacheFileKind::kCache);
    EXPECT_EQ(InspectTransferCacheFile(dir_ / "none"), CacheFileKind::kMissing);
    EXPECT_EQ(InspectTransferCacheFile(dir_ / "dangling"), CacheFileKind::kMissing);
    EXPECT_EQ(InspectTransferCacheFile(dir_ / "empty"), CacheFileKind::kEmpty);
    EXPECT_EQ(InspectTransferCacheFile(dir_ / "laeq.txt"), CacheFileKind::kOther);
    EXPECT_EQ(InspectTransferCacheFile(dir_ / "short"), CacheFileKind::kOther);
    for (const char* name : {"folder", "fifo"}) {
        const std::string path = (dir_ / name).string();
        try {
            InspectTransferCacheFile(path);
            ADD_FAILURE() << name << " taken";
        } catch (const TransferCacheError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "転送キャッシュ " + path + " を使えません (通常のファイルではありません)");
        }
        EXPECT_THROW(ReadTransferCache(path), TransferCacheError);
    }
}

// A file of 256 MB whose counts fit its size, all zeros after its header (10 million points at one
// place): a run that can use one point reads it in bounded memory and refuses it by its check sum.
TEST_F(TransferCacheFiles, AHugeFileIsReadInBoundedMemory) {
    CTransferStore one;
    one.sources = {{5, 5}};
    std::vector<std::uint8_t> header = EncodeTransferCache(one, EngineIdentity());
    header.resize(header.size() - 32);  // no check sum
    constexpr std::uint32_t kPoints = 10'000'000;
    const std::size_t countAt = 8 + 4 + 4 + EngineIdentity().size() + 16 + 4;
    std::memcpy(header.data() + countAt, &kPoints, sizeof kPoints);
    const fs::path path = dir_ / "huge.cache";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    }
    fs::resize_file(path, header.size() + std::uint64_t{kPoints} * 25 + 32);

    const pid_t child = fork();
    if (child == 0) {
        const std::vector<Fingerprint> keys = {{5, 5}};
        const std::vector<CVector3D> positions = {{0, 0, 0}};
        const TransferCacheUse use{keys, positions};
        try {
            ReadTransferCache(path, &use);
        } catch (const TransferCacheError& e) {
            _exit(std::string(e.what()) == "転送キャッシュが壊れています" ? 0 : 2);
        }
        _exit(3);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_LT(usage.ru_maxrss, 100 * 1024) << "peak resident kB; all points would take 560 MB";

    // Counts that do not fit the size are refused before the points are read.
    fs::resize_file(path, header.size() + std::uint64_t{kPoints} * 25 + 31);
    try {
        ReadTransferCache(path);
        ADD_FAILURE() << "read";
    } catch (const TransferCacheError& e) {
        EXPECT_STREQ(e.what(), "転送キャッシュが途中で切れています");
    }
}

}  // namespace
}  // namespace kelmora
