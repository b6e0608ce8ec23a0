// How the emulated client hands out an error: the code, and the UTF-16 text with its line feed and terminator.
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

}  // namespace
