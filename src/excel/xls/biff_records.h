// BIFF5/BIFF8 record types and one writer function per record, shared by the workbook
// globals, the sheets and the empty-workbook templates.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "excel/xls/biff_buffer.h"

namespace biff_type {
inline constexpr std::uint16_t eof = 0x000A;
inline constexpr std::uint16_t calc_count = 0x000C;
inline constexpr std::uint16_t calc_mode = 0x000D;
inline constexpr std::uint16_t precision = 0x000E;
inline constexpr std::uint16_t ref_mode = 0x000F;
inline constexpr std::uint16_t delta = 0x0010;
inline constexpr std::uint16_t iteration = 0x0011;
inline constexpr std::uint16_t protect = 0x0012;
inline constexpr std::uint16_t password = 0x0013;
inline constexpr std::uint16_t header = 0x0014;
inline constexpr std::uint16_t footer = 0x0015;
inline constexpr std::uint16_t window_protect = 0x0019;
inline constexpr std::uint16_t date_mode = 0x0022;
inline constexpr std::uint16_t print_headers = 0x002A;
inline constexpr std::uint16_t print_gridlines = 0x002B;
inline constexpr std::uint16_t font = 0x0031;
inline constexpr std::uint16_t continue_record = 0x003C;
inline constexpr std::uint16_t window1 = 0x003D;
inline constexpr std::uint16_t backup = 0x0040;
inline constexpr std::uint16_t code_page = 0x0042;
inline constexpr std::uint16_t default_column_width = 0x0055;
inline constexpr std::uint16_t write_access = 0x005C;
inline constexpr std::uint16_t save_recalc = 0x005F;
inline constexpr std::uint16_t guts = 0x0080;
inline constexpr std::uint16_t ws_bool = 0x0081;
inline constexpr std::uint16_t grid_set = 0x0082;
inline constexpr std::uint16_t h_center = 0x0083;
inline constexpr std::uint16_t v_center = 0x0084;
inline constexpr std::uint16_t bound_sheet = 0x0085;
inline constexpr std::uint16_t country = 0x008C;
inline constexpr std::uint16_t hide_obj = 0x008D;
inline constexpr std::uint16_t palette = 0x0092;
inline constexpr std::uint16_t fn_group_count = 0x009C;
inline constexpr std::uint16_t setup = 0x00A1;
inline constexpr std::uint16_t toolbar_header = 0x00BF;
inline constexpr std::uint16_t toolbar_end = 0x00C0;
inline constexpr std::uint16_t mms = 0x00C1;
inline constexpr std::uint16_t dbcell = 0x00D7;
inline constexpr std::uint16_t book_bool = 0x00DA;
inline constexpr std::uint16_t xf = 0x00E0;
inline constexpr std::uint16_t interface_header = 0x00E1;
inline constexpr std::uint16_t interface_end = 0x00E2;
inline constexpr std::uint16_t sst = 0x00FC;
inline constexpr std::uint16_t label_sst = 0x00FD;
inline constexpr std::uint16_t ext_sst = 0x00FF;
inline constexpr std::uint16_t tab_id = 0x013D;
inline constexpr std::uint16_t use_self_refs = 0x0160;
inline constexpr std::uint16_t dsf = 0x0161;
inline constexpr std::uint16_t refresh_all = 0x01B7;
inline constexpr std::uint16_t excel9_file = 0x01C0;
inline constexpr std::uint16_t recalc_id = 0x01C1;
inline constexpr std::uint16_t prot4rev = 0x01AF;
inline constexpr std::uint16_t prot4rev_pass = 0x01BC;
inline constexpr std::uint16_t selection = 0x001D;
inline constexpr std::uint16_t dimensions = 0x0200;
inline constexpr std::uint16_t number = 0x0203;
inline constexpr std::uint16_t label = 0x0204;
inline constexpr std::uint16_t bool_err = 0x0205;
inline constexpr std::uint16_t row = 0x0208;
inline constexpr std::uint16_t index = 0x020B;
inline constexpr std::uint16_t default_row_height = 0x0225;
inline constexpr std::uint16_t window2 = 0x023E;
inline constexpr std::uint16_t rk = 0x027E;
inline constexpr std::uint16_t style = 0x0293;
inline constexpr std::uint16_t format = 0x041E;
inline constexpr std::uint16_t phonetic = 0x00EF;
inline constexpr std::uint16_t bof = 0x0809;
}  // namespace biff_type

