// Column types through the emulator: the tag, size and details each column is described with,
// and the values every type arrives as, NULLs included.
#include "oracle/ora_type.h"

#include <gtest/gtest.h>

#include <string>

#include "emulator_support.h"
#include "oracle/ora_exception.h"
#include "oracle/ora_query_results.h"

#include "../support/record_helpers.h"

namespace {

// R: a negative scale still holds the whole value, 9,900,000 for NUMBER(2,-5).
const std::vector<std::string> numbers_schema{
    "CREATE TABLE NUMS (N1 NUMBER(1), N4 NUMBER(4), N10 NUMBER(10), N18 NUMBER(18), N25 NUMBER(25), "
    "N10_2 NUMBER(10,2), N5_5 NUMBER(5,5), N NUMBER, F FLOAT, F10 FLOAT(10), R NUMBER(2,-5))",
    "INSERT INTO NUMS VALUES (-9, 9999, 2147483647, 123456789012345678, 1234567890123456789, "
    "12345678.91, 0.12345, 3.25, 1.5, 0.75, 9900000)",
    "INSERT INTO NUMS VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
};

}  // namespace

TEST(number_columns, each_precision_has_its_refined_tag_and_values_arrive_exactly) {
    emulator_database database("NUMDB", numbers_schema);
    emulator_session session("NUMDB");
    ora_query_results query(0, "SELECT * FROM NUMS");
    const udb_schema& schema = query.schema();
    ASSERT_EQ(schema.size(), 11u);
    const vartype expected[] = {VT_I1, VT_I2, VT_I4, VT_I8, VT_DECIMAL, VT_DECIMAL,
                                VT_DECIMAL, VT_R8, VT_R8, VT_R8, VT_I4};
    for (std::size_t i = 0; i < schema.size(); ++i) EXPECT_EQ(schema[i].vartype, expected[i]) << schema[i].name;
    EXPECT_EQ(schema[4].reserved, (25u << 8) | 0u);
    EXPECT_EQ(schema[5].reserved, (10u << 8) | 2u);
    EXPECT_EQ(schema[6].reserved, (6u << 8) | 5u);
    EXPECT_EQ(schema[0].reserved, 0u);
    EXPECT_EQ(schema[7].reserved, 0u);
    const auto rows = read_all(query);
    ASSERT_EQ(rows.size(), 2u);
    const udb_record& row = rows[0];
    EXPECT_EQ(row[0].get_i1(), -9);
    EXPECT_EQ(row[1].get_i2(), 9999);
    EXPECT_EQ(row[2].get_i4(), 2147483647);
    EXPECT_EQ(row[3].get_i8(), 123456789012345678LL);
    for (std::size_t i : {4u, 5u, 6u}) ASSERT_EQ(row[i].get_type(), VT_DECIMAL) << i;
    EXPECT_EQ(row[4].to_string(), "1234567890123456789");
    EXPECT_EQ(row[5].to_string(), "12345678.91");
    EXPECT_EQ(row[6].to_string(), "0.12345");
    EXPECT_DOUBLE_EQ(row[7].get_r8(), 3.25);
    EXPECT_DOUBLE_EQ(row[8].get_r8(), 1.5);
    EXPECT_DOUBLE_EQ(row[9].get_r8(), 0.75);
    EXPECT_EQ(row[10].get_i4(), 9900000);
    for (const udb_field& field : rows[1]) EXPECT_EQ(field.get_type(), VT_EMPTY) << field.name();
}

TEST(number_text, a_comma_decimal_separator_reads_as_the_same_numbers) {
    emulator_database database("COMMADB", numbers_schema);
    setenv("OCIEMU_NLS_NUMERIC_CHARACTERS", ",.", 1);
    std::vector<udb_record> rows;
    {
        emulator_session session("COMMADB");
        ora_query_results query(0, "SELECT N10_2, N5_5, N, F FROM NUMS WHERE N1 IS NOT NULL");
        rows = read_all(query);
    }
    unsetenv("OCIEMU_NLS_NUMERIC_CHARACTERS");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0].to_string(), "12345678.91");
    EXPECT_EQ(rows[0][1].to_string(), "0.12345");
    EXPECT_DOUBLE_EQ(rows[0][2].get_r8(), 3.25);
    EXPECT_DOUBLE_EQ(rows[0][3].get_r8(), 1.5);
}

