// Awkward names and values from the server: quotes, brackets, 40 characters, non-Latin
// letters in table and column names; control characters, texts past the cell limit,
// infinities and text that is not UTF-8 in the values. Every format gives a readable
// workbook holding every row, or names the value it could not take.
#include <gtest/gtest.h>

#include "cli_harness.h"
#include "toolkit/text.h"

namespace {

const char* const database_sql = R"(
CREATE TABLE "IT'S ""QUOTED""" ("O'NAME" VARCHAR2(20), "SAY ""HI""" NUMBER(3));
INSERT INTO "IT'S ""QUOTED""" VALUES ('a', 1);
CREATE TABLE "[BRACKETS]:*?/\" ("[COL]" VARCHAR2(20));
INSERT INTO "[BRACKETS]:*?/\" VALUES ('b');
CREATE TABLE "A_TABLE_NAME_OF_EXACTLY_FORTY_CHARACTERS" ("A_COLUMN_NAME_OF_EXACTLY_FORTY_CHARACTER" NUMBER(3));
INSERT INTO "A_TABLE_NAME_OF_EXACTLY_FORTY_CHARACTERS" VALUES (40);
CREATE TABLE "ТАБЛИЦА_数据" ("ИМЯ" VARCHAR2(20), "名前" NUMBER(3));
INSERT INTO "ТАБЛИЦА_数据" VALUES ('Ünïcødé ✓', 7);
CREATE TABLE "ТАБЛИЦА_资料" ("N" NUMBER(3));
INSERT INTO "ТАБЛИЦА_资料" VALUES (8);
CREATE TABLE SAME_AFTER_RENAMING ("A'B" NUMBER(3), "A_B" NUMBER(3), "A]B" NUMBER(3));
INSERT INTO SAME_AFTER_RENAMING VALUES (1, 2, 3);
CREATE TABLE ODD_VALUES (ID NUMBER(3), T CLOB, D BINARY_DOUBLE, F BINARY_FLOAT);
INSERT INTO ODD_VALUES VALUES (1, 'bell' || char(7) || 'tab' || char(9) || 'cr' || char(13) || 'lf' || char(10) || 'esc' || char(27), 9e999, -9e999);
INSERT INTO ODD_VALUES VALUES (2, printf('%.40000c', 'x'), -9e999, 1e308);
INSERT INTO ODD_VALUES VALUES (3, '=1+2', 1e308, 0.5);
CREATE TABLE EXACT (ID NUMBER(3), N10 NUMBER(10), N20 NUMBER(20), N NUMBER, BIG NUMBER(38,10), F FLOAT, BD BINARY_DOUBLE, D DATE, T VARCHAR2(10));
INSERT INTO EXACT VALUES (1, 3000000000, CAST('12345678901234567890' AS BLOB), 9007199254740993, CAST('1234567890123456789012345678.0123456789' AS BLOB), CAST('12345678901234567890' AS BLOB), 0.30000000000000004, '0005-03-01 00:00:00', 'a' || char(0) || 'b');
INSERT INTO EXACT VALUES (2, 4294967297, CAST('-99999999999999999999' AS BLOB), CAST('79228162514264337593543950335' AS BLOB), 0.5, 0.25, 1e300, '1900-02-28 00:00:00', 'x');
INSERT INTO EXACT VALUES (3, -2147483649, 9223372036854775807, 123456789012345, CAST('-1234567890.0123456789' AS BLOB), 1, 2, '-0044-03-15 12:00:00', 'y');
INSERT INTO EXACT VALUES (4, 7, 8, 9, 10, 11, 12, '1900-03-01 00:00:00', 'z');
CREATE TABLE TX (ID NUMBER(3), T VARCHAR2(20), D BINARY_DOUBLE);
INSERT INTO TX VALUES (1, 'a', 1.5);
INSERT INTO TX VALUES (2, CAST(X'41EDA0805A' AS TEXT), 2.5);
INSERT INTO TX VALUES (3, 'c', 'NaN');
INSERT INTO TX VALUES (4, 'd', 'not a number');
INSERT INTO TX VALUES (5, 'e', 5.5);
CREATE TABLE SHAPES (ID NUMBER(4), GEO "MDSYS.SDO_GEOMETRY", DOC XMLTYPE);
INSERT INTO SHAPES VALUES (1, 'POINT(1 2)', '<a>' || printf('%.5000c', 'x') || '</a>');
)";

