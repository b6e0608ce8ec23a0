// Fuzzes the date parser: any text gives a date or an invalid date without throwing, and a
// valid date prints a canonical form that reads back to the same date.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "toolkit/text.h"
#include "values/ole_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
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
