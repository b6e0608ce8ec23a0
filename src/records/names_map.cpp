// Maps from source names to the names they were given in the destination.
#include "records/names_map.h"

#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

bool names_match(std::string_view a, std::string_view b, bool exact) { return exact ? a == b : iequals(a, b); }

}  // namespace

std::string t_names_map::get_mapped_name(std::string_view name, bool exact) const {
    TK_LOG(1, "t_names_map::get_mapped_name(%.*s)", static_cast<int>(name.size()), name.data());
    for (const auto& [source, mapped] : *this) {
        if (names_match(source, name, exact)) {
            TK_LOG(1, "Got mapped name: %s", mapped.c_str());
            return mapped;
        }
    }
    return std::string(name);
}

void udb_names_map::add_fn_mapping(const std::string& source_table, const std::string& source_column,
                                   const std::string& destination_column) {
    columns_[source_table].emplace(source_column, destination_column);
}

std::string udb_names_map::get_fn_mapped_name(std::string_view table, std::string_view column, bool exact) const {
    TK_LOG(1, "udb_names_map::get_fn_mapped_name(%.*s,%.*s)", static_cast<int>(table.size()), table.data(),
           static_cast<int>(column.size()), column.data());
    for (const auto& [source, columns] : columns_) {
        if (names_match(source, table, exact)) return columns.get_mapped_name(column, exact);
    }
    TK_LOG(1, "Table '%.*s' not found", static_cast<int>(table.size()), table.data());
    return std::string(column);
}
