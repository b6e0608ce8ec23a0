// The check that a destination path can take a new workbook, shared by the settings page
// and quick launch.
#pragma once

#include <string>

// Throws tk_exception (level 1) when path is empty, names a folder, names a file that
// cannot be opened for reading and writing, or lies in a folder that does not exist or
// takes no new file. Leaves nothing behind.
void common_check_dest(const std::string& path);
