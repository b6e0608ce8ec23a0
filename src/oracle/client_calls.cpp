// Every call into the client library: the environment, the session and the checked wrappers
// that statements, columns and LOBs use.
#include "oracle/client_calls.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "oracle/ora_exception.h"
#include "oracle/oracle_session.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

// OCIErrorGet gives no length; 3072 bytes is the largest message of current clients.
constexpr ub4 error_text_bytes = OCI_ERROR_MAXMSG_SIZE2;
// How soon a stop is noticed while the attach thread waits.
constexpr std::chrono::milliseconds attach_poll_interval{50};
// The longest round trip before the client gives up on a dead peer (ORA-03156) instead of
// waiting for TCP to notice. No healthy batch of rows, LOB piece or catalogue answer takes an
// hour; statements the server may work on for long are exempt (client_calls::execute).
constexpr ub4 default_call_timeout_ms = 60 * 60 * 1000;

// Oracle's words for these two say what happened, not what the user can do about it.
constexpr int password_expired_number = 28001;
constexpr const char* password_expired_text =
    ". The password of this user has expired: it must be changed (by the database administrator or with the "
    "database's own tools, such as SQL*Plus) before Sprandel can connect.";
constexpr int snapshot_too_old_number = 1555;
constexpr const char* snapshot_too_old_text =
    ". The data changed too much during the run for the server to keep showing it as it was when the run began; "
    "run again at a quieter time.";

}  // namespace

client_calls::client_calls(const std::vector<std::string>& library_candidates)
    : library_(library_candidates), fn_(library_.functions()) {
    try {
        create_environment();
    } catch (...) {
        release();
        throw;
    }
}

client_calls::~client_calls() { release(); }

void client_calls::create_environment() {
    TK_LOG(2, "%s", __func__);
    // Threaded because the connection worker, the interface thread and the run take turns;
    // object mode so that XMLTYPE columns can be described.
    const sword status = fn_.OCIEnvNlsCreate(&environment_, OCI_THREADED | OCI_OBJECT, nullptr, nullptr, nullptr,
                                             nullptr, 0, nullptr, OCI_UTF16ID, OCI_UTF16ID);
    if (status != OCI_SUCCESS && status != OCI_SUCCESS_WITH_INFO) {
        if (environment_ != nullptr) throw_oracle_error(environment_, OCI_HTYPE_ENV, "create environment");
        throw tk_exception("The Oracle client environment cannot be created.", tk_level_serious);
    }
    alloc_handle(reinterpret_cast<void**>(&error_), OCI_HTYPE_ERROR, "allocate error handle");
    alloc_handle(reinterpret_cast<void**>(&break_error_), OCI_HTYPE_ERROR, "allocate error handle");
    alloc_handle(reinterpret_cast<void**>(&server_), OCI_HTYPE_SERVER, "allocate server handle");
    alloc_handle(reinterpret_cast<void**>(&session_), OCI_HTYPE_SESSION, "allocate session handle");
    alloc_handle(reinterpret_cast<void**>(&service_), OCI_HTYPE_SVCCTX, "allocate service context");
}

void client_calls::alloc_handle(void** handle, ub4 type, const char* action) {
    const sword status = fn_.OCIHandleAlloc(environment_, handle, type, 0, nullptr);
    if (status == OCI_SUCCESS) return;
    // No error handle may exist yet; the environment holds the diagnostic then.
    throw_oracle_error(environment_, OCI_HTYPE_ENV, action);
}

