// Reads the Oracle SQL the client sends: its kind, its select list, and the SQLite text that runs it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ociemu {

enum class token_kind { word, quoted_identifier, string_literal, number, symbol };

struct token {
    token_kind kind;
    std::string text;  // quoted identifiers and literals without their quotes, escapes undone
    std::size_t begin;  // byte range in the statement, quotes included
    std::size_t end;
};

std::vector<token> tokenize(std::string_view sql);

// What an expression in the select list describes as when SQLite knows no declared type for it.
enum class expression_class { column, number, text, char_literal, date, like_argument, clob };

struct select_item {
    std::string name;         // the column name Oracle reports (alias, column or normalised text)
    bool is_star = false;     // "*" or "T.*": SQLite's names and types apply
    expression_class kind = expression_class::column;
    std::size_t literal_length = 0;  // for a character literal
    std::string argument;     // for MIN/MAX/NVL: the argument whose type the result takes
};

// Commands the emulator answers itself instead of passing them to SQLite.
enum class session_command { none, commit, rollback, set_numeric_characters, set_transaction_read_only, ignored };

struct analysed_statement {
    std::uint16_t statement_type = 0;  // OCI_STMT_* value; 0 for commands without one
    bool is_query = false;
    std::string sqlite_sql;
    std::vector<select_item> items;    // of the outermost query, in order
    std::size_t select_list_begin = 0; // byte range of the select list in sqlite_sql
    std::size_t select_list_end = 0;
    session_command command = session_command::none;
    std::string command_argument;      // the characters of NLS_NUMERIC_CHARACTERS
    bool for_update = false;           // SELECT ... FOR UPDATE: locks rows (the clause is not passed to SQLite)
};

// Throws oracle_error for statements Oracle rejects before running them (ORA-00900, 00911, 00923).
// `user` is the connected user: "USER.TABLE" and "SYS.VIEW" qualifiers are dropped for SQLite.
analysed_statement analyse_statement(std::string_view oracle_sql, std::string_view user);

// The Oracle error for a SQLite failure of the statement; `offset` is SQLite's error offset or -1.
struct sqlite_failure {
    std::string message;
    int offset = -1;
};
int oracle_code_for(const sqlite_failure& failure, const analysed_statement& statement, std::string& detail);

}  // namespace ociemu
