// ole_variant: reading values from text (from_string), with the results of the OLE variant
// services. These run once per cell, so they log only what failed.
#include <charconv>
#include <cfloat>
#include <cmath>

#include "toolkit/log.h"
#include "toolkit/text.h"
#include "values/currency.h"
#include "values/date_number.h"
#include "values/decimal.h"
#include "values/decimal_internal.h"
#include "values/number_text.h"
#include "values/ole_date.h"
#include "values/ole_variant.h"
#include "values/ole_variant_internal.h"
#include "values/text_numbers.h"

namespace {

using i128 = __int128;

// The words first, then any number that is not 0.
bool bool_from_text(std::string_view text) {
    if (iequals(text, "yes") || iequals(text, "true")) return true;
    if (iequals(text, "no") || iequals(text, "false")) return false;
    return read_atoi(text) != 0;
}

bool is_integer_tag(vartype tag) {
    switch (tag) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT:
        return true;
    default:
        return false;
    }
}

bool integer_fits(i128 value, vartype tag) {
    switch (tag) {
    case VT_I1: return value >= INT8_MIN && value <= INT8_MAX;
    case VT_UI1: return value >= 0 && value <= UINT8_MAX;
    case VT_I2: return value >= INT16_MIN && value <= INT16_MAX;
    case VT_UI2: return value >= 0 && value <= UINT16_MAX;
    case VT_I4: case VT_INT: return value >= INT32_MIN && value <= INT32_MAX;
    case VT_UI4: case VT_UINT: return value >= 0 && value <= UINT32_MAX;
    case VT_I8: return value >= INT64_MIN && value <= INT64_MAX;
    case VT_UI8: return value >= 0 && static_cast<unsigned __int128>(value) <= UINT64_MAX;
    default: return false;
    }
}

// A number taken from a value on its way to another tag.
struct number_value {
    enum class kind { integer, real, currency, decimal } which = kind::integer;
    i128 integer = 0;
    double real = 0.0;
    bool single = false;  // the real came from a VT_R4
    ole_currency currency;
    ole_decimal decimal;
};

double as_double(const number_value& number) {
    switch (number.which) {
    case number_value::kind::integer: return static_cast<double>(number.integer);
    case number_value::kind::real: return number.real;
    case number_value::kind::currency: return currency_to_double(number.currency);
    case number_value::kind::decimal: return decimal_to_double(number.decimal);
    }
    return 0.0;
}

bool is_nonzero(const number_value& number) {
    switch (number.which) {
    case number_value::kind::integer: return number.integer != 0;
    case number_value::kind::real: return number.real != 0.0;
    case number_value::kind::currency: return number.currency.value != 0;
    case number_value::kind::decimal: return decimal_magnitude(number.decimal) != 0;
    }
    return false;
}

bool as_currency(const number_value& number, ole_currency& out) {
    switch (number.which) {
    case number_value::kind::integer:
        return number.integer >= INT64_MIN && number.integer <= INT64_MAX &&
               currency_from_int64(static_cast<std::int64_t>(number.integer), out);
    case number_value::kind::real: return currency_from_double(number.real, out);
    case number_value::kind::currency: out = number.currency; return true;
    case number_value::kind::decimal: return currency_from_decimal(number.decimal, out);
    }
    return false;
}

bool as_decimal(const number_value& number, ole_decimal& out) {
    switch (number.which) {
    case number_value::kind::integer: {
        const bool negative = number.integer < 0;
        out = decimal_from_uint64(static_cast<std::uint64_t>(negative ? -number.integer : number.integer));
        if (negative) out.sign = ole_decimal_negative;
        return true;
    }
    case number_value::kind::real: return decimal_from_double(number.real, out, number.single);
    case number_value::kind::currency: return currency_to_decimal(number.currency, out);
    case number_value::kind::decimal: out = number.decimal; return true;
    }
    return false;
}

i128 signed_magnitude(const ole_decimal& value, unsigned __int128 magnitude) {
    return value.sign != 0 ? -static_cast<i128>(magnitude) : static_cast<i128>(magnitude);
}

}  // namespace

bool round_to_int64(double value, std::int64_t& out) noexcept {
    if (std::isnan(value)) return false;
    const double rounded = std::nearbyint(value);  // half to even in the default mode
    constexpr double two_to_63 = 9223372036854775808.0;
    if (rounded >= two_to_63 || rounded < -two_to_63) return false;
    out = static_cast<std::int64_t>(rounded);
    return true;
}

// The conversions that need the value's inside.
struct ole_variant_access {
    static ole_variant integer(i128 value, vartype tag);
    static bool read_number(const ole_variant& source, vartype target, number_value& out);
    static bool to_integer(const number_value& number, vartype target, ole_variant& out);
    static bool by_table(const ole_variant& source, vartype target, ole_variant& out);
    static bool to_text(const ole_variant& source, ole_variant& out);
    static void from_hex(std::string_view text, ole_variant& out);
    static void from_exact_text(std::string_view text, vartype target, ole_variant& out);
};

