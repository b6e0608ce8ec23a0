// Whole jobs through sprandel-cli and the emulator's demo schema, in each workbook format,
// read back by xlrd (.xls) and openpyxl (.xlsx).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "cli_harness.h"

namespace {

const std::vector<std::string> demo_tables = {"DEPARTMENTS", "DOCUMENTS", "EMPLOYEES", "ORDERS",
                                              "ORDER_LINES", "PRODUCTS", "REGION:SALES/2024"};
const char* headcount_sql =
    "SELECT d.NAME, COUNT(e.EMP_ID) AS HEADCOUNT FROM DEPARTMENTS d LEFT JOIN EMPLOYEES e ON e.DEPT_ID = d.DEPT_ID "
    "GROUP BY d.NAME ORDER BY d.NAME";

// The demo's two tables share DEPT_ID: the join repeats that column name.
const char* staff_sql = "SELECT * FROM DEPARTMENTS d JOIN EMPLOYEES e ON e.DEPT_ID = d.DEPT_ID";

std::string extension(int format_version) { return format_version == 2 ? ".xlsx" : ".xls"; }

// Whether the first data cell of the sheet wraps its text, as xlrd or openpyxl reads its format.
std::string data_cell_wraps(const std::string& path, const std::string& sheet) {
    const std::string command = "/usr/bin/python3 -c '\n"
                                "import sys\n"
                                "path, name = sys.argv[1], sys.argv[2]\n"
                                "if path.endswith(\".xlsx\"):\n"
                                "    import openpyxl\n"
                                "    print(bool(openpyxl.load_workbook(path)[name][\"A2\"].alignment.wrap_text))\n"
                                "else:\n"
                                "    import xlrd\n"
                                "    book = xlrd.open_workbook(path, formatting_info=True)\n"
                                "    xf = book.xf_list[book.sheet_by_name(name).cell_xf_index(1, 0)]\n"
                                "    print(bool(xf.alignment.text_wrapped))\n"
                                "' '" + path + "' '" + sheet + "' 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return "cannot start python";
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
    ::pclose(pipe);
    return text;
}

class demo_job : public ::testing::TestWithParam<int> {
protected:
    cli_result run(job_profile& job) {
        job.dest = folder_.file("demo" + extension(job.format_version));
        job.write(folder_.file("job.spr"));
        return run_cli({folder_.file("job.spr")});
    }
    temp_folder folder_;
};

}  // namespace

