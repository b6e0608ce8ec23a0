// The session through the OCI emulator: connecting and its errors, the table list by scope
// and server age, query checks, counts, and the SELECT built for a table.
#include "oracle/oracle_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "emulator_support.h"
#include "oracle/client_calls.h"
#include "oracle/ora_exception.h"
#include "oracle/oracle_table_reader.h"

namespace {

// The ORA number and text of a failed connect.
struct connect_failure {
    int code = 0;
    std::string message;
};

connect_failure failed_connect(const connection_settings& settings) {
    oracle_session session(emulator_library());
    try {
        session.connect(settings);
    } catch (const ora_exception& error) {
        return {error.code(), error.message()};
    }
    return {};
}

const std::vector<std::string> people_table{
    "CREATE TABLE PEOPLE (ID NUMBER(10) NOT NULL, NAME VARCHAR2(30))",
    "INSERT INTO PEOPLE VALUES (1, 'Ann'), (2, 'Bob'), (3, NULL)",
};

const std::vector<std::string> listing_schema{
    "CREATE TABLE EMP (ID NUMBER(4))",
    "CREATE TABLE SCRATCH (ID NUMBER(4))",
    "CREATE TABLE INNER_ROWS (ID NUMBER(4))",
    "CREATE TABLE ORGANISED (ID NUMBER(4) PRIMARY KEY)",
    "CREATE TABLE OCIEMU_TABLE_FLAGS (TABLE_NAME TEXT, TEMPORARY TEXT, NESTED TEXT, IOT_TYPE TEXT)",
    "INSERT INTO OCIEMU_TABLE_FLAGS VALUES ('SCRATCH', 'Y', 'NO', NULL), ('INNER_ROWS', 'N', 'YES', NULL), "
    "('ORGANISED', 'N', 'NO', 'IOT')",
    "CREATE VIEW EMP_IDS AS SELECT ID FROM EMP",
    "CREATE TABLE \"BIN$k2Vx9Q==$0\" (ID NUMBER(4))",
};

}  // namespace

// An IPv6 host: connect_string.ipv6_hosts_get_brackets_... and ociemu an_ipv6_host_needs_its_brackets.
TEST(session_connect, composed_strings_from_the_connection_page_reach_the_service) {
    emulator_database database("PAGEDB", people_table);
    oracle_session session(emulator_library());
    session.connect({"", "1522", "PAGEDB", "scott", "tiger"});  // "//localhost:1522/PAGEDB"
    EXPECT_TRUE(session.is_connected());
    EXPECT_EQ(session.tables(), (std::vector<std::string>{"PEOPLE"}));
}

TEST(session_connect, listener_and_logon_failures_carry_their_ora_code_and_text) {
    emulator_database database("PWDB", people_table);
    const std::pair<connect_failure, connect_failure> cases[] = {
        {failed_connect({"", "", "PWDB", "SCOTT", "TIGER"}),
         {1017, "ORA-01017: invalid username/password; logon denied"}},
        {failed_connect({"", "", "PWDB", "locky", "pw"}), {28000, "ORA-28000: the account is locked"}},
        {failed_connect({"", "", "NOSUCHALIAS", "SCOTT", "tiger"}),
         {12154, "ORA-12154: TNS:could not resolve the connect identifier specified"}},
        {failed_connect({"localhost", "1521", "NOSUCHSERVICE", "SCOTT", "tiger"}),
         {12514, "ORA-12514: TNS:listener does not currently know of service requested in connect descriptor"}},
        {failed_connect({"db.invalid", "", "ORCL", "SCOTT", "tiger"}),
         {12545, "ORA-12545: Connect failed because target host or object does not exist"}},
    };
    for (const auto& [got, expected] : cases) {
        EXPECT_EQ(got.code, 0x100000 | expected.code);
        EXPECT_EQ(got.message, expected.message);
    }
}

