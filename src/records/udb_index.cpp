// udb_index and udb_indexes: the indexes of a table, looked up by name or column.
#include "records/udb_index.h"

#include "toolkit/log.h"
#include "toolkit/text.h"

bool udb_index::starts_with_fields(const std::vector<std::string>& names) const {
    if (names.size() > fields.size()) return false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!iequals(fields[i], names[i])) {
            TK_LOG(1, "Field '%s' not found", names[i].c_str());
            return false;
        }
    }
    TK_LOG(1, "starts_with_fields returns true");
    return true;
}

bool udb_index::has_field(std::string_view name) const {
    for (const std::string& field : fields) {
        if (iequals(field, name)) return true;
    }
    return false;
}

const udb_index* udb_indexes::get_index(std::string_view name) const {
    for (const udb_index& index : *this) {
        if (iequals(index.name, name)) return &index;
    }
    return nullptr;
}
