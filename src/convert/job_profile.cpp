// A job's sections of a profile file, and the trace log it names.
#include "convert/job_profile.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

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

// The keys each settings section knows; any other key there is a misspelling to warn about.
const std::map<std::string, std::vector<std::string>, std::less<>> known_keys = {
    {generic, {"dest", "logfile", "mode", "only definitions", "skip indexes", "src"}},
    {excel_settings_section, {"convert dates to strings", "format version", "split data", "wrap text"}},
    {oracle_settings_section, {"host", "password", "port", "user"}},
};

std::string lower_ascii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The settings sections with their key names in lower case: a key name's case does not
// matter, so "Dest=" is "dest=". Keys that name nothing are reported as warnings.
class settings_view {
public:
    settings_view(const profile_file& profile, std::vector<std::string>& warnings) {
        for (const auto& [section, keys] : known_keys) {
            auto& values = values_[section];
            for (const auto& [key, value] : profile.get_section(section)) {
                std::string name = lower_ascii(key);
                if (std::find(keys.begin(), keys.end(), name) == keys.end())
                    warnings.push_back("The profile's key \"" + key + "\" in [" + section +
                                       "] is not known and was ignored.");
                else
                    values.emplace(std::move(name), value);
            }
        }
    }

    // The value with the blanks around it removed, or "" when the key is not there.
    std::string get(const std::string& section, const std::string& key) const { return trim(raw(section, key)); }
    // The value exactly as written: a password may begin or end with blanks.
    std::string raw(const std::string& section, const std::string& key) const {
        const auto& values = values_.at(section);
        const auto found = values.find(key);
        return found == values.end() ? std::string() : found->second;
    }

private:
    std::map<std::string, profile_file::key_map> values_;
};

void refuse_unnamed_queries(const profile_file& profile) {
    // A query without a name would have no name for its worksheet.
    for (const std::string& section : {profile_file::selected_tables_section, profile_file::available_queries_section})
        for (const auto& [name, sql] : profile.get_section(section))
            if (!sql.empty() && trim(name).empty())
                throw tk_exception("The profile's query \"" + name + "=" + sql + "\" in [" + section +
                                       "] has no name; give it one (the name becomes its worksheet's name).",
                                   tk_level_serious);
}

std::string describe_item(const std::string& name, const std::string& sql) {
    return sql.empty() ? "the table \"" + name + "\"" : "the query \"" + name + "=" + sql + "\"";
}

[[noreturn]] void refuse_two_items(const std::string& first, const std::string& second) {
    throw tk_exception("The profile selects two items of one name: " + first + " and " + second +
                           ". Each item becomes a worksheet, and worksheet names do not differ by letter case; "
                           "rename or remove one of them in [Selected Tables].",
                       tk_level_serious);
}

bool less_ignoring_case(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return fold(x) < fold(y);
    });
}

// A name listed twice with two texts (or as a table and a query) is two items of one name.
void refuse_repeated_keys(const profile_file& profile) {
    const std::string& section = profile_file::selected_tables_section;
    for (const auto& repeated : profile.repeated_keys()) {
        if (repeated.section != section) continue;
        const std::string& kept = profile.get_section(section).at(repeated.key);
        if (kept != repeated.value)
            refuse_two_items(describe_item(repeated.key, kept), describe_item(repeated.key, repeated.value));
    }
}

// Names that differ only in letter case become neighbours, equal names in byte order after.
bool folded_then_bytes(const std::string& a, const std::string& b) {
    if (less_ignoring_case(a, b)) return true;
    return !less_ignoring_case(b, a) && a < b;
}

bool same_ignoring_case(const std::string& a, const std::string& b) {
    return !less_ignoring_case(a, b) && !less_ignoring_case(b, a);
}

void apply_generic(const settings_view& settings, job& work) {
    work.destination = settings.get(generic, "dest");
    work.log_file = settings.get(generic, "logfile");
    work.connection.service = settings.get(generic, "src");
    // Generic switches are on for anything but "0".
    if (const std::string value = settings.get(generic, "only definitions"); !value.empty())
        work.only_definitions = value != "0";
    if (const std::string value = settings.get(generic, "skip indexes"); !value.empty())
        work.skip_indexes = value != "0";
    if (const std::string value = settings.get(generic, "mode"); value.size() == 1) work.mode = value[0] - '0';
}

