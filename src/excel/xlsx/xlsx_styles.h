// The fixed list of cell formats a workbook uses and the styles part that defines them.
#pragma once

#include <cstdint>
#include <string_view>

class xml_writer;

// Positions in the part's cell-format list; cells name them in their s attribute.
enum class xlsx_style : std::uint8_t {
    normal = 0,        // numbers and text without wrapping
    header = 1,        // bold, centred, framed and shaded, like the .xls header
    wrapped = 2,       // numbers and text when the wrap-text option is on
    date = 3,          // yyyy-mm-dd
    date_time = 4,     // yyyy-mm-dd hh:mm:ss
    date_time_ms = 5,  // yyyy-mm-dd hh:mm:ss.000
};

// The number formats of the date styles.
inline constexpr std::string_view xlsx_date_format = "yyyy-mm-dd";
inline constexpr std::string_view xlsx_date_time_format = "yyyy-mm-dd hh:mm:ss";
inline constexpr std::string_view xlsx_date_time_ms_format = "yyyy-mm-dd hh:mm:ss.000";

// The whole styles part, prolog included.
void write_styles_part(xml_writer& writer);

