// The table selection page's lists and moves.
#include "wizard/table_selection_model.h"

#include <algorithm>

#include "convert/job_session.h"
#include "convert/user_interface.h"
#include "toolkit/log.h"

namespace {

char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool ascii_iequals(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ascii_upper(x) == ascii_upper(y); });
}

// The lists' order: alphabetical without regard to letter case, then by code unit so the
// order is total and stable.
bool list_order(const std::string& a, const std::string& b) {
    const auto less = [](char x, char y) {
        return static_cast<unsigned char>(ascii_upper(x)) < static_cast<unsigned char>(ascii_upper(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less)) return false;
    return a < b;
}

void insert_sorted(std::vector<std::string>& list, const std::string& name) {
    list.insert(std::upper_bound(list.begin(), list.end(), name, list_order), name);
}

bool contains_ignoring_case(const std::vector<std::string>& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(), [&](const std::string& item) { return ascii_iequals(item, name); });
}

// The item at the same position after a removal, or the last one; -1 for an empty list.
int same_or_last(int position, const std::vector<std::string>& list) {
    if (list.empty()) return -1;
    return std::min(position, static_cast<int>(list.size()) - 1);
}

}  // namespace

void table_selection_model::page_init() {
    TK_LOG(2, "%s", __func__);
    available_.clear();
    selected_.clear();
    selected_queries_.clear();
    unselected_queries_.clear();
    for (const std::string& table : session_.tables()) insert_sorted(available_, table);
    available_current_ = available_.empty() ? -1 : 0;
    selected_current_ = -1;
    focus_ = list_id::available;
    // A loaded profile names its tables in the list and in the selection; the page's own
    // Next leaves only the list.
    std::map<std::string, std::string> selection = session_.work().selected;
    for (const std::string& table : session_.work().tables) selection.emplace(table, std::string());
    load_selection(selection);
    load_available_queries(session_.work().available_queries);
}

void table_selection_model::load_selection(const std::map<std::string, std::string>& selection) {
    for (const auto& [name, text] : selection) {
        if (!text.empty() && !contains_ignoring_case(available_, name) && !contains_ignoring_case(selected_, name)) {
            insert_sorted(selected_, name);
            selected_queries_.emplace(name, text);
            continue;
        }
        const auto found = std::find(available_.begin(), available_.end(), name);
        if (found != available_.end()) move_to_selected(static_cast<std::size_t>(found - available_.begin()));
    }
    available_current_ = available_.empty() ? -1 : 0;
}

void table_selection_model::load_available_queries(const std::map<std::string, std::string>& queries) {
    unselected_queries_ = queries;
    for (const auto& [name, text] : queries)
        if (!text.empty() && !contains_ignoring_case(available_, name)) insert_sorted(available_, name);
    available_current_ = available_.empty() ? -1 : 0;
}

void table_selection_model::set_current(list_id list, int index) {
    const auto& items = list == list_id::available ? available_ : selected_;
    const int current = index >= 0 && index < static_cast<int>(items.size()) ? index : -1;
    (list == list_id::available ? available_current_ : selected_current_) = current;
}

bool table_selection_model::is_query_name(const std::string& name) const {
    return selected_queries_.count(name) != 0 || unselected_queries_.count(name) != 0;
}

void table_selection_model::move_to_selected(std::size_t index) {
    const std::string name = available_[index];
    insert_sorted(selected_, name);
    available_.erase(available_.begin() + static_cast<std::ptrdiff_t>(index));
    if (selected_queries_.count(name) != 0) return;
    const auto query = unselected_queries_.find(name);
    if (query == unselected_queries_.end()) return;  // a table
    TK_LOG(1, "Adding pair: '%s','%s'", name.c_str(), query->second.c_str());
    selected_queries_.insert(*query);
    unselected_queries_.erase(query);
}

void table_selection_model::move_to_available(std::size_t index) {
    const std::string name = selected_[index];
    insert_sorted(available_, name);
    selected_.erase(selected_.begin() + static_cast<std::ptrdiff_t>(index));
    const auto query = selected_queries_.find(name);
    if (query == selected_queries_.end()) return;
    unselected_queries_.insert(*query);
    selected_queries_.erase(query);
}

