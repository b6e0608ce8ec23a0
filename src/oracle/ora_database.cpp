// The Oracle source database: table list, query checks and recordsets.
#include "oracle/ora_database.h"

#include "oracle/oci_calls.h"
#include "oracle/ora_engine.h"
#include "oracle/ora_query_results.h"
#include "oracle/ora_stmt.h"
#include "oracle/ora_table.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

// Owner and table names are at most 128 characters.
constexpr std::size_t catalogue_name_units = 256;

std::string buffer_text(const std::u16string& buffer) {
    return to_utf8(std::u16string_view(buffer.data(), buffer.find(u'\0')));
}

}  // namespace

std::string ora_database::tables_query(bool owned_by_user, std::uint32_t version) {
    // The condition has no parentheses on purpose: the server's precedence makes it
    // "(not temporary and not nested and not index-organised) or IOT".
    if (owned_by_user) {
        return version < version_8 ? "select TABLE_NAME from user_tables"
                                   : "select TABLE_NAME, IOT_TYPE from user_tables where TEMPORARY='N' and "
                                     "NESTED='NO' and IOT_TYPE IS NULL OR IOT_TYPE='IOT'";
    }
    return version < version_8 ? "select OWNER, TABLE_NAME from all_tables"
                               : "select OWNER, TABLE_NAME, IOT_TYPE from all_tables where TEMPORARY='N' and "
                                 "NESTED='NO' and IOT_TYPE IS NULL OR IOT_TYPE='IOT'";
}

ora_database::ora_database(std::string name, std::int32_t engine_word)
    : udb_database(std::move(name), engine_word, true) {
    TK_LOG(2, "ora_database::ctor(%s)", name_.c_str());
}

ora_database::~ora_database() { TK_LOG(2, "ora_database::dtor"); }

std::vector<std::string>& ora_database::get_tables() {
    TK_LOG(2, "ora_database::get_tables");
    tables_.clear();
    init_tables(ora_engine::instance().owned_by_user());
    return tables_;
}

void ora_database::init_tables(bool owned_by_user) {
    TK_LOG(2, "ora_database::init_tables(b_owned_by_user=%d)", owned_by_user ? 1 : 0);
    ora_engine& engine = ora_engine::instance();
    oci_calls& calls = oci_calls::instance();
    ora_stmt statement;
    calls.prepare(statement.get(), tables_query(owned_by_user, engine.get_version()));
    calls.set_prefetch(statement.get(), ora_query_results::prefetch_rows, ora_query_results::prefetch_memory);
    std::u16string owner(catalogue_name_units, u'\0');
    std::u16string table(catalogue_name_units, u'\0');
    sb2 owner_indicator = 0, table_indicator = 0;
    if (!owned_by_user)
        calls.define(statement.get(), 1, owner.data(), static_cast<sb4>(owner.size() * 2), SQLT_STR, &owner_indicator,
                     nullptr);
    calls.define(statement.get(), owned_by_user ? 1 : 2, table.data(), static_cast<sb4>(table.size() * 2), SQLT_STR,
                 &table_indicator, nullptr);
    // One iteration fetches the first row with the execute.
    sword status = calls.execute(statement.get(), 1, OCI_DEFAULT);
    while (status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO) {
        if (owned_by_user) {
            tables_.push_back(buffer_text(table));
            TK_LOG(1, "Find table '%s'", tables_.back().c_str());
        } else {
            tables_.push_back(buffer_text(owner) + "." + buffer_text(table));
            TK_LOG(1, "Find table '%s'", tables_.back().c_str());
        }
        status = calls.fetch(statement.get());
    }
    TK_LOG(1, "Tables count: %zu", tables_.size());
}

std::unique_ptr<udb_recordset> ora_database::get_table(const std::string& table, int /*mode*/) {
    TK_LOG(2, "ora_database::get_table(%s)", table.c_str());
    TK_ASSERT(is_table_exist(table));
    return std::make_unique<ora_table>(table);
}

std::unique_ptr<udb_recordset> ora_database::get_query(const std::string& name, const std::string& sql, int /*mode*/) {
    TK_LOG(2, "ora_database::get_query(%s)", name.c_str());
    return std::make_unique<ora_table>(name, sql);
}

bool ora_database::test_query(const std::string& sql) {
    TK_LOG(2, "ora_database::test_query(%s)", sql.c_str());
    oci_calls& calls = oci_calls::instance();
    ora_stmt statement;
    calls.prepare(statement.get(), sql);
    // A user's text is only ever read: anything but a query stops before the server sees it.
    calls.require_query(statement.get());
    calls.execute(statement.get(), 1, OCI_DESCRIBE_ONLY);
    return true;
}

std::unique_ptr<udb_recordset> ora_database::create_table(const std::string&, const udb_schema&, udb_indexes&) {
    TK_FAIL();
}
