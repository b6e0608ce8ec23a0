// udb_database: the defaults every database starts from.
#include "records/udb_database.h"

#include <algorithm>
#include <utility>

#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

udb_database::udb_database(std::string name, std::int32_t engine, bool case_sensitive)
    : engine_(engine), name_(std::move(name)), case_sensitive_(case_sensitive) {
    TK_LOG(2, "udb_database::ctor(%s)", name_.c_str());
}

udb_database::~udb_database() { TK_LOG(2, "udb_database::dtor"); }

bool udb_database::names_equal(std::string_view a, std::string_view b) const {
    return case_sensitive_ ? a == b : iequals(a, b);
}

std::vector<std::string>& udb_database::get_tables() { return tables_; }

bool udb_database::is_table_exist(std::string_view table) const {
    TK_LOG(2, "udb_database::is_table_exist(%.*s,case_sensitive=%d)", static_cast<int>(table.size()), table.data(),
           case_sensitive_ ? 1 : 0);
    for (const std::string& name : tables_) {
        TK_LOG(1, "Compare with %s", name.c_str());
        if (names_equal(name, table)) {
            TK_LOG(1, "table exists");
            return true;
        }
    }
    TK_LOG(1, "table not found");
    return false;
}
