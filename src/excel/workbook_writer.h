// workbook_writer: one workbook being written, sheet after sheet, row after row, in one of
// the three formats. The run writes through this interface only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "excel/workbook_format.h"
#include "values/cell_value.h"

struct workbook_options {
    bool wrap_text = true;        // data cells wrap their text
    bool dates_as_text = false;   // date values become their canonical text (Excel 5.0 always)
    std::string origin;           // carried inside the file, so a later run can recognise it
};

class workbook_writer {
public:
    // A workbook never closed leaves nothing under its output path.
    virtual ~workbook_writer() = default;

    // Starts a sheet and writes its header row; the sheet before it must be finished. Throws
    // tk_exception at level tk_level_recoverable for a name the format refuses (empty,
    // too long, a forbidden character, a name already used, ignoring case) or more columns
    // than the format holds; the workbook is then as it was.
    virtual void add_sheet(std::string_view name, std::span<const std::string> header) = 0;
    // One data row: values by position, at most one per header column (missing ones are
    // empty cells). A text longer than the format's cell is cut and counted (cut_texts).
    // Throws tk_exception at level tk_level_recoverable for a row the format refuses (the
    // sheet is full, a text is not UTF-8), which leaves the sheet as it was; other levels
    // mean the file cannot be written.
    virtual void append_row(std::span<const cell_value> row) = 0;
    // Texts of the current sheet cut to the cell's limit, per column.
    virtual std::span<const std::uint64_t> cut_texts() const noexcept = 0;
    // Completes the current sheet; no row can follow.
    virtual void finish_sheet() = 0;
    // Leaves the sheet of that name out of the workbook, finished or not (a stopped item):
    // .xls forgets it; an .xlsx sheet has streamed into its package, which a stopped run
    // never closes. Nothing happens when there is no such sheet.
    virtual void drop_sheet(std::string_view name) noexcept = 0;
    // The run has moved past this workbook for now (a part workbook): memory kept for
    // later texts is given back. Later sheets still work.
    virtual void release_memory() = 0;
    // Writes the complete workbook to its output path, finishing the current sheet. Throws
    // tk_exception naming the file and the system's reason; nothing usable is left at the
    // output path then. An .xlsx workbook that never got a sheet writes no file (a package
    // needs one); an .xls one is written with no sheets.
    virtual void close() = 0;
    // Ends without writing the workbook.
    virtual void abandon() noexcept = 0;

    virtual std::size_t sheet_count() const noexcept = 0;
    // Characters that the format's code page cannot hold and that became "?" (Excel 5.0).
    virtual std::size_t replaced_characters() const noexcept = 0;
};

// A writer of format that writes to output (created or replaced by close()). display_name
// names the workbook in every message (the destination, not the temporary file).
std::unique_ptr<workbook_writer> make_workbook_writer(workbook_format format, std::filesystem::path output,
                                                      std::string display_name, const workbook_options& options);
