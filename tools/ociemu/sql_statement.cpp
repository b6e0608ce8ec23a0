// Tokenizes Oracle SQL, classifies it, finds the select list and rewrites the few Oracle-only forms.
#include "sql_statement.h"

#include "oracle_errors.h"
#include "text_codec.h"

#include <array>
#include <cctype>
#include <cstdlib>

namespace ociemu {
namespace {

bool is_word_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool is_word_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#';
}

std::size_t skip_space_and_comments(std::string_view sql, std::size_t at) {
    while (at < sql.size()) {
        if (std::isspace(static_cast<unsigned char>(sql[at]))) {
            ++at;
        } else if (sql.compare(at, 2, "--") == 0) {
            const auto end = sql.find('\n', at);
            at = end == std::string_view::npos ? sql.size() : end + 1;
        } else if (sql.compare(at, 2, "/*") == 0) {
            const auto end = sql.find("*/", at + 2);
            at = end == std::string_view::npos ? sql.size() : end + 2;
        } else {
            break;
        }
    }
    return at;
}

// A quoted run ('...' or "...") with the quote doubled inside; returns the end past the closing quote.
std::size_t read_quoted(std::string_view sql, std::size_t at, char quote, std::string& text) {
    ++at;
    while (at < sql.size()) {
        if (sql[at] == quote) {
            if (at + 1 < sql.size() && sql[at + 1] == quote) {
                text += quote;
                at += 2;
                continue;
            }
            return at + 1;
        }
        text += sql[at++];
    }
    return at;  // unterminated: SQLite reports it
}

std::size_t read_number(std::string_view sql, std::size_t at) {
    while (at < sql.size() && (std::isdigit(static_cast<unsigned char>(sql[at])) || sql[at] == '.')) ++at;
    if (at < sql.size() && (sql[at] == 'e' || sql[at] == 'E')) {
        std::size_t next = at + 1;
        if (next < sql.size() && (sql[next] == '+' || sql[next] == '-')) ++next;
        if (next < sql.size() && std::isdigit(static_cast<unsigned char>(sql[next]))) {
            at = next;
            while (at < sql.size() && std::isdigit(static_cast<unsigned char>(sql[at]))) ++at;
        }
    }
    return at;
}

constexpr std::array<std::string_view, 6> two_char_symbols{"||", "<=", ">=", "<>", "!=", ":="};

bool is_word(const token& t, std::string_view upper_word) {
    return t.kind == token_kind::word && equals_ignoring_case(t.text, upper_word);
}

bool is_symbol(const token& t, std::string_view symbol) {
    return t.kind == token_kind::symbol && t.text == symbol;
}

std::uint16_t statement_type_of(const std::vector<token>& tokens, session_command& command) {
    if (tokens.empty()) return 0;
    if (is_symbol(tokens[0], "(")) return 1;
    const std::string first = to_upper_ascii(tokens[0].text);
    if (first == "SELECT" || first == "WITH") return 1;
    if (first == "UPDATE") return 2;
    if (first == "DELETE") return 3;
    if (first == "INSERT") return 4;
    if (first == "CREATE") return 5;
    if (first == "DROP") return 6;
    if (first == "ALTER") return 7;
    if (first == "BEGIN") return 8;
    if (first == "DECLARE") return 9;
    if (first == "CALL") return 10;
    if (first == "MERGE") return 16;
    if (first == "COMMIT") { command = session_command::commit; return 21; }
    if (first == "ROLLBACK") { command = session_command::rollback; return 17; }
    if (first == "EXPLAIN") return 15;
    if (first == "SAVEPOINT" || first == "SET" || first == "GRANT" || first == "REVOKE" ||
        first == "TRUNCATE" || first == "COMMENT" || first == "LOCK" || first == "ANALYZE" ||
        first == "AUDIT" || first == "NOAUDIT" || first == "RENAME" || first == "PURGE" || first == "FLASHBACK")
        return 0;
    throw make_error(ora::invalid_sql_statement);
}

// ALTER SESSION is the client's business here: only the numeric characters change what we print.
void read_alter_session(const std::vector<token>& tokens, analysed_statement& out) {
    if (tokens.size() < 2 || !is_word(tokens[0], "ALTER") || !is_word(tokens[1], "SESSION")) return;
    out.command = session_command::ignored;
    for (std::size_t i = 2; i + 2 < tokens.size(); ++i) {
        if (is_word(tokens[i], "NLS_NUMERIC_CHARACTERS") && is_symbol(tokens[i + 1], "=") &&
            tokens[i + 2].kind == token_kind::string_literal) {
            if (tokens[i + 2].text.size() != 2) throw make_error(ora::invalid_number);
            out.command = session_command::set_numeric_characters;
            out.command_argument = tokens[i + 2].text;
        }
    }
}

void read_set_transaction(const std::vector<token>& tokens, analysed_statement& out) {
    if (tokens.size() == 4 && is_word(tokens[0], "SET") && is_word(tokens[1], "TRANSACTION") &&
        is_word(tokens[2], "READ") && is_word(tokens[3], "ONLY"))
        out.command = session_command::set_transaction_read_only;
}

// Where a query's FOR UPDATE clause begins (it always ends the statement), or npos.
std::size_t for_update_at(const std::vector<token>& tokens) {
    int depth = 0;
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        if (is_symbol(tokens[i], "(")) ++depth;
        else if (is_symbol(tokens[i], ")")) --depth;
        else if (depth == 0 && is_word(tokens[i], "FOR") && is_word(tokens[i + 1], "UPDATE")) return tokens[i].begin;
    }
    return std::string_view::npos;
}

