// The .xls driver behind the dao_ interfaces: engine and version, column types, the column
// builder, appended rows as xlrd reads them back in both formats, and the refusals. A full
// sheet, an unwritable workbook and the cell form of unusual numbers and dates (also
// cell_form_test) are proved by the end-to-end runs.
#include <gtest/gtest.h>

#include "excel/xls/dao_database.h"
#include "excel/xls/dao_engine.h"
#include "excel/xls/dao_exception.h"
#include "excel/xls/dao_field.h"
#include "excel/xls/dao_recordset.h"
#include "excel/xls_engine.h"
#include "values/ole_date.h"
#include "xls_test_support.h"

using namespace xls_test;

namespace {

ole_variant date_value(const char* text) { return ole_date(text).to_variant(); }

ole_variant from_text(const char* text, vartype type) {
    ole_variant value;
    value.from_string(text, type);
    return value;
}

udb_schema sample_schema() {
    udb_schema schema;
    schema.add(t_ftd(4, "id", VT_I4, true));
    schema.add(t_ftd(40, "name", VT_BSTR));
    schema.add(t_ftd(8, "born", VT_DATE));
    schema.add(t_ftd(2, "ok", VT_BOOL));
    schema.add(t_ftd(8, "big", VT_I8));
    schema.add(t_ftd(0, "note", VT_BSTR));
    schema.add(t_ftd(16, "amount", VT_DECIMAL));
    return schema;
}

udb_record sample_record(const udb_schema& schema, std::vector<ole_variant> values) {
    udb_record record;
    record.reserve(values.size());
    for (std::size_t k = 0; k < values.size(); ++k)
        record.add_field(schema[k].name, static_cast<std::int32_t>(schema[k].size), std::move(values[k]));
    return record;
}

class dao_driver : public ::testing::Test {
protected:
    dao_driver() { engine_.set_version_if(0); }
    dao_engine engine_;
    temporary_folder folder_;
};

}  // namespace

TEST(dao_engine_lifecycle, one_engine_versions_and_connect_strings) {
    dao_engine engine;
    EXPECT_THROW(dao_engine second, tk_mail_assertion);
    EXPECT_EQ(engine.version(), dao_engine::no_version);
    EXPECT_THROW(engine.create_dao_src("/tmp/never.xls", "Excel 8.0;"), tk_mail_assertion) << "nothing loaded";
    EXPECT_THROW(engine.set_version_if(4), tk_mail_assertion);
    EXPECT_TRUE(engine.set_version_if(0));
    EXPECT_EQ(engine.version(), 0);
    try {
        engine.create_dao_src("/tmp/never.xls", "Paradox 4.x;");
        FAIL() << "an unknown format was accepted";
    } catch (const dao_exception& error) {
        EXPECT_EQ(error.number(), 3170);
        EXPECT_EQ(error.code(), 3170);
        EXPECT_STREQ(error.what(), "Could not find installable ISAM.");
    }
}

TEST_F(dao_driver, biff8_rows_read_back_with_their_types) {
    const udb_schema schema = sample_schema();
    {
        auto book = engine_.create_dao_src((folder_ / "out.xls").string(), "Excel 8.0;");
        udb_indexes indexes;
        auto sheet = book->create_table("People", schema, indexes);
        auto first = sample_record(schema, {ole_variant(1), ole_variant("Zoë"), date_value("2024-02-29 13:45:30.250"),
                                            ole_variant(true), ole_variant(1234567890123456789LL),
                                            ole_variant(std::string(1000, 'm')),
                                            from_text("12345678901234567890.5", VT_DECIMAL)});
        sheet->append_record(first);
        auto second = sample_record(schema, {ole_variant(), ole_variant::make_null(), date_value("1899-06-01"),
                                             ole_variant(false), ole_variant(-123456789012345LL),
                                             ole_variant("=SUM(A1:A2)"), from_text("-12.25", VT_DECIMAL)});
        sheet->append_record(second);
        auto third = sample_record(schema, {ole_variant(3), ole_variant("x"), date_value("2024-02-29"), ole_variant(),
                                            ole_variant(), ole_variant(), ole_variant()});
        sheet->append_record(third);
        EXPECT_EQ(sheet->records_count(), 3);
        book->close();
    }
    EXPECT_EQ(dump(folder_ / "out.xls"),
              "sheet\tPeople\t4\t7\n"
              "R\ts:id\ts:name\ts:born\ts:ok\ts:big\ts:note\ts:amount\n"
              "R\tn:1\ts:Zoë\td:2024-02-29T13:45:30.250\tb:1\ts:1234567890123456789\ts:" +
                  std::string(1000, 'm') +
                  "\ts:12345678901234567890.5\n"
                  "R\tn:0\te:\ts:1899-06-01\tb:0\tn:-123456789012345\ts:=SUM(A1:A2)\tn:-12.25\n"
                  "R\tn:3\ts:x\td:2024-02-29T00:00:00.000\te:\te:\te:\te:\n");
}

