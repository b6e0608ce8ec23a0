// SQLite databases that the OCI emulator serves as services, for every test that reaches Oracle
// through it (in process or through sprandel-cli). Needs SQLite linked.
#pragma once

#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "temp_folder.h"

// The folder the emulator finds its databases in: one per test program, removed at exit.
inline const temp_folder& emulator_data_folder() {
    static const temp_folder folder;
    static const bool set = [] {
        setenv("OCIEMU_DATA", folder.path().string().c_str(), 1);
        return true;
    }();
    (void)set;
    return folder;
}

// A database served as the given service: an empty one with the users SCOTT / tiger and the
// locked LOCKY, or a copy of base (which brings its own users); then the statements are run.
class emulator_database {
public:
    emulator_database(const std::string& service, const std::vector<std::string>& statements)
        : emulator_database(emulator_data_folder().path(), service, {}, statements) {}
    emulator_database(const std::filesystem::path& folder, const std::string& service,
                      const std::filesystem::path& base, const std::vector<std::string>& statements)
        : file_(folder / (service + ".db")) {
        std::filesystem::remove(file_);
        if (!base.empty()) std::filesystem::copy_file(base, file_);
        if (sqlite3_open(file_.string().c_str(), &db_) != SQLITE_OK) throw std::runtime_error("cannot open " + file_.string());
        if (base.empty()) {
            exec("CREATE TABLE OCIEMU_USERS (USERNAME TEXT, PASSWORD TEXT, LOCKED INTEGER)");
            exec("INSERT INTO OCIEMU_USERS VALUES ('SCOTT', 'tiger', 0), ('LOCKY', 'pw', 1)");
        }
        for (const std::string& statement : statements) exec(statement);
    }
    ~emulator_database() { sqlite3_close(db_); }
    emulator_database(const emulator_database&) = delete;
    emulator_database& operator=(const emulator_database&) = delete;

    // Runs one or more statements separated by semicolons.
    void exec(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error(sql + ": " + text);
        }
    }

    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    sqlite3* db_ = nullptr;
};
