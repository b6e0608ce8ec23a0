// One select-list column of a reader: its fetch arrays (one slot per row of a batch), its
// define, and the conversion of each fetched value into a cell_value that views the arrays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "oracle/client_calls.h"
#include "oracle/table_reader.h"

// How a column is fetched and read back.
enum class fetch_kind {
    text,             // CHAR, VARCHAR2 and their national forms: UTF-16 or UTF-8 of the returned length
    number_text,      // NUMBER and FLOAT as Oracle's own text in UTF-8, scanned once
    integer,          // NUMBER(p, s <= 0) whose integers fit 18 digits: 8-byte integers
    boolean,          // BOOLEAN as the server's 1 or 0 in an 8-byte integer
    binary_float,     // the server's own 4-byte float
    binary_double,    // the server's own 8-byte double
    date,             // DATE in its 7-byte form
    timestamp,        // every TIMESTAMP kind through descriptors; a time zone is dropped
    character_lob,    // CLOB and NCLOB, read through locators
    binary_lob,       // BLOB: the locator tells that a value is there; its bytes are not read
    binary,           // RAW and LONG RAW: a one-byte slot tells that a value is there
    terminated_text,  // LONG, ROWID, intervals, XMLTYPE, JSON, VECTOR: UTF-16 up to a terminator
    unsupported,      // nothing reads it: the placeholder text in every row
};

// The text shown instead of a value nothing can read.
inline constexpr const char* unsupported_value_text = "<unsupported type>";
// A LONG (XMLTYPE, JSON, VECTOR) value is read whole up to this many characters; a longer one costs
// its row rather than arriving cut.
inline constexpr std::int32_t long_value_chars = 1'000'000;

// A LOB is read no further than the largest cell holds (Excel's 32,767 characters) and one
// unit more, so that a longer value still arrives longer than a cell and is reported as cut,
// and one more again for the second half of a character outside the Basic Multilingual Plane.
inline constexpr ub4 lob_read_units = 32'767 + 2;

class fetch_column {
public:
    // Texts of the database's character sets come as texts asks where a slot can hold them;
    // a NUMBER's text always comes as UTF-8.
    fetch_column(client_calls& calls, const described_column& column, text_form texts = text_form::utf16);
    ~fetch_column();
    fetch_column(const fetch_column&) = delete;
    fetch_column& operator=(const fetch_column&) = delete;

    const column_info& info() const noexcept { return info_; }
    fetch_kind kind() const noexcept { return kind_; }
    // The fetch memory one row of this column takes.
    std::size_t row_bytes() const noexcept;
    // Allocates slots for rows rows and binds them to the select-list position (from 1).
    void define(OCIStmt* statement, ub4 position, ub4 rows);
    // Marks every slot unwritten before a fetch, so a fetch that fails part-way shows which
    // rows arrived whole.
    void mark_unwritten() noexcept;
    bool is_written(ub4 row) const noexcept;
    // After a fetch: rows rows arrived; their temporary LOBs are freed as they are read.
    void take_batch(ub4 rows) noexcept;
    // Frees the temporary LOBs of rows that arrived but were never read (a row that failed on
    // another column, a reader that stopped early), so server space is not held for the run.
    void free_unread_lobs() noexcept;
    // The value of row (from 0) of the last batch; it views this column's buffers until the
    // next call. Throws row_error when this value cannot be read, ora_exception from a LOB read.
    cell_value value(ub4 row);

private:
    void allocate(ub4 rows);
    void check_return_code(ub4 row) const;
    cell_value number_value(std::string_view text);
    cell_value character_lob_value(ub4 row);
    void free_if_temporary(ub4 row);
    std::u16string_view valid_text(std::u16string_view text) const;
    std::string_view valid_text(std::string_view text) const;
    row_error invalid_text() const;

    client_calls& calls_;
    column_info info_;
    fetch_kind kind_;
    ub2 fetch_type_ = 0;          // the external type the define asks for
    std::size_t slot_units_ = 0;  // per row: UTF-16 units of text kinds, else bytes
    bool is_utf8_ = false;        // a text kind whose slots hold UTF-8 (in bytes_)
    bool holds_integers_ = false; // a NUMBER whose values are whole: texts become integers
    ub4 descriptor_type_ = 0;
    bool is_national_ = false;    // NCHAR, NVARCHAR2, NCLOB: read in the national form

    std::vector<sb2> indicators_;
    std::vector<ub2> lengths_;
    std::vector<ub2> return_codes_;
    std::vector<char16_t> texts_;
    std::vector<std::int64_t> integers_;
    std::vector<float> floats_;
    std::vector<double> doubles_;
    std::vector<ub1> bytes_;  // DATE, RAW and UTF-8 text slots
    std::vector<void*> descriptors_;  // owned: freed in the destructor
    std::vector<bool> lob_unread_;    // per row of the batch: a locator whose LOB may be temporary

    std::u16string lob_text_;  // the current row's CLOB
    char number_chars_[2 * 64 + 2] = {};  // the current row's NUMBER, normalised: room for a "0" before each point
};
