// Failures during a job: missing tables, refusals before the run, and the user stopping it.
// (A connection lost mid-table: fault_interruption_test.cpp.)
#include <gtest/gtest.h>

#include "cli_harness.h"

TEST(failures, the_summary_counts_every_error_and_a_run_that_converted_nothing_could_not_run) {
    temp_folder folder;
    job_profile job;
    for (int i = 1; i <= 25; ++i) job.tables.push_back("MISSING_" + std::to_string(100 + i));
    job.dest = folder.file("missing.xlsx");
    job.write(folder.file("job.spr"));
    const cli_result nothing = run_cli({folder.file("job.spr")});
    EXPECT_EQ(nothing.exit_code, 2) << nothing.out << nothing.err;
    EXPECT_NE(nothing.err.find("\n25 errors during the run; the first 20 are listed:\n"), std::string::npos)
        << nothing.err;
    const std::string listed = nothing.err.substr(nothing.err.find("the first 20 are listed:"));
    EXPECT_NE(listed.find("  MISSING_120: The table does not exist"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("  MISSING_121: The table does not exist"), std::string::npos) << listed;
    EXPECT_FALSE(std::filesystem::exists(job.dest));

    job.tables.push_back("DEPARTMENTS");
    job.write(folder.file("job.spr"));
    const cli_result some = run_cli({folder.file("job.spr")});
    EXPECT_EQ(some.exit_code, 1) << some.out << some.err;
    EXPECT_NE(some.out.find("Table 'DEPARTMENTS' (7 records) is converted"), std::string::npos) << some.out;
}

TEST(failures, a_query_without_a_name_is_refused_when_the_profile_is_loaded) {
    temp_folder folder;
    job_profile job;
    job.tables = {"DEPARTMENTS"};
    job.queries = {{"", "SELECT * FROM DEPARTMENTS"}};
    job.dest = folder.file("unnamed.xlsx");
    job.write(folder.file("job.spr"));
    const cli_result result = run_cli({folder.file("job.spr")});
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    EXPECT_NE(result.err.find("The profile's query \"=SELECT * FROM DEPARTMENTS\" in [Selected Tables] has no name"),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(job.dest));
}

TEST(failures, an_xlsx_sheet_that_cannot_be_created_costs_its_item_and_the_run_goes_on) {
    temp_folder folder;
    job_profile job;
    job.tables = {"DEPARTMENTS"};
    job.queries = {{"a\x01b", "SELECT 1 AS X FROM DUAL"}};  // a control character no sheet name may hold
    job.dest = folder.file("sheets.xlsx");
    job.write(folder.file("job.spr"));
    const cli_result result = run_cli({folder.file("job.spr")});
    EXPECT_EQ(result.exit_code, 1) << result.out << result.err;
    EXPECT_NE(result.err.find("is not valid: a sheet name cannot contain"), std::string::npos) << result.err;
    const auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "DEPARTMENTS");
    EXPECT_EQ(sheets[0].rows.size(), 8u);
}

TEST(failures, refusals_before_anything_is_written_are_named_with_exit_2) {
    temp_folder folder;
    job_profile job;
    job.password = "wrong";
    job.tables = {"DEPARTMENTS"};
    job.dest = folder.file("never.xlsx");
    job.write(folder.file("job.spr"));
    const cli_result password = run_cli({folder.file("job.spr")});
    EXPECT_EQ(password.exit_code, 2);
    EXPECT_NE(password.err.find("Invalid user name or password."), std::string::npos) << password.err;
    EXPECT_FALSE(std::filesystem::exists(job.dest));

    const cli_result no_profile = run_cli({folder.file("nothing.spr")});
    EXPECT_EQ(no_profile.exit_code, 2);
    EXPECT_NE(no_profile.err.find("Profile does not exist. Please verify the correct path/name was given."),
              std::string::npos)
        << no_profile.err;

    EXPECT_EQ(run_cli({"--frobnicate", "x.spr"}).exit_code, 2);
    const cli_result none = run_cli({});
    EXPECT_EQ(none.exit_code, 2);
    EXPECT_NE(none.err.find("usage: sprandel-cli"), std::string::npos);
    const cli_result help = run_cli({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.out.find("--abort-on-error"), std::string::npos);
    EXPECT_EQ(run_cli({"--version"}).out, "sprandel-cli 4.1\n");
}

// .xlsx keeps no workbook; .xls keeps the finished items only.
TEST(cancellation, ctrl_c_mid_table_leaves_no_temporary_file_and_no_unfinished_item) {
    for (const int format : {2, 1}) {
        SCOPED_TRACE(format);
        temp_folder folder;
        job_profile job;
        job.tables = {"DEPARTMENTS", "ORDER_LINES"};
        job.format_version = format;
        job.dest = folder.file(format == 2 ? "stopped.xlsx" : "stopped.xls");
        job.write(folder.file("job.spr"));
        cli_options options;
        options.environment["OCIEMU_RTT_US"] = "400000";            // each batch of rows takes a while
        options.interrupt_when_output_has = "Table 'DEPARTMENTS'";  // so the stop lands in ORDER_LINES
        const cli_result result = run_cli({folder.file("job.spr")}, options);
        EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
        if (format == 2) {
            EXPECT_NE(result.err.find("did not complete"), std::string::npos) << result.err;
            EXPECT_FALSE(std::filesystem::exists(job.dest));
            EXPECT_TRUE(stray_files(folder.path(), {"job.spr"}).empty());
            continue;
        }
        EXPECT_NE(result.out.find("Table 'ORDER_LINES' is not complete: "), std::string::npos) << result.out;
        // the stop lands while ORDER_LINES is opened (the break ends that call) or while its rows are read
        EXPECT_TRUE(result.err.find(" of 2000 records written; the run was stopped; the sheet is left out") !=
                        std::string::npos ||
                    result.err.find("0 records written; the run was stopped before its rows were read") !=
                        std::string::npos)
            << result.err;
        const auto sheets = read_workbook(job.dest);
        ASSERT_EQ(sheets.size(), 1u);
        EXPECT_EQ(sheets[0].name, "DEPARTMENTS");
        EXPECT_EQ(sheets[0].rows.size(), 8u);
        EXPECT_TRUE(stray_files(folder.path(), {"job.spr", "stopped.xls"}).empty());
    }
}
