// job_session: what one start of a program works on: the job being edited or run, the
// settings of the last run, and the Oracle connection.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "convert/job.h"
#include "convert/job_profile.h"
#include "convert/last_run_settings.h"

class oracle_session;

class job_session {
public:
    // Loads the settings of the last run from settings_path (missing values take their
    // defaults). library_candidates: where the Oracle client is looked for (empty: the
    // standard places); tests point it at the emulator.
    explicit job_session(std::filesystem::path settings_path, std::vector<std::string> library_candidates = {});
    // Stores the settings of this run; a settings file that cannot be written is logged.
    ~job_session();
    job_session(const job_session&) = delete;
    job_session& operator=(const job_session&) = delete;

    job& work() noexcept { return work_; }
    const job& work() const noexcept { return work_; }
    last_run_settings& settings() noexcept { return settings_; }
    // Writes the settings file now; false when it could not be written.
    bool store_settings() const;

    // The Oracle client, loaded on first use so that a machine without it can still start
    // the program and edit settings. Throws when the client is missing.
    oracle_session& oracle();
    // Connects with the job's connection settings, replacing any earlier connection. A
    // failure propagates as the client's exception and leaves no connection.
    void connect();
    bool is_connected() const noexcept;
    // The tables of the connected schema, read again from the catalogue.
    const std::vector<std::string>& tables();
    // True when the source accepts the SELECT text; connects with the job's settings first
    // when there is no connection yet. Any failure is false (logged).
    bool test_query(const std::string& sql);

    // The whole job to a profile file; false when it could not be written.
    bool save_profile(const std::string& path) const;
    // Makes the profile's job this session's job (load_job_file); false when the file could
    // not be read whole, and then nothing is applied. Throws tk_exception for a missing file,
    // text that is not UTF-8, a query without a name or a log file that cannot be used.
    bool load_profile(const std::string& path, profile_notes* notes = nullptr);
    // check_job_destination for the job.
    void check_destination() const;

private:
    std::filesystem::path settings_path_;
    std::vector<std::string> library_candidates_;
    job work_;
    last_run_settings settings_;
    std::unique_ptr<oracle_session> oracle_;
};
