// The transfer cache file: what is written is read back to the bit, and whatever else the bytes are —
// cut short anywhere, one bit flipped anywhere, another engine's, another kind of file — the reader
// refuses them with a reason instead of handing out transfers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "calc/EngineVersion.h"
#include "calc/TransferCache.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

CTransferStore SampleStore() {
    CTransferStore store;
    store.site = {0x0123456789abcdefull, 0xfedcba9876543210ull};
    store.userSourceCount = 3;
    for (int p = 0; p < 4; ++p) {
        PointTransfers point;
        point.position = {1.5 * p, -2.0, 1.2};
        point.computed = p != 2;  // one point underground
        if (point.computed) {
            for (int s = 0; s < 3; ++s) {
                PairTransfer pair;
                pair.fingerprint = {static_cast<std::uint64_t>(p * 10 + s), 7};
                pair.reached = s != 1;
                for (int b = 0; b < kThirdOctaveBands; ++b)
                    pair.energy[static_cast<std::size_t>(b)] = pair.reached ? 1e-7 * (b + 1) / (s + 1) : 0.0;
                point.pairs.push_back(pair);
            }
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

TEST(TransferCache, ReadsBackWhatItWrote) {
    const CTransferStore store = SampleStore();
    const std::vector<std::uint8_t> bytes = EncodeTransferCache(store, "engine 1");
    EXPECT_EQ(DecodeTransferCache(bytes, "engine 1"), store);
    // About points × user sources × (21 × 8 + 17) bytes.
    EXPECT_LT(bytes.size(), 9u * (21 * 8 + 17) + 4 * 25 + 100);
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
    const std::string text = "KELMPART and more";
    EXPECT_EQ(ReasonOf(std::vector<std::uint8_t>(text.begin(), text.end()), "engine 1"),
              "転送キャッシュではありません");
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_NE(ReasonOf(longer, "engine 1"), "");
}

TEST(TransferCache, FileIsReplacedWholeOrNotAtAll) {
    const fs::path dir = fs::temp_directory_path() / ("kelmora-transfer-cache-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path path = dir / "run.cache";
    const CTransferStore store = SampleStore();
    WriteTransferCache(path, store);
    EXPECT_EQ(ReadTransferCache(path), store);
    EXPECT_THROW(WriteTransferCache(dir / "missing" / "run.cache", store), TransferCacheError);
    EXPECT_THROW(ReadTransferCache(dir / "none.cache"), TransferCacheError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "no temporary left";
    // The engine's own version is the one written.
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    EXPECT_EQ(DecodeTransferCache(bytes, EngineIdentity()), store);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace kelmora