TEST_F(dao_driver, null_dates_become_30_december_1899_with_their_time) {
    udb_schema schema;
    schema.add(t_ftd(8, "at", VT_DATE));
    auto book = engine_.create_dao_src((folder_ / "d.xls").string(), "Excel 8.0;");
    udb_indexes indexes;
    auto sheet = book->create_table("D", schema, indexes);
    auto record = sample_record(schema, {date_value("0000-00-00 10:30:00")});
    sheet->append_record(record);
    sheet.reset();
    book.reset();  // destroying the database completes the file
    EXPECT_EQ(dump(folder_ / "d.xls"), "sheet\tD\t2\t1\nR\ts:at\nR\td:10:30:00.000\n");
}

TEST_F(dao_driver, biff5_text_is_cut_to_255_and_unknown_characters_become_question_marks) {
    const udb_schema schema = sample_schema();
    auto book = engine_.create_dao_src((folder_ / "five.xls").string(), "Excel 5.0;");
    udb_indexes indexes;
    auto sheet = book->create_table("Five", schema, indexes);
    auto record = sample_record(schema, {ole_variant(7), ole_variant("Привет €"), date_value("2001-02-03 04:05:06"),
                                         ole_variant(true), ole_variant(42LL), ole_variant(std::string(300, 'q')),
                                         ole_variant()});
    sheet->append_record(record);
    book->close();
    EXPECT_EQ(book->replaced_characters(), 6u);
    EXPECT_EQ(dump(folder_ / "five.xls"),
              "sheet\tFive\t2\t7\nR\ts:id\ts:name\ts:born\ts:ok\ts:big\ts:note\ts:amount\n"
              "R\tn:7\ts:?????? €\td:2001-02-03T04:05:06.000\tb:1\tn:42\ts:" +
                  std::string(255, 'q') + "\te:\n");
    xls_engine_biff format(biff_version::biff5);
    EXPECT_TRUE(format.patch((folder_ / "five.xls").string()));
    EXPECT_EQ(dump(folder_ / "five.xls").substr(0, 22), "sheet\tFive\t2\t7\nR\ts:id\t");
}

TEST_F(dao_driver, unusable_or_repeated_column_names_get_safe_names_and_rows_fill_columns_by_position) {
    udb_schema schema;
    schema.add(t_ftd(4, "a.b", VT_I4));
    schema.add(t_ftd(4, "Qty", VT_I4));
    schema.add(t_ftd(4, "QTY", VT_I4));
    auto book = engine_.create_dao_src((folder_ / "n.xls").string(), "Excel 8.0;");
    udb_indexes indexes;
    auto sheet = book->create_table("N", schema, indexes);
    EXPECT_EQ(book->names_map().get_fn_mapped_name("N", "a.b"), "a_b");
    EXPECT_EQ(book->names_map().get_fn_mapped_name("N", "Qty", true), "Qty");
    const std::string third = book->names_map().get_fn_mapped_name("N", "QTY", true);
    EXPECT_NE(third, "QTY");
    EXPECT_EQ(sheet->schema()[2].name, third);

    // Rows fill the columns by position, whatever their fields are called: a query's
    // repeated column name used to lose every row.
    udb_record repeated_names;
    repeated_names.add_field("a.b", 4, ole_variant(1));
    repeated_names.add_field("Qty", 4, ole_variant(2));
    repeated_names.add_field("Qty", 4, ole_variant(3));
    sheet->append_record(repeated_names);
    book->close();
    EXPECT_EQ(dump(folder_ / "n.xls"), "sheet\tN\t2\t3\nR\ts:a_b\ts:Qty\ts:" + third + "\nR\tn:1\tn:2\tn:3\n");
}

TEST_F(dao_driver, a_record_of_another_shape_is_refused_and_nothing_is_written) {
    const udb_schema schema = sample_schema();
    auto book = engine_.create_dao_src((folder_ / "s.xls").string(), "Excel 8.0;");
    udb_indexes indexes;
    auto sheet = book->create_table("S", schema, indexes);
    udb_record short_record;
    short_record.add_field("id", 4, ole_variant(1));
    try {
        sheet->append_record(short_record);
        FAIL() << "accepted";
    } catch (const tk_exception& error) {
        EXPECT_STREQ(error.what(), "The structures of data source does not conform to the destination table.");
        EXPECT_EQ(error.level(), tk_level_recoverable);
    }
    EXPECT_EQ(sheet->records_count(), 0);
    EXPECT_THROW(book->create_table("S", schema, indexes), tk_mail_assertion) << "a new workbook holds a name once";
    try {
        book->create_table("bad[name]", schema, indexes);
        FAIL() << "accepted";
    } catch (const dao_exception& error) {
        EXPECT_EQ(error.number(), 3125);
    }
    book->close();
    EXPECT_EQ(dump(folder_ / "s.xls"), "sheet\tS\t1\t7\nR\ts:id\ts:name\ts:born\ts:ok\ts:big\ts:note\ts:amount\n");
}
