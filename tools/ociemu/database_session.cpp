// Opens the database of a service, registers the Oracle functions SQLite lacks, checks users.
#include "database_session.h"

#include "catalogue.h"
#include "oracle_errors.h"
#include "platform.h"
#include "text_codec.h"
#include "value_conversion.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace ociemu {
namespace {

constexpr const char* default_banner = "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production";

// Oracle's CONCAT treats NULL as an empty string and is NULL only when both sides are.
void concat_function(sqlite3_context* context, int, sqlite3_value** args) {
    const bool left_null = sqlite3_value_type(args[0]) == SQLITE_NULL;
    const bool right_null = sqlite3_value_type(args[1]) == SQLITE_NULL;
    if (left_null && right_null) {
        sqlite3_result_null(context);
        return;
    }
    std::string text;
    if (!left_null) text += reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    if (!right_null) text += reinterpret_cast<const char*>(sqlite3_value_text(args[1]));
    sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void nvl_function(sqlite3_context* context, int, sqlite3_value** args) {
    sqlite3_result_value(context, sqlite3_value_type(args[0]) == SQLITE_NULL ? args[1] : args[0]);
}

// XMLSERIALIZE(CONTENT x AS CLOB): the document's text, unchanged.
void xml_serialize_function(sqlite3_context* context, int, sqlite3_value** args) {
    sqlite3_result_value(context, args[0]);
}

std::string local_time_text(bool with_fraction) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const std::tm parts = local_time(seconds);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &parts);
    std::string text = buffer;
    if (with_fraction) {
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000;
        std::snprintf(buffer, sizeof buffer, ".%06lld", static_cast<long long>(micros));
        text += buffer;
        std::strftime(buffer, sizeof buffer, "%z", &parts);  // +HHMM
        const std::string zone = buffer;
        if (zone.size() == 5) {
            // appended piece by piece: "literal" + std::string draws a false -Wrestrict from GCC 12 at -O3
            text += ' ';
            text.append(zone, 0, 3).append(1, ':').append(zone, 3);
        }
    }
    return text;
}

