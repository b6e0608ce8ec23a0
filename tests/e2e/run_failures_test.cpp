// Failures during a job: a broken connection mid-table, a wrong password, a missing folder,
// and the user stopping the run.
#include <gtest/gtest.h>

#include "cli_harness.h"

TEST(failures, a_lost_connection_names_the_table_and_record_and_the_run_goes_on) {
    temp_folder folder;
    job_profile job;
    job.tables = {"DEPARTMENTS", "ORDERS", "PRODUCTS"};
    job.dest = folder.file("lost.xlsx");
    job.write(folder.file("job.spr"));
    cli_options options;
    options.environment["OCIEMU_FAIL_AFTER_ROWS"] = "100";
    const cli_result result = run_cli({folder.file("job.spr")}, options);
    EXPECT_EQ(result.exit_code, 1) << result.err;
    EXPECT_NE(result.err.find("ORA-03113"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find(", record #"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("ORDERS, record #101: ORA-03113"), std::string::npos) << result.err;
    // The next item is still tried (and fails on the dead connection, reported by name).
    EXPECT_NE(result.err.find("PRODUCTS: ORA-03113"), std::string::npos) << result.err;
    // What was read before the line broke is in the workbook.
    const auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].rows.size(), 8u);
    EXPECT_EQ(sheets[1].name, "ORDERS");
    EXPECT_EQ(sheets[1].rows.size(), 101u);
}

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

TEST(failures, a_wrong_password_stops_before_anything_is_written) {
    temp_folder folder;
    job_profile job;
    job.password = "wrong";
    job.tables = {"DEPARTMENTS"};
    job.dest = folder.file("never.xlsx");
    job.write(folder.file("job.spr"));
    const cli_result result = run_cli({folder.file("job.spr")});
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_NE(result.err.find("Invalid user name or password."), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(job.dest));
}

TEST(failures, a_missing_destination_folder_is_named) {
    temp_folder folder;
    job_profile job;
    job.tables = {"DEPARTMENTS"};
    job.dest = folder.file("no/such/folder/out.xls");
    job.format_version = 1;
    job.write(folder.file("job.spr"));
    const cli_result result = run_cli({folder.file("job.spr")});
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_NE(result.err.find("Destination path does not exist."), std::string::npos) << result.err;
}

TEST(failures, a_missing_profile_is_named) {
    temp_folder folder;
    const cli_result result = run_cli({folder.file("nothing.spr")});
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_NE(result.err.find("Profile does not exist. Please verify the correct path/name was given."),
              std::string::npos)
        << result.err;
}

TEST(failures, bad_command_lines_are_refused_with_the_usage) {
    EXPECT_EQ(run_cli({"--frobnicate", "x.spr"}).exit_code, 2);
    const cli_result none = run_cli({});
    EXPECT_EQ(none.exit_code, 2);
    EXPECT_NE(none.err.find("usage: sprandel-cli"), std::string::npos);
    const cli_result help = run_cli({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.out.find("--abort-on-error"), std::string::npos);
    EXPECT_EQ(run_cli({"--version"}).out, "sprandel-cli 4.1\n");
}

TEST(cancellation, ctrl_c_mid_table_leaves_no_xlsx_and_no_temporary_file) {
    temp_folder folder;
    job_profile job;
    job.tables = {"DEPARTMENTS", "ORDER_LINES"};
    job.dest = folder.file("stopped.xlsx");
    job.write(folder.file("job.spr"));
    cli_options options;
    options.environment["OCIEMU_RTT_US"] = "400000";  // each batch of rows takes a while
    options.interrupt_when_output_has = "Table 'DEPARTMENTS'";  // so the stop lands in ORDER_LINES
    const cli_result result = run_cli({folder.file("job.spr")}, options);
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    EXPECT_NE(result.err.find("did not complete"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(job.dest));
    EXPECT_TRUE(stray_files(folder.path(), {"job.spr"}).empty());
}

TEST(cancellation, ctrl_c_mid_table_keeps_only_the_finished_items_of_an_xls_run) {
    temp_folder folder;
    job_profile job;
    job.tables = {"DEPARTMENTS", "ORDER_LINES"};
    job.dest = folder.file("stopped.xls");
    job.format_version = 1;
    job.write(folder.file("job.spr"));
    cli_options options;
    options.environment["OCIEMU_RTT_US"] = "400000";
    options.interrupt_when_output_has = "Table 'DEPARTMENTS'";
    const cli_result result = run_cli({folder.file("job.spr")}, options);
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
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
