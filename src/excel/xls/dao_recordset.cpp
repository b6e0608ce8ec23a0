// Rows of a worksheet written through the .xls driver: values matched to columns by name
// and written as typed cells.
#include "excel/xls/dao_recordset.h"

#include <algorithm>
#include <cmath>

#include "excel/xls/dao_database.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"

namespace {

constexpr int max_exact_digits = 15;      // Excel keeps 15 significant digits
constexpr double first_excel_day = 2;     // OLE number of 1900-01-01
constexpr double excel_leap_bug_end = 61; // OLE number of 1900-03-01: Excel counts a 1900-02-29
constexpr double after_last_excel_day = 2958466;  // OLE number of 10000-01-01
constexpr std::string_view binary_placeholder = "<Binary Field>";

const char* const count_mismatch = "The structures of data source does not conform to the destination table.";

int integer_digits(std::uint64_t value) {
    if (value == 0) return 0;
    while (value % 10 == 0) value /= 10;  // trailing zeros survive in a double
    int digits = 0;
    for (; value > 0; value /= 10) ++digits;
    return digits;
}

// Significant digits of a plain decimal text such as "-00123.4500" (here 5).
int text_digits(std::string_view text) {
    std::string digits;
    for (const char c : text)
        if (c >= '0' && c <= '9') digits.push_back(c);
    const auto first = digits.find_first_not_of('0');
    if (first == std::string::npos) return 0;
    // trailing zeros, of the fraction or of a whole number, cost a double no precision
    return static_cast<int>(digits.find_last_not_of('0') + 1 - first);
}

}  // namespace

dao_recordset::dao_recordset(const std::string& name, dao_sheet& sheet) : udb_recordset(name, true), sheet_(sheet) {
    TK_LOG(2, "dao_recordset::dao_recordset(%s)", name.c_str());
    schema_ = sheet.columns;
    records_count_ = sheet.sheet->row_count() > 0 ? static_cast<std::int32_t>(sheet.sheet->row_count() - 1) : 0;
    TK_LOG(1, "Got records count: %d", records_count_);
    row_.resize(schema_.size());
    changed_.resize(schema_.size());
    TK_LOG(2, "dao_recordset::dao_recordset - END");
}

dao_recordset::~dao_recordset() { TK_LOG(2, "dao_recordset::dtor"); }

void dao_recordset::append_record(udb_record& record) {
    TK_LOG(1, "dao_recordset::append_record");
    if (record.size() != schema_.size()) throw tk_exception(count_mismatch, tk_level_recoverable);
    // Everything that can fail happens before the row starts, so a refused record leaves
    // no half-written row behind. Values are read where they are; only those that change
    // are copied.
    std::fill(row_.begin(), row_.end(), nullptr);
    for (std::size_t position = 0; position < record.size(); ++position) {
        udb_field& field = record[position];
        const std::int32_t column = column_of(position, field.name());
        if (column < 0 || row_[column] != nullptr) throw tk_exception(count_mismatch, tk_level_recoverable);
        const t_ftd& descriptor = schema_[column];
        const ole_variant& value = field.value();
        row_[column] = &value;
        if (value.is_empty_or_null()) {
            if (descriptor.b_not_null) {
                TK_LOG(1, "Got NULL value for not null field");
                changed_[column].from_string("", descriptor.vartype);
                row_[column] = &changed_[column];
            }
        } else if (value.get_type() == VT_DATE && !value.has_date_number()) {
            std::string text = value.to_string();
            if (const auto at = text.find("0000-00-00"); at != std::string::npos) {
                TK_LOG(1, "Null date has been found");
                text.replace(at, 10, "1899-12-30");
                changed_[column].from_string(text, VT_DATE);
                row_[column] = &changed_[column];
            }
        } else if (value.is_text() && !is_valid_utf8(value.get_text())) {
            throw tk_exception("The text of column " + descriptor.name + " is not valid UTF-8.", tk_level_recoverable);
        }
    }
    TK_LOG(1, "\tAdd blank DAO record");
    sheet_.sheet->start_row();
    for (std::size_t column = 0; column < row_.size(); ++column)
        if (!row_[column]->is_empty_or_null()) put_value(static_cast<std::uint16_t>(column), *row_[column]);
    sheet_.sheet->end_row();
    ++records_count_;
    TK_LOG(1, "Commit new record into database");
}

