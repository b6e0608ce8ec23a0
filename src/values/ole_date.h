// ole_date: a date, a time or both with milliseconds, read from the many textual forms met in
// databases and printed in the one canonical form "YYYY-MM-DD hh:mm:ss".
#pragma once

#include <string>
#include <string_view>

#include "values/ole_types.h"

class ole_variant;

enum class ole_date_kind : int {
    invalid = 0,
    date_time = 1,
    date_only = 2,
    time_only = 3,
};

class ole_date {
public:
    // An invalid date (kind invalid, every part zero).
    ole_date() noexcept = default;
    // A date and time, its kind refined (no date part: time only; midnight: date only).
    explicit ole_date(const ole_systemtime& time) noexcept;
    // Parses UTF-8 text; an unreadable text gives an invalid date, it never throws.
    explicit ole_date(std::string_view text);
    explicit ole_date(const char* text) : ole_date(std::string_view(text)) {}
    // Parses UTF-16 text as the UTF-8 form; unconvertible text gives an invalid date.
    explicit ole_date(std::u16string_view text);

    // True when the kind is not invalid and the parts make a date and/or a time.
    bool is_valid() const noexcept;
    ole_date_kind kind() const noexcept { return kind_; }
    const ole_systemtime& time() const noexcept { return time_; }

    // While set (the default), a date-time at exactly midnight prints as a date only.
    void set_omit_midnight(bool omit) noexcept { omit_midnight_ = omit; }
    bool omits_midnight() const noexcept { return omit_midnight_; }

    // A VT_DATE value of the stored parts, milliseconds kept.
    ole_variant to_variant() const;

    // "YYYY-MM-DD hh:mm:ss[.mmm]", "YYYY-MM-DD", or "0000-00-00 hh:mm:ss[.mmm]" for a pure
    // time; empty when invalid. Milliseconds are printed only when asked for and not zero.
    std::string to_string(bool with_milliseconds = true) const;
    // The to_wstring form as UTF-8.
    std::string to_display_string(bool with_milliseconds = true) const;

private:
    void parse(std::string_view text);
    bool import(std::string_view text);
    bool import_digits(std::string_view text);
    bool import_time(std::string_view text);
    bool import_date_time(std::string_view text);
    bool import_free_form(std::string_view text);
    void refine_type() noexcept;
    bool is_midnight() const noexcept;
    std::string format(bool with_milliseconds, bool time_prefix, bool widen_always) const;

    bool omit_midnight_ = true;
    ole_date_kind kind_ = ole_date_kind::invalid;
    ole_systemtime time_{};
};
