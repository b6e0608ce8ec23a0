// Reading one SELECT in arrays of rows.
#include "oracle/oracle_table_reader.h"

#include <algorithm>
#include <utility>

#include "oracle/ora_exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

// The error of one lost row, keeping the server's code and text.
std::exception_ptr lost_row(const tk_exception& error) {
    row_error lost(error.message(), error.level());
    lost.set_code(error.code());
    return std::make_exception_ptr(lost);
}

}  // namespace

oracle_table_reader::oracle_table_reader(client_calls& calls, const std::string& sql, std::int64_t estimated_rows,
                                         text_form texts, const std::vector<std::string>& binds)
    : calls_(calls), estimated_rows_(estimated_rows) {
    TK_LOG(2, "%s(%s)", __func__, sql.c_str());
    if (sql.empty()) {
        server_done_ = true;
        return;
    }
    statement_.emplace(calls_);
    OCIStmt* statement = statement_->get();
    calls_.prepare(statement, sql);
    calls_.require_query(statement);
    for (const std::string& bind : binds) bind_values_.push_back(to_unicode(bind));
    for (std::size_t i = 0; i < bind_values_.size(); ++i)
        calls_.bind_text(statement, static_cast<ub4>(i + 1), bind_values_[i]);
    // The first batch travels with the execute.
    calls_.set_prefetch(statement, prefetch_rows, static_cast<ub4>(prefetch_bytes));
    // No iterations: the statement runs and is described; rows wait for the defines.
    calls_.execute(statement, 0, OCI_DEFAULT, true);
    describe_and_define(texts);
}

oracle_table_reader::~oracle_table_reader() = default;

void oracle_table_reader::describe_and_define(text_form texts) {
    OCIStmt* statement = statement_->get();
    const ub4 count = calls_.param_count(statement);
    std::size_t row_bytes = 0;
    for (ub4 position = 1; position <= count; ++position) {
        fetch_columns_.push_back(std::make_unique<fetch_column>(calls_, calls_.describe_column(statement, position), texts));
        columns_.push_back(fetch_columns_.back()->info());
        row_bytes += fetch_columns_.back()->row_bytes();
    }
    batch_rows_ = static_cast<ub4>(
        std::clamp<std::size_t>(fetch_batch_bytes / std::max<std::size_t>(row_bytes, 1), 1, fetch_batch_rows));
    TK_LOG(1, "%u columns of %zu bytes a row: %u rows a batch", count, row_bytes, batch_rows_);
    for (ub4 position = 1; position <= count; ++position)
        fetch_columns_[position - 1]->define(statement, position, batch_rows_);
}

std::vector<column_info> oracle_table_reader::unreadable_columns() const {
    std::vector<column_info> unreadable;
    for (const auto& column : fetch_columns_)
        if (column->kind() == fetch_kind::unsupported) unreadable.push_back(column->info());
    return unreadable;
}

bool oracle_table_reader::next_row(std::vector<cell_value>& row) {
    while (next_in_batch_ >= rows_in_batch_) {
        if (pending_error_) std::rethrow_exception(std::exchange(pending_error_, nullptr));
        if (server_done_) return false;
        fetch_batch();
    }
    const ub4 index = next_in_batch_++;  // a row that fails is passed over, not read again
    row.resize(fetch_columns_.size());
    try {
        for (std::size_t i = 0; i < fetch_columns_.size(); ++i) row[i] = fetch_columns_[i]->value(index);
    } catch (const ora_exception& error) {  // from a LOB read, a round trip of its own
        if (error.ends_the_cursor()) {
            server_done_ = true;
            rows_in_batch_ = 0;
            throw;
        }
        std::rethrow_exception(lost_row(error));
    }
    return true;
}

void oracle_table_reader::fetch_batch() {
    OCIStmt* statement = statement_->get();
    for (const auto& column : fetch_columns_) {
        column->free_unread_lobs();
        column->mark_unwritten();
    }
    next_in_batch_ = 0;
    rows_in_batch_ = 0;
    try {
        const sword status = calls_.fetch(statement, batch_rows_);
        rows_in_batch_ = calls_.rows_fetched(statement);
        if (status == OCI_NO_DATA || rows_in_batch_ == 0) server_done_ = true;
        for (const auto& column : fetch_columns_) column->take_batch(rows_in_batch_);
    } catch (const ora_exception& error) {
        // The rows placed before the failing one are delivered first; the client does not
        // say how many there are, but their slots are all written.
        rows_in_batch_ = rows_written_whole();
        for (const auto& column : fetch_columns_) column->take_batch(rows_in_batch_);
        TK_LOG(3, "%s: %u rows arrived before the error", __func__, rows_in_batch_);
        // A server that fails a fetch (ORA-01722 in a select-list expression, ORA-01555, a
        // lost connection) has closed the cursor: no row comes after the error.
        server_done_ = true;
        pending_error_ = std::current_exception();
    } catch (...) {
        server_done_ = true;
        throw;
    }
}

ub4 oracle_table_reader::rows_written_whole() const noexcept {
    const bool any_fetched = std::any_of(fetch_columns_.begin(), fetch_columns_.end(),
                                         [](const auto& column) { return column->kind() != fetch_kind::unsupported; });
    if (!any_fetched) return 0;
    ub4 rows = 0;
    while (rows < batch_rows_ &&
           std::all_of(fetch_columns_.begin(), fetch_columns_.end(),
                       [rows](const std::unique_ptr<fetch_column>& column) { return column->is_written(rows); }))
        ++rows;
    return rows;
}
