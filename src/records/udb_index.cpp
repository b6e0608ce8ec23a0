// udb_index and udb_indexes: the indexes of a table, looked up by name or column.
#include "records/udb_index.h"

#include "toolkit/log.h"
#include "toolkit/text.h"

const udb_index* udb_indexes::get_index(std::string_view name) const {
    for (const udb_index& index : *this) {
        if (iequals(index.name, name)) return &index;
    }
    return nullptr;
}
