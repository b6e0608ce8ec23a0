// The conversion settings page: destination, format and the three options.
#pragma once

#include <string>
#include <vector>

#include "excel/workbook_format.h"

class job_session;
class user_interface;

inline constexpr const char* settings_intro_text =
    "On this page you can specify the destination name and conversion settings.";
inline constexpr const char* no_destination_text = "You should enter MS Excel file name";
inline constexpr const char* overwrite_question = "Destination file already exists. Overwrite?";
inline constexpr const char* destination_dialog_title = "Select destination MS Excel file";
inline constexpr const char* workbook_filter_description = "MS Excel Files (.xls;.xlsx)";
inline constexpr const char* workbook_filter_pattern = "*.xls;*.xlsx";

struct settings_fields {
    std::string dest;
    workbook_format format = workbook_format::excel_2000;
    bool dates_to_strings = false;
    bool wrap_text = true;
    bool split_data = false;
};

class settings_model {
public:
    // default_folder: where a destination goes when none was ever given (the user's home in
    // the wizard; the program's folder would not be writable once installed).
    settings_model(job_session& session, std::string default_folder)
        : session_(session), default_folder_(std::move(default_folder)) {}

    // The job's current values; an empty destination becomes the default folder, the
    // database name and the format's extension.
    settings_fields page_init() const;
    // The three formats' names and descriptions, in format order.
    std::vector<std::string> format_names() const;
    std::string format_description(workbook_format format) const;
    // A new format takes effect at once; the destination text is left alone.
    void select_format(workbook_format format);
    // "xls" for the two .xls formats, "xlsx" for Excel 2010.
    std::string default_extension() const;

    // Back and Next write the page back.
    void store(const settings_fields& fields);
    // Next: stores, then checks the destination and, after the user agreed, deletes an
    // existing file. False (the page stays) after telling the user why.
    bool on_next(const settings_fields& fields, user_interface& face);

private:
    job_session& session_;
    std::string default_folder_;
};
