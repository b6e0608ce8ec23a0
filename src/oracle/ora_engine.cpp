// The Oracle engine: environment, session, error conversion and catalogue services.
#include "oracle/ora_engine.h"

#include <cstdio>
#include <map>

#include "oracle/ora_database.h"
#include "oracle/ora_exception.h"
#include "oracle/ora_stmt.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

// OCIErrorGet gives no length; 3072 bytes is the largest message of current clients.
constexpr ub4 error_text_bytes = OCI_ERROR_MAXMSG_SIZE2;
// v$version banners are short; the buffer is generous because a truncated banner fails.
constexpr std::size_t version_text_units = 1024;

// Oracle type names the column classes can read, with the external type code each is read
// as. Types with precision or time-zone parts are keyed by their leading words.
const std::map<std::string, int, std::less<>>& supported_types() {
    static const std::map<std::string, int, std::less<>> types{
        {"VARCHAR", SQLT_VCS},   {"VARCHAR2", SQLT_VCS},    {"NVARCHAR2", SQLT_VCS},
        {"NUMBER", SQLT_NUM},    {"FLOAT", SQLT_NUM},       {"LONG", SQLT_INT},
        {"DATE", SQLT_DATE},     {"BINARY_FLOAT", SQLT_NUM}, {"BINARY_DOUBLE", SQLT_NUM},
        {"TIMESTAMP", SQLT_TIME}, {"INTERVAL DAY", SQLT_INTERVAL_DS},
        {"INTERVAL YEAR", SQLT_INTERVAL_YM}, {"RAW", SQLT_BIN}, {"LONG RAW", SQLT_BLOB},
        {"ROWID", SQLT_BIN},     {"UROWID", SQLT_BIN},      {"CHAR", SQLT_CHR},
        {"BYTE", SQLT_BIN},      {"NCHAR", SQLT_VCS},       {"CLOB", SQLT_CLOB},
        {"NCLOB", SQLT_CLOB},    {"BLOB", SQLT_BLOB},       {"XMLTYPE", SQLT_VCS},
    };
    return types;
}

// The part of a catalogue type text that names the type: "TIMESTAMP(6) WITH TIME ZONE" ->
// "TIMESTAMP", "INTERVAL DAY(2) TO SECOND(6)" -> "INTERVAL DAY", "NUMBER(10,2)" -> "NUMBER".
std::string_view pure_type(std::string_view type_text) {
    type_text = type_text.substr(0, type_text.find('('));
    for (std::string_view suffix : {" WITH TIME ZONE", " WITH LOCAL TIME ZONE", " TO SECOND", " TO MONTH"}) {
        if (type_text.size() > suffix.size() && type_text.ends_with(suffix))
            type_text.remove_suffix(suffix.size());
    }
    while (!type_text.empty() && type_text.back() == ' ') type_text.remove_suffix(1);
    return type_text;
}

}  // namespace

ora_engine::ora_engine(const std::vector<std::string>& library_candidates) {
    TK_LOG(2, "ora_engine::ctor");
    library_ = std::make_unique<oci_client_library>(library_candidates);
    fn_ = &library_->functions();
    try {
        initialize();
    } catch (...) {
        clean();
        throw;
    }
}

ora_engine::~ora_engine() {
    clean();
    connect_string_.clear();
    user_.clear();
    password_.clear();
}