std::string client_calls::log_on(const std::string& connect_string, const std::string& user,
                                 const std::string& password) {
    end_session();
    if (attached_) {
        fn_.OCIServerDetach(server_, error_, OCI_DEFAULT);  // a failed old link is of no interest
        attached_ = false;
    }
    const std::u16string wide_connect = to_unicode(connect_string);
    check(attach(wide_connect), "attach to server");
    attached_ = true;
    TK_LOG(1, "OCIServerAttach succeeded");
    check(fn_.OCIAttrSet(service_, OCI_HTYPE_SVCCTX, server_, 0, OCI_ATTR_SERVER, error_),
          "set server into service context");
    // A name or password set with external credentials is refused (ORA-01017).
    const bool is_external = user.empty() && password.empty();
    std::u16string wide_user = to_unicode(user);
    std::u16string wide_password = to_unicode(password);
    if (!is_external) {
        check(fn_.OCIAttrSet(session_, OCI_HTYPE_SESSION, wide_user.data(), static_cast<ub4>(wide_user.size() * 2),
                             OCI_ATTR_USERNAME, error_),
              "set user name");
        check(fn_.OCIAttrSet(session_, OCI_HTYPE_SESSION, wide_password.data(),
                             static_cast<ub4>(wide_password.size() * 2), OCI_ATTR_PASSWORD, error_),
              "set password");
    }
    TK_LOG(1, "Just before OCISessionBegin (%s credentials)", is_external ? "external" : "database");
    refuse_if_broken_off();
    sword status = OCI_SUCCESS;
    try {
        status = check(fn_.OCISessionBegin(service_, error_, session_, is_external ? OCI_CRED_EXT : OCI_CRED_RDBMS,
                                           OCI_DEFAULT),
                       "begin session");
    } catch (const ora_exception& error) {
        if (error.oracle_number() != password_expired_number) throw;
        ora_exception expired(password_expired_number, error.message() + password_expired_text);
        throw expired;
    }
    session_begun_ = true;
    TK_LOG(2, "The connection has been established");
    // read before the next call replaces the diagnostic
    std::string warning;
    if (status == OCI_SUCCESS_WITH_INFO) {
        sb4 code = 0;
        warning = error_text(error_, OCI_HTYPE_ERROR, &code);
        TK_LOG(3, "The server logged on with a warning: %s", warning.c_str());
    }
    check(fn_.OCIAttrSet(service_, OCI_HTYPE_SVCCTX, session_, 0, OCI_ATTR_SESSION, error_),
          "set session into service context");
    set_call_timeout(default_call_timeout_ms);
    return warning;
}

int client_calls::client_major_version() const noexcept {
    sword major = 0, update = 0, revision = 0, increment = 0, extension = 0;
    fn_.OCIClientVersion(&major, &update, &revision, &increment, &extension);
    return major;
}

