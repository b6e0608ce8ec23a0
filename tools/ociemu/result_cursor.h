// A SQLite statement seen as an Oracle cursor: describe, rows in batches, commands.
#pragma once

#include "handles.h"
#include "sql_statement.h"

#include <deque>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace ociemu {

class result_cursor {
public:
    // Compiles the statement and binds its placeholders; SQLite's complaints become the Oracle
    // errors a server raises, a placeholder without a value ORA-01008.
    result_cursor(sqlite3* db, const analysed_statement& statement, const std::vector<bound_value>& binds = {});
    ~result_cursor();
    result_cursor(const result_cursor&) = delete;
    result_cursor& operator=(const result_cursor&) = delete;

    // The select list as a server describes it.
    std::vector<column_description> describe() const;

    // Appends up to `count` rows; true when the result has no more rows.
    bool read(std::size_t count, std::deque<row>& out);

    // Runs a statement that returns no rows; returns the number of rows it changed.
    long long run_command();

private:
    oracle_type expression_type(const select_item& item) const;

    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
    analysed_statement analysis_;
};

}  // namespace ociemu
