// Runs cut short from outside: the connection lost in the middle of a table. (A killed run:
// fault_durability_test.cpp.)
#include <gtest/gtest.h>

#include "cli_harness.h"

namespace {

const char* const extensions[] = {"xls", "xls", "xlsx"};

}  // namespace

class lost_connection : public ::testing::TestWithParam<int> {};

TEST_P(lost_connection, the_rows_read_before_the_break_are_kept_in_a_readable_workbook) {
    temp_folder folder;
    job_profile job;
    job.tables = {"DEPARTMENTS", "ORDER_LINES", "PRODUCTS"};
    job.dest = folder.file(std::string("broken.") + extensions[GetParam()]);
    job.format_version = GetParam();
    job.write(folder.file("job.spr"));
    cli_options options;
    options.environment["OCIEMU_FAIL_AFTER_ROWS"] = "250";
    const cli_result result = run_cli({folder.file("job.spr")}, options);
    EXPECT_EQ(result.exit_code, 1) << result.out << result.err;
    EXPECT_NE(result.err.find("ORDER_LINES, record #251: ORA-03113"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("PRODUCTS: ORA-03113"), std::string::npos) << result.err;
    // the cut table is never called converted: its line and the error list count what was written
    EXPECT_NE(result.out.find("Table 'ORDER_LINES' is not complete: 250 of 2000 records written; the source "
                              "stopped answering"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find("Table 'ORDER_LINES' ("), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("  ORDER_LINES: not complete: 250 of 2000 records written"), std::string::npos)
        << result.err;
    const auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].name, "DEPARTMENTS");
    EXPECT_EQ(sheets[0].rows.size(), 8u);
    EXPECT_EQ(sheets[1].name, "ORDER_LINES");
    ASSERT_EQ(sheets[1].rows.size(), 251u);
    EXPECT_EQ(sheets[1].rows[0][0], "s:ORDER_ID");
    EXPECT_EQ(sheets[1].rows[250][0], "n:500063");  // the 250th line in the table
    EXPECT_EQ(sheets[1].rows[250][1], "n:2");
    EXPECT_TRUE(stray_files(folder.path(), {"job.spr", "broken." + std::string(extensions[GetParam()])}).empty());
}

TEST_P(lost_connection, abort_on_error_keeps_no_workbook) {
    temp_folder folder;
    job_profile job;
    job.tables = {"DEPARTMENTS", "ORDER_LINES"};
    job.dest = folder.file(std::string("aborted.") + extensions[GetParam()]);
    job.format_version = GetParam();
    job.write(folder.file("job.spr"));
    cli_options options;
    options.environment["OCIEMU_FAIL_AFTER_ROWS"] = "250";
    const cli_result result = run_cli({"--abort-on-error", folder.file("job.spr")}, options);
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    EXPECT_NE(result.err.find("ORA-03113"), std::string::npos) << result.err;
    if (GetParam() == 2) {
        EXPECT_FALSE(std::filesystem::exists(job.dest)) << "an aborted .xlsx run left a workbook";
        EXPECT_NE(result.err.find("no workbook was written"), std::string::npos) << result.err;
    } else {
        // a stopped .xls run keeps what it converted, in a complete, readable workbook
        EXPECT_NE(result.err.find(job.dest + " holds the items converted before the stop."), std::string::npos)
            << result.err;
        const auto sheets = read_workbook(job.dest);
        ASSERT_GE(sheets.size(), 1u);
        EXPECT_EQ(sheets[0].name, "DEPARTMENTS");
        EXPECT_EQ(sheets[0].rows.size(), 8u);
        // the table the stop cut short is left out, as a stopped .xls run keeps only finished items
        EXPECT_EQ(sheets.size(), 1u);
    }
    EXPECT_TRUE(stray_files(folder.path(), {"job.spr", "aborted." + std::string(extensions[GetParam()])}).empty());
}

INSTANTIATE_TEST_SUITE_P(formats, lost_connection, ::testing::Values(0, 1, 2));