sword client_calls::attach(const std::u16string& connect_string) {
    struct attach_state {
        std::mutex mutex;
        std::condition_variable finished;
        bool is_done = false;
        bool is_abandoned = false;
        sword status = OCI_ERROR;
        // Handed over when the wait is abandoned: the thread frees them once the client
        // lets it go, and until then they stay reachable through it.
        std::vector<std::pair<void*, ub4>> handles;
    };
    auto state = std::make_shared<attach_state>();
    std::thread([state, text = connect_string, server = server_, error = error_, attach_to = fn_.OCIServerAttach,
                 detach = fn_.OCIServerDetach, free_handle = fn_.OCIHandleFree] {
        const sword status = attach_to(server, error, reinterpret_cast<const OraText*>(text.data()),
                                       static_cast<sb4>(text.size() * sizeof(char16_t)), OCI_DEFAULT);
        const std::lock_guard<std::mutex> lock(state->mutex);
        state->status = status;
        state->is_done = true;
        if (state->is_abandoned) {
            // a late end nobody waits for: the link is let go and its handles with it
            if (status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO) detach(server, error, OCI_DEFAULT);
            for (const auto& [handle, type] : state->handles) free_handle(handle, type);
            state->handles.clear();
        }
        state->finished.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(state->mutex);
    while (!state->finished.wait_for(lock, attach_poll_interval, [&] { return state->is_done; })) {
        if (!is_broken_off_) continue;
        TK_LOG(3, "The attach to the server is left running after a stop");
        state->is_abandoned = true;
        attach_abandoned_ = true;
        hand_over_handles(state->handles);
        throw tk_final_exception();
    }
    return state->status;
}

void client_calls::hand_over_handles(std::vector<std::pair<void*, ub4>>& handles) noexcept {
    const auto hand_over = [&handles](auto*& handle, ub4 type) noexcept {
        if (handle == nullptr) return;
        try {
            handles.emplace_back(handle, type);
        } catch (...) {
            return;  // without room to hand it over, the handle is simply kept
        }
        handle = nullptr;
    };
    hand_over(server_, OCI_HTYPE_SERVER);
    hand_over(service_, OCI_HTYPE_SVCCTX);
    hand_over(error_, OCI_HTYPE_ERROR);
    hand_over(break_error_, OCI_HTYPE_ERROR);
    hand_over(session_, OCI_HTYPE_SESSION);
    hand_over(environment_, OCI_HTYPE_ENV);  // last: the other handles belong to it
}

void client_calls::roll_back() {
    refuse_if_broken_off();
    check(fn_.OCITransRollback(service_, error_, OCI_DEFAULT), "roll back the transaction");
}

void client_calls::end_session() noexcept {
    if (!session_begun_) return;
    // After a break no round trip more: the server ends a session whose line goes away.
    // Ending a session commits what it did, so whatever is under way is rolled back first.
    if (!is_broken_off_) {
        fn_.OCITransRollback(service_, error_, OCI_DEFAULT);
        fn_.OCISessionEnd(service_, error_, session_, OCI_DEFAULT);
    }
    session_begun_ = false;
}

void client_calls::break_calls() noexcept {
    is_broken_off_ = true;
    if (server_ == nullptr || break_error_ == nullptr) return;
    TK_LOG(3, "Breaking off the call to the server");
    // The server handle exists from the start, so even an attach in progress is reached.
    fn_.OCIBreak(server_, break_error_);
}

void client_calls::refuse_if_broken_off() const {
    if (is_broken_off_) throw tk_final_exception();
}

void client_calls::release() noexcept {
    TK_LOG(2, "%s", __func__);
    if (attach_abandoned_) {
        // the attach thread may still be inside the client with these handles
        library_.keep_loaded();
        return;
    }
    end_session();
    if (attached_) fn_.OCIServerDetach(server_, error_, OCI_DEFAULT);
    attached_ = false;
    // Release results are not checked: nothing can be done about a handle that will not go.
    if (server_ != nullptr) fn_.OCIHandleFree(server_, OCI_HTYPE_SERVER);
    if (service_ != nullptr) fn_.OCIHandleFree(service_, OCI_HTYPE_SVCCTX);
    if (error_ != nullptr) fn_.OCIHandleFree(error_, OCI_HTYPE_ERROR);
    if (break_error_ != nullptr) fn_.OCIHandleFree(break_error_, OCI_HTYPE_ERROR);
    if (session_ != nullptr) fn_.OCIHandleFree(session_, OCI_HTYPE_SESSION);
    if (environment_ != nullptr) fn_.OCIHandleFree(environment_, OCI_HTYPE_ENV);
    server_ = nullptr;
    service_ = nullptr;
    error_ = nullptr;
    break_error_ = nullptr;
    session_ = nullptr;
    environment_ = nullptr;
}

sword client_calls::check(sword status, const char* action) {
    switch (status) {
    case OCI_ERROR:
        // the break's own ORA-01013, or whatever a half-finished call reported after it
        if (is_broken_off_) {
            TK_LOG(3, "The call to %s was broken off", action);
            throw tk_final_exception();
        }
        throw_oracle_error(error_, OCI_HTYPE_ERROR, action);
    case OCI_INVALID_HANDLE:
        TK_LOG(3, "ERROR: Invalid handle (%s)", action);
        throw tk_exception(std::string("The Oracle client refused a handle while trying to ") + action + ".",
                           tk_level_serious);
    default: return status;
    }
}

std::string client_calls::error_text(void* handle, ub4 handle_type, sb4* code) {
    char16_t text[error_text_bytes / 2] = {};
    fn_.OCIErrorGet(handle, 1, nullptr, code, reinterpret_cast<OraText*>(text), error_text_bytes, handle_type);
    text[error_text_bytes / 2 - 1] = u'\0';
    std::u16string_view message(text);
    // The client ends its messages with a line feed; the user sees the text without it.
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' '))
        message.remove_suffix(1);
    try {
        return to_utf8(message);
    } catch (const tk_exception&) {
        return "ORA-" + std::to_string(*code);
    }
}

