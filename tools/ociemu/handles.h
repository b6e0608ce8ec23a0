// The objects behind the opaque OCI handles and descriptors, and the registry that validates them.
#pragma once

#include "oracle_errors.h"
#include "oracle_types.h"
#include "value_conversion.h"

#include "oci_api.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ociemu {

class database_session;
class result_cursor;
struct analysed_statement;

// A value as the "server" sends it: NULL, integer, real, text (UTF-8) or bytes.
using stored_value = std::variant<std::monostate, long long, double, std::string, std::vector<std::uint8_t>>;
using row = std::vector<stored_value>;

struct column_description {
    std::string name;
    oracle_type type;
    bool nullable = true;
};

struct diagnostics {
    std::vector<std::pair<int, std::string>> records;  // ORA number, message
    void clear() { records.clear(); }
    void add(const oracle_error& error) { records.emplace_back(error.code(), error.what()); }
};

struct environment;

struct handle_base {
    handle_base(ub4 handle_type, environment* owner) : type(handle_type), env(owner) {}
    virtual ~handle_base() = default;
    handle_base(const handle_base&) = delete;
    handle_base& operator=(const handle_base&) = delete;

    const ub4 type;       // OCI_HTYPE_* or OCI_DTYPE_*
    environment* env;     // the environment it was allocated from
};

struct environment : handle_base {
    environment(bool utf16_text, ub4 env_mode) : handle_base(OCI_HTYPE_ENV, this), utf16(utf16_text), mode(env_mode) {}
    bool utf16;   // every text crossing the API is UTF-16 with lengths in bytes
    ub4 mode;
    diagnostics diag;

    std::string decode(const void* text, std::size_t bytes) const;  // to UTF-8
    std::string encode(const std::string& utf8) const;              // API bytes, no terminator
};

struct error_handle : handle_base {
    explicit error_handle(environment* owner) : handle_base(OCI_HTYPE_ERROR, owner) {}
    diagnostics diag;
};

struct server_handle : handle_base {
    explicit server_handle(environment* owner) : handle_base(OCI_HTYPE_SERVER, owner) {}
    std::shared_ptr<database_session> database;  // set while attached
    bool broken = false;                        // the simulated line dropped: later calls get ORA-03114
    long long fail_after_rows = -1;             // OCIEMU_FAIL_AFTER_ROWS at attach time
    int fail_code = 3113;                       // OCIEMU_FAIL_CODE: how the line's loss is reported
    long long snapshot_too_old_after_rows = -1; // OCIEMU_SNAPSHOT_TOO_OLD_AFTER_ROWS
    std::string change_table;                   // OCIEMU_CHANGE_ROWS: the table other sessions change
    long long change_rows = 0;                  // rows they insert (> 0) or delete (< 0) between statements
    std::string encoded_banner;
    // The simulated line: OCIBreak, called from another thread, cuts short the round trip
    // under way on it.
    std::mutex line_mutex;
    std::condition_variable line_wakeup;
    bool is_in_round_trip = false;
    bool is_break_requested = false;
    ub4 call_timeout_ms = 0;  // OCI_ATTR_CALL_TIMEOUT of the service context on this line (0: none)
};

struct session_handle : handle_base {
    explicit session_handle(environment* owner) : handle_base(OCI_HTYPE_SESSION, owner) {}
    std::string user_name;   // as set by the client (UTF-8)
    std::string password;
    std::string encoded_user_name;  // what OCIAttrGet hands back
    std::string user;        // upper case once authenticated
    bool authenticated = false;
    bool privileged = false;                     // may read v$version
    std::vector<std::string> unreadable_tables;  // SELECT on them fails with ORA-01031
    server_handle* server = nullptr;
    char decimal_separator = '.';
    ub4 lob_prefetch_size = 0;
    long long statements_run = 0;    // executes since logon
    bool read_only_transaction = false;
    long long deferred_changes = 0;  // other sessions' changes this read-only transaction must not see yet
};

struct service_context : handle_base {
    explicit service_context(environment* owner) : handle_base(OCI_HTYPE_SVCCTX, owner) {}
    server_handle* server = nullptr;
    session_handle* session = nullptr;
    ub4 call_timeout_ms = 0;  // OCI_ATTR_CALL_TIMEOUT, passed on to the server handle
};

struct statement_handle;

struct define_handle : handle_base {
    define_handle(environment* owner, statement_handle* parent) : handle_base(OCI_HTYPE_DEFINE, owner), statement(parent) {}
    statement_handle* statement;
    ub4 position = 0;
    void* value = nullptr;
    sb4 value_size = 0;
    ub2 data_type = 0;
    sb2* indicators = nullptr;
    ub2* lengths = nullptr;
    ub2* codes = nullptr;
    ub2 charset_id = 0;     // 0: the environment's
    ub1 charset_form = SQLCS_IMPLICIT;
    ub4 lob_prefetch_size = 0;         // LOB units that travel with each locator (0: the session's default)
    bool lob_prefetch_length = false;  // the LOB's length travels with each locator
};

