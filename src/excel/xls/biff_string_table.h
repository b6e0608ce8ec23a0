// The BIFF8 shared-string table: each distinct cell text is stored once, and the SST,
// CONTINUE and EXTSST records are written when the workbook is closed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "excel/xls/biff_buffer.h"

class biff_string_table {
public:
    // The index of the text (UTF-16), adding it when new. Counts every use.
    std::uint32_t add(std::u16string text);

    std::uint32_t total_uses() const noexcept { return total_; }
    std::uint32_t unique_count() const noexcept { return static_cast<std::uint32_t>(order_.size()); }

    // Writes SST (split into CONTINUE records where needed) and EXTSST into out; the
    // stream position of out's first byte is stream_offset, as EXTSST holds absolute
    // positions.
    void write(biff_buffer& out, std::uint32_t stream_offset) const;

private:
    std::unordered_map<std::u16string, std::uint32_t> index_;
    std::vector<const std::u16string*> order_;  // keys of index_, which never move
    std::uint32_t total_ = 0;
};

// BIFF5 text: Windows-1252, one byte per character. A character the code page cannot hold
// becomes "?" and is counted in replaced.
std::string biff_to_code_page_1252(std::string_view utf8, std::size_t& replaced);
// The reverse: Windows-1252 bytes as UTF-8 (the five unassigned bytes become U+FFFD).
std::string biff_from_code_page_1252(std::string_view bytes);
// A sheet name as an Excel 5.0 workbook can hold it: each character code page 1252 lacks
// becomes "_" ("?" is no sheet-name character), so the name can be checked for validity
// and uniqueness as it will be stored. Text that is not UTF-8 is returned as it is.
std::string biff5_sheet_name(std::string_view utf8);