const char* const extensions[] = {"xls", "xls", "xlsx"};

// The sheet of that name (sheets come in the order the run sorted the items).
const read_sheet& sheet_named(const std::vector<read_sheet>& sheets, const std::string& name) {
    const read_sheet* found = find_sheet(sheets, name);
    if (found == nullptr) throw std::runtime_error("no sheet " + name);
    return *found;
}

class odd_data : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { make_database(data_.path(), "ODD", database_sql); }

    // Runs the tables (and queries) into a workbook of the test's format and reads it back.
    std::vector<read_sheet> convert(const std::vector<std::string>& tables,
                                    const std::map<std::string, std::string>& queries = {}) {
        job_profile job;
        job.src = "ODD";
        job.format_version = GetParam();
        job.tables = tables;
        job.queries = queries;
        job.dest = folder_.file(std::string("odd.") + extensions[GetParam()]);
        job.write(folder_.file("job.spr"));
        cli_options options;
        options.environment["OCIEMU_DATA"] = data_.path().string();
        result_ = run_cli({folder_.file("job.spr")}, options);
        return read_workbook(job.dest);
    }
    bool excel_50() const { return GetParam() == 0; }
    bool xls() const { return GetParam() != 2; }

    temp_folder folder_;
    temp_folder data_;
    cli_result result_;
};

}  // namespace

// A profile line of blanks selects nothing.
TEST_P(odd_data, quoted_and_bracketed_names_keep_their_rows) {
    const auto sheets = convert({"IT'S \"QUOTED\"", "   ", "[BRACKETS]:*?/\\", "SAME_AFTER_RENAMING"});
    EXPECT_EQ(result_.exit_code, 0) << result_.err;
    ASSERT_EQ(sheets.size(), 3u);
    // Sheet names lose the characters no format allows in them; .xls column names lose
    // quotes and brackets (and stay distinct); .xlsx keeps them.
    const std::vector<std::vector<std::string>> quoted = {
        {xls() ? "s:O_NAME" : "s:O'NAME", "s:SAY \"HI\""}, {"s:a", "n:1"}};
    EXPECT_EQ(sheet_named(sheets, "IT_S \"QUOTED\"").rows, quoted);
    const std::vector<std::vector<std::string>> bracketed = {{xls() ? "s:_COL_" : "s:[COL]"}, {"s:b"}};
    EXPECT_EQ(sheet_named(sheets, "_BRACKETS______").rows, bracketed);
    const auto& renamed = sheet_named(sheets, "SAME_AFTER_RENAMING").rows;
    ASSERT_EQ(renamed.size(), 2u);
    const auto& header = renamed[0];
    ASSERT_EQ(header.size(), 3u);
    EXPECT_NE(header[0], header[1]);
    EXPECT_NE(header[1], header[2]);
    EXPECT_NE(header[0], header[2]);
    EXPECT_EQ(header[1], "s:A_B");
    const std::vector<std::string> values = {"n:1", "n:2", "n:3"};
    EXPECT_EQ(renamed[1], values);
}