// The XF layout every workbook of ours has.
namespace biff_xf {
inline constexpr std::uint16_t default_cell = 15;
inline constexpr std::uint16_t header_cell = 16;
inline constexpr std::uint16_t date = 21;
inline constexpr std::uint16_t date_time = 22;
inline constexpr std::uint16_t time = 23;
inline constexpr std::uint16_t count = 24;
}  // namespace biff_xf

// Our own number formats, referenced by the date XFs.
namespace biff_format {
inline constexpr std::uint16_t date = 164;
inline constexpr std::uint16_t date_time = 165;
inline constexpr std::uint16_t time = 166;
}  // namespace biff_format

inline constexpr std::uint16_t biff_bof_globals = 0x0005;
inline constexpr std::uint16_t biff_bof_worksheet = 0x0010;
inline constexpr std::uint32_t biff_rows_per_block = 32;
inline constexpr std::uint32_t biff_row_record_size = 20;  // header + 16-byte body, both versions

// A double as a 32-bit RK number when that loses nothing: an integer of 30 bits, the same
// times 100, or a double whose low 34 bits are zero.
std::optional<std::uint32_t> biff_rk_encode(double value) noexcept;
double biff_rk_decode(std::uint32_t rk) noexcept;

// Strings: BIFF8 texts are UTF-16, stored one byte per character when every unit fits.
bool biff_fits_in_bytes(std::u16string_view text) noexcept;
void write_unicode_chars(biff_buffer& out, std::u16string_view text, bool compressed);
void write_short_unicode(biff_buffer& out, std::u16string_view text);  // 8-bit count
void write_unicode(biff_buffer& out, std::u16string_view text);        // 16-bit count

void write_bof(biff_buffer& out, biff_version version, std::uint16_t kind);
void write_eof(biff_buffer& out);
void write_u16_record(biff_buffer& out, std::uint16_t type, std::uint16_t value);
void write_empty_record(biff_buffer& out, std::uint16_t type);
void write_interface_header(biff_buffer& out, biff_version version);
void write_write_access(biff_buffer& out, biff_version version, std::string_view user);
void write_code_page(biff_buffer& out, biff_version version);
void write_window1(biff_buffer& out);
// Font records 0-2 are regular; the fourth and the fifth are bold, so the header's font
// index 4 is bold both for readers that skip index 4 when counting records (Excel, xlrd:
// the fourth record) and for those that do not (Apache POI: the fifth).
void write_fonts(biff_buffer& out, biff_version version);
void write_font(biff_buffer& out, biff_version version, bool bold);  // Arial 10
void write_format(biff_buffer& out, biff_version version, std::uint16_t index, std::string_view text);
void write_date_formats(biff_buffer& out, biff_version version);
// used_attributes: bit 0 number format, 1 font, 2 alignment, 3 border, 4 pattern, 5 protection.
void write_xf(biff_buffer& out, biff_version version, bool is_style, std::uint16_t font, std::uint16_t format,
              std::uint8_t used_attributes);
// The 24 XFs of our workbooks: the header cells' XF 16 bold, centred, framed and shaded;
// the data cells' XFs 15 and 21-23 vertically centred and wrapping as the option says.
void write_xfs(biff_buffer& out, biff_version version, bool wrap_text);
void write_styles(biff_buffer& out);

void write_sheet_settings(biff_buffer& out, biff_version version);  // CALCMODE .. DEFAULTROWHEIGHT, WSBOOL
void write_default_column_width(biff_buffer& out);
void write_dimensions(biff_buffer& out, biff_version version, std::uint32_t first_row, std::uint32_t end_row,
                      std::uint16_t first_column, std::uint16_t end_column);
void write_window2(biff_buffer& out, biff_version version, bool selected);
void write_index(biff_buffer& out, biff_version version, std::uint32_t first_row, std::uint32_t end_row,
                 std::uint32_t default_column_width_position, std::span<const std::uint32_t> dbcells);
std::size_t biff_index_size(biff_version version, std::size_t blocks);  // record size with header

void write_row(biff_buffer& out, std::uint32_t row, std::uint16_t first_column, std::uint16_t end_column);
void write_number(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf, double value);
void write_label_sst(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf,
                     std::uint32_t string_index);
void write_label(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf,
                 std::string_view single_byte_text);
// BIFF8 LABEL: the text in the cell itself, at most 255 characters.
void write_label_unicode(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf,
                         std::u16string_view text);
void write_bool(biff_buffer& out, std::uint32_t row, std::uint16_t column, std::uint16_t xf, bool value);