void client_calls::throw_oracle_error(void* handle, ub4 handle_type, const char* action) {
    sb4 code = 0;
    std::string narrow = error_text(handle, handle_type, &code);
    TK_LOG(3, "Oracle error while trying to %s: %s", action, narrow.c_str());
    if (code == snapshot_too_old_number) narrow += snapshot_too_old_text;
    ora_exception error(code, narrow);
    if (!error.is_connection_lost() && !is_server_connected()) error.mark_connection_lost();
    throw error;
}

bool client_calls::is_server_connected() noexcept {
    if (server_ == nullptr || !attached_) return false;
    // Asked after an error whose number does not say it: the client knows a dead link.
    ub4 status = OCI_SERVER_NORMAL;
    if (fn_.OCIAttrGet(server_, OCI_HTYPE_SERVER, &status, nullptr, OCI_ATTR_SERVER_STATUS, break_error_) != OCI_SUCCESS)
        return true;  // a client that cannot tell: the error's own number decides
    return status != OCI_SERVER_NOT_CONNECTED;
}

std::string client_calls::server_banner() {
    char16_t text[256] = {};
    check(fn_.OCIServerVersion(service_, error_, reinterpret_cast<OraText*>(text), sizeof text - sizeof(char16_t),
                               OCI_HTYPE_SVCCTX),
          "read the server version");
    text[255] = u'\0';
    try {
        return to_utf8(std::u16string_view(text));
    } catch (const tk_exception&) {
        return {};  // a banner that is not text says no version
    }
}

OCIStmt* client_calls::alloc_statement() {
    void* handle = nullptr;
    check(fn_.OCIHandleAlloc(environment_, &handle, OCI_HTYPE_STMT, 0, nullptr), "allocate statement");
    return static_cast<OCIStmt*>(handle);
}

void client_calls::free_statement(OCIStmt* statement) noexcept {
    // The statement's define handles go with it.
    fn_.OCIHandleFree(statement, OCI_HTYPE_STMT);
}

void client_calls::prepare(OCIStmt* statement, std::string_view sql) {
    TK_LOG(1, "prepare: %.*s", static_cast<int>(sql.size()), sql.data());
    const std::u16string wide = to_unicode(sql);
    check(fn_.OCIStmtPrepare(statement, error_, reinterpret_cast<const OraText*>(wide.data()),
                             static_cast<ub4>(wide.size() * 2), OCI_NTV_SYNTAX, OCI_DEFAULT),
          "prepare a statement");
}

void client_calls::require_query(OCIStmt* statement) {
    ub2 type = 0;
    check(fn_.OCIAttrGet(statement, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, error_),
          "read the statement type");
    if (type == OCI_STMT_SELECT) return;
    TK_LOG(3, "statement of type %u refused as a query", type);
    throw tk_exception(not_a_query_text, tk_level_serious);
}

void client_calls::set_prefetch(OCIStmt* statement, ub4 rows, ub4 memory_bytes) {
    check(fn_.OCIAttrSet(statement, OCI_HTYPE_STMT, &rows, sizeof rows, OCI_ATTR_PREFETCH_ROWS, error_),
          "set prefetch rows");
    check(
        fn_.OCIAttrSet(statement, OCI_HTYPE_STMT, &memory_bytes, sizeof memory_bytes, OCI_ATTR_PREFETCH_MEMORY, error_),
        "set prefetch memory");
}

void client_calls::set_call_timeout(ub4 milliseconds) noexcept {
    ub4 value = milliseconds;
    const sword status =
        fn_.OCIAttrSet(service_, OCI_HTYPE_SVCCTX, &value, sizeof value, OCI_ATTR_CALL_TIMEOUT, error_);
    if (status == OCI_SUCCESS) {
        call_timeout_ms_ = milliseconds;
        return;
    }
    TK_LOG(3, "The Oracle client sets no call timeout (before 18c): a dead server is noticed only when TCP gives up");
}

sword client_calls::execute(OCIStmt* statement, ub4 iterations, ub4 mode, bool may_take_long) {
    refuse_if_broken_off();
    if (!may_take_long || call_timeout_ms_ == 0)
        return check(fn_.OCIStmtExecute(service_, statement, error_, iterations, 0, nullptr, nullptr, mode),
                     "execute a statement");
    // the limit comes back once the status is checked: setting it first would replace the
    // error handle's diagnostic
    struct limit_restore {
        client_calls& calls;
        ub4 limit;
        ~limit_restore() { calls.set_call_timeout(limit); }
    } restore{*this, call_timeout_ms_};
    set_call_timeout(0);
    return check(fn_.OCIStmtExecute(service_, statement, error_, iterations, 0, nullptr, nullptr, mode),
                 "execute a statement");
}

