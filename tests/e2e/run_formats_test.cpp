// One whole job a format through sprandel-cli, read back by xlrd (.xls) and openpyxl (.xlsx):
// the demo schema with awkward names (quotes, brackets, 40 characters, any script) and values
// (control characters, texts past the cell limit, infinities, 15 and 38 digits, calendar
// edges, object types, 300 columns) added, while the dictionary answers out of order. Every
// value arrives unaltered, or the error list names it. (Rows a server or a bad text cuts
// short: conversion_run_test and oracle_table_reader_test's row_errors.)
#include <gtest/gtest.h>

#include <set>

#include "cli_harness.h"

namespace {

const char* const added_tables_sql = R"(
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
CREATE TABLE SHAPES (ID NUMBER(4), GEO "MDSYS.SDO_GEOMETRY", DOC XMLTYPE);
INSERT INTO SHAPES VALUES (1, 'POINT(1 2)', '<a>' || printf('%.5000c', 'x') || '</a>');
)";

// A table WIDE of 300 numeric columns, wider than an .xls sheet.
std::string wide_table_sql() {
    std::string columns = "C1 NUMBER(6)", values = "1";
    for (int i = 2; i <= 300; ++i) {
        columns.append(", C").append(std::to_string(i)).append(" NUMBER(6)");
        values.append(", ").append(std::to_string(i));
    }
    return std::string("CREATE TABLE WIDE (") + columns + ");\nINSERT INTO WIDE VALUES (" + values + ");\n";
}

const char* const extensions[] = {"xls", "xls", "xlsx"};

// Whether DEPARTMENTS' first data cell wraps its text, as xlrd or openpyxl reads its format.
const char* const data_cell_wraps = "import sys\n"
                                    "p = sys.argv[1]\n"
                                    "if p.endswith('.xlsx'):\n"
                                    "    import openpyxl\n"
                                    "    s = openpyxl.load_workbook(p)['DEPARTMENTS']\n"
                                    "    print(bool(s['A2'].alignment.wrap_text))\n"
                                    "else:\n"
                                    "    import xlrd\n"
                                    "    b = xlrd.open_workbook(p, formatting_info=True)\n"
                                    "    x = b.sheet_by_name('DEPARTMENTS').cell_xf_index(1, 0)\n"
                                    "    print(bool(b.xf_list[x].alignment.text_wrapped))\n";

using rows = std::vector<std::vector<std::string>>;

}  // namespace

class full_job : public ::testing::TestWithParam<int> {};

