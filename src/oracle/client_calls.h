// The checked wrapper of every call into the client library, and the environment and
// connection handles those calls need. Internal to the oracle folder: no OCI type reaches
// the code above it.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "oracle/client_library.h"

// What a select-list describe reports for one column, each value read with its own width.
struct described_column {
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
struct datetime_parts {
    sb2 year = 0;
    ub1 month = 0, day = 0, hour = 0, minute = 0, second = 0;
    ub4 nanoseconds = 0;
};

// Owned by the session: one loaded library, one UTF-16 environment, one connection. Every
// wrapper checks its status and names its step in the error.
class client_calls {
public:
    explicit client_calls(const std::vector<std::string>& library_candidates);
    ~client_calls();
    client_calls(const client_calls&) = delete;
    client_calls& operator=(const client_calls&) = delete;

    // Ends any earlier session, attaches and begins a session; with user and password both
    // empty the client's external credentials (a wallet, the OS account) log on. Returns the
    // server's warning of a successful logon (ORA-28002: the password expires soon), else "".
    std::string log_on(const std::string& connect_string, const std::string& user, const std::string& password);
    bool is_session_begun() const noexcept { return session_begun_; }
    // The client's feature release: 19 for a 19.11 client.
    int client_major_version() const noexcept;
    // For another thread: breaks off the call under way (OCIBreak); it and every later call
    // end with tk_final_exception.
    void break_calls() noexcept;
    void refuse_if_broken_off() const;

    // Turns OCI_ERROR into ora_exception with Oracle's code and text, and an invalid handle
    // into tk_exception naming the action. Other statuses are returned for the caller.
    sword check(sword status, const char* action);

    // The server's banner ("Oracle Database 19c ... Release 19.0.0.0.0 - Production"), which
    // needs no privilege, unlike the v$version view.
    std::string server_banner();
    // False when the client says the connection to the server is gone.
    bool is_server_connected() noexcept;

    // Ends the transaction under way without keeping anything it did.
    void roll_back();

    OCIStmt* alloc_statement();
    void free_statement(OCIStmt* statement) noexcept;
    void prepare(OCIStmt* statement, std::string_view sql);
    // Refuses a prepared statement that is not a SELECT (tk_exception, not_a_query_text),
    // so nothing a user types as a query can change the database. Costs no round trip.
    void require_query(OCIStmt* statement);
    void set_prefetch(OCIStmt* statement, ub4 rows, ub4 memory_bytes);
    // may_take_long: the server may work long before its answer (an item's SELECT sorting or
    // joining, a COUNT(*) of a big table), so the call timeout does not apply to it.
    sword execute(OCIStmt* statement, ub4 iterations, ub4 mode, bool may_take_long = false);
    // The limit of one round trip, 0 for none; a client older than 18c has no such limit and
    // keeps none (a trace line says so).
    void set_call_timeout(ub4 milliseconds) noexcept;
    // Fetches up to rows rows into the defines' arrays; returns OCI_SUCCESS,
    // OCI_SUCCESS_WITH_INFO (a column return code is set) or OCI_NO_DATA (the last rows).
    sword fetch(OCIStmt* statement, ub4 rows);
    ub4 rows_fetched(OCIStmt* statement);  // by the last fetch call
    ub4 param_count(OCIStmt* statement);
    described_column describe_column(OCIStmt* statement, ub4 position);
    // value points at rows slots of value_size bytes each (for descriptors: an array of
    // descriptor pointers), with one indicator, length and return code per row.
    OCIDefine* define(OCIStmt* statement, ub4 position, void* value, sb4 value_size, ub2 type, sb2* indicators,
                      ub2* lengths, ub2* return_codes);
    // text points at a UTF-16 value that must stay in place until the statement has run.
    void bind_text(OCIStmt* statement, ub4 position, const std::u16string& text);
    void set_define_charset(OCIDefine* define_handle, ub2 charset_id);
    // National columns keep characters the database character set lacks only with this form.
    void set_define_national(OCIDefine* define_handle);
    // Each locator arrives with its length and its first units, so a short LOB costs no
    // round trip of its own.
    void set_lob_prefetch(OCIDefine* define_handle, ub4 units);
    void* alloc_descriptor(ub4 type);
    void free_descriptor(void* descriptor, ub4 type) noexcept;
    ub4 lob_length(OCILobLocator* locator);
    ub1 lob_charset_form(OCILobLocator* locator);
    // Reads at most *amount characters (CLOB) or bytes (BLOB) from offset into the buffer;
    // *amount then holds what was read.
    sword lob_read(OCILobLocator* locator, ub4* amount, ub4 offset, void* buffer, ub4 buffer_bytes,
                   ub2 charset_id, ub1 charset_form);
    // A temporary LOB (XMLSERIALIZE makes one per row) holds server space until it is freed.
    bool is_temporary_lob(OCILobLocator* locator);
    void free_temporary_lob(OCILobLocator* locator);
    datetime_parts read_datetime(OCIDateTime* value);

private:
    void create_environment();
    // OCIServerAttach on a thread of its own, so a stop ends the wait even when the client
    // ignores OCIBreak (an unreachable host can hold the attach for minutes).
    sword attach(const std::u16string& connect_string);
    // An abandoned attach takes the handles over (they are null here afterwards).
    void hand_over_handles(std::vector<std::pair<void*, ub4>>& handles) noexcept;
    void alloc_handle(void** handle, ub4 type, const char* action);
    void end_session() noexcept;
    void release() noexcept;
    [[noreturn]] void throw_oracle_error(void* handle, ub4 handle_type, const char* action);
    std::string error_text(void* handle, ub4 handle_type, sb4* code);

    bool attached_ = false;
    bool session_begun_ = false;
    // An attach was left running after a stop: it owns the handles now, and the library must
    // outlive it.
    bool attach_abandoned_ = false;
    ub4 call_timeout_ms_ = 0;  // as set on the service context
    std::atomic<bool> is_broken_off_{false};
    oci_client_library library_;
    const oci_functions& fn_;
    OCIEnv* environment_ = nullptr;
    OCIError* error_ = nullptr;
    OCIError* break_error_ = nullptr;  // the stopping thread's own: error handles are not shared
    OCIServer* server_ = nullptr;
    OCISession* session_ = nullptr;
    OCISvcCtx* service_ = nullptr;
};

// One statement handle, freed with its owner (and its define handles with it).
class statement_handle {
public:
    explicit statement_handle(client_calls& calls) : calls_(calls), handle_(calls.alloc_statement()) {}
    ~statement_handle() { calls_.free_statement(handle_); }
    statement_handle(const statement_handle&) = delete;
    statement_handle& operator=(const statement_handle&) = delete;

    OCIStmt* get() const noexcept { return handle_; }

private:
    client_calls& calls_;
    OCIStmt* handle_;
};
