// How the emulated client hands out an error: the code, and the UTF-16 text with its line feed and terminator.
#include "oci_test_client.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace ociemu_test;

namespace {

class connect_test : public ::testing::Test {
protected:
    void SetUp() override { data_.create_database("orcl", "CREATE TABLE T (A NUMBER);"); }
    data_folder data_;
};

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