// The last token of the operand right of a division: a sign, then a parenthesised group, a call,
// a qualified name or a single token (division binds tighter than anything else).
std::size_t divisor_end(const std::vector<token>& tokens, std::size_t first) {
    auto closing = [&](std::size_t open) {
        int depth = 0;
        for (std::size_t k = open; k < tokens.size(); ++k) {
            if (is_symbol(tokens[k], "(")) ++depth;
            else if (is_symbol(tokens[k], ")") && --depth == 0) return k;
        }
        return tokens.size() - 1;
    };
    auto is_name = [](const token& t) { return t.kind == token_kind::word || t.kind == token_kind::quoted_identifier; };
    std::size_t last = first;
    if ((is_symbol(tokens[last], "-") || is_symbol(tokens[last], "+")) && last + 1 < tokens.size()) ++last;
    if (is_symbol(tokens[last], "(")) return closing(last);
    if (!is_name(tokens[last])) return last;
    while (last + 2 < tokens.size() && is_symbol(tokens[last + 1], ".") && is_name(tokens[last + 2])) last += 2;
    if (last + 1 < tokens.size() && is_symbol(tokens[last + 1], "(")) return closing(last + 1);
    return last;
}

// The rewrites SQLite needs: schema qualifiers of the own user and SYS go, SYSDATE becomes a call,
// MINUS becomes EXCEPT and N'...' literals lose their prefix. Everything else is copied unchanged.
std::string rewrite_for_sqlite(std::string_view sql, const std::vector<token>& tokens, std::string_view user) {
    std::string out;
    std::size_t copied = 0;
    auto replace = [&](std::size_t begin, std::size_t end, std::string_view with) {
        out.append(sql.substr(copied, begin - copied));
        out.append(with);
        copied = end;
    };
    bool in_serialize = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const token& t = tokens[i];
        const bool after_dot = i > 0 && is_symbol(tokens[i - 1], ".");
        // XMLSERIALIZE(CONTENT x AS CLOB) is the document's text, described as a CLOB
        if (is_word(t, "XMLSERIALIZE") && i + 2 < tokens.size() && is_symbol(tokens[i + 1], "(") &&
            (is_word(tokens[i + 2], "CONTENT") || is_word(tokens[i + 2], "DOCUMENT"))) {
            replace(t.begin, tokens[i + 2].end, "ociemu_xmlserialize(");
            i += 2;
            in_serialize = true;
            continue;
        }
        if (in_serialize && is_word(t, "CLOB") && is_word(tokens[i - 1], "AS")) {
            replace(tokens[i - 1].begin, t.end, "");
            in_serialize = false;
            continue;
        }
        if ((t.kind == token_kind::word || t.kind == token_kind::quoted_identifier) && !after_dot &&
            i + 2 < tokens.size() && is_symbol(tokens[i + 1], ".") &&
            (tokens[i + 2].kind == token_kind::word || tokens[i + 2].kind == token_kind::quoted_identifier) &&
            (equals_ignoring_case(t.text, user) || equals_ignoring_case(t.text, "SYS") ||
             equals_ignoring_case(t.text, "PUBLIC"))) {
            replace(t.begin, tokens[i + 2].begin, "");
            ++i;
        } else if (t.kind == token_kind::word && !after_dot &&
                   (equals_ignoring_case(t.text, "SYSDATE") || equals_ignoring_case(t.text, "SYSTIMESTAMP")) &&
                   !(i + 1 < tokens.size() && is_symbol(tokens[i + 1], "("))) {
            replace(t.begin, t.end, equals_ignoring_case(t.text, "SYSDATE") ? "ociemu_sysdate()" : "ociemu_systimestamp()");
        } else if (is_word(t, "USER") && !after_dot && !(i + 1 < tokens.size() && is_symbol(tokens[i + 1], "."))) {
            // the USER pseudo-column: the connected user's name
            std::string literal = "'";
            for (char c : user) literal += c == '\'' ? std::string("''") : std::string(1, c);
            replace(t.begin, t.end, literal + "'");
        } else if (is_symbol(t, "/") && i + 1 < tokens.size()) {
            // SQLite divides by zero into NULL; Oracle fails the row (ORA-01476), so the divisor is checked
            const std::size_t last = divisor_end(tokens, i + 1);
            const std::size_t begin = tokens[i + 1].begin, end = tokens[last].end;
            replace(begin, end, "ociemu_divisor(" + std::string(sql.substr(begin, end - begin)) + ")");
            i = last;
        } else if (is_word(t, "MINUS")) {
            replace(t.begin, t.end, "EXCEPT");
        } else if (t.kind == token_kind::word && equals_ignoring_case(t.text, "N") && i + 1 < tokens.size() &&
                   tokens[i + 1].kind == token_kind::string_literal && tokens[i + 1].begin == t.end) {
            replace(t.begin, t.end, "");
        }
    }
    out.append(sql.substr(copied));
    return out;
}

