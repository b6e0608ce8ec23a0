// The destinations the run writes through, .xls (Excel 5.0 and 2000, through the dao_
// driver) and .xlsx, in one parameterised test: each cell form arrives as its typed cell,
// and a row the destination cannot take costs only that row. Which form a value takes
// is cell_form_test's; values arriving from the server, the end-to-end tests'.
#include <gtest/gtest.h>

#include "excel/xls/dao_database.h"
#include "excel/xls/dao_engine.h"
#include "excel/xlsx/xlsx_database.h"
#include "excel/xlsx/xlsx_error.h"
#include "excel/xlsx/xlsx_worksheet.h"
#include "toolkit/exception.h"
#include "values/ole_date.h"
#include "../support/workbook_reader.h"

namespace {

class destination : public ::testing::TestWithParam<int> {  // 0 Excel 5.0, 1 Excel 2000, 2 Excel 2010
protected:
    destination() { engine_.set_version_if(0); }
    bool xlsx() const { return GetParam() == 2; }
    std::string path() const { return folder_.file(xlsx() ? "out.xlsx" : "out.xls"); }

    // A new workbook holding the sheet "S" with the given columns.
    udb_recordset& open(const std::vector<std::pair<std::string, vartype>>& columns) {
        if (xlsx()) book_ = std::make_unique<xlsx_database>(path());
        else book_ = engine_.create_dao_src(path(), GetParam() == 0 ? "Excel 5.0;" : "Excel 8.0;");
        udb_schema schema;
        for (const auto& [name, type] : columns) schema.add(t_ftd(8, name, type));
        udb_indexes indexes;
        sheet_ = book_->create_table("S", schema, indexes);
        return *sheet_;
    }
    // Appends a row of these values; the error's message when the sheet refuses it.
    std::string append(std::vector<ole_variant> values) {
        udb_record record;
        for (auto& value : values) record.add_field("f", 8, std::move(value));  // filled by position
        try {
            sheet_->append_record(record);
        } catch (const tk_exception& error) {
            EXPECT_EQ(error.level(), tk_level_recoverable) << error.message();
            return error.message();
        }
        return "";
    }
    // Completes the workbook and returns what the independent reader sees.
    std::string finish(bool read_back = true) {
        if (auto* book = dynamic_cast<xlsx_database*>(book_.get())) {
            book->save_table(*sheet_);
            book->save();
        } else {
            static_cast<dao_database&>(*book_).close();
        }
        return read_back ? dump_workbook_text(path()) : std::string();
    }

    dao_engine engine_;
    temp_folder folder_;
    std::unique_ptr<udb_database> book_;
    std::unique_ptr<udb_recordset> sheet_;
};

ole_variant date(const char* text) { return ole_date(text).to_variant(); }

}  // namespace

TEST_P(destination, each_cell_form_arrives_as_its_typed_cell_with_its_date_format) {
    open({{"id", VT_I4}, {"name", VT_BSTR}, {"day", VT_DATE}, {"at", VT_DATE}, {"ms", VT_DATE}, {"time", VT_DATE},
          {"ok", VT_BOOL}, {"x", VT_R8}, {"none", VT_BSTR}});
    EXPECT_EQ(append({ole_variant(-7), ole_variant("Zoë Привет"), date("2024-02-29"), date("2024-02-29 13:45:30"),
                      date("2024-02-29 13:45:30.250"), date("0000-00-00 10:30:00"), ole_variant(true),
                      ole_variant(0.1), ole_variant::make_null()}),
              "");
    // Excel 5.0 holds code page 1252 only: what it cannot hold becomes "?".
    EXPECT_EQ(finish(), std::string("sheet\tS\t2\t9\nR\ts:id\ts:name\ts:day\ts:at\ts:ms\ts:time\ts:ok\ts:x\ts:none\n"
                                    "R\tn:-7\ts:Zoë ") + (GetParam() == 0 ? "??????" : "Привет") +
                                    "\td:2024-02-29T00:00:00.000\td:2024-02-29T13:45:30.000"
                                    "\td:2024-02-29T13:45:30.250\td:10:30:00.000\tb:1\tn:0.1\te:\n");
    const char* formats =
        "import sys\n"
        "p = sys.argv[1]\n"
        "if p.endswith('.xlsx'):\n"
        "    import openpyxl\n"
        "    print([c.number_format for c in openpyxl.load_workbook(p).worksheets[0][2][2:6]])\n"
        "else:\n"
        "    import xlrd\n"
        "    b = xlrd.open_workbook(p, formatting_info=True)\n"
        "    s = b.sheet_by_index(0)\n"
        "    print([b.format_map[b.xf_list[s.cell_xf_index(1, c)].format_key].format_str for c in range(2, 6)])\n";
    // The writers differ today: .xls hides the milliseconds, .xlsx shows a time of day on
    // the date 1899-12-30.
    EXPECT_EQ(python_check(formats, path()),
              xlsx() ? "['yyyy-mm-dd', 'yyyy-mm-dd hh:mm:ss', 'yyyy-mm-dd hh:mm:ss.000', 'yyyy-mm-dd hh:mm:ss']\n"
                     : "['yyyy-mm-dd', 'yyyy-mm-dd hh:mm:ss', 'yyyy-mm-dd hh:mm:ss', 'hh:mm:ss']\n");
}

