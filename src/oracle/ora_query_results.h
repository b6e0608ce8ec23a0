// The recordset over any SELECT statement: describes its columns, binds one column object to
// each, and fetches row by row into records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "oracle/ora_stmt.h"
#include "oracle/ora_type.h"
#include "records/udb_recordset.h"

// One fetched row; its fields are refilled in place for every row.
class ora_record : public udb_record {
public:
    ora_record() = default;
    ~ora_record() override;

    // Takes the values of the row just fetched; a NULL becomes VT_EMPTY.
    void fill(const std::vector<std::unique_ptr<ora_type>>& columns);
};

class ora_query_results : public udb_recordset {
public:
    // Rows the client fetches per round trip, and the memory it may use for them.
    static constexpr ub4 prefetch_rows = 1000;
    static constexpr ub4 prefetch_memory = 16 * 1024 * 1024;

    // The owner calls initialize later.
    ora_query_results(std::string name, std::string query_text);
    // Runs the query at once (column_count 0: as many as the statement has).
    ora_query_results(std::int32_t column_count, const std::string& query_text);
    ~ora_query_results() override;

    // Executes the statement, describes its columns, fills the schema and binds the buffers.
    void initialize(std::int32_t column_count, const std::string& sql);

    void append_record(udb_record& record) override;  // an internal assertion: nothing is written
    bool is_eof() override;                           // fetches the next row
    udb_record* get_item() override;

    bool is_initialized() const noexcept { return initialized_; }
    // The column objects, in select-list order.
    std::vector<std::unique_ptr<ora_type>>& columns() noexcept { return columns_; }

protected:
    // Fetches one row; false when there is none.
    bool fetch_row();

    bool fetched_ = false;  // a row was fetched and not yet handed out
    bool at_end_ = false;   // the last fetch found no row
    std::int32_t column_count_ = 0;
    bool initialized_ = false;
    ora_stmt statement_;
    std::vector<std::unique_ptr<ora_type>> columns_;
    ora_record record_;
};
