#pragma once
// Answers kept while one source–point pair is worked on, found again by their question (to the bit). The
// slots come from a stock the thread keeps from pair to pair: a slot counts only for the memo of its
// generation, so a memo starts without clearing its slots, and its storage, once grown, serves the pairs
// after it without a heap allocation.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kelmora {

// FNV-1a over the 64-bit words of a key made of bits, for the memos' hashes.
class CWordHash {
public:
    void Add(std::uint64_t word) {
        h_ ^= word;
        h_ *= 1099511628211ull;
    }
    std::size_t Value() const { return static_cast<std::size_t>(h_); }

private:
    std::uint64_t h_ = 1469598103934665603ull;
};

// Key: equality comparable, default constructible; Hash: std::size_t(const Key&) const.
template <typename Key, typename Value, typename Hash>
class CPairMemo {
public:
    // `usualAnswers`: the number of answers a usual pair keeps (a power of two).
    explicit CPairMemo(std::size_t usualAnswers) : generation_(++LastGeneration()) {
        std::vector<std::vector<CSlot>>& stock = Stock();
        if (stock.empty()) {
            slots_.resize(usualAnswers * 2);
        } else {
            slots_ = std::move(stock.back());
            stock.pop_back();
        }
    }
    ~CPairMemo() { Stock().push_back(std::move(slots_)); }
    CPairMemo(const CPairMemo&) = delete;
    CPairMemo& operator=(const CPairMemo&) = delete;

    // The answer to `key`, computed by `compute` (which may ask this memo too) the first time it is asked.
    template <typename Compute>
    Value Get(const Key& key, Compute compute) {
        const std::size_t hash = Hash{}(key);
        if (const CSlot* slot = Find(key, hash)) return slot->value;
        Value value = compute();
        Insert(key, hash, value);
        return value;
    }

private:
    struct CSlot {
        std::uint64_t generation = 0;  // 0: never used
        Key key{};
        Value value{};
    };

    static std::vector<std::vector<CSlot>>& Stock() {
        thread_local std::vector<std::vector<CSlot>> stock;
        return stock;
    }
    static std::uint64_t& LastGeneration() {
        thread_local std::uint64_t generation = 0;
        return generation;
    }

    const CSlot* Find(const Key& key, std::size_t hash) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask; slots_[i].generation == generation_; i = (i + 1) & mask) {
            if (slots_[i].key == key) return &slots_[i];
        }
        return nullptr;
    }

    void Insert(const Key& key, std::size_t hash, const Value& value) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = hash & mask;
        while (slots_[i].generation == generation_)
            i = (i + 1) & mask;
        slots_[i] = {generation_, key, value};
        if (++used_ * 2 > slots_.size()) Grow();
    }

    void Grow() {
        std::vector<CSlot> old(slots_.size() * 2);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (CSlot& slot : old) {
            if (slot.generation != generation_) continue;
            std::size_t i = Hash{}(slot.key) & mask;
            while (slots_[i].generation == generation_)
                i = (i + 1) & mask;
            slots_[i] = std::move(slot);
        }
    }

    std::uint64_t generation_;
    std::vector<CSlot> slots_;  // its size a power of two, at most half of it used
    std::size_t used_ = 0;
};

}  // namespace kelmora
