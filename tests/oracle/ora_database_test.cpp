// The Oracle source database: table lists by scope and server age, query checks and counts.
#include "oracle/ora_database.h"

#include <gtest/gtest.h>

#include "emulator_support.h"
#include "oracle/ora_exception.h"

namespace {

const std::vector<std::string> listing_schema{
    "CREATE TABLE EMP (ID NUMBER(4))",
    "CREATE TABLE SCRATCH (ID NUMBER(4))",
    "CREATE TABLE INNER_ROWS (ID NUMBER(4))",
    "CREATE TABLE ORGANISED (ID NUMBER(4) PRIMARY KEY)",
    "CREATE TABLE OCIEMU_TABLE_FLAGS (TABLE_NAME TEXT, TEMPORARY TEXT, NESTED TEXT, IOT_TYPE TEXT)",
    "INSERT INTO OCIEMU_TABLE_FLAGS VALUES ('SCRATCH', 'Y', 'NO', NULL), ('INNER_ROWS', 'N', 'YES', NULL), "
    "('ORGANISED', 'N', 'NO', 'IOT')",
    "CREATE VIEW EMP_IDS AS SELECT ID FROM EMP",
};

}  // namespace

TEST(table_listing, user_scope_leaves_out_temporary_and_nested_tables_and_keeps_iot) {
    emulator_database database("LISTDB", listing_schema);
    emulator_session session("LISTDB");
    EXPECT_EQ(sorted(session.database().get_tables()), (std::vector<std::string>{"EMP", "ORGANISED"}));
    EXPECT_EQ(session.database().get_tables().size(), 2u) << "listing again repeats names";
    EXPECT_TRUE(session.database().is_table_exist("EMP"));
    EXPECT_FALSE(session.database().is_table_exist("emp"));  // Oracle names compare exactly
}

TEST(table_listing, an_old_server_lists_every_table_with_the_plain_query) {
    std::vector<std::string> schema = listing_schema;
    schema.push_back("CREATE TABLE OCIEMU_SETTINGS (NAME TEXT, VALUE TEXT)");
    schema.push_back("INSERT INTO OCIEMU_SETTINGS VALUES ('BANNER', 'Oracle7 Server Release 7.3.4.0.0 - Production')");
    emulator_database database("OLDLISTDB", schema);
    emulator_session session("OLDLISTDB");
    EXPECT_EQ(sorted(session.database().get_tables()),
              (std::vector<std::string>{"EMP", "INNER_ROWS", "ORGANISED", "SCRATCH"}));
}

TEST(query_test, a_valid_select_is_true_and_is_not_run) {
    emulator_database database("TESTQDB", listing_schema);
    emulator_session session("TESTQDB");
    const unsigned long long before = emulator_round_trips();
    EXPECT_TRUE(session.database().test_query("SELECT ID FROM EMP WHERE ID > 1"));
    // Describing costs one round trip; running and fetching would cost more.
    EXPECT_LE(emulator_round_trips() - before, 1u);
}

TEST(query_test, a_server_error_raises_the_servers_code_and_message) {
    emulator_database database("BADQDB", listing_schema);
    emulator_session session("BADQDB");
    try {
        session.database().test_query("SELECT ID FROM NO_SUCH_TABLE");
        FAIL() << "an unknown table passed";
    } catch (const ora_exception& error) {
        EXPECT_EQ(error.code(), 0x100000 | 942);
        EXPECT_EQ(error.message(), "ORA-00942: table or view does not exist");
    }
    EXPECT_THROW(session.database().get_query("Broken", "SELECT NOPE FROM EMP", 1), ora_exception);
}

// Both ways a user's text reaches the server, testing it and opening it as a named query.
TEST(query_test, a_statement_that_is_not_a_select_is_refused_and_not_run) {
    emulator_database database("DMLQDB", listing_schema);
    database.exec("INSERT INTO EMP VALUES (1)");
    emulator_session session("DMLQDB");
    for (const char* sql : {"DELETE FROM EMP", "DROP TABLE EMP", "UPDATE EMP SET ID = 2"}) {
        for (const bool as_named_query : {false, true}) {
            try {
                if (as_named_query) session.database().get_query("Cleanup", sql, 1);
                else session.database().test_query(sql);
                ADD_FAILURE() << sql << " passed";
            } catch (const ora_exception&) {
                ADD_FAILURE() << sql << " reached the server";
            } catch (const tk_exception& error) {
                EXPECT_EQ(error.message(), "Only a SELECT statement can be read as a query.");
            }
        }
    }
    EXPECT_EQ(session.engine().get_records_cnt("EMP"), 1);
    EXPECT_TRUE(session.database().test_query("WITH X AS (SELECT ID FROM EMP) SELECT * FROM X"));
}

TEST(recordsets, counts_are_read_as_eight_bytes_past_two_to_the_31) {
    // a table of 3,000,000,000 rows failed with ORA-01455 when its count was read into 4 bytes
    emulator_database database("COUNTDB", listing_schema);
    emulator_session session("COUNTDB");
    EXPECT_EQ(session.engine().select_number("SELECT 3000000000 FROM DUAL"), 3'000'000'000LL);
    EXPECT_EQ(session.engine().select_number("SELECT -9223372036854775807 FROM DUAL"), -9'223'372'036'854'775'807LL);
}
