// The reader through the OCI emulator: the value each column type arrives as, the end of an
// item, the errors that cost a row or the item, and the round trips a table costs.
#include "oracle/oracle_table_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "emulator_support.h"
#include "oracle/ora_exception.h"

namespace {

std::vector<described_row> query_rows(emulator_session& session, const std::string& sql) {
    const auto reader = session->open_query("Q", sql);
    return read_all(*reader);
}

// SQL inserting the whole numbers 1 .. count into table (ID) with a name beside each.
std::string numbered_rows(const std::string& table, int count) {
    return "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " + std::to_string(count) +
           ") INSERT INTO " + table + " SELECT I, 'row ' || I FROM N";
}

}  // namespace

// Integer columns arrive as integers, other numbers of up to 15 digits as reals, longer
// ones as their exact digits; a negative scale still holds the whole value.
TEST(number_values, each_number_arrives_exactly_as_an_integer_a_real_or_its_digits) {
    emulator_database database("NUMDB", {
        "CREATE TABLE NUMS (ID NUMBER(2), N1 NUMBER(1), N10 NUMBER(10), N18 NUMBER(18), N19 NUMBER(19), "
        "N25 NUMBER(25), N10_2 NUMBER(10,2), N5_5 NUMBER(5,5), N NUMBER, F FLOAT, R NUMBER(2,-5))",
        "INSERT INTO NUMS VALUES (1, -9, 2147483647, 123456789012345678, 9223372036854775807, "
        "1234567890123456789, 12345678.91, 0.12345, 3.25, 1.5, 9900000)",
        "INSERT INTO NUMS VALUES (2, 0, 2147483648, -999999999999999999, -9223372036854775808, "
        "-1000000000000000000000000, -0.5, -0.00001, '123456789012345', '1234567890123456', -9900000)",
        "INSERT INTO NUMS VALUES (3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
        // as blobs, since SQLite keeps 15 digits of a longer number in a NUMBER column
        "CAST('12345678901234567890123456789012345678' AS BLOB), "
        "CAST('0.1234567890123456789012345678901234567' AS BLOB), NULL)",
    });
    emulator_session session("NUMDB");
    const auto rows = query_rows(session, "SELECT * FROM NUMS ORDER BY ID");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (described_row{"i:1", "i:-9", "i:2147483647", "i:123456789012345678", "i:9223372036854775807",
                                      "i:1234567890123456789", "r:12345678.91", "r:0.12345", "r:3.25", "r:1.5",
                                      "i:9900000"}));
    EXPECT_EQ(rows[1], (described_row{"i:2", "i:0", "i:2147483648", "i:-999999999999999999",
                                      "i:-9223372036854775808", "r:-1e+24", "r:-0.5", "r:-1e-05",
                                      "r:123456789012345", "d:1234567890123456", "i:-9900000"}));
    EXPECT_EQ(rows[2], (described_row{"i:3", "null", "null", "null", "null", "null", "null", "null",
                                      "d:12345678901234567890123456789012345678",
                                      "d:0.1234567890123456789012345678901234567", "null"}));
}

TEST(number_values, a_comma_decimal_separator_reads_as_the_same_numbers) {
    emulator_database database("COMMADB", {
        "CREATE TABLE NUMS (A NUMBER(10,2), B NUMBER(5,5), C NUMBER, D NUMBER(30,20))",
        "INSERT INTO NUMS VALUES (12345678.91, 0.12345, -3.25, CAST('1234567890.12345678901234567890' AS BLOB))",
    });
    setenv("OCIEMU_NLS_NUMERIC_CHARACTERS", ",.", 1);
    std::vector<described_row> rows;
    {
        emulator_session session("COMMADB");
        rows = query_rows(session, "SELECT * FROM NUMS");
    }
    unsetenv("OCIEMU_NLS_NUMERIC_CHARACTERS");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (described_row{"r:12345678.91", "r:0.12345", "r:-3.25", "d:1234567890.1234567890123456789"}));
}

