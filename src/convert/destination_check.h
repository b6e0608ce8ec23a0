// The check that a destination path can take a new workbook, shared by the settings page
// and quick launch.
#pragma once

#include <string>

#include "excel/workbook_format.h"

struct job;

// Throws tk_exception (level 1) when path is empty, names a folder, a FIFO, a device or a
// socket, names a file that cannot be opened for reading and writing, or lies in a folder that does not exist or
// takes no new file. Leaves nothing behind.
void common_check_dest(const std::string& path);
// The same check, and then that the extension does not contradict the format: ".xls" names
// no Excel 2010 workbook and ".xlsx" no Excel 5.0 or 2000 one, since readers go by the
// extension. Other extensions pass.
void common_check_dest(const std::string& path, workbook_format format);
// The check before a run: the job's destination must pass common_check_dest for its format
// and be neither the log file nor the profile, and no other run may be writing it. An
// existing workbook is kept; the run
// replaces it only once the new one is complete. Throws tk_exception (level 1).
void check_job_destination(const job& work);