TEST(text_columns, strings_keep_their_text_and_national_sizes_arrive_in_bytes) {
    emulator_database database("TEXTDB", {
        "CREATE TABLE TEXTS (V VARCHAR2(20), NV NVARCHAR2(20), C CHAR(5), NC NCHAR(3))",
        // Stored as a server keeps CHAR values: padded to their length.
        "INSERT INTO TEXTS VALUES ('plain', 'Привет, κόσμε 你好', 'ab   ', 'жз ')",
        "INSERT INTO TEXTS VALUES (NULL, NULL, NULL, NULL)",
    });
    emulator_session session("TEXTDB");
    ora_query_results query(0, "SELECT * FROM TEXTS");
    const udb_schema& schema = query.schema();
    ASSERT_EQ(schema.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(schema[i].vartype, VT_BSTR);
    EXPECT_EQ(schema[0].size, 20u);
    EXPECT_EQ(schema[1].size, 40u);  // a query reports the server's byte size
    const auto rows = read_all(query);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].get_text(), "plain");
    EXPECT_EQ(rows[0][1].get_text(), "Привет, κόσμε 你好");
    EXPECT_EQ(rows[0][2].get_text(), "ab   ");  // the padding is the value's own
    EXPECT_EQ(rows[0][3].get_text(), "жз ");
    for (const udb_field& field : rows[1]) EXPECT_EQ(field.get_type(), VT_EMPTY) << field.name();
    EXPECT_EQ(rows[1][1].size(), 40);
}

TEST(date_columns, dates_and_timestamp_fractions_keep_milliseconds) {
    emulator_database database("DATEDB", {
        "CREATE TABLE DATES (D DATE, T TIMESTAMP(9), TZ \"TIMESTAMP(6) WITH TIME ZONE\", OLD DATE)",
        "INSERT INTO DATES VALUES ('2005-12-31 23:59:58', '2020-02-29 10:11:12.123456789', "
        "'2021-06-01 08:00:00.5 +05:00', '1850-01-02 03:04:05')",
        "INSERT INTO DATES VALUES (NULL, NULL, NULL, NULL)",
    });
    emulator_session session("DATEDB");
    ora_query_results query(0, "SELECT * FROM DATES");
    for (const auto& descriptor : query.schema()) {
        EXPECT_EQ(descriptor->vartype, VT_DATE) << descriptor->name;
        EXPECT_EQ(descriptor->reserved, 1u);
    }
    const auto rows = read_all(query);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].get_date(), (ole_systemtime{2005, 12, 0, 31, 23, 59, 58, 0}));
    EXPECT_EQ(rows[0][1].get_date(), (ole_systemtime{2020, 2, 0, 29, 10, 11, 12, 123}));
    // The zone is dropped: the value's own date and time stay.
    EXPECT_EQ(rows[0][2].get_date(), (ole_systemtime{2021, 6, 0, 1, 8, 0, 0, 500}));
    EXPECT_EQ(rows[0][3].get_date(), (ole_systemtime{1850, 1, 0, 2, 3, 4, 5, 0}));
    for (const udb_field& field : rows[1]) EXPECT_EQ(field.get_type(), VT_EMPTY);
}

TEST(long_columns, a_long_text_arrives_whole) {
    const std::string text(70'000, 'x');
    emulator_database database("LONGDB", {
        "CREATE TABLE LONGS (L LONG)",
        "INSERT INTO LONGS VALUES ('" + text + "Ω')",
        "INSERT INTO LONGS VALUES (NULL)",
    });
    emulator_session session("LONGDB");
    ora_query_results query(0, "SELECT * FROM LONGS");
    EXPECT_EQ(query.schema()[0].vartype, VT_BSTR);
    const auto rows = read_all(query);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].get_text(), text + "Ω");
    EXPECT_EQ(rows[1][0].get_type(), VT_EMPTY);
}

