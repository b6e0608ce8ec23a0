// Values as a real server sends them, through the emulator: national text on a database whose
// own character set is not Unicode, and LOBs held to a budget of round trips and server space.
#include <gtest/gtest.h>

#include "emulator_support.h"

namespace {

// Temporary LOBs alive on the emulated server, for all sessions.
unsigned long long emulator_temporary_lobs() { return emulator_counter("ociemu_temporary_lobs", 0, ~0ull); }

}  // namespace

// Without the national form on the define, every Cyrillic and CJK character came back as '¿'.
TEST(national_text, keeps_cyrillic_and_cjk_on_a_windows_1252_database) {
    emulator_database database("WINDB", {
        "CREATE TABLE OCIEMU_SETTINGS (NAME TEXT, VALUE TEXT)",
        "INSERT INTO OCIEMU_SETTINGS VALUES ('CHARACTER_SET', 'WE8MSWIN1252')",
        "CREATE TABLE NAMES (ID NUMBER(4), N NVARCHAR2(20), F NCHAR(4), NC NCLOB, V VARCHAR2(20))",
        "INSERT INTO NAMES VALUES (1, 'Москва', '東京', '北京 и Санкт-Петербург', 'Zürich')",
        "INSERT INTO NAMES VALUES (2, 'café', NULL, NULL, 'Ωμέγα')",
        // one byte a character here, three each in UTF-8
        "CREATE TABLE PRICES (P VARCHAR2(3), N NVARCHAR2(2))",
        "INSERT INTO PRICES VALUES ('€€€', '€€')",
    });
    emulator_session session("WINDB");
    session->tables();
    for (const text_form form : {text_form::utf16, text_form::utf8}) {
        SCOPED_TRACE(form == text_form::utf8 ? "UTF-8" : "UTF-16");
        const std::string t = form == text_form::utf8 ? "t:" : "u:";
        const auto rows = read_all(*session->open_table("NAMES", form));
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0], (described_row{"i:1", t + "Москва", t + "東京  ", "u:北京 и Санкт-Петербург", t + "Zürich"}));
        // the database's own set could never hold Greek: '¿' is what the server stored
        EXPECT_EQ(rows[1], (described_row{"i:2", t + "café", "null", "null", t + "¿¿¿¿¿"}));
        EXPECT_EQ(read_all(*session->open_table("PRICES", form)), (std::vector<described_row>{{t + "€€€", t + "€€"}}));
    }
}

// XMLSERIALIZE makes a temporary LOB on the server for every row; unfreed, they filled the
// server's temporary space for the whole run. Each LOB cell cost two or more round trips.
TEST(lob_budget, no_temporary_lob_outlives_its_row_and_a_lob_cell_costs_at_most_one_round_trip) {
    emulator_database database("XMLDB", {
        "CREATE TABLE DOCS (ID NUMBER(4), X XMLTYPE, C CLOB)",
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 50) "
        "INSERT INTO DOCS SELECT I, '<doc n=\"' || I || '\"/>', 'text ' || I FROM N",
    });
    emulator_session session("XMLDB");
    session->tables();
    const auto reader = session->open_table("DOCS");
    const unsigned long long before = emulator_round_trips();
    std::vector<cell_value> row;
    int rows = 0;
    while (reader->next_row(row)) {
        ++rows;
        EXPECT_EQ(described(row[1]), "u:<doc n=\"" + std::to_string(rows) + "\"/>");
        EXPECT_EQ(emulator_temporary_lobs(), static_cast<unsigned long long>(50 - rows)) << "row " << rows;
    }
    EXPECT_EQ(rows, 50);
    EXPECT_EQ(emulator_temporary_lobs(), 0u);
    EXPECT_LE(emulator_round_trips() - before, 50u * 2u + 1u);  // two LOB cells a row, one more fetch
}

// A reader that stops early leaves no temporary LOB of the rows it never read.
TEST(lob_budget, a_reader_that_stops_early_frees_the_temporary_lobs_of_its_batch) {
    emulator_database database("XMLSTOPDB", {
        "CREATE TABLE DOCS (ID NUMBER(4), X XMLTYPE)",
        "INSERT INTO DOCS VALUES (1, '<a/>'), (2, '<b/>'), (3, '<c/>')",
    });
    emulator_session session("XMLSTOPDB");
    session->tables();
    {
        const auto reader = session->open_table("DOCS");
        std::vector<cell_value> row;
        ASSERT_TRUE(reader->next_row(row));
        EXPECT_EQ(emulator_temporary_lobs(), 2u);
    }
    EXPECT_EQ(emulator_temporary_lobs(), 0u);
}
