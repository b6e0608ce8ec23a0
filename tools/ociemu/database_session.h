// One emulated server: the SQLite database of a service, its users, settings and catalogue.
#pragma once

#include "text_codec.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace ociemu {

// A user as OCIEMU_USERS describes it, once the logon is accepted.
struct account {
    std::string user;                     // upper case
    bool privileged = false;              // PRIVILEGED: may read v$version
    std::optional<long long> expires_in;  // days left before the password expires (logon warning ORA-28002)
};

class database_session {
public:
    // Opens an existing database file; a failure is ORA-12514 worded by the caller.
    explicit database_session(const std::filesystem::path& file);
    ~database_session();
    database_session(const database_session&) = delete;
    database_session& operator=(const database_session&) = delete;

    sqlite3* handle() const { return db_; }

    // Checks a user name (any case) and password (exact) against OCIEMU_USERS, or with `external`
    // finds the user marked EXTERNAL (no name, no password). Throws ORA-01017 for a wrong pair,
    // ORA-28000 for a locked account, ORA-28001 for an expired password, ORA-00054 when another
    // process holds the database locked past the busy timeout.
    account authenticate(std::string_view user, std::string_view password, bool external);

    // Tables OCIEMU_TABLE_PRIVILEGES lists for someone but grants `user` neither SELECT nor READ on,
    // in upper case: a query reading one fails with ORA-01031.
    std::vector<std::string> unreadable_tables(const std::string& user);

    // While a user's statement is compiled, reading one of `tables` is refused (ORA-01031).
    void refuse_reading(const std::vector<std::string>* tables) { refused_tables_ = tables; }

    // The v$version banner: OCIEMU_SETTINGS row BANNER, or a 19c banner.
    std::string banner();

    // The VALUE of an OCIEMU_SETTINGS row (NAME in upper case), if the table and row exist.
    std::optional<std::string> setting(std::string_view name);

    // The database character set: AL32UTF8 unless set (see the README).
    database_charset charset() const { return charset_; }
    void set_charset(database_charset charset) { charset_ = charset; }

    // Rebuilds the catalogue tables when the schema changed since the last build.
    void refresh_catalogue(const std::string& owner, bool privileged);

private:
    static int authorize(void* self, int action, const char* table, const char* column, const char* database,
                         const char* trigger);

    sqlite3* db_ = nullptr;
    long long catalogue_schema_version_ = -1;
    long long catalogue_changes_ = -1;
    std::string catalogue_owner_;
    bool catalogue_privileged_ = false;
    const std::vector<std::string>* refused_tables_ = nullptr;
    database_charset charset_ = database_charset::al32utf8;
};

// ORA-00054 when the last SQLite call failed on a lock that another connection holds.
void throw_if_busy(sqlite3* db);

// $OCIEMU_DATA, or the `data` folder beside this library.
std::filesystem::path data_folder();

// The database file of a service name, compared case-insensitively with the file names.
std::optional<std::filesystem::path> find_service_database(std::string_view service);

// Runs SQL that returns no rows; throws oracle_error 600 with SQLite's message on failure.
void execute_sqlite(sqlite3* db, const std::string& sql);

}  // namespace ociemu
