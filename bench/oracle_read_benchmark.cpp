// Reads a table of N rows x 10 mixed columns (100,000 by default) through the OCI emulator
// with 200 microseconds per round trip, and reports rows per second and round trips. Fails
// (exit status 1) when the round trips exceed rows / 1000 (the rows of one fetch) plus a
// small constant.
#include <dlfcn.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "oracle/oracle_session.h"
#include "oracle/oracle_table_reader.h"

namespace {

// The catalogue statement, the count and the execute of opening one table, and the last
// fetch that finds no more rows.
constexpr unsigned long long round_trips_per_table = 8;

void exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, message ? message : "?");
        std::exit(2);
    }
}

void create_database(const std::filesystem::path& path, long rows) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) std::exit(2);
    exec(db, "CREATE TABLE OCIEMU_USERS (USERNAME TEXT, PASSWORD TEXT, LOCKED INTEGER)");
    exec(db, "INSERT INTO OCIEMU_USERS VALUES ('BENCH', 'bench', 0)");
    exec(db, "CREATE TABLE WIDE (ID NUMBER(10) NOT NULL, AMOUNT NUMBER(12,2), RATIO FLOAT, NAME VARCHAR2(40), "
             "CITY NVARCHAR2(20), CODE CHAR(4), BORN DATE, SEEN TIMESTAMP(6), FLAGS RAW(4), SCORE BINARY_DOUBLE)");
    exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO WIDE VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
    for (long i = 1; i <= rows; ++i) {
        const std::string name = "Customer number " + std::to_string(i);
        const std::string born = "19" + std::to_string(50 + i % 50) + "-0" + std::to_string(1 + i % 9) + "-15 10:20:30";
        const unsigned char flags[4] = {static_cast<unsigned char>(i), 1, 2, 3};
        sqlite3_bind_int64(insert, 1, i);
        sqlite3_bind_double(insert, 2, static_cast<double>(i % 100000) / 100.0);
        sqlite3_bind_double(insert, 3, 1.0 / static_cast<double>(i));
        sqlite3_bind_text(insert, 4, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, i % 2 ? "Москва" : "Αθήνα", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 6, "AB12", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 7, born.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 8, "2024-03-04 05:06:07.250000", -1, SQLITE_STATIC);
        sqlite3_bind_blob(insert, 9, flags, sizeof flags, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 10, static_cast<double>(i) * 0.5);
        if (sqlite3_step(insert) != SQLITE_DONE) std::exit(2);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    exec(db, "COMMIT");
    sqlite3_close(db);
}

unsigned long long round_trips() {
    void* library = dlopen(OCIEMU_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    auto counter = library ? reinterpret_cast<unsigned long long (*)()>(dlsym(library, "ociemu_round_trips")) : nullptr;
    const unsigned long long count = counter ? counter() : 0;
    if (library) dlclose(library);
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 100'000;
    char pattern[] = "/tmp/sprandel-oracle-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 2;
    const std::filesystem::path folder = pattern;
    create_database(folder / "BENCH.db", rows);
    setenv("OCIEMU_DATA", folder.c_str(), 1);
    setenv("OCIEMU_RTT_US", "200", 0);  // a caller's own latency wins

    long read = 0;
    unsigned long long trips = 0;
    double seconds = 0;
    try {
        oracle_session session({OCIEMU_LIBRARY});
        session.connect({"", "", "BENCH", "bench", "bench"});
        session.tables();
        const unsigned long long before = round_trips();
        const auto start = std::chrono::steady_clock::now();
        const auto table = session.open_table("WIDE");
        std::vector<cell_value> row;
        while (table->next_row(row)) ++read;
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        trips = round_trips() - before;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        std::filesystem::remove_all(folder);
        return 2;
    }
    std::filesystem::remove_all(folder);

    const unsigned long long bound = static_cast<unsigned long long>(rows) / prefetch_rows + round_trips_per_table;
    std::printf("rows read:       %ld of %ld (10 columns)\n", read, rows);
    std::printf("time:            %.3f s\n", seconds);
    std::printf("rows per second: %.0f\n", seconds > 0 ? static_cast<double>(read) / seconds : 0.0);
    std::printf("round trips:     %llu (bound %llu, latency %s us each)\n", trips, bound, std::getenv("OCIEMU_RTT_US"));
    if (read != rows) {
        std::printf("FAILED: not every row was read\n");
        return 1;
    }
    if (trips > bound) {
        std::printf("FAILED: more round trips than rows / %u + %llu\n", prefetch_rows, round_trips_per_table);
        return 1;
    }
    return 0;
}
