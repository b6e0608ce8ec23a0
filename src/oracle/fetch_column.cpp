// A reader's column: fetch arrays, define and the one conversion of each value.
#include "oracle/fetch_column.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "oracle/ora_exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"
#include "values/number_text.h"

namespace {

// Oracle's text of a NUMBER has at most 64 characters; longer values come in exponent form.
constexpr std::size_t number_text_units = 64;
// A byte of any server character set becomes at most three bytes of UTF-8 (a UTF-16 unit of
// the national set too); a slot past what a ub2 length holds is fetched as UTF-16 instead.
constexpr std::size_t utf8_bytes_per_byte = 3;
constexpr std::size_t max_utf8_slot = std::numeric_limits<ub2>::max();
constexpr std::size_t rowid_chars = 255;
// "+000000001 02:03:04.123456789" is the widest interval text.
constexpr std::size_t interval_chars = 64;
// A double holds every number of this many significant digits; more stay exact text.
constexpr std::size_t real_exact_digits = std::numeric_limits<double>::digits10;
// Whole numbers of up to 18 digits always fit 64 bits.
constexpr std::int32_t integer_exact_digits = std::numeric_limits<std::int64_t>::digits10;
// Never written by the client: indicators are -2, -1, 0 or a length.
constexpr sb2 unwritten_indicator = std::numeric_limits<sb2>::min();
constexpr ub2 truncated_code = 1406;
constexpr sb2 scale_of_float = -127;

fetch_kind kind_of(const described_column& column) {
    switch (column.data_type) {
    case SQLT_CHR: case SQLT_STR: case SQLT_AFC: return fetch_kind::text;
    case SQLT_NUM: case SQLT_INT: case SQLT_FLT: case SQLT_VNU: case SQLT_PDN: {
        const std::int32_t digits = column.precision - std::min<std::int32_t>(column.scale, 0);
        const bool whole = column.precision > 0 && column.scale <= 0 && column.scale != scale_of_float;
        return whole && digits <= integer_exact_digits ? fetch_kind::integer : fetch_kind::number_text;
    }
    case SQLT_IBFLOAT: return fetch_kind::binary_float;
    case SQLT_IBDOUBLE: return fetch_kind::binary_double;
    case SQLT_BOL: return fetch_kind::boolean;
    case SQLT_JSON: case SQLT_VEC: return fetch_kind::terminated_text;
    // other object types cannot be defined as text (ORA-00932)
    case SQLT_NTY: return column.type_name == "XMLTYPE" ? fetch_kind::terminated_text : fetch_kind::unsupported;
    case SQLT_LNG: case SQLT_RID: case SQLT_RDD: case 105: case 182: case SQLT_INTERVAL_YM: case SQLT_INTERVAL_DS:
        return fetch_kind::terminated_text;
    case SQLT_DAT: return fetch_kind::date;
    case SQLT_TIMESTAMP: case SQLT_TIMESTAMP_TZ: case 231: case SQLT_TIMESTAMP_LTZ: return fetch_kind::timestamp;
    case SQLT_BIN: case SQLT_LBI: return fetch_kind::binary;
    case SQLT_CLOB: return fetch_kind::character_lob;
    case SQLT_BLOB: return fetch_kind::binary_lob;
    default: return fetch_kind::unsupported;
    }
}

std::string type_name_of(const described_column& column) {
    const bool national = column.charset_form == SQLCS_NCHAR;
    switch (column.data_type) {
    case SQLT_CHR: return national ? "NVARCHAR2" : "VARCHAR2";
    case SQLT_AFC: return national ? "NCHAR" : "CHAR";
    case SQLT_NUM: return column.precision != 0 && column.scale == scale_of_float ? "FLOAT" : "NUMBER";
    case SQLT_IBFLOAT: return "BINARY_FLOAT";
    case SQLT_IBDOUBLE: return "BINARY_DOUBLE";
    case SQLT_BOL: return "BOOLEAN";
    case SQLT_JSON: return "JSON";
    case SQLT_VEC: return "VECTOR";
    case SQLT_LNG: return "LONG";
    case SQLT_LBI: return "LONG RAW";
    case SQLT_BIN: return "RAW";
    case SQLT_DAT: return "DATE";
    case SQLT_TIMESTAMP: return "TIMESTAMP";
    case SQLT_TIMESTAMP_TZ: return "TIMESTAMP WITH TIME ZONE";
    case 231: case SQLT_TIMESTAMP_LTZ: return "TIMESTAMP WITH LOCAL TIME ZONE";
    case SQLT_INTERVAL_YM: return "INTERVAL YEAR TO MONTH";
    case SQLT_INTERVAL_DS: return "INTERVAL DAY TO SECOND";
    case SQLT_RID: case SQLT_RDD: return "ROWID";
    case SQLT_CLOB: return national ? "NCLOB" : "CLOB";
    case SQLT_BLOB: return "BLOB";
    case SQLT_BFILEE: return "BFILE";
    case SQLT_NTY: return column.type_name;
    default: return "type " + std::to_string(column.data_type);
    }
}

column_info info_of(const described_column& column, fetch_kind kind) {
    column_info info;
    info.name = column.name;
    info.type_name = type_name_of(column);
    // National sizes arrive in bytes of a two-byte character set; users count characters.
    const bool national_text = kind == fetch_kind::text && column.charset_form == SQLCS_NCHAR;
    info.size = column.data_type == SQLT_LNG ? 0 : national_text ? column.data_size / 2 : column.data_size;
    info.precision = column.precision;
    info.scale = column.scale;
    info.is_nullable = column.nullable;
    return info;
}

// A fetched text is UTF-16 as the client sends it; a lone surrogate cannot become any cell text.
bool is_valid_utf16(std::u16string_view text) noexcept {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0xD800 || unit > 0xDFFF) continue;
        if (unit > 0xDBFF || i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
        ++i;
    }
    return true;
}

