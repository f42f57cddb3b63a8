#include "propagation/PairMemo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

namespace kelmora {
namespace {

struct CIdentity {
    std::size_t operator()(std::uint64_t key) const { return static_cast<std::size_t>(key); }
};
// Every key in one slot chain: the probing must tell the keys apart.
struct CCollide {
    std::size_t operator()(std::uint64_t) const { return 7; }
};

template <typename Hash>
using CCountingMemo = CPairMemo<std::uint64_t, std::uint64_t, Hash>;

// Asks keys 0..n-1 (answer: key * 3 + offset), counting the computations.
template <typename Hash>
int AskAll(CCountingMemo<Hash>& memo, std::uint64_t n, std::uint64_t offset) {
    int computed = 0;
    for (std::uint64_t k = 0; k < n; ++k) {
        const std::uint64_t answer = memo.Get(k, [&] {
            ++computed;
            return k * 3 + offset;
        });
        EXPECT_EQ(answer, k * 3 + offset) << k;
    }
    return computed;
}

TEST(PairMemo, EachQuestionIsAnsweredOnceAcrossGrowthAndCollisions) {
    CCountingMemo<CIdentity> memo(4);  // grows several times for 100 answers
    EXPECT_EQ(AskAll(memo, 100, 0), 100);
    EXPECT_EQ(AskAll(memo, 100, 0), 0);

    CCountingMemo<CCollide> chained(4);
    EXPECT_EQ(AskAll(chained, 40, 0), 40);
    EXPECT_EQ(AskAll(chained, 40, 0), 0);
}

TEST(PairMemo, NextPairNeverSeesTheAnswersOfThePreviousOne) {
    // The second memo takes over the first one's slots (from the thread's stock) without clearing them.
    {
        CCountingMemo<CIdentity> first(8);
        EXPECT_EQ(AskAll(first, 6, 0), 6);
    }
    CCountingMemo<CIdentity> second(8);
    EXPECT_EQ(AskAll(second, 6, 1000), 6);
    EXPECT_EQ(AskAll(second, 6, 1000), 0);
}

TEST(PairMemo, MemosAliveTogetherKeepTheirOwnAnswers) {
    CCountingMemo<CIdentity> outer(8);
    EXPECT_EQ(AskAll(outer, 5, 0), 5);
    {
        CCountingMemo<CIdentity> inner(8);
        EXPECT_EQ(AskAll(inner, 5, 500), 5);
    }
    EXPECT_EQ(AskAll(outer, 5, 0), 0);
}

TEST(PairMemo, ComputationMayAskTheSameMemo) {
    CCountingMemo<CIdentity> memo(2);
    // Each answer asks for the one below it, so the memo grows while a computation is pending.
    std::vector<std::uint64_t> order;
    std::function<std::uint64_t(std::uint64_t)> depth = [&](std::uint64_t k) -> std::uint64_t {
        return memo.Get(k, [&] {
            order.push_back(k);
            return k == 0 ? 0 : depth(k - 1) + 1;
        });
    };
    EXPECT_EQ(depth(20), 20u);
    EXPECT_EQ(order.size(), 21u);
    for (std::uint64_t k = 0; k <= 20; ++k)
        EXPECT_EQ(memo.Get(k, [] { return std::uint64_t{999}; }), k);
}

}  // namespace
}  // namespace kelmora