namespace {

// SQL for a text of count copies of the two-letter pair, built by SQLite itself.
std::string repeated_pair(const std::string& pair, int count) {
    return "replace(hex(zeroblob(" + std::to_string(count) + ")), '00', '" + pair + "')";
}

std::string repeated_text(const std::string& pair, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += pair;
    return text;
}

}  // namespace

TEST(lob_columns, clobs_arrive_whole_empty_long_and_beyond_the_basic_plane) {
    // 524287 units of "a", then a character that takes two units: the first read piece ends
    // between its two halves.
    emulator_database database("CLOBDB", {
        "CREATE TABLE DOCS (ID NUMBER(4), C CLOB, NC NCLOB)",
        "INSERT INTO DOCS VALUES (1, '', '')",
        "INSERT INTO DOCS VALUES (2, 'Съешь же ещё этих мягких 😀 булок', 'Ωμέγα 𝄞')",
        "INSERT INTO DOCS VALUES (3, substr(" + repeated_pair("aa", 262144) + ", 1, 524287) || '😀' || " +
            repeated_pair("bc", 100000) + ", NULL)",
        "INSERT INTO DOCS VALUES (4, NULL, NULL)",
    });
    emulator_session session("CLOBDB");
    ora_query_results query(0, "SELECT C, NC FROM DOCS ORDER BY ID");
    EXPECT_EQ(query.schema()[0].vartype, VT_BSTR);
    EXPECT_EQ(query.schema()[1].vartype, VT_BSTR);
    const auto rows = read_all(query);
    ASSERT_EQ(rows.size(), 4u);
    ASSERT_EQ(rows[0][0].get_type(), VT_BSTR);
    EXPECT_EQ(rows[0][0].get_text(), "");
    EXPECT_EQ(rows[0][1].get_text(), "");
    EXPECT_EQ(rows[1][0].get_text(), "Съешь же ещё этих мягких 😀 булок");
    EXPECT_EQ(rows[1][1].get_text(), "Ωμέγα 𝄞");
    const std::string long_text = std::string(524287, 'a') + "😀" + repeated_text("bc", 100000);
    EXPECT_EQ(rows[2][0].get_text().size(), long_text.size());
    EXPECT_EQ(rows[2][0].get_text(), long_text);
    EXPECT_EQ(rows[2][1].get_type(), VT_EMPTY);
    EXPECT_EQ(rows[3][0].get_type(), VT_EMPTY);
}

TEST(text_form_columns, intervals_and_xml_arrive_as_their_text) {
    emulator_database database("REPRDB", {
        "CREATE TABLE REPR (ID NUMBER(4), DS \"INTERVAL DAY(2) TO SECOND(6)\", YM \"INTERVAL YEAR(2) TO MONTH\", "
        "X XMLTYPE, LTZ \"TIMESTAMP(3) WITH LOCAL TIME ZONE\")",
        "INSERT INTO REPR VALUES (1, '+01 02:03:04.500000', '+02-06', '<a>б</a>', '2022-03-04 05:06:07.891')",
        "INSERT INTO REPR VALUES (2, NULL, NULL, NULL, NULL)",
    });
    emulator_session session("REPRDB");
    ora_query_results query(0, "SELECT DS, YM, X, LTZ FROM REPR ORDER BY ID");
    const udb_schema& schema = query.schema();
    ASSERT_EQ(schema.size(), 4u);
    EXPECT_EQ(schema[0].vartype, VT_BSTR);
    EXPECT_EQ(schema[1].vartype, VT_BSTR);
    EXPECT_EQ(schema[2].vartype, VT_BSTR);
    EXPECT_EQ(schema[3].vartype, VT_DATE);
    const auto rows = read_all(query);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0].get_text(), "+01 02:03:04.500000");
    EXPECT_EQ(rows[0][1].get_text(), "+02-06");
    EXPECT_EQ(rows[0][2].get_text(), "<a>б</a>");
    EXPECT_EQ(rows[0][3].get_date(), (ole_systemtime{2022, 3, 0, 4, 5, 6, 7, 891}));
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(rows[1][i].get_type(), VT_EMPTY) << i;
}
