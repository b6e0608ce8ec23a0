// udb_query_parser: splits one SELECT statement into its clauses and composes it again.
#include "records/udb_query_parser.h"

#include <cctype>
#include <utility>

#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

constexpr std::string_view select_keyword = "SELECT ";
constexpr std::string_view modifier_tokens[] = {" ALL ", " DISTINCT ", " DISTINCTROW ", " TOP "};
constexpr std::string_view into_token = " INTO ";
constexpr std::string_view from_token = " FROM ";
constexpr std::string_view where_token = " WHERE ";
constexpr std::string_view group_by_token = " GROUP BY ";
constexpr std::string_view order_by_token = " ORDER BY ";

// Whether token (upper case) stands at position in text, case ignored.
bool token_at(std::string_view text, std::size_t position, std::string_view token) {
    if (position > text.size() || text.size() - position < token.size()) return false;
    for (std::size_t i = 0; i < token.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(text[position + i])) != static_cast<unsigned char>(token[i])) {
            return false;
        }
    }
    return true;
}

std::size_t skip_blanks(std::string_view text, std::size_t position) {
    while (position < text.size() && text[position] == ' ') ++position;
    return position;
}

}  // namespace

udb_query_parser::udb_query_parser() { TK_LOG(2, "udb_query_parser::ctor"); }

udb_query_parser::~udb_query_parser() = default;

bool udb_query_parser::initialize(std::string_view sql) {
    std::string text(sql);
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    TK_LOG(1, "str_query=%s", text.c_str());
    const std::size_t select = text.find(select_keyword);
    if (select == std::string::npos) {
        TK_LOG(1, "SELECT was NOT found");
        return false;
    }
    TK_LOG(1, "SELECT is found at position=%d", static_cast<int>(select));
    parse(text, select + select_keyword.size());
    return true;
}

std::string& udb_query_parser::clause_text(clause which) {
    switch (which) {
    case clause::into: return into_;
    case clause::from: return from_;
    case clause::where: return where_;
    case clause::group_by: return group_by_;
    case clause::order_by: return order_by_;
    case clause::select_list: break;
    }
    TK_FAIL();
}

// Walks from just behind "SELECT " to the end of the text or to the ")" that closes a
// sub-query, whose position it returns.
namespace {

// Skips the single- and double-quoted stretches and whatever is in parentheses: no comma
// or keyword there splits anything.
class nesting {
public:
    // Whether c is quoted or nested (or opens or closes quotes or parentheses).
    bool skips(char c) {
        if (c == '\'' && !in_double_quotes_) in_single_quotes_ = !in_single_quotes_;
        if (c == '"' && !in_single_quotes_) in_double_quotes_ = !in_double_quotes_;
        if (in_single_quotes_ || in_double_quotes_ || c == '\'' || c == '"') return true;
        if (c == '(') ++depth_;
        if (c == ')') --depth_;
        return depth_ != 0 || c == ')';
    }
    // A ")" seen here closes the sub-query being read.
    bool closes(char c) const { return c == ')' && depth_ == 0 && !in_single_quotes_ && !in_double_quotes_; }

private:
    bool in_single_quotes_ = false;
    bool in_double_quotes_ = false;
    int depth_ = 0;
};

}  // namespace