sword client_calls::fetch(OCIStmt* statement, ub4 rows) {
    refuse_if_broken_off();
    return check(fn_.OCIStmtFetch2(statement, error_, rows, OCI_FETCH_NEXT, 0, OCI_DEFAULT), "fetch rows");
}

ub4 client_calls::rows_fetched(OCIStmt* statement) {
    ub4 rows = 0;
    check(fn_.OCIAttrGet(statement, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROWS_FETCHED, error_),
          "count the rows fetched");
    return rows;
}

ub4 client_calls::param_count(OCIStmt* statement) {
    ub4 count = 0;
    check(fn_.OCIAttrGet(statement, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, error_),
          "count the columns");
    return count;
}

described_column client_calls::describe_column(OCIStmt* statement, ub4 position) {
    void* param = nullptr;
    check(fn_.OCIParamGet(statement, OCI_HTYPE_STMT, error_, &param, position), "describe a column");
    described_column info;
    // Each attribute is read into a variable of its own width: the client writes exactly that.
    check(fn_.OCIAttrGet(param, OCI_DTYPE_PARAM, &info.data_type, nullptr, OCI_ATTR_DATA_TYPE, error_),
          "read a column type");
    check(fn_.OCIAttrGet(param, OCI_DTYPE_PARAM, &info.data_size, nullptr, OCI_ATTR_DATA_SIZE, error_),
          "read a column size");
    check(fn_.OCIAttrGet(param, OCI_DTYPE_PARAM, &info.precision, nullptr, OCI_ATTR_PRECISION, error_),
          "read a column precision");
    check(fn_.OCIAttrGet(param, OCI_DTYPE_PARAM, &info.scale, nullptr, OCI_ATTR_SCALE, error_), "read a column scale");
    ub1 is_null = 1;
    check(fn_.OCIAttrGet(param, OCI_DTYPE_PARAM, &is_null, nullptr, OCI_ATTR_IS_NULL, error_),
          "read a column's nullability");
    info.nullable = is_null != 0;
    // Only character columns have a form; it tells NVARCHAR2, NCHAR and NCLOB apart.
    if (info.data_type == SQLT_CHR || info.data_type == SQLT_AFC || info.data_type == SQLT_CLOB)
        check(fn_.OCIAttrGet(param, OCI_DTYPE_PARAM, &info.charset_form, nullptr, OCI_ATTR_CHARSET_FORM, error_),
              "read a column's character set form");
    OraText* name = nullptr;
    ub4 name_bytes = 0;
    check(fn_.OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &name_bytes, OCI_ATTR_NAME, error_), "read a column name");
    // The name is UTF-16 of name_bytes bytes, not terminated; copy it before the
    // descriptor goes.
    if (name != nullptr)
        info.name = to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(name), name_bytes / 2));
    // An object column says which type it holds: only XMLTYPE can be read as text.
    if (info.data_type == SQLT_NTY) {
        OraText* type_name = nullptr;
        ub4 type_name_bytes = 0;
        check(fn_.OCIAttrGet(param, OCI_DTYPE_PARAM, &type_name, &type_name_bytes, OCI_ATTR_TYPE_NAME, error_),
              "read a column's type name");
        if (type_name != nullptr)
            info.type_name =
                to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(type_name), type_name_bytes / 2));
    }
    fn_.OCIDescriptorFree(param, OCI_DTYPE_PARAM);
    TK_LOG(1, "column #%u '%s': type=%u size=%u precision=%d scale=%d nullable=%d form=%u", position, info.name.c_str(),
           info.data_type, info.data_size, info.precision, info.scale, info.nullable ? 1 : 0, info.charset_form);
    return info;
}

