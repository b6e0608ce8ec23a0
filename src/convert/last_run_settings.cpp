// The eleven values of the settings file.
#include "convert/last_run_settings.h"

#include <cstdint>

#include "convert/job.h"
#include "toolkit/log.h"
#include "toolkit/settings_store.h"

namespace {

// Moves each value one way or the other, the list in the order the values are handled, so
// loading and storing can never disagree about a name.
class settings_transfer {
public:
    settings_transfer(tk_settings_store& store, bool storing) : store_(store), storing_(storing) {}

    void flag(const char* name, bool& field, bool default_value) {
        if (storing_) {
            store_.set_dword(name, field ? 1 : 0);
        } else if (const auto value = store_.get_dword(name)) {
            field = *value != 0;
        } else {
            field = default_value;
            complete_ = false;
        }
    }
    void format(const char* name, workbook_format& field) {
        if (storing_) {
            store_.set_dword(name, format_number(field));
            return;
        }
        const auto value = store_.get_dword(name);
        // a value from elsewhere must still name one of the three formats
        if (!value || !format_from_number(*value, field)) {
            field = workbook_format::excel_2000;
            complete_ = false;
        }
    }
    void text(const char* name, std::string& field, const char* default_value = nullptr) {
        if (storing_) {
            store_.set_string(name, field);
        } else if (const auto value = store_.get_string(name)) {
            field = *value;
        } else {
            if (default_value != nullptr) field = default_value;
            complete_ = false;
        }
    }
    bool is_complete() const noexcept { return complete_; }

private:
    tk_settings_store& store_;
    bool storing_;
    bool complete_ = true;
};

void transfer(settings_transfer& values, job& work, last_run_settings& settings) {
    values.flag("dates to strings", work.dates_to_strings, false);
    values.text("dest", work.destination);
    values.format("engine", work.format);
    values.flag("open on exit", settings.open_on_exit, true);
    values.text("oracleh", work.connection.host);
    values.text("oraclep", work.connection.password);
    values.text("port", work.connection.port, "1521");
    values.text("src", work.connection.service);
    values.text("oracleu", work.connection.user);
    values.flag("split", work.split_data, false);
    values.flag("wrap text", work.wrap_text, true);
}

}  // namespace

bool load_last_run(const std::filesystem::path& path, job& work, last_run_settings& settings) {
    TK_LOG(2, "%s", __func__);
    tk_settings_store store(path);
    const bool read = store.load();
    settings_transfer values(store, false);
    transfer(values, work, settings);
    return read && values.is_complete();
}

bool store_last_run(const std::filesystem::path& path, const job& work, const last_run_settings& settings) {
    TK_LOG(2, "%s", __func__);
    tk_settings_store store(path);
    settings_transfer values(store, true);
    // the values stored, not the selection: a job may select millions of tables
    job copy;
    copy.destination = work.destination;
    copy.format = work.format;
    copy.connection = work.connection;
    copy.dates_to_strings = work.dates_to_strings;
    copy.split_data = work.split_data;
    copy.wrap_text = work.wrap_text;
    last_run_settings settings_copy = settings;
    transfer(values, copy, settings_copy);
    return store.save();
}
