// Executing and fetching: every define type, NULLs, truncation, prefetch round trips, a broken line.
#include "oci_test_client.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace ociemu_test;

namespace {

constexpr const char* fetch_schema = R"sql(
CREATE TABLE NUMBERS (ID NUMBER(4), N NUMBER, BIG NUMBER(25), EXACT NUMBER(38,10), F FLOAT, BD BINARY_DOUBLE);
INSERT INTO NUMBERS VALUES (1, 0.5, CAST('1234567890123456789012345' AS BLOB), CAST('123456789012.0000000001' AS BLOB), 100, 1.5),
                           (2, -12.75, 7, 0, 85.00, -0.25),
                           (3, 100, NULL, NULL, NULL, NULL),
                           (4, 1999.99, -3, '2.50', 1e-5, 1e10);
CREATE TABLE TEXTS (ID NUMBER(4), T VARCHAR2(40), N NVARCHAR2(20), R RAW(4), L "LONG RAW", LT LONG);
INSERT INTO TEXTS VALUES (1, 'Привет, мир', '你好', X'DEADBEEF', X'0A0B', 'long text'),
                         (2, NULL, NULL, NULL, NULL, NULL),
                         (3, 'abcdefghij', 'Ωμέγα', 'ab01', X'', '');
CREATE TABLE TIMES (ID NUMBER(4), D DATE, TS TIMESTAMP(9), TZ "TIMESTAMP(6) WITH TIME ZONE");
INSERT INTO TIMES VALUES (1, '2005-12-31 23:59:58', '2020-02-29 13:14:15.123456789', '2020-01-01 10:00:00.5 +05:00'),
                         (2, '1888-03-12 00:00:00', '1999-01-01 00:00:00', NULL);
CREATE TABLE SERIES (ID NUMBER(6));
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 250) INSERT INTO SERIES SELECT i FROM n;
CREATE TABLE EMPTY_TABLE (ID NUMBER);
CREATE TABLE SPECIAL (ID NUMBER(4), C CHAR(5), NC NCHAR(3), CB CHAR(4), BD BINARY_DOUBLE);
INSERT INTO SPECIAL VALUES (1, 'ab', 'é', 'é', 'NaN'), (2, 'abcde', NULL, 'x', '-Inf');
)sql";

class fetch_test : public ::testing::Test {
protected:
    void SetUp() override {
        data_.create_database("ORCL", fetch_schema);
        conn_.connect_or_fail("ORCL");
    }
    data_folder data_;
    connection conn_;
};

