// Connecting through the emulated client: connect-string forms, listener and logon errors, versions.
#include "oci_test_client.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <stdlib.h>

#include <cstring>

using namespace ociemu_test;

namespace {

class connect_test : public ::testing::Test {
protected:
    void SetUp() override { data_.create_database("orcl", "CREATE TABLE T (A NUMBER);"); }
    data_folder data_;
};

TEST_F(connect_test, every_easy_connect_form_and_alias_reaches_the_service_case_insensitively) {
    for (const char* target : {"ORCL", "orcl", "//localhost/ORCL", "//localhost:1521/orcl", "localhost:1522/Orcl",
                               "127.0.0.1:1521/ORCL", "//[::1]:1521/ORCL", "//::1/ORCL", "//LOCALHOST/ORCL",
                               "(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=localhost)(PORT=1521))"
                               "(CONNECT_DATA=(SERVICE_NAME=ORCL)))"}) {
        connection conn;
        EXPECT_EQ(conn.connect(target, "demo", "demo"), OCI_SUCCESS) << target << ": " << conn.error_text();
    }
}

TEST_F(connect_test, a_remote_host_is_refused_with_12545) {
    for (const char* target : {"//dbhost:1521/ORCL", "dbhost/ORCL", "(DESCRIPTION=(ADDRESS=(HOST=db.example.com))"
                                                                    "(CONNECT_DATA=(SERVICE_NAME=ORCL)))"}) {
        connection conn;
        EXPECT_EQ(conn.connect(target, "DEMO", "demo"), OCI_ERROR) << target;
        EXPECT_EQ(conn.error_code(), 12545);
        EXPECT_EQ(conn.error_text(), "ORA-12545: Connect failed because target host or object does not exist");
    }
}

TEST_F(connect_test, an_unknown_service_gives_12514_and_an_unknown_alias_12154) {
    connection by_service;
    EXPECT_EQ(by_service.connect("//localhost:1521/NOPE", "DEMO", "demo"), OCI_ERROR);
    EXPECT_EQ(by_service.error_text(),
              "ORA-12514: TNS:listener does not currently know of service requested in connect descriptor");
    connection by_alias;
    EXPECT_EQ(by_alias.connect("NOPE", "DEMO", "demo"), OCI_ERROR);
    EXPECT_EQ(by_alias.error_code(), 12154);
    EXPECT_EQ(by_alias.error_text(), "ORA-12154: TNS:could not resolve the connect identifier specified");
}

TEST_F(connect_test, user_names_ignore_case_but_passwords_do_not) {
    connection mixed_case;
    EXPECT_EQ(mixed_case.connect("ORCL", "scott", "Tiger"), OCI_SUCCESS) << mixed_case.error_text();
    connection wrong_case;
    EXPECT_EQ(wrong_case.connect("ORCL", "SCOTT", "tiger"), OCI_ERROR);
    EXPECT_EQ(wrong_case.error_text(), "ORA-01017: invalid username/password; logon denied");
    connection unknown;
    EXPECT_EQ(unknown.connect("ORCL", "NOBODY", "demo"), OCI_ERROR);
    EXPECT_EQ(unknown.error_code(), 1017);
}

TEST_F(connect_test, a_locked_account_gives_28000_only_with_the_right_password) {
    connection locked;
    EXPECT_EQ(locked.connect("ORCL", "blocked", "pw"), OCI_ERROR);
    EXPECT_EQ(locked.error_text(), "ORA-28000: the account is locked");
    connection wrong;
    EXPECT_EQ(wrong.connect("ORCL", "blocked", "other"), OCI_ERROR);
    EXPECT_EQ(wrong.error_code(), 1017);
}

TEST_F(connect_test, a_database_another_process_holds_locked_is_busy_not_a_wrong_password) {
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open((data_.path() / "orcl.db").c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ::setenv("OCIEMU_BUSY_TIMEOUT_MS", "50", 1);
    connection conn;
    EXPECT_EQ(conn.connect("ORCL", "DEMO", "demo"), OCI_ERROR);
    EXPECT_EQ(conn.error_text(), "ORA-00054: resource busy and acquire with NOWAIT specified or timeout expired");
    ::unsetenv("OCIEMU_BUSY_TIMEOUT_MS");
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    connection again;
    EXPECT_EQ(again.connect("ORCL", "DEMO", "demo"), OCI_SUCCESS) << again.error_text();
}

TEST_F(connect_test, a_utf8_environment_connects_with_byte_texts) {
    connection conn(false);
    conn.connect_or_fail("//localhost/orcl");
    EXPECT_EQ(query_text(conn, "SELECT COUNT(*) FROM T"), (text_rows{{"0"}}));
}

TEST_F(connect_test, server_version_reports_the_configured_banner_as_utf16) {
    data_.create_database("old", "CREATE TABLE OCIEMU_SETTINGS (NAME, VALUE);"
                                 "INSERT INTO OCIEMU_SETTINGS VALUES ('BANNER', 'Oracle7 Server Release 7.3.4.0.0 - Production');");
    connection conn;
    conn.connect_or_fail("OLD");
    char16_t buffer[200] = {};
    ASSERT_EQ(oci().server_version(conn.svc, conn.err, reinterpret_cast<OraText*>(buffer), sizeof buffer, OCI_HTYPE_SVCCTX),
              OCI_SUCCESS);
    EXPECT_EQ(to_utf8(buffer), "Oracle7 Server Release 7.3.4.0.0 - Production");
    EXPECT_EQ(query_text(conn, "select * from v$version"), (text_rows{{"Oracle7 Server Release 7.3.4.0.0 - Production"}}));
}

TEST_F(connect_test, client_version_is_a_19_client) {
    sword major = 0, update = 0, revision = -1, increment = -1, ext = -1;
    oci().client_version(&major, &update, &revision, &increment, &ext);
    EXPECT_EQ(major, 19);
    EXPECT_EQ(update, 11);
    EXPECT_EQ(revision, 0);
}

TEST_F(connect_test, attach_and_logon_each_cost_one_round_trip) {
    connection conn;
    const auto before = oci().round_trips();
    conn.connect_or_fail("ORCL");
    EXPECT_EQ(oci().round_trips() - before, 2u);
}

TEST_F(connect_test, error_get_writes_a_terminated_utf16_message_ending_in_a_line_feed) {
    connection conn;
    ASSERT_EQ(conn.connect("NOPE", "DEMO", "demo"), OCI_ERROR);
    char16_t buffer[100];
    std::memset(buffer, 0x7F, sizeof buffer);
    sb4 code = 0;
    ASSERT_EQ(oci().error_get(conn.err, 1, nullptr, &code, reinterpret_cast<OraText*>(buffer), sizeof buffer,
                              OCI_HTYPE_ERROR),
              OCI_SUCCESS);
    EXPECT_EQ(code, 12154);
    EXPECT_EQ(std::u16string(buffer), u"ORA-12154: TNS:could not resolve the connect identifier specified\n");
    EXPECT_EQ(oci().error_get(conn.err, 2, nullptr, &code, reinterpret_cast<OraText*>(buffer), sizeof buffer,
                              OCI_HTYPE_ERROR),
              OCI_NO_DATA);
    // a small buffer receives a cut, still terminated message
    char16_t small[8];
    ASSERT_EQ(oci().error_get(conn.err, 1, nullptr, &code, reinterpret_cast<OraText*>(small), sizeof small, OCI_HTYPE_ERROR),
              OCI_SUCCESS);
    EXPECT_EQ(std::u16string(small), u"ORA-121");
}

TEST(handles, wrong_null_and_freed_handles_are_refused_without_a_crash) {
    int not_a_handle = 42;
    EXPECT_EQ(oci().handle_alloc(nullptr, nullptr, OCI_HTYPE_ERROR, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(oci().handle_free(&not_a_handle, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);
    EXPECT_EQ(oci().stmt_execute(nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, 0), OCI_INVALID_HANDLE);
    connection conn;
    OCIStmt* stmt = nullptr;
    ASSERT_EQ(oci().handle_alloc(conn.env, reinterpret_cast<void**>(&stmt), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(oci().handle_free(stmt, OCI_HTYPE_ERROR), OCI_INVALID_HANDLE);  // wrong type named
    EXPECT_EQ(oci().handle_free(stmt, OCI_HTYPE_STMT), OCI_SUCCESS);
    EXPECT_EQ(oci().handle_free(stmt, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);   // already freed
    EXPECT_EQ(oci().stmt_fetch2(stmt, conn.err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_INVALID_HANDLE);
    // a svc handle passed where a statement belongs
    EXPECT_EQ(oci().stmt_fetch2(reinterpret_cast<OCIStmt*>(conn.svc), conn.err, 1, OCI_FETCH_NEXT, 0, 0), OCI_INVALID_HANDLE);
}

TEST(handles, unknown_handle_types_attributes_and_modes_are_errors_with_messages) {
    connection conn;
    void* handle = nullptr;
    EXPECT_EQ(oci().handle_alloc(conn.env, &handle, 77, 0, nullptr), OCI_ERROR);
    sb4 code = 0;
    char16_t buffer[200] = {};
    ASSERT_EQ(oci().error_get(conn.env, 1, nullptr, &code, reinterpret_cast<OraText*>(buffer), sizeof buffer, OCI_HTYPE_ENV),
              OCI_SUCCESS);
    EXPECT_EQ(to_utf8(buffer), "ORA-24316: illegal handle type\n");
    ub4 value = 0;
    EXPECT_EQ(oci().attr_get(conn.svc, OCI_HTYPE_SVCCTX, &value, nullptr, 9999, conn.err), OCI_ERROR);
    EXPECT_EQ(conn.error_text(), "ORA-24315: illegal attribute type");
    const std::string target = conn.text("ORCL");
    EXPECT_EQ(oci().server_attach(conn.server, conn.err, reinterpret_cast<const OraText*>(target.data()),
                                  static_cast<sb4>(target.size()), 0x1234),
              OCI_ERROR);
    EXPECT_EQ(conn.error_text(), "ORA-24300: bad value for mode");
}

TEST(handles, mismatched_character_sets_are_refused_but_the_environment_can_report_why) {
    OCIEnv* env = nullptr;
    EXPECT_EQ(oci().env_create(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr, OCI_UTF16ID, 0), OCI_ERROR);
    ASSERT_NE(env, nullptr);
    sb4 code = 0;
    char16_t buffer[200] = {};
    EXPECT_EQ(oci().error_get(env, 1, nullptr, &code, reinterpret_cast<OraText*>(buffer), sizeof buffer, OCI_HTYPE_ENV),
              OCI_SUCCESS);
    EXPECT_EQ(code, 24300);
    EXPECT_EQ(oci().handle_free(env, OCI_HTYPE_ENV), OCI_SUCCESS);
}

TEST(handles, freeing_the_environment_frees_what_was_allocated_from_it) {
    OCIEnv* env = nullptr;
    ASSERT_EQ(oci().env_create(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr, OCI_UTF16ID, OCI_UTF16ID),
              OCI_SUCCESS);
    void* stmt = nullptr;
    void* lob = nullptr;
    ASSERT_EQ(oci().handle_alloc(env, &stmt, OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(oci().descriptor_alloc(env, &lob, OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(oci().handle_free(env, OCI_HTYPE_ENV), OCI_SUCCESS);
    EXPECT_EQ(oci().handle_free(stmt, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);
    EXPECT_EQ(oci().descriptor_free(lob, OCI_DTYPE_LOB), OCI_INVALID_HANDLE);
}

TEST_F(connect_test, statements_after_detach_fail_with_not_connected) {
    connection conn;
    conn.connect_or_fail("ORCL");
    ASSERT_EQ(oci().server_detach(conn.server, conn.err, OCI_DEFAULT), OCI_SUCCESS);
    conn.attached = false;
    const auto [code, text] = execute_error(conn, "SELECT * FROM T");
    EXPECT_EQ(code, 3114);
    EXPECT_EQ(text, "ORA-03114: not connected to ORACLE");
}

}  // namespace

namespace {

TEST_F(connect_test, a_second_logon_on_the_same_handles_works_after_detaching_the_first_server) {
    connection conn;
    conn.connect_or_fail("ORCL");
    // what the product's reconnect does: detach, attach again, log on again without logging off
    ASSERT_EQ(oci().server_detach(conn.server, conn.err, OCI_DEFAULT), OCI_SUCCESS);
    conn.logged_on = false;
    conn.attached = false;
    ASSERT_EQ(conn.connect("//localhost/ORCL", "SCOTT", "Tiger"), OCI_SUCCESS) << conn.error_text();
    EXPECT_EQ(query_text(conn, "SELECT COUNT(*) FROM T"), (text_rows{{"0"}}));
}

TEST_F(connect_test, a_freed_server_handle_leaves_its_service_context_failing_cleanly) {
    connection conn;
    conn.connect_or_fail("ORCL");
    statement stmt(conn, "SELECT * FROM T");
    ASSERT_EQ(oci().handle_free(conn.server, OCI_HTYPE_SERVER), OCI_SUCCESS);
    conn.attached = false;
    conn.logged_on = false;
    EXPECT_EQ(stmt.execute(), OCI_ERROR);
    EXPECT_EQ(conn.error_code(), 3114);
    ASSERT_EQ(oci().handle_alloc(conn.env, reinterpret_cast<void**>(&conn.server), OCI_HTYPE_SERVER, 0, nullptr), OCI_SUCCESS);
}

}  // namespace