ole_variant ole_variant_access::integer(i128 value, vartype tag) {
    ole_variant result;
    result.vt_ = tag;
    switch (tag) {
    case VT_I1: result.i1_ = static_cast<std::int8_t>(value); break;
    case VT_UI1: result.ui1_ = static_cast<std::uint8_t>(value); break;
    case VT_I2: case VT_BOOL: result.i2_ = static_cast<std::int16_t>(value); break;
    case VT_UI2: result.ui2_ = static_cast<std::uint16_t>(value); break;
    case VT_I4: case VT_INT: case VT_ERROR: result.i4_ = static_cast<std::int32_t>(value); break;
    case VT_UI4: case VT_UINT: result.ui4_ = static_cast<std::uint32_t>(value); break;
    case VT_I8: result.i8_ = static_cast<std::int64_t>(value); break;
    case VT_UI8: result.ui8_ = static_cast<std::uint64_t>(value); break;
    default: TK_FAIL();
    }
    return result;
}

bool ole_variant_access::read_number(const ole_variant& source, vartype target, number_value& out) {
    using kind = number_value::kind;
    switch (source.vt_) {
    case VT_I1: out.integer = source.i1_; return true;
    case VT_UI1: out.integer = source.ui1_; return true;
    case VT_I2: case VT_BOOL: out.integer = source.i2_; return true;
    case VT_UI2: out.integer = source.ui2_; return true;
    case VT_I4: case VT_INT: out.integer = source.i4_; return true;
    case VT_UI4: case VT_UINT: out.integer = source.ui4_; return true;
    case VT_I8: out.integer = source.i8_; return true;
    case VT_UI8: out.integer = source.ui8_; return true;
    case VT_R4: out.which = kind::real; out.real = source.r4_; out.single = true; return true;
    case VT_R8: out.which = kind::real; out.real = source.r8_; return true;
    case VT_CY: out.which = kind::currency; out.currency = source.cy_; return true;
    case VT_DECIMAL: out.which = kind::decimal; out.decimal = source.decimal_; return true;
    case VT_DATE:
        if (!source.date_.has_number) return false;
        out.which = kind::real;
        out.real = source.date_.number;
        return true;
    case VT_BSTR: {
        const std::string_view text = source.text_;
        if (target == VT_BOOL) {  // the words first, then any number
            if (iequals(trim(text), "true")) { out.integer = ole_true; return true; }
            if (iequals(trim(text), "false")) { out.integer = ole_false; return true; }
        }
        if (target == VT_R4 || target == VT_R8 || target == VT_DATE) {
            out.which = kind::real;
            return read_real(source.text_, out.real);
        }
        out.which = kind::decimal;
        return decimal_from_string(text, out.decimal);
    }
    default:
        return false;  // VT_ERROR, VT_LPSTR, VT_LPWSTR, objects
    }
}

bool ole_variant_access::to_integer(const number_value& number, vartype target, ole_variant& out) {
    using kind = number_value::kind;
    i128 value = 0;
    switch (number.which) {
    case kind::integer: value = number.integer; break;
    case kind::real: {
        std::int64_t rounded = 0;
        if (!round_to_int64(number.real, rounded)) return false;
        value = rounded;
        break;
    }
    case kind::currency:
        value = static_cast<i128>(divide_rounding_half_even(
            static_cast<unsigned __int128>(number.currency.value < 0 ? -static_cast<i128>(number.currency.value)
                                                                     : static_cast<i128>(number.currency.value)),
            ole_currency_scale));
        if (number.currency.value < 0) value = -value;
        break;
    case kind::decimal: {
        unsigned __int128 magnitude = 0;
        decimal_round_to_integer(number.decimal, magnitude);
        value = signed_magnitude(number.decimal, magnitude);
        break;
    }
    }
    if (!integer_fits(value, target)) return false;
    out = integer(value, target);
    return true;
}

bool ole_variant_access::to_text(const ole_variant& source, ole_variant& out) {
    switch (source.vt_) {
    case VT_R4: out = ole_variant(general_text(source.r4_, 7)); return true;
    case VT_R8: out = ole_variant(general_text(source.r8_, 15)); return true;
    // The canonical text with milliseconds, the same as to_string (not a locale's form).
    case VT_DATE: out = ole_variant(source.to_string()); return true;
    // The number, not a word: true is "-1".
    case VT_BOOL: out = ole_variant(std::to_string(source.i2_)); return true;
    case VT_ERROR: case VT_LPSTR: case VT_LPWSTR: return false;
    default: {
        number_value number;
        if (!read_number(source, VT_BSTR, number)) return false;
        out = ole_variant(source.to_string());
        return true;
    }
    }
}

