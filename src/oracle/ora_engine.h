// The one Oracle engine of the process: the client environment, the single session, and the
// small catalogue services the database and table classes build on.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "oracle/client_library.h"
#include "toolkit/singleton.h"

class ora_database;

// The refusal of a statement that is not a query.
inline constexpr const char* ora_not_a_query_text = "Only a SELECT statement can be read as a query.";

// What a select-list describe reports for one column, each value read with its own width.
struct ora_column_info {
    std::string name;
    ub2 data_type = 0;
    ub2 data_size = 0;
    sb2 precision = 0;
    sb1 scale = 0;
    bool nullable = true;
    ub1 charset_form = 0;
    std::string type_name;  // of an object column (SQLT_NTY): XMLTYPE, SDO_GEOMETRY ...
};

// The date and time parts of a fetched date-time descriptor.
struct ora_datetime_parts {
    sb2 year = 0;
    ub1 month = 0, day = 0, hour = 0, minute = 0, second = 0;
    ub4 nanoseconds = 0;
};

class ora_engine : public tk_singleton<ora_engine> {
public:
    // Loads the client library (from the given candidates, or the standard places) and
    // creates the UTF-16 environment and the connection handles. A missing library throws
    // tk_exception with oci_client_missing_text.
    explicit ora_engine(const std::vector<std::string>& library_candidates =
                            oci_client_library::default_candidates());
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
    // The log-on part of open_db: attach, begin the session, keep the three texts.
    void connect(const std::string& connect_string, const std::string& user, const std::string& password);
    // Ends the session and frees the handles; the engine is unusable afterwards.
    void clean() noexcept;

    // For the thread that noticed a stop (Ctrl-C, SIGTERM, a Cancel button) while another
    // thread waits on the server: the call under way is broken off through the client
    // (OCIBreak) and ends with tk_final_exception, as does every later call, so the waiting
    // thread is free within about one round trip. A break that lands between two calls
    // is caught by the next one; calling again is harmless.
    void break_calls() noexcept;
    bool is_broken_off() const noexcept { return is_broken_off_.load(); }
    // Lets calls run again after a break (a new connection attempt).
    void allow_calls() noexcept { is_broken_off_ = false; }

    bool is_connected() const noexcept { return session_begun_; }
    const std::string& connect_string() const noexcept { return connect_string_; }
    const std::string& user_name() const noexcept { return user_; }

    // Catalogue scope: true = the user's own tables (plain names), false = every visible table
    // (OWNER.TABLE names).
    bool owned_by_user() const noexcept { return owned_by_user_; }
    void set_owned_by_user(bool on) noexcept { owned_by_user_ = on; }
    // Set by the conversion run before it opens tables: tables then do not read their indexes.
    bool indexes_off() const noexcept { return indexes_off_; }
    void set_indexes_off(bool on) noexcept { indexes_off_ = on; }
    // Set by the conversion run, which shows every binary value as a placeholder: BLOB and
    // LONG RAW columns then fetch only whether a value is there, and a value arrives as an
    // empty byte array.
    bool binary_values_off() const noexcept { return binary_values_off_; }
    void set_binary_values_off(bool on) noexcept { binary_values_off_ = on; }

    // Turns an OCI_ERROR status into ora_exception with Oracle's code and text; an invalid
    // handle is a failure too. Other statuses are returned for the caller to test.
    sword check_err(sword status, const char* action);

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

    // Thin checked wrappers of the client calls used by the column, recordset and database
    // classes; every call into the client library is made in the engine's files.
    OCIStmt* alloc_statement();
    void free_statement(OCIStmt* statement) noexcept;
    void prepare(OCIStmt* statement, std::string_view sql);
    // Refuses a prepared statement that is not a SELECT (tk_exception, ora_not_a_query_text),
    // so nothing a user types as a query can change the database. Costs no round trip.
    void require_query(OCIStmt* statement);
    // Sets client-side prefetch so that rows arrive in batches, not one round trip each.
    void set_prefetch(OCIStmt* statement, ub4 rows, ub4 memory_bytes);
    sword execute(OCIStmt* statement, ub4 iterations, ub4 mode);
    sword fetch(OCIStmt* statement);
    ub4 param_count(OCIStmt* statement);
    ora_column_info describe_column(OCIStmt* statement, ub4 position);
    OCIDefine* define(OCIStmt* statement, ub4 position, void* value, sb4 value_size, ub2 type,
                      sb2* indicator, ub2* returned_length, ub2* return_code = nullptr);
    void set_define_charset(OCIDefine* define_handle, ub2 charset_id);
    void* alloc_descriptor(ub4 type);
    void free_descriptor(void* descriptor, ub4 type) noexcept;
    ub4 lob_length(OCILobLocator* locator);
    ub1 lob_charset_form(OCILobLocator* locator);
    // Reads at most *amount characters (CLOB) or bytes (BLOB) from offset into the buffer;
    // *amount then holds what was read.
    sword lob_read(OCILobLocator* locator, ub4* amount, ub4 offset, void* buffer, ub4 buffer_bytes,
                   ub2 charset_id, ub1 charset_form);
    ora_datetime_parts datetime_parts(OCIDateTime* value);

private:
    void initialize();
    void alloc_handle(void** handle, ub4 type, const char* action);
    void end_session() noexcept;
    void refuse_if_broken_off() const;
    [[noreturn]] void throw_oracle_error(void* handle, ub4 handle_type, const char* action);

    bool owned_by_user_ = true;
    bool attached_ = false;
    bool session_begun_ = false;
    bool indexes_off_ = false;
    std::atomic<bool> is_broken_off_{false};
    bool binary_values_off_ = false;
    std::unique_ptr<oci_client_library> library_;
    const oci_functions* fn_ = nullptr;
    OCIEnv* environment_ = nullptr;
    OCIError* error_ = nullptr;
    OCIError* break_error_ = nullptr;  // the stopping thread's own: error handles are not shared
    OCIServer* server_ = nullptr;
    OCISession* session_ = nullptr;
    OCISvcCtx* service_ = nullptr;
    std::string connect_string_;
    std::string user_;
    std::string password_;
};
