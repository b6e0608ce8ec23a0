// The program's job, its settings file and its Oracle connection.
#include "convert/job_session.h"

#include <filesystem>

#include "convert/destination_check.h"
#include "convert/job_profile.h"
#include "oracle/oracle_session.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"

job_session::job_session(std::filesystem::path settings_path, std::vector<std::string> library_candidates)
    : settings_path_(std::move(settings_path)), library_candidates_(std::move(library_candidates)) {
    load_last_run(settings_path_, work_, settings_);
}

job_session::~job_session() {
    try {
        store_settings();
    } catch (...) {
        // A destructor cannot report; the settings of this run are simply not kept.
    }
}

bool job_session::store_settings() const { return store_last_run(settings_path_, work_, settings_); }

oracle_session& job_session::oracle() {
    if (!oracle_) oracle_ = std::make_unique<oracle_session>(library_candidates_);
    return *oracle_;
}

void job_session::connect() {
    TK_LOG(2, "%s(%s)", __func__, work_.connection.service.c_str());
    oracle().connect(work_.connection);
}

bool job_session::is_connected() const noexcept { return oracle_ && oracle_->is_connected(); }

const std::vector<std::string>& job_session::tables() {
    TK_ASSERT(is_connected());
    return oracle().tables();
}

bool job_session::test_query(const std::string& sql) {
    TK_LOG(2, "%s(%s)", __func__, sql.c_str());
    try {
        if (!is_connected()) connect();
        oracle().check_query(sql);
        return true;
    } catch (const std::exception& error) {
        TK_LOG(3, "Query test failed: %s", error.what());
        return false;
    }
}

bool job_session::save_profile(const std::string& path) const { return save_job_file(work_, path); }

bool job_session::load_profile(const std::string& path, profile_notes* notes) {
    return load_job_file(path, work_, notes);
}

void job_session::check_destination() const { check_job_destination(work_); }