void ora_engine::initialize() {
    TK_LOG(2, "ora_engine::initialize");
    // Threaded because the connection worker, the interface thread and the run take turns;
    // object mode so that XMLTYPE columns can be described.
    const sword status = fn_->OCIEnvNlsCreate(&environment_, OCI_THREADED | OCI_OBJECT, nullptr, nullptr,
                                              nullptr, nullptr, 0, nullptr, OCI_UTF16ID, OCI_UTF16ID);
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

void ora_engine::alloc_handle(void** handle, ub4 type, const char* action) {
    const sword status = fn_->OCIHandleAlloc(environment_, handle, type, 0, nullptr);
    if (status == OCI_SUCCESS) return;
    // No error handle may exist yet; the environment holds the diagnostic then.
    throw_oracle_error(environment_, OCI_HTYPE_ENV, action);
}

std::string ora_engine::compose_connect_string(const std::string& host, const std::string& port,
                                               const std::string& service) {
    if (host.empty() && port.empty()) return service;
    return "//" + (host.empty() ? std::string("localhost") : host) + ":" +
           (port.empty() ? std::string("1521") : port) + "/" + service;
}

std::unique_ptr<ora_database> ora_engine::open_db(const std::string& host, const std::string& user,
                                                  const std::string& password, const std::string& port,
                                                  const std::string& service) {
    TK_LOG(2, "ora_engine::open_db (%s,%s,%s,%s,%s)", host.c_str(), user.c_str(), password.empty() ? "" : "***",
           port.c_str(), service.c_str());
    return open_db(compose_connect_string(host, port, service), user, password);
}

std::unique_ptr<ora_database> ora_engine::open_db(const std::string& connect_string, const std::string& user,
                                                  const std::string& password) {
    connect(connect_string, user, password);
    return std::make_unique<ora_database>(connect_string, 1);
}

void ora_engine::connect(const std::string& connect_string, const std::string& user,
                         const std::string& password) {
    TK_LOG(3, "Connecting to Oracle data source '%s'", connect_string.c_str());
    refuse_if_broken_off();
    end_session();
    // The texts describe the live session only; a failed attempt leaves none.
    connect_string_.clear();
    user_.clear();
    password_.clear();
    if (attached_) {
        fn_->OCIServerDetach(server_, error_, OCI_DEFAULT);  // a failed old link is of no interest
        attached_ = false;
    }
    const std::u16string wide_connect = to_unicode(connect_string);
    check_err(fn_->OCIServerAttach(server_, error_, reinterpret_cast<const OraText*>(wide_connect.data()),
                                   static_cast<sb4>(wide_connect.size() * 2), OCI_DEFAULT),
              "attach to server");
    attached_ = true;
    TK_LOG(1, "OCIServerAttach succeeded");
    check_err(fn_->OCIAttrSet(service_, OCI_HTYPE_SVCCTX, server_, 0, OCI_ATTR_SERVER, error_),
              "set server into service context");
    TK_LOG(1, "Server context was set into service context");
    std::u16string wide_user = to_unicode(user);
    std::u16string wide_password = to_unicode(password);
    check_err(fn_->OCIAttrSet(session_, OCI_HTYPE_SESSION, wide_user.data(),
                              static_cast<ub4>(wide_user.size() * 2), OCI_ATTR_USERNAME, error_),
              "set user name");
    check_err(fn_->OCIAttrSet(session_, OCI_HTYPE_SESSION, wide_password.data(),
                              static_cast<ub4>(wide_password.size() * 2), OCI_ATTR_PASSWORD, error_),
              "set password");
    TK_LOG(1, "Just before OCISessionBegin");
    refuse_if_broken_off();
    check_err(fn_->OCISessionBegin(service_, error_, session_, OCI_CRED_RDBMS, OCI_DEFAULT), "begin session");
    session_begun_ = true;
    TK_LOG(2, "The connection has been established");
    check_err(fn_->OCIAttrSet(service_, OCI_HTYPE_SVCCTX, session_, 0, OCI_ATTR_SESSION, error_),
              "set session into service context");
    connect_string_ = connect_string;
    user_ = user;
    password_ = password;
}

void ora_engine::end_session() noexcept {
    if (!session_begun_) return;
    // After a break no round trip more: the server ends a session whose line goes away.
    if (!is_broken_off_) fn_->OCISessionEnd(service_, error_, session_, OCI_DEFAULT);
    session_begun_ = false;
}

void ora_engine::break_calls() noexcept {
    is_broken_off_ = true;
    if (fn_ == nullptr || server_ == nullptr || break_error_ == nullptr) return;
    TK_LOG(3, "Breaking off the call to the server");
    // The server handle exists from the start, so even an attach in progress is reached.
    fn_->OCIBreak(server_, break_error_);
}

void ora_engine::refuse_if_broken_off() const {
    if (is_broken_off_) throw tk_final_exception();
}

void ora_engine::clean() noexcept {
    TK_LOG(2, "ora_engine::clean");
    if (fn_ == nullptr) return;
    end_session();
    if (attached_) fn_->OCIServerDetach(server_, error_, OCI_DEFAULT);
    attached_ = false;
    // Release results are not checked: nothing can be done about a handle that will not go.
    if (server_ != nullptr) fn_->OCIHandleFree(server_, OCI_HTYPE_SERVER);
    if (service_ != nullptr) fn_->OCIHandleFree(service_, OCI_HTYPE_SVCCTX);
    if (error_ != nullptr) fn_->OCIHandleFree(error_, OCI_HTYPE_ERROR);
    if (break_error_ != nullptr) fn_->OCIHandleFree(break_error_, OCI_HTYPE_ERROR);
    if (session_ != nullptr) fn_->OCIHandleFree(session_, OCI_HTYPE_SESSION);
    if (environment_ != nullptr) fn_->OCIHandleFree(environment_, OCI_HTYPE_ENV);
    server_ = nullptr;
    service_ = nullptr;
    error_ = nullptr;
    break_error_ = nullptr;
    session_ = nullptr;
    environment_ = nullptr;
}

sword ora_engine::check_err(sword status, const char* action) {
    TK_LOG(1, "ora_engine::check_err(status=%08X)", static_cast<unsigned>(status));
    switch (status) {
    case OCI_ERROR:
        TK_LOG(1, "status == OCI_ERROR");
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
    case OCI_SUCCESS_WITH_INFO:
        TK_LOG(1, "%s: success with information", action);
        return status;
    default:
        return status;
    }
}

void ora_engine::throw_oracle_error(void* handle, ub4 handle_type, const char* action) {
    char16_t text[error_text_bytes / 2] = {};
    sb4 code = 0;
    fn_->OCIErrorGet(handle, 1, nullptr, &code, reinterpret_cast<OraText*>(text), error_text_bytes, handle_type);
    text[error_text_bytes / 2 - 1] = u'\0';
    std::u16string_view message(text);
    // The client ends its messages with a line feed; the user sees the text without it.
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' '))
        message.remove_suffix(1);
    std::string narrow;
    try {
        narrow = to_utf8(message);
    } catch (const tk_exception&) {
        narrow = "ORA-" + std::to_string(code);
    }
    TK_LOG(3, "Oracle error while trying to %s: %s", action, narrow.c_str());
    throw ora_exception(code, narrow);
}

