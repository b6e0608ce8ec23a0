// Reading workbooks back with the independent readers (xlrd for .xls, openpyxl for .xlsx)
// in the distribution's Python, which has them whatever python3 comes first on PATH.
#pragma once

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "temp_folder.h"

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <thread>

// The readers are Linux programs; a Windows test under wine cannot start them itself (wine
// gives a Linux child no pipes). It hands the command to scripts/host-commands.sh, which
// runs it on the host: N.cmd in the folder named by SPRANDEL_HOST_COMMANDS, answered by
// N.out and N.status.
inline std::string run_reader(const std::string& command) {
    const char* folder = std::getenv("SPRANDEL_HOST_COMMANDS");
    if (folder == nullptr || *folder == '\0')
        throw std::runtime_error("SPRANDEL_HOST_COMMANDS is not set: run the Windows tests through scripts/run-windows-tests.sh");
    static int sequence = 0;
    const std::string stem = std::string(folder) + "/" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(++sequence);
    write_file(stem + ".tmp", command + " 2>&1");
    std::filesystem::rename(stem + ".tmp", stem + ".cmd");  // whole before the host sees it
    const auto start = std::chrono::steady_clock::now();
    while (!std::filesystem::exists(stem + ".status")) {
        if (std::chrono::steady_clock::now() - start > std::chrono::minutes(2))
            throw std::runtime_error("no answer from scripts/host-commands.sh for " + command);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const std::string output = read_file(stem + ".out"), status = read_file(stem + ".status");
    std::filesystem::remove(stem + ".out");
    std::filesystem::remove(stem + ".status");
    if (status.rfind("0", 0) != 0) throw std::runtime_error(command + " failed:\n" + output);
    return output;
}

// The Linux name of a file, for a host program: wine's own function gives it.
inline std::string host_path(const std::filesystem::path& path) {
    using unix_name_fn = char* (*)(const wchar_t*);
    static const auto unix_name = reinterpret_cast<unix_name_fn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (unix_name == nullptr) throw std::runtime_error("not running under wine: no host readers");
    char* name = unix_name(std::filesystem::absolute(path).c_str());
    if (name == nullptr) throw std::runtime_error("no host name for " + path.string());
    std::string out(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return out;
}
#else
inline std::string host_path(const std::filesystem::path& path) { return path.string(); }

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
#endif

// Every cell of every sheet, one line per row (see dump_workbook.py).
inline std::string dump_workbook_text(const std::filesystem::path& workbook) {
    return run_reader("/usr/bin/python3 " SPRANDEL_SOURCE_DIR "/tests/support/dump_workbook.py '" +
                      host_path(workbook) + "'");
}

// One sheet as the reader saw it: cells as "n:1.5", "s:text", "d:2020-01-01T10:00:00.000",
// "b:1", "e:" (see dump_workbook.py); every row has all the sheet's columns.
struct read_sheet {
    std::string name;
    std::vector<std::vector<std::string>> rows;
};

// Reads a workbook with xlrd (.xls) or openpyxl (.xlsx). Throws when the reader fails.
inline std::vector<read_sheet> read_workbook(const std::filesystem::path& workbook) {
    std::vector<read_sheet> sheets;
    std::istringstream lines(dump_workbook_text(workbook));
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        std::istringstream pieces(line);
        for (std::string cell; std::getline(pieces, cell, '\t');) cells.push_back(cell);
        if (cells.at(0) == "sheet") sheets.push_back({cells.at(1), {}});
        if (cells.at(0) == "R" && !sheets.empty()) sheets.back().rows.emplace_back(cells.begin() + 1, cells.end());
    }
    return sheets;
}

// The sheet of that name; throws when there is none.
inline const read_sheet& find_sheet(const std::vector<read_sheet>& sheets, const std::string& name) {
    for (const auto& sheet : sheets)
        if (sheet.name == name) return sheet;
    throw std::runtime_error("no sheet " + name);
}

// Runs a Python snippet with the workbook's path as sys.argv[1] and returns what it printed.
inline std::string python_check(const std::string& script, const std::filesystem::path& workbook) {
    temp_folder folder;
    write_file(folder / "check.py", script);
    return run_reader(std::string("/usr/bin/python3 '").append(host_path(folder / "check.py")) + "' '" +
                      host_path(workbook) + "'");
}
