// The recordset over a SELECT statement.
#include "oracle/ora_query_results.h"

#include "oracle/oci_calls.h"
#include "toolkit/log.h"

ora_record::~ora_record() = default;

void ora_record::fill(const std::vector<std::unique_ptr<ora_type>>& columns) {
    TK_LOG(1, "ora_record::ctor");
    if (size() != columns.size()) {
        clear();
        reserve(columns.size());
        for (const auto& column : columns) add_field(column->name(), column->size(), ole_variant());
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        udb_field& field = (*this)[i];
        if (columns[i]->is_null()) {
            TK_LOG(1, "Field #%zu has NULL value", i);
            field.clear();
        } else {
            columns[i]->to_variant(field.value());
        }
    }
}

ora_query_results::ora_query_results(std::string name, std::string query_text)
    : udb_recordset(std::move(name), std::move(query_text), true) {
    TK_LOG(2, "ora_query_results::ctor(2)");
}

ora_query_results::ora_query_results(std::int32_t column_count, const std::string& query_text)
    : udb_recordset(std::string(), true) {
    TK_LOG(2, "ora_query_results::ctor(1)");
    initialize(column_count, query_text);
}

ora_query_results::~ora_query_results() { TK_LOG(2, "ora_query_results::dtor"); }

void ora_query_results::initialize(std::int32_t column_count, const std::string& sql) {
    TK_LOG(2, "ora_query_results::initialize(%d, %s)", column_count, sql.c_str());
    TK_ASSERT(!initialized_);
    oci_calls& calls = oci_calls::instance();
    OCIStmt* statement = statement_.get();
    calls.prepare(statement, sql);
    calls.require_query(statement);
    // Rows come in batches with the execute and each later fetch, not one round trip each.
    calls.set_prefetch(statement, prefetch_rows, prefetch_memory);
    // No iterations: the statement is executed and described, and the rows wait for the
    // defines below, so it runs once.
    calls.execute(statement, 0, OCI_DEFAULT);
    const ub4 described = calls.param_count(statement);
    if (column_count != 0 && static_cast<ub4>(column_count) != described)
        TK_LOG(1, "expected %d columns, the statement has %u", column_count, described);
    column_count_ = static_cast<std::int32_t>(described);
    columns_.reserve(described);
    schema_.reserve(described);
    for (ub4 position = 1; position <= described; ++position) {
        TK_LOG(1, "Processing column #%u", position);
        columns_.push_back(gen_co_by_type(calls.describe_column(statement, position)));
        schema_.add(columns_.back()->get_ftd());
    }
    for (ub4 position = 1; position <= described; ++position) columns_[position - 1]->define(statement, position);
    initialized_ = true;
}

void ora_query_results::append_record(udb_record&) {
    TK_LOG(1, "ora_query_results::append_record");
    TK_FAIL();
}

bool ora_query_results::fetch_row() {
    fetched_ = true;
    at_end_ = oci_calls::instance().fetch(statement_.get()) == OCI_NO_DATA;
    return !at_end_;
}

bool ora_query_results::is_eof() {
    TK_LOG(1, "ora_query_results::is_eof");
    TK_ASSERT(initialized_);
    return !fetch_row();
}

udb_record* ora_query_results::get_item() {
    TK_LOG(1, "ora_query_results::get_item");
    TK_ASSERT(initialized_);
    if (!fetched_) {
        TK_LOG(1, "fetch wasn't called yet");
        fetch_row();
    }
    fetched_ = false;
    if (at_end_) {
        TK_LOG(1, "status == OCI_NO_DATA!");
        return nullptr;
    }
    record_.fill(columns_);
    return &record_;
}
