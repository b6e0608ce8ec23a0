// ole_variant: construction, copying, text and number forms, byte arrays and typed reads.
#include "values/ole_variant.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "toolkit/log.h"
#include "toolkit/text.h"
#include "values/currency.h"
#include "values/date_number.h"
#include "values/decimal.h"
#include "values/ole_date.h"
#include "values/ole_variant_internal.h"

namespace {

constexpr std::size_t max_rendered_bytes = 100'000'000;  // longer byte arrays are cut
constexpr std::int32_t e_outofmemory = static_cast<std::int32_t>(0x8007000E);

template <typename T>
std::string integer_text(T value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// printf "%.Ne" without the process locale's decimal point.
std::string exponent_text(double value, int precision) {
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, precision);
    return std::string(buffer, result.ptr);
}

}  // namespace

ole_cast_exception::ole_cast_exception()
    : tk_exception("Cannot cast from source type to destination type", tk_level_recoverable) {}

ole_type_exception::ole_type_exception()
    : tk_exception("The operating type is not supported yet", tk_level_recoverable) {}

// ---- construction and lifetime ---------------------------------------------------------

ole_variant::ole_variant() noexcept : i8_(0) {}

ole_variant::ole_variant(const ole_systemtime& time) : vt_(VT_DATE), date_{0.0, time, false} {
    double number = 0.0;
    if (systemtime_to_date_number(time, number)) {
        date_.number = number;
        date_.has_number = true;
    } else {
        TK_LOG(2, "Failed to convert SYSTEMTIME->VARIANT");
    }
}

ole_variant::ole_variant(ole_currency value) noexcept : vt_(VT_CY), cy_(value) {}
ole_variant::ole_variant(const ole_decimal& value) noexcept : vt_(VT_DECIMAL), decimal_(value) {
    decimal_.reserved = 0;
}
ole_variant::ole_variant(bool value) noexcept : vt_(VT_BOOL), i2_(value ? ole_true : ole_false) {}
ole_variant::ole_variant(char value) noexcept : vt_(VT_I1), i1_(static_cast<std::int8_t>(value)) {}
ole_variant::ole_variant(signed char value) noexcept : vt_(VT_I1), i1_(value) {}
ole_variant::ole_variant(unsigned char value) noexcept : vt_(VT_UI1), ui1_(value) {}
ole_variant::ole_variant(short value) noexcept : vt_(VT_I2), i2_(value) {}
ole_variant::ole_variant(unsigned short value) noexcept : vt_(VT_UI2), ui2_(value) {}
ole_variant::ole_variant(int value) noexcept : vt_(VT_I4), i4_(value) {}
ole_variant::ole_variant(unsigned int value) noexcept : vt_(VT_UI4), ui4_(value) {}
ole_variant::ole_variant(long value) noexcept : vt_(VT_I8), i8_(value) {}
ole_variant::ole_variant(unsigned long value) noexcept : vt_(VT_UI8), ui8_(value) {}
ole_variant::ole_variant(long long value) noexcept : vt_(VT_I8), i8_(value) {}
ole_variant::ole_variant(unsigned long long value) noexcept : vt_(VT_UI8), ui8_(value) {}
ole_variant::ole_variant(float value) noexcept : vt_(VT_R4), r4_(value) {}
ole_variant::ole_variant(double value) noexcept : vt_(VT_R8), r8_(value) {}
ole_variant::ole_variant(const char* text) : ole_variant(std::string_view(text)) {}
ole_variant::ole_variant(std::string_view text) : vt_(VT_BSTR), text_(text) {}
ole_variant::ole_variant(const std::string& text) : vt_(VT_BSTR), text_(text) {}
ole_variant::ole_variant(std::string&& text) noexcept : vt_(VT_BSTR), text_(std::move(text)) {}
ole_variant::ole_variant(std::u16string_view text) : vt_(VT_BSTR), text_(to_utf8(text)) {}
ole_variant::ole_variant(const char16_t* text) : ole_variant(std::u16string_view(text)) {}

