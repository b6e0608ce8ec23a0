// table_reader: the rows of one table or query, fetched in order until the source has no
// more; and table_source, what opens readers. The run sees only these two, so its tests
// can give it rows without a server.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/exception.h"
#include "values/cell_value.h"

// One column of a table or query as the server describes it.
struct column_info {
    std::string name;
    std::string type_name;     // the server's type: "VARCHAR2", "NUMBER", "LONG", "XMLTYPE" ...
    std::int32_t size = 0;     // characters for texts, bytes for the others, as described
    std::int32_t precision = 0;
    std::int32_t scale = 0;    // -127 with precision 0: a FLOAT or a NUMBER without scale
    bool is_nullable = true;
};

// A failure that cost one row: the reader can go on with the next row.
class row_error : public tk_exception {
public:
    using tk_exception::tk_exception;
};

class table_reader {
public:
    virtual ~table_reader() = default;

    // The columns of every row, in select-list order.
    virtual const std::vector<column_info>& columns() const noexcept = 0;
    // Fetches the next row into row, one value per column. The values view the reader's
    // buffers and stay valid until the next call. False when the source has no more rows:
    // that is the only end of an item. Throws row_error when only this row is lost, any
    // other tk_exception when reading cannot go on (the rows so far stay valid).
    virtual bool next_row(std::vector<cell_value>& row) = 0;
    // About how many rows the item has, for progress only; -1 when unknown. Never a limit:
    // rows are read until the source has no more.
    virtual std::int64_t estimated_rows() const noexcept = 0;
    // The columns of the item that no reader can fetch, each a sentence for the error list
    // naming the column, the item and the type. Empty for a reader that reads every column.
    virtual std::vector<std::string> left_out_columns() const { return {}; }
};

class table_source {
public:
    virtual ~table_source() = default;

    // The tables the user can select, as the catalogue lists them.
    virtual const std::vector<std::string>& tables() = 0;
    // A reader over a listed table (every readable column) or over a user's SELECT, whose
    // texts come in the form texts where the source can give it. Throws tk_exception naming
    // the server's error when the item cannot be opened.
    virtual std::unique_ptr<table_reader> open_table(const std::string& table, text_form texts) = 0;
    virtual std::unique_ptr<table_reader> open_query(const std::string& name, const std::string& sql,
                                                     text_form texts) = 0;
    // For another thread: breaks off the call under way, so a stop is felt within about
    // one round trip. Harmless between calls.
    virtual void break_calls() noexcept = 0;
    // Around a whole run: every item read between the two sees the data of one moment. A
    // source without transactions reads each item as it comes.
    virtual void begin_consistent_read() {}
    virtual void end_consistent_read() noexcept {}
};