std::string ora_engine::quote_identifier(std::string_view name) {
    std::string quoted(name);
    replace_all(quoted, "\"", "\"\"");
    return "\"" + quoted + "\"";
}

std::string ora_engine::quote_literal(std::string_view text) {
    std::string quoted(text);
    replace_all(quoted, "'", "''");
    return "'" + quoted + "'";
}

std::string ora_engine::safe_name(std::string_view table_name, bool owned_by_user) {
    const std::size_t point = table_name.find('.');
    if (owned_by_user || point == std::string_view::npos) return quote_identifier(table_name);
    return quote_identifier(table_name.substr(0, point)) + "." + quote_identifier(table_name.substr(point + 1));
}

std::int64_t ora_engine::get_records_cnt(std::string_view text, bool is_query) {
    TK_LOG(2, "ora_engine::get_records_cnt(%.*s)", static_cast<int>(text.size()), text.data());
    return select_number(is_query ? "SELECT COUNT(*) FROM (" + std::string(text) + ")"
                                  : "SELECT COUNT(*) FROM " + get_safe_name(text));
}

std::int64_t ora_engine::select_number(const std::string& sql) {
    TK_ASSERT(session_begun_);
    ora_stmt statement;
    prepare(statement.get(), sql);
    sb8 number = 0;
    define(statement.get(), 1, &number, sizeof number, SQLT_INT, nullptr, nullptr);
    const sword status = execute(statement.get(), 1, OCI_DEFAULT);
    TK_ASSERT(status != OCI_NO_DATA);
    return number;
}

std::uint32_t ora_engine::get_version() {
    TK_LOG(2, "ora_engine::get_version");
    ora_stmt statement;
    prepare(statement.get(), "select * from v$version");
    std::u16string banner(version_text_units, u'\0');
    sb2 indicator = 0;
    define(statement.get(), 1, banner.data(), static_cast<sb4>(banner.size() * 2), SQLT_STR, &indicator, nullptr);
    if (execute(statement.get(), 1, OCI_DEFAULT) == OCI_NO_DATA || indicator == OCI_IND_NULL) return 0;
    banner.resize(banner.find(u'\0'));
    const std::string text = to_utf8(banner);
    TK_LOG(1, "Got versioned string:\n%s", text.c_str());
    return parse_version(text);
}

std::uint32_t ora_engine::parse_version(std::string_view banner) {
    for (const std::string& word : split(banner, ' ')) {
        if (word.empty() || word[0] < '0' || word[0] > '9') continue;
        int major = 0, minor = 0, release = 0;
        if (std::sscanf(word.c_str(), "%d.%d.%d", &major, &minor, &release) != 3) continue;
        TK_LOG(1, "Got Oracle version: %d,%d,%d", major, minor, release);
        return (static_cast<std::uint32_t>(major) << 16) | (static_cast<std::uint32_t>(minor & 0xFF) << 8) |
               static_cast<std::uint32_t>(release & 0xFF);
    }
    return 0;
}

bool ora_engine::is_supported_type(std::string_view type_text) {
    TK_LOG(2, "ora_engine::is_supported_type(%.*s)", static_cast<int>(type_text.size()), type_text.data());
    const std::string_view pure = pure_type(type_text);
    if (pure.size() != type_text.size()) TK_LOG(1, "Pure type='%.*s'", static_cast<int>(pure.size()), pure.data());
    return supported_types().find(pure) != supported_types().end();
}

std::string ora_engine::get_columns_view() const {
    return owned_by_user_ ? "USER_TAB_COLUMNS" : "ALL_TAB_COLUMNS";
}

std::string ora_engine::table_condition(std::string_view table_name, bool owned_by_user) {
    if (owned_by_user) return "table_name = " + quote_literal(table_name);
    return "concat(owner,concat('.',table_name)) = " + quote_literal(table_name);
}
