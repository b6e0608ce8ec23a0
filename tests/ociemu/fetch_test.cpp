// Executing and fetching: numbers and CHAR values as a server prints them, the codes of NULLs,
// truncation and refused values, and the round trips prefetching saves.
#include "oci_test_client.h"

#include <gtest/gtest.h>

using namespace ociemu_test;

namespace {

constexpr const char* fetch_schema = R"sql(
CREATE TABLE NUMBERS (ID NUMBER(4), N NUMBER, BIG NUMBER(25), EXACT NUMBER(38,10), F FLOAT, BD BINARY_DOUBLE);
INSERT INTO NUMBERS VALUES (1, 0.5, CAST('1234567890123456789012345' AS BLOB), CAST('123456789012.0000000001' AS BLOB), 100, 1.5),
                           (2, -12.75, 7, 0, 85.00, -0.25),
                           (3, 100, NULL, NULL, NULL, 'NaN'),
                           (4, 1999.99, -3, '2.50', 1e-5, '-Inf');
CREATE TABLE TEXTS (ID NUMBER(4), T VARCHAR2(40), N NVARCHAR2(20), C CHAR(5), NC NCHAR(3), CB CHAR(4), L "LONG RAW", LT LONG);
INSERT INTO TEXTS VALUES (1, 'abcdefghij', 'Ωμέγα', 'ab', 'é', 'é', X'', ''),
                         (2, NULL, NULL, 'abcde', NULL, 'x', NULL, NULL),
                         (3, 'x', 'y', 'c', 'z', 'z', X'0A0B', 'long text');
CREATE TABLE SERIES (ID NUMBER(6));
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 250) INSERT INTO SERIES SELECT i FROM n;
CREATE TABLE AMOUNTS (ID NUMBER(4), T VARCHAR2(10));
INSERT INTO AMOUNTS VALUES (1, '10'), (2, ' 2.5 '), (3, 'ten'), (4, '40');
CREATE TABLE SHAPES (ID NUMBER(4), GEO "MDSYS.SDO_GEOMETRY", DOC XMLTYPE);
INSERT INTO SHAPES VALUES (1, 'POINT(1 2)', '<a>' || printf('%.5000c', 'x') || '</a>');
)sql";

class fetch_test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(conn_.connect("ORCL"), OCI_SUCCESS); }
    emulator_database database_{"ORCL", {fetch_schema}};
    connection conn_;
};

TEST_F(fetch_test, numbers_arrive_as_oracle_prints_them) {
    EXPECT_EQ(query_text(conn_, "SELECT N, BIG, EXACT, F, BD FROM NUMBERS ORDER BY ID"),
              (text_rows{{u".5", u"1234567890123456789012345", u"123456789012.0000000001", u"100", u"1.5E+000"},
                         {u"-12.75", u"7", u"0", u"85", u"-2.5E-001"},
                         {u"100", std::nullopt, std::nullopt, std::nullopt, u"Nan"},
                         {u"1999.99", u"-3", u"2.5", u".00001", u"-Inf"}}));
}

TEST_F(fetch_test, char_values_are_blank_padded_long_raw_is_hexadecimal_and_empty_long_values_are_null) {
    // NCHAR counts characters; CHAR(4) counts bytes, and 'é' takes two of them
    EXPECT_EQ(query_text(conn_, "SELECT C, NC, CB, L, LT FROM TEXTS ORDER BY ID"),
              (text_rows{{u"ab   ", u"é  ", u"é  ", std::nullopt, std::nullopt},
                         {u"abcde", std::nullopt, u"x   ", std::nullopt, std::nullopt},
                         {u"c    ", u"z  ", u"z   ", u"0A0B", u"long text"}}));
}

