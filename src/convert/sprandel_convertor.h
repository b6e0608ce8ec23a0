// The one converter object of the process: settings model, Oracle connection, selection and
// the run's job.
#pragma once

#include <filesystem>
#include <string>

#include "convert/converter.h"
#include "toolkit/settings_store.h"
#include "toolkit/singleton.h"

// Connection settings of the Oracle source.
class oracle_converter_impl {
public:
    virtual ~oracle_converter_impl() = default;

    // Copies the connection page's four texts.
    void store_oracle_settings(const std::string& host, const std::string& user,
                               const std::string& password, const std::string& port);

    std::string server;  // database name of the last successful connection
    std::string user;
    std::string password;  // kept as plain text, as the settings file and profiles keep it
    std::string host;
    std::string port;
};

// Owns the settings file that keeps the last run's settings.
class tk_serializer {
public:
    explicit tk_serializer(std::filesystem::path settings_path) : store_(std::move(settings_path)) {}
    virtual ~tk_serializer() = default;

    // Loads (store false) or stores (store true) every setting; true only if every value
    // was read or written.
    virtual bool serialize(bool store) = 0;

protected:
    tk_settings_store store_;
};

class sprandel_convertor : public xls_converter,
                           public oracle_converter_impl,
                           public tk_singleton<sprandel_convertor>,
                           public tk_serializer {
public:
    // Registers the converter and loads the settings of the last run.
    explicit sprandel_convertor(std::filesystem::path settings_path = tk_settings_store::default_path());
    // Stores the settings and unregisters.
    ~sprandel_convertor() override;

    bool serialize(bool store) override;

    bool open_on_exit = true;
};