// A year is kept with its sign: the 7-byte form counts centuries and years in excess 100.
date_time date_of(const ub1* bytes) {
    date_time value;
    value.year = (static_cast<std::int32_t>(bytes[0]) - 100) * 100 + (static_cast<std::int32_t>(bytes[1]) - 100);
    value.month = bytes[2];
    value.day = bytes[3];
    value.hour = static_cast<std::uint8_t>(bytes[4] - 1);
    value.minute = static_cast<std::uint8_t>(bytes[5] - 1);
    value.second = static_cast<std::uint8_t>(bytes[6] - 1);
    return value;
}

// The float's own shortest digits, so a BINARY_FLOAT 0.1 is the double 0.1.
double widened(float value) {
    if (!std::isfinite(value)) return value;
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    double result = 0;
    std::from_chars(digits, end, result);
    return result;
}

row_error value_error(const std::string& message) { return row_error(message, tk_level_recoverable); }

}  // namespace

fetch_column::fetch_column(client_calls& calls, const described_column& column, text_form texts)
    : calls_(calls),
      info_(info_of(column, kind_of(column))),
      kind_(kind_of(column)),
      is_national_(column.charset_form == SQLCS_NCHAR) {
    switch (kind_) {
    case fetch_kind::text:
        fetch_type_ = SQLT_CHR;  // by returned length: a NUL inside a text is part of it
        // Each byte of the server's character set becomes at most one UTF-16 unit, and
        // national sizes are already UTF-16 bytes, so size + 1 units always hold the value.
        slot_units_ = static_cast<std::size_t>(std::max<int>(column.data_size, 1)) + 1;
        if (texts == text_form::utf8 && slot_units_ * utf8_bytes_per_byte <= max_utf8_slot) {
            is_utf8_ = true;
            slot_units_ *= utf8_bytes_per_byte;
        }
        break;
    case fetch_kind::number_text:
        // a number's text is ASCII: UTF-8 is the shortest form and needs no conversion
        fetch_type_ = SQLT_CHR;
        is_utf8_ = true;
        slot_units_ = number_text_units;
        holds_integers_ = column.precision > 0 && column.scale <= 0 && column.scale != scale_of_float;
        break;
    case fetch_kind::integer: case fetch_kind::boolean: fetch_type_ = SQLT_INT; break;
    case fetch_kind::binary_float: fetch_type_ = SQLT_BFLOAT; break;
    case fetch_kind::binary_double: fetch_type_ = SQLT_BDOUBLE; break;
    case fetch_kind::date: fetch_type_ = SQLT_DAT; slot_units_ = 7; break;
    case fetch_kind::timestamp:
        // every kind is fetched as a plain TIMESTAMP: the server converts and drops a zone
        fetch_type_ = SQLT_TIMESTAMP;
        descriptor_type_ = OCI_DTYPE_TIMESTAMP;
        break;
    case fetch_kind::character_lob: fetch_type_ = SQLT_CLOB; descriptor_type_ = OCI_DTYPE_LOB; break;
    case fetch_kind::binary_lob: fetch_type_ = SQLT_BLOB; descriptor_type_ = OCI_DTYPE_LOB; break;
    case fetch_kind::binary:
        // too small for any value: the return code accepts the truncation and the indicator
        // still tells NULL from a value
        fetch_type_ = SQLT_BIN;
        slot_units_ = 1;
        break;
    case fetch_kind::terminated_text: {
        fetch_type_ = SQLT_STR;
        const bool is_long = column.data_type == SQLT_LNG || column.data_type == SQLT_NTY ||
                             column.data_type == SQLT_JSON || column.data_type == SQLT_VEC;
        const bool is_rowid = column.data_type == SQLT_RID || column.data_type == SQLT_RDD || column.data_type == 105;
        slot_units_ = (is_long ? long_value_chars : is_rowid ? rowid_chars : interval_chars) + 1;
        break;
    }
    case fetch_kind::unsupported:
        info_.size = 18;  // the length of the placeholder
        info_.is_nullable = false;
        TK_LOG(3, "Column '%s' has type %d that cannot be read", info_.name.c_str(), column.data_type);
        break;
    }
}

