// The wizard's pages, their headers and help topics, and the file-dialog rules they share.
#pragma once

#include <string>

enum class wizard_page_id { welcome, connection, settings, table_selection, progress, finish };

// Help topics of the pages and dialogs that have help; 0 means the page has none.
inline constexpr int help_topic_connection = 1010;
inline constexpr int help_topic_settings = 1011;
inline constexpr int help_topic_welcome = 1012;
inline constexpr int help_topic_table_selection = 1014;
inline constexpr int help_topic_listener_errors = 1015;
inline constexpr int help_topic_query_dialog = 1025;
inline constexpr int help_topic_whole_file = -1;  // the progress page opens the whole help

struct wizard_page_header {
    const char* title;     // "Step 1 of 4"; empty on the exterior pages
    const char* subtitle;
    int help_topic;
};

wizard_page_header page_header(wizard_page_id page);

// "Sprandel 4.1": the wizard's title and the first word of every box caption.
std::string wizard_title();
inline constexpr const char* profile_extension = "spr";

// The name a save dialog returns: the default extension (with its ".") is appended unless
// the chosen name already contains it anywhere, so "job.spr.old" stays as it is.
std::string with_default_extension(const std::string& chosen, const std::string& extension);

// The text of the question that Cancel asks on every page.
inline constexpr const char* cancel_question = "Are you sure you want to exit the wizard?";
