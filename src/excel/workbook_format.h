// The three workbook formats and their limits, stated once: the run, the writers and every
// message that names a limit take them from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "values/cell_value.h"

enum class workbook_format { excel_50, excel_2000, excel_2010 };

struct format_limits {
    std::uint32_t max_data_rows;  // rows below the header row of one sheet
    std::uint32_t max_columns;    // columns the run writes; the rest of a wider item is left out
    std::size_t max_text_units;   // UTF-16 units of one cell's text; a longer text is cut
};

// Excel's documented sheet sizes: 16,384 rows and 256 columns (BIFF5), 65,536 x 256
// (BIFF8), 1,048,576 x 16,384 (.xlsx), one row of each taken by the header. The .xls
// formats write 255 columns, as every earlier version of this program did. A cell holds
// 255 characters in Excel 5.0 and 32,767 in the later formats.
inline constexpr format_limits excel_50_limits{16'383, 255, 255};
inline constexpr format_limits excel_2000_limits{65'535, 255, 32'767};
inline constexpr format_limits excel_2010_limits{1'048'575, 16'384, 32'767};

constexpr const format_limits& limits_of(workbook_format format) noexcept {
    switch (format) {
    case workbook_format::excel_50: return excel_50_limits;
    case workbook_format::excel_2000: return excel_2000_limits;
    case workbook_format::excel_2010: return excel_2010_limits;
    }
    return excel_2010_limits;
}

// How the format stores texts: .xlsx in UTF-8, the .xls formats in UTF-16 (Excel 5.0 turns
// them into its code page from there).
constexpr text_form stored_text_form(workbook_format format) noexcept {
    return format == workbook_format::excel_2010 ? text_form::utf8 : text_form::utf16;
}

// Sheet names hold at most 31 characters in every format.
inline constexpr std::size_t max_sheet_name_chars = 31;

// The format's number in settings and profile files (0, 1, 2); false for any other.
constexpr bool format_from_number(std::uint32_t number, workbook_format& format) noexcept {
    if (number > 2) return false;
    format = static_cast<workbook_format>(number);
    return true;
}
constexpr std::uint32_t format_number(workbook_format format) noexcept { return static_cast<std::uint32_t>(format); }

// What the settings page shows for the format: its name and its description.
std::string_view format_name(workbook_format format) noexcept;
std::string_view format_description(workbook_format format) noexcept;
