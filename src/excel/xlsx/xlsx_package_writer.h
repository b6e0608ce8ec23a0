// The .xlsx package writer: sheets streamed one after another into a ZIP package, then
// the shared strings, styles and the parts that list them.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "excel/xlsx/shared_strings.h"

class xlsx_sheet_writer;

class xlsx_package_writer {
public:
    // Creates the temporary file beside output (see zip_package); throws when it cannot.
    // destination names the workbook in messages; string_budget: memory the shared-string
    // table may take.
    xlsx_package_writer(std::string destination, std::string output, bool wrap_text,
                        std::size_t string_budget = string_table::default_budget);
    // A workbook not saved leaves nothing behind.
    ~xlsx_package_writer();
    xlsx_package_writer(const xlsx_package_writer&) = delete;
    xlsx_package_writer& operator=(const xlsx_package_writer&) = delete;

    // A new sheet with its header row. The sheet before it is finished: one sheet is
    // written at a time. The title must be a valid sheet name not yet in the workbook;
    // a rejected title changes nothing.
    xlsx_sheet_writer& add_sheet(std::string_view title, std::span<const std::string> column_names);
    // A text written as a custom document property, so the workbook can be recognised later.
    void set_origin(std::string origin);
    // Finishes the last sheet, writes the remaining parts and puts the file in place.
    void save();
    // Writes the shared strings now and gives their memory back; texts of later sheets go
    // into their cells. For a part workbook the run has moved past. Finishes the last sheet.
    void close_shared_strings();

    std::size_t sheet_count() const noexcept;
    const std::string& destination() const noexcept;

private:
    struct impl;
    std::unique_ptr<impl> impl_;
};

// Checks a sheet title as Excel would: not empty, at most 31 characters, none of
// : \ / ? * [ ], no apostrophe at either end. Throws the matching xlsx_error.
void check_sheet_title(std::string_view title);

