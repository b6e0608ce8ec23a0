// Tables and named queries: the SELECT built from the catalogue, defaults and sizes, the row
// count taken at opening, and quoted names.
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

TEST(default_values, quoted_text_numbers_and_server_expressions) {
    EXPECT_EQ(ora_table::get_def_value(VT_BSTR, "'abc'").get_text(), "abc");
    EXPECT_EQ(ora_table::get_def_value(VT_BSTR, "  'abc' \n").get_text(), "abc");
    EXPECT_EQ(ora_table::get_def_value(VT_BSTR, "'it''s'").get_text(), "it's");
    EXPECT_EQ(ora_table::get_def_value(VT_BSTR, "USER").get_type(), VT_EMPTY);
    EXPECT_EQ(ora_table::get_def_value(VT_DATE, "SYSDATE").get_type(), VT_EMPTY);
    EXPECT_EQ(ora_table::get_def_value(VT_DATE, "'2001-01-01'").get_type(), VT_EMPTY);
    const ole_variant zero = ora_table::get_def_value(VT_I2, "0");
    ASSERT_EQ(zero.get_type(), VT_I2);
    EXPECT_EQ(zero.get_i2(), 0);
    EXPECT_EQ(ora_table::get_def_value(VT_I4, "42 ").get_i4(), 42);
    EXPECT_EQ(ora_table::get_def_value(VT_R8, "2.5").get_r8(), 2.5);
}

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

TEST(table_select, an_unreadable_column_is_left_out_and_the_rest_converted) {
    emulator_database database("SKIPDB", {
        "CREATE TABLE FILES (ID NUMBER(4), F BFILE, NAME VARCHAR2(10), G BFILE, NOTE VARCHAR2(5))",
        "INSERT INTO FILES VALUES (1, NULL, 'one', NULL, 'n1'), (2, NULL, 'two', NULL, 'n2')",
    });
    emulator_session session("SKIPDB");
    const auto table = open_table(session, "FILES");
    EXPECT_EQ(table->select_text(), "SELECT \"ID\",\"NAME\",\"NOTE\" FROM \"FILES\"");
    ASSERT_EQ(table->schema().size(), 3u);
    EXPECT_EQ(table->records_count(), 2);
    const auto rows = read_all(*table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][1].get_text(), "two");
    EXPECT_EQ(rows[1][2].get_text(), "n2");
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

TEST(table_details, defaults_national_sizes_and_long_marks_come_from_the_catalogue) {
    emulator_database database("DETAILDB", staff_schema);
    emulator_session session("DETAILDB");
    const auto table = open_table(session, "STAFF");
    const udb_schema& schema = table->schema();
    EXPECT_EQ(schema.get_field1("NAME").def_value.get_text(), "abc");
    EXPECT_EQ(schema.get_field1("CODE").def_value.get_text(), "it's");
    EXPECT_EQ(schema.get_field1("HIRED").def_value.get_type(), VT_EMPTY);
    const ole_variant& bonus = schema.get_field1("BONUS").def_value;
    ASSERT_EQ(bonus.get_type(), VT_I2);
    EXPECT_EQ(bonus.get_i2(), 0);
    EXPECT_EQ(schema.get_field1("ID").def_value.get_type(), VT_EMPTY);
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

namespace {

const std::vector<std::string> indexed_schema{
    "CREATE TABLE ORDERS (ID NUMBER(8) PRIMARY KEY, CODE VARCHAR2(10), CUSTOMER NUMBER(8), PLACED DATE)",
    "CREATE UNIQUE INDEX ORDERS_CODE ON ORDERS (CODE)",
    "CREATE INDEX ORDERS_CUSTOMER_DATE ON ORDERS (CUSTOMER, PLACED)",
    "INSERT INTO ORDERS VALUES (1, 'A', 7, '2020-01-01 00:00:00')",
};

}  // namespace

TEST(table_names, all_scope_reads_owner_point_table_and_its_indexes) {
    std::vector<std::string> schema = staff_schema;
    schema.insert(schema.end(), indexed_schema.begin(), indexed_schema.end());
    emulator_database database("OWNERDB", schema);
    emulator_session session("OWNERDB", false);
    const auto table = open_table(session, "SCOTT.STAFF");
    EXPECT_EQ(table->select_text(), "SELECT * FROM \"SCOTT\".\"STAFF\"");
    EXPECT_EQ(table->schema().get_field1("NICK").size, 20u);
    EXPECT_EQ(read_all(*table).size(), 2u);
    const auto orders = open_table(session, "SCOTT.ORDERS");
    EXPECT_EQ(orders->indexes().size(), 3u);
    EXPECT_EQ(orders->primary_key_position(), 0);
}

TEST(named_queries, a_query_is_counted_and_read_with_its_own_columns) {
    emulator_database database("NAMEDQDB", staff_schema);
    emulator_session session("NAMEDQDB");
    const auto recordset = session.database().get_query("Staff names", "SELECT NAME, ID FROM STAFF WHERE ID < 5", 1);
    EXPECT_TRUE(recordset->is_query());
    EXPECT_EQ(recordset->name(), "Staff names");
    EXPECT_EQ(recordset->records_count(), 2);
    ASSERT_EQ(recordset->schema().size(), 2u);
    EXPECT_EQ(recordset->schema()[0].name, "NAME");
    EXPECT_EQ(recordset->schema()[1].vartype, VT_I2);
    const auto rows = read_all(*recordset);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].get_text(), "Ann");
    EXPECT_EQ(rows[1][0].get_type(), VT_EMPTY);
}

