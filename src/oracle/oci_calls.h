// The engine's side that speaks OCI: the loaded client library, its handles and the checked
// wrappers of every client call. Internal to the oracle folder, so that no OCI type reaches
// the code above it.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "oracle/client_library.h"
#include "toolkit/singleton.h"

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

// Owned by ora_engine, one per process; every call into the client library is made here.
class oci_calls : public tk_singleton<oci_calls> {
public:
    // Loads the client library and creates the UTF-16 environment and the connection handles.
    explicit oci_calls(const std::vector<std::string>& library_candidates);
    ~oci_calls();

    // Ends any earlier session, attaches and begins a session.
    void log_on(const std::string& connect_string, const std::string& user, const std::string& password);
    bool is_session_begun() const noexcept { return session_begun_; }
    // See ora_engine::break_calls.
    void break_calls() noexcept;
    void refuse_if_broken_off() const;

    // Turns an OCI_ERROR status into ora_exception with Oracle's code and text; an invalid
    // handle is a failure too. Other statuses are returned for the caller to test.
    sword check_err(sword status, const char* action);

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
    void clean() noexcept;
    [[noreturn]] void throw_oracle_error(void* handle, ub4 handle_type, const char* action);

    bool attached_ = false;
    bool session_begun_ = false;
    std::atomic<bool> is_broken_off_{false};
    std::unique_ptr<oci_client_library> library_;
    const oci_functions* fn_ = nullptr;
    OCIEnv* environment_ = nullptr;
    OCIError* error_ = nullptr;
    OCIError* break_error_ = nullptr;  // the stopping thread's own: error handles are not shared
    OCIServer* server_ = nullptr;
    OCISession* session_ = nullptr;
    OCISvcCtx* service_ = nullptr;
};