// An input value of the statement, read from the client's buffer at each execute.
struct bind_handle : handle_base {
    bind_handle(environment* owner, statement_handle* parent) : handle_base(OCI_HTYPE_BIND, owner), statement(parent) {}
    statement_handle* statement;
    ub4 position = 0;   // OCIBindByPos; 0 when bound by name
    std::string name;   // OCIBindByName, upper case, without the colon
    void* value = nullptr;
    sb4 value_size = 0;
    ub2 data_type = 0;
    sb2* indicator = nullptr;
    ub2* length = nullptr;
};

// What a bind holds at execute time, matched to the statement's placeholders.
struct bound_value {
    ub4 position = 0;
    std::string name;
    stored_value value;
};

struct param_descriptor : handle_base {
    param_descriptor(environment* owner, statement_handle* parent, column_description described)
        : handle_base(OCI_DTYPE_PARAM, owner), statement(parent), column(std::move(described)) {}
    statement_handle* statement;  // null once the statement is gone
    column_description column;
    std::string encoded_name, encoded_type_name, encoded_schema_name;
};

// LOB contents travel with the locator: CLOB text as UTF-16 code units, BLOB as bytes.
struct lob_value {
    bool character = false;
    ub1 form = 0;
    std::u16string text;
    std::u16string database_text;  // an NCLOB's text through the database character set
    bool temporary = false;        // made for this row by the server (XMLSERIALIZE), alive until freed
    std::vector<std::uint8_t> bytes;
};

struct lob_locator : handle_base {
    lob_locator(environment* owner, ub4 descriptor_type) : handle_base(descriptor_type, owner) {}
    std::shared_ptr<const lob_value> value;  // null until a fetch fills it
    std::uint64_t prefetched_units = 0;      // how much of the value came with the fetch
    bool length_prefetched = false;
    std::uint64_t stream_offset = 0;         // next unit (1-based) of a polling read, 0 when none runs
    std::uint64_t stream_end = 0;            // where that read stops (0-based, exclusive)
};

struct datetime_descriptor : handle_base {
    datetime_descriptor(environment* owner, ub4 descriptor_type) : handle_base(descriptor_type, owner) {}
    std::optional<date_time> value;
};

struct interval_descriptor : handle_base {
    interval_descriptor(environment* owner, ub4 descriptor_type) : handle_base(descriptor_type, owner) {}
    std::string text;
};

struct statement_handle : handle_base {
    explicit statement_handle(environment* owner);
    ~statement_handle() override;

    std::string text;                 // UTF-8
    bool prepared = false;
    bool from_cache = false;          // made by OCIStmtPrepare2, given back by OCIStmtRelease
    ub2 statement_type = 0;
    std::vector<column_description> columns;
    bool described = false;
    std::unique_ptr<result_cursor> cursor;
    std::deque<row> buffered;         // rows prefetched to the "client"
    bool server_done = true;
    long long rows_sent = 0;          // rows the "server" delivered for this cursor
    std::optional<oracle_error> pending_error;  // the server failed on the row after the buffered ones
    bool cursor_closed = false;       // the server closed it, at its end or a row error: fetches are out of sequence
    ub4 prefetch_rows = 1;
    ub4 prefetch_memory = 0;
    ub4 rows_fetched = 0;
    oraub8 row_count = 0;
    bool executed = false;
    service_context* service = nullptr;
    std::vector<std::unique_ptr<define_handle>> defines;
    std::vector<std::unique_ptr<bind_handle>> binds;
    std::vector<std::unique_ptr<param_descriptor>> params;
};

// Every live handle is registered, so a wrong or freed pointer is recognised, never followed.
void register_handle(handle_base* handle);
void unregister_handle(handle_base* handle);
handle_base* find_handle(const void* pointer);

template <typename T>
T* find_handle_of(const void* pointer, ub4 type) {
    handle_base* found = find_handle(pointer);
    return found && found->type == type ? static_cast<T*>(found) : nullptr;
}

// Clears what service contexts and sessions keep of a server or session that goes away; the
// sessions of a server end with it.
void forget_references_to(const handle_base* handle);

// Logs off every session of a server whose line was detached.
void end_sessions_of(const server_handle* server);

// The temporary LOBs the server keeps for sessions: alive from the fetch that made one until
// OCILobFreeTemporary or the end of its session.
void register_temporary_lob(const lob_value* value, const session_handle* owner);
bool free_temporary_lob(const lob_value* value);  // false when it is not (or no longer) alive
void free_temporary_lobs_of(const session_handle* owner);
std::size_t temporary_lobs_alive();

// Frees a handle and, for an environment, everything allocated from it.
void destroy_handle(handle_base* handle);

}  // namespace ociemu
