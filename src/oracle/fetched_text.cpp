// UTF-8 of fetched text.
#include "oracle/fetched_text.h"

#include "toolkit/exception.h"
#include "toolkit/text.h"

std::string fetched_text(std::u16string_view text, const std::string& column) {
    try {
        return to_utf8(text);
    } catch (const tk_exception&) {
        throw tk_exception("Cannot convert to UNICODE string: the value of column '" + column + "' is not valid text.",
                           tk_level_recoverable);
    }
}
