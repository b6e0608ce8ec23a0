// Reading workbooks back with the independent readers (xlrd for .xls, openpyxl for .xlsx)
// in the distribution's Python, which has them whatever python3 comes first on PATH.
#pragma once

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "temp_folder.h"

// Runs a command and returns what it printed; throws with that output when it fails.
inline std::string run_reader(const std::string& command) {
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
    std::string output;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
    if (::pclose(pipe) != 0) throw std::runtime_error(command + " failed:\n" + output);
    return output;
}

// Every cell of every sheet, one line per row (see dump_workbook.py).
inline std::string dump_workbook_text(const std::filesystem::path& workbook) {
    return run_reader("/usr/bin/python3 " SPRANDEL_SOURCE_DIR "/tests/support/dump_workbook.py '" +
                      workbook.string() + "'");
}

// Runs a Python snippet with the workbook's path as sys.argv[1] and returns what it printed.
inline std::string python_check(const std::string& script, const std::filesystem::path& workbook) {
    temp_folder folder;
    write_file(folder / "check.py", script);
    return run_reader(std::string("/usr/bin/python3 '").append(folder.file("check.py")) + "' '" + workbook.string() +
                      "'");
}
