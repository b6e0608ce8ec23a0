// The column binding classes that fetch into plain buffers, and the type dispatch.
#include "oracle/ora_type.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "oracle/fetched_text.h"
#include "oracle/ora_engine.h"
#include "toolkit/log.h"
#include "toolkit/text.h"
#include "values/number_text.h"

namespace {

// A LONG or LONG RAW value is read whole up to this many characters; a longer one fails
// with the client's truncation error rather than arriving cut.
constexpr std::int32_t long_value_chars = 1'000'000;
constexpr std::int32_t rowid_chars = 255;
// "+000000001 02:03:04.123456789" is the widest interval text.
constexpr std::int32_t interval_chars = 64;

// The text of a terminated UTF-16 buffer of at most capacity units.
std::u16string_view terminated(const char16_t* buffer, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && buffer[length] != u'\0') ++length;
    return {buffer, length};
}

// Oracle prints numbers without a leading zero (".5") and with the session's decimal
// character, which is a comma in some territories; no group separators are ever printed.
std::string normalised_number(std::string text) {
    for (char& c : text)
        if (c == ',') c = '.';
    if (text.starts_with('.')) text.insert(0, 1, '0');
    else if (text.starts_with("-.")) text.insert(1, 1, '0');
    return text;
}

// Decimal digits a double holds whatever they are.
constexpr std::size_t double_exact_digits = std::numeric_limits<double>::digits10;
// A DECIMAL holds 28 digits (some of 29) with at most 28 after the point.
constexpr std::int64_t decimal_exact_digits = 28;

// The integer the parts make when it is one and fits 64 bits.
bool exact_integer(const number_text& parts, std::int64_t& out) {
    if (parts.inexact || parts.exponent < 0 ||
        static_cast<std::int64_t>(parts.digits.size()) + parts.exponent > std::numeric_limits<std::int64_t>::digits10 + 1)
        return false;
    std::uint64_t magnitude = 0;
    if (!parts.digits.empty()) {
        const char* end = parts.digits.data() + parts.digits.size();
        if (std::from_chars(parts.digits.data(), end, magnitude).ptr != end) return false;
    }
    for (std::int64_t k = 0; k < parts.exponent; ++k) {
        if (magnitude > std::numeric_limits<std::uint64_t>::max() / 10) return false;
        magnitude *= 10;
    }
    const std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (parts.negative ? 1 : 0);
    if (magnitude > limit) return false;
    out = parts.negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

bool is_integer_tag(vartype tag) { return tag == VT_I1 || tag == VT_I2 || tag == VT_I4 || tag == VT_I8; }

bool fits_integer_tag(std::int64_t value, vartype tag) {
    switch (tag) {
    case VT_I1: return value >= std::numeric_limits<std::int8_t>::min() && value <= std::numeric_limits<std::int8_t>::max();
    case VT_I2: return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
    case VT_I4: return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
    case VT_I8: return true;
    default: return false;
    }
}

// The value under its integer tag; it fits (fits_integer_tag).
ole_variant integer_variant(std::int64_t value, vartype tag) {
    switch (tag) {
    case VT_I1: return ole_variant(static_cast<signed char>(value));
    case VT_I2: return ole_variant(static_cast<short>(value));
    case VT_I4: return ole_variant(static_cast<int>(value));
    default: return ole_variant(static_cast<long long>(value));
    }
}

bool fits_decimal(const number_text& parts) {
    const auto digits = static_cast<std::int64_t>(parts.digits.size());
    return !parts.inexact && digits + std::max<std::int64_t>(parts.exponent, 0) <= decimal_exact_digits &&
           -parts.exponent <= decimal_exact_digits;
}

}  // namespace

ora_type::ora_type(const ora_column_info& column, ub2 ctype)
    : name_(column.name), nullable_(column.nullable), ctype_(ctype) {
    TK_LOG(2, "ora_type::ctor(%d)", ctype);
}

ora_type::~ora_type() { TK_LOG(2, "ora_type::dtor"); }

