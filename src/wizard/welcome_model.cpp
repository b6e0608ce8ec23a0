// Load Settings on the welcome page.
#include "wizard/welcome_model.h"

#include "convert/error_handler.h"
#include "convert/sprandel_convertor.h"
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

bool load_profile_from_welcome_page(sprandel_convertor& converter, const std::string& path, user_interface& face) {
    TK_LOG(2, "welcome_page_t::on_load(%s)", path.c_str());
    try {
        if (converter.load_profile_file(path)) return true;
        face.error(profile_unreadable_text(path));
    } catch (const tk_exception& error) {
        error_handler::instance().handle(error, true);
    } catch (const std::exception& error) {
        face.error(error.what());
    }
    return false;
}
