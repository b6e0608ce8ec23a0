// An append-only recordset on one worksheet of an .xls workbook: each appended record
// becomes one row of typed cells, its fields taken by position, column after column.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "excel/cells/cell_form.h"
#include "records/udb_recordset.h"

struct dao_sheet;

class dao_recordset : public udb_recordset {
public:
    // The sheet belongs to the database, which must outlive the recordset.
    dao_recordset(const std::string& name, dao_sheet& sheet);
    ~dao_recordset() override;

    // Field k fills column k, whatever its name (a query may repeat a column name). Each
    // value takes the form cell_decider gives it: numbers NUMBER/RK cells or exact text,
    // text LABELSST (Excel 2000) or LABEL (Excel 5.0) cells, dates numbers with a date,
    // date-time or time format, booleans BOOLERR cells; NULL leaves the cell out. A NULL
    // in a NOT NULL column is the empty text converted to the column's type. Throws
    // (level 0, nothing written) when the field count differs from the columns or a text
    // is not UTF-8.
    void append_record(udb_record& record) override;

private:
    void put_value(std::uint16_t column, const ole_variant& value);

    dao_sheet& sheet_;
    std::vector<const ole_variant*> row_;  // this row's values by column
    std::vector<ole_variant> changed_;     // values replaced on the way (NOT NULL, null dates)
    cell_decider cells_;
};