TEST(session_connect, a_failed_logon_leaves_no_session_and_a_second_connect_replaces_the_first) {
    emulator_database first("FIRSTDB", people_table);
    emulator_database second("SECONDDB", {"CREATE TABLE OTHER (X NUMBER)", "INSERT INTO OTHER VALUES (7)"});
    oracle_session session(emulator_library());
    EXPECT_THROW(session.connect({"", "", "FIRSTDB", "SCOTT", "wrong"}), ora_exception);
    EXPECT_FALSE(session.is_connected());
    EXPECT_THROW(session.tables(), tk_exception);  // nothing to ask
    session.connect({"", "", "FIRSTDB", "SCOTT", "tiger"});
    EXPECT_EQ(session.select_number("SELECT COUNT(*) FROM PEOPLE"), 3);
    session.connect({"", "", "SECONDDB", "SCOTT", "tiger"});
    EXPECT_EQ(session.tables(), (std::vector<std::string>{"OTHER"}));
    try {
        session.select_number("SELECT COUNT(*) FROM PEOPLE");
        FAIL() << "the first server is still attached";
    } catch (const ora_exception& error) {
        EXPECT_EQ(error.code(), 0x100000 | 942);
        EXPECT_EQ(error.message(), "ORA-00942: table or view does not exist");
    }
    // A failed reconnect ends the old session.
    EXPECT_THROW(session.connect({"", "", "FIRSTDB", "SCOTT", "wrong"}), ora_exception);
    EXPECT_FALSE(session.is_connected());
}

// Before, every logon sent a name and password (OCI_CRED_RDBMS), so a wallet or OS account
// could not log on; an expiring password's warning was dropped and an expired one unexplained.
TEST(session_connect, external_credentials_and_expiring_or_expired_passwords) {
    emulator_database database("AUTHDB", {
        "ALTER TABLE OCIEMU_USERS ADD COLUMN EXTERNAL TEXT",
        "ALTER TABLE OCIEMU_USERS ADD COLUMN EXPIRES_IN_DAYS INTEGER",
        "INSERT INTO OCIEMU_USERS VALUES ('OPS$RUNNER', NULL, 0, 'Y', NULL), ('SOON', 'pw', 0, 'N', 5), "
        "('GONE', 'pw', 0, 'N', 0)",
        "CREATE TABLE T (X NUMBER)",
    });
    oracle_session session(emulator_library());
    session.connect({"", "", "AUTHDB", "", ""});
    EXPECT_TRUE(session.is_connected());
    EXPECT_EQ(session.logon_warning(), "");
    EXPECT_EQ(session.tables(), (std::vector<std::string>{"T"}));
    session.connect({"", "", "AUTHDB", "SOON", "pw"});
    EXPECT_TRUE(session.is_connected());
    EXPECT_EQ(session.logon_warning(), "ORA-28002: the password will expire within 5 days");
    const connect_failure expired = failed_connect({"", "", "AUTHDB", "GONE", "pw"});
    EXPECT_EQ(expired.code, 0x100000 | 28001);
    EXPECT_EQ(expired.message.rfind("ORA-28001", 0), 0u) << expired.message;
    EXPECT_NE(expired.message.find("The password of this user has expired: it must be changed"), std::string::npos)
        << expired.message;
}

// An unreachable host holds the attach for minutes and the client may ignore OCIBreak: a stop
// while connecting could not end the program.
TEST(session_connect, a_stop_ends_a_hanging_attach_and_its_late_end_is_let_go) {
    emulator_database database("HANGDB", people_table);
    const auto start = std::chrono::steady_clock::now();
    setenv("OCIEMU_ATTACH_HANG_SECONDS", "2", 1);
    {
        oracle_session session(emulator_library());
        std::thread stopper([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            session.break_calls();
        });
        EXPECT_THROW(session.connect({"", "", "HANGDB", "SCOTT", "tiger"}), tk_final_exception);
        stopper.join();
        unsetenv("OCIEMU_ATTACH_HANG_SECONDS");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500)) << "the stop waited";
        EXPECT_FALSE(session.is_connected());
    }  // the session goes while its attach still waits
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));  // the attach ends, unwanted
    oracle_session again(emulator_library());
    again.connect({"", "", "HANGDB", "SCOTT", "tiger"});
    EXPECT_EQ(again.select_number("SELECT COUNT(*) FROM PEOPLE"), 3);
}

