// udb_database and udb_engine: the defaults every database and engine starts from.
#include "records/udb_database.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

udb_database::udb_database(std::string name, std::int32_t engine, bool case_sensitive)
    : engine_(engine), name_(std::move(name)), case_sensitive_(case_sensitive) {
    TK_LOG(2, "udb_database::ctor(%s)", name_.c_str());
}

udb_database::~udb_database() { TK_LOG(2, "udb_database::dtor"); }

void udb_database::create_index(const std::string&, const udb_index&) {}

void udb_database::create_indexes(const std::string& table, const udb_indexes& indexes) {
    TK_LOG(2, "udb_database::create_indexes(%s)", table.c_str());
    for (const udb_index& index : indexes) create_index(table, index);
}

void udb_database::create_views(const views_map&) {}

bool udb_database::names_equal(std::string_view a, std::string_view b) const {
    return case_sensitive_ ? a == b : iequals(a, b);
}

bool udb_database::delete_tab(std::string_view table) {
    TK_LOG(2, "udb_database::delete_tab(%.*s)", static_cast<int>(table.size()), table.data());
    const auto found = std::find_if(tables_.begin(), tables_.end(),
                                    [&](const std::string& name) { return names_equal(name, table); });
    if (found == tables_.end()) {
        TK_LOG(1, "Table not found!");
        return false;
    }
    tables_.erase(found);
    return true;
}

void udb_database::clear_names(std::vector<std::string>& names) { names.clear(); }

void udb_database::query(const std::string& sql) {
    TK_LOG(2, "udb_database::query(%s)", sql.c_str());
    TK_FAIL();  // only a database that runs statements offers this
}

void udb_database::create_relationships(const std::vector<udb_relationship>&) {}

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

void udb_engine::delete_db(const std::string& path) {
    TK_LOG(2, "udb_engine::delete_db(%s)", path.c_str());
    if (std::remove(path.c_str()) != 0) {
        const int error = errno;
        throw tk_exception_ex(error, "Cannot delete " + path + ": ", tk_level_serious);
    }
}

bool udb_engine::is_db_exist(const std::string& path) {
    TK_LOG(1, "tk_is_file_exist(%s)", path.c_str());
    if (tk_is_file_exist(path)) return true;
    TK_LOG(1, "File not exists!");
    return false;
}

int udb_engine::set_mode(int mode) {
    mode_ = mode;
    return mode_;
}
