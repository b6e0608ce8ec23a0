// Helpers for the .xlsx tests: reading ZIP entries back and running the Python readers.
#pragma once

#include <cstdio>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <minizip/unzip.h>

namespace xlsx_test {

// The Debian interpreter, which has openpyxl, whatever python3 comes first on PATH.
inline const char* python = "/usr/bin/python3";

struct command_result {
    int status = -1;
    std::string output;
};

inline command_result run_command(const std::string& command) {
    command_result result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t size = 0;
    while ((size = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, size);
    result.status = ::pclose(pipe);
    return result;
}

inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Runs a reader script from the source tree on a workbook; throws when it fails.
inline std::vector<std::string> read_with(const std::string& script, const std::string& workbook) {
    const command_result result =
        run_command(std::string(python) + " " + SPRANDEL_SOURCE_DIR + "/" + script + " '" + workbook + "'");
    if (result.status != 0) throw std::runtime_error(script + " failed: " + result.output);
    return lines_of(result.output);
}

// What openpyxl reads: "sheet\tNAME\tROWS\tCOLUMNS" and "R\tcell..." lines.
inline std::vector<std::string> dump_workbook(const std::string& workbook) {
    return read_with("tests/support/dump_workbook.py", workbook);
}

// Styles, panes, filters and widths as openpyxl reads them.
inline std::vector<std::string> read_layout(const std::string& workbook) {
    return read_with("tests/excel/xlsx_read_layout.py", workbook);
}

inline std::vector<std::string> zip_entry_names(const std::string& path) {
    std::vector<std::string> names;
    unzFile zip = unzOpen64(path.c_str());
    if (zip == nullptr) throw std::runtime_error("not a ZIP file: " + path);
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        char name[512];
        unz_file_info64 info;
        unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0);
        names.emplace_back(name);
    }
    unzClose(zip);
    return names;
}

inline std::string zip_entry(const std::string& path, const std::string& entry) {
    unzFile zip = unzOpen64(path.c_str());
    if (zip == nullptr) throw std::runtime_error("not a ZIP file: " + path);
    if (unzLocateFile(zip, entry.c_str(), 1) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK) {
        unzClose(zip);
        throw std::runtime_error("no entry " + entry + " in " + path);
    }
    std::string text;
    char buffer[65536];
    int size = 0;
    while ((size = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(size));
    const int close_status = unzCloseCurrentFile(zip);  // checks the CRC
    unzClose(zip);
    if (size < 0 || close_status != UNZ_OK) throw std::runtime_error("damaged entry " + entry);
    return text;
}

// The text between the first start of element and its end, e.g. element_of(xml, "sheetData").
inline std::string element_of(const std::string& xml, const std::string& name) {
    const auto start = xml.find("<" + name);
    if (start == std::string::npos) return {};
    const auto close = xml.find("</" + name + ">", start);
    if (close == std::string::npos) {
        const auto empty_end = xml.find("/>", start);
        return xml.substr(start, empty_end + 2 - start);
    }
    return xml.substr(start, close + name.size() + 3 - start);
}

}  // namespace xlsx_test