ole_variant::ole_variant(const ole_variant& other) : i8_(0) { copy_from(other); }

ole_variant::ole_variant(ole_variant&& other) noexcept : i8_(0) { move_from(other); }

ole_variant::~ole_variant() { destroy(); }

ole_variant& ole_variant::operator=(const ole_variant& other) {
    if (this == &other) return *this;
    if (is_text() && other.is_text()) {  // reuses this value's text buffer
        text_ = other.text_;
        vt_ = other.vt_;
        return *this;
    }
    destroy();
    try {
        copy_from(other);
    } catch (const std::bad_alloc&) {
        TK_LOG(2, "Failed to copy a byte array or text value");
        vt_ = VT_ERROR;
        i4_ = e_outofmemory;
    }
    return *this;
}

ole_variant& ole_variant::operator=(ole_variant&& other) noexcept {
    if (this == &other) return *this;
    destroy();
    move_from(other);
    return *this;
}

ole_variant& ole_variant::operator=(std::string_view text) {
    attach_string(text);
    return *this;
}

ole_variant ole_variant::make_null() noexcept {
    ole_variant value;
    value.vt_ = VT_NULL;
    return value;
}

ole_variant ole_variant::make_error(std::int32_t code) noexcept {
    ole_variant value;
    value.vt_ = VT_ERROR;
    value.i4_ = code;
    return value;
}

void ole_variant::destroy() noexcept {
    if (is_text()) {
        text_.~basic_string();
    } else if (is_binary()) {
        bytes_.~byte_array();
    }
    vt_ = VT_EMPTY;
    i8_ = 0;
}

// Expects this value destroyed (VT_EMPTY).
void ole_variant::copy_from(const ole_variant& other) {
    if (other.is_text()) {
        new (&text_) std::string(other.text_);
    } else if (other.is_binary()) {
        new (&bytes_) byte_array(other.bytes_);
    } else {
        std::memcpy(static_cast<void*>(&i8_), static_cast<const void*>(&other.i8_), sizeof(date_store));
    }
    vt_ = other.vt_;
}

// Expects this value destroyed (VT_EMPTY); leaves other VT_EMPTY.
void ole_variant::move_from(ole_variant& other) noexcept {
    if (other.is_text()) {
        new (&text_) std::string(std::move(other.text_));
    } else if (other.is_binary()) {
        new (&bytes_) byte_array(std::move(other.bytes_));
    } else {
        std::memcpy(static_cast<void*>(&i8_), static_cast<const void*>(&other.i8_), sizeof(date_store));
    }
    vt_ = other.vt_;
    other.destroy();
}

void ole_variant::clear() noexcept { destroy(); }

void ole_variant::set_text(vartype tag, std::string_view text) {
    if (is_text()) {
        text_.assign(text.data(), text.size());
    } else {
        std::string copy(text);
        destroy();
        new (&text_) std::string(std::move(copy));
    }
    vt_ = tag;
}

void ole_variant::attach_string(std::string_view text) { set_text(VT_BSTR, text); }

// ---- byte arrays -----------------------------------------------------------------------

void ole_variant::attach_binary(const void* data, std::size_t size) {
    attach_binary(convert_to_byte_array(data, size));
}

void ole_variant::attach_binary(const byte_array& bytes) { attach_binary(byte_array(bytes)); }

void ole_variant::attach_binary(byte_array&& bytes) noexcept {
    destroy();
    new (&bytes_) byte_array(std::move(bytes));
    vt_ = VT_BINARY;
}

std::span<const std::uint8_t> ole_variant::get_bytes() const noexcept {
    if (!is_binary()) return {};
    return {bytes_.data(), bytes_.size()};
}

std::size_t ole_variant::get_safe_array_size() const noexcept { return is_binary() ? bytes_.size() : 0; }