TEST(number_values, binary_floats_and_doubles_are_reals_with_their_special_values) {
    emulator_database database("BINDB", {
        "CREATE TABLE B (ID NUMBER(2), F BINARY_FLOAT, D BINARY_DOUBLE)",
        "INSERT INTO B VALUES (1, 0.1, 0.1), (2, 'Nan', '-Inf'), (3, 'Inf', 1e300), (4, NULL, NULL)",
    });
    emulator_session session("BINDB");
    const auto rows = query_rows(session, "SELECT F, D FROM B ORDER BY ID");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (described_row{"r:0.1", "r:0.1"}));  // the float's own digits, not 0.100000001490116
    EXPECT_EQ(rows[1], (described_row{"r:nan", "r:-inf"}));
    EXPECT_EQ(rows[2], (described_row{"r:inf", "r:1e+300"}));
    EXPECT_EQ(rows[3], (described_row{"null", "null"}));
}

TEST(text_values, texts_keep_every_character_and_national_sizes_count_characters) {
    emulator_database database("TEXTDB", {
        "CREATE TABLE TEXTS (V VARCHAR2(20), NV NVARCHAR2(20), C CHAR(5), NC NCHAR(3))",
        // Stored as a server keeps CHAR values: padded to their length.
        "INSERT INTO TEXTS VALUES ('plain', 'Привет, κόσμε 你好', 'ab   ', 'жз ')",
        "INSERT INTO TEXTS VALUES ('😀𝄞 x', '𝄞', 'a''b', NULL)",
        "INSERT INTO TEXTS VALUES (NULL, NULL, NULL, NULL)",
    });
    emulator_session session("TEXTDB");
    for (const text_form form : {text_form::utf16, text_form::utf8}) {
        SCOPED_TRACE(form == text_form::utf8 ? "UTF-8" : "UTF-16");
        const auto reader = session->open_query("Texts", "SELECT * FROM TEXTS", form);
        EXPECT_EQ(reader->columns()[0].size, 20);
        EXPECT_EQ(reader->columns()[1].size, 20);
        EXPECT_EQ(reader->columns()[3].type_name, "NCHAR");
        const auto rows = read_all(*reader);
        const std::string t = form == text_form::utf8 ? "t:" : "u:";  // the form asked is the form given
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0], (described_row{t + "plain", t + "Привет, κόσμε 你好", t + "ab   ", t + "жз "}));
        EXPECT_EQ(rows[1], (described_row{t + "😀𝄞 x", t + "𝄞", t + "a'b  ", "null"}));
        EXPECT_EQ(rows[2], (described_row{"null", "null", "null", "null"}));
    }
}

TEST(date_values, dates_keep_their_year_sign_and_timestamps_their_milliseconds_without_zone) {
    emulator_database database("DATEDB", {
        "CREATE TABLE DATES (ID NUMBER(2), D DATE, T TIMESTAMP(9), TZ \"TIMESTAMP(6) WITH TIME ZONE\", "
        "LTZ \"TIMESTAMP(3) WITH LOCAL TIME ZONE\")",
        "INSERT INTO DATES VALUES (1, '2005-12-31 23:59:58', '2020-02-29 10:11:12.123456789', "
        "'2021-06-01 08:00:00.5 +05:00', '2022-03-04 05:06:07.891')",
        "INSERT INTO DATES VALUES (2, '1850-01-02 03:04:05', '1899-12-31 00:00:00', '0001-01-01 00:00:00 -03:00', "
        "'1900-01-01 00:00:00')",
        "INSERT INTO DATES VALUES (3, '-4712-01-01 00:00:00', '-0001-12-31 12:00:00.001', NULL, NULL)",
        "INSERT INTO DATES VALUES (4, NULL, NULL, NULL, NULL)",
    });
    emulator_session session("DATEDB");
    const auto rows = query_rows(session, "SELECT D, T, TZ, LTZ FROM DATES ORDER BY ID");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (described_row{"dt:2005-12-31 23:59:58.000", "dt:2020-02-29 10:11:12.123",
                                      "dt:2021-06-01 08:00:00.500", "dt:2022-03-04 05:06:07.891"}));
    EXPECT_EQ(rows[1], (described_row{"dt:1850-01-02 03:04:05.000", "dt:1899-12-31 00:00:00.000",
                                      "dt:1-01-01 00:00:00.000", "dt:1900-01-01 00:00:00.000"}));
    EXPECT_EQ(rows[2], (described_row{"dt:-4712-01-01 00:00:00.000", "dt:-1-12-31 12:00:00.001", "null", "null"}));
    EXPECT_EQ(rows[3], (described_row{"null", "null", "null", "null"}));
}

