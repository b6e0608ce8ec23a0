// The source database over the connected Oracle session: its tables, query checks,
// and recordsets over tables and queries.
#pragma once

#include <memory>
#include <string>

#include "records/udb_database.h"

class ora_database : public udb_database {
public:
    // Catalogue queries for the table list, by scope (own tables / every visible table) and
    // by server age (before 8.0.0 the catalogue has no TEMPORARY, NESTED or IOT_TYPE).
    static constexpr std::uint32_t version_8 = 0x80000;
    static std::string tables_query(bool owned_by_user, std::uint32_t version);

    // name is the connect string.
    ora_database(std::string name, std::int32_t engine_word);
    ~ora_database() override;

    // Reads the table list again from the catalogue.
    std::vector<std::string>& get_tables() override;
    // A recordset over a listed table, or over a query; owned by the caller.
    std::unique_ptr<udb_recordset> get_table(const std::string& table, int mode) override;
    std::unique_ptr<udb_recordset> get_query(const std::string& name, const std::string& sql, int mode) override;
    // True when the server parses and describes the statement; a server error leaves as
    // ora_exception with the server's message; a statement that is not a SELECT throws
    // tk_exception with ora_not_a_query_text. The statement is not run.
    bool test_query(const std::string& sql) override;
    // The system only reads Oracle: creating a table there is an internal error.
    std::unique_ptr<udb_recordset> create_table(const std::string& name, const udb_schema& schema,
                                                udb_indexes& indexes) override;

private:
    void init_tables(bool owned_by_user);
};
