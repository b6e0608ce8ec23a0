// Maps from source names to the names they were given in the destination: t_names_map for
// one list of names, udb_names_map for the tables of a database and their columns.
#pragma once

#include <map>
#include <string>
#include <string_view>

// Source name -> mapped name, ordered by the source name's bytes.
class t_names_map : public std::map<std::string, std::string> {
public:
    // The mapped name of the first pair (in map order) whose source equals name, exactly
    // when exact is set, else ignoring case; name itself when no pair matches.
    std::string get_mapped_name(std::string_view name, bool exact = false) const;
};

class udb_names_map {
public:
    // Records that a column of a source table became destination column.
    void add_fn_mapping(const std::string& source_table, const std::string& source_column,
                        const std::string& destination_column);
    // The destination name of a column of a source table, or the column's own name.
    std::string get_fn_mapped_name(std::string_view table, std::string_view column,
                                   bool exact = false) const;

    bool empty() const noexcept { return columns_.empty(); }

private:
    std::map<std::string, t_names_map> columns_;  // source table -> its columns
};
