// Tests of the .xlsx destination as the conversion run drives it: tables become sheets,
// record values become typed cells, and failures leave no workbook behind.
#include "excel/xlsx/xlsx_database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>

#include "../support/temp_folder.h"
#include "excel/xlsx/xlsx_error.h"
#include "excel/xlsx/xlsx_worksheet.h"
#include "toolkit/exception.h"
#include "values/currency.h"
#include "values/decimal.h"
#include "xlsx_test_support.h"

using xlsx_test::dump_workbook;
using lines = std::vector<std::string>;

namespace {

udb_schema schema_of(const std::vector<std::pair<std::string, vartype>>& columns) {
    udb_schema schema;
    for (const auto& [name, type] : columns) schema.add(t_ftd(0, name, type));
    return schema;
}

udb_record record_of(std::vector<ole_variant> values) {
    udb_record record;
    record.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        record.add_field(std::string("f").append(std::to_string(i)), 0, std::move(values[i]));
    return record;
}

ole_variant decimal(const char* text) {
    ole_decimal value;
    EXPECT_TRUE(decimal_from_string(text, value));
    return ole_variant(value);
}

ole_variant currency(const char* text) {
    ole_currency value;
    EXPECT_TRUE(currency_from_string(text, value));
    return ole_variant(value);
}

ole_variant date(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour = 0,
                 std::uint16_t minute = 0, std::uint16_t second = 0, std::uint16_t milliseconds = 0) {
    return ole_variant(ole_systemtime{year, month, 0, day, hour, minute, second, milliseconds});
}

std::unique_ptr<udb_recordset> create(xlsx_database& database, const std::string& name, const udb_schema& schema) {
    udb_indexes indexes;
    return database.create_table(name, schema, indexes);
}

int error_code(xlsx_error code) { return xlsx_error_code_base + static_cast<int>(code); }

}  // namespace