TEST_P(odd_data, long_and_non_latin_names) {
    const auto sheets = convert({"A_TABLE_NAME_OF_EXACTLY_FORTY_CHARACTERS", "ТАБЛИЦА_数据", "ТАБЛИЦА_资料"},
                                {{"Query [1] of 'ours'", "SELECT \"ИМЯ\" FROM \"ТАБЛИЦА_数据\""}});
    EXPECT_EQ(result_.exit_code, 0) << result_.err;
    ASSERT_EQ(sheets.size(), 4u);
    // A sheet name is cut to fit; a column name is not.
    const read_sheet* forty_sheet = nullptr;
    for (const auto& sheet : sheets)
        if (sheet.name.rfind("A_TABLE_NAME_OF_EXACTLY_FORTY", 0) == 0) forty_sheet = &sheet;
    ASSERT_NE(forty_sheet, nullptr);
    EXPECT_LE(utf16_length(forty_sheet->name), 31u);
    const std::vector<std::vector<std::string>> forty = {{"s:A_COLUMN_NAME_OF_EXACTLY_FORTY_CHARACTER"}, {"n:40"}};
    EXPECT_EQ(forty_sheet->rows, forty);
    const std::vector<std::vector<std::string>> other = {{"s:N"}, {"n:8"}};
    if (excel_50()) {
        // 8-bit text in code page 1252: what it cannot hold becomes "?" in cells and "_" in
        // sheet names ("?" is no sheet-name character), and names that became the same
        // are numbered apart.
        const std::vector<std::vector<std::string>> rows = {{"s:???", "s:??"}, {"s:Ünïcødé ?", "n:7"}};
        EXPECT_EQ(sheet_named(sheets, "__________").rows, rows);
        EXPECT_EQ(sheet_named(sheets, "__________00000").rows, other);
    } else {
        EXPECT_EQ(sheet_named(sheets, "ТАБЛИЦА_资料").rows, other);
        const std::vector<std::vector<std::string>> rows = {{"s:ИМЯ", "s:名前"}, {"s:Ünïcødé ✓", "n:7"}};
        EXPECT_EQ(sheet_named(sheets, "ТАБЛИЦА_数据").rows, rows);
    }
    const std::vector<std::vector<std::string>> query = {{excel_50() ? "s:???" : "s:ИМЯ"},
                                                         {excel_50() ? "s:Ünïcødé ?" : "s:Ünïcødé ✓"}};
    EXPECT_EQ(sheet_named(sheets, "Query _1_ of _ours_").rows, query);
}

TEST_P(odd_data, control_characters_long_texts_formulas_and_infinities) {
    const auto sheets = convert({"ODD_VALUES"});
    // the cut text is listed once for its table and column, so the run reports errors
    EXPECT_EQ(result_.exit_code, 1) << result_.err;
    const std::string cut = std::string("ODD_VALUES: Column 'T': 1 text was cut to ") + (excel_50() ? "254" : "32,766") +
                            " characters, the most a cell of this format holds.";
    EXPECT_NE(result_.err.find("\n1 error during the run:\n  " + cut + "\n"), std::string::npos) << result_.err;
    ASSERT_EQ(sheets.size(), 1u);
    const auto& rows = sheets[0].rows;
    ASSERT_EQ(rows.size(), 4u);
    // Every control character is kept (CR becomes a line break): .xls text holds them as
    // they are, .xlsx as the escapes XML needs, which the reader shows undecoded.
    EXPECT_EQ(rows[1][1], xls() ? "s:bell\atab\\tcr\\nlf\\nesc\x1B" : "s:bell_x0007_tab\\tcr\\nlf\\nesc_x001B_");
    // A text past the cell limit is cut to it.
    EXPECT_EQ(rows[2][1], "s:" + std::string(excel_50() ? 254 : 32766, 'x'));
    // A text that looks like a formula stays text.
    EXPECT_EQ(rows[3][1], "s:=1+2");
    // Infinities arrive as the server's text; finite extremes stay numbers.
    EXPECT_EQ(rows[1][2], "s:Inf");
    EXPECT_EQ(rows[1][3], "s:-Inf");
    EXPECT_EQ(rows[2][2], "s:-Inf");
    EXPECT_EQ(rows[3][2], "n:1e+308");
    EXPECT_EQ(rows[3][3], "n:0.5");
}