TEST_P(demo_job, every_table_and_a_query_arrive_whole) {
    job_profile job;
    job.format_version = GetParam();
    job.tables = demo_tables;
    job.queries["Headcount"] = headcount_sql;
    job.queries["Staff"] = staff_sql;
    const cli_result result = run(job);
    // the SPEC_SHEET text of 100,000 characters (and in Excel 5.0 the long description) is cut and listed
    ASSERT_EQ(result.exit_code, 1) << result.err;
    EXPECT_NE(result.err.find("  PRODUCTS: Column 'SPEC_SHEET': 1 text was cut to "), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("Table 'EMPLOYEES' (200 records) is converted"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Table 'Staff' (192 records) is converted"), std::string::npos) << result.out;

    const auto sheets = read_workbook(job.dest);
    std::vector<std::string> names;
    for (const auto& sheet : sheets) names.push_back(sheet.name);
    // Items arrive in name order; the table whose name no sheet may carry gets a safe one.
    EXPECT_EQ(names, (std::vector<std::string>{"DEPARTMENTS", "DOCUMENTS", "EMPLOYEES", "Headcount", "ORDERS",
                                                "ORDER_LINES", "PRODUCTS", "REGION_SALES_2024", "Staff"}));

    const read_sheet& departments = *find_sheet(sheets, "DEPARTMENTS");
    ASSERT_EQ(departments.rows.size(), 8u);
    EXPECT_EQ(departments.rows[0][0], "s:DEPT_ID");
    EXPECT_EQ(departments.rows[0][1], "s:NAME");
    EXPECT_EQ(departments.rows[1][0], "n:10");
    EXPECT_EQ(departments.rows[1][1], "s:Administration");
    EXPECT_EQ(departments.rows[1][5], "n:120000.5");
    if (GetParam() != 0) {
        EXPECT_EQ(departments.rows[1][2], "s:Администрация");
    } else {
        EXPECT_EQ(departments.rows[1][2], "s:?????????????");  // code page 1252 has no Cyrillic
    }

    EXPECT_EQ(find_sheet(sheets, "EMPLOYEES")->rows.size(), 201u);
    EXPECT_EQ(find_sheet(sheets, "ORDER_LINES")->rows.size(), 2001u);
    const read_sheet& headcount = *find_sheet(sheets, "Headcount");
    ASSERT_EQ(headcount.rows.size(), 8u);
    EXPECT_EQ(headcount.rows[0], (std::vector<std::string>{"s:NAME", "s:HEADCOUNT"}));
    EXPECT_EQ(headcount.rows[1][0], "s:Administration");
    EXPECT_EQ(headcount.rows[1][1].substr(0, 2), "n:");

    // The repeated column name gets a numbered header; every joined row arrives.
    const read_sheet& staff = *find_sheet(sheets, "Staff");
    ASSERT_EQ(staff.rows.size(), 193u);
    EXPECT_EQ(std::count(staff.rows[0].begin(), staff.rows[0].end(), "s:DEPT_ID"), 1);
    EXPECT_EQ(std::count(staff.rows[0].begin(), staff.rows[0].end(), "s:DEPT_ID00000"), 1);
    // The profile's "wrap text" reaches the data cells in every format.
    EXPECT_EQ(data_cell_wraps(job.dest, "DEPARTMENTS"), "True\n");


    // Binary columns (LONG RAW, BLOB) keep their placeholder, and NULLs their empty cell,
    // though the values are no longer fetched; nothing is left beside the workbook.
    const read_sheet& documents = *find_sheet(sheets, "DOCUMENTS");
    EXPECT_EQ(documents.rows[1][3], "s:<Binary Field>");
    EXPECT_EQ(documents.rows[2][3], "e:");
    EXPECT_EQ(documents.rows[3][3], "s:<Binary Field>");
    const read_sheet& products = *find_sheet(sheets, "PRODUCTS");
    EXPECT_EQ(products.rows[1][10], "s:<Binary Field>");
    EXPECT_EQ(products.rows[9][10], "e:");
    EXPECT_TRUE(stray_files(folder_.path(), {"job.spr", "demo" + extension(GetParam())}).empty());
}

INSTANTIATE_TEST_SUITE_P(formats, demo_job, ::testing::Values(0, 1, 2),
                         [](const auto& info) { return std::string(info.param == 0 ? "excel_50" : info.param == 1 ? "excel_2000" : "excel_2010"); });

namespace {

// The hire date of the first employee in each format and setting.
std::string first_hire_date(int format_version, bool dates_to_strings) {
    temp_folder folder;
    job_profile job;
    job.format_version = format_version;
    job.dates_to_strings = dates_to_strings;
    job.tables = {"EMPLOYEES"};
    job.dest = folder.file("dates" + extension(format_version));
    job.write(folder.file("job.spr"));
    const cli_result result = run_cli({folder.file("job.spr")});
    if (result.exit_code != 0) return "exit " + std::to_string(result.exit_code) + ": " + result.err;
    const auto sheets = read_workbook(job.dest);
    return sheets.at(0).rows.at(1).at(5);
}

}  // namespace

TEST(dates, are_date_cells_unless_converted_to_text_or_excel_50) {
    EXPECT_EQ(first_hire_date(2, false), "d:1996-02-02T09:00:00.000");
    EXPECT_EQ(first_hire_date(1, false), "d:1996-02-02T09:00:00.000");
    EXPECT_EQ(first_hire_date(2, true), "s:1996-02-02 09:00:00");
    EXPECT_EQ(first_hire_date(1, true), "s:1996-02-02 09:00:00");
    EXPECT_EQ(first_hire_date(0, false), "s:1996-02-02 09:00:00");
}

TEST(dictionary_order, table_columns_keep_their_column_id_order_when_the_dictionary_answers_out_of_order) {
    // DOCUMENTS has a column nothing reads (BFILE), so its select list is built from the dictionary
    temp_folder folder;
    job_profile job;
    job.tables = {"DOCUMENTS"};
    job.dest = folder.file("documents.xlsx");
    job.write(folder.file("job.spr"));
    cli_options options;
    options.environment["OCIEMU_SHUFFLE_DICTIONARY"] = "1";
    const cli_result result = run_cli({folder.file("job.spr")}, options);
    ASSERT_EQ(result.exit_code, 0) << result.err;
    const auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_FALSE(sheets[0].rows.empty());
    EXPECT_EQ(sheets[0].rows[0], (std::vector<std::string>{"s:DOC_ID", "s:TITLE", "s:BODY", "s:SCAN", "s:METADATA",
                                                           "s:STORED_AT", "s:LOCATOR"}));
}