TEST_P(full_job, every_item_arrives_whole_and_every_value_it_could_not_take_is_listed) {
    const int format = GetParam();
    const bool excel_50 = format == 0, xls = format != 2;
    temp_folder folder, data;
    make_database(data.path(), "FULL", added_tables_sql + wide_table_sql());
    job_profile job;
    job.src = "FULL";
    job.format_version = format;
    // Dates as date cells where the format has them: Excel 5.0 gives the text form, which
    // "convert dates to strings" chooses the same way.
    job.dest = folder.file(std::string("full.") + extensions[format]);
    // a profile line of blanks selects nothing
    job.tables = {"DEPARTMENTS", "DOCUMENTS", "EMPLOYEES", "ORDERS", "ORDER_LINES", "PRODUCTS", "REGION:SALES/2024",
                  "IT'S \"QUOTED\"", "   ", "[BRACKETS]:*?/\\", "SAME_AFTER_RENAMING",
                  "A_TABLE_NAME_OF_EXACTLY_FORTY_CHARACTERS", "ТАБЛИЦА_数据", "ТАБЛИЦА_资料", "ODD_VALUES", "EXACT",
                  "SHAPES", "WIDE"};
    job.queries = {{"Headcount", "SELECT d.NAME, COUNT(e.EMP_ID) AS HEADCOUNT FROM DEPARTMENTS d LEFT JOIN "
                                 "EMPLOYEES e ON e.DEPT_ID = d.DEPT_ID GROUP BY d.NAME ORDER BY d.NAME"},
                   {"Query [1] of 'ours'", "SELECT \"ИМЯ\" FROM \"ТАБЛИЦА_数据\""},
                   {"Shape query", "SELECT ID, GEO FROM SHAPES"}};
    job.write(folder.file("job.spr"));
    cli_options options;
    options.environment = {{"OCIEMU_DATA", data.path().string()}, {"OCIEMU_SHUFFLE_DICTIONARY", "1"}};
    const cli_result result = run_cli({folder.file("job.spr")}, options);

    // Each text a cell cannot take is listed once for its table and column; an .xls sheet
    // takes 255 of the 300 columns.
    ASSERT_EQ(result.exit_code, 1) << result.err;
    const std::string cut = std::string(" text was cut to ") + (excel_50 ? "255" : "32,767") +
                            " characters, the most a cell of this format holds.\n";
    const std::string listed =
        std::to_string(excel_50 ? 8 : xls ? 6 : 5) + " errors during the run:\n" +
        "  column ORIGINAL of DOCUMENTS: type BFILE cannot be read; the column is left out\n" +
        "  ODD_VALUES: Column 'T': 1" + cut + (excel_50 ? "  PRODUCTS: Column 'DESCRIPTION': 1" + cut : "") +
        "  PRODUCTS: Column 'SPEC_SHEET': 1" + cut +
        "  column GEO of SHAPES: type MDSYS.SDO_GEOMETRY cannot be read; the column is left out\n" +
        (excel_50 ? "  SHAPES: Column 'DOC': 1" + cut : "") +
        "  column GEO of Shape query: type SDO_GEOMETRY cannot be read; its cells show \"<unsupported type>\"\n" +
        (xls ? "  WIDE: Table will be truncated up to 255 columns.\n" : "");
    EXPECT_TRUE(result.err.ends_with("\n" + listed)) << result.err;
    EXPECT_NE(result.out.find("Table 'EMPLOYEES' (200 records) is converted"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Workbook written: " + job.dest), std::string::npos) << result.out;
    EXPECT_EQ(stray_files(folder.path(), {"job.spr", std::string("full.") + extensions[format]}),
              std::vector<std::string>{});

    const auto sheets = read_workbook(job.dest);
    std::vector<std::string> names;
    for (const auto& sheet : sheets) names.push_back(sheet.name);
    // Items arrive in the byte order of their names. Sheet names lose the characters no
    // format allows in them and are cut to fit; Excel 5.0 (code page 1252) makes what it
    // cannot hold "_" and numbers the names that became the same apart.
    EXPECT_EQ(names, (std::vector<std::string>{
                         "A_TABLE_NAME_OF_EXACTLY_FORTY_", "DEPARTMENTS", "DOCUMENTS", "EMPLOYEES", "EXACT", "Headcount",
                         "IT_S \"QUOTED\"", "ODD_VALUES", "ORDERS", "ORDER_LINES", "PRODUCTS", "Query _1_ of _ours_",
                         "REGION_SALES_2024", "SAME_AFTER_RENAMING", "SHAPES", "Shape query", "WIDE",
                         "_BRACKETS______", excel_50 ? "__________" : "ТАБЛИЦА_数据",
                         excel_50 ? "__________00000" : "ТАБЛИЦА_资料"}));

    const read_sheet& departments = find_sheet(sheets, "DEPARTMENTS");
    ASSERT_EQ(departments.rows.size(), 8u);
    EXPECT_EQ(departments.rows[1][0], "n:10");
    EXPECT_EQ(departments.rows[1][1], "s:Administration");
    EXPECT_EQ(departments.rows[1][2], excel_50 ? "s:?????????????" : "s:Администрация");
    EXPECT_EQ(departments.rows[1][5], "n:120000.5");
    // The profile's "wrap text" reaches the data cells in every format.
    EXPECT_EQ(python_check(data_cell_wraps, job.dest), "True\n");
    const read_sheet& employees = find_sheet(sheets, "EMPLOYEES");
    EXPECT_EQ(employees.rows.size(), 201u);
    EXPECT_EQ(employees.rows.at(1).at(5), excel_50 ? "s:1996-02-02 09:00:00" : "d:1996-02-02T09:00:00.000");
    EXPECT_EQ(find_sheet(sheets, "ORDER_LINES").rows.size(), 2001u);
    const read_sheet& headcount = find_sheet(sheets, "Headcount");
    ASSERT_EQ(headcount.rows.size(), 8u);
    EXPECT_EQ(headcount.rows[0], (std::vector<std::string>{"s:NAME", "s:HEADCOUNT"}));
    EXPECT_EQ(headcount.rows[1][0], "s:Administration");
    EXPECT_EQ(headcount.rows[1][1].substr(0, 2), "n:");
    // A repeated column name's numbered header: conversion_run_test's repeated_column_names_...
    // Table columns keep their column order though the dictionary answered the other way
    // round; a column nothing reads (BFILE) is left out. Binary columns (LONG RAW, BLOB)
    // show a placeholder and NULLs an empty cell.
    const read_sheet& documents = find_sheet(sheets, "DOCUMENTS");
    ASSERT_EQ(documents.rows.size(), 6u);
    EXPECT_EQ(documents.rows[0], (std::vector<std::string>{"s:DOC_ID", "s:TITLE", "s:BODY", "s:SCAN", "s:METADATA",
                                                           "s:STORED_AT", "s:LOCATOR"}));
    EXPECT_EQ(documents.rows[1][3], "s:<Binary Field>");
    EXPECT_EQ(documents.rows[2][3], "e:");
    EXPECT_EQ(documents.rows[3][3], "s:<Binary Field>");
    const read_sheet& products = find_sheet(sheets, "PRODUCTS");
    EXPECT_EQ(products.rows.at(1).at(10), "s:<Binary Field>");
    EXPECT_EQ(products.rows.at(9).at(10), "e:");

    // .xls column names lose quotes and brackets (and stay distinct); .xlsx keeps them.
    EXPECT_EQ(find_sheet(sheets, "IT_S \"QUOTED\"").rows,
              (rows{{xls ? "s:O_NAME" : "s:O'NAME", "s:SAY \"HI\""}, {"s:a", "n:1"}}));
    EXPECT_EQ(find_sheet(sheets, "_BRACKETS______").rows, (rows{{xls ? "s:_COL_" : "s:[COL]"}, {"s:b"}}));
    const rows& renamed = find_sheet(sheets, "SAME_AFTER_RENAMING").rows;
    ASSERT_EQ(renamed.size(), 2u);
    EXPECT_EQ(renamed[0].at(1), "s:A_B");
    EXPECT_EQ(std::set<std::string>(renamed[0].begin(), renamed[0].end()).size(), 3u) << "the names stay distinct";
    EXPECT_EQ(renamed[1], (std::vector<std::string>{"n:1", "n:2", "n:3"}));
    // A sheet name is cut; a column name is not.
    EXPECT_EQ(find_sheet(sheets, names.front()).rows,
              (rows{{"s:A_COLUMN_NAME_OF_EXACTLY_FORTY_CHARACTER"}, {"n:40"}}));
    EXPECT_EQ(find_sheet(sheets, names.back()).rows, (rows{{"s:N"}, {"n:8"}}));
    EXPECT_EQ(find_sheet(sheets, names.at(names.size() - 2)).rows,
              (rows{{excel_50 ? "s:???" : "s:ИМЯ", excel_50 ? "s:??" : "s:名前"},
                    {excel_50 ? "s:Ünïcødé ?" : "s:Ünïcødé ✓", "n:7"}}));
    EXPECT_EQ(find_sheet(sheets, "Query _1_ of _ours_").rows,
              (rows{{excel_50 ? "s:???" : "s:ИМЯ"}, {excel_50 ? "s:Ünïcødé ?" : "s:Ünïcødé ✓"}}));

    // Every control character is kept (CR becomes a line break): .xls text holds them as
    // they are, .xlsx as the escapes XML needs, which the reader shows undecoded. A text
    // past the cell limit is cut to it; one that looks like a formula stays text.
    // Infinities arrive as the server's text; finite extremes stay numbers.
    const rows& odd = find_sheet(sheets, "ODD_VALUES").rows;
    ASSERT_EQ(odd.size(), 4u);
    EXPECT_EQ(odd[1], (std::vector<std::string>{"n:1", xls ? "s:bell\atab\\tcr\\nlf\\nesc\x1B"
                                                           : "s:bell_x0007_tab\\tcr\\nlf\\nesc_x001B_",
                                                "s:Inf", "s:-Inf"}));
    EXPECT_EQ(odd[2][1], "s:" + std::string(excel_50 ? 255 : 32767, 'x'));
    EXPECT_EQ(odd[2][2], "s:-Inf");
    EXPECT_EQ(odd[2][3], "s:Inf");  // 1e308 is past a BINARY_FLOAT
    EXPECT_EQ(odd[3], (std::vector<std::string>{"n:3", "s:=1+2", "n:1e+308", "n:0.5"}));

    // Integers are never wrapped into their declared type; more than 15 digits, of any
    // declared type or none, arrive as text with every digit, decimals included. A binary
    // double keeps every digit it needs. Dates that readers would show differently (years
    // 1-99, before 1900-03-01, before year 1) are their canonical text, never widened.
    // A NUL inside a text is kept (.xlsx escapes it, which the reader shows undecoded).
    EXPECT_EQ(find_sheet(sheets, "EXACT").rows,
              (rows{{"s:ID", "s:N10", "s:N20", "s:N", "s:BIG", "s:F", "s:BD", "s:D", "s:T"},
                    {"n:1", "n:3000000000", "s:12345678901234567890", "s:9007199254740993",
                     "s:1234567890123456789012345678.0123456789", "s:12345678901234567890", "n:0.30000000000000004",
                     "s:0005-03-01", xls ? std::string("s:a\0b", 5) : "s:a_x0000_b"},
                    {"n:2", "n:4294967297", "s:-99999999999999999999", "s:79228162514264337593543950335", "n:0.5",
                     "n:0.25", "n:1e+300", "s:1900-02-28", "s:x"},
                    {"n:3", "n:-2147483649", "s:9223372036854775807", "n:123456789012345", "s:-1234567890.0123456789",
                     "n:1", "n:2", "s:-0044-03-15 12:00:00", "s:y"},
                    {"n:4", "n:7", "n:8", "n:9", "n:10", "n:11", "n:12",
                     excel_50 ? "s:1900-03-01" : "d:1900-03-01T00:00:00.000", "s:z"}}));

    // Object columns are left out of tables and shown as placeholders in queries; an
    // XMLTYPE document of any length arrives whole (up to the cell limit), read through a CLOB.
    const std::string document = "<a>" + std::string(5000, 'x') + "</a>";
    EXPECT_EQ(find_sheet(sheets, "SHAPES").rows,
              (rows{{"s:ID", "s:DOC"}, {"n:1", "s:" + (excel_50 ? document.substr(0, 255) : document)}}));
    EXPECT_EQ(find_sheet(sheets, "Shape query").rows, (rows{{"s:ID", "s:GEO"}, {"n:1", "s:<unsupported type>"}}));

    const rows& wide = find_sheet(sheets, "WIDE").rows;
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[1].size(), xls ? 255u : 300u);
    EXPECT_EQ(wide[1].back(), xls ? "n:255" : "n:300");
}

INSTANTIATE_TEST_SUITE_P(formats, full_job, ::testing::Values(0, 1, 2), [](const auto& info) {
    return std::string(info.param == 0 ? "excel_50" : info.param == 1 ? "excel_2000" : "excel_2010");
});