TEST_P(odd_data, numbers_dates_and_texts_arrive_unaltered) {
    const auto sheets = convert({"EXACT"});
    EXPECT_EQ(result_.exit_code, 0) << result_.err;
    ASSERT_EQ(sheets.size(), 1u);
    const auto& rows = sheets[0].rows;
    ASSERT_EQ(rows.size(), 5u);  // every row, the date before year 1 too
    // Integers are never wrapped into their declared type; more than 15 digits, of any
    // declared type or none, arrive as text with every digit, decimals included. A binary
    // double keeps every digit it needs. Dates that readers would show differently (years
    // 1-99, before 1900-03-01, before year 1) are their canonical text, never widened.
    // A NUL inside a text is kept (.xlsx escapes it, which the reader shows undecoded).
    const std::string date_1900 = excel_50() ? "s:1900-03-01" : "d:1900-03-01T00:00:00.000";
    const std::vector<std::vector<std::string>> expected = {
        {"s:ID", "s:N10", "s:N20", "s:N", "s:BIG", "s:F", "s:BD", "s:D", "s:T"},
        {"n:1", "n:3000000000", "s:12345678901234567890", "s:9007199254740993",
         "s:1234567890123456789012345678.0123456789", "s:12345678901234567890", "n:0.30000000000000004",
         "s:0005-03-01", xls() ? std::string("s:a\0b", 5) : "s:a_x0000_b"},
        {"n:2", "n:4294967297", "s:-99999999999999999999", "s:79228162514264337593543950335", "n:0.5", "n:0.25",
         "n:1e+300", "s:1900-02-28", "s:x"},
        {"n:3", "n:-2147483649", "s:9223372036854775807", "n:123456789012345", "s:-1234567890.0123456789", "n:1",
         "n:2", "s:-0044-03-15 12:00:00", "s:y"},
        {"n:4", "n:7", "n:8", "n:9", "n:10", "n:11", "n:12", date_1900, "s:z"}};
    EXPECT_EQ(rows, expected);
}

TEST_P(odd_data, a_bad_value_costs_its_row_and_every_other_row_is_written) {
    const auto sheets = convert({"TX"});
    EXPECT_EQ(result_.exit_code, 1) << result_.err;
    // row 2 cannot be converted here, row 4 the server refuses while the cursor goes on
    EXPECT_NE(result_.err.find("TX, record #2: Cannot convert to UNICODE string: the value of column 'T' is not "
                               "valid text."),
              std::string::npos)
        << result_.err;
    EXPECT_NE(result_.err.find("TX, record #4: ORA-01722: invalid number"), std::string::npos) << result_.err;
    EXPECT_NE(result_.out.find("Table 'TX' is converted: 3 records written, 2 not (listed)"), std::string::npos)
        << result_.out;
    ASSERT_EQ(sheets.size(), 1u);
    const auto& rows = sheets[0].rows;
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1][0], "n:1");
    EXPECT_EQ(rows[2][0], "n:3");
    EXPECT_EQ(rows[3][0], "n:5");
    EXPECT_EQ(rows[3][2], "n:5.5");
    // the server's NaN arrives as a value, written as text
    std::string not_a_number = rows[2][2];
    for (char& c : not_a_number) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(not_a_number, "s:nan");
}

TEST_P(odd_data, object_columns_are_left_out_of_tables_and_shown_as_placeholders_in_queries) {
    const auto sheets = convert({"SHAPES"}, {{"Shape query", "SELECT ID, GEO FROM SHAPES"}});
    EXPECT_EQ(result_.exit_code, excel_50() ? 1 : 0) << result_.err;  // Excel 5.0 cuts the document
    ASSERT_EQ(sheets.size(), 2u);
    // an XMLTYPE document of any length arrives whole, read through a CLOB
    const std::string document = "<a>" + std::string(5000, 'x') + "</a>";
    const std::vector<std::vector<std::string>> table = {
        {"s:ID", "s:DOC"}, {"n:1", "s:" + (excel_50() ? document.substr(0, 254) : document)}};
    EXPECT_EQ(sheet_named(sheets, "SHAPES").rows, table);
    const std::vector<std::vector<std::string>> query = {{"s:ID", "s:GEO"}, {"n:1", "s:<unsupported type>"}};
    EXPECT_EQ(sheet_named(sheets, "Shape query").rows, query);
}

INSTANTIATE_TEST_SUITE_P(formats, odd_data, ::testing::Values(0, 1, 2));