bool is_text_function(const std::string& upper) {
    static constexpr std::array<std::string_view, 18> names{
        "CONCAT", "UPPER", "LOWER", "SUBSTR", "TRIM", "LTRIM", "RTRIM", "REPLACE", "LPAD", "RPAD",
        "INITCAP", "CHR", "TO_CHAR", "SUBSTRB", "TRANSLATE", "REVERSE", "NLSSORT", "USER"};
    for (auto name : names)
        if (upper == name) return true;
    return false;
}

bool is_date_function(const std::string& upper) {
    return upper == "SYSDATE" || upper == "OCIEMU_SYSDATE" || upper == "TO_DATE" || upper == "ADD_MONTHS" ||
           upper == "LAST_DAY" || upper == "CURRENT_DATE";
}

// Oracle names an unaliased expression by its text: upper case, no blanks.
std::string expression_name(const std::vector<token>& item) {
    std::string name;
    std::vector<int> dropped_closings;  // depths at which a divisor check's ")" is left out
    int depth = 0;
    for (std::size_t i = 0; i < item.size(); ++i) {
        const token& t = item[i];
        if (is_word(t, "OCIEMU_DIVISOR") && i + 1 < item.size() && is_symbol(item[i + 1], "(")) {
            dropped_closings.push_back(depth++);
            ++i;
            continue;
        }
        if (is_symbol(t, "(")) ++depth;
        if (is_symbol(t, ")") && --depth >= 0 && !dropped_closings.empty() && dropped_closings.back() == depth) {
            dropped_closings.pop_back();
            continue;
        }
        switch (t.kind) {
        case token_kind::word: name += to_upper_ascii(t.text); break;
        case token_kind::quoted_identifier: name += '"' + t.text + '"'; break;
        case token_kind::string_literal: name += '\'' + t.text + '\''; break;
        case token_kind::number:
        case token_kind::symbol: name += t.text; break;
        }
    }
    return name;
}

std::string joined_text(std::string_view sql, const std::vector<token>& item, std::size_t first, std::size_t last) {
    return std::string(sql.substr(item[first].begin, item[last].end - item[first].begin));
}

// Removes a trailing alias ("expr AS name", "expr name") from the item and returns it as Oracle
// names it: upper case unless quoted.
std::string take_alias(std::vector<token>& item) {
    const std::size_t n = item.size();
    if (n < 2 || (item[n - 1].kind != token_kind::word && item[n - 1].kind != token_kind::quoted_identifier) ||
        is_word(item[n - 1], "END"))
        return {};
    const token& before = item[n - 2];
    const bool as = is_word(before, "AS");
    if (!as && before.kind == token_kind::symbol && before.text != ")") return {};  // "a.b", "-x"
    std::string alias = item[n - 1].kind == token_kind::word ? to_upper_ascii(item[n - 1].text) : item[n - 1].text;
    item.resize(as ? n - 2 : n - 1);
    return alias;
}