vartype ora_type::get_vartype() const {
    switch (ctype_) {
    case SQLT_NUM: case SQLT_FLT: case SQLT_VNU: case SQLT_PDN: return VT_R8;
    case SQLT_INT: return VT_I4;
    case SQLT_DAT: case SQLT_TIMESTAMP: case SQLT_TIMESTAMP_TZ: case 231: case SQLT_TIMESTAMP_LTZ: return VT_DATE;
    case SQLT_BIN: case SQLT_LBI: case SQLT_BLOB: case SQLT_BFILEE: return VT_BLOB;
    default: return VT_BSTR;
    }
}

std::unique_ptr<t_ftd> ora_type::get_ftd() const {
    const vartype type = get_vartype();
    TK_LOG(1, "Got field '%s', type=%d, vartype=%d, lenght=%d, nullable=%d", name_.c_str(), ctype_, type, size_,
           nullable_ ? 1 : 0);
    return std::make_unique<t_ftd>(static_cast<std::uint32_t>(size_), name_, type, !nullable_, false,
                                   type == VT_DATE ? 1u : 0u);
}

vartype get_refined_num_type(std::int32_t& precision, std::int32_t scale) {
    TK_LOG(2, "get_refined_num_type(prec=%d,scale=%d)", precision, scale);
    // FLOAT(b) counts binary digits and holds fractions whatever b is.
    if (precision == 0 || precision >= 39 || scale == -127) return VT_R8;
    // NUMBER(2,-5) rounds to hundred-thousands: its integers have precision - scale digits.
    if (scale < 0) precision -= scale;
    if (scale <= 0) {
        TK_LOG(1, "Refine type mapping for int (prec=%d)", precision);
        if (precision <= 2) return VT_I1;
        if (precision <= 4) return VT_I2;
        if (precision <= 10) return VT_I4;
        if (precision <= 20) return VT_I8;
        return VT_DECIMAL;
    }
    if (precision == scale) ++precision;
    return VT_DECIMAL;
}

std::unique_ptr<ora_type> gen_co_by_type(const ora_column_info& column) {
    TK_LOG(2, "ora_query_results::gen_co_by_type(%d)", column.data_type);
    switch (column.data_type) {
    case SQLT_CHR: case SQLT_STR: case SQLT_AFC: return std::make_unique<ora_string>(column);
    case SQLT_NUM: case SQLT_INT: case SQLT_FLT: case SQLT_VNU: case SQLT_PDN: return std::make_unique<ora_number>(column);
    case SQLT_IBFLOAT: case SQLT_IBDOUBLE: return std::make_unique<ora_float>(column);
    case SQLT_NTY:
        // other object types cannot be defined as text (ORA-00932): their cells get the placeholder
        if (column.type_name != "XMLTYPE") return std::make_unique<ora_dummy>(column);
        return std::make_unique<ora_str_repr>(column);
    case SQLT_LNG: case SQLT_LBI:
    case SQLT_RID: case SQLT_RDD: case 105:
    case 182: case SQLT_INTERVAL_YM: case SQLT_INTERVAL_DS: return std::make_unique<ora_str_repr>(column);
    case SQLT_DAT: case SQLT_TIMESTAMP: case SQLT_TIMESTAMP_TZ: case 231: case SQLT_TIMESTAMP_LTZ:
        return std::make_unique<ora_date>(column);
    case SQLT_BIN: return std::make_unique<ora_binary>(column);
    case SQLT_CLOB: case SQLT_BLOB: return std::make_unique<ora_lob>(column);
    default: return std::make_unique<ora_dummy>(column);
    }
}

ora_string::ora_string(const ora_column_info& column) : ora_type(column, SQLT_STR) {
    size_ = column.data_size;
    // Each byte of the server's character set becomes at most one UTF-16 unit, and national
    // sizes are already UTF-16 bytes, so size + 1 units always hold the value.
    buffer_.assign(static_cast<std::size_t>(std::max(size_, 1)) + 1, u'\0');
}