fetch_column::~fetch_column() {
    free_unread_lobs();
    for (void* descriptor : descriptors_) calls_.free_descriptor(descriptor, descriptor_type_);
}

std::size_t fetch_column::row_bytes() const noexcept {
    constexpr std::size_t per_row = sizeof(sb2) + 2 * sizeof(ub2);  // indicator, length, return code
    switch (kind_) {
    case fetch_kind::text: case fetch_kind::number_text: case fetch_kind::terminated_text:
        return per_row + slot_units_ * (is_utf8_ ? 1 : sizeof(char16_t));
    case fetch_kind::integer: case fetch_kind::boolean: case fetch_kind::binary_double: return per_row + 8;
    case fetch_kind::binary_float: return per_row + 4;
    case fetch_kind::date: case fetch_kind::binary: return per_row + slot_units_;
    case fetch_kind::timestamp: return per_row + sizeof(void*);
    case fetch_kind::character_lob: return per_row + sizeof(void*) + lob_read_units * sizeof(char16_t);
    case fetch_kind::binary_lob: return per_row + sizeof(void*);
    case fetch_kind::unsupported: return 0;
    }
    return 0;
}

void fetch_column::allocate(ub4 rows) {
    indicators_.assign(rows, OCI_IND_NOTNULL);
    lengths_.assign(rows, 0);
    return_codes_.assign(rows, 0);
    switch (kind_) {
    case fetch_kind::text: case fetch_kind::number_text: case fetch_kind::terminated_text:
        if (is_utf8_) bytes_.assign(rows * slot_units_, 0);
        else texts_.assign(rows * slot_units_, u'\0');
        break;
    case fetch_kind::integer: case fetch_kind::boolean: integers_.assign(rows, 0); break;
    case fetch_kind::binary_float: floats_.assign(rows, 0); break;
    case fetch_kind::binary_double: doubles_.assign(rows, 0); break;
    case fetch_kind::date: case fetch_kind::binary: bytes_.assign(rows * slot_units_, 0); break;
    case fetch_kind::timestamp: case fetch_kind::character_lob: case fetch_kind::binary_lob:
        descriptors_.reserve(rows);
        // each descriptor is owned from the moment it exists
        while (descriptors_.size() < rows) descriptors_.push_back(calls_.alloc_descriptor(descriptor_type_));
        break;
    case fetch_kind::unsupported: break;
    }
}

