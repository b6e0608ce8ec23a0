// The workbook_writer of the .xls formats (Excel 5.0 and Excel 2000).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "excel/workbook_writer.h"

// format is excel_50 or excel_2000; see make_workbook_writer.
std::unique_ptr<workbook_writer> make_xls_workbook_writer(workbook_format format, std::filesystem::path output,
                                                          std::string display_name, const workbook_options& options);