TEST_F(fetch_test, a_value_that_cannot_be_delivered_fails_the_fetch_with_the_servers_code) {
    struct refusal { const char* sql; ub4 position; ub2 type; sword status; std::u16string text; };
    const refusal refusals[] = {
        {"SELECT ID FROM SERIES WHERE ID > 250", 1, SQLT_INT, OCI_NO_DATA, u"ORA-01403: no data found"},
        {"SELECT T FROM TEXTS WHERE ID = 2", 1, SQLT_STR, OCI_ERROR, u"ORA-01405: fetched column value is NULL"},
        {"SELECT ID FROM TEXTS", 2, SQLT_INT, OCI_ERROR, u"ORA-01007: variable not in select list"},
        {"SELECT GEO FROM SHAPES", 1, SQLT_STR, OCI_ERROR,
         u"ORA-00932: inconsistent datatypes: expected CHAR got MDSYS.SDO_GEOMETRY"},
    };
    for (const refusal& r : refusals) {
        statement stmt(conn_, r.sql);
        std::u16string buffer(8000, u'\0');  // no indicator: a NULL cannot be told
        stmt.define(r.position, buffer.data(), r.type == SQLT_INT ? 4 : 16000, r.type);
        EXPECT_EQ(stmt.execute(1), r.status) << r.sql;
        EXPECT_EQ(conn_.error_text(), r.text) << r.sql;
    }
    // An aggregate over no rows is still a row: a count of nothing is 0, not "no data".
    statement count(conn_, "SELECT COUNT(*) FROM SERIES WHERE ID > 250");
    sb4 rows = -1;
    count.define(1, &rows, sizeof rows, SQLT_INT);
    EXPECT_EQ(count.execute(1), OCI_SUCCESS);
    EXPECT_EQ(rows, 0);
}