void fetch_column::define(OCIStmt* statement, ub4 position, ub4 rows) {
    if (kind_ == fetch_kind::unsupported) return;  // nothing is fetched for it
    allocate(rows);
    void* values = nullptr;
    sb4 slot_bytes = 0;
    switch (kind_) {
    case fetch_kind::text: case fetch_kind::number_text: case fetch_kind::terminated_text:
        values = is_utf8_ ? static_cast<void*>(bytes_.data()) : static_cast<void*>(texts_.data());
        slot_bytes = static_cast<sb4>(slot_units_ * (is_utf8_ ? 1 : sizeof(char16_t)));
        break;
    case fetch_kind::integer: case fetch_kind::boolean:
        values = integers_.data();
        slot_bytes = sizeof(std::int64_t);
        break;
    case fetch_kind::binary_float: values = floats_.data(); slot_bytes = sizeof(float); break;
    case fetch_kind::binary_double: values = doubles_.data(); slot_bytes = sizeof(double); break;
    case fetch_kind::date: case fetch_kind::binary:
        values = bytes_.data();
        slot_bytes = static_cast<sb4>(slot_units_);
        break;
    case fetch_kind::timestamp: case fetch_kind::character_lob: case fetch_kind::binary_lob:
        values = descriptors_.data();
        slot_bytes = sizeof(void*);
        break;
    case fetch_kind::unsupported: break;
    }
    // A terminated text is measured by its terminator: its length may pass what a ub2 holds.
    ub2* lengths = kind_ == fetch_kind::terminated_text ? nullptr : lengths_.data();
    OCIDefine* handle = calls_.define(statement, position, values, slot_bytes, fetch_type_, indicators_.data(),
                                      lengths, return_codes_.data());
    // Without the national form the server passes national text through the database
    // character set, and a WE8MSWIN1252 database turns Cyrillic or CJK into '¿'. The form
    // goes first: the buffer's character set is set after it, so the form cannot reset it.
    if (is_national_ && (kind_ == fetch_kind::text || kind_ == fetch_kind::character_lob))
        calls_.set_define_national(handle);
    if (kind_ == fetch_kind::text || kind_ == fetch_kind::number_text || kind_ == fetch_kind::terminated_text)
        calls_.set_define_charset(handle, is_utf8_ ? ub2{OCI_AL32UTF8_ID} : ub2{OCI_UTF16ID});
    // The value as far as a cell holds it travels with its locator: no round trip of its own.
    if (kind_ == fetch_kind::character_lob) calls_.set_lob_prefetch(handle, lob_read_units);
    // BLOB contents are never read, only whether there is one; a temporary one is still freed.
    if (kind_ == fetch_kind::character_lob || kind_ == fetch_kind::binary_lob) lob_unread_.assign(rows, false);
}

void fetch_column::take_batch(ub4 rows) noexcept {
    for (ub4 row = 0; row < rows && row < lob_unread_.size(); ++row)
        lob_unread_[row] = indicators_[row] != OCI_IND_NULL;
}

void fetch_column::free_if_temporary(ub4 row) {
    if (row >= lob_unread_.size() || !lob_unread_[row]) return;
    lob_unread_[row] = false;
    auto* locator = static_cast<OCILobLocator*>(descriptors_[row]);
    if (calls_.is_temporary_lob(locator)) calls_.free_temporary_lob(locator);
}

