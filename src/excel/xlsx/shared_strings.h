// The workbook's table of distinct texts: each text is stored once and cells refer to it
// by index, in order of first use. The table has a fixed memory budget; a text that no
// longer fits is written into its cell instead (an inline string), so memory stays flat
// however many distinct texts a workbook holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "toolkit/hash_filter.h"

class xml_writer;

class shared_strings {
public:
    // Bytes the table may take, counted as text bytes plus entry_overhead per entry.
    static constexpr std::size_t default_budget = 8u << 20;
    static constexpr std::size_t entry_overhead = 64;  // hash node, bucket and index slot

    explicit shared_strings(std::size_t budget = default_budget);
    shared_strings(const shared_strings&) = delete;
    shared_strings& operator=(const shared_strings&) = delete;

    // The index of text, adding it while the budget lasts; nullopt when the text is to
    // be written into its cell. text must be valid UTF-8. must_share passes the budget
    // (for a cell that has no room to hold its text); a closed table still says nullopt.
    std::optional<std::uint32_t> index_of(std::string_view text, bool must_share = false);

    std::size_t size() const noexcept { return is_closed_ ? closed_size_ : in_order_.size(); }
    bool empty() const noexcept { return size() == 0; }
    // How many cells referred to the table.
    std::uint64_t use_count() const noexcept { return use_count_; }
    bool is_closed() const noexcept { return is_closed_; }

    // The whole sharedStrings part, prolog included. Afterwards the table is closed: its
    // memory is given back and every later text goes into its cell.
    void write_part(xml_writer& writer);
    // Closes the table without a part (nothing was shared): later texts go into cells.
    void close() noexcept;

private:
    // A text with its hash, so a lookup hashes it once for the filter and the map.
    struct hashed_text {
        std::string_view text;
        std::size_t hash;
    };
    struct text_hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
        std::size_t operator()(const hashed_text& key) const noexcept { return key.hash; }
    };
    struct text_equal {
        using is_transparent = void;
        bool operator()(const std::string& a, const std::string& b) const noexcept { return a == b; }
        bool operator()(const hashed_text& a, const std::string& b) const noexcept { return a.text == b; }
        bool operator()(const std::string& a, const hashed_text& b) const noexcept { return a == b.text; }
    };
    std::unordered_map<std::string, std::uint32_t, text_hash, text_equal> indexes_;
    hash_filter filter_;
    // Keys of indexes_ by index; node-based maps never move their keys.
    std::vector<const std::string*> in_order_;
    std::uint64_t use_count_ = 0;
    std::size_t budget_;
    std::size_t used_ = 0;
    std::size_t closed_size_ = 0;  // entries the part was written with
    bool is_closed_ = false;
};

// Readers drop leading and trailing white space of a text unless told to keep it.
bool has_outer_space(std::string_view text);

