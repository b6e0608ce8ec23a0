// Tables: the SELECT built from the catalogue, sizes and marks, the row count taken at
// opening, quoted names, index reading switched off, and prefetch.
#include "oracle/ora_table.h"

#include <gtest/gtest.h>

#include "emulator_support.h"
#include "oracle/ora_exception.h"

#include "../support/record_helpers.h"

namespace {

std::unique_ptr<ora_table> open_table(emulator_session& session, const std::string& name) {
    session.database().get_tables();
    auto recordset = session.database().get_table(name, 1);
    return std::unique_ptr<ora_table>(static_cast<ora_table*>(recordset.release()));
}

const std::vector<std::string> staff_schema{
    "CREATE TABLE STAFF (ID NUMBER(4) NOT NULL, NAME VARCHAR2(10) DEFAULT 'abc', "
    "HIRED DATE DEFAULT SYSDATE, BONUS NUMBER(4) DEFAULT 0, NICK NVARCHAR2(20), INITIALS NCHAR(3), "
    "NOTES LONG, SEEN \"TIMESTAMP(6) WITH TIME ZONE\", CODE VARCHAR2(10) DEFAULT 'it''s')",
    "INSERT INTO STAFF VALUES (1, 'Ann', '2001-02-03 04:05:06', 10, 'Аня', 'AB', 'long note', "
    "'2020-01-01 10:00:00 +05:00', 'x')",
    "INSERT INTO STAFF VALUES (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
};

}  // namespace

TEST(table_select, a_table_of_readable_columns_is_read_with_select_star) {
    emulator_database database("STARDB", staff_schema);
    emulator_session session("STARDB");
    const auto table = open_table(session, "STAFF");
    EXPECT_EQ(table->select_text(), "SELECT * FROM \"STAFF\"");
    // The time-zone column is kept; its zone is dropped.
    ASSERT_EQ(table->schema().size(), 9u);
    EXPECT_EQ(table->schema()[7].name, "SEEN");
    EXPECT_EQ(table->schema()[7].vartype, VT_DATE);
    const auto rows = read_all(*table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][7].get_date(), (ole_systemtime{2020, 1, 0, 1, 10, 0, 0, 0}));
}

TEST(table_select, a_table_with_no_readable_column_is_empty) {
    emulator_database database("NOCOLDB", {
        "CREATE TABLE ONLY_FILES (F BFILE)",
        "INSERT INTO ONLY_FILES VALUES (NULL)",
    });
    emulator_session session("NOCOLDB");
    const auto table = open_table(session, "ONLY_FILES");
    EXPECT_TRUE(table->schema().empty());
    EXPECT_EQ(table->records_count(), 0);
    EXPECT_TRUE(table->is_eof());
}

TEST(table_details, nullability_national_sizes_and_long_marks_come_from_the_catalogue) {
    emulator_database database("DETAILDB", staff_schema);
    emulator_session session("DETAILDB");
    const auto table = open_table(session, "STAFF");
    const udb_schema& schema = table->schema();
    EXPECT_TRUE(schema.get_field1("ID").b_not_null);
    EXPECT_FALSE(schema.get_field1("NAME").b_not_null);
    // National sizes arrive in bytes and are kept in characters, in the descriptor and the
    // column object alike (so fields of each row carry them).
    EXPECT_EQ(schema.get_field1("NICK").size, 20u);
    EXPECT_EQ(schema.get_field1("INITIALS").size, 3u);
    EXPECT_EQ(schema.get_field1("NAME").size, 10u);
    EXPECT_EQ(schema.get_field1("NOTES").size, 0u);
    EXPECT_EQ(schema.get_field1("NOTES").type_name, "LONG");
    EXPECT_EQ(schema.get_field1("NAME").type_name, "");
    const auto rows = read_all(*table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][4].size(), 20);
    EXPECT_EQ(rows[0][4].get_text(), "Аня");
    EXPECT_EQ(rows[0][6].get_text(), "long note");
}

// The count taken at opening bounds the read: rows added later are not read, and rows
// deleted later end it early without a failure.
TEST(table_rows, rows_added_or_deleted_after_opening_change_nothing_read) {
    emulator_database database("GROWDB", {
        "CREATE TABLE GROWING (ID NUMBER(4))",
        "INSERT INTO GROWING VALUES (1), (2), (3)",
    });
    emulator_session session("GROWDB");
    const auto table = open_table(session, "GROWING");
    EXPECT_EQ(table->records_count(), 3);
    database.exec("INSERT INTO GROWING VALUES (4), (5)");
    EXPECT_EQ(read_all(*table).size(), 3u);
    const auto again = open_table(session, "GROWING");
    EXPECT_EQ(again->records_count(), 5);
    database.exec("DELETE FROM GROWING WHERE ID > 1");
    EXPECT_LE(read_all(*again).size(), 5u);
}

TEST(table_names, a_table_whose_name_holds_quotes_is_still_read) {
    emulator_database database("QUOTEDB", {
        "CREATE TABLE \"Mc\"\"Don's\" (\"Col\"\"A\" NUMBER(4), \"b'c\" VARCHAR2(5), F BFILE)",
        "INSERT INTO \"Mc\"\"Don's\" VALUES (1, 'x', NULL), (2, 'y', NULL)",
    });
    emulator_session session("QUOTEDB");
    const auto table = open_table(session, "Mc\"Don's");
    EXPECT_EQ(table->select_text(), "SELECT \"Col\"\"A\",\"b'c\" FROM \"Mc\"\"Don's\"");
    EXPECT_EQ(table->records_count(), 2);
    const auto rows = read_all(*table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].name(), "Col\"A");
    EXPECT_EQ(rows[1][1].get_text(), "y");
}

TEST(table_rows, rows_arrive_in_prefetched_batches_not_one_round_trip_each) {
    emulator_database database("BATCHDB", {
        "CREATE TABLE MANY (ID NUMBER(8), NAME VARCHAR2(20))",
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 2500) "
        "INSERT INTO MANY SELECT I, 'row ' || I FROM N",
    });
    emulator_session session("BATCHDB");
    session.database().get_tables();
    const unsigned long long before = emulator_round_trips();
    const auto table = session.database().get_table("MANY", 1);
    const auto rows = read_all(*table);
    const unsigned long long trips = emulator_round_trips() - before;
    ASSERT_EQ(rows.size(), 2500u);
    EXPECT_EQ(rows[2499][1].get_text(), "row 2500");
    // Three batches of 1000 rows plus the catalogue statements and the count of opening.
    EXPECT_LE(trips, 20u);
}
