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

#include "excel/cells/string_table.h"
#include "excel/xls/biff_buffer.h"
#include "excel/xls/compound_file_sink.h"

class biff_string_table {
public:
    // The longest text a LABEL record holds; longer ones always go to the table.
    static constexpr std::size_t max_label_units = 255;

    // budget: bytes the lookup may take (see string_table), texts counted as UTF-16 bytes.
    // spool_beside: the workbook, beside which the texts are spooled (see spool_file).
    explicit biff_string_table(std::size_t budget = string_table::default_budget,
                               const std::filesystem::path& spool_beside = {});

    // The index of the text (UTF-16), adding it when new and the budget allows; nullopt
    // when the cell is to hold the text itself (a LABEL record). A text too long for a
    // LABEL record always gets an index: past the budget a new entry, not looked up, so
    // the table may then hold it twice. Counts every use of the table.
    std::optional<std::uint32_t> add(std::u16string_view text);
    // Forgets the lookup and gives its memory back: every later text is past the budget.
    void release_lookup() noexcept { table_.release_lookup(); }

    std::uint32_t unique_count() const noexcept { return table_.unique_count(); }

    // Streams SST (split into CONTINUE records where needed) and EXTSST into out; the
    // stream position of the first byte is stream_offset, as EXTSST holds absolute
    // positions. Returns the bytes written; size() tells them beforehand.
    std::uint64_t write(byte_sink& out, std::uint64_t stream_offset);
    std::uint64_t size();

private:
    string_table table_;
    spool_file texts_;  // per entry: UTF-16 unit count, then the units, little-endian
    biff_buffer scratch_;
};
