// The query dialog's checks: a name, and a text that starts with SELECT.
#pragma once

#include <string>

class job_session;
class user_interface;

inline constexpr const char* query_dialog_title = "Add Query";
inline constexpr int query_name_limit = 2047;   // characters the name box takes
inline constexpr int query_text_limit = 9999;   // characters the query box takes
inline constexpr const char* not_select_text = "The query must start with SELECT.";
inline constexpr const char* empty_name_text = "Table name is empty!";
inline constexpr const char* empty_query_text = "Query is empty!";
inline constexpr const char* query_correct_text = "The query is correct.";
std::string query_syntax_error_text();

// True when text is not a SELECT: empty text is false; otherwise leading blanks, tabs and
// line breaks are skipped (trimmed receives the rest, or the text itself when it is all
// white space) and the first six characters must spell SELECT in any letter case.
bool is_not_select(const std::string& text, std::string& trimmed);

// OK: false, after telling the user, for an empty name, a text that is not a SELECT or an
// empty text. On true, query holds the text without its leading white space.
bool accept_query_dialog(const std::string& name, std::string& query, user_interface& face);

// Test Query: tells the user whether the source accepts the text as typed.
void test_query_text(const std::string& query, job_session& session, user_interface& face);