void ora_string::define(OCIStmt* statement, ub4 position) {
    TK_LOG(2, "ora_string::define(%u)", position);
    oci_calls& calls = oci_calls::instance();
    // Without a terminator, by the returned length: a NUL inside a text is part of it.
    define_ = calls.define(statement, position, buffer_.data(), static_cast<sb4>(buffer_.size() * 2), SQLT_CHR,
                           &indicator_, &returned_bytes_);
    calls.set_define_charset(define_, OCI_UTF16ID);
}

void ora_string::to_variant(ole_variant& value) {
    const std::size_t units = std::min<std::size_t>(returned_bytes_ / 2, buffer_.size());
    value.attach_string(fetched_text(std::u16string_view(buffer_.data(), units), name_));
}

ora_number::ora_number(const ora_column_info& column)
    : ora_type(column, SQLT_NUM), precision_(column.precision), scale_(column.scale) {
    TK_LOG(2, "ora_number::ctor");
    TK_LOG(1, "Prec=%d, scale=%d", precision_, scale_);
    refined_ = get_refined_num_type(precision_, scale_);
    if (scale_ < 0) scale_ = 0;
}

std::unique_ptr<t_ftd> ora_number::get_ftd() const {
    TK_LOG(2, "ora_number::get_ftd");
    TK_LOG(1, "Got field '%s', type=%d, lenght=%d, nullable=%d", name_.c_str(), refined_, size_, nullable_ ? 1 : 0);
    const std::uint32_t reserved =
        refined_ == VT_DECIMAL ? ftd_decimal_reserved(static_cast<unsigned>(precision_), static_cast<unsigned>(scale_))
                               : 0u;
    return std::make_unique<t_ftd>(static_cast<std::uint32_t>(size_), name_, refined_, !nullable_, false,
                                   reserved);
}

void ora_number::define(OCIStmt* statement, ub4 position) {
    TK_LOG(2, "ora_number::define(%u)", position);
    define_ = oci_calls::instance().define(statement, position, buffer_, sizeof buffer_, SQLT_STR, &indicator_,
                                           nullptr);
}

// The value is decided from the digits that arrived, not only from the declared type: it
// is never wrapped or clipped into an integer tag, and a double is used only when it
// holds every digit. What no tag holds exactly stays the server's text.
void ora_number::to_variant(ole_variant& value) {
    const std::string text = normalised_number(to_utf8(terminated(buffer_, std::size(buffer_))));
    TK_LOG(1, "ora_number::to_variant(buf=%s)", text.c_str());
    number_text parts;
    if (!read_number_text(text, parts)) {
        value.attach_string(text);
        return;
    }
    std::int64_t integer = 0;
    if (is_integer_tag(refined_) && exact_integer(parts, integer) && fits_integer_tag(integer, refined_)) {
        value = integer_variant(integer, refined_);  // already read: the text is not parsed again
    } else if (!parts.inexact && parts.digits.size() <= double_exact_digits && refined_ != VT_DECIMAL) {
        value = ole_variant(std::strtod(text.c_str(), nullptr));
    } else if (fits_decimal(parts)) {
        value.from_string(text, VT_DECIMAL);
    } else {
        value.clear();
    }
    if (!value.is_empty()) return;
    TK_LOG(1, "Column '%s': number %s kept as text", name_.c_str(), text.c_str());
    value.attach_string(text);
}

ora_float::ora_float(const ora_column_info& column) : ora_type(column, column.data_type) {}

vartype ora_float::get_vartype() const { return ctype_ == SQLT_IBFLOAT ? VT_R4 : VT_R8; }

void ora_float::define(OCIStmt* statement, ub4 position) {
    TK_LOG(2, "ora_float::define(%u)", position);
    // As text, which the server prints with every digit needed to read back the same number.
    define_ = oci_calls::instance().define(statement, position, buffer_, sizeof buffer_, SQLT_STR, &indicator_,
                                           nullptr);
}

