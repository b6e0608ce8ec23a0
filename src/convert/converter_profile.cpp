// The converter's parts of a profile file, and the destination check before a run.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "convert/converter.h"
#include "convert/destination_check.h"
#include "convert/sprandel_convertor.h"
#include "records/udb_profile.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

const std::string excel_settings_section = "MS Excel settings";
const std::string oracle_settings_section = "Oracle settings";
const std::string& generic = udb_profile::generic_settings_section;

const char* flag(bool value) { return value ? "1" : "0"; }

// Replaces field only when the profile has a non-empty value for key.
void take_text(const udb_profile& profile, const std::string& section, const char* key, std::string& field) {
    if (std::string value = profile.get_value(section, key); !value.empty()) field = std::move(value);
}

}  // namespace

bool udb_converter::store_profile(udb_profile& profile) const {
    TK_LOG(2, "udb_converter::store_profile");
    for (const auto& [name, sql] : available_queries) {
        TK_LOG(1, "Available Query: (%s,%s)", name.c_str(), sql.c_str());
        profile.set_value(udb_profile::available_queries_section, name, sql);
    }
    profile.set_value(generic, "src", src);
    profile.set_value(generic, "dest", dest);
    profile.set_value(generic, "logfile", logfile);
    profile.set_value(generic, "skip indexes", flag(skip_indexes));
    profile.set_value(generic, "only definitions", flag(only_definitions));
    // One character, the way loading reads it back, whatever character a profile gave it.
    profile.set_value(generic, "mode", std::string(1, static_cast<char>('0' + mode)));
    for (const auto& [name, sql] : selected) {
        TK_LOG(1, "Selected Query: (%s,%s)", name.c_str(), sql.c_str());
        profile.set_value(udb_profile::selected_tables_section, name, sql);
    }
    // Before a run the chosen tables are only in the table list; they belong to the job too.
    for (const auto& table : tables) profile.set_value(udb_profile::selected_tables_section, table, "");
    return true;
}

bool udb_converter::load_profile(const udb_profile& profile) {
    TK_LOG(2, "udb_converter::load_profile");
    // A query without a name would have no name for its worksheet; refused before anything changes.
    for (const std::string& section : {udb_profile::selected_tables_section, udb_profile::available_queries_section})
        for (const auto& [name, sql] : profile.get_section(section))
            if (!sql.empty() && trim(name).empty())
                throw tk_exception("The profile's query \"" + name + "=" + sql + "\" in [" + section +
                                       "] has no name; give it one (the name becomes its worksheet's name).",
                                   tk_level_serious);
    take_text(profile, generic, "dest", dest);  // first, so the log file is checked against it
    if (const std::string name = profile.get_value(generic, "logfile"); !name.empty()) {
        TK_LOG(1, "Logfile=%s", name.c_str());
        set_logfile(name);
    }
    for (const auto& [name, sql] : profile.get_section(udb_profile::selected_tables_section)) {
        selected.emplace(name, sql);
        if (sql.empty() && std::find(tables.begin(), tables.end(), name) == tables.end()) {
            TK_LOG(1, "Push back table '%s'", name.c_str());
            tables.push_back(name);
        }
    }
    for (const auto& [name, sql] : profile.get_section(udb_profile::available_queries_section))
        available_queries.emplace(name, sql);
    take_text(profile, generic, "src", src);
    // Generic switches are on for anything but "0".
    if (const std::string value = profile.get_value(generic, "only definitions"); !value.empty())
        only_definitions = value != "0";
    if (const std::string value = profile.get_value(generic, "skip indexes"); !value.empty())
        skip_indexes = value != "0";
    if (const std::string value = profile.get_value(generic, "mode"); value.size() == 1) mode = value[0] - '0';
    return true;
}

bool xls_converter::store_profile(udb_profile& profile) const {
    profile.set_value(excel_settings_section, "format version", std::to_string(format_version));
    profile.set_value(excel_settings_section, "split data", flag(split_data));
    profile.set_value(excel_settings_section, "wrap text", flag(wrap_text));
    profile.set_value(excel_settings_section, "convert dates to strings", flag(dates_to_strings));
    return true;
}

bool xls_converter::load_profile(const udb_profile& profile) {
    if (const std::string value = profile.get_value(excel_settings_section, "format version"); !value.empty())
        format_version = value == "1" ? format_excel_2000 : value == "2" ? format_excel_2010 : format_excel_50;
    // Workbook switches are on only for exactly "1".
    const auto take_flag = [&](const char* key, bool& field) {
        if (const std::string value = profile.get_value(excel_settings_section, key); !value.empty())
            field = value == "1";
    };
    take_flag("split data", split_data);
    take_flag("wrap text", wrap_text);
    take_flag("convert dates to strings", dates_to_strings);
    return true;
}

bool oracle_converter_impl::store_profile(udb_profile& profile) const {
    TK_LOG(2, "oracle_converter_impl::store_profile");
    const auto put = [&](const char* key, const std::string& field) {
        if (!field.empty()) profile.set_value(oracle_settings_section, key, field);
    };
    put("host", host);
    put("password", password);
    put("port", port);
    put("user", user);
    return true;
}

bool oracle_converter_impl::load_profile(const udb_profile& profile) {
    TK_LOG(2, "oracle_converter_impl::load_profile");
    take_text(profile, oracle_settings_section, "host", host);
    take_text(profile, oracle_settings_section, "password", password);
    take_text(profile, oracle_settings_section, "port", port);
    take_text(profile, oracle_settings_section, "user", user);
    return true;
}

bool sprandel_convertor::save_profile_file(const std::string& path) {
    TK_LOG(2, "sprandel_convertor::save_profile_file(%s)", path.c_str());
    udb_profile profile;
    if (!udb_converter::store_profile(profile) || !xls_converter::store_profile(profile) ||
        !oracle_converter_impl::store_profile(profile))
        return false;
    return profile.store(path);
}

bool sprandel_convertor::load_profile_file(const std::string& path) {
    TK_LOG(2, "sprandel_convertor::load_profile_file(%s)", path.c_str());
    udb_profile profile;
    if (!profile.load(path)) return false;
    profile_file = path;
    return udb_converter::load_profile(profile) && xls_converter::load_profile(profile) &&
           oracle_converter_impl::load_profile(profile);
}

void sprandel_convertor::check_dest() {
    TK_LOG(2, "sprandel_convertor::check_dest(%s)", dest.c_str());
    common_check_dest(dest, format_version);
    // The log and the job are files of their own; a run must never write over them.
    if (!logfile.empty() && tk_is_same_file(dest, logfile))
        throw tk_exception("Destination name specifies the log file.", tk_level_serious);
    if (!profile_file.empty() && tk_is_same_file(dest, profile_file))
        throw tk_exception("Destination name specifies the profile.", tk_level_serious);
    // An existing workbook stays until the run has a complete new one to put in its place.
    if (std::error_code error; std::filesystem::exists(dest, error)) TK_LOG(1, "Destination already exists");
}
