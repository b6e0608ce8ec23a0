// The BIFF8 shared-string table: each distinct cell text is stored once and the SST,
// CONTINUE and EXTSST records are written when the workbook is closed. The texts wait in a
// spool file; memory holds only the lookup, within a fixed budget. A text that does not
// fit the budget is written in its cell as a LABEL record, so memory stays flat whatever
// the data.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "excel/xls/biff_buffer.h"
#include "excel/xls/compound_file_sink.h"
#include "toolkit/hash_filter.h"

class biff_string_table {
public:
    // Bytes the lookup may take, counted as UTF-16 bytes plus entry_overhead per entry.
    static constexpr std::size_t default_budget = 8u << 20;
    static constexpr std::size_t entry_overhead = 64;  // hash node, bucket and key header
    // The longest text a LABEL record holds; longer ones always go to the table.
    static constexpr std::size_t max_label_units = 255;

    explicit biff_string_table(std::size_t budget = default_budget);

    // The index of the text (UTF-16), adding it when new and the budget allows; nullopt
    // when the cell is to hold the text itself (a LABEL record). A text too long for a
    // LABEL record always gets an index: past the budget a new entry, not looked up, so
    // the table may then hold it twice. Counts every use of the table.
    std::optional<std::uint32_t> add(std::u16string_view text);
    // Forgets the lookup and gives its memory back: every later text is past the budget.
    void release_lookup() noexcept;

    std::uint32_t total_uses() const noexcept { return total_; }
    std::uint32_t unique_count() const noexcept { return count_; }

    // Streams SST (split into CONTINUE records where needed) and EXTSST into out; the
    // stream position of the first byte is stream_offset, as EXTSST holds absolute
    // positions. Returns the bytes written; size() tells them beforehand.
    std::uint64_t write(byte_sink& out, std::uint64_t stream_offset);
    std::uint64_t size();

private:
    // A text with its hash, so a lookup hashes it once for the filter and the map.
    struct hashed_text {
        std::u16string_view text;
        std::size_t hash;
    };
    struct text_hash {
        using is_transparent = void;
        std::size_t operator()(std::u16string_view text) const noexcept { return std::hash<std::u16string_view>{}(text); }
        std::size_t operator()(const hashed_text& key) const noexcept { return key.hash; }
    };
    struct text_equal {
        using is_transparent = void;
        bool operator()(const std::u16string& a, const std::u16string& b) const noexcept { return a == b; }
        bool operator()(const hashed_text& a, const std::u16string& b) const noexcept { return a.text == b; }
        bool operator()(const std::u16string& a, const hashed_text& b) const noexcept { return a == b.text; }
    };
    std::unordered_map<std::u16string, std::uint32_t, text_hash, text_equal> index_;
    hash_filter filter_;
    spool_file texts_;  // per entry: UTF-16 unit count, then the units, little-endian
    biff_buffer scratch_;
    std::size_t budget_;
    std::size_t used_ = 0;
    std::uint32_t count_ = 0;
    std::uint32_t total_ = 0;
    bool is_released_ = false;
};
