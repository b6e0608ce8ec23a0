// The format objects: names, connect strings, limits, and the empty-workbook templates
// that xlrd must read as valid empty workbooks.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "excel/xls/biff_records.h"
#include "excel/xls_engine.h"
#include "xls_test_support.h"

using namespace xls_test;

TEST(xls_engine_formats, names_connect_strings_descriptions_and_row_limits) {
    xls_engine_50 five;
    xls_engine_80 eight;
    xls_engine_2010 twenty_ten;
    EXPECT_EQ(five.version_name(), "Excel 5.0");
    EXPECT_EQ(five.connect_string(), "Excel 5.0;");
    EXPECT_EQ(five.max_rows(), 16383u);
    EXPECT_EQ(five.description(),
              "Destination spreadsheet will be saved in MS Excel 5.0 format.\nAll strings will be cut to 255 symbols.");
    EXPECT_EQ(eight.version_name(), "Excel 2000");
    EXPECT_EQ(eight.connect_string(), "Excel 8.0;");
    EXPECT_EQ(eight.max_rows(), 65535u);
    EXPECT_EQ(eight.description(),
              "Destination spreadsheet will be saved in MS Excel 2000 format.\nEach worksheet can contain not more "
              "than 65535 rows.");
    EXPECT_EQ(twenty_ten.version_name(), "Excel 2010");
    EXPECT_EQ(twenty_ten.connect_string(), "Excel 12.0;");
    EXPECT_EQ(twenty_ten.max_rows(), 1'048'575u);
    EXPECT_EQ(twenty_ten.description(),
              "Destination spreadsheet will be saved in MS Excel 2010 format.\nYou will not be able to open it "
              "with earlier versions of MS Excel.");
    EXPECT_FALSE(five.b_wrap_text || eight.b_wrap_text || twenty_ten.b_wrap_text);
    EXPECT_TRUE(twenty_ten.get_template().empty());
}

TEST(xls_engine_templates, are_13824_byte_compound_files_with_three_4096_byte_streams) {
    const std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    temporary_folder folder;
    xls_engine_50 five;
    xls_engine_80 eight;
    for (const xls_engine* engine : {static_cast<xls_engine*>(&five), static_cast<xls_engine*>(&eight)}) {
        const auto bytes = engine->get_template();
        ASSERT_EQ(bytes.size(), 13824u);
        EXPECT_EQ(std::memcmp(bytes.data(), signature, 8), 0);
        const fs::path path = folder / (engine == &five ? "five.xls" : "eight.xls");
        engine->write_empty_xls(path.string());
        EXPECT_EQ(fs::file_size(path), 13824u);
        compound_file file(path, compound_file::access::read_only);
        const std::u16string workbook = engine == &five ? u"Book" : u"Workbook";
        EXPECT_EQ(file.open_stream(workbook).size(), 4096u);
        EXPECT_EQ(file.open_stream(u"\x05SummaryInformation").size(), 4096u);
        EXPECT_EQ(file.open_stream(u"\x05" u"DocumentSummaryInformation").size(), 4096u);
        EXPECT_EQ(dump(path), "sheet\tSheet1\t0\t0\n");
    }
}

TEST(xls_engine_templates, hold_the_documented_globals) {
    for (const auto version : {biff_version::biff5, biff_version::biff8}) {
        temporary_folder folder;
        const fs::path path = folder / "t.xls";
        {
            std::ofstream out(path, std::ios::binary);
            const auto bytes = version == biff_version::biff5 ? xls_template_biff5() : xls_template_biff8();
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        const auto stream = workbook_stream(path);
        const auto globals = records_from(stream, 0);
        EXPECT_EQ(cfb::get_u16(globals.front().body, 0), version == biff_version::biff8 ? 0x0600 : 0x0500);
        EXPECT_EQ(cfb::get_u16(globals.front().body, 6), 1997);
        EXPECT_EQ(count(globals, biff_type::font), 4u);
        EXPECT_EQ(count(globals, biff_type::format), 8u);
        EXPECT_EQ(count(globals, biff_type::xf), 21u);
        EXPECT_EQ(count(globals, biff_type::style), 6u);
        EXPECT_EQ(count(globals, biff_type::bound_sheet), 1u);
        EXPECT_EQ(count(globals, biff_type::sst), version == biff_version::biff8 ? 1u : 0u);
        EXPECT_EQ(count(globals, biff_type::palette), version == biff_version::biff5 ? 1u : 0u);
        for (const auto& r : globals) {
            if (r.type == biff_type::code_page) {
                EXPECT_EQ(cfb::get_u16(r.body, 0), version == biff_version::biff8 ? 1200 : 1252);
            }
        }
    }
}

TEST(xls_engine_templates, write_empty_xls_reports_an_unwritable_destination) {
    xls_engine_80 eight;
    try {
        eight.write_empty_xls("/nonexistent-folder/x.xls");
        FAIL() << "no error";
    } catch (const tk_exception& error) {
        EXPECT_STREQ(error.what(), "Cannot open destination file for writing.");
    }
    if (fs::exists("/dev/full")) {
        try {
            eight.write_empty_xls("/dev/full");
            FAIL() << "no error on a full device";
        } catch (const tk_exception& error) {
            EXPECT_STREQ(error.what(), "Failed to write into the destination file.");
        }
    }
}
