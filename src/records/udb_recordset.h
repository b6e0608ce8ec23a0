// udb_recordset: the base of every row source (a table or query being read) and row sink
// (a worksheet being written).
#pragma once

#include <cstdint>
#include <string>

#include "records/udb_index.h"
#include "records/udb_record.h"
#include "records/udb_schema.h"

// A read goes move_first, then is_eof / get_item / next until is_eof is true or get_item
// gives null. A write goes append_record per row, then save.
class udb_recordset {
public:
    udb_recordset(std::string name, std::string query_text, bool schema_flag);
    udb_recordset(std::string name, bool schema_flag);
    udb_recordset(const udb_recordset&) = delete;
    udb_recordset& operator=(const udb_recordset&) = delete;
    virtual ~udb_recordset();

    // Writes one row.
    virtual void append_record(udb_record& record) = 0;
    // Completes what was written; true on success. The base has nothing to save.
    virtual bool save();
    // The current row, owned by the recordset and valid until the next get_item or the
    // recordset's end; null when there is none. The base has no rows.
    virtual udb_record* get_item();
    // True when the read is past the last row. The base has no rows.
    virtual bool is_eof();
    // True when the recordset was defined by a query text.
    virtual bool is_query() const;
    // Moves to the next row; the base does nothing.
    virtual void next();
    // Called once before the first is_eof of a read; the base does nothing.
    virtual void move_first();

    const std::string& name() const noexcept { return name_; }
    const std::string& query_text() const noexcept { return query_text_; }
    udb_schema& schema() noexcept { return schema_; }
    const udb_schema& schema() const noexcept { return schema_; }
    // Number of rows, as the concrete class counts it when opened (0 until then).
    // 64-bit: a table may hold more rows than a 4-byte integer counts.
    std::int64_t records_count() const noexcept { return records_count_; }
    void set_records_count(std::int64_t count) noexcept { records_count_ = count; }

protected:
    std::string query_text_;
    std::string name_;
    udb_schema schema_;
    std::int64_t records_count_ = 0;
};
