// A run that dies loses nothing: SIGKILL while a table is read, or while a split run's
// workbooks are completed, leaves under each name the earlier workbook or a complete new
// one, and the next run clears what the dead one left, never a live run's file. A file-size
// limit is reported, not fatal.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "cli_harness.h"
#include "toolkit/files.h"

namespace {

#ifndef _WIN32  // the tests that read the log are Linux's
bool log_has(const std::string& log, const std::string& text) {
    return read_file(log).find(text) != std::string::npos;
}
#endif

}  // namespace

// The temporary files' names are short, so a destination name of the longest legal length
// (255 bytes) is written like any other.
TEST(killed_run, while_reading_leaves_the_earlier_workbook_and_the_next_run_clears_its_temporary_file) {
#ifdef _WIN32
    GTEST_SKIP() << "needs SIGKILL: Windows has no signal that ends a process without its handler";
#else
    temp_folder folder;
    const std::string name = std::string(250, 'n') + ".xlsx";
    const std::string dest = folder.file(name), log = folder.file("run.log"), job = folder.file("job.spr");
    demo_job(dest, 2, {"DEPARTMENTS"}).write(job);
    ASSERT_EQ(run_cli({job}).exit_code, 0);
    const std::string earlier = read_file(dest);

    demo_job(dest, 2, {"DEPARTMENTS", "ORDER_LINES"}).write(job);
    cli_options options;
    options.environment["OCIEMU_RTT_US"] = "100000";  // ORDER_LINES is still being read when the kill lands
    options.signal_number = SIGKILL;
    options.signal_when = [&] { return log_has(log, "Converting table ORDER_LINES"); };
    const cli_result killed = run_cli({"--log", log, job}, options);
    ASSERT_EQ(killed.signal, SIGKILL) << killed.out << killed.err;
    EXPECT_EQ(read_file(dest), earlier);
    const auto left = stray_files(folder.path(), {name, "run.log", "job.spr"});
    EXPECT_FALSE(left.empty()) << "the new workbook was not being written beside the old one";
    for (const auto& file : left) EXPECT_TRUE(file.starts_with(".sprandel-")) << file;

    // The next run removes what the dead run left (its lock went with it), never the file
    // of another destination's run.
    const std::string live = std::filesystem::path(tk_create_temporary_beside(folder.file("other.xlsx"))).filename();
    write_file(folder.file(live), "a live run's");
    const cli_result again = run_cli({job});
    ASSERT_EQ(again.exit_code, 0) << again.out << again.err;
    const auto sheets = read_workbook(dest);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[1].rows.size(), 2001u);
    EXPECT_EQ(stray_files(folder.path(), {name, "run.log", "job.spr"}), std::vector<std::string>{live});
    EXPECT_EQ(read_file(folder.file(live)), "a live run's");
#endif
}

// Excel 5.0 holds 16383 data rows a sheet, so both tables need a part workbook, of 7 and of
// 12 rows. The kill lands once the run completes its workbooks (here, before they take their
// names); whenever it lands, each name holds its earlier workbook or a complete new one.
TEST(killed_run, while_the_part_workbooks_are_completed_leaves_each_name_old_or_complete) {
#ifdef _WIN32
    GTEST_SKIP() << "needs SIGKILL: Windows has no signal that ends a process without its handler";
#else
    temp_folder folder, data;
    make_database(data.path(), "PARTS",
                  "CREATE TABLE BIG (ID NUMBER(10));\n"
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 16395)\n"
                  "INSERT INTO BIG SELECT i FROM n;\n"
                  "CREATE TABLE BIG_OLD (ID NUMBER(10));\nINSERT INTO BIG_OLD SELECT * FROM BIG WHERE ID <= 16390;\n");
    const std::string dest = folder.file("kept.xls"), part = folder.file("kept(1).xls");
    const std::string log = folder.file("run.log"), job = folder.file("job.spr");
    job_profile profile = demo_job(dest, 0, {"BIG_OLD"});
    profile.src = "PARTS";
    profile.split_data = true;
    profile.write(job);
    cli_options options;
    options.environment["OCIEMU_DATA"] = data.path().string();
    ASSERT_EQ(run_cli({job}, options).exit_code, 0);
    const std::string earlier = read_file(dest), earlier_part = read_file(part);

    profile.tables = {"BIG", "DEPARTMENTS"};
    profile.write(job);
    options.environment["OCIEMU_RTT_US"] = "100000";  // logging off keeps the run alive past the completion
    options.signal_number = SIGKILL;
    options.signal_when = [&] { return log_has(log, "Completing the workbooks"); };
    const cli_result killed = run_cli({"--log", log, job}, options);
    ASSERT_EQ(killed.signal, SIGKILL) << killed.out << killed.err;
    if (read_file(dest) != earlier) {
        EXPECT_EQ(read_workbook(dest).size(), 2u);
    }
    if (read_file(part) != earlier_part) {
        EXPECT_EQ(read_workbook(part).at(0).rows.size(), 13u);
    }

    options.environment.erase("OCIEMU_RTT_US");
    options.signal_when = nullptr;
    const cli_result again = run_cli({job}, options);
    ASSERT_EQ(again.exit_code, 0) << again.out << again.err;
    EXPECT_EQ(read_workbook(dest).size(), 2u);
    EXPECT_EQ(read_workbook(part).at(0).rows.size(), 13u);
    EXPECT_EQ(stray_files(folder.path(), {"kept.xls", "kept(1).xls", "run.log", "job.spr"}),
              std::vector<std::string>{});
#endif
}

// SIGXFSZ left at its default would end the run without a word: the program ignores it and
// reports the write. .xls sheet data is spooled first, so the limit strikes there (a full
// disk under the workbook itself: fault_destination_test.cpp).
TEST(size_limited_run, reports_the_write_error_and_keeps_the_earlier_workbook) {
#ifdef _WIN32
    GTEST_SKIP() << "needs RLIMIT_FSIZE to make a write fail";
#else
    temp_folder folder;
    const std::string dest = folder.file("limited.xls");
    write_file(dest, "earlier workbook");
    demo_job(dest, 1, {"DEPARTMENTS", "ORDER_LINES"}).write(folder.file("job.spr"));
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 16 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const cli_result result = run_cli({folder.file("job.spr")});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    const std::string spool_error = "Failed to write sheet data into a temporary file in " + folder.path().string() +
                                    " (for " + dest + "): File too large";
    EXPECT_NE(result.err.find(spool_error), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("no workbook was written. " + dest + " was left as it was."), std::string::npos)
        << result.err;
    EXPECT_EQ(read_file(dest), "earlier workbook");
    EXPECT_EQ(stray_files(folder.path(), {"limited.xls", "job.spr"}), std::vector<std::string>{});
#endif
}
