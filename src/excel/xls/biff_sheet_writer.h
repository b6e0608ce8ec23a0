// One worksheet of a BIFF5/BIFF8 workbook: cells arrive row by row and leave memory in
// blocks of 32 rows (ROW records, cells, DBCELL) for a spool file; the sheet's stream,
// with its INDEX pointing at every DBCELL, is put together when the workbook is closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "excel/xls/biff_buffer.h"
#include "excel/xls/compound_file_sink.h"

class biff_string_table;

enum class biff_date_kind { date, date_time, time };

class biff_sheet_writer {
public:
    // strings is the workbook's shared-string table (BIFF8) or null (BIFF5);
    // replaced counts the characters BIFF5 could not hold; the rows are spooled beside
    // spool_beside (see spool_file).
    biff_sheet_writer(std::string name, biff_version version, biff_string_table* strings, std::size_t& replaced,
                      const std::filesystem::path& spool_beside = {});
    biff_sheet_writer(const biff_sheet_writer&) = delete;
    biff_sheet_writer& operator=(const biff_sheet_writer&) = delete;

    const std::string& name() const noexcept { return name_; }
    std::uint32_t max_rows() const noexcept;  // rows a sheet of this version holds, header included

    // Cells of one row, in ascending column order; a row without cells writes nothing.
    // start_row throws tk_exception when the sheet is full.
    void start_row();
    void put_number(std::uint16_t column, double value);
    // A text of at most the format's cell length: UTF-8, or UTF-16 (BIFF8 keeps it as it is).
    void put_text(std::uint16_t column, std::string_view utf8, std::uint16_t xf = 15);
    void put_text(std::uint16_t column, std::u16string_view text, std::uint16_t xf = 15);
    void put_bool(std::uint16_t column, bool value, std::uint16_t xf = 15);
    void put_date(std::uint16_t column, double serial, biff_date_kind kind);
    void end_row();

    // Closing: the last block goes to the spool, then the workbook asks for the size and
    // the bytes of the sheet's stream, which starts at stream_offset.
    void finish();
    std::uint64_t stream_size() const;
    void write_stream(byte_sink& out, std::uint32_t stream_offset, bool selected);

private:
    struct row_entry {
        std::uint32_t row;
        std::uint16_t first_column, end_column;
        std::size_t cells_end;  // end of this row's cells in cells_
    };
    void put_cell_start(std::uint16_t column);
    void put_numeric(std::uint16_t column, double value, std::uint16_t xf);
    void flush_block();
    biff_buffer head(std::uint32_t stream_offset) const;

    std::string name_;
    biff_version version_;
    biff_string_table* strings_;
    std::size_t& replaced_;
    spool_file spool_;
    std::vector<row_entry> block_;
    biff_buffer cells_;
    biff_buffer scratch_;
    std::u16string text_units_;  // the current text cell's UTF-16, reused cell after cell
    std::string single_bytes_;   // the same in code page 1252 (BIFF5)
    std::vector<std::uint32_t> dbcells_;  // positions relative to the start of the row area
    std::uint32_t next_row_ = 0;
    bool in_row_ = false;
    std::uint16_t row_first_ = 0, row_end_ = 0;
    std::size_t row_cells_start_ = 0;
    int last_column_ = -1;
    bool has_cells_ = false;
    std::uint32_t first_row_ = 0, end_row_ = 0;
    std::uint16_t first_column_ = 0xFFFF, end_column_ = 0;
    bool finished_ = false;
};
