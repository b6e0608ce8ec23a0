// Conversions from stored values to the external types of defines, with indicators and truncation.
#include "define_transfer.h"

#include "text_codec.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace ociemu {
namespace {

constexpr ub2 code_null_without_indicator = 1405;
constexpr ub2 code_truncated = 1406;

struct slot {
    void* data;
    sb2* indicator;
    ub2* length;
};

slot slot_of(define_handle& define, std::size_t index) {
    const bool descriptor = define.data_type == SQLT_CLOB || define.data_type == SQLT_BLOB ||
                            define.data_type == SQLT_BFILEE || define.data_type == SQLT_TIMESTAMP ||
                            define.data_type == SQLT_TIMESTAMP_TZ || define.data_type == SQLT_TIMESTAMP_LTZ ||
                            define.data_type == SQLT_DATE || define.data_type == SQLT_INTERVAL_YM ||
                            define.data_type == SQLT_INTERVAL_DS;
    void* data = descriptor ? static_cast<void**>(define.value)[index]
                            : static_cast<char*>(define.value) + index * static_cast<std::size_t>(define.value_size);
    return {data, define.indicators ? define.indicators + index : nullptr, define.lengths ? define.lengths + index : nullptr};
}

std::string oracle_name_of(const column_description& column) {
    if (column.type.kind == value_kind::object) return column.type.type_schema + "." + column.type.catalogue_name;
    return column.type.catalogue_name;
}

// An XMLTYPE converted to character data has the limit of a VARCHAR2; a CLOB has none.
constexpr std::size_t xml_text_limit = 4000;

[[noreturn]] void inconsistent(const char* expected, const column_description& column) {
    throw make_error(ora::inconsistent_datatypes, std::string("expected ") + expected + " got " + oracle_name_of(column));
}

bool is_number_kind(value_kind kind) {
    return kind == value_kind::number || kind == value_kind::binary_float || kind == value_kind::binary_double;
}

bool is_binary_kind(value_kind kind) {
    return kind == value_kind::raw || kind == value_kind::long_raw || kind == value_kind::blob || kind == value_kind::bfile;
}

bool is_datetime_kind(value_kind kind) {
    return kind == value_kind::date || kind == value_kind::timestamp || kind == value_kind::timestamp_tz ||
           kind == value_kind::timestamp_ltz;
}

std::string stored_text(const stored_value& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&value)) return std::string(bytes->begin(), bytes->end());
    if (const auto* integer = std::get_if<long long>(&value)) return std::to_string(*integer);
    if (const auto* real = std::get_if<double>(&value)) return format_real(*real, '.');
    return {};
}

// Exact decimal text of a numeric value; text stored in a NUMBER column must be a number.
std::string decimal_of(const stored_value& value) {
    if (const auto* integer = std::get_if<long long>(&value)) return std::to_string(*integer);
    if (const auto* real = std::get_if<double>(&value)) return format_real(*real, '.');
    if (auto decimal = normalise_decimal(stored_text(value))) return *decimal;
    throw make_error(ora::invalid_number);
}

bool is_binary_number_kind(value_kind kind) {
    return kind == value_kind::binary_float || kind == value_kind::binary_double;
}

// SQLite cannot store a NaN (it becomes NULL), so a BINARY_FLOAT / BINARY_DOUBLE column
// holds the special values as text, spelled as Oracle prints them: 'Nan', 'Inf', '-Inf'
// (any case; 'NaN' too).
double binary_number_of(const stored_value& value) {
    if (const auto* real = std::get_if<double>(&value)) return *real;
    if (std::get_if<std::string>(&value) != nullptr || std::get_if<std::vector<std::uint8_t>>(&value) != nullptr) {
        std::string text = stored_text(value);
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
        if (text == "inf" || text == "+inf") return std::numeric_limits<double>::infinity();
        if (text == "-inf") return -std::numeric_limits<double>::infinity();
    }
    return std::strtod(decimal_of(value).c_str(), nullptr);
}

