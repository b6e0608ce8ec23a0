// The catalogue's SQL texts and the pure rules behind them.
#include "oracle/oracle_catalogue.h"

#include <array>
#include <cstdio>

#include "toolkit/text.h"

namespace {

// Oracle type names the reader can fetch. Types with precision or time-zone parts are
// keyed by their leading words.
constexpr std::array<std::string_view, 23> readable_types{
    "VARCHAR", "VARCHAR2", "NVARCHAR2", "NUMBER", "FLOAT", "LONG", "DATE", "BINARY_FLOAT",
    "BINARY_DOUBLE", "TIMESTAMP", "INTERVAL DAY", "INTERVAL YEAR", "RAW", "LONG RAW", "ROWID", "UROWID",
    "CHAR", "BYTE", "NCHAR", "CLOB", "NCLOB", "BLOB", "XMLTYPE",
};

// The part of a catalogue type text that names the type: "TIMESTAMP(6) WITH TIME ZONE" ->
// "TIMESTAMP", "INTERVAL DAY(2) TO SECOND(6)" -> "INTERVAL DAY", "NUMBER(10,2)" -> "NUMBER".
std::string_view pure_type(std::string_view type_text) {
    type_text = type_text.substr(0, type_text.find('('));
    for (std::string_view suffix : {" WITH TIME ZONE", " WITH LOCAL TIME ZONE", " TO SECOND", " TO MONTH"}) {
        if (type_text.size() > suffix.size() && type_text.ends_with(suffix)) type_text.remove_suffix(suffix.size());
    }
    while (!type_text.empty() && type_text.back() == ' ') type_text.remove_suffix(1);
    return type_text;
}

}  // namespace

std::string compose_connect_string(const std::string& host, const std::string& port, const std::string& service) {
    if (host.empty() && port.empty()) return service;
    return "//" + (host.empty() ? std::string("localhost") : host) + ":" + (port.empty() ? std::string("1521") : port) +
           "/" + service;
}

std::string quote_identifier(std::string_view name) {
    std::string quoted(name);
    replace_all(quoted, "\"", "\"\"");
    return "\"" + quoted + "\"";
}

std::string quote_literal(std::string_view text) {
    std::string quoted(text);
    replace_all(quoted, "'", "''");
    return "'" + quoted + "'";
}

std::string quoted_table_name(std::string_view table_name, catalogue_scope scope) {
    const std::size_t point = table_name.find('.');
    if (scope == catalogue_scope::own_tables || point == std::string_view::npos) return quote_identifier(table_name);
    return quote_identifier(table_name.substr(0, point)) + "." + quote_identifier(table_name.substr(point + 1));
}

std::string table_condition(std::string_view table_name, catalogue_scope scope) {
    if (scope == catalogue_scope::own_tables) return "table_name = " + quote_literal(table_name);
    return "concat(owner,concat('.',table_name)) = " + quote_literal(table_name);
}

std::string columns_view(catalogue_scope scope) {
    return scope == catalogue_scope::own_tables ? "USER_TAB_COLUMNS" : "ALL_TAB_COLUMNS";
}

std::string tables_query(catalogue_scope scope, std::uint32_t server_version) {
    const bool old_server = server_version < server_version_8;
    // The condition has no parentheses on purpose: the server's precedence makes it
    // "(not temporary and not nested and not index-organised) or IOT".
    if (scope == catalogue_scope::own_tables) {
        return old_server ? "select TABLE_NAME from user_tables"
                          : "select TABLE_NAME, IOT_TYPE from user_tables where TEMPORARY='N' and "
                            "NESTED='NO' and IOT_TYPE IS NULL OR IOT_TYPE='IOT'";
    }
    return old_server ? "select OWNER, TABLE_NAME from all_tables"
                      : "select OWNER, TABLE_NAME, IOT_TYPE from all_tables where TEMPORARY='N' and "
                        "NESTED='NO' and IOT_TYPE IS NULL OR IOT_TYPE='IOT'";
}

bool is_readable_type(std::string_view type_text) {
    const std::string_view pure = pure_type(type_text);
    for (std::string_view type : readable_types)
        if (type == pure) return true;
    return false;
}

std::uint32_t parse_server_version(std::string_view banner) {
    for (const std::string& word : split(banner, ' ')) {
        if (word.empty() || word[0] < '0' || word[0] > '9') continue;
        int major = 0, minor = 0, release = 0;
        if (std::sscanf(word.c_str(), "%d.%d.%d", &major, &minor, &release) != 3) continue;
        return (static_cast<std::uint32_t>(major) << 16) | (static_cast<std::uint32_t>(minor & 0xFF) << 8) |
               static_cast<std::uint32_t>(release & 0xFF);
    }
    return 0;
}
