// Writes a benchmark database, user BENCH/bench:
//   ociemu_bench_db OUTPUT.db ROWS                 table BENCH_ROWS, 10 mixed columns
//   ociemu_bench_db OUTPUT.db ROWS wide|pooled     table WIDE_ROWS, 20 columns: 10 texts (all
//                                                  different, or repeating from small pools),
//                                                  8 NUMBER(12,2), 2 DATE
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "partial_database.h"
#include "wide_rows.h"

namespace {

constexpr const char* schema = R"sql(
CREATE TABLE OCIEMU_USERS (USERNAME TEXT NOT NULL, PASSWORD TEXT NOT NULL, LOCKED TEXT DEFAULT 'N');
INSERT INTO OCIEMU_USERS VALUES ('BENCH', 'bench', 'N');
CREATE TABLE BENCH_ROWS (
    ID NUMBER(10) PRIMARY KEY,
    NAME VARCHAR2(40) NOT NULL,
    AMOUNT NUMBER(12,2),
    RATIO FLOAT,
    QUANTITY NUMBER(9),
    CREATED DATE,
    UPDATED TIMESTAMP(6),
    CODE CHAR(4),
    NOTE NVARCHAR2(100),
    ACTIVE NUMBER(1)
);
)sql";

constexpr const char* wide_schema = R"sql(
CREATE TABLE OCIEMU_USERS (USERNAME TEXT NOT NULL, PASSWORD TEXT NOT NULL, LOCKED TEXT DEFAULT 'N');
INSERT INTO OCIEMU_USERS VALUES ('BENCH', 'bench', 'N');
CREATE TABLE WIDE_ROWS (
    T01 VARCHAR2(40), T02 VARCHAR2(40), T03 VARCHAR2(40), T04 VARCHAR2(40), T05 VARCHAR2(40),
    T06 VARCHAR2(40), T07 VARCHAR2(40), T08 VARCHAR2(40), T09 VARCHAR2(40), T10 VARCHAR2(40),
    N01 NUMBER(12,2), N02 NUMBER(12,2), N03 NUMBER(12,2), N04 NUMBER(12,2),
    N05 NUMBER(12,2), N06 NUMBER(12,2), N07 NUMBER(12,2), N08 NUMBER(12,2),
    D01 DATE, D02 DATE
);
)sql";

bool check(sqlite3* db, int status, const char* action) {
    if (status == SQLITE_OK || status == SQLITE_DONE) return true;
    std::fprintf(stderr, "ociemu_bench_db: %s: %s\n", action, sqlite3_errmsg(db));
    return false;
}

// Mixed values with NULLs in every nullable column, cycling so every row differs.
bool insert_rows(sqlite3* db, long long rows) {
    sqlite3_stmt* insert = nullptr;
    const char* sql = "INSERT INTO BENCH_ROWS VALUES (?,?,?,?,?,?,?,?,?,?)";
    if (!check(db, sqlite3_prepare_v2(db, sql, -1, &insert, nullptr), "prepare insert")) return false;
    bool ok = true;
    char text[96];
    for (long long i = 1; ok && i <= rows; ++i) {
        sqlite3_bind_int64(insert, 1, i);
        std::snprintf(text, sizeof text, "Row %lld name", i);
        sqlite3_bind_text(insert, 2, text, -1, SQLITE_TRANSIENT);
        if (i % 17 == 0) sqlite3_bind_null(insert, 3); else sqlite3_bind_double(insert, 3, static_cast<double>(i % 100000) + 0.25);
        sqlite3_bind_double(insert, 4, static_cast<double>(i % 1000) / 7.0);
        sqlite3_bind_int64(insert, 5, i * 3 % 1000000);
        std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld 00:00:00", 2000 + i % 25, 1 + i % 12, 1 + i % 28);
        sqlite3_bind_text(insert, 6, text, -1, SQLITE_TRANSIENT);
        std::snprintf(text, sizeof text, "2024-%02lld-%02lld %02lld:%02lld:%02lld.%06lld", 1 + i % 12, 1 + i % 28, i % 24,
                      i % 60, i * 7 % 60, i % 1000000);
        sqlite3_bind_text(insert, 7, text, -1, SQLITE_TRANSIENT);
        std::snprintf(text, sizeof text, "C%03lld", i % 1000);
        sqlite3_bind_text(insert, 8, text, -1, SQLITE_TRANSIENT);
        if (i % 5 == 0) sqlite3_bind_null(insert, 9);
        else {
            std::snprintf(text, sizeof text, "Заметка %lld", i);
            sqlite3_bind_text(insert, 9, text, -1, SQLITE_TRANSIENT);
        }
        sqlite3_bind_int(insert, 10, static_cast<int>(i % 2));
        ok = check(db, sqlite3_step(insert), "insert row");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return ok;
}

// The wide table of the memory benchmark (values in wide_rows.h).
bool insert_wide_rows(sqlite3* db, long long rows, bool pooled) {
    sqlite3_stmt* insert = nullptr;
    const char* sql = "INSERT INTO WIDE_ROWS VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
    if (!check(db, sqlite3_prepare_v2(db, sql, -1, &insert, nullptr), "prepare insert")) return false;
    bool ok = true;
    char text[64];
    for (long long i = 1; ok && i <= rows; ++i) {
        for (int c = 0; c < wide_rows::text_columns; ++c) {
            wide_rows::text(text, i, c, pooled);
            sqlite3_bind_text(insert, c + 1, text, -1, SQLITE_TRANSIENT);
        }
        for (int c = 0; c < wide_rows::number_columns; ++c)
            sqlite3_bind_double(insert, 11 + c, wide_rows::number(i, c));
        for (int c = 0; c < wide_rows::date_columns; ++c) {
            const wide_rows::date day = wide_rows::day_of(i, c);
            std::snprintf(text, sizeof text, "%04d-%02d-%02d 00:00:00", day.year, day.month, day.day);
            sqlite3_bind_text(insert, 19 + c, text, -1, SQLITE_TRANSIENT);
        }
        ok = check(db, sqlite3_step(insert), "insert row");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    char* end = nullptr;
    const long long rows = argc == 3 || argc == 4 ? std::strtoll(argv[2], &end, 10) : -1;
    const std::string kind = argc == 4 ? argv[3] : "";
    if (!end || *end != '\0' || rows < 0 || (kind != "" && kind != "wide" && kind != "pooled")) {
        std::fprintf(stderr, "usage: ociemu_bench_db OUTPUT.db ROWS [wide|pooled]\n");
        return 2;
    }
    partial_database database("ociemu_bench_db", argv[1]);
    sqlite3* db = database.open();
    if (db == nullptr) return 1;
    const bool ok = check(db, sqlite3_exec(db, kind.empty() ? schema : wide_schema, nullptr, nullptr, nullptr),
                          "create schema") &&
                    check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), "begin") &&
                    (kind.empty() ? insert_rows(db, rows) : insert_wide_rows(db, rows, kind == "pooled")) &&
                    check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
    return database.finish(ok);
}