void fetch_column::free_unread_lobs() noexcept {
    for (ub4 row = 0; row < lob_unread_.size(); ++row) {
        try {
            free_if_temporary(row);
        } catch (const std::exception& error) {
            // a broken or lost connection: the server frees what the session leaves
            TK_LOG(3, "A temporary LOB of column '%s' was not freed: %s", info_.name.c_str(), error.what());
            std::fill(lob_unread_.begin(), lob_unread_.end(), false);
            return;
        }
    }
}

void fetch_column::mark_unwritten() noexcept {
    std::fill(indicators_.begin(), indicators_.end(), unwritten_indicator);
}

bool fetch_column::is_written(ub4 row) const noexcept {
    return kind_ == fetch_kind::unsupported || indicators_[row] != unwritten_indicator;
}

void fetch_column::check_return_code(ub4 row) const {
    if (return_codes_[row] == 0) return;
    std::string message = "The value of column '" + info_.name + "' ";
    // only these slots are not sized for any value of the column
    if (return_codes_[row] == truncated_code && kind_ == fetch_kind::terminated_text)
        message += "is longer than " + std::to_string(slot_units_ - 1) + " characters, the most that is read.";
    else
        message += "could not be fetched (ORA-" + std::to_string(return_codes_[row]) + ").";
    throw value_error(message);
}

std::u16string_view fetch_column::valid_text(std::u16string_view text) const {
    if (is_valid_utf16(text)) return text;
    throw invalid_text();
}

// A database in the client's own character set sends its bytes unchecked: stored garbage
// arrives as it is.
std::string_view fetch_column::valid_text(std::string_view text) const {
    if (is_valid_utf8(text)) return text;
    throw invalid_text();
}

row_error fetch_column::invalid_text() const {
    return value_error("Cannot convert to UNICODE string: the value of column '" + info_.name + "' is not valid text.");
}

cell_value fetch_column::value(ub4 row) {
    if (kind_ == fetch_kind::unsupported) return cell_value::of_text(unsupported_value_text);
    if (indicators_[row] == OCI_IND_NULL) return {};
    if (kind_ != fetch_kind::binary) check_return_code(row);
    switch (kind_) {
    case fetch_kind::text: {
        if (is_utf8_)
            return cell_value::of_text(valid_text(
                {reinterpret_cast<const char*>(bytes_.data()) + row * slot_units_,
                 std::min<std::size_t>(lengths_[row], slot_units_)}));
        const char16_t* slot = texts_.data() + row * slot_units_;
        return cell_value::of_utf16(valid_text({slot, std::min<std::size_t>(lengths_[row] / 2, slot_units_)}));
    }
    case fetch_kind::number_text:
        return number_value({reinterpret_cast<const char*>(bytes_.data()) + row * slot_units_,
                             std::min<std::size_t>(lengths_[row], slot_units_)});
    case fetch_kind::terminated_text: {
        const char16_t* slot = texts_.data() + row * slot_units_;
        const std::u16string_view text(slot, std::find(slot, slot + slot_units_, u'\0') - slot);
        return cell_value::of_utf16(valid_text(text));
    }
    case fetch_kind::integer: return cell_value::of_integer(integers_[row]);
    case fetch_kind::boolean: return cell_value::of_boolean(integers_[row] != 0);
    case fetch_kind::binary_float: return cell_value::of_real(widened(floats_[row]));
    case fetch_kind::binary_double: return cell_value::of_real(doubles_[row]);
    case fetch_kind::date: return cell_value::of_date_time(date_of(bytes_.data() + row * slot_units_));
    case fetch_kind::timestamp: {
        const datetime_parts parts = calls_.read_datetime(static_cast<OCIDateTime*>(descriptors_[row]));
        return cell_value::of_date_time({parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second,
                                         static_cast<std::uint16_t>(parts.nanoseconds / 1'000'000)});
    }
    case fetch_kind::character_lob: {
        // the text is copied out of the LOB before it is freed, and freed even when it fails
        struct lob_release {
            fetch_column& column;
            ub4 row;
            ~lob_release() {
                try {
                    column.free_if_temporary(row);
                } catch (const std::exception&) {
                    // left for free_unread_lobs or the session's end
                }
            }
        } release{*this, row};
        return character_lob_value(row);
    }
    case fetch_kind::binary_lob: free_if_temporary(row); return cell_value::of_bytes({});
    case fetch_kind::binary: return cell_value::of_bytes({});
    case fetch_kind::unsupported: break;
    }
    return {};
}