TEST(named_queries, a_named_statement_that_is_not_a_select_changes_nothing) {
    emulator_database database("DMLNAMEDDB", staff_schema);
    emulator_session session("DMLNAMEDDB");
    try {
        session.database().get_query("Cleanup", "DELETE FROM STAFF", 1);
        FAIL() << "a DELETE was opened as a query";
    } catch (const ora_exception&) {
        FAIL() << "the DELETE reached the server";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(), "Only a SELECT statement can be read as a query.");
    }
    EXPECT_EQ(session.engine().get_records_cnt("STAFF"), 2);
}

TEST(named_queries, a_broken_query_raises_the_servers_error) {
    emulator_database database("BROKENQDB", staff_schema);
    emulator_session session("BROKENQDB");
    EXPECT_THROW(session.database().get_query("Broken", "SELECT NOPE FROM STAFF", 1), ora_exception);
}

TEST(table_indexes, the_primary_key_and_indexes_are_read_when_switched_on) {
    emulator_database database("INDEXDB", indexed_schema);
    emulator_session session("INDEXDB");
    const auto table = open_table(session, "ORDERS");
    const udb_indexes& indexes = table->indexes();
    ASSERT_EQ(indexes.size(), 3u);
    EXPECT_TRUE(indexes[0].b_primary);
    EXPECT_TRUE(indexes[0].b_unique);
    EXPECT_EQ(indexes[0].fields, (std::vector<std::string>{"ID"}));
    EXPECT_EQ(table->primary_key_position(), 0);
    const udb_index* code = indexes.get_index("ORDERS_CODE");
    ASSERT_NE(code, nullptr);
    EXPECT_TRUE(code->b_unique);
    EXPECT_FALSE(code->b_primary);
    const udb_index* customer = indexes.get_index("ORDERS_CUSTOMER_DATE");
    ASSERT_NE(customer, nullptr);
    EXPECT_FALSE(customer->b_unique);
    EXPECT_EQ(customer->fields, (std::vector<std::string>{"CUSTOMER", "PLACED"}));
}

TEST(table_indexes, the_run_switch_and_the_mode_bits_turn_index_reading_off) {
    emulator_database database("NOINDEXDB", indexed_schema);
    emulator_session session("NOINDEXDB");
    session.database().get_tables();
    const auto by_mode = session.database().get_table("ORDERS", 0x61);
    EXPECT_TRUE(by_mode->indexes().empty());
    session.engine().set_indexes_off(true);
    const auto by_switch = session.database().get_table("ORDERS", 1);
    EXPECT_TRUE(by_switch->indexes().empty());
    EXPECT_EQ(by_switch->records_count(), 1);
}

TEST(table_rows, rows_arrive_in_prefetched_batches_not_one_round_trip_each) {
    emulator_database database("BATCHDB", {
        "CREATE TABLE MANY (ID NUMBER(8), NAME VARCHAR2(20))",
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 2500) "
        "INSERT INTO MANY SELECT I, 'row ' || I FROM N",
    });
    emulator_session session("BATCHDB");
    session.engine().set_indexes_off(true);
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
