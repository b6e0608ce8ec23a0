// The names a run gives its sheets and their header cells: valid in the format, unique,
// and as close to the source's names as the format allows.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "excel/workbook_format.h"
#include "records/name_validators.h"

struct column_info;

// The header of a sheet: the first `columns` column names, where a name repeats (a join of
// two tables with the same key) the repeats numbered so every format tells them apart.
std::vector<std::string> header_names(const std::vector<column_info>& columns, std::size_t count);

class sheet_namer {
public:
    // selected_tables and source_tables: names that items may still take, so a renamed
    // sheet never takes the name of a later item.
    sheet_namer(workbook_format format, const std::vector<std::string>& selected_tables,
                const std::vector<std::string>& source_tables);

    // The sheet name for an item: its own name when valid and free (in Excel 5.0, as the
    // workbook's code page stores it), else a safe replacement.
    std::string sheet_name(const std::string& item_name) const;
    // Records the name as used.
    void take(const std::string& sheet_name);

private:
    workbook_format format_;
    sheet_name_validator validator_;
    std::unordered_set<std::string> used_;  // case-folded
};