TEST_F(fetch_test, numbers_arrive_as_oracle_prints_them) {
    EXPECT_EQ(query_text(conn_, "SELECT N, BIG, EXACT, F, BD FROM NUMBERS ORDER BY ID"),
              (text_rows{{".5", "1234567890123456789012345", "123456789012.0000000001", "100", "1.5E+000"},
                         {"-12.75", "7", "0", "85", "-2.5E-001"},
                         {"100", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
                         {"1999.99", "-3", "2.5", ".00001", "1.0E+010"}}));
}

TEST_F(fetch_test, char_values_are_blank_padded_in_characters_or_bytes_as_declared) {
    // NCHAR counts characters; CHAR(4) counts bytes, and 'é' takes two of them
    EXPECT_EQ(query_text(conn_, "SELECT C, NC, CB FROM SPECIAL ORDER BY ID"),
              (text_rows{{"ab   ", "é  ", "é  "}, {"abcde", std::nullopt, "x   "}}));
}

TEST_F(fetch_test, a_binary_double_nan_arrives_as_nan_in_text_and_as_a_double) {
    EXPECT_EQ(query_text(conn_, "SELECT BD FROM SPECIAL ORDER BY ID"), (text_rows{{"Nan"}, {"-Inf"}}));
    statement stmt(conn_, "SELECT BD FROM SPECIAL WHERE ID = 1");
    double value = 0;
    OCIDefine* define = nullptr;
    ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, 1, &value, sizeof value, SQLT_BDOUBLE, nullptr,
                                  nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(stmt.execute(1), OCI_SUCCESS) << conn_.error_text();
    EXPECT_TRUE(std::isnan(value));
}

TEST_F(fetch_test, text_of_every_kind_arrives_as_utf16_with_raw_as_hexadecimal_and_empty_as_null) {
    EXPECT_EQ(query_text(conn_, "SELECT T, N, R, L, LT FROM TEXTS ORDER BY ID"),
              (text_rows{{"Привет, мир", "你好", "DEADBEEF", "0A0B", "long text"},
                         {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
                         {"abcdefghij", "Ωμέγα", "AB01", std::nullopt, std::nullopt}}));
}

TEST_F(fetch_test, dates_and_timestamps_print_in_the_default_formats) {
    EXPECT_EQ(query_text(conn_, "SELECT D, TS, TZ FROM TIMES WHERE ID = 1"),
              (text_rows{{"31-DEC-05", "29-FEB-20 01.14.15.123456789 PM", "01-JAN-20 10.00.00.500000 AM +05:00"}}));
}

TEST_F(fetch_test, an_empty_result_with_one_iteration_is_no_data_with_ora_01403) {
    statement stmt(conn_, "SELECT COUNT(*) FROM EMPTY_TABLE");
    sb4 count = -1;
    OCIDefine* define = nullptr;
    ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, 1, &count, sizeof count, SQLT_INT, nullptr, nullptr,
                                  nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(stmt.execute(1), OCI_SUCCESS);
    EXPECT_EQ(count, 0);
    statement empty(conn_, "SELECT ID FROM EMPTY_TABLE");
    ASSERT_EQ(oci().define_by_pos(empty.handle, &define, conn_.err, 1, &count, sizeof count, SQLT_INT, nullptr, nullptr,
                                  nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(empty.execute(1), OCI_NO_DATA);
    EXPECT_EQ(conn_.error_text(), "ORA-01403: no data found");
}

TEST_F(fetch_test, null_sets_the_indicator_or_fails_with_01405_without_one) {
    statement stmt(conn_, "SELECT T FROM TEXTS WHERE ID = 2");
    char16_t buffer[50];
    sb2 indicator = 0;
    OCIDefine* define = nullptr;
    ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, 1, buffer, sizeof buffer, SQLT_STR, &indicator, nullptr,
                                  nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(stmt.execute(1), OCI_SUCCESS);
    EXPECT_EQ(indicator, -1);
    statement bare(conn_, "SELECT T FROM TEXTS WHERE ID = 2");
    ASSERT_EQ(oci().define_by_pos(bare.handle, &define, conn_.err, 1, buffer, sizeof buffer, SQLT_STR, nullptr, nullptr,
                                  nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(bare.execute(1), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), "ORA-01405: fetched column value is NULL");
}

TEST_F(fetch_test, a_long_value_is_cut_with_its_length_in_the_indicator_and_01406_without_codes) {
    statement stmt(conn_, "SELECT T FROM TEXTS WHERE ID = 3");
    char16_t buffer[5];
    std::memset(buffer, 0x55, sizeof buffer);
    sb2 indicator = 0;
    ub2 length = 0;
    OCIDefine* define = nullptr;
    ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, 1, buffer, sizeof buffer, SQLT_STR, &indicator, &length,
                                  nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(stmt.execute(1), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), "ORA-01406: fetched column value was truncated");
    EXPECT_EQ(std::u16string(buffer), u"abcd");  // four characters and the terminator fill ten bytes
    EXPECT_EQ(indicator, 20);                     // the full value in bytes
    EXPECT_EQ(length, 8);
}

TEST_F(fetch_test, with_return_codes_truncation_is_success_with_info_and_24345) {
    statement stmt(conn_, "SELECT T, N FROM TEXTS WHERE ID = 3");
    char16_t small[3];
    char16_t large[20];
    sb2 indicators[2] = {};
    ub2 codes[2] = {99, 99};
    OCIDefine* define = nullptr;
    ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, 1, small, sizeof small, SQLT_STR, &indicators[0], nullptr,
                                  &codes[0], OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, 2, large, sizeof large, SQLT_STR, &indicators[1], nullptr,
                                  &codes[1], OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(stmt.execute(1), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(conn_.error_text(), "ORA-24345: A Truncation or null fetch error occurred");
    EXPECT_EQ(codes[0], 1406);
    EXPECT_EQ(codes[1], 0);
    EXPECT_EQ(std::u16string(small), u"ab");
    EXPECT_EQ(std::u16string(large), u"Ωμέγα");
}

TEST_F(fetch_test, text_that_is_not_a_number_fails_an_integer_define_with_01722) {
    statement stmt(conn_, "SELECT T FROM TEXTS WHERE ID = 1");
    sb4 value = 0;
    OCIDefine* define = nullptr;
    ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, 1, &value, sizeof value, SQLT_INT, nullptr, nullptr,
                                  nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(stmt.execute(1), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), "ORA-01722: invalid number");
}

// Round trips: one execute that brings the first batch, then one per further batch, and a
// last one that finds the end (unless a short batch already showed it).
unsigned long long round_trips_to_read(connection& conn, ub4 prefetch) {
    statement stmt(conn, "SELECT ID FROM SERIES");
    EXPECT_EQ(oci().attr_set(stmt.handle, OCI_HTYPE_STMT, &prefetch, sizeof prefetch, OCI_ATTR_PREFETCH_ROWS, conn.err),
              OCI_SUCCESS);
    sb4 id = 0;
    OCIDefine* define = nullptr;
    EXPECT_EQ(oci().define_by_pos(stmt.handle, &define, conn.err, 1, &id, sizeof id, SQLT_INT, nullptr, nullptr, nullptr,
                                  OCI_DEFAULT),
              OCI_SUCCESS);
    const auto before = oci().round_trips();
    EXPECT_EQ(stmt.execute(), OCI_SUCCESS);
    int rows = 0;
    while (stmt.fetch() == OCI_SUCCESS) ++rows;
    EXPECT_EQ(rows, 250);
    EXPECT_EQ(id, 250);
    return oci().round_trips() - before;
}

TEST_F(fetch_test, prefetch_rows_move_in_batches_with_one_round_trip_each) {
    EXPECT_EQ(round_trips_to_read(conn_, 1), 251u);   // the default: one row per trip, then the end
    EXPECT_EQ(round_trips_to_read(conn_, 100), 3u);   // 100 + 100 + 50 (short: the end is known)
    EXPECT_EQ(round_trips_to_read(conn_, 125), 3u);   // 125 + 125 + an empty trip for the end
    EXPECT_EQ(round_trips_to_read(conn_, 1000), 1u);  // everything travels with the execute
}

TEST_F(fetch_test, long_columns_switch_prefetching_off) {
    statement stmt(conn_, "SELECT LT FROM TEXTS");
    ub4 prefetch = 100;
    ASSERT_EQ(oci().attr_set(stmt.handle, OCI_HTYPE_STMT, &prefetch, sizeof prefetch, OCI_ATTR_PREFETCH_ROWS, conn_.err),
              OCI_SUCCESS);
    char16_t buffer[64];
    sb2 indicator = 0;
    OCIDefine* define = nullptr;
    ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, 1, buffer, sizeof buffer, SQLT_STR, &indicator, nullptr,
                                  nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    const auto before = oci().round_trips();
    ASSERT_EQ(stmt.execute(), OCI_SUCCESS);
    while (stmt.fetch() == OCI_SUCCESS) {
    }
    EXPECT_EQ(oci().round_trips() - before, 5u);  // execute, three rows one by one, the end
}

TEST_F(fetch_test, fetch_zero_rows_cancels_the_cursor) {
    statement stmt(conn_, "SELECT ID FROM SERIES");
    sb4 id = 0;
    OCIDefine* define = nullptr;
    ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, 1, &id, sizeof id, SQLT_INT, nullptr, nullptr, nullptr,
                                  OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(stmt.execute(), OCI_SUCCESS);
    ASSERT_EQ(stmt.fetch(), OCI_SUCCESS);
    EXPECT_EQ(stmt.fetch(0), OCI_SUCCESS);
    EXPECT_EQ(stmt.fetch(), OCI_ERROR);
    EXPECT_EQ(conn_.error_code(), 24338);
}


TEST_F(fetch_test, a_define_beyond_the_select_list_fails_the_execute_with_01007) {
    statement stmt(conn_, "SELECT ID FROM TEXTS");
    sb4 value = 0;
    OCIDefine* define = nullptr;
    ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, 2, &value, sizeof value, SQLT_INT, nullptr, nullptr,
                                  nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(stmt.execute(1), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), "ORA-01007: variable not in select list");
}

}  // namespace
