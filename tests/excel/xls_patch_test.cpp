// The header patch: on our own workbooks as xlrd sees the formatting afterwards (in both
// versions, so the documented bytes are proved by their effect), and on crafted workbook
// streams for each edge of the walk, including damaged ones.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "excel/xls/biff_records.h"
#include "excel/xls/biff_workbook_writer.h"
#include "excel/xls/compound_file_writer.h"
#include "excel/xls_engine.h"
#include "xls_test_support.h"

using namespace xls_test;

namespace {

void write_driver_output(const fs::path& path, biff_version version) {
    biff_workbook_writer book(path, version);
    for (const char* name : {"First", "Second"}) {
        biff_sheet_writer& sheet = book.add_sheet(name);
        sheet.start_row();
        sheet.put_text(0, "id");
        sheet.put_text(1, "born");
        sheet.end_row();
        sheet.start_row();
        sheet.put_number(0, 7);
        sheet.put_date(1, 45351, biff_date_kind::date);
        sheet.end_row();
    }
    book.close();
}

// What xlrd makes of each sheet's header cells (one XF for all), a data cell and the date
// cell: the documented font 4 with the 4th FONT record made bold, centred horizontally,
// all centred vertically, thin borders, a solid grey fill, wrapping as the option says,
// and the date keeping its format.
const char* formatting_script =
    "import sys, xlrd\n"
    "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
    "for s in b.sheets():\n"
    "    h, d, t = (b.xf_list[s.cell_xf_index(r, c)] for r, c in ((0, 0), (1, 0), (1, 1)))\n"
    "    br, a = h.border, h.alignment\n"
    "    print(s.cell_xf_index(0, 0) == s.cell_xf_index(0, 1), h.font_index, b.font_list[3].bold, a.hor_align,\n"
    "          a.vert_align, d.alignment.vert_align, t.alignment.vert_align, br.left_line_style, br.right_line_style,\n"
    "          br.top_line_style, br.bottom_line_style, h.background.fill_pattern, h.background.pattern_colour_index,\n"
    "          a.text_wrapped, d.alignment.text_wrapped, b.format_map[t.format_key].format_str)\n";

}  // namespace

// Patching again takes the wrap option as it is then.
TEST(xls_patch_read_back, header_is_bold_centred_framed_and_shaded_and_wrap_follows_the_option) {
    for (const auto version : {biff_version::biff5, biff_version::biff8}) {
        temp_folder folder;
        write_driver_output(folder / "p.xls", version);
        xls_engine_biff engine(version);
        for (const bool wrap : {true, false}) {
            engine.b_wrap_text = wrap;
            ASSERT_TRUE(engine.patch((folder / "p.xls").string()));
            const std::string sheet =
                std::string("True 4 1 2 1 1 1 1 1 1 1 1 22 ") + (wrap ? "1 1" : "0 0") + " yyyy-mm-dd\n";
            EXPECT_EQ(python_check(formatting_script, folder / "p.xls"), sheet + sheet);
        }
        EXPECT_EQ(dump_workbook_text(folder / "p.xls"),
                  "sheet\tFirst\t2\t2\nR\ts:id\ts:born\nR\tn:7\td:2024-02-29T00:00:00.000\n"
                  "sheet\tSecond\t2\t2\nR\ts:id\ts:born\nR\tn:7\td:2024-02-29T00:00:00.000\n");
    }
}

