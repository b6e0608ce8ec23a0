// The engine: connect strings, quoted names, server versions and the readable-type check;
// connecting and its errors through the emulator.
#include "oracle/ora_engine.h"

#include <gtest/gtest.h>

#include "emulator_support.h"
#include "oracle/ora_exception.h"

TEST(connect_string, an_empty_host_is_localhost_an_empty_port_1521_and_both_empty_keep_the_service) {
    EXPECT_EQ(ora_engine::compose_connect_string("", "", "ORCL"), "ORCL");
    EXPECT_EQ(ora_engine::compose_connect_string("", "1522", "ORCL"), "//localhost:1522/ORCL");
    EXPECT_EQ(ora_engine::compose_connect_string("dbhost", "", "XE"), "//dbhost:1521/XE");
}

TEST(quoted_names, a_users_table_name_is_one_identifier_with_its_quotes_doubled) {
    EXPECT_EQ(ora_engine::safe_name("SCOTT.EMP", true), "\"SCOTT.EMP\"");
    EXPECT_EQ(ora_engine::safe_name("O\"W.T", true), "\"O\"\"W.T\"");
}

TEST(server_version, the_first_word_with_three_numbers_gives_the_version_else_zero) {
    EXPECT_EQ(ora_engine::parse_version("Oracle Database 11g Enterprise Edition Release 11.2.0.1.0 - 64bit"),
              (11u << 16) | (2u << 8) | 0u);
    EXPECT_EQ(ora_engine::parse_version("Oracle7 Server Release 7.3.4.0.0 - Production"), (7u << 16) | (3u << 8) | 4u);
    // "19c" is digit-led but not three numbers; the later word wins.
    EXPECT_EQ(ora_engine::parse_version("Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production"),
              19u << 16);
    // a banner without such a word gives zero
    EXPECT_EQ(ora_engine::parse_version("Oracle Database Express Edition - Production"), 0u);
    EXPECT_EQ(ora_engine::parse_version("Release 12.1 -"), 0u);
    EXPECT_EQ(ora_engine::parse_version(""), 0u);
}

TEST(readable_types, sized_timestamp_and_interval_forms_are_kept_and_unreadable_or_misspelt_ones_refused) {
    for (const char* type : {"VARCHAR2(20 CHAR)", "NUMBER(10,2)", "LONG RAW", "TIMESTAMP(9)",
                             "TIMESTAMP(6) WITH LOCAL TIME ZONE", "INTERVAL DAY(2) TO SECOND(6)", "XMLTYPE"})
        EXPECT_TRUE(ora_engine::is_supported_type(type)) << type;
    for (const char* type : {"BFILE", "SDO_GEOMETRY", "varchar2", "", "TIMESTAMP WITH", "INTERVAL"})
        EXPECT_FALSE(ora_engine::is_supported_type(type)) << type;
}

// ---- Through the OCI emulator ----

namespace {

// The ORA number and text of a failed connect, as the engine reports them.
struct connect_failure {
    int code = 0;
    std::string message;
};

connect_failure failed_connect(const std::string& connect_string, const std::string& user,
                               const std::string& password) {
    ora_engine engine({OCIEMU_LIBRARY});
    try {
        engine.connect(connect_string, user, password);
    } catch (const ora_exception& error) {
        return {error.code(), error.message()};
    }
    return {};
}

const std::vector<std::string> people_table{
    "CREATE TABLE PEOPLE (ID NUMBER(10) NOT NULL, NAME VARCHAR2(30))",
    "INSERT INTO PEOPLE VALUES (1, 'Ann'), (2, 'Bob'), (3, NULL)",
};

}  // namespace

TEST(engine_connect, composed_strings_from_the_connection_page_reach_the_service) {
    emulator_database database("PAGEDB", people_table);
    ora_engine engine({OCIEMU_LIBRARY});
    const auto db = engine.open_db("", "scott", "tiger", "1522", "PAGEDB");
    EXPECT_EQ(db->name(), "//localhost:1522/PAGEDB");
    EXPECT_TRUE(db->is_case_sensitive());
}

TEST(engine_connect, listener_and_logon_failures_carry_their_ora_code_and_text) {
    emulator_database database("PWDB", people_table);
    const std::pair<connect_failure, connect_failure> cases[] = {
        {failed_connect("PWDB", "SCOTT", "TIGER"), {1017, "ORA-01017: invalid username/password; logon denied"}},
        {failed_connect("PWDB", "locky", "pw"), {28000, "ORA-28000: the account is locked"}},
        {failed_connect("NOSUCHALIAS", "SCOTT", "tiger"),
         {12154, "ORA-12154: TNS:could not resolve the connect identifier specified"}},
        {failed_connect("//localhost:1521/NOSUCHSERVICE", "SCOTT", "tiger"),
         {12514, "ORA-12514: TNS:listener does not currently know of service requested in connect descriptor"}},
        {failed_connect("//db.invalid:1521/ORCL", "SCOTT", "tiger"),
         {12545, "ORA-12545: Connect failed because target host or object does not exist"}},
    };
    for (const auto& [got, expected] : cases) {
        EXPECT_EQ(got.code, 0x100000 | expected.code);
        EXPECT_EQ(got.message, expected.message);
    }
}

TEST(engine_connect, a_failed_logon_leaves_no_session_and_a_second_connect_succeeds) {
    emulator_database first("FIRSTDB", people_table);
    emulator_database second("SECONDDB", {"CREATE TABLE OTHER (X NUMBER)", "INSERT INTO OTHER VALUES (7)"});
    ora_engine engine({OCIEMU_LIBRARY});
    EXPECT_THROW(engine.connect("FIRSTDB", "SCOTT", "wrong"), ora_exception);
    EXPECT_FALSE(engine.is_connected());
    engine.connect("FIRSTDB", "SCOTT", "tiger");
    EXPECT_EQ(engine.get_records_cnt("PEOPLE"), 3);
    // The second connect replaces the first server: the old tables are gone.
    engine.connect("SECONDDB", "SCOTT", "tiger");
    EXPECT_EQ(engine.get_records_cnt("OTHER"), 1);
    try {
        engine.get_records_cnt("PEOPLE");
        FAIL() << "the first server is still attached";
    } catch (const ora_exception& error) {
        EXPECT_EQ(error.code(), 0x100000 | 942);
        EXPECT_EQ(error.message(), "ORA-00942: table or view does not exist");
    }
    // A failed reconnect ends the old session.
    EXPECT_THROW(engine.connect("FIRSTDB", "SCOTT", "wrong"), ora_exception);
    EXPECT_FALSE(engine.is_connected());
}

TEST(engine_connect, a_missing_library_leaves_no_engine_registered) {
    EXPECT_THROW(ora_engine({"/nonexistent/libclntsh.so"}), tk_exception);
    EXPECT_FALSE(ora_engine::is_initialized());
}
