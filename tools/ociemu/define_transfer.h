// Moves one fetched value into a client's define buffer, converting as Oracle converts.
#pragma once

#include "handles.h"
#include "text_codec.h"

namespace ociemu {

struct transfer_settings {
    char decimal_separator = '.';
    database_charset charset = database_charset::al32utf8;
    const session_handle* session = nullptr;  // owner of the temporary LOBs a fetch makes
};

// Places `value` into row slot `index` of `define` and returns the column return code:
// 0, 1405 (NULL without an indicator) or 1406 (truncated). Conversions Oracle refuses throw
// oracle_error (ORA-00932, 01722, 01861, 01455).
ub2 transfer_value(define_handle& define, std::size_t index, const stored_value& value,
                   const column_description& column, const transfer_settings& settings);

// The value as the text a character define receives (Oracle's default formats).
std::string value_as_text(const stored_value& value, const column_description& column, const transfer_settings& settings);

// True for the external types a define may use.
bool is_supported_define_type(ub2 data_type);

}  // namespace ociemu
