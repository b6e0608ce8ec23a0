// Helpers for the .xlsx tests: reading ZIP entries back.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include <minizip/unzip.h>

#include "../support/workbook_reader.h"

namespace xlsx_test {

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