void sysdate_function(sqlite3_context* context, int, sqlite3_value**) {
    const std::string text = local_time_text(false);
    sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void systimestamp_function(sqlite3_context* context, int, sqlite3_value**) {
    const std::string text = local_time_text(true);
    sqlite3_result_text(context, text.c_str(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// TO_NUMBER(text): a text that is no number fails the row with ORA-01722, on the server.
void to_number_function(sqlite3_context* context, int, sqlite3_value** args) {
    const int type = sqlite3_value_type(args[0]);
    if (type == SQLITE_NULL || type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        sqlite3_result_value(context, args[0]);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const auto decimal = normalise_decimal(text ? text : "");
    if (!decimal) {
        sqlite3_result_error(context, "ORA-01722", -1);
        return;
    }
    if (decimal->find('.') == std::string::npos && decimal->size() < 19) sqlite3_result_int64(context, std::stoll(*decimal));
    else sqlite3_result_double(context, std::strtod(decimal->c_str(), nullptr));
}

// The divisor of a division, unchanged unless it is zero: then the row fails with ORA-01476.
void divisor_function(sqlite3_context* context, int, sqlite3_value** args) {
    const int type = sqlite3_value_numeric_type(args[0]);
    if ((type == SQLITE_INTEGER || type == SQLITE_FLOAT) && sqlite3_value_double(args[0]) == 0.0) {
        sqlite3_result_error(context, "ORA-01476", -1);
        return;
    }
    sqlite3_result_value(context, args[0]);
}

void register_functions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "concat", 2, flags, nullptr, concat_function, nullptr, nullptr);
    sqlite3_create_function(db, "nvl", 2, flags, nullptr, nvl_function, nullptr, nullptr);
    sqlite3_create_function(db, "to_number", 1, flags, nullptr, to_number_function, nullptr, nullptr);
    sqlite3_create_function(db, "ociemu_divisor", 1, flags, nullptr, divisor_function, nullptr, nullptr);
    sqlite3_create_function(db, "ociemu_xmlserialize", 1, flags, nullptr, xml_serialize_function, nullptr, nullptr);
    sqlite3_create_function(db, "ociemu_sysdate", 0, SQLITE_UTF8, nullptr, sysdate_function, nullptr, nullptr);
    sqlite3_create_function(db, "ociemu_systimestamp", 0, SQLITE_UTF8, nullptr, systimestamp_function, nullptr, nullptr);
}

bool is_locked_flag(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return false;
    if (sqlite3_column_type(statement, column) == SQLITE_INTEGER) return sqlite3_column_int64(statement, column) != 0;
    const std::string text = to_upper_ascii(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
    return text == "Y" || text == "YES" || text == "TRUE" || text == "LOCKED" || text == "1";
}

long long pragma_value(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    long long value = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

}  // namespace

void throw_if_busy(sqlite3* db) {
    const int code = sqlite3_errcode(db);
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) throw make_error(ora::resource_busy);
}

database_session::database_session(const std::filesystem::path& file) {
    const std::u8string name = file.u8string();  // SQLite takes UTF-8 names on every system
    const char* utf8 = reinterpret_cast<const char*>(name.c_str());
    int status = sqlite3_open_v2(utf8, &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (status != SQLITE_OK) {  // a database on read-only storage still serves queries
        sqlite3_close(db_);
        db_ = nullptr;
        status = sqlite3_open_v2(utf8, &db_, SQLITE_OPEN_READONLY, nullptr);
    }
    if (status != SQLITE_OK) {
        const std::string reason = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw make_error(ora::internal_error, "cannot open " + file.string() + ": " + reason);
    }
    // Another process writing the database holds it locked; wait as a server waits for a lock.
    const char* wait = std::getenv("OCIEMU_BUSY_TIMEOUT_MS");
    sqlite3_busy_timeout(db_, wait != nullptr ? std::atoi(wait) : 5000);
    register_functions(db_);
    sqlite3_set_authorizer(db_, authorize, this);
}

int database_session::authorize(void* self, int action, const char* table, const char*, const char*, const char*) {
    const auto* refused = static_cast<database_session*>(self)->refused_tables_;
    if (action != SQLITE_READ || !refused || !table) return SQLITE_OK;
    const std::string name = to_upper_ascii(table);
    for (const std::string& other : *refused)
        if (other == name) return SQLITE_DENY;
    return SQLITE_OK;
}

database_session::~database_session() { sqlite3_close_v2(db_); }

account database_session::authenticate(std::string_view user, std::string_view password, bool external) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT * FROM OCIEMU_USERS", -1, &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        throw_if_busy(db_);
        throw make_error(ora::invalid_credentials);  // a database without users admits nobody
    }
    // USERNAME, PASSWORD and LOCKED always; PRIVILEGED, EXTERNAL and EXPIRES_IN_DAYS when present.
    int column_of[6] = {-1, -1, -1, -1, -1, -1};
    const char* names[6] = {"USERNAME", "PASSWORD", "LOCKED", "PRIVILEGED", "EXTERNAL", "EXPIRES_IN_DAYS"};
    for (int i = 0; i < sqlite3_column_count(statement); ++i)
        for (int k = 0; k < 6; ++k)
            if (equals_ignoring_case(sqlite3_column_name(statement, i), names[k])) column_of[k] = i;
    auto flag = [&](int k) { return column_of[k] >= 0 && is_locked_flag(statement, column_of[k]); };
    bool known = false;
    bool locked = false;
    account found;
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto* name = column_of[0] >= 0 ? sqlite3_column_text(statement, column_of[0]) : nullptr;
        const auto* secret = column_of[1] >= 0 ? sqlite3_column_text(statement, column_of[1]) : nullptr;
        const bool matches = external ? name && flag(4)
                                      : name && secret && equals_ignoring_case(reinterpret_cast<const char*>(name), user) &&
                                            password == reinterpret_cast<const char*>(secret);
        if (!matches) continue;
        known = true;
        locked = flag(2);
        found.user = to_upper_ascii(reinterpret_cast<const char*>(name));
        found.privileged = flag(3);
        if (column_of[5] >= 0 && sqlite3_column_type(statement, column_of[5]) != SQLITE_NULL)
            found.expires_in = sqlite3_column_int64(statement, column_of[5]);
        break;
    }
    sqlite3_finalize(statement);
    if (!known && status != SQLITE_DONE) throw_if_busy(db_);
    if (!known || found.user.empty()) throw make_error(ora::invalid_credentials);
    if (locked) throw make_error(ora::account_locked);
    if (found.expires_in && *found.expires_in <= 0) throw make_error(ora::password_expired);
    return found;
}

std::vector<std::string> database_session::unreadable_tables(const std::string& user) {
    std::vector<std::string> tables;
    sqlite3_stmt* statement = nullptr;
    const char* sql = "SELECT DISTINCT upper(TABLE_NAME) FROM OCIEMU_TABLE_PRIVILEGES EXCEPT "
                      "SELECT upper(TABLE_NAME) FROM OCIEMU_TABLE_PRIVILEGES WHERE upper(GRANTEE) = ?1 "
                      "AND upper(PRIVILEGE) IN ('SELECT', 'READ')";
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(statement, 1, user.c_str(), static_cast<int>(user.size()), SQLITE_TRANSIENT);
        while (sqlite3_step(statement) == SQLITE_ROW)
            tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    return tables;
}

std::optional<std::string> database_session::setting(std::string_view name) {
    sqlite3_stmt* statement = nullptr;
    std::optional<std::string> value;
    const char* sql = "SELECT VALUE FROM OCIEMU_SETTINGS WHERE upper(NAME) = ?1";
    if (sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(statement, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0))
            value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    return value;
}

std::string database_session::banner() { return setting("BANNER").value_or(default_banner); }

void database_session::refresh_catalogue(const std::string& owner, bool privileged) {
    const long long version = pragma_value(db_, "PRAGMA main.schema_version");
    const long long changes = sqlite3_total_changes64(db_);
    if (version == catalogue_schema_version_ && changes == catalogue_changes_ && owner == catalogue_owner_ &&
        privileged == catalogue_privileged_)
        return;
    build_catalogue(db_, owner, privileged ? std::optional<std::string>(banner()) : std::nullopt);
    catalogue_privileged_ = privileged;
    catalogue_schema_version_ = version;
    catalogue_changes_ = sqlite3_total_changes64(db_);
    catalogue_owner_ = owner;
}

std::filesystem::path data_folder() {
    if (const char* folder = std::getenv("OCIEMU_DATA"); folder && *folder) return folder;
    if (const std::filesystem::path folder = own_library_folder(); !folder.empty()) return folder / "data";
    return "data";
}

std::optional<std::filesystem::path> find_service_database(std::string_view service) {
    std::error_code error;
    const std::filesystem::path folder = data_folder();
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const auto& path = entry.path();
        if (path.extension() == ".db" && equals_ignoring_case(path.stem().string(), service)) return path;
    }
    return std::nullopt;
}

void execute_sqlite(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : "unknown failure";
        sqlite3_free(message);
        throw make_error(ora::internal_error, reason);
    }
}

}  // namespace ociemu
