// The conversion settings page's values and its destination check.
#include "wizard/settings_model.h"

#include <cerrno>
#include <cstdio>

#include "convert/destination_check.h"
#include "convert/sprandel_convertor.h"
#include "convert/user_interface.h"
#include "excel/xls_engine.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"

settings_fields settings_model::page_init() const {
    TK_LOG(2, "sel_file_page::page_init");
    TK_ASSERT(converter_.format_version >= 0 && converter_.format_version < 3);
    settings_fields fields{converter_.dest, converter_.format_version, converter_.dates_to_strings,
                           converter_.wrap_text, converter_.split_data};
    if (fields.dest.empty()) {
        std::string folder = default_folder_;
        if (!folder.empty() && folder.back() != '/') folder += '/';
        fields.dest = folder + converter_.server + "." + default_extension();
    }
    fields.dest = tk_file_name(fields.dest).full_path();
    return fields;
}

std::vector<std::string> settings_model::format_names() const {
    std::vector<std::string> names;
    for (int version = 0; version < 3; ++version) names.push_back(converter_.format(version).version_name());
    return names;
}

std::string settings_model::format_description(int format_version) const {
    return converter_.format(format_version).description();
}

void settings_model::select_format(int format_version) {
    TK_ASSERT(format_version >= 0 && format_version < 3);
    converter_.format_version = format_version;
}

std::string settings_model::default_extension() const {
    return converter_.format_version < xls_converter::format_excel_2010 ? "xls" : "xlsx";
}

void settings_model::store(const settings_fields& fields) {
    TK_LOG(2, "sel_file_page::store_file_info");
    converter_.dates_to_strings = fields.dates_to_strings;
    converter_.wrap_text = fields.wrap_text;
    for (int version = 0; version < 3; ++version) converter_.format(version).b_wrap_text = fields.wrap_text;
    converter_.split_data = fields.split_data;
    converter_.dest = fields.dest;
}

bool settings_model::on_next(const settings_fields& fields, user_interface& face) {
    store(fields);
    if (converter_.dest.empty()) {
        face.message(no_destination_text);
        return false;
    }
    try {
        // the same checks as a quick launch, the format's extension included
        converter_.check_dest();
        // Yes means "replace it when the new workbook is complete": the run renames over it,
        // so a run that fails or dies leaves the old workbook as it was.
        return !tk_is_file_exist(converter_.dest) || face.question(overwrite_question);
    } catch (const tk_exception& error) {
        face.error(error.message());
        return false;
    }
}