// Oracle prints a NUMBER without a leading zero (".5"), without trailing fraction zeros,
// with the session's decimal character (a comma in some territories), never with group
// separators, and past 64 characters in exponent form ("1E+125"). One pass copies it in
// normalised form and counts its significant digits.
cell_value fetch_column::number_value(std::string_view text) {
    char* out = number_chars_;
    std::size_t significant = 0, pending_zeros = 0, mantissa_digits = 0;
    bool in_exponent = false, is_plain_integer = true, is_number = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (!in_exponent) {
                ++mantissa_digits;
                if (c != '0') significant += pending_zeros + 1, pending_zeros = 0;
                else if (significant > 0) ++pending_zeros;
            }
            *out++ = c;
        } else if (c == '.' || c == ',') {
            if (mantissa_digits == 0) *out++ = '0';
            *out++ = '.';
            is_plain_integer = false;
        } else if ((c == 'E' || c == 'e') && !in_exponent) {
            *out++ = 'E';
            in_exponent = true;
            is_plain_integer = false;
        } else if (c == '-' || c == '+') {
            *out++ = c;
        } else {
            // one '?' for a character outside ASCII: its other bytes are passed over
            if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) *out++ = (c & 0x80) == 0 ? c : '?';
            is_number = false;
        }
    }
    const std::string_view chars(number_chars_, static_cast<std::size_t>(out - number_chars_));
    if (!is_number || mantissa_digits == 0) return cell_value::of_text(chars);  // not a number: as the server wrote it
    // up to 19 digits: from_chars refuses what does not fit
    if (holds_integers_ && is_plain_integer && mantissa_digits <= integer_exact_digits + 1) {
        std::int64_t whole = 0;
        if (std::from_chars(chars.data(), chars.data() + chars.size(), whole).ec == std::errc())
            return cell_value::of_integer(whole);
    }
    if (significant <= real_exact_digits) {
        if (const auto quick = short_decimal_value(chars)) return cell_value::of_real(*quick);
        double real = 0;
        const auto [end, error] = std::from_chars(chars.data(), chars.data() + chars.size(), real);
        if (error == std::errc() && end == chars.data() + chars.size()) return cell_value::of_real(real);
    }
    return cell_value::of_decimal_text(chars);
}

// Amounts and offsets of a CLOB count UTF-16 units in this environment, so a character
// outside the Basic Multilingual Plane counts two and may straddle two pieces; the pieces
// are joined before the text is checked. Only what a cell can hold is read: a half character
// at that end is dropped, and the value stays longer than a cell, so it is reported as cut.
cell_value fetch_column::character_lob_value(ub4 row) {
    auto* locator = static_cast<OCILobLocator*>(descriptors_[row]);
    const ub4 length = std::min(calls_.lob_length(locator), lob_read_units);
    lob_text_.resize(length);
    const ub1 form = length > 0 ? calls_.lob_charset_form(locator) : SQLCS_IMPLICIT;
    ub4 done = 0;
    while (done < length) {
        ub4 amount = length - done;
        const sword status = calls_.lob_read(locator, &amount, done + 1, lob_text_.data() + done,
                                             amount * sizeof(char16_t), OCI_UTF16ID, form);
        if (status == OCI_NEED_DATA)
            throw value_error("The Oracle client sent column '" + info_.name + "' in pieces that were not asked for.");
        if (amount == 0) break;  // the LOB ended early: it was shortened since the row was read
        done += amount;
    }
    if (done == lob_read_units && lob_text_[done - 1] >= 0xD800 && lob_text_[done - 1] <= 0xDBFF) --done;
    return cell_value::of_utf16(valid_text({lob_text_.data(), done}));
}