bool concatenates(const std::vector<token>& item) {
    int depth = 0;
    for (const token& t : item) {
        if (is_symbol(t, "(")) ++depth;
        else if (is_symbol(t, ")")) --depth;
        else if (depth == 0 && is_symbol(t, "||")) return true;
    }
    return false;
}

// The text of the first argument of a call such as MAX(col) or NVL(col, 0).
std::string first_argument(std::string_view sql, const std::vector<token>& item) {
    std::size_t end = 2;
    for (int level = 0; end < item.size(); ++end) {
        if (is_symbol(item[end], "(")) ++level;
        else if (is_symbol(item[end], ")") && level-- == 0) break;
        else if (level == 0 && is_symbol(item[end], ",")) break;
    }
    return joined_text(sql, item, 2, end - 1);
}

select_item classify_item(std::string_view sql, std::vector<token> item) {
    select_item out;
    out.name = take_alias(item);
    if (item.empty()) return out;
    if (is_symbol(item.back(), "*")) {
        out.is_star = true;
        return out;
    }
    const bool plain_column = (item.size() == 1 && item[0].kind != token_kind::string_literal &&
                               item[0].kind != token_kind::number) ||
                              (item.size() == 3 && is_symbol(item[1], "."));
    const std::string first = item[0].kind == token_kind::word ? to_upper_ascii(item[0].text) : std::string();
    if (plain_column && !is_date_function(first) && first != "USER") return out;  // SQLite names it
    if (out.name.empty()) out.name = expression_name(item);
    const bool call = item.size() > 1 && is_symbol(item[1], "(");
    if (item.size() == 1 && item[0].kind == token_kind::string_literal) {
        out.kind = expression_class::char_literal;
        out.literal_length = utf8_to_utf16(item[0].text).size();
    } else if (concatenates(item) || (call && is_text_function(first)) || first == "USER") {
        out.kind = expression_class::text;
    } else if (is_date_function(first)) {
        out.kind = expression_class::date;
    } else if (call && first == "OCIEMU_XMLSERIALIZE") {
        out.kind = expression_class::clob;
    } else if (call && item.size() > 3 && (first == "MIN" || first == "MAX" || first == "NVL" || first == "COALESCE")) {
        out.kind = expression_class::like_argument;
        out.argument = first_argument(sql, item);
    } else {
        out.kind = expression_class::number;
    }
    return out;
}

// Finds the select list of the outermost query: the first SELECT at the lowest depth, up to its FROM.
void read_select_list(std::string_view sql, const std::vector<token>& tokens, analysed_statement& out) {
    int depth = 0;
    int select_depth = -1;
    std::size_t select_at = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (is_symbol(tokens[i], "(")) ++depth;
        else if (is_symbol(tokens[i], ")")) --depth;
        else if (is_word(tokens[i], "SELECT") && (select_depth < 0 || depth < select_depth)) {
            select_depth = depth;
            select_at = i;
        }
    }
    if (select_depth < 0) throw make_error(ora::invalid_sql_statement);
    std::size_t i = select_at + 1;
    if (i < tokens.size() && (is_word(tokens[i], "DISTINCT") || is_word(tokens[i], "UNIQUE") || is_word(tokens[i], "ALL"))) ++i;
    out.select_list_begin = i < tokens.size() ? tokens[i].begin : sql.size();
    std::vector<token> item;
    depth = 0;
    for (; i < tokens.size(); ++i) {
        const token& t = tokens[i];
        if (depth == 0 && is_word(t, "FROM")) break;
        if (is_symbol(t, "(")) ++depth;
        if (is_symbol(t, ")")) --depth;
        if (depth == 0 && is_symbol(t, ",")) {
            out.items.push_back(classify_item(sql, item));
            item.clear();
            continue;
        }
        item.push_back(t);
    }
    if (i == tokens.size()) throw make_error(ora::from_keyword_not_found);
    out.items.push_back(classify_item(sql, item));
    out.select_list_end = tokens[i].begin;
}

}  // namespace

