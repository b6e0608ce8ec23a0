// Runs cut short from outside: the connection lost in the middle of a table, with and
// without --abort-on-error, and Ctrl-C or SIGTERM while logging on or reading a table.
// (A killed run: fault_durability_test.cpp; a stop in process: conversion_run_in_process.)
#include <gtest/gtest.h>

#include "cli_harness.h"

namespace {

cli_options losing_the_connection_after_250_rows() {
    cli_options options;
    options.environment["OCIEMU_FAIL_AFTER_ROWS"] = "250";
    return options;
}

}  // namespace

// A lost connection ends the run: no later item could be read. What was read is kept.
TEST(lost_connection, the_rows_read_before_the_break_are_kept_and_the_cut_table_is_listed) {
    temp_folder folder;
    const job_profile job = demo_job(folder.file("broken.xlsx"), 2, {"DEPARTMENTS", "ORDER_LINES", "PRODUCTS"});
    job.write(folder.file("job.spr"));
    const cli_result result = run_cli({folder.file("job.spr")}, losing_the_connection_after_250_rows());
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    EXPECT_NE(result.err.find("ORDER_LINES, record #251: ORA-03113"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("PRODUCTS"), std::string::npos) << result.err;
    // the cut table is never called converted: its line and the error list count what was written
    EXPECT_NE(result.out.find("Table 'ORDER_LINES' is not complete: 250 of about 2000 records written; the "
                              "connection to the server was lost"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find("Table 'ORDER_LINES' ("), std::string::npos) << result.out;
    // The error list's entries for the break: conversion_run's a_server_error_ends_the_item_...
    EXPECT_NE(result.err.find("The conversion did not complete; " + job.dest + " holds the items converted"),
              std::string::npos)
        << result.err;
    const auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].name, "DEPARTMENTS");
    EXPECT_EQ(sheets[0].rows.size(), 8u);
    EXPECT_EQ(sheets[1].name, "ORDER_LINES");
    ASSERT_EQ(sheets[1].rows.size(), 251u);
    EXPECT_EQ(sheets[1].rows[250][0], "n:500063");  // the 250th line in the table
    EXPECT_EQ(stray_files(folder.path(), {"job.spr", "broken.xlsx"}), std::vector<std::string>{});
}

// The first error ends the run; an .xls run keeps the items it finished, in a complete
// workbook, and leaves out the one the stop cut short.
TEST(lost_connection, abort_on_error_stops_at_the_break_and_keeps_only_finished_items) {
    temp_folder folder;
    const job_profile job = demo_job(folder.file("aborted.xls"), 1, {"DEPARTMENTS", "ORDER_LINES"});
    job.write(folder.file("job.spr"));
    const cli_result result =
        run_cli({"--abort-on-error", folder.file("job.spr")}, losing_the_connection_after_250_rows());
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    EXPECT_NE(result.err.find("ORA-03113"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("The conversion did not complete; " + job.dest +
                              " holds the items converted before the stop."),
              std::string::npos)
        << result.err;
    const auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "DEPARTMENTS");
    EXPECT_EQ(sheets[0].rows.size(), 8u);
    EXPECT_EQ(stray_files(folder.path(), {"job.spr", "aborted.xls"}), std::vector<std::string>{});
}

