// Builds a SQLite database from SQL scripts: ociemu_build_db OUTPUT.db SCRIPT.sql...
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "partial_database.h"

namespace {

bool run_script(sqlite3* db, const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "ociemu_build_db: cannot read %s\n", path);
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    char* message = nullptr;
    if (sqlite3_exec(db, text.str().c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "ociemu_build_db: %s: %s\n", path, message ? message : "unknown failure");
        sqlite3_free(message);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ociemu_build_db OUTPUT.db SCRIPT.sql...\n");
        return 2;
    }
    partial_database database("ociemu_build_db", argv[1]);
    sqlite3* db = database.open();
    if (db == nullptr) return 1;
    bool ok = true;
    for (int i = 2; ok && i < argc; ++i) ok = run_script(db, argv[i]);
    return database.finish(ok);
}