namespace {

struct crafted_sheet {
    std::vector<std::uint16_t> header_columns{0, 1, 2};
    bool empty = false;
    bool zero_dbcell = false;
};

// A workbook stream with the given counts of FONT and XF records and the given sheets,
// each XF with number format 0 so the patched bytes are exactly the documented ones.
std::vector<std::byte> crafted_stream(biff_version version, int fonts, int xfs,
                                      const std::vector<crafted_sheet>& sheets) {
    biff_buffer out;
    write_bof(out, version, biff_bof_globals);
    for (int k = 0; k < fonts; ++k) write_font(out, version, false);
    for (int k = 0; k < xfs; ++k) write_xf(out, version, k < 15, 0, 0, 0);
    std::vector<std::size_t> offset_fields;
    for (std::size_t k = 0; k < sheets.size(); ++k) {
        out.begin(biff_type::bound_sheet);
        offset_fields.push_back(out.size());
        out.u32(0);
        out.u16(0);
        if (version == biff_version::biff8) write_short_unicode(out, u"S" + std::u16string(1, u'a' + k));
        else {
            out.u8(2);
            out.u8('S');
            out.u8('a' + k);
        }
        out.end();
    }
    write_eof(out);
    for (std::size_t k = 0; k < sheets.size(); ++k) {
        out.patch_u32(offset_fields[k], static_cast<std::uint32_t>(out.size()));
        write_bof(out, version, biff_bof_worksheet);
        const std::size_t index_at = out.size();
        if (sheets[k].empty) {
            write_index(out, version, 0, 0, 0, {});
            write_eof(out);
            continue;
        }
        const std::uint32_t no_dbcell[1] = {0};
        write_index(out, version, 0, 2, 0, no_dbcell);
        const std::size_t rows_at = out.size();
        write_row(out, 0, 0, 3);
        write_row(out, 1, 0, 1);
        const std::size_t cells_at = out.size();
        for (const std::uint16_t column : sheets[k].header_columns) write_number(out, 0, column, 15, column);
        const std::size_t second_row_at = out.size();
        write_number(out, 1, 0, 15, 99);
        const std::size_t dbcell_at = out.size();
        out.begin(biff_type::dbcell);
        out.u32(static_cast<std::uint32_t>(dbcell_at - rows_at));
        out.u16(static_cast<std::uint32_t>(cells_at - rows_at - 20));
        out.u16(static_cast<std::uint32_t>(second_row_at - cells_at));
        out.end();
        if (!sheets[k].zero_dbcell)
            out.patch_u32(index_at + 4 + (version == biff_version::biff8 ? 16 : 12),
                          static_cast<std::uint32_t>(dbcell_at));
        write_eof(out);
    }
    return {out.view().begin(), out.view().end()};
}

void store_workbook(const fs::path& path, biff_version version, std::vector<std::byte> stream) {
    compound_file_writer writer;
    stream.resize(std::max<std::size_t>(stream.size(), 4096));
    writer.add_stream(version == biff_version::biff8 ? u"Workbook" : u"Book", std::move(stream));
    temporary_output_file out(path);
    writer.write(out);
    out.commit();
}

bool patch(const fs::path& path, biff_version version) { return xls_engine_biff(version).patch(path.string()); }

// XF index of each row-0 cell of the sheet starting at offset, by column.
std::map<int, int> header_xfs(const std::vector<std::byte>& stream, std::size_t offset) {
    std::map<int, int> found;
    for (const auto& r : records_from(stream, offset))
        if (r.type == biff_type::rk && cfb::get_u16(r.body, 0) == 0)
            found[cfb::get_u16(r.body, 2)] = cfb::get_u16(r.body, 4);
    return found;
}

std::vector<std::vector<std::byte>> bodies(const std::vector<std::byte>& stream, std::uint16_t type) {
    std::vector<std::vector<std::byte>> out;
    for (const auto& r : records_from(stream, 0))
        if (r.type == type) out.push_back(r.body);
    return out;
}

std::uint32_t sheet_offset(const std::vector<std::byte>& stream, std::size_t which) {
    return cfb::get_u32(bodies(stream, biff_type::bound_sheet).at(which), 0);
}

}  // namespace

TEST(xls_patch_crafted, too_few_fonts_and_xfs_are_left_alone_and_sheets_still_marked) {
    for (const auto version : {biff_version::biff5, biff_version::biff8}) {
        temp_folder folder;
        const auto before = crafted_stream(version, 3, 16, {{}, {}});
        store_workbook(folder / "c.xls", version, before);
        ASSERT_TRUE(patch(folder / "c.xls", version));
        const auto stream = workbook_stream(folder / "c.xls");
        EXPECT_EQ(bodies(stream, biff_type::font), bodies(before, biff_type::font));
        const auto xfs = bodies(stream, biff_type::xf);
        const auto old_xfs = bodies(before, biff_type::xf);
        for (int k = 0; k < 15; ++k) EXPECT_EQ(xfs[k], old_xfs[k]);
        EXPECT_NE(xfs[15], old_xfs[15]) << "the 16th XF is there and is patched";
        for (std::size_t s = 0; s < 2; ++s)
            EXPECT_EQ(header_xfs(stream, sheet_offset(stream, s)), (std::map<int, int>{{0, 16}, {1, 16}, {2, 16}}));
    }
}

// A missing second header cell stops the marking after column 0.
TEST(xls_patch_crafted, empty_sheet_zero_dbcell_and_gap_in_the_header_are_left_alone_and_later_sheets_marked) {
    for (const auto version : {biff_version::biff5, biff_version::biff8}) {
        temp_folder folder;
        crafted_sheet empty, no_dbcell, normal, gap;
        empty.empty = true;
        no_dbcell.zero_dbcell = true;
        gap.header_columns = {0, 2, 3};
        const auto before = crafted_stream(version, 5, 24, {empty, no_dbcell, normal, gap});
        store_workbook(folder / "c.xls", version, before);
        ASSERT_TRUE(patch(folder / "c.xls", version));
        const auto stream = workbook_stream(folder / "c.xls");
        const std::size_t second = sheet_offset(stream, 1), third = sheet_offset(stream, 2);
        EXPECT_TRUE(std::equal(stream.begin() + sheet_offset(stream, 0), stream.begin() + third,
                               before.begin() + sheet_offset(stream, 0)));
        EXPECT_EQ(header_xfs(stream, second), (std::map<int, int>{{0, 15}, {1, 15}, {2, 15}}));
        EXPECT_EQ(header_xfs(stream, third), (std::map<int, int>{{0, 16}, {1, 16}, {2, 16}}));
        EXPECT_EQ(header_xfs(stream, sheet_offset(stream, 3)), (std::map<int, int>{{0, 16}, {2, 15}, {3, 15}}));
    }
}

