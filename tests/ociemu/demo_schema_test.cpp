// The demo database built beside the library: reachable as DEMO/demo and holding what the demo needs.
#include "oci_test_client.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace ociemu_test;

namespace {

class demo_schema_test : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("OCIEMU_DATA");  // the data folder beside the library
        conn_.connect_or_fail("//localhost:1521/DEMO", "DEMO", "demo");
    }
    connection conn_;
};

TEST_F(demo_schema_test, lists_every_table_but_the_temporary_one) {
    EXPECT_EQ(query_text(conn_, "select TABLE_NAME, IOT_TYPE from user_tables where TEMPORARY='N' and NESTED='NO' and "
                                "IOT_TYPE IS NULL OR IOT_TYPE='IOT'"),
              (text_rows{{"DEPARTMENTS", std::nullopt}, {"EMPLOYEES", std::nullopt}, {"PRODUCTS", std::nullopt},
                         {"ORDERS", std::nullopt}, {"ORDER_LINES", std::nullopt}, {"DOCUMENTS", std::nullopt},
                         {"REGION:SALES/2024", std::nullopt}}));
    EXPECT_EQ(query_text(conn_, "select VIEW_NAME from SYS.USER_VIEWS"), (text_rows{{"EMPLOYEE_DIRECTORY"}}));
}

TEST_F(demo_schema_test, row_counts_stay_between_five_and_two_thousand) {
    for (const char* table : {"DEPARTMENTS", "EMPLOYEES", "PRODUCTS", "ORDERS", "ORDER_LINES", "DOCUMENTS",
                              "\"REGION:SALES/2024\""}) {
        const auto rows = query_text(conn_, std::string("SELECT COUNT(*) FROM ") + table);
        const int count = std::stoi(rows.at(0).at(0).value());
        EXPECT_GE(count, 5) << table;
        EXPECT_LE(count, 2000) << table;
    }
}

TEST_F(demo_schema_test, holds_every_supported_type) {
    const auto types = query_text(conn_, "SELECT DISTINCT DATA_TYPE FROM USER_TAB_COLUMNS ORDER BY 1");
    std::vector<std::string> names;
    for (const auto& row : types) names.push_back(row[0].value());
    for (const char* expected : {"BFILE", "BINARY_DOUBLE", "BINARY_FLOAT", "BLOB", "CHAR", "CLOB", "DATE", "FLOAT",
                                 "INTERVAL DAY(2) TO SECOND(6)", "INTERVAL YEAR(2) TO MONTH", "LONG", "LONG RAW", "NCHAR",
                                 "NCLOB", "NUMBER", "NVARCHAR2", "RAW", "ROWID", "TIMESTAMP(3)", "TIMESTAMP(6)",
                                 "TIMESTAMP(6) WITH LOCAL TIME ZONE", "TIMESTAMP(6) WITH TIME ZONE", "TIMESTAMP(9)",
                                 "UROWID", "VARCHAR2", "XMLTYPE"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
}

TEST_F(demo_schema_test, has_the_long_non_latin_and_old_values_a_demo_shows) {
    EXPECT_EQ(query_text(conn_, "SELECT LOCAL_NAME FROM DEPARTMENTS WHERE DEPT_ID IN (10, 20, 30) ORDER BY DEPT_ID"),
              (text_rows{{"Администрация"}, {"Έρευνα"}, {"销售部"}}));
    EXPECT_EQ(query_text(conn_, "SELECT FOUNDED FROM DEPARTMENTS WHERE DEPT_ID = 40"), (text_rows{{"12-MAR-88"}}));
    EXPECT_EQ(query_text(conn_, "SELECT COUNT(*) FROM PRODUCTS WHERE length(DESCRIPTION) > 255 AND instr(DESCRIPTION, "
                                "char(10)) > 0"),
              (text_rows{{"1"}}));
    EXPECT_EQ(query_text(conn_, "SELECT length(SPEC_SHEET) FROM PRODUCTS WHERE PRODUCT_ID = 1"), (text_rows{{"120012"}}));
    EXPECT_EQ(query_text(conn_, "SELECT SERIAL_NO, STOCK_RATIO FROM PRODUCTS WHERE PRODUCT_ID = 3"),
              (text_rows{{"1234567890123456789000003", "123456792.0000000021"}}));
}

}  // namespace