TEST(long_values, a_long_text_arrives_whole_and_one_past_the_limit_costs_its_row) {
    const std::string text(70'000, 'x');
    emulator_database database("LONGDB", {
        "CREATE TABLE LONGS (ID NUMBER(2), L LONG)",
        "INSERT INTO LONGS VALUES (1, '" + text + "Ω')",
        "INSERT INTO LONGS VALUES (2, replace(hex(zeroblob(500001)), '00', 'ab'))",
        "INSERT INTO LONGS VALUES (3, NULL)",
    });
    emulator_session session("LONGDB");
    const auto reader = session->open_query("Longs", "SELECT L FROM LONGS ORDER BY ID");
    // a row of 2 MB: a batch stays within its 16 MB rather than taking 2 GB
    EXPECT_EQ(dynamic_cast<oracle_table_reader&>(*reader).batch_rows(), 8u);
    std::vector<cell_value> row;
    ASSERT_TRUE(reader->next_row(row));
    EXPECT_EQ(described(row[0]), "u:" + text + "Ω");
    try {
        reader->next_row(row);
        FAIL() << "a LONG of 1,000,002 characters arrived";
    } catch (const row_error& error) {
        EXPECT_EQ(error.message(), "The value of column 'L' is longer than 1000000 characters, the most that is read.");
    }
    ASSERT_TRUE(reader->next_row(row));
    EXPECT_TRUE(row[0].is_null());
    EXPECT_FALSE(reader->next_row(row));
}

TEST(lob_values, clobs_arrive_empty_short_beyond_the_basic_plane_and_long_ones_as_far_as_a_cell_holds) {
    // 32768 units of "a", then a character that takes two units: the read ends between its halves
    const std::string pairs = "replace(hex(zeroblob(16384)), '00', 'aa')";
    emulator_database database("CLOBDB", {
        "CREATE TABLE DOCS (ID NUMBER(4), C CLOB, NC NCLOB)",
        "INSERT INTO DOCS VALUES (1, '', '')",
        "INSERT INTO DOCS VALUES (2, 'Съешь же ещё этих мягких 😀 булок', 'Ωμέγα 𝄞')",
        "INSERT INTO DOCS VALUES (3, " + pairs + " || '😀' || replace(hex(zeroblob(100000)), '00', 'bc'), "
        "substr(" + pairs + ", 1, 32767) || '😀')",
        "INSERT INTO DOCS VALUES (4, NULL, NULL)",
    });
    emulator_session session("CLOBDB");
    const auto rows = query_rows(session, "SELECT C, NC FROM DOCS ORDER BY ID");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (described_row{"u:", "u:"}));
    EXPECT_EQ(rows[1], (described_row{"u:Съешь же ещё этих мягких 😀 булок", "u:Ωμέγα 𝄞"}));
    // longer than a cell either way, so the cut is still seen; no half character
    EXPECT_TRUE(rows[2][0] == "u:" + std::string(32768, 'a')) << rows[2][0].size();
    EXPECT_TRUE(rows[2][1] == "u:" + std::string(32767, 'a') + "😀") << rows[2][1].size();
    EXPECT_EQ(rows[3], (described_row{"null", "null"}));
}

// Binary values are never fetched: a value is only noted as there.
TEST(other_values, binaries_are_noted_intervals_and_xml_are_text_and_unreadable_types_a_placeholder) {
    emulator_database database("REPRDB", {
        "CREATE TABLE REPR (ID NUMBER(4), DS \"INTERVAL DAY(2) TO SECOND(6)\", YM \"INTERVAL YEAR(2) TO MONTH\", "
        "X XMLTYPE, R RAW(16), LR \"LONG RAW\", B BLOB, F BFILE)",
        "INSERT INTO REPR VALUES (1, '+01 02:03:04.500000', '+02-06', '<a>б</a>', X'0102030405', X'FF00', "
        "X'00112233', NULL)",
        "INSERT INTO REPR VALUES (2, NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
    });
    emulator_session session("REPRDB");
    const auto reader = session->open_query("Repr", "SELECT DS, YM, X, R, LR, B, F FROM REPR ORDER BY ID");
    EXPECT_EQ(reader->columns()[2].type_name, "XMLTYPE");
    const auto rows = read_all(*reader);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (described_row{"u:+01 02:03:04.500000", "u:+02-06", "u:<a>б</a>", "b:0", "b:0", "b:0",
                                      "t:<unsupported type>"}));
    EXPECT_EQ(rows[1], (described_row{"null", "null", "null", "null", "null", "null", "t:<unsupported type>"}));
}

