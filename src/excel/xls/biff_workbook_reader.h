// Reads back the cells of an existing BIFF5/BIFF8 workbook, so that a workbook can be
// reopened and added to: its sheets are replayed into a new writer, cell by cell with
// their formats. Workbooks with formulas, or records we cannot place, are refused rather
// than copied with losses.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "excel/xls/biff_workbook_writer.h"
#include "values/ole_types.h"

// What a replayed sheet looked like: its name and the texts and kinds of its first two
// rows, from which a reopened table takes its column names and types.
struct biff_loaded_sheet {
    std::string name;
    std::vector<std::string> header;          // texts of row 0 by column, "" where none
    std::vector<vartype> first_row_types;     // VT_EMPTY where row 1 has no cell
};

// The BIFF version of the workbook at path; throws dao_exception when it is none.
biff_version biff_workbook_version(const std::filesystem::path& path);

// Replays every worksheet of the workbook at path into writer (which must be empty and of
// the same version). Throws dao_exception naming the file and the reason when the file
// cannot be read back whole.
std::vector<biff_loaded_sheet> biff_load_workbook(const std::filesystem::path& path, biff_workbook_writer& writer);
