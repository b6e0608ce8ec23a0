// The conversion settings page's values and its destination check.
#include "wizard/settings_model.h"

#include <cerrno>
#include <cstdio>

#include "convert/destination_check.h"
#include "convert/job_session.h"
#include "convert/user_interface.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"

settings_fields settings_model::page_init() const {
    const job& work = session_.work();
    settings_fields fields{work.destination, work.format, work.dates_to_strings, work.wrap_text, work.split_data};
    if (fields.dest.empty()) {
        std::string folder = default_folder_;
        if (!folder.empty() && folder.back() != '/') folder += '/';
        fields.dest = folder + work.connection.service + "." + default_extension();
    }
    fields.dest = tk_file_name(fields.dest).full_path();
    return fields;
}

std::vector<std::string> settings_model::format_names() const {
    std::vector<std::string> names;
    for (const auto format : {workbook_format::excel_50, workbook_format::excel_2000, workbook_format::excel_2010})
        names.emplace_back(format_name(format));
    return names;
}

std::string settings_model::format_description(workbook_format format) const {
    return std::string(::format_description(format));
}

void settings_model::select_format(workbook_format format) { session_.work().format = format; }

std::string settings_model::default_extension() const {
    return session_.work().format == workbook_format::excel_2010 ? "xlsx" : "xls";
}

void settings_model::store(const settings_fields& fields) {
    job& work = session_.work();
    work.dates_to_strings = fields.dates_to_strings;
    work.wrap_text = fields.wrap_text;
    work.split_data = fields.split_data;
    work.destination = fields.dest;
}

bool settings_model::on_next(const settings_fields& fields, user_interface& face) {
    store(fields);
    if (session_.work().destination.empty()) {
        face.message(no_destination_text);
        return false;
    }
    try {
        // the same checks as a quick launch, the format's extension included
        session_.check_destination();
        // Yes means "replace it when the new workbook is complete": the run renames over it,
        // so a run that fails or dies leaves the old workbook as it was.
        return !tk_is_file_exist(session_.work().destination) || face.question(overwrite_question);
    } catch (const tk_exception& error) {
        face.error(error.message());
        return false;
    }
}
