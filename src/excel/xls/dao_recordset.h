// An append-only recordset on one worksheet of an .xls workbook: each appended record
// becomes one row of typed cells, its fields matched to the sheet's columns by name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/udb_recordset.h"

struct dao_sheet;

class dao_recordset : public udb_recordset {
public:
    // The sheet belongs to the database, which must outlive the recordset.
    dao_recordset(const std::string& name, dao_sheet& sheet);
    ~dao_recordset() override;

    // Numbers become NUMBER/RK cells, text LABELSST (Excel 2000) or LABEL (Excel 5.0)
    // cells, dates numbers with a date, date-time or time format, booleans BOOLERR cells;
    // NULL leaves the cell out. A NULL in a NOT NULL column is the empty text converted to
    // the column's type. Throws (level 0, nothing written) when the field count differs
    // from the columns, a field names no column, or a value cannot be converted.
    void append_record(udb_record& record) override;

private:
    std::int32_t column_of(std::size_t position, const std::string& name);
    void put_value(std::uint16_t column, const ole_variant& value);
    void put_date(std::uint16_t column, const ole_variant& value);

    dao_sheet& sheet_;
    std::vector<const ole_variant*> row_;  // this row's values by column
    std::vector<ole_variant> changed_;     // values replaced on the way (NOT NULL, null dates)
    std::vector<std::string> field_names_;  // the last record's field names by position
    std::vector<std::int32_t> field_columns_;
};
