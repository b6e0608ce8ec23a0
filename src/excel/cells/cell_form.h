// The form one value takes in a worksheet cell, decided once here for the .xls and the
// .xlsx writers, so that every format shows the same value.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "excel/workbook_format.h"
#include "values/cell_value.h"

enum class cell_kind {
    empty,
    number,
    text,
    boolean,
    date,
    bad_text,  // a UTF-8 text that is not valid UTF-8: its row is refused
};
enum class cell_date_style { date, date_time, date_time_ms, time };

// Spreadsheets keep 15 significant digits; a number with more is written as text.
inline constexpr int cell_max_exact_digits = 15;
inline constexpr std::string_view cell_binary_placeholder = "<Binary Field>";

// Views stay valid while the value lives and until the decider's next decide.
struct cell_form {
    cell_kind kind = cell_kind::empty;
    double number = 0;  // a number, or a date's serial number
    bool boolean = false;
    cell_date_style date_style = cell_date_style::date;
    bool is_utf16 = false;       // the text is in utf16, not in text
    bool was_cut = false;        // the text was longer than a cell holds
    std::string_view text;       // UTF-8
    std::u16string_view utf16;
};

class cell_decider {
public:
    cell_decider(workbook_format format, bool dates_as_text) noexcept;

    // Numbers are number cells when a double holds every significant digit they have,
    // else their exact text; NaN and the infinities are the texts "NaN", "Inf", "-Inf".
    // Dates are serial numbers from 1900-03-01 to 9999-12-31 (where every reader shows
    // the same day) and their canonical text elsewhere, with dates_as_text and in Excel
    // 5.0. Text stays text, whatever it begins with; its line breaks become "\n" and it is
    // cut to the format's cell, never inside a character. Bytes are the binary
    // placeholder; NULL is an empty cell. Only a text that must change is copied.
    const cell_form& decide(const cell_value& value);

private:
    void decide_integer(std::int64_t value);
    void decide_number_text(std::string_view text);
    void decide_real(double value);
    void decide_date(const date_time& value);
    void decide_text(std::string_view utf8);
    void decide_utf16(std::u16string_view text);
    void set_text(std::string_view text);

    std::size_t max_text_units_;
    bool dates_as_text_;
    cell_form form_;
    std::string text_;       // a text made here: a number's digits, a date, a changed text
    std::u16string utf16_;   // a changed UTF-16 text
    char digits_[48] = {};
};

// The forms of one sheet's rows: every cell of a row is decided before any is written, so
// a refused row leaves nothing behind, and texts cut to the cell are counted per column.
class row_forms {
public:
    // A new sheet of `columns` columns.
    void start(std::size_t columns, workbook_format format, bool dates_as_text);
    std::size_t columns() const noexcept { return deciders_.size(); }
    // Decides every value of the row (at most columns()); the index of a value that is not
    // valid text, or the row's size when every value has a form.
    std::size_t decide(std::span<const cell_value> row);
    // The forms of the row just decided, valid until the next decide.
    const cell_form& operator[](std::size_t column) const noexcept { return *forms_[column]; }
    // Counts the cut texts of the row just decided: call once the row is written.
    void count_cut_texts() noexcept;
    std::span<const std::uint64_t> cut_texts() const noexcept { return cut_texts_; }

private:
    std::vector<cell_decider> deciders_;  // one per column, each keeping its own text buffer
    std::vector<const cell_form*> forms_;
    std::vector<std::uint64_t> cut_texts_;
    std::size_t decided_ = 0;
};

// The serial number of a date and time: days since 1899-12-30 plus the fraction of the
// day. False outside 1900-03-01 .. 9999-12-31 (below it Excel counts a 29 February 1900
// that never was, and other readers do not) and for an impossible date or time.
bool excel_serial(const date_time& value, double& serial) noexcept;