void table_selection_model::add() {
    TK_LOG(2, "%s", __func__);
    const int position = available_current_;
    if (position >= 0) move_to_selected(static_cast<std::size_t>(position));
    if (!available_.empty()) {
        available_current_ = same_or_last(std::max(position, 0), available_);
        return;
    }
    available_current_ = -1;
    focus_ = list_id::selected;
    selected_current_ = selected_.empty() ? -1 : 0;
}

void table_selection_model::add_all() {
    TK_LOG(2, "%s", __func__);
    while (!available_.empty()) move_to_selected(0);
    available_current_ = -1;
    focus_ = list_id::selected;
    selected_current_ = selected_.empty() ? -1 : 0;
}

void table_selection_model::remove() {
    TK_LOG(2, "%s", __func__);
    const int position = selected_current_;
    if (position >= 0) move_to_available(static_cast<std::size_t>(position));
    if (!selected_.empty()) {
        selected_current_ = same_or_last(std::max(position, 0), selected_);
        return;
    }
    selected_current_ = -1;
    focus_ = list_id::available;
    available_current_ = available_.empty() ? -1 : 0;
}

void table_selection_model::remove_all() {
    TK_LOG(2, "%s", __func__);
    while (!selected_.empty()) move_to_available(0);
    selected_current_ = -1;
    focus_ = list_id::available;
    available_current_ = available_.empty() ? -1 : 0;
}

std::string duplicate_name_text(const std::string& name, const std::string& taken_by, bool taken_by_query) {
    return "The name \"" + name + "\" is taken by the " + (taken_by_query ? "query" : "table") + " \"" + taken_by +
           "\": each table and query becomes a worksheet, and worksheet names do not differ by letter case. "
           "Try another name.";
}

bool table_selection_model::is_name_free(const std::string& name, const std::string* except,
                                         user_interface& face) const {
    for (const auto* list : {&selected_, &available_})
        for (const std::string& item : *list)
            if ((except == nullptr || item != *except) && ascii_iequals(item, name)) {
                face.message(duplicate_name_text(name, item, is_query_name(item)));
                return false;
            }
    return true;
}

bool table_selection_model::add_query(const std::string& name, const std::string& text, user_interface& face) {
    TK_LOG(2, "%s", __func__);
    if (!is_name_free(name, nullptr, face)) return false;
    insert_sorted(selected_, name);
    selected_queries_.emplace(name, text);
    return true;
}

bool table_selection_model::current_query(std::string& name, std::string& text) const {
    TK_LOG(2, "%s", __func__);
    if (selected_current_ < 0) {
        TK_LOG(1, "Nothing is selected!");
        return false;
    }
    name = selected_[static_cast<std::size_t>(selected_current_)];
    const auto query = selected_queries_.find(name);
    if (query == selected_queries_.end()) {
        TK_LOG(1, "It's not a query, show type mapping");
        return false;
    }
    text = query->second;
    return true;
}

bool table_selection_model::replace_current_query(const std::string& name, const std::string& text,
                                                  user_interface& face) {
    if (selected_current_ < 0) return true;
    const auto position = static_cast<std::size_t>(selected_current_);
    if (!is_name_free(name, &selected_[position], face)) return false;
    selected_queries_.erase(selected_[position]);
    selected_queries_.emplace(name, text);
    selected_.erase(selected_.begin() + static_cast<std::ptrdiff_t>(position));
    insert_sorted(selected_, name);
    selected_current_ = static_cast<int>(std::find(selected_.begin(), selected_.end(), name) - selected_.begin());
    return true;
}

bool table_selection_model::on_next(user_interface& face) {
    if (!available_.empty() && selected_.empty() && !face.question(no_tables_question)) return false;
    std::vector<std::string> tables;
    for (const std::string& name : selected_)
        if (!is_query_name(name)) tables.push_back(name);
    session_.work().tables = std::move(tables);
    session_.work().selected = selected_queries_;
    session_.work().available_queries = unselected_queries_;
    return true;
}
