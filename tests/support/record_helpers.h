// Small helpers for tests of values and recordsets.
#pragma once

#include <cstdint>
#include <vector>

#include "records/udb_record.h"
#include "records/udb_recordset.h"
#include "values/ole_types.h"

inline ole_systemtime make_time(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                                int milliseconds = 0) {
    ole_systemtime time;
    time.year = static_cast<std::uint16_t>(year);
    time.month = static_cast<std::uint16_t>(month);
    time.day = static_cast<std::uint16_t>(day);
    time.hour = static_cast<std::uint16_t>(hour);
    time.minute = static_cast<std::uint16_t>(minute);
    time.second = static_cast<std::uint16_t>(second);
    time.milliseconds = static_cast<std::uint16_t>(milliseconds);
    return time;
}

// Reads every row of a recordset into copies of its records.
inline std::vector<udb_record> read_all(udb_recordset& recordset) {
    std::vector<udb_record> rows;
    recordset.move_first();
    while (!recordset.is_eof()) {
        const udb_record* row = recordset.get_item();
        if (row == nullptr) break;
        rows.push_back(*row);
        recordset.next();
    }
    return rows;
}
