// One worksheet of an .xlsx destination: rows appended here go straight into the sheet's
// part as typed cells.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "excel/cells/cell_form.h"
#include "records/udb_recordset.h"

namespace SimpleXlsx {
class CWorkbook;
class CWorksheet;
}

class xlsx_worksheet : public udb_recordset {
public:
    // Made by xlsx_database::create_table; keeps the workbook alive while it exists.
    xlsx_worksheet(std::shared_ptr<SimpleXlsx::CWorkbook> workbook, SimpleXlsx::CWorksheet& sheet,
                   const udb_schema& schema);
    ~xlsx_worksheet() override;

    // One row: its fields in column order become cells in the form cell_decider gives
    // them (text as shared strings, never a formula). NULL and empty text leave the cell
    // out.
    // Throws, writing nothing, when the record has more fields than the sheet has columns,
    // or holds text that is not UTF-8 or longer than a cell holds (level 0). The first row
    // past the sheet's limit throws a level-0 error naming the sheet and the limit; later
    // ones are counted in skipped_rows and not written.
    void append_record(udb_record& record) override;
    // Completes the sheet's part; throws when it cannot be written.
    bool save() override;

    // Data rows written so far.
    std::uint32_t row_count() const noexcept;
    bool is_full() const noexcept;
    std::uint64_t skipped_rows() const noexcept { return skipped_rows_; }

private:
    void check_record(const udb_record& record) const;
    void write_value(const ole_variant& value);

    std::shared_ptr<SimpleXlsx::CWorkbook> workbook_;
    SimpleXlsx::CWorksheet* sheet_;  // owned by the workbook
    std::uint64_t skipped_rows_ = 0;
    cell_decider cells_;
};