// ---- The end of an item ----

TEST(reading_ends, only_when_the_server_has_no_more_rows_whatever_the_estimate_said) {
    emulator_database database("GROWDB", {"CREATE TABLE GROWING (ID NUMBER(4), NAME VARCHAR2(20))",
                                          numbered_rows("GROWING", 3)});
    emulator_session session("GROWDB");
    EXPECT_EQ(session->open_table("GROWING")->estimated_rows(), 3);
    // rows added after a count are read: an estimate is never a limit
    database.exec("INSERT INTO GROWING VALUES (4, 'late'), (5, 'later')");
    client_calls calls(emulator_library());
    calls.log_on("GROWDB", "SCOTT", "tiger");
    for (const std::int64_t estimate : {3, 10}) {
        oracle_table_reader reader(calls, "SELECT * FROM GROWING ORDER BY ID", estimate);
        EXPECT_EQ(reader.estimated_rows(), estimate);
        const auto rows = read_all(reader);
        ASSERT_EQ(rows.size(), 5u) << estimate;
        EXPECT_EQ(rows[4], (described_row{"i:5", "u:later"}));
        std::vector<cell_value> row;
        EXPECT_FALSE(reader.next_row(row)) << "a finished reader fetched again";
    }
}

// A table that ends exactly on a fetch call's batch or on a round trip's rows.
TEST(reading_ends, empty_tables_and_tables_ending_on_a_batch_or_a_round_trip_end_cleanly) {
    const int batch = static_cast<int>(fetch_batch_rows), trip = static_cast<int>(prefetch_rows);
    emulator_database database("EDGEDB", {
        "CREATE TABLE EMPTY (ID NUMBER(4))",
        "CREATE TABLE ONE_BATCH (ID NUMBER(8), NAME VARCHAR2(20))", numbered_rows("ONE_BATCH", batch),
        "CREATE TABLE ONE_TRIP (ID NUMBER(8), NAME VARCHAR2(20))", numbered_rows("ONE_TRIP", trip),
        "CREATE TABLE TWO_TRIPS_ONE (ID NUMBER(8), NAME VARCHAR2(20))", numbered_rows("TWO_TRIPS_ONE", 2 * trip + 1),
    });
    emulator_session session("EDGEDB");
    EXPECT_TRUE(read_all(*session->open_table("EMPTY")).empty());
    for (const auto& [table, count] : {std::pair<std::string, int>{"ONE_BATCH", batch}, {"ONE_TRIP", trip},
                                       {"TWO_TRIPS_ONE", 2 * trip + 1}}) {
        const auto rows = read_all(*session->open_table(table));
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(count)) << table;
        for (int i = 0; i < count; ++i) ASSERT_EQ(rows[i][0], "i:" + std::to_string(i + 1)) << table;
        EXPECT_EQ(rows.back()[1], "u:row " + std::to_string(count));
    }
}

// ---- Errors ----

namespace {

// Reads every row's first value into seen, noting each row error as "error: <message>" in
// place of its row; an error that ends the item leaves with what was seen so far.
void read_with_errors(table_reader& reader, std::vector<std::string>& seen) {
    std::vector<cell_value> row;
    for (;;) {
        try {
            if (!reader.next_row(row)) return;
            seen.push_back(described(row[0]));
        } catch (const row_error& error) {
            seen.push_back("row error: " + error.message());
        } catch (const ora_exception& error) {
            seen.push_back("error: " + error.message());
        }
    }
}

}  // namespace