// An unreachable host held the attach for as long as the network let it.
TEST(session_connect, an_attach_the_listener_never_answers_ends_at_the_connect_timeout) {
    emulator_database database("DEADHOSTDB", people_table);
    setenv("OCIEMU_ATTACH_HANG_SECONDS", "30", 1);
    connection_settings settings{"localhost", "", "DEADHOSTDB", "SCOTT", "tiger"};
    settings.connect_timeout_seconds = 1;
    const connect_failure failure = failed_connect(settings);
    unsetenv("OCIEMU_ATTACH_HANG_SECONDS");
    EXPECT_EQ(failure.code, 0x100000 | 12170) << failure.message;
}

// A dead peer held a call until TCP gave up: a round trip now has a limit, which statements the
// server may work on for long (an item's SELECT, a COUNT) do not have.
TEST(call_timeout, a_round_trip_past_the_limit_fails_with_ora_03156_but_an_items_select_may_take_long) {
    emulator_database database("SLOWDB", people_table);
    client_calls calls(emulator_library());
    calls.log_on("SLOWDB", "SCOTT", "tiger");
    calls.set_call_timeout(50);
    setenv("OCIEMU_RTT_US", "150000", 1);
    EXPECT_NO_THROW(oracle_table_reader(calls, "SELECT ID FROM PEOPLE", -1));
    statement_handle statement(calls);
    calls.prepare(statement.get(), "SELECT COUNT(*) FROM PEOPLE");
    try {
        calls.execute(statement.get(), 1, OCI_DEFAULT);
        ADD_FAILURE() << "a slow round trip passed its limit";
    } catch (const ora_exception& error) {
        EXPECT_EQ(error.oracle_number(), 3156);
        EXPECT_FALSE(error.is_connection_lost());
    }
    unsetenv("OCIEMU_RTT_US");
}

TEST(table_listing, user_scope_leaves_out_temporary_nested_and_recycle_bin_tables_and_keeps_iot) {
    emulator_database database("LISTDB", listing_schema);
    emulator_session session("LISTDB");
    EXPECT_EQ(sorted(session->tables()), (std::vector<std::string>{"EMP", "ORGANISED"}));
    EXPECT_EQ(session->tables().size(), 2u) << "listing again repeats names";
    // Oracle names compare exactly, and an unlisted table is not opened
    try {
        session->open_table("emp");
        FAIL() << "a lower-case name was opened";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(), "The table does not exist in the source database.");
        EXPECT_EQ(error.level(), tk_level_recoverable);
    }
}

TEST(table_listing, all_scope_names_tables_with_their_owner_and_reads_them) {
    emulator_database database("ALLDB", people_table);
    emulator_session session("ALLDB", catalogue_scope::all_visible_tables);
    const auto tables = session->tables();
    ASSERT_EQ(tables, (std::vector<std::string>{"SCOTT.PEOPLE"}));
    EXPECT_EQ(session->table_select(tables[0]), "SELECT * FROM \"SCOTT\".\"PEOPLE\"");
    const auto reader = session->open_table(tables[0]);
    EXPECT_EQ(reader->estimated_rows(), 3);
    EXPECT_EQ(read_all(*reader).size(), 3u);
}

TEST(table_listing, an_old_server_lists_every_table_with_the_plain_query) {
    std::vector<std::string> schema = listing_schema;
    schema.push_back("CREATE TABLE OCIEMU_SETTINGS (NAME TEXT, VALUE TEXT)");
    schema.push_back("INSERT INTO OCIEMU_SETTINGS VALUES ('BANNER', 'Oracle7 Server Release 7.3.4.0.0 - Production')");
    emulator_database database("OLDLISTDB", schema);
    emulator_session session("OLDLISTDB");
    EXPECT_EQ(session->server_version(), (7u << 16) | (3u << 8) | 4u);
    EXPECT_EQ(sorted(session->tables()),
              (std::vector<std::string>{"BIN$k2Vx9Q==$0", "EMP", "INNER_ROWS", "ORGANISED", "SCRATCH"}));
}

TEST(query_check, a_valid_select_passes_and_is_not_run) {
    emulator_database database("TESTQDB", listing_schema);
    emulator_session session("TESTQDB");
    const unsigned long long before = emulator_round_trips();
    EXPECT_NO_THROW(session->check_query("SELECT ID FROM EMP WHERE ID > 1"));
    // Describing costs one round trip; running and fetching would cost more.
    EXPECT_LE(emulator_round_trips() - before, 1u);
}