ole_variant::byte_array ole_variant::convert_to_byte_array(const void* data, std::size_t size) {
    const auto* first = static_cast<const std::uint8_t*>(data);
    return size == 0 ? byte_array() : byte_array(first, first + size);
}

// ---- text and number forms -------------------------------------------------------------

std::string ole_variant::to_string() const {
    switch (vt_) {
    case VT_BINARY:
    case VT_CARRAY: {
        if (bytes_.empty()) return {};
        const std::size_t count = bytes_.size() < max_rendered_bytes ? bytes_.size() : max_rendered_bytes;
        return "0x" + tk_hex(std::string_view(reinterpret_cast<const char*>(bytes_.data()), count));
    }
    case VT_DECIMAL: return decimal_to_string(decimal_);
    case VT_DATE: return ole_date(date_.time).to_string(true);
    case VT_CY: return currency_to_string(cy_);
    case VT_BSTR:
    case VT_LPSTR:
    case VT_LPWSTR: return text_;
    case VT_BOOL: return i2_ == ole_true ? "1" : "0";
    case VT_I1: return integer_text(static_cast<int>(i1_));
    case VT_I2: return integer_text(static_cast<int>(i2_));
    case VT_I4:
    case VT_INT: return integer_text(i4_);
    case VT_R4: return exponent_text(r4_, 6);
    case VT_R8: return exponent_text(r8_, 16);
    case VT_UI1: return integer_text(static_cast<unsigned>(ui1_));
    case VT_UI2: return integer_text(static_cast<unsigned>(ui2_));
    case VT_UI4:
    case VT_UINT: return integer_text(ui4_);
    case VT_I8: return integer_text(i8_);
    case VT_UI8: return integer_text(ui8_);
    default: return {};  // VT_EMPTY, VT_NULL, VT_ERROR
    }
}

// ---- typed reads -----------------------------------------------------------------------

bool ole_variant::get_bool() const {
    TK_ASSERT(vt_ == VT_BOOL);
    return i2_ != ole_false;
}
std::int8_t ole_variant::get_i1() const {
    TK_ASSERT(vt_ == VT_I1);
    return i1_;
}
std::uint8_t ole_variant::get_ui1() const {
    TK_ASSERT(vt_ == VT_UI1);
    return ui1_;
}
std::int16_t ole_variant::get_i2() const {
    TK_ASSERT(vt_ == VT_I2);
    return i2_;
}
std::uint16_t ole_variant::get_ui2() const {
    TK_ASSERT(vt_ == VT_UI2);
    return ui2_;
}
std::int32_t ole_variant::get_i4() const {
    TK_ASSERT(vt_ == VT_I4 || vt_ == VT_INT || vt_ == VT_ERROR);
    return i4_;
}
std::uint32_t ole_variant::get_ui4() const {
    TK_ASSERT(vt_ == VT_UI4 || vt_ == VT_UINT);
    return ui4_;
}
std::int64_t ole_variant::get_i8() const {
    TK_ASSERT(vt_ == VT_I8);
    return i8_;
}
std::uint64_t ole_variant::get_ui8() const {
    TK_ASSERT(vt_ == VT_UI8);
    return ui8_;
}
float ole_variant::get_r4() const {
    TK_ASSERT(vt_ == VT_R4);
    return r4_;
}
double ole_variant::get_r8() const {
    TK_ASSERT(vt_ == VT_R8);
    return r8_;
}
ole_currency ole_variant::get_cy() const {
    TK_ASSERT(vt_ == VT_CY);
    return cy_;
}
const ole_decimal& ole_variant::get_decimal() const {
    TK_ASSERT(vt_ == VT_DECIMAL);
    return decimal_;
}
const ole_systemtime& ole_variant::get_date() const {
    TK_ASSERT(vt_ == VT_DATE);
    return date_.time;
}
bool ole_variant::has_date_number() const {
    TK_ASSERT(vt_ == VT_DATE);
    return date_.has_number;
}
const std::string& ole_variant::get_text() const {
    TK_ASSERT(is_text());
    return text_;
}
