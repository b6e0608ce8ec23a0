// The budgeted table of distinct cell texts behind both shared-string tables (the BIFF8 SST
// and the .xlsx sharedStrings part): each text gets an index in order of first use, and the
// lookup has a fixed memory budget, so memory stays flat however many distinct texts a
// workbook holds. How the entries look in the file is each writer's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "toolkit/hash_filter.h"

class string_table {
public:
    // Bytes the lookup may take, counted as key bytes plus entry_overhead per entry.
    static constexpr std::size_t default_budget = 8u << 20;
    static constexpr std::size_t entry_overhead = 64;  // hash node, bucket and key header

    explicit string_table(std::size_t budget = default_budget);
    string_table(const string_table&) = delete;
    string_table& operator=(const string_table&) = delete;

    struct entry {
        std::uint32_t index;
        bool is_new;             // the caller stores the text under this index
        bool is_kept;            // a new text the lookup keeps: kept is its copy
        std::string_view kept;   // valid until release_lookup
    };
    // The entry of key (the text's bytes as the format stores them): found, or new while
    // the budget allows; nullopt past it. must_add makes a new entry past the budget too,
    // which is not looked up, so the table may then hold that text twice. Counts every use.
    std::optional<entry> add(std::string_view key, bool must_add = false);
    // Forgets the lookup and gives its memory back: every later text is past the budget.
    void release_lookup() noexcept;

    std::uint64_t use_count() const noexcept { return use_count_; }
    std::uint32_t unique_count() const noexcept { return unique_count_; }

private:
    // A key with its hash, so a lookup hashes it once for the filter and the map.
    struct hashed_key {
        std::string_view key;
        std::size_t hash;
    };
    struct key_hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view key) const noexcept { return std::hash<std::string_view>{}(key); }
        std::size_t operator()(const hashed_key& key) const noexcept { return key.hash; }
    };
    struct key_equal {
        using is_transparent = void;
        bool operator()(const std::string& a, const std::string& b) const noexcept { return a == b; }
        bool operator()(const hashed_key& a, const std::string& b) const noexcept { return a.key == b; }
        bool operator()(const std::string& a, const hashed_key& b) const noexcept { return a == b.key; }
    };

    std::unordered_map<std::string, std::uint32_t, key_hash, key_equal> indexes_;  // nodes never move their keys
    hash_filter filter_;
    std::size_t budget_;
    std::size_t used_ = 0;
    std::uint64_t use_count_ = 0;
    std::uint32_t unique_count_ = 0;
    bool is_released_ = false;
};