TEST(query_check, a_server_error_raises_the_servers_code_and_message) {
    emulator_database database("BADQDB", listing_schema);
    emulator_session session("BADQDB");
    try {
        session->check_query("SELECT ID FROM NO_SUCH_TABLE");
        FAIL() << "an unknown table passed";
    } catch (const ora_exception& error) {
        EXPECT_EQ(error.code(), 0x100000 | 942);
        EXPECT_EQ(error.message(), "ORA-00942: table or view does not exist");
    }
    EXPECT_THROW(session->open_query("Broken", "SELECT NOPE FROM EMP"), ora_exception);
}

// Both ways a user's text reaches the server: checking it and opening it as a named query.
TEST(query_check, a_statement_that_is_not_a_select_is_refused_and_not_run) {
    emulator_database database("DMLQDB", listing_schema);
    database.exec("INSERT INTO EMP VALUES (1)");
    emulator_session session("DMLQDB");
    for (const char* sql : {"DELETE FROM EMP", "DROP TABLE EMP", "UPDATE EMP SET ID = 2"}) {
        for (const bool as_named_query : {false, true}) {
            try {
                if (as_named_query) session->open_query("Cleanup", sql);
                else session->check_query(sql);
                ADD_FAILURE() << sql << " passed";
            } catch (const ora_exception&) {
                ADD_FAILURE() << sql << " reached the server";
            } catch (const tk_exception& error) {
                EXPECT_EQ(error.message(), "Only a SELECT statement can be read as a query.");
            }
        }
    }
    EXPECT_EQ(session->select_number("SELECT COUNT(*) FROM EMP"), 1);
    EXPECT_NO_THROW(session->check_query("WITH X AS (SELECT ID FROM EMP) SELECT * FROM X"));
}

TEST(counts, are_read_as_eight_bytes_past_two_to_the_31) {
    // a table of 3,000,000,000 rows failed with ORA-01455 when its count was read into 4 bytes
    emulator_database database("COUNTDB", listing_schema);
    emulator_session session("COUNTDB");
    EXPECT_EQ(session->select_number("SELECT 3000000000 FROM DUAL"), 3'000'000'000LL);
    EXPECT_EQ(session->select_number("SELECT -9223372036854775807 FROM DUAL"), -9'223'372'036'854'775'807LL);
}

namespace {

const std::vector<std::string> staff_schema{
    "CREATE TABLE STAFF (ID NUMBER(4) NOT NULL, NAME VARCHAR2(10) DEFAULT 'abc', "
    "HIRED DATE DEFAULT SYSDATE, BONUS NUMBER(4) DEFAULT 0, NICK NVARCHAR2(20), INITIALS NCHAR(3), "
    "NOTES LONG, SEEN \"TIMESTAMP(6) WITH TIME ZONE\", CODE VARCHAR2(10) DEFAULT 'it''s')",
    "INSERT INTO STAFF VALUES (1, 'Ann', '2001-02-03 04:05:06', 10, 'Аня', 'AB', 'long note', "
    "'2020-01-01 10:00:00 +05:00', 'x')",
    "INSERT INTO STAFF VALUES (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
};

}  // namespace

TEST(table_select, a_table_of_readable_columns_is_read_with_select_star_and_a_zone_is_dropped) {
    emulator_database database("STARDB", staff_schema);
    emulator_session session("STARDB");
    EXPECT_EQ(session->table_select("STAFF"), "SELECT * FROM \"STAFF\"");
    const auto reader = session->open_table("STAFF");
    ASSERT_EQ(reader->columns().size(), 9u);
    EXPECT_EQ(reader->columns()[7].name, "SEEN");
    const auto rows = read_all(*reader);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (described_row{"i:1", "u:Ann", "dt:2001-02-03 04:05:06.000", "i:10", "u:Аня", "u:AB ",
                                      "u:long note", "dt:2020-01-01 10:00:00.000", "u:x"}));
}

