// The converter's Oracle side: connecting by database name, listing tables and testing
// queries, through the emulator.
#include <gtest/gtest.h>

#include "convert/sprandel_convertor.h"
#include "emulator_support.h"
#include "oracle/ora_exception.h"

namespace {

class convertor_oracle : public ::testing::Test {
protected:
    convertor_oracle() {
        converter_.oracle_library_candidates = {OCIEMU_LIBRARY};
        converter_.store_oracle_settings("", "SCOTT", "tiger", "1521");
    }

    temp_folder settings_folder_;
    emulator_database first_{"CONVONE", {"CREATE TABLE EMP (ID NUMBER(4))", "CREATE TABLE DEPT (ID NUMBER(4))"}};
    emulator_database second_{"CONVTWO", {"CREATE TABLE SALES (ID NUMBER(4))"}};
    sprandel_convertor converter_{settings_folder_.path() / "Sprandel.conf"};
};

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST_F(convertor_oracle, connecting_keeps_the_database_and_the_server_name) {
    converter_.connect_oracle_server("CONVONE");
    ASSERT_NE(converter_.database, nullptr);
    EXPECT_EQ(converter_.server, "CONVONE");
    EXPECT_EQ(converter_.database->name(), "//localhost:1521/CONVONE");
    EXPECT_EQ(sorted(converter_.get_all_tables()), (std::vector<std::string>{"DEPT", "EMP"}));
}

TEST_F(convertor_oracle, a_failed_connection_propagates_and_leaves_no_database) {
    converter_.connect_oracle_server("CONVONE");
    converter_.password = "wrong";
    try {
        converter_.connect_oracle_server("CONVTWO");
        FAIL() << "a wrong password connected";
    } catch (const ora_exception& error) {
        EXPECT_EQ(error.code(), 0x100000 | 1017);
    }
    EXPECT_EQ(converter_.database, nullptr);
    EXPECT_EQ(converter_.server, "CONVONE");  // the last successful connection
    EXPECT_THROW(converter_.get_all_tables(), tk_mail_assertion);
}

TEST_F(convertor_oracle, query_tests_answer_true_or_false_and_never_throw) {
    converter_.connect_oracle_server("CONVONE");
    EXPECT_TRUE(converter_.test_query("SELECT ID FROM EMP"));
    EXPECT_FALSE(converter_.test_query("SELECT ID FROM NOWHERE"));
    EXPECT_FALSE(converter_.test_query("SELECT FROM"));
}

TEST_F(convertor_oracle, a_query_test_connects_with_the_stored_server_when_needed) {
    converter_.server = "CONVTWO";  // as loaded from a profile, before any connection
    EXPECT_TRUE(converter_.test_query("SELECT ID FROM SALES"));
    ASSERT_NE(converter_.database, nullptr);
    EXPECT_EQ(converter_.database->name(), "CONVTWO");
}
