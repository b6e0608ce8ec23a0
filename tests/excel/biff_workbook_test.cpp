// The BIFF writer's own structures: the row-block index readers use to find rows, shared
// strings across CONTINUE records and within their budget, a file beyond 109 FAT sectors,
// and the writer's errors. Typed values read back by xlrd: workbook_writer_test.
#include <gtest/gtest.h>

#include "excel/xls/biff_records.h"
#include "excel/xls/biff_workbook_writer.h"
#include "xls_test_support.h"

using namespace xls_test;

TEST(biff_workbook_shared_strings, strings_crossing_continue_records_read_back_whole) {
    temp_folder folder;
    biff_workbook_writer book(folder / "sst.xls", biff_version::biff8, false);
    biff_sheet_writer& sheet = book.add_sheet("S");
    std::vector<std::string> expected;
    for (int k = 0; k < 2000; ++k) {  // about 40 KB of distinct strings, many CONTINUE records
        std::string text = "value number " + std::to_string(k) + (k % 7 == 0 ? " Ωmega" : "");
        if (k % 500 == 3) text += std::string(9000, static_cast<char>('a' + k % 26));  // longer than a record
        expected.push_back(text);
        sheet.start_row();
        sheet.put_text(0, text);
        sheet.put_text(1, "same");  // repeated: stored once
        sheet.end_row();
    }
    book.close();
    const std::string script =
        "import sys, xlrd\n"
        "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
        "for r in range(s.nrows): print(s.cell_value(r, 0) + '|' + s.cell_value(r, 1))\n";
    std::string wanted;
    for (const auto& text : expected) wanted += text + "|same\n";
    EXPECT_EQ(python_check(script, folder / "sst.xls"), wanted);

    const auto stream = workbook_stream(folder / "sst.xls");
    const auto globals = records_from(stream, 0);
    EXPECT_GE(count(globals, biff_type::continue_record), 5u);
    for (const auto& r : globals) {
        if (r.type != biff_type::sst) continue;
        EXPECT_EQ(cfb::get_u32(r.body, 0), 4000u) << "every use is counted";
        EXPECT_EQ(cfb::get_u32(r.body, 4), 2001u) << "distinct strings";
    }
    // EXTSST buckets point at the first byte of every 16th string (2001 strings / 128 buckets)
    for (const auto& r : globals) {
        if (r.type != biff_type::ext_sst) continue;
        EXPECT_EQ(cfb::get_u16(r.body, 0), 16u);
        const std::uint32_t position = cfb::get_u32(r.body, 2);
        const std::uint16_t in_record = cfb::get_u16(r.body, 6);
        EXPECT_EQ(cfb::get_u16(stream, position - in_record), biff_type::sst);
        EXPECT_EQ(cfb::get_u16(stream, position), 20) << "UTF-16 length of " << expected[0];
    }
}

TEST(biff_workbook_row_blocks, index_points_at_each_dbcell_and_each_dbcell_at_its_rows) {
    temp_folder folder;
    biff_workbook_writer book(folder / "blocks.xls", biff_version::biff8, false);
    biff_sheet_writer& sheet = book.add_sheet("B");
    for (int r = 0; r < 100; ++r) {
        sheet.start_row();
        if (r != 40)  // a row of NULLs inside the second block
            for (std::uint16_t c = 0; c < 3; ++c) sheet.put_number(c, r * 10 + c);
        sheet.end_row();
    }
    book.close();
    const auto stream = workbook_stream(folder / "blocks.xls");
    std::uint32_t sheet_at = 0;
    for (const auto& r : records_from(stream, 0))
        if (r.type == biff_type::bound_sheet) sheet_at = cfb::get_u32(r.body, 0);
    const auto records = records_from(stream, sheet_at);
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(records[0].type, biff_type::bof);
    ASSERT_EQ(records[1].type, biff_type::index);
    const auto& index = records[1].body;
    EXPECT_EQ(cfb::get_u32(index, 4), 0u) << "first row";
    EXPECT_EQ(cfb::get_u32(index, 8), 100u) << "last row + 1";
    EXPECT_EQ(cfb::get_u16(stream, cfb::get_u32(index, 12)), biff_type::default_column_width);
    ASSERT_EQ(index.size(), 16u + 4 * 4) << "four blocks of 32 rows";
    for (int block = 0; block < 4; ++block) {
        const std::uint32_t dbcell = cfb::get_u32(index, 16 + block * 4);
        ASSERT_EQ(cfb::get_u16(stream, dbcell), biff_type::dbcell);
        const std::uint32_t first_row_at = dbcell - cfb::get_u32(stream, dbcell + 4);
        ASSERT_EQ(cfb::get_u16(stream, first_row_at), biff_type::row);
        EXPECT_EQ(cfb::get_u16(stream, first_row_at + 4), block * 32);
        // every row's first cell, found through the chain of offsets
        const std::uint16_t dbcell_length = cfb::get_u16(stream, dbcell + 2);
        std::size_t cell_at = first_row_at + 20;
        int expected_row = block * 32;
        for (std::size_t k = 0; k < (dbcell_length - 4u) / 2; ++k) {
            cell_at += cfb::get_u16(stream, dbcell + 8 + k * 2);
            if (expected_row == 40) ++expected_row;
            EXPECT_EQ(cfb::get_u16(stream, cell_at), biff_type::rk);
            EXPECT_EQ(cfb::get_u16(stream, cell_at + 4), expected_row);
            EXPECT_EQ(cfb::get_u16(stream, cell_at + 6), 0) << "first column";
            ++expected_row;
        }
        EXPECT_EQ(expected_row, std::min(block * 32 + 32, 100));
    }
}

