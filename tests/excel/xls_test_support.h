// Helpers of the .xls tests: walking the records of a workbook stream.
#pragma once

#include <filesystem>
#include <vector>

#include "../support/workbook_reader.h"
#include "excel/xls/compound_file_format.h"
#include "excel/xls/compound_file_reader.h"

namespace xls_test {

namespace fs = std::filesystem;

struct record {
    std::uint16_t type;
    std::size_t offset;  // of the record header in the stream
    std::vector<std::byte> body;
};

inline std::vector<std::byte> workbook_stream(const fs::path& workbook) {
    compound_file file(workbook);
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