// BINARY_FLOAT / BINARY_DOUBLE print in Oracle's scientific form, e.g. 1.5E+000.
std::string binary_number_text(double value, bool single, char separator) {
    if (std::isnan(value)) return "Nan";
    if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
    char buffer[64];
    const int max_digits = single ? 9 : 17;
    for (int digits = 1; digits <= max_digits; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*E", digits - 1, value);
        const double back = std::strtod(buffer, nullptr);
        if (single ? static_cast<float>(back) == static_cast<float>(value) : back == value) break;
    }
    std::string text = buffer;  // d.dddE+xx
    const auto e = text.find('E');
    std::string mantissa = text.substr(0, e);
    if (mantissa.find('.') != std::string::npos) {
        mantissa.erase(mantissa.find_last_not_of('0') + 1);
    }
    if (mantissa.back() == '.') mantissa += '0';
    if (mantissa.find('.') == std::string::npos) mantissa += ".0";  // Oracle keeps one fraction digit
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::snprintf(buffer, sizeof buffer, "E%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    if (separator != '.')
        if (const auto point = mantissa.find('.'); point != std::string::npos) mantissa[point] = separator;
    return mantissa + buffer;
}

date_time datetime_of(const stored_value& value, const column_description& column) {
    if (!is_datetime_kind(column.type.kind) && !is_character_kind(column.type.kind)) inconsistent("DATE", column);
    if (auto parsed = parse_date_time(stored_text(value))) return *parsed;
    throw make_error(ora::literal_does_not_match);
}

bool is_hex_text(const std::string& text) {
    if (text.size() % 2 != 0) return false;
    for (char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// RAW and BLOB values stored as text hold hexadecimal digits, as Oracle's RAW literals do.
std::vector<std::uint8_t> bytes_of(const stored_value& value, const column_description& column) {
    if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&value)) return *bytes;
    if (is_number_kind(column.type.kind) || is_datetime_kind(column.type.kind)) inconsistent("BINARY", column);
    const std::string text = stored_text(value);
    if (is_binary_kind(column.type.kind) && is_hex_text(text)) {
        std::vector<std::uint8_t> out;
        for (std::size_t i = 0; i < text.size(); i += 2)
            out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
        return out;
    }
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// CHAR and NCHAR values come back blank-padded to the declared length, in characters with
// character semantics (and always for NCHAR), else in bytes; SQLite keeps what was inserted.
std::string blank_padded(std::string text, const oracle_type& type) {
    std::size_t length = text.size();
    if (type.char_used != 0 || type.charset_form == 2)
        length = static_cast<std::size_t>(
            std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    if (length < type.char_size) text.append(type.char_size - length, ' ');
    return text;
}

// Copies `bytes` into the slot, cut to what fits; returns the return code.
ub2 place_bytes(const slot& target, sb4 capacity, std::string_view bytes, std::size_t terminator, std::size_t unit) {
    std::size_t room = capacity > static_cast<sb4>(terminator) ? static_cast<std::size_t>(capacity) - terminator : 0;
    const bool truncated = bytes.size() > room;
    std::size_t copied = truncated ? room - room % unit : bytes.size();
    if (truncated && unit == 1)  // do not leave half a UTF-8 sequence behind
        while (copied > 0 && (static_cast<unsigned char>(bytes[copied]) & 0xC0) == 0x80) --copied;
    if (target.data) {
        std::memcpy(target.data, bytes.data(), copied);
        if (terminator && capacity >= static_cast<sb4>(terminator))
            std::memset(static_cast<char*>(target.data) + copied, 0, terminator);
    }
    if (target.length) *target.length = static_cast<ub2>(std::min<std::size_t>(copied, 65535));
    if (target.indicator)
        *target.indicator = truncated ? (bytes.size() > 32767 ? sb2{-2} : static_cast<sb2>(bytes.size())) : sb2{0};
    return truncated ? code_truncated : 0;
}

ub2 place_text(define_handle& define, const slot& target, const std::string& utf8) {
    const bool utf16 = define.charset_id == OCI_UTF16ID || (define.charset_id == 0 && define.env->utf16);
    const bool terminated = define.data_type == SQLT_STR || define.data_type == SQLT_AVC;
    if (!utf16) return place_bytes(target, define.value_size, utf8, terminated ? 1 : 0, 1);
    const std::u16string units = utf8_to_utf16(utf8);
    const std::string_view bytes(reinterpret_cast<const char*>(units.data()), units.size() * 2);
    return place_bytes(target, define.value_size, bytes, terminated ? 2 : 0, 2);
}

// A BOOLEAN holds 1 or 0 (SQLite has no such type); 'TRUE' and 'FALSE' are read too.
bool boolean_of(const stored_value& value) {
    const std::string text = to_upper_ascii(stored_text(value));
    if (text == "TRUE") return true;
    if (text == "FALSE") return false;
    return std::strtold(decimal_of(value).c_str(), nullptr) != 0;
}

ub2 place_integer(define_handle& define, const slot& target, const stored_value& value, const column_description& column) {
    if (!is_number_kind(column.type.kind) && !is_character_kind(column.type.kind) && column.type.kind != value_kind::boolean)
        inconsistent("NUMBER", column);
    const long double number = column.type.kind == value_kind::boolean ? (boolean_of(value) ? 1.0L : 0.0L)
                                                                       : std::strtold(decimal_of(value).c_str(), nullptr);
    const long double rounded = std::round(number);
    const bool is_unsigned = define.data_type == SQLT_UIN;
    const int bits = define.value_size * 8;
    if (define.value_size != 1 && define.value_size != 2 && define.value_size != 4 && define.value_size != 8)
        throw make_error(ora::inconsistent_datatypes, "integer buffer of " + std::to_string(define.value_size) + " bytes");
    const long double low = is_unsigned ? 0.0L : -std::ldexp(1.0L, bits - 1);
    const long double high = is_unsigned ? std::ldexp(1.0L, bits) - 1 : std::ldexp(1.0L, bits - 1) - 1;
    if (rounded < low || rounded > high) throw make_error(ora::integer_overflow);
    if (target.data) {
        const auto as_signed = static_cast<long long>(rounded);
        const auto as_unsigned = static_cast<unsigned long long>(rounded);
        switch (define.value_size) {
        case 1: { const auto v = static_cast<std::int8_t>(as_signed); std::memcpy(target.data, &v, 1); break; }
        case 2: { const auto v = static_cast<std::int16_t>(as_signed); std::memcpy(target.data, &v, 2); break; }
        case 4: { const auto v = static_cast<std::int32_t>(is_unsigned ? static_cast<long long>(as_unsigned) : as_signed); std::memcpy(target.data, &v, 4); break; }
        default: { if (is_unsigned) std::memcpy(target.data, &as_unsigned, 8); else std::memcpy(target.data, &as_signed, 8); }
        }
    }
    if (target.length) *target.length = static_cast<ub2>(define.value_size);
    if (target.indicator) *target.indicator = 0;
    return 0;
}

ub2 place_float(define_handle& define, const slot& target, const stored_value& value, const column_description& column) {
    if (!is_number_kind(column.type.kind) && !is_character_kind(column.type.kind)) inconsistent("NUMBER", column);
    const double number = is_binary_number_kind(column.type.kind) || std::get_if<double>(&value)
                              ? binary_number_of(value)
                              : std::strtod(decimal_of(value).c_str(), nullptr);
    if (target.data) {
        if (define.value_size == 4) { const auto v = static_cast<float>(number); std::memcpy(target.data, &v, 4); }
        else if (define.value_size == 8) std::memcpy(target.data, &number, 8);
        else throw make_error(ora::inconsistent_datatypes, "float buffer of " + std::to_string(define.value_size) + " bytes");
    }
    if (target.length) *target.length = static_cast<ub2>(define.value_size);
    if (target.indicator) *target.indicator = 0;
    return 0;
}

ub2 place_date_bytes(define_handle& define, const slot& target, const date_time& when) {
    ub1 bytes[8] = {};
    std::size_t size = 7;
    if (define.data_type == SQLT_DAT) {
        // Excess-100 century and year, excess-1 time fields.
        const int magnitude = std::abs(when.year);
        const int sign = when.year < 0 ? -1 : 1;
        bytes[0] = static_cast<ub1>(100 + sign * (magnitude / 100));
        bytes[1] = static_cast<ub1>(100 + sign * (magnitude % 100));
        bytes[2] = static_cast<ub1>(when.month);
        bytes[3] = static_cast<ub1>(when.day);
        bytes[4] = static_cast<ub1>(when.hour + 1);
        bytes[5] = static_cast<ub1>(when.minute + 1);
        bytes[6] = static_cast<ub1>(when.second + 1);
    } else {  // OCIDate: sb2 year, then month, day, hour, minute, second
        const auto year = static_cast<sb2>(when.year);
        std::memcpy(bytes, &year, 2);
        bytes[2] = static_cast<ub1>(when.month);
        bytes[3] = static_cast<ub1>(when.day);
        bytes[4] = static_cast<ub1>(when.hour);
        bytes[5] = static_cast<ub1>(when.minute);
        bytes[6] = static_cast<ub1>(when.second);
        size = 8;
    }
    return place_bytes(target, define.value_size, std::string(reinterpret_cast<char*>(bytes), size), 0, 1);
}

ub2 place_datetime(define_handle& define, const slot& target, const stored_value& value, const column_description& column) {
    auto* descriptor = static_cast<datetime_descriptor*>(find_handle(target.data));
    if (!descriptor || (descriptor->type != OCI_DTYPE_TIMESTAMP && descriptor->type != OCI_DTYPE_TIMESTAMP_TZ &&
                        descriptor->type != OCI_DTYPE_TIMESTAMP_LTZ && descriptor->type != OCI_DTYPE_DATE))
        throw make_error(ora::internal_error, "define " + std::to_string(define.position) + " has no datetime descriptor");
    date_time when = datetime_of(value, column);
    if (descriptor->type != OCI_DTYPE_TIMESTAMP_TZ) when.offset_minutes.reset();  // the zone is dropped
    else if (!when.offset_minutes) when.offset_minutes = 0;
    descriptor->value = when;
    if (target.indicator) *target.indicator = 0;
    return 0;
}

// Character data of the database's set is what that set could store; national data passes through
// it only when the client did not ask for the national form.
bool passes_database_charset(const define_handle& define, const column_description& column) {
    if (column.type.charset_form == 0) return false;
    return !(column.type.charset_form == SQLCS_NCHAR && define.charset_form == SQLCS_NCHAR);
}

ub2 place_lob(define_handle& define, const slot& target, const stored_value& value, const column_description& column,
              const transfer_settings& settings) {
    auto* locator = static_cast<lob_locator*>(find_handle(target.data));
    if (!locator || (locator->type != OCI_DTYPE_LOB && locator->type != OCI_DTYPE_FILE))
        throw make_error(ora::invalid_lob_locator);
    const bool character = define.data_type == SQLT_CLOB;
    if (character && column.type.kind != value_kind::clob && column.type.kind != value_kind::nclob) inconsistent("CLOB", column);
    if (!character && !is_binary_kind(column.type.kind)) inconsistent(define.data_type == SQLT_BLOB ? "BLOB" : "BFILE", column);
    auto contents = std::make_shared<lob_value>();
    contents->character = character;
    if (character) {
        contents->form = column.type.charset_form == SQLCS_NCHAR ? SQLCS_NCHAR : SQLCS_IMPLICIT;
        contents->text = utf8_to_utf16(stored_text(value));
        // A CLOB holds what the database's set can; an NCLOB read without the national form loses the rest.
        if (contents->form == SQLCS_NCHAR) contents->database_text = through_charset(contents->text, settings.charset);
        else contents->text = through_charset(contents->text, settings.charset);
    } else {
        contents->bytes = bytes_of(value, column);
    }
    // LOB prefetch: the define's size (with its length switch on) or the session's default.
    const ub4 prefetch = define.lob_prefetch_length && define.lob_prefetch_size > 0 ? define.lob_prefetch_size
                         : settings.session                                       ? settings.session->lob_prefetch_size
                                                                                  : 0;
    const std::uint64_t length = character ? contents->text.size() : contents->bytes.size();
    locator->prefetched_units = std::min<std::uint64_t>(prefetch, length);
    locator->length_prefetched = define.lob_prefetch_length || prefetch > 0;
    if (column.type.temporary_lob) {
        contents->temporary = true;
        register_temporary_lob(contents.get(), settings.session);
    }
    locator->value = std::move(contents);
    locator->stream_offset = 0;
    if (target.indicator) *target.indicator = 0;
    return 0;
}

ub2 place_null(define_handle& define, const slot& target) {
    if (define.data_type == SQLT_CLOB || define.data_type == SQLT_BLOB || define.data_type == SQLT_BFILEE)
        if (auto* locator = static_cast<lob_locator*>(find_handle(target.data))) locator->value.reset();
    if (target.length) *target.length = 0;
    if (!target.indicator) return code_null_without_indicator;
    *target.indicator = OCI_IND_NULL;
    return 0;
}

// Oracle stores a zero-length string or RAW as NULL; only LOBs can be empty and not NULL.
bool is_oracle_null(const stored_value& value, const column_description& column) {
    if (is_lob_kind(column.type.kind)) return false;
    if (const auto* text = std::get_if<std::string>(&value)) return text->empty();
    if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&value)) return bytes->empty();
    return false;
}

}  // namespace