TEST_P(destination, a_row_of_another_shape_or_not_utf8_is_refused_alone_and_the_run_goes_on) {
    open({{"A", VT_BSTR}, {"B", VT_I4}});
    EXPECT_EQ(append({ole_variant("one"), ole_variant(1)}), "");
    const std::string too_wide = append({ole_variant("x"), ole_variant(2), ole_variant(3)});
    EXPECT_NE(too_wide.find("does not conform to the destination table"), std::string::npos) << too_wide;
    const std::string not_utf8 = append({ole_variant(std::string("bad \xC3(")), ole_variant(4)});
    EXPECT_NE(not_utf8.find("not valid UTF-8"), std::string::npos) << not_utf8;
    EXPECT_EQ(append({ole_variant("five"), ole_variant(5)}), "");
    EXPECT_EQ(finish(), "sheet\tS\t3\t2\nR\ts:A\ts:B\nR\ts:one\tn:1\nR\ts:five\tn:5\n");
}

// Past the last row a sheet holds (16,384, 65,536 and 1,048,576, header included) a row
// is refused; .xlsx counts the rows it skipped for the run's report.
TEST_P(destination, rows_past_the_sheet_limit_are_refused_and_the_workbook_stays_complete) {
    udb_recordset& sheet = open({{"N", VT_I4}});
    const std::uint32_t rows = GetParam() == 0 ? 16'384 : GetParam() == 1 ? 65'536 : 1'048'576;
    udb_record row;
    row.add_field("N", 8, ole_variant(1));
    for (std::uint32_t k = 1; k < rows; ++k) sheet.append_record(row);
    EXPECT_NE(append({ole_variant(1)}).find(xlsx() ? "1,048,575 rows of data" : std::to_string(rows).append(" rows")),
              std::string::npos);
    if (xlsx()) {
        EXPECT_EQ(append({ole_variant(2)}), "") << "one error per sheet";
        EXPECT_EQ(dynamic_cast<xlsx_worksheet&>(sheet).skipped_rows(), 2u);
    }
    const std::string dump = finish(!xlsx());  // openpyxl takes minutes over a million rows
    if (xlsx()) EXPECT_TRUE(std::filesystem::exists(path()));
    else EXPECT_EQ(dump.substr(0, dump.find('\n')), std::string("sheet\tS\t").append(std::to_string(rows)) + "\t1");
}

// A text of more than 32,767 UTF-16 units does not fit a cell. (The run cuts texts to
// 32,766 characters first: end-to-end tests.)
TEST(xlsx_destination, a_cell_holds_at_most_32767_utf16_units) {
    temp_folder folder;
    std::string longest;
    {
        xlsx_database book(folder.file("long.xlsx"));
        udb_schema schema;
        schema.add(t_ftd(0, "T", VT_BSTR));
        udb_indexes indexes;
        auto sheet = book.create_table("Long", schema, indexes);
        std::string emoji;
        for (int i = 0; i < 32'767; ++i) longest += "é";   // 32,767 characters in 65,534 bytes
        for (int i = 0; i < 16'384; ++i) emoji += "😀";  // two UTF-16 units each: 32,768
        for (const std::string& text : {longest, std::string(32'768, 'x'), emoji}) {
            udb_record record;
            record.add_field("T", 0, ole_variant(text));
            try {
                sheet->append_record(record);
                EXPECT_EQ(text, longest);
            } catch (const tk_exception& error) {
                EXPECT_NE(text, longest);
                EXPECT_EQ(error.code(), xlsx_error_code_base + static_cast<int>(xlsx_error::text_too_long));
            }
        }
        book.save_table(*sheet);
        book.save();
    }
    EXPECT_EQ(dump_workbook_text(folder.file("long.xlsx")), "sheet\tLong\t2\t1\nR\ts:T\nR\ts:" + longest + "\n");
}

INSTANTIATE_TEST_SUITE_P(formats, destination, ::testing::Values(0, 1, 2),
                         [](const auto& info) {
                             return std::string(info.param == 0 ? "excel_50" : info.param == 1 ? "excel_2000" : "excel_2010");
                         });