TEST(xls_patch_crafted, files_that_cannot_be_patched_give_false_and_stay_unchanged) {
    temp_folder folder;
    write_file(folder / "text.xls", "id,name\n1,x\n");
    EXPECT_FALSE(patch(folder / "text.xls", biff_version::biff8));
    EXPECT_EQ(fs::file_size(folder / "text.xls"), 12u);
    EXPECT_FALSE(patch(folder / "absent.xls", biff_version::biff8));
    EXPECT_FALSE(fs::exists(folder / "absent.xls"));

    compound_file_writer writer;
    writer.add_stream(u"Other", std::vector<std::byte>(5000, std::byte{1}));
    {
        temporary_output_file out(folder / "other.xls");
        writer.write(out);
        out.commit();
    }
    EXPECT_FALSE(patch(folder / "other.xls", biff_version::biff8)) << "no workbook stream";
}

namespace {

// Damages a copy of a good crafted stream and expects the patch to stop with an internal
// error, not crash. (Random damage: the biff_patch fuzz target.)
void expect_internal_error(biff_version version, const std::function<void(std::vector<std::byte>&)>& damage) {
    temp_folder folder;
    auto stream = crafted_stream(version, 5, 24, {{}});
    damage(stream);
    store_workbook(folder / "bad.xls", version, stream);
    EXPECT_THROW(patch(folder / "bad.xls", version), tk_mail_assertion);
}

}  // namespace

TEST(xls_patch_damaged, unexpected_records_and_offsets_are_internal_errors) {
    for (const auto version : {biff_version::biff5, biff_version::biff8}) {
        const auto good = crafted_stream(version, 5, 24, {{}});
        const std::uint32_t sheet = sheet_offset(good, 0);
        const std::size_t bof_length = cfb::get_u16(good, sheet + 2);
        const std::size_t index_at = sheet + 4 + bof_length;
        const std::uint32_t dbcell = cfb::get_u32(good, index_at + 4 + (version == biff_version::biff8 ? 16 : 12));
        SCOPED_TRACE(version == biff_version::biff8 ? "BIFF8" : "BIFF5");
        // the sheet offset points past the stream, at a non-BOF record, or the INDEX is missing
        const std::size_t bound_sheet_field = records_from(good, 0)[1 + 5 + 24].offset + 4;
        expect_internal_error(version, [&](auto& s) { cfb::put_u32(s, bound_sheet_field, 0x7FFFFFF0); });
        expect_internal_error(version, [&](auto& s) { cfb::put_u32(s, bound_sheet_field, sheet + 4 + bof_length); });
        expect_internal_error(version, [&](auto& s) { cfb::put_u16(s, index_at, biff_type::row); });
        // the DBCELL is not one, or its distance back is not smaller than its own offset
        expect_internal_error(version, [&](auto& s) { cfb::put_u16(s, dbcell, biff_type::row); });
        expect_internal_error(version, [&](auto& s) { cfb::put_u32(s, dbcell + 4, dbcell); });
        // an XF too short to take the header bytes
        const std::size_t xf16 = records_from(good, 0)[1 + 5 + 16].offset;
        expect_internal_error(version, [&](auto& s) { cfb::put_u16(s, xf16 + 2, 8); });
    }
}

TEST(xls_patch_read_back, a_workbook_beyond_109_fat_sectors_is_patched_in_place) {
    temp_folder folder;
    const fs::path path = folder / "big.xls";
    {
        biff_workbook_writer book(path, biff_version::biff8);
        biff_sheet_writer& sheet = book.add_sheet("Big");
        sheet.start_row();
        for (std::uint16_t c = 0; c < 12; ++c) sheet.put_text(c, std::string(1, 'h').append(std::to_string(c)));
        sheet.end_row();
        for (std::uint32_t r = 1; r < 50000; ++r) {
            sheet.start_row();
            for (std::uint16_t c = 0; c < 12; ++c) sheet.put_number(c, r + c / 4.0);  // exact in binary
            sheet.end_row();
        }
        book.close();
    }
    ASSERT_GT(fs::file_size(path), 7'200'000u);
    const auto size = fs::file_size(path);
    xls_engine_biff engine(biff_version::biff8);
    ASSERT_TRUE(engine.patch(path.string()));
    EXPECT_EQ(fs::file_size(path), size);
    const char* script =
        "import sys, xlrd\n"
        "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
        "s = b.sheet_by_index(0)\n"
        "print(s.nrows, s.ncols, s.cell_value(0, 11), s.cell_xf_index(0, 11), s.cell_value(49999, 11))\n";
    EXPECT_EQ(python_check(script, path), "50000 12 h11 16 50001.75\n");
}
