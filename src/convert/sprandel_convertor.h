// The one converter object of the process: settings model, Oracle connection, selection and
// the run's job.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "convert/converter.h"
#include "toolkit/settings_store.h"
#include "toolkit/singleton.h"

class ora_database;
class ora_engine;
class udb_profile;

// Connection settings of the Oracle source.
class oracle_converter_impl {
public:
    virtual ~oracle_converter_impl() = default;

    // Copies the connection page's four texts.
    void store_oracle_settings(const std::string& host, const std::string& user,
                               const std::string& password, const std::string& port);

    // The connection settings to and from a profile; empty fields are not written, empty
    // values do not replace a field.
    bool store_profile(udb_profile& profile) const;
    bool load_profile(const udb_profile& profile);

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

    // The run, on the worker thread: every selected item into the destination, then
    // finished is set, whatever happened.
    void operator()() override;

    // Connects to the Oracle database name with the stored host, port, user and password and
    // keeps the new source database in place of the previous one. A failure propagates as
    // the engine's exception and leaves no source database.
    void connect_oracle_server(const std::string& name);
    // Reads the source database's table list again and returns it; needs a connection.
    std::vector<std::string>& get_all_tables();
    // True when the source accepts the SELECT text; connects with the stored settings first
    // when there is no connection yet. Any failure is false.
    bool test_query(const std::string& sql) override;

    // Writes the whole job to a profile file; false when it could not be written.
    bool save_profile_file(const std::string& path);
    // Reads a profile file and applies it; false when the file could not be read whole, and
    // then nothing is applied. Throws tk_exception for a missing file or text that is not
    // UTF-8.
    bool load_profile_file(const std::string& path);
    // Checks the destination before a run: it must be usable (common_check_dest) and be
    // neither the log file nor the profile. An existing workbook is kept; the run replaces
    // it only once the new one is complete. Throws tk_exception (level 1).
    void check_dest();

    // The Oracle engine, created with the first connection so that a machine without an
    // Oracle client can still start the program and edit settings.
    ora_engine& oracle_engine();
    // Where the Oracle client library is looked for; tests point it at the emulator.
    std::vector<std::string> oracle_library_candidates;

    bool open_on_exit = true;
    // Declared in this order so that the database goes before the engine it uses.
    std::unique_ptr<ora_engine> engine;
    std::unique_ptr<ora_database> database;  // the current source, null until a connection
};
