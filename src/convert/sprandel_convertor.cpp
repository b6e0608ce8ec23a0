// The converter object and the persistence of its settings.
#include "convert/sprandel_convertor.h"

#include <cstdint>
#include <type_traits>

#include "oracle/ora_database.h"
#include "oracle/ora_engine.h"
#include "toolkit/log.h"

void oracle_converter_impl::store_oracle_settings(const std::string& host_name, const std::string& user_name,
                                                  const std::string& password_text, const std::string& port_text) {
    TK_LOG(2, "oracle_converter_impl::store_oracle_settings(%s,%s,%s,%s)", host_name.c_str(), user_name.c_str(),
           password_text.empty() ? "" : "***", port_text.c_str());
    host = host_name;
    user = user_name;
    password = password_text;
    port = port_text;
}

sprandel_convertor::sprandel_convertor(std::filesystem::path settings_path)
    : tk_serializer(std::move(settings_path)) {
    TK_LOG(2, "sprandel_convertor::ctor");
    serialize(false);
}

sprandel_convertor::~sprandel_convertor() {
    TK_LOG(2, "sprandel_convertor::dtor");
    try {
        serialize(true);
    } catch (...) {
        // A destructor cannot report; the settings of this run are simply not kept.
    }
}


bool sprandel_convertor::serialize(bool store) {
    TK_LOG(2, "serialize( %d )", store ? 1 : 0);
    bool complete = true;
    if (!store) complete = store_.load();

    // Each entry moves one setting; the list is in the order the values are handled.
    const auto dword = [&](const char* name, auto& field, auto default_value) {
        if (store) {
            store_.set_dword(name, static_cast<std::uint32_t>(field));
            return;
        }
        field = default_value;
        if (const auto value = store_.get_dword(name)) {
            if constexpr (std::is_same_v<std::decay_t<decltype(field)>, bool>) field = *value != 0;
            else field = static_cast<std::decay_t<decltype(field)>>(*value);
        } else {
            complete = false;
        }
    };
    const auto text = [&](const char* name, std::string& field, const char* default_value) {
        if (store) {
            store_.set_string(name, field);
            return;
        }
        if (default_value != nullptr) field = default_value;
        if (const auto value = store_.get_string(name)) field = *value;
        else complete = false;
    };

    dword("dates to strings", dates_to_strings, false);
    text("dest", dest, nullptr);
    dword("engine", format_version, 1);
    if (format_version < format_excel_50 || format_version > format_excel_2010) {
        format_version = format_excel_2000;  // a value from elsewhere must still index the format table
        complete = false;
    }
    dword("open on exit", open_on_exit, true);
    text("oracleh", host, nullptr);
    text("oraclep", password, nullptr);
    text("port", port, "1521");
    text("src", src, nullptr);
    text("oracleu", user, nullptr);
    dword("split", split_data, false);
    dword("wrap text", wrap_text, true);

    if (store) complete = store_.save();
    return complete;
}

ora_engine& sprandel_convertor::oracle_engine() {
    if (!engine) engine = std::make_unique<ora_engine>(oracle_library_candidates);
    return *engine;
}

void sprandel_convertor::connect_oracle_server(const std::string& name) {
    TK_LOG(2, "oracle_converter_impl::connect_oracle_server(%s)", name.c_str());
    if (database) {
        TK_LOG(1, "Delete previous initialization of ora_base...");
        database.reset();
        TK_LOG(1, "done");
    }
    database = oracle_engine().open_db(host, user, password, port, name);
    server = name;
}

std::vector<std::string>& sprandel_convertor::get_all_tables() {
    TK_LOG(2, "sprandel_convertor::get_all_tables");
    TK_ASSERT(database != nullptr);
    return database->get_tables();
}

bool sprandel_convertor::test_query(const std::string& sql) {
    TK_LOG(2, "sprandel_convertor::test_query(%s)", sql.c_str());
    try {
        if (!database) database = oracle_engine().open_db(server, user, password);
        return database->test_query(sql);
    } catch (const std::exception& error) {
        TK_LOG(3, "Query test failed: %s", error.what());
        return false;
    }
}
