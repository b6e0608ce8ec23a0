// The preparation of a quick launch.
#include "wizard/quick_launch.h"

#include "convert/error_handler.h"
#include "convert/job_profile.h"
#include "convert/job_session.h"
#include "convert/user_interface.h"
#include "oracle/oracle_session.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "wizard/welcome_model.h"

namespace {

// The profile's own checks: everything before the network is touched.
// A profile run takes nothing from the settings file, so every value it needs must be there.
bool load_job(job_session& session, const std::string& profile, user_interface& face, const std::string& log_file) {
    profile_notes notes;
    if (!session.load_profile(profile, &notes)) {
        face.error(profile_unreadable_text(profile));
        return false;
    }
    if (!log_file.empty()) start_log_file(session.work(), log_file);
    for (const std::string& warning : notes.warnings) face.message("Warning: " + warning);
    if (session.work().destination.empty()) {
        face.error("The profile names no destination workbook (\"dest\" in [Generic settings]).");
        return false;
    }
    if (!session.work().has_selection()) {
        face.error("The profile selects no table and no query ([Selected Tables]).");
        return false;
    }
    if (!notes.missing.empty()) {
        face.error("The profile lacks " + notes.missing.front() +
                   ", which a run needs; a profile run takes every value from the profile.");
        return false;
    }
    return true;
}

bool connect(job_session& session, user_interface& face, error_handler& handler, const quick_launch_steps& steps) {
    if (steps.connect) return steps.connect();
    try {
        session.connect();
        // an expiring password: the run goes on, and the user hears of it in time
        if (!session.oracle().logon_warning().empty())
            face.message(logon_warning_lead + session.oracle().logon_warning());
        return true;
    } catch (const tk_exception& error) {
        handler.handle(error, true);
        return false;
    }
}

}  // namespace

quick_launch_status prepare_quick_launch(job_session& session, const std::string& profile, user_interface& face,
                                         error_handler& handler, const quick_launch_steps& steps) {
    const auto stopped = [&] { return steps.stop_requested && steps.stop_requested(); };
    try {
        if (!load_job(session, profile, face, steps.log_file)) return quick_launch_status::refused;
        TK_LOG(3, "QUICK LAUNCH: profile=%s", profile.c_str());
        session.check_destination();  // before the server is asked anything
        if (!connect(session, face, handler, steps)) {
            if (!stopped()) return quick_launch_status::connection_failed;
            throw tk_final_exception();
        }
        session.tables();
        if (stopped()) throw tk_final_exception();
        return quick_launch_status::ready;
    } catch (const std::exception& error) {
        // a stop may break off a call to the server, which then fails in any way
        if (stopped()) {
            face.message("Stopped before the conversion began; nothing was changed.");
            return quick_launch_status::interrupted;
        }
        if (const auto* known = dynamic_cast<const tk_exception*>(&error))
            handler.handle(*known, true);
        else
            face.error(error.what());
    }
    return quick_launch_status::refused;
}
