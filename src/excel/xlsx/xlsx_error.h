// The errors of the .xlsx writer, each with its message in the user's words.
#pragma once

#include <string>
#include <string_view>

enum class xlsx_error {
    cannot_create_file,    // subject: the destination path
    cannot_write_file,     // subject: the destination path
    cannot_finish_file,    // subject: the destination path
    cannot_rename_file,    // subject: the destination path
    sheet_name_empty,
    sheet_name_too_long,   // subject: the sheet name
    sheet_name_invalid,    // subject: the sheet name
    sheet_name_duplicate,  // subject: the sheet name
    too_many_columns,      // subject: the sheet name
    too_many_rows,         // subject: the sheet name
    text_not_utf8,         // subject: the sheet name
};

// The message for code, naming subject (a file or a sheet) and the limit where there is
// one. A system reason, when given, is appended after a colon.
std::string xlsx_error_message(xlsx_error code, std::string_view subject, std::string_view reason = {});

// Level 0 for an error that concerns one row or one sheet (the run may go on), 1 otherwise.
int xlsx_error_level(xlsx_error code) noexcept;

// Throws tk_exception with the message and level of code; the exception's code is the
// enumerator's value plus xlsx_error_code_base so callers can tell the errors apart.
[[noreturn]] void throw_xlsx_error(xlsx_error code, std::string_view subject, std::string_view reason = {});
// The same with the system's text for error_number as reason.
[[noreturn]] void throw_xlsx_system_error(xlsx_error code, std::string_view subject, int error_number);

inline constexpr int xlsx_error_code_base = 0x7100;
