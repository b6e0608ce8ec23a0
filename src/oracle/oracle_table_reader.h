// The reader over one SELECT, a table's or a user's: rows fetched in arrays, handed out one
// by one until the server has no more.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "oracle/client_calls.h"
#include "oracle/fetch_column.h"
#include "oracle/table_reader.h"

// Rows that one round trip brings (prefetched with the execute and with each fetch call that
// finds the client's buffer empty), and the memory they may take.
inline constexpr ub4 prefetch_rows = 1000;
inline constexpr std::size_t prefetch_bytes = 16 * 1024 * 1024;
// Rows handed over per fetch call, and the fetch memory a batch may take (a wide row gets
// fewer rows). Fewer rows than a round trip brings keep a batch in the processor's cache
// until its values are read: on a table of 20 columns that saved a tenth of the run's time.
inline constexpr ub4 fetch_batch_rows = 256;
inline constexpr std::size_t fetch_batch_bytes = prefetch_bytes;

class oracle_table_reader : public table_reader {
public:
    // Prepares, executes and describes sql, refusing a statement that is not a SELECT, and
    // binds one array per column. An empty sql is a table with no readable column: no rows.
    // Texts of the database's character sets come in the form texts. binds are the texts of
    // :1, :2 ... calls must outlive the reader.
    oracle_table_reader(client_calls& calls, const std::string& sql, std::int64_t estimated_rows,
                        text_form texts = text_form::utf16, const std::vector<std::string>& binds = {});
    ~oracle_table_reader() override;

    const std::vector<column_info>& columns() const noexcept override { return columns_; }
    bool next_row(std::vector<cell_value>& row) override;
    std::int64_t estimated_rows() const noexcept override { return estimated_rows_; }
    std::vector<std::string> left_out_columns() const override { return left_out_; }
    void set_left_out_columns(std::vector<std::string> notes) { left_out_ = std::move(notes); }
    // The columns of the select list no define can read (object types but XMLTYPE): their
    // cells show unsupported_value_text.
    std::vector<column_info> unreadable_columns() const;

    ub4 batch_rows() const noexcept { return batch_rows_; }

private:
    void describe_and_define(text_form texts);
    void fetch_batch();
    ub4 rows_written_whole() const noexcept;

    client_calls& calls_;
    // Columns before the statement: the statement, whose defines point into the columns'
    // arrays and descriptors, is freed first.
    std::vector<std::unique_ptr<fetch_column>> fetch_columns_;
    std::optional<statement_handle> statement_;
    std::vector<std::u16string> bind_values_;  // in place until the statement goes
    std::vector<column_info> columns_;
    std::int64_t estimated_rows_;
    std::vector<std::string> left_out_;
    ub4 batch_rows_ = fetch_batch_rows;
    ub4 rows_in_batch_ = 0;
    ub4 next_in_batch_ = 0;
    bool server_done_ = false;
    // An error of the last fetch, thrown once the rows that arrived before it are handed out.
    std::exception_ptr pending_error_;
};
