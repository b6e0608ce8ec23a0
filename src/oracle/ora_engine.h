// The one Oracle engine of the process: the client environment, the single session, and the
// small catalogue services the database and table classes build on. No OCI type appears
// here: the client calls stay inside the oracle folder (oracle/oci_calls.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/singleton.h"

class ora_database;
class oci_calls;

// The refusal of a statement that is not a query.
inline constexpr const char* ora_not_a_query_text = "Only a SELECT statement can be read as a query.";

class ora_engine : public tk_singleton<ora_engine> {
public:
    // Loads the client library (from the given candidates; none: the standard places) and
    // creates the UTF-16 environment and the connection handles. A missing library throws
    // tk_exception with oci_client_missing_text.
    explicit ora_engine(const std::vector<std::string>& library_candidates = {});
    virtual ~ora_engine();

    // "//host:port/service", or the service alone when host and port are both empty (a TNS
    // alias or a complete descriptor). An empty host is localhost, an empty port 1521.
    static std::string compose_connect_string(const std::string& host, const std::string& port,
                                              const std::string& service);

    // Connects and returns the database over the session; the caller owns it and deletes any
    // previous one first.
    std::unique_ptr<ora_database> open_db(const std::string& host, const std::string& user,
                                          const std::string& password, const std::string& port,
                                          const std::string& service);
    std::unique_ptr<ora_database> open_db(const std::string& connect_string, const std::string& user,
                                          const std::string& password);
    // The log-on part of open_db: ends any earlier session, attaches and begins one.
    void connect(const std::string& connect_string, const std::string& user, const std::string& password);

    // For the thread that noticed a stop (Ctrl-C, SIGTERM, a Cancel button) while another
    // thread waits on the server: the call under way is broken off through the client
    // (OCIBreak) and ends with tk_final_exception, as does every later call, so the waiting
    // thread is free within about one round trip. A break that lands between two calls
    // is caught by the next one; calling again is harmless.
    void break_calls() noexcept;

    bool is_connected() const noexcept;

    // Catalogue scope: true = the user's own tables (plain names), false = every visible table
    // (OWNER.TABLE names).
    bool owned_by_user() const noexcept { return owned_by_user_; }
    void set_owned_by_user(bool on) noexcept { owned_by_user_ = on; }
    // Set by the conversion run, which shows every binary value as a placeholder: BLOB and
    // LONG RAW columns then fetch only whether a value is there, and a value arrives as an
    // empty byte array.
    bool binary_values_off() const noexcept { return binary_values_off_; }
    void set_binary_values_off(bool on) noexcept { binary_values_off_ = on; }

    // A table name quoted for SQL: in the ALL scope OWNER.TABLE becomes "OWNER"."TABLE"
    // (split at the first point only); a double quote inside a name is doubled.
    std::string get_safe_name(std::string_view table_name) const { return safe_name(table_name, owned_by_user_); }
    static std::string safe_name(std::string_view table_name, bool owned_by_user);
    static std::string quote_identifier(std::string_view name);
    // A text as a single-quoted SQL literal, inner single quotes doubled.
    static std::string quote_literal(std::string_view text);

    // Rows of a table, or of a query when is_query is set.
    std::int64_t get_records_cnt(std::string_view text, bool is_query = false);
    // The number in the first column of the first row of a query, read as 8 bytes: a count
    // past 2^31 would fail a 4-byte define with ORA-01455.
    std::int64_t select_number(const std::string& sql);
    // The server version as major << 16 | minor << 8 | release; 0 when it cannot be found.
    std::uint32_t get_version();
    // The version packed from the first blank-separated word of a banner that reads as
    // three dotted numbers; 0 when there is none.
    static std::uint32_t parse_version(std::string_view banner);

    // Whether a catalogue type text names a type the column classes can read. Precision,
    // scale and time-zone parts do not matter; the comparison is exact otherwise.
    static bool is_supported_type(std::string_view type_text);
    std::string get_columns_view() const;
    // The condition selecting one table's rows of a catalogue view, as a safe literal.
    std::string get_table_condition(std::string_view table_name) const {
        return table_condition(table_name, owned_by_user_);
    }
    static std::string table_condition(std::string_view table_name, bool owned_by_user);

private:
    bool owned_by_user_ = true;
    bool binary_values_off_ = false;
    std::unique_ptr<oci_calls> calls_;
};
