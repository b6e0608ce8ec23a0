// udb_query_parser: splits one SELECT statement into its clauses and composes it again.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class udb_query_parser {
public:
    udb_query_parser();
    ~udb_query_parser();
    udb_query_parser(const udb_query_parser&) = delete;
    udb_query_parser& operator=(const udb_query_parser&) = delete;

    // Splits the statement; false when it holds no "SELECT " (upper case, then a blank).
    // Line breaks count as blanks.
    bool initialize(std::string_view sql);
    // "SELECT " + modifiers + the select list joined by "," + " FROM " ... with each
    // non-empty clause after its upper-case keyword.
    std::string get_query() const;

    const std::string& modifiers() const noexcept { return modifiers_; }  // e.g. " DISTINCT "
    const std::vector<std::string>& select_list() const noexcept { return select_list_; }
    const std::string& into_text() const noexcept { return into_; }
    const std::string& from_text() const noexcept { return from_; }
    const std::string& where_text() const noexcept { return where_; }
    const std::string& group_by_text() const noexcept { return group_by_; }
    const std::string& having_text() const noexcept { return having_; }
    const std::string& order_by_text() const noexcept { return order_by_; }
    // The parser of a FROM clause that is itself a sub-query, or null; from_text() then
    // holds the alias behind it.
    const udb_query_parser* sub_query() const noexcept { return sub_query_.get(); }

private:
    enum class clause { select_list, into, from, where, group_by, order_by };

    std::size_t parse(const std::string& text, std::size_t start);
    std::size_t parse_sub_query(const std::string& text, std::size_t from_start);
    std::size_t read_modifier(const std::string& text, std::size_t position);
    std::size_t clause_token(const std::string& text, std::size_t position, clause current, clause& next) const;
    std::string& clause_text(clause which);

    std::string modifiers_;
    std::vector<std::string> select_list_;
    std::string into_;
    std::string from_;
    std::string where_;
    std::string group_by_;
    std::string having_;
    std::string order_by_;
    std::unique_ptr<udb_query_parser> sub_query_;
};