// Walks from just behind "SELECT " to the end of the text or to the ")" that closes a
// sub-query, whose position it returns.
std::size_t udb_query_parser::parse(const std::string& text, std::size_t start) {
    std::size_t position = read_modifier(text, skip_blanks(text, start));
    clause current = clause::select_list;
    std::size_t piece_start = position;
    nesting quotes_and_parentheses;
    const auto close_piece = [&](std::size_t end) {
        std::string piece = trim(std::string_view(text).substr(piece_start, end - piece_start));
        if (current == clause::select_list) {
            TK_LOG(1, "SELECT-argument is found: '%s' (start=%d, end=%d)", piece.c_str(), static_cast<int>(piece_start),
                   static_cast<int>(end));
            select_list_.push_back(std::move(piece));
        } else {
            clause_text(current) = std::move(piece);
        }
    };

    while (position < text.size()) {
        const char c = text[position];
        if (quotes_and_parentheses.closes(c)) break;
        if (quotes_and_parentheses.skips(c)) {
            ++position;
            continue;
        }
        if (current == clause::select_list && c == ',') {
            close_piece(position);
            piece_start = ++position;
            continue;
        }
        clause next = current;
        const std::size_t token_length = clause_token(text, position, current, next);
        if (token_length == 0) {
            ++position;
            continue;
        }
        close_piece(position);
        current = next;
        piece_start = position += token_length;
        if (next == clause::from) piece_start = position = parse_sub_query(text, position);
    }
    close_piece(position);
    return position;
}

// An optional " ALL ", " DISTINCT ", " DISTINCTROW " or " TOP " matched from the blank
// before position; returns the position behind it.
std::size_t udb_query_parser::read_modifier(const std::string& text, std::size_t position) {
    for (const std::string_view token : modifier_tokens) {
        if (position > 0 && token_at(text, position - 1, token)) {
            modifiers_ = token;
            return position - 1 + token.size();
        }
    }
    return position;
}

// The length of the keyword token at position that opens the next clause (setting next),
// or 0. WHERE and GROUP BY before any FROM break what the parser relies on.
std::size_t udb_query_parser::clause_token(const std::string& text, std::size_t position, clause current,
                                           clause& next) const {
    const bool before_from = current == clause::select_list || current == clause::into;
    if (before_from) {
        if (token_at(text, position, where_token) || token_at(text, position, group_by_token)) TK_FAIL();
        if (current == clause::select_list && token_at(text, position, into_token)) {
            next = clause::into;
            return into_token.size();
        }
        if (!token_at(text, position, from_token)) return 0;
        next = clause::from;
        return from_token.size();
    }
    const std::pair<std::string_view, clause> tokens[] = {
        {where_token, clause::where}, {group_by_token, clause::group_by}, {order_by_token, clause::order_by}};
    for (const auto& [token, opened] : tokens) {
        if (token_at(text, position, token)) {
            next = opened;
            return token.size();
        }
    }
    return 0;
}

// A FROM clause that opens with "(SELECT " is read by a nested parser; the FROM text is then
// what follows its ")" (the alias). Returns where the walk goes on.
std::size_t udb_query_parser::parse_sub_query(const std::string& text, std::size_t from_start) {
    const std::size_t open = skip_blanks(text, from_start);
    if (open >= text.size() || text[open] != '(') return from_start;
    const std::size_t select = skip_blanks(text, open + 1);
    if (text.compare(select, select_keyword.size(), select_keyword) != 0) return from_start;
    sub_query_ = std::make_unique<udb_query_parser>();
    std::size_t end = sub_query_->parse(text, select + select_keyword.size());
    if (end < text.size()) ++end;  // behind the closing ")"
    TK_LOG(1, "Return from sub-parser at position: %d", static_cast<int>(end));
    return end;
}

std::string udb_query_parser::get_query() const {
    // The modifier keeps the blanks it was matched with (" DISTINCT "), as stored.
    std::string query = "SELECT ";
    query.append(modifiers_).append(join(select_list_, ',')).append(" FROM ");
    if (sub_query_) query.append("(").append(sub_query_->get_query()).append(") ");
    query.append(from_);
    const std::pair<const char*, const std::string*> clauses[] = {
        {" WHERE ", &where_}, {" GROUP BY ", &group_by_}, {" HAVING ", &having_}, {" ORDER BY ", &order_by_}};
    for (const auto& [keyword, text] : clauses) {
        if (!text->empty()) query.append(keyword).append(*text);
    }
    TK_LOG(1, "result=%s", query.c_str());
    return query;
}