std::vector<token> tokenize(std::string_view sql) {
    std::vector<token> tokens;
    std::size_t at = skip_space_and_comments(sql, 0);
    while (at < sql.size()) {
        const std::size_t begin = at;
        const char c = sql[at];
        token t{token_kind::symbol, {}, begin, begin};
        if (is_word_start(c)) {
            while (at < sql.size() && is_word_char(sql[at])) ++at;
            t.kind = token_kind::word;
            t.text = std::string(sql.substr(begin, at - begin));
        } else if (c == '"' || c == '\'') {
            at = read_quoted(sql, at, c, t.text);
            t.kind = c == '"' ? token_kind::quoted_identifier : token_kind::string_literal;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && at + 1 < sql.size() && std::isdigit(static_cast<unsigned char>(sql[at + 1])))) {
            at = read_number(sql, at);
            t.kind = token_kind::number;
            t.text = std::string(sql.substr(begin, at - begin));
        } else {
            std::size_t length = 1;
            for (auto symbol : two_char_symbols)
                if (sql.compare(at, 2, symbol) == 0) length = 2;
            at += length;
            t.text = std::string(sql.substr(begin, length));
        }
        t.end = at;
        tokens.push_back(std::move(t));
        at = skip_space_and_comments(sql, at);
    }
    return tokens;
}

analysed_statement analyse_statement(std::string_view oracle_sql, std::string_view user) {
    analysed_statement out;
    const std::vector<token> tokens = tokenize(oracle_sql);
    if (tokens.empty()) throw make_error(ora::invalid_sql_statement);
    // A terminating semicolon belongs to SQL*Plus, not to the SQL language.
    const bool block = is_word(tokens[0], "BEGIN") || is_word(tokens[0], "DECLARE") || is_word(tokens[0], "CREATE");
    for (const token& t : tokens)
        if (!block && is_symbol(t, ";")) throw make_error(ora::invalid_character);
    out.statement_type = statement_type_of(tokens, out.command);
    read_alter_session(tokens, out);
    read_set_transaction(tokens, out);
    out.is_query = out.statement_type == 1;
    if (const std::size_t lock_clause = out.is_query ? for_update_at(tokens) : std::string_view::npos;
        lock_clause != std::string_view::npos) {
        out.for_update = true;
        const std::string_view unlocked = oracle_sql.substr(0, lock_clause);
        out.sqlite_sql = rewrite_for_sqlite(unlocked, tokenize(unlocked), user);
    } else {
        out.sqlite_sql = rewrite_for_sqlite(oracle_sql, tokens, user);
    }
    if (out.is_query) read_select_list(out.sqlite_sql, tokenize(out.sqlite_sql), out);
    return out;
}

int oracle_code_for(const sqlite_failure& failure, const analysed_statement& statement, std::string& detail) {
    const std::string& message = failure.message;
    // a function of the emulator that fails a row names the Oracle error itself
    if (message.size() == 9 && message.rfind("ORA-", 0) == 0) return std::atoi(message.c_str() + 4);
    auto name_after = [&](std::string_view prefix) {
        return to_upper_ascii(message.substr(prefix.size()));
    };
    if (message.rfind("no such table: ", 0) == 0) return ora::table_does_not_exist;
    if (message == "not authorized" || message.rfind("access to ", 0) == 0) return ora::insufficient_privileges;
    if (message.rfind("no such column: ", 0) == 0 || message.rfind("no such function: ", 0) == 0) {
        const std::string name = name_after(message.rfind("no such column: ", 0) == 0 ? "no such column: " : "no such function: ");
        std::string quoted;
        std::size_t start = 0;
        while (start <= name.size()) {
            const auto dot = name.find('.', start);
            if (!quoted.empty()) quoted += '.';
            quoted += '"' + name.substr(start, dot == std::string::npos ? std::string::npos : dot - start) + '"';
            if (dot == std::string::npos) break;
            start = dot + 1;
        }
        detail = quoted;
        return ora::invalid_identifier;
    }
    if (message.rfind("ambiguous column name", 0) == 0) return ora::ambiguous_column;
    if (message.rfind("wrong number of arguments", 0) == 0) return 909;
    if (message.rfind("incomplete input", 0) == 0) {
        // The statement stops where something must follow: a table after FROM, else an expression.
        const auto tokens = tokenize(statement.sqlite_sql);
        const bool after_from = !tokens.empty() && (is_word(tokens.back(), "FROM") || is_word(tokens.back(), "JOIN"));
        return after_from ? ora::invalid_table_name : ora::missing_expression;
    }
    if (message.find("syntax error") != std::string::npos ||
        message.find("unrecognized token") != std::string::npos) {
        const bool in_select_list = statement.is_query && failure.offset >= 0 &&
                                    static_cast<std::size_t>(failure.offset) < statement.select_list_end &&
                                    static_cast<std::size_t>(failure.offset) >= statement.select_list_begin;
        if (in_select_list) return ora::from_keyword_not_found;
        return statement.is_query || statement.statement_type != 0 ? ora::not_properly_ended : ora::invalid_sql_statement;
    }
    detail = message;
    return ora::internal_error;
}

}  // namespace ociemu
