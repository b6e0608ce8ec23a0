// Page headers, help topics and the save dialog's extension rule.
#include "wizard/wizard_pages.h"

wizard_page_header page_header(wizard_page_id page) {
    switch (page) {
        case wizard_page_id::welcome: return {"", "", help_topic_welcome};
        case wizard_page_id::connection: return {"Step 1 of 4", "Connect to Oracle server", help_topic_connection};
        case wizard_page_id::settings: return {"Step 2 of 4", "Conversion settings", help_topic_settings};
        case wizard_page_id::table_selection: return {"Step 3 of 4", "Select tables", help_topic_table_selection};
        case wizard_page_id::progress:
            return {"Step 4 of 4", "Database converting is in progress", help_topic_whole_file};
        case wizard_page_id::finish: return {"", "", 0};
    }
    return {"", "", 0};
}

std::string wizard_title() { return "Sprandel 4.1"; }

std::string with_default_extension(const std::string& chosen, const std::string& extension) {
    if (chosen.empty() || extension.empty()) return chosen;
    const std::string dotted = extension.front() == '.' ? extension : "." + extension;
    // A plain substring test, as the file dialog has always done: a name that contains the
    // extension anywhere is taken as it is.
    if (chosen.find(dotted) != std::string::npos) return chosen;
    return chosen + dotted;
}
