// Test support for the Oracle classes: SQLite databases that the OCI emulator serves as
// services, and an engine loaded from the emulator's library.
#pragma once

#include <dlfcn.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "../support/temp_folder.h"
#include "oracle/ora_database.h"
#include "oracle/ora_engine.h"

// The folder the emulator finds its databases in: one per test program, removed at exit.
inline const temp_folder& emulator_data_folder() {
    static const temp_folder folder;
    static const bool set = [] {
        setenv("OCIEMU_DATA", folder.path().c_str(), 1);
        return true;
    }();
    (void)set;
    return folder;
}

// A database served as the given service, with the user SCOTT / tiger.
class emulator_database {
public:
    emulator_database(const std::string& service, const std::vector<std::string>& statements) {
        const std::string path = emulator_data_folder().file(service + ".db");
        std::filesystem::remove(path);
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("cannot create " + path);
        exec("CREATE TABLE OCIEMU_USERS (USERNAME TEXT, PASSWORD TEXT, LOCKED INTEGER)");
        exec("INSERT INTO OCIEMU_USERS VALUES ('SCOTT', 'tiger', 0), ('LOCKY', 'pw', 1)");
        for (const std::string& statement : statements) exec(statement);
    }
    ~emulator_database() { sqlite3_close(db_); }
    emulator_database(const emulator_database&) = delete;
    emulator_database& operator=(const emulator_database&) = delete;

    void exec(const std::string& sql) {
        char* message = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            const std::string text = message ? message : "?";
            sqlite3_free(message);
            throw std::runtime_error(sql + ": " + text);
        }
    }

private:
    sqlite3* db_ = nullptr;
};

// An engine over the emulator, connected to a service as SCOTT.
class emulator_session {
public:
    explicit emulator_session(const std::string& service, bool owned_by_user = true) {
        emulator_data_folder();
        engine_ = std::make_unique<ora_engine>(std::vector<std::string>{OCIEMU_LIBRARY});
        engine_->set_owned_by_user(owned_by_user);
        database_ = engine_->open_db(service, "SCOTT", "tiger");
    }
    ~emulator_session() {
        database_.reset();  // recordsets and the database go before the engine
        engine_.reset();
    }

    ora_engine& engine() { return *engine_; }
    ora_database& database() { return *database_; }

private:
    std::unique_ptr<ora_engine> engine_;
    std::unique_ptr<ora_database> database_;
};

// The number of round trips the emulator has counted in this process.
inline unsigned long long emulator_round_trips() {
    using counter = unsigned long long (*)();
    void* library = dlopen(OCIEMU_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr) return 0;
    auto function = reinterpret_cast<counter>(dlsym(library, "ociemu_round_trips"));
    const unsigned long long count = function ? function() : 0;
    dlclose(library);
    return count;
}
