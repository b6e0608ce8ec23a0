// Fuzzes the date parser and the value reader that uses it: any text gives a date or an
// invalid date without throwing, and a valid date prints a canonical form that reads back to
// the same date; read as the value of any column type that text gives that type or nothing,
// and a decimal prints a text that reads back to the same decimal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "toolkit/text.h"
#include "values/ole_date.h"
#include "values/ole_variant.h"

namespace {

void read_as_every_type(const std::string& text) {
    for (const vartype target : {VT_I1, VT_I2, VT_I4, VT_I8, VT_R8, VT_DECIMAL, VT_DATE, VT_BLOB, VT_BSTR}) {
        ole_variant value(1);
        value.from_string(text, target);  // these targets never throw
        const vartype type = value.get_type();
        if (type != target && type != VT_EMPTY && !(target == VT_BLOB && type == VT_BINARY)) std::abort();
    }
    ole_variant decimal;
    decimal.from_string(text, VT_DECIMAL);
    if (decimal.get_type() != VT_DECIMAL) return;
    ole_variant again;
    again.from_string(decimal.to_string(), VT_DECIMAL);
    if (again.get_type() != VT_DECIMAL || again.to_string() != decimal.to_string()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    read_as_every_type(std::string(text));
    const ole_date date(text);
    const std::string printed = date.to_string();
    if (date.is_valid() == printed.empty()) std::abort();
    if (is_valid_utf8(text)) {
        // the UTF-16 form is read as its UTF-8 form
        const ole_date wide(to_unicode(text));
        if (wide.to_string() != printed) std::abort();
    }
    if (!date.is_valid()) return 0;
    const ole_date again(printed);
    if (!again.is_valid() || again.to_string() != printed) std::abort();
    (void)date.to_display_string();
    return 0;
}
