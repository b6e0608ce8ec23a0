// Reading a table's primary key and indexes from the catalogue. The Excel destinations create
// their sheets without indexes, so the conversion run switches this off; it stays for any
// destination that can hold them.
#include "oracle/ora_database.h"
#include "oracle/oci_calls.h"
#include "oracle/ora_engine.h"
#include "oracle/ora_stmt.h"
#include "oracle/ora_table.h"
#include "toolkit/log.h"

namespace {

// Mode bits that, both set, ask for a table without its indexes.
constexpr int mode_no_indexes = 0x20 | 0x40;

std::int32_t count_of(const std::string& sql) {
    oci_calls& calls = oci_calls::instance();
    ora_stmt statement;
    calls.prepare(statement.get(), sql);
    sb4 count = 0;
    calls.define(statement.get(), 1, &count, sizeof count, SQLT_INT, nullptr, nullptr);
    TK_ASSERT(calls.execute(statement.get(), 1, OCI_DEFAULT) != OCI_NO_DATA);
    return count;
}

}  // namespace

void ora_table::init_indexes(int mode) {
    if ((mode & mode_no_indexes) == mode_no_indexes || ora_engine::instance().indexes_off()) {
        TK_LOG(1, "Indexes are OFF");
        return;
    }
    const std::string primary_key = read_primary_key();
    read_indexes(primary_key);
}

std::string ora_table::read_primary_key() {
    const bool all_scope = !ora_engine::instance().owned_by_user();
    const std::string name_literal = ora_engine::quote_literal(name_);
    const std::string count_sql =
        all_scope ? "SELECT count(*) FROM all_constraints WHERE concat(concat(owner,'.'),table_name)=" + name_literal +
                        " AND constraint_type='P'"
                  : "SELECT count(*) FROM user_constraints WHERE table_name=" + name_literal +
                        " AND constraint_type='P'";
    if (count_of(count_sql) == 0) {
        TK_LOG(1, "No Primary Key found");
        return {};
    }
    const std::string columns_sql =
        all_scope ? "SELECT a.constraint_name, a.column_name FROM all_cons_columns a, all_constraints b WHERE "
                    "concat(concat(a.owner,'.'),a.table_name)=" + name_literal +
                        " AND a.constraint_name=b.constraint_name AND b.constraint_type='P' ORDER BY "
                        "a.constraint_name, a.position"
                  : "SELECT a.constraint_name, a.column_name FROM user_cons_columns a, user_constraints b WHERE "
                    "a.table_name=" + name_literal +
                        " AND a.constraint_name=b.constraint_name AND b.constraint_type='P' ORDER BY "
                        "a.constraint_name, a.position";
    udb_index key;
    key.b_primary = key.b_unique = true;
    ora_query_results rows(2, columns_sql);
    while (!rows.is_eof()) {
        const udb_record* row = rows.get_item();
        if (row == nullptr) break;
        key.name = (*row)[0].to_string();
        const std::string column = (*row)[1].to_string();
        TK_LOG(1, "Got primary key '%s'", key.name.c_str());
        if (!schema_.find_field(column)) {
            TK_LOG(1, "PK field '%s' not found - skip it", column.c_str());
            continue;
        }
        key.fields.push_back(column);
    }
    if (!key.fields.empty()) add_index(key);
    return key.name;
}

void ora_table::read_indexes(const std::string& primary_key) {
    ora_engine& engine = ora_engine::instance();
    const bool all_scope = !engine.owned_by_user();
    const std::string name_literal = ora_engine::quote_literal(name_);
    std::string sql =
        all_scope ? "SELECT a.INDEX_NAME, a.UNIQUENESS, b.COLUMN_NAME FROM ALL_INDEXES a, ALL_IND_COLUMNS b WHERE "
                    "a.OWNER=b.INDEX_OWNER AND a.INDEX_NAME=b.INDEX_NAME AND "
                    "concat(concat(a.TABLE_OWNER,'.'),a.TABLE_NAME)=" + name_literal
                  : "SELECT a.INDEX_NAME, a.UNIQUENESS, b.COLUMN_NAME FROM USER_INDEXES a, USER_IND_COLUMNS b WHERE "
                    "a.INDEX_NAME=b.INDEX_NAME AND a.TABLE_NAME=" + name_literal;
    if (engine.get_version() >= ora_database::version_8) sql += " AND a.GENERATED='N'";
    sql += " ORDER BY a.INDEX_NAME, b.COLUMN_POSITION";
    ora_query_results rows(3, sql);
    udb_index index;
    auto flush = [&] {
        if (!index.name.empty() && !index.fields.empty()) add_index(index);
        index = udb_index();
    };
    while (!rows.is_eof()) {
        const udb_record* row = rows.get_item();
        if (row == nullptr) break;
        const std::string index_name = (*row)[0].to_string(), column = (*row)[2].to_string();
        if (index_name == primary_key) {
            TK_LOG(1, "Skip Primary Key DoubleInitialization");
            continue;
        }
        if (index_name != index.name) {
            flush();
            index.name = index_name;
            index.b_unique = (*row)[1].to_string() == "UNIQUE";
            TK_LOG(1, "Got index '%s' (unique=%d)", index.name.c_str(), index.b_unique ? 1 : 0);
        }
        if (!schema_.find_field(column)) {
            TK_LOG(1, "Index field '%s' not found - skip it", column.c_str());
            continue;
        }
        index.fields.push_back(column);
    }
    flush();
}