// With a round trip of ten minutes the run could only end this way through the client's
// break: a stop that waited for the round trip would meet the harness's five-minute kill.
// Fault: SIGHUP (a closed terminal) and SIGQUIT killed the run without a word.
TEST(stopped_run, ctrl_c_hangup_or_quit_while_logging_on_ends_the_call_under_way_and_changes_nothing) {
#ifdef _WIN32
    GTEST_SKIP() << "wine delivers no console control event to another process; the handler: windows_system_test";
#else
    for (const int signal_number : {SIGINT, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(signal_number);
        temp_folder folder;
        const std::string dest = folder.file("kept.xlsx"), log = folder.file("run.log");
        write_file(dest, "earlier workbook");
        demo_job(dest, 2, {"DEPARTMENTS"}).write(folder.file("job.spr"));
        cli_options options;
        options.environment["OCIEMU_RTT_US"] = "600000000";
        options.signal_number = signal_number;
        options.signal_when = [&] {
            return read_file(log).find("Connecting to Oracle data source") != std::string::npos;
        };
        const cli_result result = run_cli({"--log", log, folder.file("job.spr")}, options);
        EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
        EXPECT_NE((result.out + result.err).find("Stopped before the conversion began; nothing was changed."),
                  std::string::npos)
            << result.out << result.err;
        EXPECT_NE(read_file(log).find("Breaking off the call to the server"), std::string::npos);
        EXPECT_EQ(read_file(dest), "earlier workbook");
        EXPECT_EQ(stray_files(folder.path(), {"job.spr", "kept.xlsx", "run.log"}), std::vector<std::string>{});
    }
#endif
}

// Faults: "sprandel-cli job | head -1" was killed by SIGPIPE (exit 141) mid-run; with stdout
// closed the trace log took descriptor 1 and the console lines were written into it.
TEST(lost_console, a_reader_gone_or_a_closed_stdout_costs_only_the_console_lines) {
#ifdef _WIN32
    GTEST_SKIP() << "SIGPIPE and a closed descriptor 1 are POSIX's";
#endif
    for (const auto output : {cli_options::output::pipe_without_reader, cli_options::output::closed}) {
        temp_folder folder;
        const std::string dest = folder.file("out.xlsx"), log = folder.file("run.log");
        demo_job(dest, 2, {"DEPARTMENTS", "ORDER_LINES"}).write(folder.file("job.spr"));
        cli_options options;
        options.stdout_is = output;
        const cli_result result = run_cli({"--log", log, folder.file("job.spr")}, options);
        EXPECT_EQ(result.exit_code, 0) << result.signal << result.err;
        EXPECT_EQ(read_workbook(dest).size(), 2u);
        EXPECT_EQ(read_file(log).find("Workbook written"), std::string::npos);
        EXPECT_EQ(read_file(log).find("\nTable 'DEPARTMENTS' ("), std::string::npos);  // a console line, untimed
        EXPECT_EQ(stray_files(folder.path(), {"job.spr", "out.xlsx", "run.log"}), std::vector<std::string>{});
    }
}

// An .xls run keeps the items it finished; the table under way is left out.
TEST(stopped_run, sigterm_mid_table_leaves_no_temporary_file_and_no_unfinished_item) {
#ifdef _WIN32
    GTEST_SKIP() << "wine delivers no console control event to another process; the handler: windows_system_test";
#else
    temp_folder folder, data;
    make_database(data.path(), "STOP",  // 30 batches of rows: the stop lands while they are read
                  "CREATE TABLE MANY_ROWS (ID NUMBER(9));\n"
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30000)\n"
                  "INSERT INTO MANY_ROWS SELECT i FROM n;\n");
    const std::string log = folder.file("run.log");
    job_profile job = demo_job(folder.file("stopped.xls"), 1, {"DEPARTMENTS", "MANY_ROWS"});
    job.src = "STOP";
    job.write(folder.file("job.spr"));
    cli_options options;
    options.environment = {{"OCIEMU_DATA", data.path().string()}, {"OCIEMU_RTT_US", "100000"}};
    options.signal_number = SIGTERM;
    options.signal_when = [&] { return read_file(log).find("Converting table MANY_ROWS") != std::string::npos; };
    const cli_result result = run_cli({"--log", log, folder.file("job.spr")}, options);
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    EXPECT_NE(result.out.find("Stopping at the next row..."), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Table 'MANY_ROWS' is not complete: "), std::string::npos) << result.out;
    // the stop lands while MANY_ROWS is opened (the break ends that call) or while its rows are read
    EXPECT_TRUE(result.err.find(" of about 30000 records written; the run was stopped; the sheet is left out") !=
                    std::string::npos ||
                result.err.find("0 records written; the run was stopped before its rows were read") !=
                    std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("The conversion did not complete (interrupted); " + job.dest), std::string::npos)
        << result.err;
    const auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "DEPARTMENTS");
    EXPECT_EQ(sheets[0].rows.size(), 8u);
    EXPECT_EQ(stray_files(folder.path(), {"job.spr", "stopped.xls", "run.log"}), std::vector<std::string>{});
#endif
}

// Fault: two runs at once on one destination left a set of workbooks from both, both exit 0.
TEST(concurrent_runs, a_second_run_on_a_destination_being_written_is_refused) {
    temp_folder folder;
    const std::string dest = folder.file("shared.xls");
    demo_job(dest, 1, {"DEPARTMENTS", "ORDER_LINES"}).write(folder.file("job.spr"));
    // Waited for by its log, not its lock file: the check before connecting takes the lock
    // only for a moment, and a second run started then may be the first to write.
    const std::string log = folder.file("first.log");
    cli_result first;
    std::thread first_run([&] {
        cli_options slow;
        slow.environment["OCIEMU_RTT_US"] = "100000";
        first = run_cli({"--log", log, folder.file("job.spr")}, slow);
    });
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (read_file(log).find("Converting table") == std::string::npos && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const cli_result second = run_cli({folder.file("job.spr")});
    first_run.join();
    EXPECT_EQ(second.exit_code, 2);
    EXPECT_NE(second.err.find("Another run is writing " + dest + " (or its part workbooks) now"), std::string::npos)
        << second.err;
    EXPECT_EQ(first.exit_code, 0) << first.err;
    EXPECT_EQ(read_workbook(dest).size(), 2u);
    EXPECT_EQ(stray_files(folder.path(), {"job.spr", "shared.xls", "first.log"}), std::vector<std::string>{});
}
