// One function per BIFF record; the BIFF5 and BIFF8 forms differ only where a record's
// layout does.
#include "excel/xls/biff_records.h"

#include <cmath>
#include <cstring>

namespace {

constexpr std::uint16_t biff5_version = 0x0500;
constexpr std::uint16_t biff8_version = 0x0600;
constexpr std::uint16_t build_number = 0x0DBB;
constexpr std::uint16_t build_year = 1997;
constexpr std::uint16_t font_height = 200;  // twips: 10 pt
constexpr std::uint16_t weight_regular = 400;
constexpr std::uint16_t weight_bold = 700;
constexpr std::uint16_t automatic_colour = 0x7FFF;
constexpr std::uint16_t row_height = 255;  // twips

constexpr std::uint32_t rk_integer = 0x02;
constexpr std::uint32_t rk_times_100 = 0x01;
constexpr std::int32_t rk_integer_min = -(1 << 29), rk_integer_max = (1 << 29) - 1;

// Colour indices of the default XF pattern: system foreground on system background.
constexpr std::uint32_t pattern_colours = 64 | 65 << 7;

// XF alignment byte and used-attribute bits.
constexpr std::size_t xf_alignment_byte = 6;
constexpr std::uint8_t xf_wrap_bit = 0x08;
constexpr std::uint8_t xf_vertical_centre = 0x10;
constexpr std::uint8_t xf_uses_format = 0x01;
constexpr std::uint8_t xf_uses_alignment = 0x04;

std::optional<std::int32_t> as_rk_integer(double value) {
    if (!(value >= rk_integer_min && value <= rk_integer_max)) return std::nullopt;
    const double whole = std::trunc(value);
    if (whole != value) return std::nullopt;
    return static_cast<std::int32_t>(whole);
}

void write_cell_start(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf) {
    out.u16(row);
    out.u16(column);
    out.u16(xf);
}

}  // namespace

std::optional<std::uint32_t> biff_rk_encode(double value) noexcept {
    if (const auto whole = as_rk_integer(value))
        return static_cast<std::uint32_t>(*whole) << 2 | rk_integer;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    if ((bits & 0x3FFFFFFFFull) == 0) return static_cast<std::uint32_t>(bits >> 32);
    if (const auto hundreds = as_rk_integer(value * 100); hundreds && *hundreds / 100.0 == value)
        return static_cast<std::uint32_t>(*hundreds) << 2 | rk_integer | rk_times_100;
    return std::nullopt;
}

double biff_rk_decode(std::uint32_t rk) noexcept {
    double value;
    if (rk & rk_integer)
        value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    else
        value = std::bit_cast<double>(static_cast<std::uint64_t>(rk & 0xFFFFFFFC) << 32);
    return rk & rk_times_100 ? value / 100 : value;
}

bool biff_fits_in_bytes(std::u16string_view text) noexcept {
    for (const char16_t c : text)
        if (c > 0xFF) return false;
    return true;
}

void write_unicode_chars(biff_buffer& out, std::u16string_view text, bool compressed) {
    for (const char16_t c : text) compressed ? out.u8(c) : out.u16(c);
}

void write_short_unicode(biff_buffer& out, std::u16string_view text) {
    const bool compressed = biff_fits_in_bytes(text);
    out.u8(static_cast<std::uint32_t>(text.size()));
    out.u8(compressed ? 0 : 1);
    write_unicode_chars(out, text, compressed);
}

void write_unicode(biff_buffer& out, std::u16string_view text) {
    const bool compressed = biff_fits_in_bytes(text);
    out.u16(static_cast<std::uint32_t>(text.size()));
    out.u8(compressed ? 0 : 1);
    write_unicode_chars(out, text, compressed);
}

void write_bof(biff_buffer& out, biff_version version, std::uint16_t kind) {
    out.begin(biff_type::bof);
    out.u16(version == biff_version::biff8 ? biff8_version : biff5_version);
    out.u16(kind);
    out.u16(build_number);
    out.u16(build_year);
    if (version == biff_version::biff8) {
        out.u32(0);  // file history flags
        out.u32(6);  // lowest BIFF version that may read the file
    }
    out.end();
}

void write_eof(biff_buffer& out) { write_empty_record(out, biff_type::eof); }

void write_u16_record(biff_buffer& out, std::uint16_t type, std::uint16_t value) {
    out.begin(type);
    out.u16(value);
    out.end();
}

