// The SQL texts the session sends to the catalogue, and the pure rules behind them: quoted
// names, the readable-type check, connect strings and server versions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Which tables the catalogue lists: the user's own (plain names) or every visible one
// (OWNER.TABLE names).
enum class catalogue_scope { own_tables, all_visible_tables };

// "//host:port/service", or the service alone when host and port are both empty (a TNS
// alias or a complete descriptor). An empty host is localhost, an empty port 1521. An IPv6
// host is put in brackets; a host typed as "db:1522" or "[::1]:1522" gives the port, and a
// different port in both places throws tk_exception saying so. connect_timeout_seconds > 0
// adds Easy Connect Plus's "?connect_timeout=N" (19c clients and later) to a composed string.
std::string compose_connect_string(const std::string& host, const std::string& port, const std::string& service,
                                   int connect_timeout_seconds = 0);

// A name as one quoted identifier, inner double quotes doubled.
std::string quote_identifier(std::string_view name);
// A text as a single-quoted SQL literal, inner single quotes doubled.
std::string quote_literal(std::string_view text);
// A listed table name quoted for SQL: with every visible table OWNER.TABLE becomes
// "OWNER"."TABLE" (split at the first point only).
std::string quoted_table_name(std::string_view table_name, catalogue_scope scope);
// The condition selecting one table's rows of a catalogue view, with bind variables the
// dictionary's indexes can use ("owner = :1 and table_name = :2"), and the values they take.
std::string table_condition(catalogue_scope scope);
std::vector<std::string> table_condition_values(std::string_view table_name, catalogue_scope scope);
std::string columns_view(catalogue_scope scope);
std::string tables_view(catalogue_scope scope);

// Before 8.0.0 the catalogue has no TEMPORARY, NESTED or IOT_TYPE; before 10.1.0 no DROPPED.
inline constexpr std::uint32_t server_version_8 = 0x80000;
inline constexpr std::uint32_t server_version_10 = 0xA0100;
std::string tables_query(catalogue_scope scope, std::uint32_t server_version);

// Whether a statement locks rows: the words FOR UPDATE outside literals, quoted names and
// comments.
bool locks_rows(std::string_view sql);

// Whether a catalogue type text names a type the reader can fetch. Precision, scale and
// time-zone parts do not matter; the comparison is exact otherwise.
bool is_readable_type(std::string_view type_text);

// The version packed as major << 16 | minor << 8 | release from the first blank-separated
// word of a banner that reads as three dotted numbers; 0 when there is none.
std::uint32_t parse_server_version(std::string_view banner);
