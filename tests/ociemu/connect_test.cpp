// Connecting and its errors: a busy database, the error record's text, and a break on the line.
#include "oci_test_client.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

using namespace ociemu_test;

namespace {

class connect_test : public ::testing::Test {
protected:
    emulator_database database_{"ORCL", {"CREATE TABLE T (A NUMBER);"}};
    connection conn_;
};

TEST_F(connect_test, a_database_another_process_holds_locked_is_busy_not_a_wrong_password) {
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(database_.file().string().c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ::setenv("OCIEMU_BUSY_TIMEOUT_MS", "50", 1);
    EXPECT_EQ(conn_.connect("ORCL"), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-00054: resource busy and acquire with NOWAIT specified or timeout expired");
    ::unsetenv("OCIEMU_BUSY_TIMEOUT_MS");
    sqlite3_close(holder);  // which rolls its transaction back
    connection again;
    EXPECT_EQ(again.connect("ORCL"), OCI_SUCCESS) << testing::PrintToString(again.error_text());
}

TEST_F(connect_test, error_get_writes_a_terminated_utf16_message_ending_in_a_line_feed) {
    ASSERT_EQ(conn_.connect("NOPE"), OCI_ERROR);
    char16_t buffer[100];
    std::memset(buffer, 0x7F, sizeof buffer);
    auto* text = reinterpret_cast<OraText*>(buffer);
    sb4 code = 0;
    ASSERT_EQ(OCIErrorGet(conn_.err, 1, nullptr, &code, text, sizeof buffer, OCI_HTYPE_ERROR), OCI_SUCCESS);
    EXPECT_EQ(code, 12154);
    EXPECT_EQ(std::u16string(buffer), u"ORA-12154: TNS:could not resolve the connect identifier specified\n");
    EXPECT_EQ(OCIErrorGet(conn_.err, 2, nullptr, &code, text, sizeof buffer, OCI_HTYPE_ERROR), OCI_NO_DATA);
    // a small buffer receives a cut, still terminated message
    char16_t small[8];
    ASSERT_EQ(OCIErrorGet(conn_.err, 1, nullptr, &code, reinterpret_cast<OraText*>(small), sizeof small, OCI_HTYPE_ERROR),
              OCI_SUCCESS);
    EXPECT_EQ(std::u16string(small), u"ORA-121");
}

// A stop asked for while a call waits on the server ends that call at once, as a user's
// Ctrl-C must, with the code a server gives for it.
TEST_F(connect_test, a_break_from_another_thread_ends_the_call_in_flight_with_ora_01013) {
    ASSERT_EQ(conn_.connect("ORCL"), OCI_SUCCESS);
    OCIError* break_error = nullptr;  // the call keeps its own error handle
    ASSERT_EQ(OCIHandleAlloc(conn_.env, reinterpret_cast<void**>(&break_error), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    statement stmt(conn_, "SELECT A FROM T");
    ::setenv("OCIEMU_RTT_US", "5000000", 1);  // without the break the call returns after five seconds
    std::atomic<bool> done = false;
    sword status = OCI_SUCCESS;
    std::thread call([&] {
        status = stmt.execute();
        done = true;
    });
    // A break reaches only a call under way, so it is repeated until the call has ended.
    while (!done) {
        EXPECT_EQ(OCIBreak(conn_.server, break_error), OCI_SUCCESS);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    call.join();
    ::unsetenv("OCIEMU_RTT_US");
    EXPECT_EQ(status, OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-01013: user requested cancel of current operation");
}

// Users marked external log on with no name and no password; a password about to expire gives a
// warning with the logon, an expired one no logon.
TEST_F(connect_test, external_users_expiring_and_expired_passwords_log_on_as_on_a_server) {
    database_.exec("ALTER TABLE OCIEMU_USERS ADD COLUMN EXTERNAL TEXT; ALTER TABLE OCIEMU_USERS ADD COLUMN EXPIRES_IN_DAYS INTEGER;"
                   "INSERT INTO OCIEMU_USERS VALUES ('OPS$APP', 'x', 0, 'Y', NULL), ('SOON', 'pw', 0, 'N', 7),"
                   "('GONE', 'pw', 0, 'N', 0)");
    connection wallet;
    ASSERT_EQ(wallet.connect_as("ORCL", "", "", OCI_CRED_EXT), OCI_SUCCESS) << testing::PrintToString(wallet.error_text());
    EXPECT_EQ(query_text(wallet, "SELECT USER FROM DUAL"), (text_rows{{u"OPS$APP"}}));
    connection named_external;  // external credentials carry no name
    EXPECT_EQ(named_external.connect_as("ORCL", "SCOTT", "tiger", OCI_CRED_EXT), OCI_ERROR);
    EXPECT_EQ(named_external.error_text(), u"ORA-01017: invalid username/password; logon denied");
    connection soon;
    EXPECT_EQ(soon.connect_as("ORCL", "SOON", "pw", OCI_CRED_RDBMS), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(soon.error_text(), u"ORA-28002: the password will expire within 7 days");
    EXPECT_EQ(query_text(soon, "SELECT USER FROM DUAL"), (text_rows{{u"SOON"}}));
    connection gone;
    EXPECT_EQ(gone.connect_as("ORCL", "GONE", "pw", OCI_CRED_RDBMS), OCI_ERROR);
    EXPECT_EQ(gone.error_text(), u"ORA-28001: the password has expired");
}

// An unreachable listener: the attach hangs and a break cannot end it, but a connect timeout in
// the connect string does, with the network's code.
TEST_F(connect_test, a_hanging_attach_ignores_a_break_and_ends_at_the_connect_timeout) {
    const scoped_switch hang("OCIEMU_ATTACH_HANG_SECONDS", "2");
    using clock = std::chrono::steady_clock;
    for (const std::string target : {"(DESCRIPTION=(CONNECT_TIMEOUT=1)(ADDRESS=(PROTOCOL=TCP)(HOST=localhost)(PORT=1521))"
                                     "(CONNECT_DATA=(SERVICE_NAME=ORCL)))",
                                     "//localhost:1521/ORCL?connect_timeout=1"}) {
        connection conn;
        const auto start = clock::now();
        EXPECT_EQ(conn.connect(target), OCI_ERROR) << target;
        EXPECT_EQ(conn.error_text(), u"ORA-12170: TNS:Connect timeout occurred");
        EXPECT_LT(clock::now() - start, std::chrono::seconds(2)) << target;  // ended by the timeout, not the hang
    }
    connection conn;
    std::atomic<bool> done = false;
    std::thread breaker([&] {
        OCIError* break_error = nullptr;
        ASSERT_EQ(OCIHandleAlloc(conn.env, reinterpret_cast<void**>(&break_error), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        while (!done) {
            OCIBreak(conn.server, break_error);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const auto start = clock::now();
    EXPECT_EQ(conn.connect("//localhost/ORCL"), OCI_SUCCESS);
    EXPECT_GE(clock::now() - start, std::chrono::seconds(2));
    done = true;
    breaker.join();
}

// A round trip longer than the call timeout (clients 18c+) fails with ORA-03156; the line goes on.
TEST_F(connect_test, a_round_trip_longer_than_the_call_timeout_fails_and_the_connection_stays_usable) {
    ASSERT_EQ(conn_.connect("ORCL"), OCI_SUCCESS);
    ub4 timeout = 100;
    ASSERT_EQ(OCIAttrSet(conn_.svc, OCI_HTYPE_SVCCTX, &timeout, sizeof timeout, OCI_ATTR_CALL_TIMEOUT, conn_.err), OCI_SUCCESS);
    {
        const scoped_switch slow("OCIEMU_RTT_US", "5000000");
        statement stmt(conn_, "SELECT A FROM T");
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(stmt.execute(), OCI_ERROR);
        EXPECT_EQ(conn_.error_text(), u"ORA-03156: OCI call timed out");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    }
    statement again(conn_, "SELECT A FROM T");
    EXPECT_EQ(again.execute(), OCI_SUCCESS);
}

TEST_F(connect_test, an_ipv6_host_needs_its_brackets) {
    EXPECT_EQ(conn_.connect("//[::1]:1521/ORCL"), OCI_SUCCESS) << testing::PrintToString(conn_.error_text());
    connection bare;
    EXPECT_EQ(bare.connect("//::1:1521/ORCL"), OCI_ERROR);
    EXPECT_EQ(bare.error_text(), u"ORA-12162: TNS:net service name is incorrectly specified");
}

// Every code by which a server or network reports a lost session can end a fetch; the server
// handle then reports the line dead and later calls are not connected.
TEST_F(connect_test, a_lost_session_fails_with_its_code_then_the_server_status_says_not_connected) {
    const std::pair<const char*, std::u16string> losses[] = {
        {"3113", u"ORA-03113: end-of-file on communication channel"},
        {"3114", u"ORA-03114: not connected to ORACLE"},
        {"3135", u"ORA-03135: connection lost contact"},
        {"1089", u"ORA-01089: immediate shutdown or close in progress - no operations are permitted"},
        {"1092", u"ORA-01092: ORACLE instance terminated. Disconnection forced"},
        {"28", u"ORA-00028: your session has been killed"},
        {"31", u"ORA-00031: session marked for kill"},
        {"22", u"ORA-00022: invalid session ID; access denied"},
        {"12153", u"ORA-12153: TNS:not connected"},
        {"12583", u"ORA-12583: TNS:no reader"},
        {"28511", u"ORA-28511: lost RPC connection to heterogeneous remote agent using SID=ociemu"},
    };
    database_.exec("INSERT INTO T VALUES (1), (2)");
    const scoped_switch after("OCIEMU_FAIL_AFTER_ROWS", "1");
    for (const auto& [code, text] : losses) {
        const scoped_switch how("OCIEMU_FAIL_CODE", code);
        connection conn;
        ASSERT_EQ(conn.connect("ORCL"), OCI_SUCCESS);
        ub4 status = 99;
        ASSERT_EQ(OCIAttrGet(conn.server, OCI_HTYPE_SERVER, &status, nullptr, OCI_ATTR_SERVER_STATUS, conn.err), OCI_SUCCESS);
        EXPECT_EQ(status, OCI_SERVER_NORMAL);
        statement stmt(conn, "SELECT A FROM T");
        ASSERT_EQ(stmt.execute(), OCI_SUCCESS);
        EXPECT_EQ(stmt.fetch(), OCI_SUCCESS);
        EXPECT_EQ(stmt.fetch(), OCI_ERROR);
        EXPECT_EQ(conn.error_text(), text);
        ASSERT_EQ(OCIAttrGet(conn.server, OCI_HTYPE_SERVER, &status, nullptr, OCI_ATTR_SERVER_STATUS, conn.err), OCI_SUCCESS);
        EXPECT_EQ(status, OCI_SERVER_NOT_CONNECTED) << code;
        EXPECT_EQ(stmt.fetch(), OCI_ERROR);
        EXPECT_EQ(conn.error_text(), u"ORA-03114: not connected to ORACLE");
        EXPECT_EQ(stmt.execute(), OCI_ERROR);
        EXPECT_EQ(conn.error_text(), u"ORA-03114: not connected to ORACLE");
    }
    const scoped_switch wrong("OCIEMU_FAIL_CODE", "942");
    connection conn;
    EXPECT_EQ(conn.connect("ORCL"), OCI_ERROR);
    EXPECT_NE(conn.error_text().find(u"OCIEMU_FAIL_CODE must be the number of an error that ends a session"),
              std::u16string::npos);
}

}  // namespace
