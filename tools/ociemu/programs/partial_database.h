// A database file that appears under its name only when it was built completely: the
// programs write OUTPUT.partial and rename it at the end.
#pragma once

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>

class partial_database {
public:
    // program names the messages; a leftover OUTPUT.partial of an earlier run is removed.
    partial_database(const char* program, std::filesystem::path output)
        : program_(program), output_(std::move(output)), partial_(output_.string() + ".partial") {
        std::error_code ignored;
        std::filesystem::remove(partial_, ignored);
    }

    // Opens OUTPUT.partial; null, with a message, when it cannot be created.
    sqlite3* open() {
        // SQLite takes UTF-8 names on every system
        if (sqlite3_open(reinterpret_cast<const char*>(partial_.u8string().c_str()), &db_) == SQLITE_OK) return db_;
        std::fprintf(stderr, "%s: cannot create %s: %s\n", program_, partial_.string().c_str(), sqlite3_errmsg(db_));
        sqlite3_close(db_);
        db_ = nullptr;
        return nullptr;
    }

    // Closes the database and, when built is set and the close succeeded, puts it under
    // its name; otherwise removes the partial file. The program's exit status: 0 or 1.
    int finish(bool built) {
        if (db_ != nullptr && sqlite3_close(db_) != SQLITE_OK) built = false;
        db_ = nullptr;
        std::error_code error;
        if (built) std::filesystem::rename(partial_, output_, error);
        if (built && !error) return 0;
        if (error) std::fprintf(stderr, "%s: cannot rename to %s: %s\n", program_, output_.string().c_str(),
                               error.message().c_str());
        std::error_code ignored;
        std::filesystem::remove(partial_, ignored);
        return 1;
    }

private:
    const char* program_;
    std::filesystem::path output_;
    std::filesystem::path partial_;
    sqlite3* db_ = nullptr;
};
