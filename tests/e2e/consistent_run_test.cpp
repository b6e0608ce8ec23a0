// A whole run on a busy server: other sessions commit between the run's statements, yet every
// item shows the same moment; queries run once as typed and never lock.
#include <gtest/gtest.h>

#include "cli_harness.h"

TEST(consistent_run, items_read_one_snapshot_while_other_sessions_insert_and_locking_queries_are_refused) {
    temp_folder folder, data;
    // SECRET is listed but not granted to the user: its item fails and the run goes on
    make_database(data.path(), "BUSY",
                  "CREATE TABLE SALES (ID NUMBER(8));\nINSERT INTO SALES VALUES (1), (2), (3);\n"
                  "CREATE TABLE SECRET (ID NUMBER(8));\n"
                  "CREATE TABLE OCIEMU_TABLE_PRIVILEGES (GRANTEE TEXT, TABLE_NAME TEXT, PRIVILEGE TEXT);\n"
                  "INSERT INTO OCIEMU_TABLE_PRIVILEGES VALUES ('BOSS', 'SECRET', 'SELECT');\n");
    // the count comes after the table: outside one snapshot it would see the rows inserted since
    job_profile job = demo_job(folder.file("sales.xlsx"), 2, {"SECRET", "SALES"});
    job.src = "BUSY";
    job.queries = {{"Sales counted", "SELECT COUNT(*) AS N FROM SALES -- as the table was read"},
                   {"Locked", "SELECT * FROM SALES FOR UPDATE"}};
    job.write(folder.file("job.spr"));
    cli_options options;
    options.environment["OCIEMU_DATA"] = data.path().string();
    options.environment["OCIEMU_CHANGE_ROWS"] = "SALES:+5";  // before every statement but the first
    const cli_result run = run_cli({folder.file("job.spr")}, options);
    EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
    EXPECT_NE(run.err.find("Locked: A query with FOR UPDATE locks the rows it reads"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("SECRET: ORA-01031: insufficient privileges"), std::string::npos) << run.err;
    const auto sheets = read_workbook(job.dest);
    ASSERT_EQ(sheets.size(), 2u);
    const read_sheet& sales = find_sheet(sheets, "SALES");
    const read_sheet& counted = find_sheet(sheets, "Sales counted");
    ASSERT_EQ(counted.rows.size(), 2u);
    EXPECT_EQ(counted.rows[1], (std::vector<std::string>{"n:" + std::to_string(sales.rows.size() - 1)}));
    EXPECT_NE(run.out.find("Table 'SALES' (" + std::to_string(sales.rows.size() - 1) + " records) is converted"),
              std::string::npos)
        << run.out;
}