// The server fails row 1500, in the second round trip's rows: the 499 rows before it arrive first,
// in order, then the error, and nothing after it (a real server's cursor is closed then).
// A value the reader itself cannot take costs only its row.
TEST(row_errors, a_server_error_ends_the_read_after_the_rows_before_it_and_a_bad_value_costs_its_row) {
    emulator_database database("BADROWDB", {
        "CREATE TABLE T (ID NUMBER(8), NAME VARCHAR2(20))", numbered_rows("T", 2500),
        "UPDATE T SET ID = 'x1500' WHERE ID = 1500",
        "CREATE TABLE U (ID NUMBER(4), T VARCHAR2(10))",
        "INSERT INTO U VALUES (1, 'first'), (2, CAST(X'41EDA0805A' AS TEXT)), (3, 'third')",
    });
    emulator_session session("BADROWDB");
    std::vector<std::string> seen;
    read_with_errors(*session->open_table("T"), seen);
    ASSERT_EQ(seen.size(), 1500u);
    for (int i = 0; i < 1499; ++i) ASSERT_EQ(seen[i], "i:" + std::to_string(i + 1));
    EXPECT_EQ(seen[1499], "error: ORA-01722: invalid number");
    // as UTF-16 a lone surrogate, as UTF-8 the stored bytes unchecked
    for (const text_form form : {text_form::utf16, text_form::utf8}) {
        std::vector<cell_value> row;
        const auto reader = session->open_table("U", form);
        ASSERT_TRUE(reader->next_row(row));
        try {
            reader->next_row(row);
            FAIL() << "text that is not Unicode passed";
        } catch (const row_error& error) {
            EXPECT_EQ(error.message(), "Cannot convert to UNICODE string: the value of column 'T' is not valid text.");
            EXPECT_EQ(error.level(), tk_level_recoverable);
        }
        ASSERT_TRUE(reader->next_row(row));
        EXPECT_EQ(described(row[1]), form == text_form::utf8 ? "t:third" : "u:third");
    }
}

TEST(row_errors, a_lost_connection_ends_the_item_after_the_rows_that_arrived) {
    emulator_database database("LOSTDB",
                               {"CREATE TABLE T (ID NUMBER(8), NAME VARCHAR2(20))", numbered_rows("T", 3000)});
    setenv("OCIEMU_FAIL_AFTER_ROWS", "1500", 1);
    std::vector<std::string> seen;
    int ora_code = 0;
    {
        emulator_session session("LOSTDB");
        unsetenv("OCIEMU_FAIL_AFTER_ROWS");
        const auto reader = session->open_query("T", "SELECT * FROM T ORDER BY ID");
        std::vector<cell_value> values;
        try {
            while (reader->next_row(values)) seen.push_back(described(values[0]));
        } catch (const ora_exception& error) {
            ora_code = error.oracle_number();
            EXPECT_TRUE(error.is_connection_lost());
        }
        std::vector<cell_value> row;
        EXPECT_FALSE(reader->next_row(row));
    }
    unsetenv("OCIEMU_FAIL_AFTER_ROWS");
    EXPECT_EQ(ora_code, 3113);
    ASSERT_EQ(seen.size(), 1500u);
    EXPECT_EQ(seen[999], "i:1000");
    EXPECT_EQ(seen[1499], "i:1500");
}

// ---- Round trips ----

// With a prefetch of 1,000 rows a table costs about rows / 1000 round trips, however few rows
// each fetch call takes; one row per call would cost one round trip per row.
TEST(round_trips, a_table_of_5000_rows_costs_about_one_round_trip_per_1000_rows) {
    emulator_database database("TRIPDB", {"CREATE TABLE MANY (ID NUMBER(8), NAME VARCHAR2(20))",
                                          numbered_rows("MANY", 5000)});
    emulator_session session("TRIPDB");
    session->tables();
    const unsigned long long before = emulator_round_trips();
    const auto reader = session->open_table("MANY");
    const auto rows = read_all(*reader);
    const unsigned long long trips = emulator_round_trips() - before;
    ASSERT_EQ(rows.size(), 5000u);
    EXPECT_EQ(rows[4999], (described_row{"i:5000", "u:row 5000"}));
    // the catalogue's statements, the count and the execute are the small constant
    EXPECT_LE(trips, 5000u / 1000u + 8u);
}
