// Items that fail during a job: missing tables, a table name of two million characters, a
// sheet name no .xlsx may hold. The error list counts every error, and the exit status
// tells whether anything was converted. (A connection lost mid-table: fault_interruption_test.cpp.)
#include <gtest/gtest.h>

#include "cli_harness.h"

TEST(failures, the_summary_counts_every_error_and_a_run_that_converted_nothing_could_not_run) {
    temp_folder folder;
    job_profile job = demo_job(folder.file("missing.xlsx"), 2, {});
    for (int i = 1; i <= 24; ++i) job.tables.push_back("MISSING_" + std::to_string(100 + i));
    job.tables.push_back(std::string(2'000'000, 'A'));  // sorts first
    job.write(folder.file("job.spr"));
    const cli_result nothing = run_cli({folder.file("job.spr")});
    EXPECT_EQ(nothing.exit_code, 2) << nothing.out << nothing.err.substr(0, 500);
    const auto listed_at = nothing.err.find("\n25 errors during the run; the first 20 are listed:\n");
    ASSERT_NE(listed_at, std::string::npos) << nothing.err.substr(0, 500);
    const std::string listed = nothing.err.substr(listed_at);
    EXPECT_NE(listed.find("  MISSING_119: The table does not exist in the source database."), std::string::npos)
        << listed.substr(0, 500);
    EXPECT_EQ(listed.find("  MISSING_120: "), std::string::npos) << listed.substr(0, 500);
    EXPECT_EQ(nothing.err.find("Internal error"), std::string::npos);
    EXPECT_NE(nothing.err.find("No workbook was written: no selected table or query could be converted."),
              std::string::npos);
    EXPECT_EQ(nothing.out.find("Workbook written"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(job.dest));

    // One converted item makes a workbook and the status "with errors"; a query whose name
    // no .xlsx sheet may hold (a control character) costs only its item. Sections and keys
    // the program does not know are ignored.
    job.tables.push_back("DEPARTMENTS");
    job.queries = {{"a\x01b", "SELECT 1 AS X FROM DUAL"}};
    std::string text = job.text();
    text.replace(text.find("src=DEMO\r\n"), 10, "src=DEMO\r\ncolour=blue\r\n=no key\r\n");
    write_file(folder.file("job.spr"), "[Never heard of]\r\nx=1\r\n" + text + "[Another one]\r\ny=2\r\n");
    const cli_result some = run_cli({folder.file("job.spr")});
    EXPECT_EQ(some.exit_code, 1) << some.out << some.err.substr(0, 500);
    EXPECT_NE(some.err.find("\n26 errors during the run; the first 20 are listed:\n"), std::string::npos);
    EXPECT_NE(some.err.find("is not valid: a sheet name cannot contain"), std::string::npos);
    EXPECT_NE(some.out.find("Table 'DEPARTMENTS' (7 records) is converted"), std::string::npos) << some.out;
    EXPECT_NE(some.out.find("Workbook written: " + job.dest), std::string::npos) << some.out;
    const auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "DEPARTMENTS");
    EXPECT_EQ(sheets[0].rows.size(), 8u);
    EXPECT_EQ(stray_files(folder.path(), {"job.spr", "missing.xlsx"}), std::vector<std::string>{});
}
