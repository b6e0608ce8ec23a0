// The origin mark every workbook of a run carries, read back cheaply so a later run can
// tell its own part workbooks from a user's files of the same name.
#pragma once

#include <string>

// The origin text of the workbook at path: the custom document property of an .xlsx
// package, the origin stream of an .xls compound file. Empty when the file has none, is
// not a workbook of ours or cannot be read; never throws.
std::string read_workbook_origin(const std::string& path) noexcept;
