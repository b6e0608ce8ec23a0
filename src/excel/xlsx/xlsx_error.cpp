// Messages and levels of the .xlsx writer's errors.
#include "excel/xlsx/xlsx_error.h"

#include "excel/workbook_format.h"
#include "toolkit/exception.h"
#include "toolkit/system.h"

namespace {

// 1048575 as "1,048,575", as the messages write numbers.
std::string with_thousands(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string grouped;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0) grouped += ',';
        grouped += digits[k];
    }
    return grouped;
}

std::string quoted(std::string_view text) {
    std::string result = "\"";
    result += text;
    result += '"';
    return result;
}

std::string base_message(xlsx_error code, std::string_view subject) {
    switch (code) {
    case xlsx_error::cannot_create_file:
        return "Cannot create the workbook " + quoted(subject);
    case xlsx_error::cannot_write_file:
        return "Cannot write the workbook " + quoted(subject);
    case xlsx_error::cannot_finish_file:
        return "Cannot complete the workbook " + quoted(subject);
    case xlsx_error::cannot_rename_file:
        return "Cannot put the finished workbook in place as " + quoted(subject);
    case xlsx_error::sheet_name_empty:
        return "A sheet name cannot be empty.";
    case xlsx_error::sheet_name_too_long:
        return "The sheet name " + quoted(subject) + " is too long: a sheet name has at most " + std::to_string(max_sheet_name_chars) +
               " characters.";
    case xlsx_error::sheet_name_invalid:
        return "The sheet name " + quoted(subject) +
               " is not valid: a sheet name cannot contain : \\ / ? * [ ] or begin or end with '.";
    case xlsx_error::sheet_name_duplicate:
        return "The workbook already has a sheet named " + quoted(subject) + ".";
    case xlsx_error::too_many_columns:
        return "The sheet " + quoted(subject) + " has too many columns: a worksheet has at most " +
               with_thousands(excel_2010_limits.max_columns) + " columns.";
    case xlsx_error::too_many_rows:
        return "The sheet " + quoted(subject) +
               " is full: a worksheet holds at most " + with_thousands(excel_2010_limits.max_data_rows) +
               " rows of data; further rows are not written.";
    case xlsx_error::text_not_utf8:
        return "A text of the sheet " + quoted(subject) + " is not valid UTF-8; the row is not written.";
    }
    return "Unknown workbook error.";
}

}  // namespace

std::string xlsx_error_message(xlsx_error code, std::string_view subject, std::string_view reason) {
    std::string message = base_message(code, subject);
    if (!reason.empty()) {
        message += ": ";
        message += reason;
    }
    if (message.back() != '.') message += '.';
    return message;
}

int xlsx_error_level(xlsx_error code) noexcept {
    switch (code) {
    case xlsx_error::too_many_rows:
    case xlsx_error::text_not_utf8:
    case xlsx_error::sheet_name_empty:  // a refused sheet costs its item, not the run
    case xlsx_error::sheet_name_too_long:
    case xlsx_error::sheet_name_invalid:
    case xlsx_error::sheet_name_duplicate:
    case xlsx_error::too_many_columns:
        return tk_level_recoverable;
    case xlsx_error::cannot_create_file:
    case xlsx_error::cannot_write_file:
    case xlsx_error::cannot_finish_file:
    case xlsx_error::cannot_rename_file:
        return tk_level_serious;
    }
    return tk_level_serious;
}

void throw_xlsx_error(xlsx_error code, std::string_view subject, std::string_view reason) {
    tk_exception error(xlsx_error_message(code, subject, reason), xlsx_error_level(code));
    error.set_code(xlsx_error_code_base + static_cast<int>(code));
    throw error;
}

void throw_xlsx_system_error(xlsx_error code, std::string_view subject, int error_number) {
    throw_xlsx_error(code, subject, tk_system_error_text(error_number));
}
