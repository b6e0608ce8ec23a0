// Connecting and its errors: a busy database, the error record's text, and a break on the line.
#include "oci_test_client.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <stdlib.h>

#include <atomic>
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
    ASSERT_EQ(sqlite3_open(database_.file().c_str(), &holder), SQLITE_OK);
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

}  // namespace
