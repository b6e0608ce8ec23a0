// Rows of a worksheet written through the .xls driver: values taken by position and
// written as typed cells.
#include "excel/xls/dao_recordset.h"

#include "excel/xls/dao_database.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

const char* const count_mismatch = "The structures of data source does not conform to the destination table.";

biff_date_kind date_kind_of(cell_date_style style) noexcept {
    switch (style) {
    case cell_date_style::date: return biff_date_kind::date;
    case cell_date_style::date_time:
    case cell_date_style::date_time_ms: return biff_date_kind::date_time;
    case cell_date_style::time: return biff_date_kind::time;
    }
    return biff_date_kind::date;
}

}  // namespace

dao_recordset::dao_recordset(const std::string& name, dao_sheet& sheet) : udb_recordset(name, true), sheet_(sheet) {
    TK_LOG(2, "dao_recordset::dao_recordset(%s)", name.c_str());
    schema_ = sheet.columns;
    records_count_ = sheet.sheet->row_count() > 0 ? static_cast<std::int64_t>(sheet.sheet->row_count() - 1) : 0;
    TK_LOG(1, "Got records count: %lld", static_cast<long long>(records_count_));
    row_.resize(schema_.size());
    changed_.resize(schema_.size());
    TK_LOG(2, "dao_recordset::dao_recordset - END");
}

dao_recordset::~dao_recordset() { TK_LOG(2, "dao_recordset::dtor"); }

void dao_recordset::append_record(udb_record& record) {
    TK_LOG(1, "dao_recordset::append_record");
    if (record.size() != schema_.size()) throw tk_exception(count_mismatch, tk_level_recoverable);
    // Everything that can fail happens before the row starts, so a refused record leaves
    // no half-written row behind. Values are read where they are; only those that change
    // are copied.
    for (std::size_t column = 0; column < record.size(); ++column) {
        const t_ftd& descriptor = schema_[column];
        const ole_variant& value = record[column].value();
        row_[column] = &value;
        if (value.is_empty_or_null()) {
            if (descriptor.b_not_null) {
                TK_LOG(1, "Got NULL value for not null field");
                changed_[column].from_string("", descriptor.vartype);
                row_[column] = &changed_[column];
            }
        } else if (value.get_type() == VT_DATE && !value.has_date_number()) {
            std::string text = value.to_string();
            if (const auto at = text.find("0000-00-00"); at != std::string::npos) {
                TK_LOG(1, "Null date has been found");
                text.replace(at, 10, "1899-12-30");
                changed_[column].from_string(text, VT_DATE);
                row_[column] = &changed_[column];
            }
        } else if (value.is_text() && !is_valid_utf8(value.get_text())) {
            throw tk_exception("The text of column " + descriptor.name + " is not valid UTF-8.", tk_level_recoverable);
        }
    }
    TK_LOG(1, "\tAdd blank DAO record");
    sheet_.sheet->start_row();
    for (std::size_t column = 0; column < row_.size(); ++column)
        if (!row_[column]->is_empty_or_null()) put_value(static_cast<std::uint16_t>(column), *row_[column]);
    sheet_.sheet->end_row();
    ++records_count_;
    TK_LOG(1, "Commit new record into database");
}

void dao_recordset::put_value(std::uint16_t column, const ole_variant& value) {
    biff_sheet_writer& sheet = *sheet_.sheet;
    const cell_form& cell = cells_.decide(value);
    switch (cell.kind) {
    case cell_kind::empty: return;
    case cell_kind::number: sheet.put_number(column, cell.number); return;
    case cell_kind::text: sheet.put_text(column, cell.text); return;
    case cell_kind::boolean: sheet.put_bool(column, cell.boolean); return;
    case cell_kind::date: sheet.put_date(column, cell.number, date_kind_of(cell.date_style)); return;
    }
}
