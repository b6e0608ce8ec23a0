// A job's sections of a profile file, and the trace log it names.
#include "convert/job_profile.h"

#include <algorithm>
#include <filesystem>

#include "convert/job.h"
#include "records/profile_file.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

const std::string excel_settings_section = "MS Excel settings";
const std::string oracle_settings_section = "Oracle settings";
const std::string& generic = profile_file::generic_settings_section;

const char* flag(bool value) { return value ? "1" : "0"; }

// Replaces field only when the profile has a non-empty value for key.
void take_text(const profile_file& profile, const std::string& section, const char* key, std::string& field) {
    if (std::string value = profile.get_value(section, key); !value.empty()) field = std::move(value);
}

void refuse_unnamed_queries(const profile_file& profile) {
    // A query without a name would have no name for its worksheet.
    for (const std::string& section : {profile_file::selected_tables_section, profile_file::available_queries_section})
        for (const auto& [name, sql] : profile.get_section(section))
            if (!sql.empty() && trim(name).empty())
                throw tk_exception("The profile's query \"" + name + "=" + sql + "\" in [" + section +
                                       "] has no name; give it one (the name becomes its worksheet's name).",
                                   tk_level_serious);
}

void apply_generic(const profile_file& profile, job& work) {
    take_text(profile, generic, "dest", work.destination);
    take_text(profile, generic, "logfile", work.log_file);
    take_text(profile, generic, "src", work.connection.service);
    // Generic switches are on for anything but "0".
    if (const std::string value = profile.get_value(generic, "only definitions"); !value.empty())
        work.only_definitions = value != "0";
    if (const std::string value = profile.get_value(generic, "skip indexes"); !value.empty())
        work.skip_indexes = value != "0";
    if (const std::string value = profile.get_value(generic, "mode"); value.size() == 1) work.mode = value[0] - '0';
}

void apply_selection(const profile_file& profile, job& work) {
    for (const auto& [name, sql] : profile.get_section(profile_file::selected_tables_section)) {
        work.selected.emplace(name, sql);
        if (sql.empty() && std::find(work.tables.begin(), work.tables.end(), name) == work.tables.end())
            work.tables.push_back(name);
    }
    for (const auto& [name, sql] : profile.get_section(profile_file::available_queries_section))
        work.available_queries.emplace(name, sql);
}

void apply_workbook_settings(const profile_file& profile, job& work) {
    if (const std::string value = profile.get_value(excel_settings_section, "format version"); !value.empty())
        work.format = value == "1"   ? workbook_format::excel_2000
                      : value == "2" ? workbook_format::excel_2010
                                     : workbook_format::excel_50;
    // Workbook switches are on only for exactly "1".
    const auto take_flag = [&](const char* key, bool& field) {
        if (const std::string value = profile.get_value(excel_settings_section, key); !value.empty())
            field = value == "1";
    };
    take_flag("split data", work.split_data);
    take_flag("wrap text", work.wrap_text);
    take_flag("convert dates to strings", work.dates_to_strings);
}

void apply_connection(const profile_file& profile, connection_settings& connection) {
    take_text(profile, oracle_settings_section, "host", connection.host);
    take_text(profile, oracle_settings_section, "password", connection.password);
    take_text(profile, oracle_settings_section, "port", connection.port);
    take_text(profile, oracle_settings_section, "user", connection.user);
}

}  // namespace

std::vector<job_item> job::items() const {
    std::map<std::string, std::string> all = selected;
    for (const std::string& table : tables) all.emplace(table, std::string());
    std::vector<job_item> result;
    result.reserve(all.size());
    for (auto& [name, sql] : all) result.push_back({name, sql});
    return result;
}

void store_job(const job& work, profile_file& profile) {
    TK_LOG(2, "%s", __func__);
    for (const auto& [name, sql] : work.available_queries)
        profile.set_value(profile_file::available_queries_section, name, sql);
    profile.set_value(generic, "src", work.connection.service);
    profile.set_value(generic, "dest", work.destination);
    profile.set_value(generic, "logfile", work.log_file);
    profile.set_value(generic, "skip indexes", flag(work.skip_indexes));
    profile.set_value(generic, "only definitions", flag(work.only_definitions));
    // One character, the way loading reads it back, whatever character a profile gave it.
    profile.set_value(generic, "mode", std::string(1, static_cast<char>('0' + work.mode)));
    for (const auto& [name, sql] : work.selected) profile.set_value(profile_file::selected_tables_section, name, sql);
    // Before a run the chosen tables are only in the table list; they belong to the job too.
    for (const auto& table : work.tables) profile.set_value(profile_file::selected_tables_section, table, "");

    profile.set_value(excel_settings_section, "format version", std::to_string(format_number(work.format)));
    profile.set_value(excel_settings_section, "split data", flag(work.split_data));
    profile.set_value(excel_settings_section, "wrap text", flag(work.wrap_text));
    profile.set_value(excel_settings_section, "convert dates to strings", flag(work.dates_to_strings));

    const auto put = [&](const char* key, const std::string& field) {
        if (!field.empty()) profile.set_value(oracle_settings_section, key, field);
    };
    put("host", work.connection.host);
    put("password", work.connection.password);
    put("port", work.connection.port);
    put("user", work.connection.user);
}

void apply_profile(const profile_file& profile, job& work) {
    TK_LOG(2, "%s", __func__);
    refuse_unnamed_queries(profile);
    apply_generic(profile, work);
    apply_selection(profile, work);
    apply_workbook_settings(profile, work);
    apply_connection(profile, work.connection);
}

bool save_job_file(const job& work, const std::string& path) {
    TK_LOG(2, "%s(%s)", __func__, path.c_str());
    profile_file profile;
    store_job(work, profile);
    return profile.store(path);
}

bool load_job_file(const std::string& path, job& work) {
    TK_LOG(2, "%s(%s)", __func__, path.c_str());
    profile_file profile;
    if (!profile.load(path)) return false;
    job loaded = work;
    loaded.profile_path = path;
    apply_profile(profile, loaded);
    // The log file is checked against the job it belongs to before anything is taken over.
    start_log_file(loaded, loaded.log_file);
    work = std::move(loaded);
    return true;
}

void check_log_file(const job& work, const std::string& name) {
    if (name.empty()) return;
    if (tk_is_path_exist(name)) throw tk_exception("Logfile name specifies an existing path.", tk_level_serious);
    // Logging truncates its file: the job and its workbook must never be that file.
    if (!work.profile_path.empty() && tk_is_same_file(name, work.profile_path))
        throw tk_exception("Logfile name specifies the profile.", tk_level_serious);
    if (!work.destination.empty() && tk_is_same_file(name, work.destination))
        throw tk_exception("Logfile name specifies the destination workbook.", tk_level_serious);
    if (std::error_code error; std::filesystem::exists(name, error) && !tk_is_file_exist(name, 1))
        throw tk_exception("Logfile name specifies an existing read-only file.", tk_level_serious);
    if (!tk_is_path_exist(tk_file_name(name).folder()))
        throw tk_exception("Logfile path does not exist.\nPlease verify the correct path was given.",
                           tk_level_serious);
}

void start_log_file(job& work, const std::string& name) {
    TK_LOG(2, "%s(%s)", __func__, name.c_str());
    check_log_file(work, name);
    work.log_file = name;
    if (name.empty()) return;
    tk_log& log = tk_log::instance();
    log.set_file_name(name);
    log.reset_truncation();
    log.enable(true);
}
