// The destination side of one run: the main workbook and, when a table outgrows a sheet and
// "split data" is set, the part workbooks name(1).ext, name(2).ext ... beside it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "records/udb_database.h"

class dao_engine;
class xls_engine;

// Opens workbooks of one format and puts them in place at the end of the run. Every
// workbook is written under a temporary name in the destination's folder; the earlier
// destination and its part workbooks stay untouched until publish() renames the new ones
// over them, so a run that fails or dies changes nothing at the destination.
class run_workbooks {
public:
    // format_version 0/1: .xls through the driver engine; 2: .xlsx. Removes the temporary
    // files that dead runs left in the destination's folder.
    run_workbooks(std::string destination, int format_version, const xls_engine& format,
                  dao_engine* driver, bool wrap_text);
    // Removes every file not published.
    ~run_workbooks();
    run_workbooks(const run_workbooks&) = delete;
    run_workbooks& operator=(const run_workbooks&) = delete;

    // The main workbook (part 0) or part n >= 1, opened when first asked for.
    udb_database& workbook(int part);
    // Completes the sheet just filled (the .xlsx sheets are finished one by one).
    void finish_sheet(int part, udb_recordset& sheet);
    // Writes every open workbook, still under its temporary name; throws for the first that
    // cannot be written, after trying the others. Returns the temporary files, main first.
    std::vector<std::string> complete_all();
    // Renames the completed workbooks over their destinations, parts first and the main
    // workbook last, then removes the part workbooks of an earlier run of this destination
    // that this run did not write again (only files marked as such). Returns the paths
    // written, main workbook first.
    std::vector<std::string> publish();
    // Leaves the sheet of that name out of every open .xls workbook (an .xlsx sheet streams
    // into its package, and a stopped package is not saved anyway).
    void drop_sheet(const std::string& sheet_name) noexcept;
    // Writes nothing at all: after an internal error no workbook of the run may appear.
    void abandon_all() noexcept;

    // Part n's path: the destination's file name followed by "(n)", same folder and extension.
    static std::string part_path(const std::string& destination, int part);
    // The origin mark of part n of destination: it names the program, the destination's file
    // name and the part, so only this destination's own parts are ever recognised.
    static std::string origin_mark(const std::string& destination, int part);

private:
    struct staged_workbook {
        std::string temporary;  // created empty when opened; the writer fills it
        std::unique_ptr<udb_database> book;
        bool is_complete = false;
    };
    std::unique_ptr<udb_database> open(const std::string& path, int part);
    void remove_earlier_parts(int first_part) const noexcept;

    std::string destination_;
    bool is_xlsx_;  // else .xls through the driver
    const xls_engine& format_;
    dao_engine* driver_;
    bool wrap_text_;
    std::vector<staged_workbook> books_;  // index = part number
};

// What became of one table or query's rows.
struct table_outcome {
    std::int64_t expected = 0;  // the source's count when the item was opened
    std::int64_t read = 0;      // rows fetched or attempted
    std::int64_t written = 0;   // rows in the workbook
    std::int64_t failed = 0;    // rows reported and left out
    std::string cut_short;      // why reading ended before the last row; empty when it did not
};

// The text a cell of the given format can hold: line breaks made "\n" alone, then cut to
// 254 (Excel 5.0) or 32766 UTF-16 units, never inside a character. cut tells whether the
// text was shortened.
std::string normalize_cell_text(std::string_view text, bool excel_50, bool& cut);
// True when normalize_cell_text would return the text unchanged: most texts, which then
// need no copy of their own.
bool is_normal_cell_text(std::string_view text, bool excel_50) noexcept;