OCIDefine* client_calls::define(OCIStmt* statement, ub4 position, void* value, sb4 value_size, ub2 type,
                                sb2* indicators, ub2* lengths, ub2* return_codes) {
    OCIDefine* handle = nullptr;
    check(fn_.OCIDefineByPos(statement, &handle, error_, position, value, value_size, type, indicators, lengths,
                             return_codes, OCI_DEFAULT),
          "define a fetch buffer");
    return handle;
}

void client_calls::set_define_charset(OCIDefine* define_handle, ub2 charset_id) {
    check(fn_.OCIAttrSet(define_handle, OCI_HTYPE_DEFINE, &charset_id, sizeof charset_id, OCI_ATTR_CHARSET_ID, error_),
          "set a column's character set");
}

void client_calls::bind_text(OCIStmt* statement, ub4 position, const std::u16string& text) {
    OCIBind* handle = nullptr;
    check(fn_.OCIBindByPos(statement, &handle, error_, position, const_cast<char16_t*>(text.data()),
                           static_cast<sb4>(text.size() * sizeof(char16_t)), SQLT_CHR, nullptr, nullptr, nullptr, 0,
                           nullptr, OCI_DEFAULT),
          "bind a value");
}

void client_calls::set_define_national(OCIDefine* define_handle) {
    ub1 form = SQLCS_NCHAR;
    check(fn_.OCIAttrSet(define_handle, OCI_HTYPE_DEFINE, &form, sizeof form, OCI_ATTR_CHARSET_FORM, error_),
          "set a column's national character set form");
}

void client_calls::set_lob_prefetch(OCIDefine* define_handle, ub4 units) {
    int with_length = 1;  // an OCI boolean
    check(fn_.OCIAttrSet(define_handle, OCI_HTYPE_DEFINE, &with_length, sizeof with_length, OCI_ATTR_LOBPREFETCH_LENGTH,
                         error_),
          "set LOB length prefetch");
    check(fn_.OCIAttrSet(define_handle, OCI_HTYPE_DEFINE, &units, sizeof units, OCI_ATTR_LOBPREFETCH_SIZE, error_),
          "set LOB prefetch size");
}

void* client_calls::alloc_descriptor(ub4 type) {
    void* descriptor = nullptr;
    check(fn_.OCIDescriptorAlloc(environment_, &descriptor, type, 0, nullptr), "allocate a descriptor");
    return descriptor;
}

void client_calls::free_descriptor(void* descriptor, ub4 type) noexcept {
    if (descriptor != nullptr) fn_.OCIDescriptorFree(descriptor, type);
}

ub4 client_calls::lob_length(OCILobLocator* locator) {
    ub4 length = 0;
    refuse_if_broken_off();
    check(fn_.OCILobGetLength(service_, error_, locator, &length), "read a LOB length");
    return length;
}

ub1 client_calls::lob_charset_form(OCILobLocator* locator) {
    ub1 form = SQLCS_IMPLICIT;
    check(fn_.OCILobCharSetForm(environment_, error_, locator, &form), "read a LOB character set form");
    return form;
}

sword client_calls::lob_read(OCILobLocator* locator, ub4* amount, ub4 offset, void* buffer, ub4 buffer_bytes,
                             ub2 charset_id, ub1 charset_form) {
    refuse_if_broken_off();
    return check(fn_.OCILobRead(service_, error_, locator, amount, offset, buffer, buffer_bytes, nullptr, nullptr,
                                charset_id, charset_form),
                 "read a LOB");
}

bool client_calls::is_temporary_lob(OCILobLocator* locator) {
    int is_temporary = 0;
    check(fn_.OCILobIsTemporary(environment_, error_, locator, &is_temporary), "ask whether a LOB is temporary");
    return is_temporary != 0;
}

void client_calls::free_temporary_lob(OCILobLocator* locator) {
    refuse_if_broken_off();
    check(fn_.OCILobFreeTemporary(service_, error_, locator), "free a temporary LOB");
}

datetime_parts client_calls::read_datetime(OCIDateTime* value) {
    datetime_parts parts;
    check(fn_.OCIDateTimeGetDate(environment_, error_, value, &parts.year, &parts.month, &parts.day), "read a date");
    check(fn_.OCIDateTimeGetTime(environment_, error_, value, &parts.hour, &parts.minute, &parts.second,
                                 &parts.nanoseconds),
          "read a time");
    return parts;
}
