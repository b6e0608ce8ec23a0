// Helpers of the .xls tests: a temporary folder that is removed afterwards, running the
// independent Python readers, and walking the records of a workbook stream.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "excel/xls/compound_file_format.h"
#include "excel/xls/compound_file_reader.h"
#include "../support/temp_folder.h"

namespace xls_test {

namespace fs = std::filesystem;

using temporary_folder = ::temp_folder;

// The distribution's Python carries the readers; a user-installed python3 may not.
inline std::string python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

// Runs a command and returns what it printed; a failing command fails the test.
inline std::string run(const std::string& command) {
    std::string output;
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return output;
    }
    std::array<char, 4096> buffer{};
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    EXPECT_EQ(status, 0) << command << "\n" << output;
    return output;
}

// Every cell of every sheet as xlrd sees it, one line per row (see dump_workbook.py).
inline std::string dump(const fs::path& workbook) {
    return run(python() + " " SPRANDEL_SOURCE_DIR "/tests/support/dump_workbook.py '" + workbook.string() + "'");
}

// Runs a Python snippet with the workbook's path as sys.argv[1].
inline std::string python_check(const std::string& script, const fs::path& workbook) {
    const fs::path file = workbook.parent_path() / "check.py";
    {
        std::FILE* out = std::fopen(file.c_str(), "w");
        std::fputs(script.c_str(), out);
        std::fclose(out);
    }
    std::string output = run(python() + " '" + file.string() + "' '" + workbook.string() + "'");
    fs::remove(file);
    return output;
}

struct record {
    std::uint16_t type;
    std::size_t offset;  // of the record header in the stream
    std::vector<std::byte> body;
};

inline std::vector<std::byte> workbook_stream(const fs::path& workbook) {
    compound_file file(workbook, compound_file::access::read_only);
    return file.open_stream(file.has_stream(u"Workbook") ? u"Workbook" : u"Book").read_all();
}

// The records from offset on, up to and including the next EOF.
inline std::vector<record> records_from(const std::vector<std::byte>& stream, std::size_t offset) {
    std::vector<record> out;
    while (offset + 4 <= stream.size()) {
        const std::uint16_t type = cfb::get_u16(stream, offset);
        const std::uint16_t length = cfb::get_u16(stream, offset + 2);
        if (offset + 4 + length > stream.size()) break;
        out.push_back({type, offset, {stream.begin() + offset + 4, stream.begin() + offset + 4 + length}});
        offset += 4 + length;
        if (type == 0x000A) break;
    }
    return out;
}

inline std::size_t count(const std::vector<record>& records, std::uint16_t type) {
    std::size_t n = 0;
    for (const auto& r : records) n += r.type == type;
    return n;
}

}  // namespace xls_test