// Rows are refilled in place, so a field usually has the name it had in the last row: the
// exact comparison saves the case-insensitive lookup per cell.
std::int32_t dao_recordset::column_of(std::size_t position, const std::string& name) {
    if (position < field_names_.size() && field_names_[position] == name) return field_columns_[position];
    const std::int32_t column = schema_.get_field_idx(name);
    if (position >= field_names_.size()) {
        field_names_.resize(position + 1);
        field_columns_.resize(position + 1, -1);
    }
    field_names_[position] = name;
    field_columns_[position] = column;
    return column;
}

void dao_recordset::put_value(std::uint16_t column, const ole_variant& value) {
    biff_sheet_writer& sheet = *sheet_.sheet;
    switch (value.get_type()) {
        case VT_BOOL: sheet.put_bool(column, value.get_bool()); return;
        case VT_I1:
            TK_LOG(1, "Converting VT_I1 value to short");
            sheet.put_number(column, value.get_i1());
            return;
        case VT_UI1: sheet.put_number(column, value.get_ui1()); return;
        case VT_I2: sheet.put_number(column, value.get_i2()); return;
        case VT_UI2:
            TK_LOG(1, "Converting VT_UI2 value to integer");
            sheet.put_number(column, value.get_ui2());
            return;
        case VT_I4:
        case VT_INT: sheet.put_number(column, value.get_i4()); return;
        case VT_UI4:
        case VT_UINT:
            TK_LOG(1, "Converting VT_UI4 value to double");
            sheet.put_number(column, value.get_ui4());
            return;
        case VT_I8:
        case VT_UI8: {
            TK_LOG(1, "Converting BIGINT value to double");
            const bool negative = value.get_type() == VT_I8 && value.get_i8() < 0;
            const std::uint64_t magnitude = value.get_type() == VT_UI8 ? value.get_ui8()
                                            : negative ? 0 - static_cast<std::uint64_t>(value.get_i8())
                                                       : static_cast<std::uint64_t>(value.get_i8());
            // more digits than a double keeps: text, so no digit is lost
            if (integer_digits(magnitude) > max_exact_digits) sheet.put_text(column, value.to_string());
            else sheet.put_number(column, negative ? -static_cast<double>(magnitude) : static_cast<double>(magnitude));
            return;
        }
        case VT_R4:
        case VT_R8:
        case VT_CY: {
            const double number = value.get_type() == VT_CY
                                      ? static_cast<double>(value.get_cy().value) / ole_currency_scale
                                      : value.to_double();
            if (std::isfinite(number)) sheet.put_number(column, number);
            else sheet.put_text(column, value.to_string());
            return;
        }
        case VT_DECIMAL: {
            const std::string text = value.to_string();
            if (text_digits(text) > max_exact_digits) sheet.put_text(column, text);
            else sheet.put_number(column, value.to_double());
            return;
        }
        case VT_DATE: put_date(column, value); return;
        case VT_BSTR:
        case VT_LPSTR:
        case VT_LPWSTR: sheet.put_text(column, value.get_text()); return;
        default:
            if (value.is_binary()) sheet.put_text(column, binary_placeholder);
            else TK_LOG(1, "Skipped a value of type %d in column %u", value.get_type(), column);
            return;
    }
}

// Dates are day numbers with a date format; one that Excel cannot show as a date is
// written as its canonical text instead.
void dao_recordset::put_date(std::uint16_t column, const ole_variant& value) {
    biff_sheet_writer& sheet = *sheet_.sheet;
    double serial = value.has_date_number() ? value.get_date_number() : -1;
    const bool time_only = serial >= 0 && serial < 1;
    if (!time_only && (serial < first_excel_day || serial >= after_last_excel_day)) {
        sheet.put_text(column, value.to_string());
        return;
    }
    if (serial >= first_excel_day && serial < excel_leap_bug_end) serial -= 1;
    const bool whole_day = serial == std::floor(serial);
    sheet.put_date(column, serial,
                   time_only   ? biff_date_kind::time
                   : whole_day ? biff_date_kind::date
                               : biff_date_kind::date_time);
}
