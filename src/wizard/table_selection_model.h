// The table selection page: the available and selected lists, their moves, the queries
// behind some of the names, and what Next hands the job.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

class job_session;
class user_interface;

inline constexpr const char* table_selection_intro_text = "Select Oracle tables to convert into MS Excel format.";
inline constexpr const char* available_label_text = "&Available tables:";
inline constexpr const char* selected_label_text = "&Selected tables:";
inline constexpr const char* no_tables_question = "There are no tables selected. Continue anyway?";
// Every table and query becomes a worksheet, and worksheet names do not tell letter case apart.
std::string duplicate_name_text(const std::string& name, const std::string& taken_by, bool taken_by_query);

class table_selection_model {
public:
    enum class list_id { available, selected };

    explicit table_selection_model(job_session& session) : session_(session) {}

    // Rebuilds both lists from the session: every table available, then the job's
    // selection and its defined queries applied.
    void page_init();

    // Both lists are kept in case-insensitive alphabetical order; the current item of each
    // is an index, -1 for none.
    const std::vector<std::string>& available() const noexcept { return available_; }
    const std::vector<std::string>& selected() const noexcept { return selected_; }
    int available_current() const noexcept { return available_current_; }
    int selected_current() const noexcept { return selected_current_; }
    void set_current(list_id list, int index);
    // The list that should have the keyboard focus after the last move.
    list_id focus() const noexcept { return focus_; }

    void add();         // "Add >" and a double-click in the available list
    void add_all();
    void remove();      // "< Remove"
    void remove_all();

    // Add Query after the dialog's OK: false, after telling the user, when a table or query
    // of either list has the name (letter case aside); the dialog then comes back.
    bool add_query(const std::string& name, const std::string& text, user_interface& face);
    // The query behind the current selected item, for editing; false for a table or when
    // nothing is current.
    bool current_query(std::string& name, std::string& text) const;
    // Edit's OK: the current item becomes the new name and text. False, after telling the
    // user, when another table or query of either list has the name (letter case aside).
    bool replace_current_query(const std::string& name, const std::string& text, user_interface& face);
    bool is_query_name(const std::string& name) const;

    // Next: asks when tables are available but none is selected (No: false), then gives the
    // job the selected tables, the selected queries and the unselected ones.
    bool on_next(user_interface& face);

    const std::map<std::string, std::string>& selected_queries() const noexcept { return selected_queries_; }
    const std::map<std::string, std::string>& unselected_queries() const noexcept { return unselected_queries_; }

private:
    void load_selection(const std::map<std::string, std::string>& selection);
    void load_available_queries(const std::map<std::string, std::string>& queries);
    void move_to_selected(std::size_t index);
    void move_to_available(std::size_t index);
    // False, after telling the user, when an item other than except has name in any case.
    bool is_name_free(const std::string& name, const std::string* except, user_interface& face) const;

    job_session& session_;
    std::vector<std::string> available_;
    std::vector<std::string> selected_;
    int available_current_ = -1;
    int selected_current_ = -1;
    list_id focus_ = list_id::available;
    std::map<std::string, std::string> selected_queries_;
    std::map<std::string, std::string> unselected_queries_;
};