TEST(xlsx_database, tables_become_sheets_with_their_column_names_as_header) {
    temp_folder folder;
    const std::string path = folder.file("run.xlsx");
    {
        xlsx_database database(path);
        EXPECT_TRUE(std::filesystem::is_empty(folder.path()));  // nothing before the first table
        auto staff = create(database, "Staff", schema_of({{"ID", VT_I4}, {"NAME", VT_BSTR}}));
        udb_record row = record_of({ole_variant(1), ole_variant("Ann")});
        staff->append_record(row);
        database.save_table(*staff);
        auto empty = create(database, "Empty Table", schema_of({{"X", VT_R8}}));
        database.save_table(*empty);
        EXPECT_EQ(database.get_tables(), (std::vector<std::string>{"Staff", "Empty Table"}));
        EXPECT_TRUE(database.is_table_exist("STAFF"));
        EXPECT_FALSE(std::filesystem::exists(path));  // complete only when saved
        database.save();
    }
    EXPECT_EQ(dump_workbook(path), (lines{"sheet\tStaff\t2\t2", "R\ts:ID\ts:NAME", "R\tn:1\ts:Ann",
                                          "sheet\tEmpty Table\t1\t1", "R\ts:X"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(xlsx_database, values_become_cells_of_their_own_type) {
    temp_folder folder;
    const std::string path = folder.file("run.xlsx");
    {
        xlsx_database database(path);
        auto sheet = create(database, "Types", schema_of({{"a", VT_EMPTY}, {"b", VT_EMPTY}, {"c", VT_EMPTY},
                                                           {"d", VT_EMPTY}, {"e", VT_EMPTY}}));
        std::vector<std::vector<ole_variant>> rows;
        rows.push_back({ole_variant(short{-7}), ole_variant(2'147'483'647), ole_variant(9'007'199'254'740'993LL),
                        ole_variant(18'446'744'073'709'551'615ULL), ole_variant(1.25f)});
        rows.push_back({ole_variant(0.1), decimal("12.50"), decimal("12345678901234567890.5"),
                        currency("-1234.5678"), ole_variant(true)});
        rows.push_back({date(2010, 5, 6), date(2010, 5, 6, 13, 14, 15, 678), date(1899, 12, 31, 23, 0, 0),
                        date(2010, 5, 6, 13, 14, 15), ole_variant("=SUM(A1:A2)")});
        rows.push_back({ole_variant(), ole_variant::make_null(), ole_variant("text"), ole_variant(""),
                        ole_variant(std::numeric_limits<double>::infinity())});
        ole_variant bytes;
        bytes.attach_binary("\x01\xAB", 2);
        rows.push_back({bytes, ole_variant(std::string("Ελληνικά")), ole_variant(static_cast<unsigned char>(200)),
                        ole_variant(static_cast<unsigned short>(65535)), ole_variant(4'294'967'295u)});
        for (auto& values : rows) {
            udb_record record = record_of(std::move(values));
            sheet->append_record(record);
        }
        database.save_table(*sheet);
        database.save();
    }
    EXPECT_EQ(dump_workbook(path),
              (lines{"sheet\tTypes\t6\t5", "R\ts:a\ts:b\ts:c\ts:d\ts:e",
                     // 16 digits: as text, so the last digit is not rounded away
                     "R\tn:-7\tn:2147483647\ts:9007199254740993\ts:18446744073709551615\tn:1.25",
                     "R\tn:0.1\tn:12.5\ts:12345678901234567890.5\tn:-1234.5678\tb:1",
                     "R\td:2010-05-06T00:00:00.000\td:2010-05-06T13:14:15.678\ts:1899-12-31 23:00:00\td:2010-05-06T13:14:15.000\t"
                     "s:=SUM(A1:A2)",
                     "R\te:\te:\ts:text\te:\ts:Inf",
                     "R\ts:<Binary Field>\ts:Ελληνικά\tn:200\tn:65535\tn:4294967295"}));
    const lines layout = xlsx_test::read_layout(path);
    for (const char* cell : {"A4\ttype=d\tformat=yyyy-mm-dd\t", "B4\ttype=d\tformat=yyyy-mm-dd hh:mm:ss.000\t",
                             "D4\ttype=d\tformat=yyyy-mm-dd hh:mm:ss\t"})
        EXPECT_NE(std::find(layout.begin(), layout.end(), std::string("style\t") + cell +
                            "bold=0\thorizontal=None\twrap=0\tfill=None:\tborder=None,None,None,None"), layout.end());
}

TEST(xlsx_database, a_rejected_row_writes_nothing_and_the_run_goes_on) {
    temp_folder folder;
    const std::string path = folder.file("run.xlsx");
    {
        xlsx_database database(path);
        auto sheet = create(database, "Rows", schema_of({{"A", VT_BSTR}, {"B", VT_I4}}));
        udb_record first = record_of({ole_variant("one"), ole_variant(1)});
        sheet->append_record(first);
        udb_record too_wide = record_of({ole_variant("x"), ole_variant(2), ole_variant(3)});
        try {
            sheet->append_record(too_wide);
            FAIL() << "no error";
        } catch (const tk_exception& error) {
            EXPECT_EQ(error.level(), tk_level_recoverable);
            EXPECT_EQ(error.message(), "The structure of data source does not conform to the destination table.");
        }
        udb_record broken = record_of({ole_variant(std::string("bad \xC3(")), ole_variant(4)});
        try {
            sheet->append_record(broken);
            FAIL() << "no error";
        } catch (const tk_exception& error) {
            EXPECT_EQ(error.level(), tk_level_recoverable);
            EXPECT_EQ(error.code(), error_code(xlsx_error::text_not_utf8));
            EXPECT_EQ(error.message(), "A text of the sheet \"Rows\" is not valid UTF-8; the row is not written.");
        }
        udb_record last = record_of({ole_variant("five"), ole_variant(5)});
        sheet->append_record(last);
        database.save_table(*sheet);
        database.save();
    }
    EXPECT_EQ(dump_workbook(path), (lines{"sheet\tRows\t3\t2", "R\ts:A\ts:B", "R\ts:one\tn:1", "R\ts:five\tn:5"}));
}

TEST(xlsx_database, a_cell_holds_at_most_32767_characters) {
    temp_folder folder;
    const std::string path = folder.file("run.xlsx");
    std::string longest;
    for (int i = 0; i < 32'767; ++i) longest += "é";  // 32,767 characters in 65,534 bytes
    {
        xlsx_database database(path);
        auto sheet = create(database, "Long Texts", schema_of({{"T", VT_BSTR}}));
        udb_record fits = record_of({ole_variant(longest)});
        sheet->append_record(fits);
        std::string emoji;
        for (int i = 0; i < 16'384; ++i) emoji += "😀";  // two UTF-16 units each: 32,768
        for (const std::string& text : {std::string(32'768, 'x'), emoji}) {
            udb_record too_long = record_of({ole_variant(text)});
            try {
                sheet->append_record(too_long);
                ADD_FAILURE() << "no error";
            } catch (const tk_exception& error) {
                EXPECT_EQ(error.level(), tk_level_recoverable);
                EXPECT_EQ(error.message(), "A text of the sheet \"Long Texts\" is longer than 32,767 characters, "
                                           "the most a cell holds; the row is not written.");
            }
        }
        database.save_table(*sheet);
        database.save();
    }
    EXPECT_EQ(dump_workbook(path), (lines{"sheet\tLong Texts\t2\t1", "R\ts:T", "R\ts:" + longest}));
}

TEST(xlsx_database, rows_past_the_sheet_limit_give_one_error_and_are_counted) {
    temp_folder folder;
    const std::string path = folder.file("run.xlsx");
    xlsx_database database(path);
    auto recordset = create(database, "Long", schema_of({}));
    auto& sheet = dynamic_cast<xlsx_worksheet&>(*recordset);
    udb_record empty;
    for (std::uint32_t row = 0; row < 1'048'575; ++row) sheet.append_record(empty);
    EXPECT_TRUE(sheet.is_full());
    EXPECT_EQ(sheet.row_count(), 1'048'575u);
    try {
        sheet.append_record(empty);
        FAIL() << "no error";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.level(), tk_level_recoverable);
        EXPECT_EQ(error.code(), error_code(xlsx_error::too_many_rows));
    }
    EXPECT_NO_THROW(sheet.append_record(empty));
    EXPECT_NO_THROW(sheet.append_record(empty));
    EXPECT_EQ(sheet.skipped_rows(), 3u);
    database.save_table(sheet);
    database.save();
    EXPECT_TRUE(std::filesystem::exists(path));
}
