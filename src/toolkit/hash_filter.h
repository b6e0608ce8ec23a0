// A fixed-size bit filter over hash values: it answers "certainly never added" at the cost
// of one bit test, so a lookup table that mostly misses (a table of all-different texts)
// skips its slow search. A "maybe" still needs the real lookup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class hash_filter {
public:
    void add(std::size_t hash) noexcept {
        set(hash);
        set(hash >> 32);
    }
    bool may_contain(std::size_t hash) const noexcept { return test(hash) && test(hash >> 32); }
    // Gives the bits back for good: the owner asks nothing more afterwards.
    void release() noexcept { std::vector<std::uint64_t>().swap(words_); }

private:
    static constexpr std::size_t bit_count = std::size_t{1} << 20;  // 128 KB, whatever the table holds
    void set(std::size_t bits) noexcept { words_[bits % bit_count / 64] |= std::uint64_t{1} << (bits % 64); }
    bool test(std::size_t bits) const noexcept { return (words_[bits % bit_count / 64] >> (bits % 64) & 1) != 0; }

    std::vector<std::uint64_t> words_ = std::vector<std::uint64_t>(bit_count / 64);
};
