// Fuzzes the query parser: any text either is refused (false, or the parser's error) or
// splits into clauses without a fault; a statement that selects something from something,
// with its quotes and parentheses balanced, composes to a statement that splits again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "records/udb_query_parser.h"
#include "toolkit/exception.h"

namespace {

// Quotes closed and parentheses balanced outside quotes: text the parser can split
// without guessing where a clause ends.
bool balanced(std::string_view sql) {
    char quote = 0;
    int depth = 0;
    for (const char c : sql) {
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth < 0) {
            return false;
        }
    }
    return quote == 0 && depth == 0;
}

// Every select list, the sub-query's too, holds no empty item, and there is a FROM.
bool selects_something(const udb_query_parser& parser) {
    if (parser.from_text().empty() && parser.sub_query() == nullptr) return false;
    for (const std::string& item : parser.select_list())
        if (item.empty()) return false;
    return parser.sub_query() == nullptr || selects_something(*parser.sub_query());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    udb_query_parser parser;
    try {
        if (!parser.initialize(sql)) return 0;
    } catch (const tk_exception&) {
        return 0;  // WHERE or GROUP BY before any FROM is refused as an internal error
    }
    const std::string composed = parser.get_query();
    if (composed.rfind("SELECT ", 0) != 0) std::abort();
    // the parser reads from the first "SELECT " on, line breaks taken as blanks
    std::string text(sql);
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    if (!balanced(std::string_view(text).substr(text.find("SELECT ")))) return 0;
    if (!selects_something(parser)) return 0;
    // The composed text must split again without a fault. It need not compose to the same
    // text: clauses are found by keywords, so a keyword standing where no clause is meant
    // (a second SELECT outside parentheses, say) splits differently the second time.
    udb_query_parser again;
    try {
        if (again.initialize(composed) && again.get_query().rfind("SELECT ", 0) != 0) std::abort();
    } catch (const tk_exception&) {
    }
    return 0;
}
