// The Oracle engine: the session, its settings and the catalogue services.
#include "oracle/ora_engine.h"

#include <cstdio>
#include <map>

#include "oracle/oci_calls.h"
#include "oracle/ora_database.h"
#include "oracle/ora_stmt.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

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
    calls_ = std::make_unique<oci_calls>(library_candidates.empty() ? oci_client_library::default_candidates()
                                                                    : library_candidates);
}

ora_engine::~ora_engine() = default;

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
    calls_->refuse_if_broken_off();
    calls_->log_on(connect_string, user, password);
}

void ora_engine::break_calls() noexcept { calls_->break_calls(); }

bool ora_engine::is_connected() const noexcept { return calls_->is_session_begun(); }

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
    TK_ASSERT(calls_->is_session_begun());
    ora_stmt statement;
    calls_->prepare(statement.get(), sql);
    sb8 number = 0;
    calls_->define(statement.get(), 1, &number, sizeof number, SQLT_INT, nullptr, nullptr);
    const sword status = calls_->execute(statement.get(), 1, OCI_DEFAULT);
    TK_ASSERT(status != OCI_NO_DATA);
    return number;
}

std::uint32_t ora_engine::get_version() {
    TK_LOG(2, "ora_engine::get_version");
    ora_stmt statement;
    calls_->prepare(statement.get(), "select * from v$version");
    std::u16string banner(version_text_units, u'\0');
    sb2 indicator = 0;
    calls_->define(statement.get(), 1, banner.data(), static_cast<sb4>(banner.size() * 2), SQLT_STR, &indicator,
                   nullptr);
    if (calls_->execute(statement.get(), 1, OCI_DEFAULT) == OCI_NO_DATA || indicator == OCI_IND_NULL) return 0;
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
