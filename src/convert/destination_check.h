// The check that a destination path can take a new workbook, shared by the settings page
// and quick launch.
#pragma once

#include <string>

// Throws tk_exception (level 1) when path is empty, names a folder, names a file that
// cannot be opened for reading and writing, or lies in a folder that does not exist or
// takes no new file. Leaves nothing behind.
void common_check_dest(const std::string& path);
// The same check, and then that the extension does not contradict the format
// (0 Excel 5.0, 1 Excel 2000, 2 Excel 2010): ".xls" names no Excel 2010 workbook and ".xlsx"
// no Excel 5.0 or 2000 one, since readers go by the extension. Other extensions pass.
void common_check_dest(const std::string& path, int format_version);