void write_empty_record(biff_buffer& out, std::uint16_t type) {
    out.begin(type);
    out.end();
}

void write_interface_header(biff_buffer& out, biff_version version) {
    out.begin(biff_type::interface_header);
    if (version == biff_version::biff8) out.u16(1200);  // code page of the user interface: UTF-16
    out.end();
}

void write_write_access(biff_buffer& out, biff_version version, std::string_view user) {
    out.begin(biff_type::write_access);
    const std::size_t padded = version == biff_version::biff8 ? 112 : 32;
    const std::string_view name = user.substr(0, version == biff_version::biff8 ? 109 : 31);
    if (version == biff_version::biff8) {
        out.u16(static_cast<std::uint32_t>(name.size()));
        out.u8(0);
    } else {
        out.u8(static_cast<std::uint32_t>(name.size()));
    }
    out.latin(name);
    while (out.open_body_size() < padded) out.u8(' ');
    out.end();
}

void write_code_page(biff_buffer& out, biff_version version) {
    // BIFF8 text is UTF-16; BIFF5 text is written in Windows-1252
    write_u16_record(out, biff_type::code_page, version == biff_version::biff8 ? 1200 : 1252);
}

void write_window1(biff_buffer& out) {
    out.begin(biff_type::window1);
    out.u16(0x0168);  // left, top, width, height in twips
    out.u16(0x001E);
    out.u16(0x3B4C);
    out.u16(0x23E0);
    out.u16(0x0038);  // horizontal and vertical scroll bars, sheet tabs
    out.u16(0);       // active sheet
    out.u16(0);       // first visible tab
    out.u16(1);       // selected sheets
    out.u16(600);     // tab bar width ratio, per mille
    out.end();
}

void write_font(biff_buffer& out, biff_version version, bool bold) {
    out.begin(biff_type::font);
    out.u16(font_height);
    out.u16(bold ? 1 : 0);  // the old bold flag, which some readers still go by
    out.u16(automatic_colour);
    out.u16(bold ? weight_bold : weight_regular);
    out.u16(0);  // no escapement
    out.u8(0);   // no underline
    out.u8(2);   // family: swiss
    out.u8(0);   // character set: ANSI
    out.u8(0);
    if (version == biff_version::biff8)
        write_short_unicode(out, u"Arial");
    else {
        out.u8(5);
        out.latin("Arial");
    }
    out.end();
}

void write_fonts(biff_buffer& out, biff_version version) {
    for (int k = 0; k < 5; ++k) write_font(out, version, k >= 3);
}

void write_format(biff_buffer& out, biff_version version, std::uint16_t index, std::string_view text) {
    out.begin(biff_type::format);
    out.u16(index);
    if (version == biff_version::biff8) {
        out.u16(static_cast<std::uint32_t>(text.size()));
        out.u8(0);
    } else {
        out.u8(static_cast<std::uint32_t>(text.size()));
    }
    out.latin(text);
    out.end();
}

void write_date_formats(biff_buffer& out, biff_version version) {
    write_format(out, version, biff_format::date, "yyyy-mm-dd");
    write_format(out, version, biff_format::date_time, "yyyy-mm-dd hh:mm:ss");
    write_format(out, version, biff_format::time, "hh:mm:ss");
}

// BIFF8 XF: 20 bytes; BIFF5 XF: 16 bytes. Styles have the style bit and no parent; cells
// mark the attributes they set themselves.
void write_xf(biff_buffer& out, biff_version version, bool is_style, std::uint16_t font,
              std::uint16_t format, std::uint8_t used_attributes) {
    out.begin(biff_type::xf);
    out.u16(font);
    out.u16(format);
    out.u16(is_style ? 0xFFF5 : 0x0001);  // locked; a style has parent 0xFFF, a cell style 0
    out.u8(0x20);                          // general, bottom aligned
    if (version == biff_version::biff8) {
        out.u8(0);
        out.u8(0);
        out.u8(static_cast<std::uint32_t>(used_attributes) << 2);
        out.u32(0);  // no borders
        out.u32(0);
        out.u16(pattern_colours);
    } else {
        out.u8(static_cast<std::uint32_t>(used_attributes) << 2);
        out.u32(pattern_colours);
        out.u32(0);
    }
    out.end();
}

