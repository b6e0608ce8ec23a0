// cell_value: one value on its way from the source to a worksheet cell. It views storage
// that its maker owns (a reader's fetch buffers, a test's strings), so handing a row from
// the reader to the writer copies no text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// A calendar date with its time of day, as the server keeps it. Years are not widened or
// shifted: Oracle keeps years -4712 .. 9999, and a year 5 stays 5.
struct date_time {
    std::int32_t year = 0;
    std::uint8_t month = 0;  // year, month and day all zero: a time of day alone
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint16_t millisecond = 0;

    bool is_time_only() const noexcept { return year == 0 && month == 0 && day == 0; }
    bool has_time() const noexcept { return hour != 0 || minute != 0 || second != 0 || millisecond != 0; }
    friend bool operator==(const date_time&, const date_time&) = default;
};

// The encoding a reader fetches texts in: the one its writer stores, so that a text is
// never converted on its way.
enum class text_form : std::uint8_t { utf8, utf16 };

enum class value_kind : std::uint8_t {
    null,
    integer,       // an exact whole number
    real,          // a binary floating-point number (NaN and the infinities included)
    decimal_text,  // an exact decimal number as text: "-12.50", "1E+125"
    text,          // UTF-8
    utf16_text,    // UTF-16, as the client library fetches it
    bytes,         // binary data; empty when the reader only noted that a value is there
    boolean,
    date_time,
};

class cell_value {
public:
    constexpr cell_value() noexcept : integer_(0) {}  // null

    static constexpr cell_value of_integer(std::int64_t value) noexcept {
        cell_value result;
        result.kind_ = value_kind::integer;
        result.integer_ = value;
        return result;
    }
    static constexpr cell_value of_real(double value) noexcept {
        cell_value result;
        result.kind_ = value_kind::real;
        result.real_ = value;
        return result;
    }
    static constexpr cell_value of_decimal_text(std::string_view digits) noexcept {
        return of_view(value_kind::decimal_text, digits.data(), digits.size());
    }
    static constexpr cell_value of_text(std::string_view utf8) noexcept {
        return of_view(value_kind::text, utf8.data(), utf8.size());
    }
    static constexpr cell_value of_utf16(std::u16string_view text) noexcept {
        return of_view(value_kind::utf16_text, text.data(), text.size());
    }
    static constexpr cell_value of_bytes(std::span<const std::uint8_t> bytes) noexcept {
        return of_view(value_kind::bytes, bytes.data(), bytes.size());
    }
    static constexpr cell_value of_boolean(bool value) noexcept {
        cell_value result;
        result.kind_ = value_kind::boolean;
        result.boolean_ = value;
        return result;
    }
    static constexpr cell_value of_date_time(const date_time& value) noexcept {
        cell_value result;
        result.kind_ = value_kind::date_time;
        result.date_ = value;
        return result;
    }

    constexpr value_kind kind() const noexcept { return kind_; }
    constexpr bool is_null() const noexcept { return kind_ == value_kind::null; }

    // Each reads the kind named beside it; any other kind is a caller's fault.
    constexpr std::int64_t integer() const noexcept { return integer_; }  // integer
    constexpr double real() const noexcept { return real_; }              // real
    constexpr bool boolean() const noexcept { return boolean_; }          // boolean
    constexpr const date_time& date() const noexcept { return date_; }    // date_time
    std::string_view text() const noexcept {                              // text, decimal_text
        return {static_cast<const char*>(view_.data), view_.size};
    }
    std::u16string_view utf16() const noexcept {  // utf16_text
        return {static_cast<const char16_t*>(view_.data), view_.size};
    }
    std::span<const std::uint8_t> bytes() const noexcept {  // bytes
        return {static_cast<const std::uint8_t*>(view_.data), view_.size};
    }

private:
    struct view {
        const void* data;
        std::size_t size;  // in units of the kind: bytes, or UTF-16 units
    };

    static constexpr cell_value of_view(value_kind kind, const void* data, std::size_t size) noexcept {
        cell_value result;
        result.kind_ = kind;
        result.view_ = view{data, size};
        return result;
    }

    value_kind kind_ = value_kind::null;
    union {
        std::int64_t integer_;
        double real_;
        bool boolean_;
        date_time date_;
        view view_;
    };
};
