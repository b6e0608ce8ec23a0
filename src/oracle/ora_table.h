// A recordset over one table or named query of the Oracle source, read with exactly the
// number of rows counted when it was opened.
#pragma once

#include <cstdint>
#include <string>

#include "oracle/ora_query_results.h"

class ora_table : public ora_query_results {
public:
    // Over a table: the SELECT keeps every readable column; sizes come from the catalogue.
    explicit ora_table(const std::string& name);
    // Over a query: the query's own columns.
    ora_table(const std::string& name, const std::string& sql);
    ~ora_table() override;

    bool is_eof() override;
    void next() override;

    // The SELECT that reads the table; lowers column_count by each column left out.
    std::string get_safe_select_query(std::int32_t& column_count);
    const std::string& select_text() const noexcept { return select_text_; }

private:
    void init_schema();
    std::int32_t get_columns_cnt();
    void apply_catalogue_details();

    std::int64_t position_ = 0;
    std::string select_text_;
};
