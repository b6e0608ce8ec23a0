// The workbook_writer of the .xlsx format (Excel 2010).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "excel/workbook_writer.h"

// See make_workbook_writer.
std::unique_ptr<workbook_writer> make_xlsx_workbook_writer(std::filesystem::path output, std::string display_name,
                                                           const workbook_options& options);
