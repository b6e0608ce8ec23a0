// UTF-8 of text fetched from the client, which arrives as UTF-16.
#pragma once

#include <string>
#include <string_view>

// Text that is not valid UTF-16 (a lone surrogate) throws tk_exception, level 0,
// "Cannot convert to UNICODE string: " naming the column: a value is never cut or altered.
std::string fetched_text(std::u16string_view text, const std::string& column);