TEST_F(fetch_test, a_long_value_is_cut_with_its_length_in_the_indicator_and_24345_with_return_codes) {
    statement stmt(conn_, "SELECT T FROM TEXTS WHERE ID = 1");
    char16_t buffer[5] = {u'-', u'-', u'-', u'-', u'-'};
    sb2 indicator = 0;
    ub2 length = 0;
    stmt.define(1, buffer, sizeof buffer, SQLT_STR, &indicator, &length);
    EXPECT_EQ(stmt.execute(1), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-01406: fetched column value was truncated");
    EXPECT_EQ(std::u16string(buffer), u"abcd");  // four characters and the terminator fill ten bytes
    EXPECT_EQ(indicator, 20);                     // the full value in bytes
    EXPECT_EQ(length, 8);
    // With return codes the fetch succeeds with information, and each column has its own code.
    statement coded(conn_, "SELECT T, N FROM TEXTS WHERE ID = 1");
    char16_t small[3], large[20];
    sb2 indicators[2] = {};
    ub2 codes[2] = {99, 99};
    coded.define(1, small, sizeof small, SQLT_STR, &indicators[0], nullptr, &codes[0]);
    coded.define(2, large, sizeof large, SQLT_STR, &indicators[1], nullptr, &codes[1]);
    EXPECT_EQ(coded.execute(1), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(conn_.error_text(), u"ORA-24345: A Truncation or null fetch error occurred");
    EXPECT_EQ(codes[0], 1406);
    EXPECT_EQ(codes[1], 0);
    EXPECT_EQ(std::u16string(small), u"ab");
    EXPECT_EQ(std::u16string(large), u"Ωμέγα");
}

// A row the server cannot compute ends the cursor: the rows before it arrive, the fetch that
// reaches it fails, and so does every later fetch, as does a fetch past the end of the rows.
TEST_F(fetch_test, a_row_error_of_the_server_ends_the_cursor_and_later_fetches_are_out_of_sequence) {
    statement stmt(conn_, "SELECT TO_NUMBER(T) FROM AMOUNTS");
    const ub4 prefetch = 10;  // the failing row is computed with the first batch
    ASSERT_EQ(OCIAttrSet(stmt.handle, OCI_HTYPE_STMT, const_cast<ub4*>(&prefetch), sizeof prefetch, OCI_ATTR_PREFETCH_ROWS,
                         conn_.err),
              OCI_SUCCESS);
    double value = 0;
    stmt.define(1, &value, sizeof value, SQLT_FLT);
    ASSERT_EQ(stmt.execute(), OCI_SUCCESS);
    ASSERT_EQ(stmt.fetch(), OCI_SUCCESS) << testing::PrintToString(conn_.error_text());
    EXPECT_EQ(value, 10);
    ASSERT_EQ(stmt.fetch(), OCI_SUCCESS);
    EXPECT_EQ(value, 2.5);
    EXPECT_EQ(stmt.fetch(), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-01722: invalid number");
    EXPECT_EQ(stmt.fetch(), OCI_ERROR);  // row 4 is never delivered
    EXPECT_EQ(conn_.error_text(), u"ORA-01002: fetch out of sequence");

    EXPECT_EQ(query_text(conn_, "SELECT 100 / (ID - 3) FROM AMOUNTS WHERE ID < 3"), (text_rows{{u"-50"}, {u"-100"}}));
    statement division(conn_, "SELECT ID, 100 / (ID - 3) FROM AMOUNTS");
    ASSERT_EQ(division.execute(), OCI_SUCCESS);
    void* param = nullptr;
    ASSERT_EQ(OCIParamGet(division.handle, OCI_HTYPE_STMT, conn_.err, &param, 2), OCI_SUCCESS);
    const char16_t* name = nullptr;
    ub4 name_bytes = 0;
    ASSERT_EQ(OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &name_bytes, OCI_ATTR_NAME, conn_.err), OCI_SUCCESS);
    EXPECT_EQ(std::u16string(name, name_bytes / 2), u"100/(ID-3)");  // named as written
    sb4 row_id = 0;
    division.define(1, &row_id, sizeof row_id, SQLT_INT);
    for (int row = 1; row <= 2; ++row) ASSERT_EQ(division.fetch(), OCI_SUCCESS);
    EXPECT_EQ(division.fetch(), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-01476: divisor is equal to zero");

    // as text an XMLTYPE document past 4000 bytes fails, however large the buffer
    statement document(conn_, "SELECT DOC FROM SHAPES");
    std::u16string buffer(8000, u'\0');
    document.define(1, buffer.data(), 16000, SQLT_STR);
    EXPECT_EQ(document.execute(1), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-19011: Character string buffer too small");
    EXPECT_EQ(document.fetch(), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-01002: fetch out of sequence");

    statement ended(conn_, "SELECT ID FROM SERIES WHERE ID = 1");
    sb4 id = 0;
    ended.define(1, &id, sizeof id, SQLT_INT);
    ASSERT_EQ(ended.execute(1), OCI_SUCCESS);
    EXPECT_EQ(ended.fetch(), OCI_NO_DATA);
    EXPECT_EQ(ended.fetch(), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-01002: fetch out of sequence");
}

// Round trips to read a one-column query: one execute that brings the first batch, then one
// per further batch, and a last one that finds the end (unless a short batch already showed it).
unsigned long long round_trips_to_read(connection& conn, const std::string& sql, ub4 prefetch, int expected_rows) {
    statement stmt(conn, sql);
    EXPECT_EQ(OCIAttrSet(stmt.handle, OCI_HTYPE_STMT, &prefetch, sizeof prefetch, OCI_ATTR_PREFETCH_ROWS, conn.err),
              OCI_SUCCESS);
    char16_t buffer[64];
    sb2 indicator = 0;
    stmt.define(1, buffer, sizeof buffer, SQLT_STR, &indicator);
    const auto before = ociemu_round_trips();
    EXPECT_EQ(stmt.execute(), OCI_SUCCESS);
    int rows = 0;
    while (stmt.fetch() == OCI_SUCCESS) ++rows;
    EXPECT_EQ(rows, expected_rows) << sql;
    return ociemu_round_trips() - before;
}

TEST_F(fetch_test, prefetch_rows_move_in_batches_with_one_round_trip_each_except_long_columns) {
    EXPECT_EQ(round_trips_to_read(conn_, "SELECT ID FROM SERIES", 1, 250), 251u);     // one row a trip, then the end
    EXPECT_EQ(round_trips_to_read(conn_, "SELECT ID FROM SERIES", 100, 250), 3u);    // 100 + 100 + 50: short, the end
    EXPECT_EQ(round_trips_to_read(conn_, "SELECT ID FROM SERIES", 125, 250), 3u);    // 125 + 125 + an empty trip
    EXPECT_EQ(round_trips_to_read(conn_, "SELECT ID FROM SERIES", 1000, 250), 1u);   // all with the execute
    EXPECT_EQ(round_trips_to_read(conn_, "SELECT LT FROM TEXTS", 100, 3), 5u);       // a LONG: row by row, the end
}

}  // namespace
