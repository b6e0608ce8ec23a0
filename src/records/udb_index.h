// udb_index, one index of a table, and udb_indexes, the indexes of one table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct udb_index {
    std::string name;
    bool b_unique = false;
    bool b_primary = false;  // a primary key has both flags set
    std::vector<std::string> fields;  // column names in index order

};

// Names are compared ignoring case throughout.
class udb_indexes : public std::vector<udb_index> {
public:
    using std::vector<udb_index>::vector;

    // The index of that name, or null.
    const udb_index* get_index(std::string_view name) const;
    // True when no index of that name is in the list yet.
    bool is_acceptable_name(std::string_view name) const { return get_index(name) == nullptr; }
};