TEST(biff_workbook_errors, sheet_names_are_refused_with_reasons) {
    temp_folder folder;
    biff_workbook_writer book(folder / "e.xls", biff_version::biff5, false);
    book.add_sheet("Orders");
    EXPECT_THROW(book.add_sheet("ORDERS"), tk_exception);
    EXPECT_THROW(book.add_sheet(""), tk_exception);
    EXPECT_THROW(book.add_sheet(std::string(32, 'n')), tk_exception);
    EXPECT_THROW(book.add_sheet("a/b"), tk_exception);
    book.add_sheet("Лист");
    EXPECT_THROW(book.add_sheet("Дата"), tk_exception) << "both are \"????\" in code page 1252";
    EXPECT_EQ(book.sheet_count(), 2u);
    EXPECT_NE(book.find_sheet("orders"), nullptr);
    book.close();
}

TEST(biff_workbook_shared_strings, texts_past_the_budget_and_after_release_are_labels_that_read_back_the_same) {
    temp_folder folder;
    const std::string long_text(300, 'L');  // more than a LABEL record holds
    const std::vector<std::string> texts = {"first", "Привет 😀", "first", "a\"b'<c>&", " spaced ",
                                            long_text, "late", "Привет 😀", long_text};
    {
        biff_workbook_writer book(folder / "budget.xls", biff_version::biff8, false, 2 * 64 + 2 * 14 + 10);
        biff_sheet_writer& sheet = book.add_sheet("S");
        for (const std::string& text : texts) {
            sheet.start_row();
            sheet.put_text(0, text);
            sheet.end_row();
        }
        book.release_memory();
        biff_sheet_writer& later = book.add_sheet("Later");
        for (const char* text : {"first", "late"}) {
            later.start_row();
            later.put_text(0, text);
            later.end_row();
        }
        book.close();
    }
    EXPECT_EQ(dump_workbook_text(folder / "budget.xls"), "sheet\tS\t9\t1\nR\ts:first\nR\ts:Привет 😀\nR\ts:first\nR\ts:a\"b'<c>&\n"
                                           "R\ts: spaced \nR\ts:" + long_text + "\nR\ts:late\nR\ts:Привет 😀\nR\ts:" +
                                               long_text + "\n"
                                           "sheet\tLater\t2\t1\nR\ts:first\nR\ts:late\n");
    const auto stream = workbook_stream(folder / "budget.xls");
    const auto globals = records_from(stream, 0);
    for (const auto& r : globals) {
        if (r.type != biff_type::sst) continue;
        EXPECT_EQ(cfb::get_u32(r.body, 0), 6u) << "uses: first, Привет and the long text twice each";
        EXPECT_EQ(cfb::get_u32(r.body, 4), 4u) << "the long text past the budget is not looked up";
    }
    const auto data = records_from(stream, globals.back().offset + 4);
    EXPECT_EQ(count(data, biff_type::label_sst), 6u);
    EXPECT_EQ(count(data, biff_type::label), 3u);  // the quotes, the spaces and "late"
    const auto later = records_from(stream, data.back().offset + 4);
    EXPECT_EQ(count(later, biff_type::label), 2u) << "a released workbook shares nothing more";
    EXPECT_EQ(count(later, biff_type::label_sst), 0u);
}


// Past 109 FAT sectors (about 7 MB) the container needs DIFAT sectors; a reader must still
// find every sector.
TEST(biff_workbook_size, a_workbook_beyond_109_fat_sectors_reads_back) {
    temp_folder folder;
    const fs::path path = folder / "big.xls";
    {
        biff_workbook_writer book(path, biff_version::biff8, false);
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
    const char* script =
        "import sys, xlrd\n"
        "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
        "print(s.nrows, s.ncols, s.cell_value(0, 11), s.cell_value(49999, 11))\n";
    EXPECT_EQ(python_check(script, path), "50000 12 h11 50001.75\n");
}
