// Rows past the sheet limit: reported, or continued in part workbooks, and which earlier
// part workbooks a later run removes. (Columns past it: run_formats_test.cpp.)
#include <gtest/gtest.h>

#include "cli_harness.h"

// Excel 5.0 holds 16383 data rows a sheet.
TEST(row_limit, rows_past_it_are_reported_or_continue_in_part_workbooks_that_a_later_run_replaces) {
    temp_folder folder, data;
    make_database(data.path(), "LIMITS",
                  "CREATE TABLE LONG_TABLE (ID NUMBER(9), LABEL VARCHAR2(20));\n"
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 16400)\n"
                  "INSERT INTO LONG_TABLE SELECT i, 'row ' || i FROM n;\n"
                  "CREATE TABLE SMALL (ID NUMBER(3));\nINSERT INTO SMALL VALUES (7);\n");
    cli_options options;
    options.environment["OCIEMU_DATA"] = data.path().string();
    job_profile job = demo_job(folder.file("long.xls"), 0, {"LONG_TABLE"});
    job.src = "LIMITS";
    const auto run = [&] {
        job.write(folder.file("job.spr"));
        return run_cli({folder.file("job.spr")}, options);
    };
    const cli_result unsplit = run();
    EXPECT_EQ(unsplit.exit_code, 1) << unsplit.err;
    EXPECT_NE(unsplit.err.find("LONG_TABLE"), std::string::npos);
    EXPECT_NE(unsplit.err.find("16383"), std::string::npos) << unsplit.err;
    auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_EQ(sheets[0].rows.size(), 16384u);
    EXPECT_EQ(sheets[0].rows.back()[0], "n:16383");
    EXPECT_FALSE(std::filesystem::exists(folder.file("long(1).xls")));

    // Split, the rows go on in a part workbook and later items in the main one.
    job.split_data = true;
    job.tables = {"LONG_TABLE", "SMALL"};
    ASSERT_EQ(run().exit_code, 0);
    sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].rows.size(), 16384u);
    EXPECT_EQ(sheets[1].name, "SMALL");
    const auto part = read_workbook(folder.file("long(1).xls"));
    ASSERT_EQ(part.size(), 1u);
    EXPECT_EQ(part[0].name, "LONG_TABLE");
    ASSERT_EQ(part[0].rows.size(), 18u);  // header + rows 16384 .. 16400
    EXPECT_EQ(part[0].rows[1][0], "n:16384");
    EXPECT_EQ(part[0].rows.back()[0], "n:16400");
    EXPECT_FALSE(std::filesystem::exists(folder.file("long(2).xls")));

    // A run that writes no workbook at all (the table is gone) leaves everything as it was.
    const std::string before = read_file(job.dest), part_before = read_file(folder.file("long(1).xls"));
    job.tables = {"GONE"};
    const cli_result nothing = run();
    EXPECT_EQ(nothing.exit_code, 2) << nothing.err;  // converted nothing: could not run
    EXPECT_NE(nothing.err.find("No workbook was written: no selected table or query could be converted. " + job.dest +
                               " was left as it was."),
              std::string::npos)
        << nothing.err;
    EXPECT_EQ(read_file(job.dest), before);
    EXPECT_EQ(read_file(folder.file("long(1).xls")), part_before);

    // A run that needs no part removes this destination's earlier one once its own workbook
    // is written; other names are the user's business. (A part's name no run of this
    // destination wrote: destination_check_test's part_names_that_are_not_this_destinations_...)
    write_file(folder.file("other(1).xls"), "the user's");
    job.tables = {"SMALL"};
    ASSERT_EQ(run().exit_code, 0);
    EXPECT_EQ(read_workbook(job.dest).at(0).rows.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(folder.file("long(1).xls")));
    EXPECT_EQ(read_file(folder.file("other(1).xls")), "the user's");
    EXPECT_EQ(stray_files(folder.path(), {"job.spr", "long.xls", "other(1).xls"}), std::vector<std::string>{});
}
