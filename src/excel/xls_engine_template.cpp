// The embedded empty workbooks of the two .xls formats, built once from their records:
// a 4096-byte workbook stream and two summary-information streams in a 13824-byte
// compound file.
#include <array>
#include <vector>

#include "excel/xls/biff_records.h"
#include "excel/xls/compound_file_writer.h"
#include "excel/xls_engine.h"

namespace {

constexpr std::size_t template_stream_size = 4096;

// Property set streams with one property, the code page.
std::vector<std::byte> property_set(const std::array<std::uint8_t, 16>& format_id) {
    biff_buffer out;
    out.u16(0xFFFE);       // byte order
    out.u16(0);            // format version
    out.u32(0x00020006);   // originating system
    out.zeros(16);         // class id
    out.u32(1);            // one property set
    for (const std::uint8_t b : format_id) out.u8(b);
    out.u32(48);           // offset of the set
    out.u32(24);           // set size
    out.u32(1);            // one property
    out.u32(1);            // property 1: code page
    out.u32(16);           // at offset 16 of the set
    out.u32(2);            // 16-bit integer
    out.u32(1252);
    out.zeros(template_stream_size - out.size());
    return {out.view().begin(), out.view().end()};
}

void write_template_formats(biff_buffer& out, biff_version version) {
    write_format(out, version, 5, "\"$\"#,##0_);\\(\"$\"#,##0\\)");
    write_format(out, version, 6, "\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)");
    write_format(out, version, 7, "\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)");
    write_format(out, version, 8, "\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)");
    write_format(out, version, 42, "_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)");
    write_format(out, version, 41, "_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)");
    write_format(out, version, 44, "_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)");
    write_format(out, version, 43, "_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)");
}

// 15 style XFs, the default cell XF, then Comma, Comma [0], Currency, Currency [0], Percent.
void write_template_xfs(biff_buffer& out, biff_version version) {
    for (std::uint16_t k = 0; k < 15; ++k) write_xf(out, version, true, k >= 1 && k <= 4 ? (k + 1) / 2 : 0, 0, 0);
    write_xf(out, version, false, 0, 0, 0);
    for (const std::uint16_t format : {43, 41, 44, 42, 9}) write_xf(out, version, true, 1, format, 0);
    struct built_in { std::uint16_t xf; std::uint8_t id; };
    for (const built_in style : {built_in{0x10, 3}, {0x11, 6}, {0x12, 4}, {0x13, 7}, {0x00, 0}, {0x14, 5}}) {
        out.begin(biff_type::style);
        out.u16(0x8000 | style.xf);
        out.u8(style.id);
        out.u8(0xFF);
        out.end();
    }
}

void write_template_globals(biff_buffer& out, biff_version version, std::size_t& sheet_offset_at) {
    const bool biff8 = version == biff_version::biff8;
    write_bof(out, version, biff_bof_globals);
    write_interface_header(out, version);
    write_u16_record(out, biff_type::mms, 0);
    if (!biff8) {
        write_empty_record(out, biff_type::toolbar_header);
        write_empty_record(out, biff_type::toolbar_end);
    }
    write_empty_record(out, biff_type::interface_end);
    write_write_access(out, version, "Sprandel");
    write_code_page(out, version);
    if (biff8) {
        write_u16_record(out, biff_type::dsf, 0);
        write_empty_record(out, biff_type::excel9_file);
        write_u16_record(out, biff_type::tab_id, 1);
    }
    write_u16_record(out, biff_type::fn_group_count, 14);
    write_u16_record(out, biff_type::window_protect, 0);
    write_u16_record(out, biff_type::protect, 0);
    write_u16_record(out, biff_type::password, 0);
    if (biff8) {
        write_u16_record(out, biff_type::prot4rev, 0);
        write_u16_record(out, biff_type::prot4rev_pass, 0);
    }
    write_window1(out);
    write_u16_record(out, biff_type::backup, 0);
    write_u16_record(out, biff_type::hide_obj, 0);
    write_u16_record(out, biff_type::date_mode, 0);
    write_u16_record(out, biff_type::precision, 1);
    if (biff8) write_u16_record(out, biff_type::refresh_all, 0);
    write_u16_record(out, biff_type::book_bool, 0);
    for (int k = 0; k < 4; ++k) write_font(out, version, false);
    write_template_formats(out, version);
    write_template_xfs(out, version);
    if (!biff8) write_palette(out);
    if (biff8) write_u16_record(out, biff_type::use_self_refs, 0);
    out.begin(biff_type::bound_sheet);
    sheet_offset_at = out.size();
    out.u32(0);
    out.u16(0);  // visible worksheet
    if (biff8) write_short_unicode(out, u"Sheet1");
    else {
        out.u8(6);
        out.latin("Sheet1");
    }
    out.end();
    if (biff8) {
        out.begin(biff_type::country);
        out.u16(1);
        out.u16(1);
        out.end();
        out.begin(biff_type::recalc_id);
        out.u16(biff_type::recalc_id);
        out.u16(0);
        out.u32(0x0001D2DC);
        out.end();
        out.begin(biff_type::sst);
        out.u32(0);
        out.u32(0);
        out.end();
        write_u16_record(out, biff_type::ext_sst, 8);
    }
    write_eof(out);
}

void write_template_sheet(biff_buffer& out, biff_version version) {
    const bool biff8 = version == biff_version::biff8;
    write_bof(out, version, biff_bof_worksheet);
    const std::size_t index_at = out.size();
    write_index(out, version, 0, 0, 0, {});
    write_sheet_settings(out, version);
    write_empty_record(out, biff_type::header);
    write_empty_record(out, biff_type::footer);
    write_u16_record(out, biff_type::h_center, 0);
    write_u16_record(out, biff_type::v_center, 0);
    out.begin(biff_type::setup);
    out.u16(1);    // paper size: letter
    out.u16(100);  // scale
    out.u16(1);    // first page number
    out.u16(1);    // fit to one page wide
    out.u16(1);    // and one page high
    out.u16(0x0004);  // no printer settings held
    out.u16(600);
    out.u16(600);
    out.f64(0.5);  // header margin, inches
    out.f64(0.5);  // footer margin
    out.u16(1);    // copies
    out.end();
    if (biff8) out.patch_u32(index_at + 4 + 12, static_cast<std::uint32_t>(out.size()));  // DEFCOLWIDTH
    write_default_column_width(out);
    write_dimensions(out, version, 0, 0, 0, 0);
    write_window2(out, version, true);
    out.begin(biff_type::selection);
    out.u8(3);  // the only pane
    out.u16(0);
    out.u16(0);
    out.u16(0);
    out.u16(1);
    out.u16(0);
    out.u16(0);
    out.u8(0);
    out.u8(0);
    out.end();
    if (biff8) {
        out.begin(biff_type::phonetic);
        out.u16(0);
        out.u16(0);
        out.u16(0);
        out.end();
    }
    write_eof(out);
}

std::vector<std::byte> build_template(biff_version version) {
    biff_buffer stream;
    std::size_t sheet_offset_at = 0;
    write_template_globals(stream, version, sheet_offset_at);
    stream.patch_u32(sheet_offset_at, static_cast<std::uint32_t>(stream.size()));
    write_template_sheet(stream, version);
    TK_ASSERT(stream.size() <= template_stream_size);
    stream.zeros(template_stream_size - stream.size());

    compound_file_writer container;
    container.add_stream(version == biff_version::biff8 ? u"Workbook" : u"Book",
                         std::vector<std::byte>(stream.view().begin(), stream.view().end()));
    container.add_stream(u"\x05SummaryInformation",
                         property_set({0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10, 0xAB, 0x91, 0x08, 0x00,
                                       0x2B, 0x27, 0xB3, 0xD9}));
    container.add_stream(u"\x05" u"DocumentSummaryInformation",
                         property_set({0x02, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10, 0x93, 0x97, 0x08, 0x00,
                                       0x2B, 0x2C, 0xF9, 0xAE}));
    memory_sink out;
    container.write(out);
    return out.release();
}

}  // namespace

std::span<const std::byte> xls_template_biff5() {
    static const std::vector<std::byte> bytes = build_template(biff_version::biff5);
    return bytes;
}

std::span<const std::byte> xls_template_biff8() {
    static const std::vector<std::byte> bytes = build_template(biff_version::biff8);
    return bytes;
}