// Tables go to the table list, once each, queries to the selection. The names move out of
// the profile and are checked where they land, so a selection of millions of names is never
// held twice. Two items of one name in any case would make one worksheet, and one of them
// would be lost without a word: they are refused. A table listed twice is one item.
void apply_selection(profile_file& profile, job& work) {
    const std::string& section = profile_file::selected_tables_section;
    refuse_repeated_keys(profile);
    std::vector<std::string>& tables = work.tables;
    tables = profile.take_names(section);
    profile_file::key_map selection = profile.take_section(section);
    while (!selection.empty()) {
        auto entry = selection.extract(selection.begin());
        if (entry.mapped().empty())
            tables.push_back(std::move(entry.key()));
        else
            work.selected.insert(std::move(entry));
    }
    std::sort(tables.begin(), tables.end(), folded_then_bytes);
    for (std::size_t i = 1; i < tables.size(); ++i) {
        if (tables[i - 1] != tables[i] && same_ignoring_case(tables[i - 1], tables[i]))
            refuse_two_items(describe_item(tables[i - 1], {}), describe_item(tables[i], {}));
    }
    tables.erase(std::unique(tables.begin(), tables.end()), tables.end());
    using query = std::pair<const std::string, std::string>;
    std::vector<const query*> queries;
    queries.reserve(work.selected.size());
    for (const query& each : work.selected) {
        const auto table = std::lower_bound(tables.begin(), tables.end(), each.first, less_ignoring_case);
        if (table != tables.end() && same_ignoring_case(*table, each.first))
            refuse_two_items(describe_item(*table, {}), describe_item(each.first, each.second));
        queries.push_back(&each);
    }
    std::sort(queries.begin(), queries.end(),
              [](const query* a, const query* b) { return folded_then_bytes(a->first, b->first); });
    for (std::size_t i = 1; i < queries.size(); ++i) {
        if (same_ignoring_case(queries[i - 1]->first, queries[i]->first))
            refuse_two_items(describe_item(queries[i - 1]->first, queries[i - 1]->second),
                             describe_item(queries[i]->first, queries[i]->second));
    }
    work.available_queries = profile.take_section(profile_file::available_queries_section);
}

void apply_workbook_settings(const settings_view& settings, job& work) {
    if (const std::string value = settings.get(excel_settings_section, "format version"); !value.empty())
        work.format = value == "1"   ? workbook_format::excel_2000
                      : value == "2" ? workbook_format::excel_2010
                                     : workbook_format::excel_50;
    // Workbook switches are on only for exactly "1".
    const auto take_flag = [&](const char* key, bool& field) {
        if (const std::string value = settings.get(excel_settings_section, key); !value.empty())
            field = value == "1";
    };
    take_flag("split data", work.split_data);
    take_flag("wrap text", work.wrap_text);
    take_flag("convert dates to strings", work.dates_to_strings);
}

void apply_connection(const settings_view& settings, connection_settings& connection) {
    connection.host = settings.get(oracle_settings_section, "host");
    connection.password = settings.raw(oracle_settings_section, "password");
    connection.port = settings.get(oracle_settings_section, "port");
    connection.user = settings.get(oracle_settings_section, "user");
}

// The values a run cannot do without, each named by its key, in the order they are checked.
std::vector<std::string> missing_run_keys(const settings_view& settings) {
    std::vector<std::string> missing;
    const auto require = [&](const std::string& section, const char* key) {
        if (settings.get(section, key).empty()) missing.push_back(std::string("\"") + key + "\" in [" + section + "]");
    };
    require(generic, "dest");
    require(generic, "src");
    // no user and no password is external authentication (a wallet or the OS account)
    if (!settings.raw(oracle_settings_section, "password").empty()) require(oracle_settings_section, "user");
    require(excel_settings_section, "format version");
    return missing;
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

namespace {

// Applies a profile onto a new job: the settings it has, and its selection, which moves out
// of the profile. A query without a name or two items of one name are refused (tk_exception)
// before anything changes.
profile_notes apply_profile(profile_file& profile, job& work) {
    TK_LOG(2, "%s", __func__);
    refuse_unnamed_queries(profile);
    profile_notes notes;
    const settings_view settings(profile, notes.warnings);
    apply_generic(settings, work);
    apply_selection(profile, work);
    apply_workbook_settings(settings, work);
    apply_connection(settings, work.connection);
    notes.missing = missing_run_keys(settings);
    for (const std::string& warning : notes.warnings) TK_LOG(3, "%s", warning.c_str());
    return notes;
}

}  // namespace

bool save_job_file(const job& work, const std::string& path) {
    TK_LOG(2, "%s(%s)", __func__, path.c_str());
    profile_file profile;
    store_job(work, profile);
    return profile.store(path);
}

bool load_job_file(const std::string& path, job& work, profile_notes* notes) {
    TK_LOG(2, "%s(%s)", __func__, path.c_str());
    profile_file profile;
    if (!profile.load(path)) return false;
    // A profile is a whole job: nothing of the job it replaces carries over.
    job loaded;
    loaded.profile_path = path;
    profile_notes found = apply_profile(profile, loaded);
    // The log file is checked against the job it belongs to before anything is taken over.
    start_log_file(loaded, loaded.log_file);
    work = std::move(loaded);
    if (notes != nullptr) *notes = std::move(found);
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
