// Limits of the formats: too many columns, too many rows, with and without split data.
#include <gtest/gtest.h>

#include "cli_harness.h"

namespace {

// A table WIDE of 300 numeric columns and 3 rows.
std::string wide_table_sql() {
    std::string columns, values;
    for (int i = 1; i <= 300; ++i) {
        if (i > 1) {
            columns += ", ";
            values += ", ";
        }
        columns.append("C").append(std::to_string(i)).append(" NUMBER(6)");
        values += std::to_string(i);
    }
    return "CREATE TABLE WIDE (" + columns + ");\nINSERT INTO WIDE VALUES (" + values + ");\nINSERT INTO WIDE VALUES (" +
           values + ");\nINSERT INTO WIDE VALUES (" + values + ");\n";
}

// A table LONG_TABLE of the given number of rows: ID and a text.
std::string long_table_sql(int rows) {
    return "CREATE TABLE LONG_TABLE (ID NUMBER(9), LABEL VARCHAR2(20));\n"
           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
           std::to_string(rows) + ") INSERT INTO LONG_TABLE SELECT i, 'row ' || i FROM n;\n";
}

class limits : public ::testing::Test {
protected:
    cli_result run(job_profile& job, std::vector<std::string> extra = {}) {
        job.src = "LIMITS";
        job.write(folder_.file("job.spr"));
        extra.push_back(folder_.file("job.spr"));
        cli_options options;
        options.environment["OCIEMU_DATA"] = data_.path().string();
        return run_cli(extra, options);
    }
    temp_folder folder_;
    temp_folder data_;
};

}  // namespace

// .xls: the notice is in the final list too, not only on the line where it was shown, and
// aborting at it leaves no workbook; .xlsx takes all 300. (The cut itself: conversion_run_in_process.)
TEST_F(limits, a_table_wider_than_an_xls_sheet_is_reported_or_aborted_and_xlsx_takes_it_whole) {
    make_database(data_.path(), "LIMITS", wide_table_sql());
    job_profile job;
    job.format_version = 1;
    job.tables = {"WIDE"};
    job.dest = folder_.file("wide.xls");
    const cli_result aborted = run(job, {"--abort-on-error"});
    EXPECT_EQ(aborted.exit_code, 2) << aborted.err;
    EXPECT_FALSE(std::filesystem::exists(job.dest));
    EXPECT_TRUE(stray_files(folder_.path(), {"job.spr"}).empty());

    const cli_result result = run(job);
    EXPECT_EQ(result.exit_code, 1) << result.err;
    EXPECT_NE(result.err.find("\n1 error during the run:\n  WIDE: Table will be truncated up to 256 columns.\n"),
              std::string::npos)
        << result.err;
    EXPECT_TRUE(std::filesystem::exists(job.dest));

    job.format_version = 2;
    job.dest = folder_.file("wide.xlsx");
    ASSERT_EQ(run(job).exit_code, 0);
    EXPECT_EQ(read_workbook(job.dest).at(0).rows.at(0).size(), 300u);
}

// Unsplit, the rows past the sheet are reported; split, they continue in part workbooks.
// (Which earlier parts a run removes: fault_durability_test.cpp.)
TEST_F(limits, rows_past_the_sheet_limit_are_reported_or_continue_in_part_workbooks) {
    make_database(data_.path(), "LIMITS", long_table_sql(16400) +
                                              "CREATE TABLE SMALL (ID NUMBER(3));\nINSERT INTO SMALL VALUES (7);\n");
    job_profile job;
    job.format_version = 0;  // 16383 data rows per sheet
    job.tables = {"LONG_TABLE"};
    job.dest = folder_.file("long.xls");
    const cli_result unsplit = run(job);
    EXPECT_EQ(unsplit.exit_code, 1) << unsplit.err;
    EXPECT_NE(unsplit.err.find("LONG_TABLE"), std::string::npos);
    EXPECT_NE(unsplit.err.find("16383"), std::string::npos) << unsplit.err;
    const auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_EQ(sheets[0].rows.size(), 16384u);
    EXPECT_EQ(sheets[0].rows.back()[0], "n:16383");
    EXPECT_FALSE(std::filesystem::exists(folder_.file("long(1).xls")));

    job.split_data = true;
    job.tables = {"LONG_TABLE", "SMALL"};
    const cli_result result = run(job);
    ASSERT_EQ(result.exit_code, 0) << result.err;

    const auto main_book = read_workbook(job.dest);
    ASSERT_EQ(main_book.size(), 2u);
    EXPECT_EQ(main_book[0].name, "LONG_TABLE");
    EXPECT_EQ(main_book[0].rows.size(), 16384u);
    EXPECT_EQ(main_book[1].name, "SMALL");  // later items go on in the main workbook
    const auto part = read_workbook(folder_.file("long(1).xls"));
    ASSERT_EQ(part.size(), 1u);
    EXPECT_EQ(part[0].name, "LONG_TABLE");
    ASSERT_EQ(part[0].rows.size(), 18u);  // header + rows 16384 .. 16400
    EXPECT_EQ(part[0].rows[0][0], "s:ID");
    EXPECT_EQ(part[0].rows[1][0], "n:16384");
    EXPECT_EQ(part[0].rows.back()[0], "n:16400");
    EXPECT_FALSE(std::filesystem::exists(folder_.file("long(2).xls")));
}