std::string value_as_text(const stored_value& value, const column_description& column, const transfer_settings& settings) {
    const value_kind kind = column.type.kind;
    switch (kind) {
    case value_kind::number: {
        if (const auto* integer = std::get_if<long long>(&value)) return format_integer(*integer, settings.decimal_separator);
        if (const auto* real = std::get_if<double>(&value)) return format_real(*real, settings.decimal_separator);
        return format_number_text(decimal_of(value), settings.decimal_separator);
    }
    case value_kind::binary_float:
    case value_kind::binary_double:
        return binary_number_text(binary_number_of(value), kind == value_kind::binary_float,
                                  settings.decimal_separator);
    case value_kind::date: return format_date_default(datetime_of(value, column));
    case value_kind::timestamp:
    case value_kind::timestamp_ltz:
    case value_kind::timestamp_tz: {
        date_time when = datetime_of(value, column);
        if (kind != value_kind::timestamp_tz) when.offset_minutes.reset();
        else if (!when.offset_minutes) when.offset_minutes = 0;
        return format_timestamp_default(when, column.type.fs_precision);
    }
    case value_kind::raw:
    case value_kind::long_raw:
    case value_kind::blob: return to_hex(bytes_of(value, column));
    case value_kind::bfile:
    case value_kind::object: inconsistent("CHAR", column);
    case value_kind::boolean: return boolean_of(value) ? "TRUE" : "FALSE";
    case value_kind::xml: {
        std::string text = stored_text(value);
        if (text.size() > xml_text_limit) throw make_error(ora::character_buffer_too_small);
        return text;
    }
    default: return column.type.code == 96 ? blank_padded(stored_text(value), column.type) : stored_text(value);
    }
}