TEST(table_select, nullability_national_sizes_in_characters_and_long_marks_are_described) {
    emulator_database database("DETAILDB", staff_schema);
    emulator_session session("DETAILDB");
    const auto reader = session->open_table("STAFF");
    const std::vector<column_info>& columns = reader->columns();
    EXPECT_FALSE(columns[0].is_nullable);
    EXPECT_TRUE(columns[1].is_nullable);
    EXPECT_EQ(columns[1].size, 10);
    EXPECT_EQ(columns[4].size, 20);  // NVARCHAR2(20): 40 bytes
    EXPECT_EQ(columns[5].size, 3);
    EXPECT_EQ(columns[4].type_name, "NVARCHAR2");
    EXPECT_EQ(columns[6].type_name, "LONG");
    EXPECT_EQ(columns[6].size, 0);
}

// Such a table became an empty sheet, "converted" with 0 records; a column left out was
// named only in the trace log.
TEST(table_select, unreadable_columns_are_named_and_a_table_of_none_is_an_error_not_an_empty_sheet) {
    emulator_database database("NOCOLDB", {
        "CREATE TABLE ONLY_FILES (F BFILE, GEO \"MDSYS.SDO_GEOMETRY\")",
        "INSERT INTO ONLY_FILES VALUES (NULL, NULL)",
        "CREATE TABLE SITES (ID NUMBER(4), GEO \"MDSYS.SDO_GEOMETRY\", OK BOOLEAN, DOC JSON, EMB VECTOR)",
        "INSERT INTO SITES VALUES (1, NULL, 1, '{\"a\":[1,2]}', '[1.5,2]'), (2, NULL, 'FALSE', NULL, NULL)",
    });
    emulator_session session("NOCOLDB");
    EXPECT_EQ(session->table_select("ONLY_FILES"), "");
    try {
        session->open_table("ONLY_FILES");
        FAIL() << "a table of no readable column was opened";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(),
                  "No column of the table can be read: F of type BFILE, GEO of type MDSYS.SDO_GEOMETRY.");
        EXPECT_EQ(error.level(), tk_level_recoverable);
    }
    const auto reader = session->open_table("SITES");
    EXPECT_EQ(reader->left_out_columns(),
              (std::vector<std::string>{
                  "column GEO of SITES: type MDSYS.SDO_GEOMETRY cannot be read; the column is left out"}));
    ASSERT_EQ(reader->columns().size(), 4u);
    EXPECT_EQ(reader->columns()[1].type_name, "BOOLEAN");
    EXPECT_EQ(reader->columns()[2].type_name, "JSON");
    EXPECT_EQ(reader->columns()[3].type_name, "VECTOR");
    const auto rows = read_all(*reader);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (described_row{"i:1", "true", "u:{\"a\":[1,2]}", "u:[1.5,2]"}));
    EXPECT_EQ(rows[1], (described_row{"i:2", "false", "null", "null"}));
}

TEST(table_select, a_table_whose_names_hold_quotes_is_read_without_its_unreadable_column) {
    emulator_database database("QUOTEDB", {
        "CREATE TABLE \"Mc\"\"Don's\" (\"Col\"\"A\" NUMBER(4), \"b'c\" VARCHAR2(5), F BFILE, X XMLTYPE)",
        "INSERT INTO \"Mc\"\"Don's\" VALUES (1, 'x', NULL, '<a>б</a>'), (2, 'y', NULL, NULL)",
    });
    emulator_session session("QUOTEDB");
    // the dictionary promises no order: the select list keeps the table's all the same
    setenv("OCIEMU_SHUFFLE_DICTIONARY", "1", 1);
    const std::string select = session->table_select("Mc\"Don's");
    unsetenv("OCIEMU_SHUFFLE_DICTIONARY");
    EXPECT_EQ(select,
              "SELECT \"Col\"\"A\",\"b'c\",XMLSERIALIZE(CONTENT \"X\" AS CLOB) AS \"X\" FROM \"Mc\"\"Don's\"");
    const auto reader = session->open_table("Mc\"Don's");
    EXPECT_EQ(reader->estimated_rows(), 2);
    ASSERT_EQ(reader->columns().size(), 3u);
    EXPECT_EQ(reader->columns()[0].name, "Col\"A");
    const auto rows = read_all(*reader);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (described_row{"i:1", "u:x", "u:<a>б</a>"}));
    EXPECT_EQ(rows[1], (described_row{"i:2", "u:y", "null"}));
}
