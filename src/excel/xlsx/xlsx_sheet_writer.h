// One worksheet part, written row by row into its ZIP entry as the rows arrive.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "excel/cells/cell_form.h"
#include "excel/workbook_format.h"
#include "excel/xlsx/xlsx_cell_values.h"
#include "excel/xlsx/xlsx_package_parts.h"
#include "excel/xlsx/xml_writer.h"

class shared_strings;
class zip_package;

// Rows of one sheet, the header row included.
inline constexpr std::uint32_t xlsx_sheet_rows = excel_2010_limits.max_data_rows + 1;

class xlsx_sheet_writer {
public:
    // Opens the sheet's entry and writes the header row. Made by xlsx_package_writer::add_sheet.
    xlsx_sheet_writer(zip_package& zip, shared_strings& strings, std::string title, std::size_t position,
               std::span<const std::string> column_names, bool wrap_text);
    xlsx_sheet_writer(const xlsx_sheet_writer&) = delete;
    xlsx_sheet_writer& operator=(const xlsx_sheet_writer&) = delete;

    // Data rows: begin_row, at most one add_ call per header column in order, end_row. A
    // full sheet makes begin_row throw (level 0) before anything is written.
    void begin_row();
    void add_empty() { ++column_; }  // a NULL: the cell is left out, the next keeps its letter
    // A finite number, written in the shortest text that reads back as the same double.
    void add_number(double value);
    // text must be valid UTF-8. An empty text leaves the cell out, like a NULL.
    void add_text(std::string_view text);
    // A UTF-16 text, converted to UTF-8 once (an unpaired surrogate becomes U+FFFD).
    void add_text(std::u16string_view text);
    void add_boolean(bool value);
    // A date's serial number, shown in the style's date format.
    void add_date(double serial, cell_date_style style);
    void end_row();

    // Closes the sheet's part; no row can follow. Done by the workbook when the next sheet
    // starts or the workbook is saved, at the latest.
    void finish();

    const std::string& title() const noexcept { return title_; }
    std::uint32_t column_count() const noexcept { return column_count_; }
    bool is_full() const noexcept { return row_ >= xlsx_sheet_rows; }
    sheet_entry entry() const { return {title_, column_count_, row_}; }

    // Rows whose texts decide the column widths; the part's start waits for them.
    static constexpr std::uint32_t width_sample_rows = 100;

private:
    void start_cell();
    void write_value_cell(std::string_view value, const char* type_and_style, std::size_t characters);
    void write_text_cell(std::string_view text, bool is_header);
    void note_width(std::size_t characters);
    void write_sheet_views(xml_writer& writer) const;
    void write_columns(xml_writer& writer) const;
    void write_sheet_start();
    void release_rows();
    void compute_widths();
    const std::string& letters_of(std::uint32_t column);

    zip_package& zip_;
    shared_strings& strings_;
    std::string title_;
    xml_writer writer_;
    bool wrap_text_;
    bool is_first_sheet_;
    bool is_held_ = true;  // rows wait in memory until the widths are known
    bool is_finished_ = false;
    std::uint32_t column_count_;
    std::uint64_t size_bound_;  // bytes the part can reach, known to stay below 4 GiB or not
    bool is_zip64_;
    std::uint32_t row_ = 0;  // 1-based number of the current row
    std::uint32_t column_ = 0;
    char row_text_[12] = {};
    std::size_t row_text_size_ = 0;
    std::vector<std::string> letters_;
    std::string utf8_;  // the current UTF-16 text in UTF-8, reused cell after cell
    std::vector<std::size_t> sampled_characters_;
    std::vector<std::size_t> header_characters_;
    std::vector<double> widths_;
};