// The header cells' XF: font 4 (bold), centred both ways, thin borders in colour 64 on
// every side, solid fill of colour 22 (grey) on 64. Written as bytes because these exact
// bytes are what Excel, LibreOffice, Apache POI and xlrd have always been shown.
void write_header_xf(biff_buffer& out, biff_version version, bool wrap_text) {
    static constexpr std::uint8_t biff8_bytes[20] = {0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x12, 0x00, 0x00, 0x78,
                                                     0x11, 0x11, 0x40, 0x20, 0x40, 0x20, 0x00, 0x04, 0x16, 0x20};
    static constexpr std::uint8_t biff5_bytes[16] = {0x04, 0x00, 0x00, 0x00, 0x09, 0x00, 0x12, 0x70,
                                                     0x16, 0x20, 0x41, 0x80, 0x49, 0x80, 0x40, 0x20};
    const std::span<const std::uint8_t> bytes = version == biff_version::biff8 ? std::span<const std::uint8_t>(biff8_bytes)
                                                                               : std::span<const std::uint8_t>(biff5_bytes);
    out.begin(biff_type::xf);
    for (std::size_t k = 0; k < bytes.size(); ++k) out.u8(k == xf_alignment_byte && wrap_text ? bytes[k] | xf_wrap_bit : bytes[k]);
    out.end();
}

// A data cells' XF: font 0, the given number format, vertically centred, wrapping as the
// option says; it marks its alignment (and its number format, when it has one) as set.
void write_data_xf(biff_buffer& out, biff_version version, std::uint16_t format, bool wrap_text) {
    const std::uint8_t used = (xf_uses_alignment | (format != 0 ? xf_uses_format : 0)) << 2;
    out.begin(biff_type::xf);
    out.u16(0);  // font
    out.u16(format);
    out.u16(version == biff_version::biff8 ? 0x0001 : 0x0009);  // locked cell
    out.u8(xf_vertical_centre | (wrap_text ? xf_wrap_bit : 0));
    if (version == biff_version::biff8) {
        out.u8(0);  // no rotation
        out.u8(0);  // no indent
        out.u8(used);
        out.u32(0);  // no borders
        out.u32(0);
        out.u16(pattern_colours);
    } else {
        out.u8(used);
        out.u32(pattern_colours);
        out.u32(0);
    }
    out.end();
}

void write_xfs(biff_buffer& out, biff_version version, bool wrap_text) {
    for (std::uint16_t k = 0; k < biff_xf::count; ++k) {
        switch (k) {
            case biff_xf::default_cell: write_data_xf(out, version, 0, wrap_text); break;
            case biff_xf::header_cell: write_header_xf(out, version, wrap_text); break;
            case biff_xf::date: write_data_xf(out, version, biff_format::date, wrap_text); break;
            case biff_xf::date_time: write_data_xf(out, version, biff_format::date_time, wrap_text); break;
            case biff_xf::time: write_data_xf(out, version, biff_format::time, wrap_text); break;
            case 17: write_xf(out, version, true, 0, 43, 0); break;  // Comma
            case 18: write_xf(out, version, true, 0, 44, 0); break;  // Currency
            case 19: write_xf(out, version, true, 0, 9, 0); break;   // Percent
            case 20: write_xf(out, version, true, 0, 41, 0); break;  // Comma [0]
            default: write_xf(out, version, true, k >= 1 && k <= 4 ? (k + 1) / 2 : 0, 0, 0); break;
        }
    }
}

void write_styles(biff_buffer& out) {
    struct built_in { std::uint16_t xf; std::uint8_t id; };
    static constexpr built_in styles[] = {{0, 0}, {17, 3}, {18, 4}, {19, 5}, {20, 6}};  // Normal, Comma ...
    for (const built_in& style : styles) {
        out.begin(biff_type::style);
        out.u16(0x8000 | style.xf);
        out.u8(style.id);
        out.u8(0xFF);
        out.end();
    }
}

