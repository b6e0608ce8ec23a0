// item_copy: the rows of one table or query, from its reader into its sheet (and on into
// part workbooks when it outgrows one sheet and splitting is on).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "excel/workbook_format.h"
#include "values/cell_value.h"

class error_handler;
class run_progress;
class table_reader;
class tk_exception;
class tk_thread_functor;
class user_interface;
class workbook_set;

// What became of one item's rows.
struct item_outcome {
    std::int64_t expected = 0;  // the reader's estimate when the item was opened; -1 unknown
    std::int64_t read = 0;      // rows fetched or attempted
    std::int64_t written = 0;   // rows in the workbook
    std::int64_t failed = 0;    // rows reported and left out
    std::string cut_short;      // why reading ended before the last row; empty when it did not
};

// The item's line in the log: converted (with the rows left out counted), or not complete.
std::string outcome_line(const std::string& name, const item_outcome& outcome);

// An error of the source that costs the row or the item, not the run. Internal errors keep
// their level.
tk_exception source_error(const tk_exception& error);
// Stops the item quietly (tk_final_exception) when the run was asked to stop.
void check_stop(const tk_thread_functor& run);
// True when the error says the connection to the server is gone: no later item can be read.
bool is_connection_lost(const tk_exception& error) noexcept;
// What the error list says when the run stops for a lost connection.
inline constexpr const char* connection_lost_text =
    "The connection to the server was lost; the items finished before it are kept.";

struct item_copy_settings {
    workbook_format format;
    bool split_data;
};

class item_copy {
public:
    item_copy(const item_copy_settings& settings, workbook_set& books, run_progress& progress, error_handler& handler,
              const tk_thread_functor& run);

    // An item ended because the connection was lost: the run cannot go on.
    bool has_lost_connection() const noexcept { return connection_lost_; }

    // Writes the item's sheet: header, then every row the reader gives, values by
    // position, the first `columns` of each. Rows that fail are reported and counted; a
    // source that stops answering ends the item as cut short. Texts cut to the cell and
    // rows beyond a sheet are reported once per column and once per item. outcome is
    // complete also when copy throws (a stop, or an error that ended the item), so the
    // caller can report it.
    void copy(table_reader& reader, const std::string& name, const std::string& sheet_name,
              std::span<const std::string> header, std::size_t columns, item_outcome& outcome);

private:
    enum class fetch_result { row, row_failed, end };
    fetch_result fetch(table_reader& reader, const std::string& name, item_outcome& outcome);
    void report_row(const std::string& name, const tk_exception& error);
    void start_sheet(int part, const std::string& sheet_name, std::span<const std::string> header);
    void add_cut_texts(int part);
    void report_cut_texts(const std::string& name, std::span<const std::string> header);

    item_copy_settings settings_;
    const format_limits& limits_;
    workbook_set& books_;
    run_progress& progress_;
    error_handler& handler_;
    const tk_thread_functor& run_;
    std::vector<cell_value> row_;
    std::vector<std::uint64_t> cut_texts_;
    bool connection_lost_ = false;
};