bool is_supported_define_type(ub2 data_type) {
    switch (data_type) {
    case SQLT_CHR: case SQLT_STR: case SQLT_AFC: case SQLT_AVC: case SQLT_LNG: case SQLT_INT: case SQLT_UIN:
    case SQLT_FLT: case SQLT_BFLOAT: case SQLT_BDOUBLE: case SQLT_IBFLOAT: case SQLT_IBDOUBLE: case SQLT_BIN:
    case SQLT_LBI: case SQLT_DAT: case SQLT_ODT: case SQLT_DATE: case SQLT_TIMESTAMP: case SQLT_TIMESTAMP_TZ:
    case SQLT_TIMESTAMP_LTZ: case SQLT_CLOB: case SQLT_BLOB: case SQLT_BFILEE: case SQLT_INTERVAL_YM:
    case SQLT_INTERVAL_DS:
        return true;
    default:
        return false;
    }
}

ub2 transfer_value(define_handle& define, std::size_t index, const stored_value& value,
                   const column_description& column, const transfer_settings& settings) {
    const slot target = slot_of(define, index);
    if (std::holds_alternative<std::monostate>(value) || is_oracle_null(value, column)) return place_null(define, target);
    switch (define.data_type) {
    case SQLT_INT: case SQLT_UIN: return place_integer(define, target, value, column);
    case SQLT_FLT: case SQLT_BFLOAT: case SQLT_BDOUBLE: case SQLT_IBFLOAT: case SQLT_IBDOUBLE:
        return place_float(define, target, value, column);
    case SQLT_BIN: case SQLT_LBI:
        if (is_lob_kind(column.type.kind) && column.type.kind != value_kind::blob) inconsistent("BINARY", column);
        {
            const auto bytes = bytes_of(value, column);
            return place_bytes(target, define.value_size, std::string(bytes.begin(), bytes.end()), 0, 1);
        }
    case SQLT_DAT: case SQLT_ODT: return place_date_bytes(define, target, datetime_of(value, column));
    case SQLT_DATE: case SQLT_TIMESTAMP: case SQLT_TIMESTAMP_TZ: case SQLT_TIMESTAMP_LTZ:
        return place_datetime(define, target, value, column);
    case SQLT_CLOB: case SQLT_BLOB: case SQLT_BFILEE: return place_lob(define, target, value, column, settings);
    case SQLT_INTERVAL_YM: case SQLT_INTERVAL_DS: {
        auto* interval = static_cast<interval_descriptor*>(find_handle(target.data));
        if (!interval) throw make_error(ora::internal_error, "define has no interval descriptor");
        interval->text = stored_text(value);
        if (target.indicator) *target.indicator = 0;
        return 0;
    }
    default: {
        const std::string text = value_as_text(value, column, settings);
        return place_text(define, target, passes_database_charset(define, column) ? through_charset(text, settings.charset) : text);
    }
    }
}

}  // namespace ociemu
