// The catalogue's SQL texts and the pure rules behind them.
#include "oracle/oracle_catalogue.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <cstdio>

#include "toolkit/exception.h"
#include "toolkit/text.h"

namespace {

// Oracle type names the reader can fetch. Types with precision or time-zone parts are
// keyed by their leading words.
constexpr std::array<std::string_view, 26> readable_types{
    "VARCHAR", "VARCHAR2", "NVARCHAR2", "NUMBER", "FLOAT", "LONG", "DATE", "BINARY_FLOAT",
    "BINARY_DOUBLE", "TIMESTAMP", "INTERVAL DAY", "INTERVAL YEAR", "RAW", "LONG RAW", "ROWID", "UROWID",
    "CHAR", "BYTE", "NCHAR", "CLOB", "NCLOB", "BLOB", "XMLTYPE", "BOOLEAN", "JSON", "VECTOR",
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

std::string compose_connect_string(const std::string& host, const std::string& port, const std::string& service,
                                   int connect_timeout_seconds) {
    if (host.empty() && port.empty()) return service;
    std::string name = host.empty() ? std::string("localhost") : host;
    std::string typed_port;
    const std::size_t colons = std::count(name.begin(), name.end(), ':');
    if (name.front() == '[') {
        const std::size_t close = name.find(']');
        if (close == std::string::npos)
            throw tk_exception("The host '" + host + "' opens a '[' it does not close.", tk_level_serious);
        if (close + 1 < name.size()) {
            if (name[close + 1] != ':')
                throw tk_exception("The host '" + host + "' has text after its ']'.", tk_level_serious);
            typed_port = name.substr(close + 2);
        }
        name.resize(close + 1);
    } else if (colons == 1) {
        typed_port = name.substr(name.find(':') + 1);
        name.resize(name.find(':'));
    } else if (colons > 1) {
        name = "[" + name + "]";  // an IPv6 address: its colons must not read as a port
    }
    if (!typed_port.empty() && typed_port.find_first_not_of("0123456789") != std::string::npos)
        throw tk_exception("The host '" + host + "' ends in ':" + typed_port + "', which is not a port number.",
                           tk_level_serious);
    if (!typed_port.empty() && !port.empty() && typed_port != port)
        throw tk_exception("The host '" + host + "' names port " + typed_port + " but the port is " + port +
                           "; give the port in one place.",
                           tk_level_serious);
    const std::string& chosen_port = !typed_port.empty() ? typed_port : port;
    return "//" + name + ":" + (chosen_port.empty() ? std::string("1521") : chosen_port) + "/" + service +
           (connect_timeout_seconds > 0 ? "?connect_timeout=" + std::to_string(connect_timeout_seconds) : "");
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

std::string table_condition(catalogue_scope scope) {
    return scope == catalogue_scope::own_tables ? "table_name = :1" : "owner = :1 and table_name = :2";
}

std::vector<std::string> table_condition_values(std::string_view table_name, catalogue_scope scope) {
    const std::size_t point = table_name.find('.');
    if (scope == catalogue_scope::own_tables || point == std::string_view::npos) return {std::string(table_name)};
    return {std::string(table_name.substr(0, point)), std::string(table_name.substr(point + 1))};
}

std::string columns_view(catalogue_scope scope) {
    return scope == catalogue_scope::own_tables ? "USER_TAB_COLUMNS" : "ALL_TAB_COLUMNS";
}

std::string tables_view(catalogue_scope scope) {
    return scope == catalogue_scope::own_tables ? "USER_TABLES" : "ALL_TABLES";
}

std::string tables_query(catalogue_scope scope, std::uint32_t server_version) {
    const std::string names = scope == catalogue_scope::own_tables ? "TABLE_NAME" : "OWNER, TABLE_NAME";
    const std::string select =
        "select " + names + " from " + (scope == catalogue_scope::own_tables ? "user_tables" : "all_tables");
    if (server_version < server_version_8) return select;
    // Temporary tables hold no data of another session, nested-table storage is read through
    // its parent, recycle-bin tables are dropped ones, and overflow or mapping segments of an
    // index-organised table are no tables of their own.
    return select + " where TEMPORARY='N' and NESTED='NO' and (IOT_TYPE IS NULL OR IOT_TYPE='IOT')" +
           (server_version < server_version_10 ? "" : " and DROPPED='NO'");
}

bool locks_rows(std::string_view sql) {
    std::string previous, word;
    std::size_t i = 0;
    const auto skip_to = [&](std::string_view end) {
        const std::size_t at = sql.find(end, i);
        i = at == std::string_view::npos ? sql.size() : at + end.size();
    };
    while (i < sql.size()) {
        const char c = sql[i];
        const bool is_word_char = std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#' ||
                                  static_cast<unsigned char>(c) >= 0x80;
        if (is_word_char) {
            word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            ++i;
            continue;
        }
        if (!word.empty()) {
            if (previous == "FOR" && word == "UPDATE") return true;
            previous = std::exchange(word, {});
        }
        if (c == '\'' && i > 0 && (sql[i - 1] == 'q' || sql[i - 1] == 'Q') && i + 1 < sql.size()) {
            // q'[...]': the literal ends at the closing partner of its first character
            const char open = sql[i + 1];
            const char close = open == '[' ? ']' : open == '(' ? ')' : open == '{' ? '}' : open == '<' ? '>' : open;
            i += 2;
            skip_to(std::string{close, '\''});
            previous.clear();
        } else if (c == '\'') {
            ++i;
            skip_to("'");  // a doubled quote inside is two literals in a row: same outcome
        } else if (c == '"') {
            ++i;
            skip_to("\"");
        } else if (sql.substr(i, 2) == "--") {
            skip_to("\n");
        } else if (sql.substr(i, 2) == "/*") {
            skip_to("*/");
        } else {
            ++i;
        }
    }
    return previous == "FOR" && word == "UPDATE";
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