void write_sheet_settings(biff_buffer& out, biff_version version) {
    write_u16_record(out, biff_type::calc_mode, 1);  // automatic
    write_u16_record(out, biff_type::calc_count, 100);
    write_u16_record(out, biff_type::ref_mode, 1);  // A1 references
    write_u16_record(out, biff_type::iteration, 0);
    out.begin(biff_type::delta);
    out.f64(0.001);
    out.end();
    write_u16_record(out, biff_type::save_recalc, 1);
    write_u16_record(out, biff_type::print_headers, 0);
    write_u16_record(out, biff_type::print_gridlines, 0);
    write_u16_record(out, biff_type::grid_set, 1);
    out.begin(biff_type::guts);
    out.zeros(8);
    out.end();
    out.begin(biff_type::default_row_height);
    out.u16(0);
    out.u16(row_height);
    out.end();
    if (version == biff_version::biff5) {
        out.begin(biff_type::country);
        out.u16(1);
        out.u16(1);
        out.end();
    }
    write_u16_record(out, biff_type::ws_bool, 0x04C1);  // show automatic page breaks, outline symbols
}

void write_default_column_width(biff_buffer& out) { write_u16_record(out, biff_type::default_column_width, 8); }

void write_dimensions(biff_buffer& out, biff_version version, std::uint32_t first_row, std::uint32_t end_row,
                      std::uint16_t first_column, std::uint16_t end_column) {
    out.begin(biff_type::dimensions);
    if (version == biff_version::biff8) {
        out.u32(first_row);
        out.u32(end_row);
    } else {
        out.u16(first_row);
        out.u16(end_row);
    }
    out.u16(first_column);
    out.u16(end_column);
    out.u16(0);
    out.end();
}

void write_window2(biff_buffer& out, biff_version version, bool selected) {
    // grid lines, headers, zero values, automatic grid colour, outline symbols
    const std::uint16_t options = 0x00B6 | (selected ? 0x0600 : 0);
    out.begin(biff_type::window2);
    out.u16(options);
    out.u16(0);  // top row
    out.u16(0);  // left column
    if (version == biff_version::biff8) {
        out.u32(64);  // grid line colour index
        out.u16(0);   // zoom in page-break preview: default
        out.u16(0);   // zoom in normal view: default
        out.u32(0);
    } else {
        out.u32(0);  // grid line colour
    }
    out.end();
}

std::size_t biff_index_size(biff_version version, std::size_t blocks) {
    return 4 + (version == biff_version::biff8 ? 16 : 12) + 4 * blocks;
}

void write_index(biff_buffer& out, biff_version version, std::uint32_t first_row, std::uint32_t end_row,
                 std::uint32_t default_column_width_position, std::span<const std::uint32_t> dbcells) {
    out.begin(biff_type::index);
    out.u32(0);
    if (version == biff_version::biff8) {
        out.u32(first_row);
        out.u32(end_row);
        out.u32(default_column_width_position);
    } else {
        out.u16(first_row);
        out.u16(end_row);
        out.u32(0);
    }
    for (const std::uint32_t position : dbcells) out.u32(position);
    out.end();
}

void write_row(biff_buffer& out, std::uint32_t row, std::uint16_t first_column, std::uint16_t end_column) {
    out.begin(biff_type::row);
    out.u16(row);
    out.u16(first_column);
    out.u16(end_column);
    out.u16(row_height);
    out.u16(0);
    out.u16(0);
    out.u32(0x000F0100);  // default XF 15; bit 8 is always set
    out.end();
}

void write_number(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf, double value) {
    if (const auto rk = biff_rk_encode(value)) {
        out.begin(biff_type::rk);
        write_cell_start(out, row, column, xf);
        out.u32(*rk);
        out.end();
        return;
    }
    out.begin(biff_type::number);
    write_cell_start(out, row, column, xf);
    out.f64(value);
    out.end();
}

void write_label_sst(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf,
                     std::uint32_t string_index) {
    out.begin(biff_type::label_sst);
    write_cell_start(out, row, column, xf);
    out.u32(string_index);
    out.end();
}

void write_label(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf,
                 std::string_view single_byte_text) {
    out.begin(biff_type::label);
    write_cell_start(out, row, column, xf);
    out.u16(static_cast<std::uint32_t>(single_byte_text.size()));
    out.latin(single_byte_text);
    out.end();
}

void write_label_unicode(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf,
                         std::u16string_view text) {
    TK_ASSERT(text.size() <= 255);
    out.begin(biff_type::label);
    write_cell_start(out, row, column, xf);
    write_unicode(out, text);
    out.end();
}

void write_bool(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf, bool value) {
    out.begin(biff_type::bool_err);
    write_cell_start(out, row, column, xf);
    out.u8(value ? 1 : 0);
    out.u8(0);  // a boolean, not an error
    out.end();
}
