// The welcome page: its texts and Load Settings.
#pragma once

#include <string>

class error_handler;
class job_session;
class user_interface;

inline constexpr const char* welcome_title_text = "Welcome to Sprandel\nConversion Wizard\n";
inline constexpr const char* welcome_body_text =
    "This wizard helps you convert Oracle database into\nMS Excel spreadsheet. Click 'Next' to continue.";
inline constexpr const char* maker_name = "Quorvane";
inline constexpr const char* maker_notice = "Sprandel is made and supported by";
inline constexpr const char* maker_address = "https://quorvane.invalid/sprandel";

// The open dialog's filter for profiles: "Profile Files (.spr)" / "*.spr", then all files.
struct file_filter {
    std::string description;
    std::string pattern;
};
file_filter profile_filter();
inline constexpr const char* profile_dialog_title = "Select Profile File";

// The text shown when a profile exists but could not be read whole.
std::string profile_unreadable_text(const std::string& path);

// Loads a profile chosen on the welcome page. A failure is reported through the error
// handler and leaves the wizard usable; returns true when the whole profile was applied.
bool load_profile_from_welcome_page(job_session& session, const std::string& path, user_interface& face,
                                    error_handler& handler);
