// Load Settings on the welcome page.
#include "wizard/welcome_model.h"

#include "convert/error_handler.h"
#include "convert/job_session.h"
#include "convert/user_interface.h"
#include "toolkit/log.h"
#include "wizard/wizard_pages.h"

file_filter profile_filter() {
    const std::string ext = profile_extension;
    return {"Profile Files (." + ext + ")", "*." + ext};
}

std::string profile_unreadable_text(const std::string& path) {
    return "The profile " + path + " could not be read: a line before its first [section] or a damaged line.";
}

bool load_profile_from_welcome_page(job_session& session, const std::string& path, user_interface& face,
                                    error_handler& handler) {
    TK_LOG(2, "%s(%s)", __func__, path.c_str());
    try {
        profile_notes notes;
        if (session.load_profile(path, &notes)) {
            for (const std::string& warning : notes.warnings) face.message("Warning: " + warning);
            return true;
        }
        face.error(profile_unreadable_text(path));
    } catch (const tk_exception& error) {
        handler.handle(error, true);
    } catch (const std::exception& error) {
        face.error(error.what());
    }
    return false;
}
