// The query dialog's checks.
#include "wizard/query_rules.h"

#include "convert/job_session.h"
#include "convert/error_tables.h"
#include "convert/user_interface.h"
#include "toolkit/log.h"

std::string query_syntax_error_text() {
    return std::string("You have an error in your query syntax. Make sure that it is a correct SQL SELECT-statement. "
                       "Contact ") +
           support_address + " if the error persists.";
}

bool is_not_select(const std::string& text, std::string& trimmed) {
    trimmed = text;
    if (text.empty()) return false;
    const std::size_t first = text.find_first_not_of("\t\n\r ");
    if (first != std::string::npos) trimmed = text.substr(first);
    if (trimmed.size() < 6) return true;
    // Only these six characters count, in ASCII case folding: "SELECTX" passes, "WITH" does not.
    static constexpr char keyword[] = "SELECT";
    for (std::size_t i = 0; i < 6; ++i) {
        const char c = trimmed[i] >= 'a' && trimmed[i] <= 'z' ? static_cast<char>(trimmed[i] - 'a' + 'A') : trimmed[i];
        if (c != keyword[i]) return true;
    }
    return false;
}

bool accept_query_dialog(const std::string& name, std::string& query, user_interface& face) {
    TK_LOG(2, "%s", __func__);
    if (name.empty()) {
        face.message(empty_name_text);
        return false;
    }
    std::string trimmed;
    const bool refused = is_not_select(query, trimmed);
    query = trimmed;
    if (refused) {
        face.error(not_select_text);
        return false;
    }
    if (query.empty()) {
        face.error(empty_query_text);
        return false;
    }
    return true;
}

void test_query_text(const std::string& query, job_session& session, user_interface& face) {
    std::string trimmed;
    if (is_not_select(query, trimmed)) {
        face.error(not_select_text);
        return;
    }
    if (session.test_query(query)) face.message(query_correct_text);
    else face.error(query_syntax_error_text());
}
