// Fuzzes the query parser: any text either is refused (false, or the parser's error) or
// splits into clauses without a fault; a statement whose quotes and parentheses balance composes to a statement that
// splits again into the same statement.
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
    if (!balanced(sql)) return 0;
    udb_query_parser again;
    if (!again.initialize(composed) || again.get_query() != composed) std::abort();
    return 0;
}
