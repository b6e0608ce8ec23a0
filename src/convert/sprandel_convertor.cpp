// The converter object and the persistence of its settings.
#include "convert/sprandel_convertor.h"

#include <cstdint>
#include <type_traits>

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