// NaN and the infinities ("Nan", "Inf", "-Inf" from the server) stay numbers here; the
// cell writers give them their text.
void ora_float::to_variant(ole_variant& value) {
    const std::string text = normalised_number(to_utf8(terminated(buffer_, std::size(buffer_))));
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') {
        value.attach_string(text);
        return;
    }
    if (ctype_ == SQLT_IBFLOAT) value = ole_variant(static_cast<float>(number));
    else value = ole_variant(number);
}

ora_str_repr::ora_str_repr(const ora_column_info& column) : ora_type(column, column.data_type) {
    switch (ctype_) {
    case SQLT_LNG: case SQLT_LBI: case SQLT_NTY: size_ = long_value_chars; break;
    case SQLT_RID: case SQLT_RDD: case 105: size_ = rowid_chars; break;
    default: size_ = interval_chars; break;
    }
    is_presence_only_ = ctype_ == SQLT_LBI && ora_engine::is_initialized() && ora_engine::instance().binary_values_off();
    // LONG RAW arrives as two hexadecimal digits per byte.
    const std::size_t units = is_presence_only_ ? 1
                              : ctype_ == SQLT_LBI ? static_cast<std::size_t>(size_) * 2 + 1
                                                   : static_cast<std::size_t>(size_) + 1;
    buffer_.assign(units, u'\0');
}

void ora_str_repr::define(OCIStmt* statement, ub4 position) {
    TK_LOG(2, "ora_str_repr::define(%u)", position);
    oci_calls& calls = oci_calls::instance();
    define_ = calls.define(statement, position, buffer_.data(), static_cast<sb4>(buffer_.size() * 2), SQLT_STR,
                           &indicator_, nullptr, is_presence_only_ ? &return_code_ : nullptr);
    if (ctype_ != SQLT_LBI) calls.set_define_charset(define_, OCI_UTF16ID);
}

void ora_str_repr::to_variant(ole_variant& value) {
    const std::u16string_view text = terminated(buffer_.data(), buffer_.size());
    TK_LOG(1, "ora_str_repr::to_variant (len=%zu)", text.size());
    if (ctype_ != SQLT_LBI) {
        value.attach_string(fetched_text(text, name_));
        return;
    }
    if (is_presence_only_) {
        value.attach_binary(ole_variant::byte_array());
        return;
    }
    auto digit = [](char16_t c) -> int {
        if (c >= u'0' && c <= u'9') return c - u'0';
        if (c >= u'A' && c <= u'F') return c - u'A' + 10;
        if (c >= u'a' && c <= u'f') return c - u'a' + 10;
        return -1;
    };
    ole_variant::byte_array bytes(text.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = digit(text[2 * i]), low = digit(text[2 * i + 1]);
        if (high < 0 || low < 0 || text.size() % 2 != 0)
            throw tk_exception("The LONG RAW value of column '" + name_ + "' is not hexadecimal text.",
                               tk_level_recoverable);
        bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    value.attach_binary(std::move(bytes));
}

ora_binary::ora_binary(const ora_column_info& column) : ora_type(column, SQLT_BIN) {
    size_ = column.data_size;
    buffer_.assign(static_cast<std::size_t>(std::max(size_, 1)), 0);
}

void ora_binary::define(OCIStmt* statement, ub4 position) {
    TK_LOG(2, "ora_binary::define(%u)", position);
    define_ = oci_calls::instance().define(statement, position, buffer_.data(), static_cast<sb4>(buffer_.size()),
                                           SQLT_BIN, &indicator_, &returned_length_);
}

void ora_binary::to_variant(ole_variant& value) {
    // The returned length, not the declared size: a RAW(16) may hold 4 bytes.
    value.attach_binary(buffer_.data(), std::min<std::size_t>(returned_length_, buffer_.size()));
}

ora_dummy::ora_dummy(const ora_column_info& column) : ora_type(column, SQLT_STR) {
    size_ = 18;  // the length of the placeholder
    nullable_ = false;
    TK_LOG(3, "Column '%s' has type %d that cannot be read", name_.c_str(), column.data_type);
}

void ora_dummy::to_variant(ole_variant& value) { value.attach_string(ora_unsupported_text); }
