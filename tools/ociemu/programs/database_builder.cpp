// Builds a SQLite database from SQL scripts: ociemu_build_db OUTPUT.db SCRIPT.sql...
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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
    // The database appears under its name only when every script ran.
    const std::filesystem::path output = argv[1];
    const std::filesystem::path partial = output.string() + ".partial";
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    sqlite3* db = nullptr;
    if (sqlite3_open(partial.c_str(), &db) != SQLITE_OK) {
        std::fprintf(stderr, "ociemu_build_db: cannot create %s: %s\n", partial.c_str(), sqlite3_errmsg(db));
        sqlite3_close(db);
        return 1;
    }
    bool ok = true;
    for (int i = 2; ok && i < argc; ++i) ok = run_script(db, argv[i]);
    if (sqlite3_close(db) != SQLITE_OK) ok = false;
    std::error_code error;
    if (ok) std::filesystem::rename(partial, output, error);
    if (!ok || error) {
        if (error) std::fprintf(stderr, "ociemu_build_db: cannot rename to %s: %s\n", output.c_str(), error.message().c_str());
        std::filesystem::remove(partial, ignored);
        return 1;
    }
    return 0;
}