bool ole_variant_access::by_table(const ole_variant& source, vartype target, ole_variant& out) {
    if (target == VT_EMPTY) {
        out = ole_variant();
        return true;
    }
    if (target == VT_BSTR) return to_text(source, out);
    if (target == VT_DATE && source.vt_ == VT_BSTR) {
        const ole_date date(source.text_);
        if (!date.is_valid()) return false;
        out = date.to_variant();
        return true;
    }
    number_value number;
    if (!read_number(source, target, number)) return false;
    if (is_integer_tag(target) || target == VT_I8 || target == VT_UI8) return to_integer(number, target, out);
    switch (target) {
    case VT_BOOL:
        out = ole_variant(is_nonzero(number));
        return true;
    case VT_R4:
    case VT_R8: {
        const double value = as_double(number);
        if (target == VT_R8) {
            out = ole_variant(value);
            return true;
        }
        if (std::isfinite(value) && std::fabs(value) > FLT_MAX) return false;
        out = ole_variant(static_cast<float>(value));
        return true;
    }
    case VT_CY: {
        ole_currency value;
        if (!as_currency(number, value)) return false;
        out = ole_variant(value);
        return true;
    }
    case VT_DECIMAL: {
        ole_decimal value;
        if (!as_decimal(number, value)) return false;
        out = ole_variant(value);
        return true;
    }
    case VT_DATE: {
        const double value = as_double(number);
        ole_systemtime time;
        if (!date_number_to_systemtime(value, time)) return false;
        out = ole_variant(time);
        out.date_.number = value;  // the number as given, not re-derived from the rounded time
        return true;
    }
    default:
        return false;  // VT_NULL, VT_ERROR, VT_LPSTR, VT_LPWSTR, objects
    }
}

void ole_variant_access::from_hex(std::string_view text, ole_variant& out) {
    out.clear();
    if (text.empty()) return;  // no bytes at all: left empty
    if (text.size() % 2 != 0) {
        TK_LOG(2, "Incorrect BLOB (size is odd)");
        return;
    }
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    ole_variant::byte_array bytes(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned value = 0;
        const char* pair = text.data() + 2 * i;
        const auto result = std::from_chars(pair, pair + 2, value, 16);
        if (result.ec != std::errc() || result.ptr != pair + 2) {
            TK_LOG(2, "Incorrect BLOB (not hexadecimal at byte %d)", static_cast<int>(i));
            return;
        }
        bytes[i] = static_cast<std::uint8_t>(value);
    }
    out.attach_binary(std::move(bytes));
}

// VT_CY or VT_DECIMAL from text with "," or "." as the decimal mark; VT_EMPTY when the text
// is not a number or out of range.
void ole_variant_access::from_exact_text(std::string_view text, vartype target, ole_variant& out) {
    const point_text copy(text);
    out.clear();
    number_text number;
    const bool syntax = read_number_text(copy.view(), number);
    ole_decimal value;
    bool done = syntax && decimal_from_number_text(number, value);
    if (done && target == VT_CY) {
        ole_currency amount;
        done = currency_from_decimal(value, amount);
        if (done) out = ole_variant(amount);
    } else if (done) {
        out = ole_variant(value);
    }
    if (!done) {
        TK_LOG(3, target == VT_CY ? "VarCyFromStr failed: %08X" : "VarDecFromStr failed: %08X",
               syntax ? disp_e_overflow : disp_e_typemismatch);
    }
}

// ---- ole_variant members ---------------------------------------------------------------

void ole_variant::from_string(std::string_view text, vartype target) {
    switch (target) {
    case VT_I2: case VT_I4: case VT_I1: case VT_UI1: case VT_UI2:
        *this = ole_variant_access::integer(read_atoi(text), target);
        return;
    case VT_UI4:
        *this = ole_variant(static_cast<std::uint32_t>(read_uint64(text)));
        return;
    case VT_I8:
        *this = ole_variant(static_cast<std::int64_t>(read_int64(text)));
        return;
    case VT_UI8:
        *this = ole_variant(static_cast<std::uint64_t>(read_uint64(text)));
        return;
    case VT_R4:
    case VT_R8: {
        const point_text number(text);
        const double value = read_atof(number.c_str());
        *this = target == VT_R4 ? ole_variant(static_cast<float>(value)) : ole_variant(value);
        return;
    }
    case VT_CY:
    case VT_DECIMAL:
        ole_variant_access::from_exact_text(text, target, *this);
        return;
    case VT_DATE: {
        const ole_date date(text);
        if (date.is_valid()) {
            *this = date.to_variant();
        } else {
            clear();
        }
        return;
    }
    case VT_BOOL:
        *this = ole_variant(bool_from_text(text));
        return;
    case VT_BLOB:
        ole_variant_access::from_hex(text, *this);
        return;
    case VT_BSTR:
        attach_string(text);
        return;
    case VT_EMPTY:
        clear();
        return;
    default: {
        const ole_variant source(text);
        ole_variant result;
        if (!ole_variant_access::by_table(source, target, result)) {
            clear();
            throw ole_type_exception();
        }
        *this = std::move(result);
        return;
    }
    }
}
