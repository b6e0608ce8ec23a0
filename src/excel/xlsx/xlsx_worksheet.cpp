// Rows of the record model written as typed cells of one worksheet.
#include "excel/xlsx/xlsx_worksheet.h"

#include "excel/xlsx/xlsx_error.h"
#include "excel/xlsx/xlsx_sheet_writer.h"
#include "excel/xlsx/xlsx_workbook_writer.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

using SimpleXlsx::CWorksheet;

xlsx_worksheet::xlsx_worksheet(std::shared_ptr<SimpleXlsx::CWorkbook> workbook, CWorksheet& sheet,
                               const udb_schema& schema)
    : udb_recordset(sheet.title(), true), workbook_(std::move(workbook)), sheet_(&sheet) {
    TK_LOG(2, "xlsx_worksheet::ctor(%s)", sheet.title().c_str());
    schema_ = schema;
}

xlsx_worksheet::~xlsx_worksheet() {
    TK_LOG(2, "xlsx_worksheet::dtor(%s)", name_.c_str());
    schema_.clear();
}

void xlsx_worksheet::check_record(const udb_record& record) const {
    if (record.size() > schema_.size())
        throw tk_exception("The structure of data source does not conform to the destination table.",
                           tk_level_recoverable);
    for (const udb_field& field : record) {
        if (!field.is_text()) continue;
        const std::string& text = field.get_text();
        if (!is_valid_utf8(text)) throw_xlsx_error(xlsx_error::text_not_utf8, name_);
        // Every UTF-16 unit takes at least one byte, so short texts need no count.
        if (text.size() > SimpleXlsx::xlsx_max_text_units && utf16_length(text) > SimpleXlsx::xlsx_max_text_units)
            throw_xlsx_error(xlsx_error::text_too_long, name_);
    }
}

void xlsx_worksheet::append_record(udb_record& record) {
    TK_ASSERT(!sheet_->is_finished());
    if (sheet_->is_full()) {
        // One error names the limit; the rows after it would only repeat it.
        if (skipped_rows_++ == 0) throw_xlsx_error(xlsx_error::too_many_rows, name_);
        return;
    }
    check_record(record);
    sheet_->begin_row();
    for (const udb_field& field : record) write_value(field);
    sheet_->end_row();
}

void xlsx_worksheet::write_value(const ole_variant& value) {
    const cell_form& cell = cells_.decide(value);
    switch (cell.kind) {
    case cell_kind::empty: sheet_->add_empty(); return;
    case cell_kind::number: sheet_->add_number(cell.number); return;
    case cell_kind::text: sheet_->add_text(cell.text); return;
    case cell_kind::boolean: sheet_->add_boolean(cell.boolean); return;
    case cell_kind::date: sheet_->add_date(cell.number, cell.date_style); return;
    }
}

bool xlsx_worksheet::save() {
    TK_LOG(2, "xlsx_worksheet::save(%s)", name_.c_str());
    sheet_->finish();
    if (skipped_rows_ > 0)
        TK_LOG(3, "%llu rows of %s past the sheet's limit were not written",
               static_cast<unsigned long long>(skipped_rows_), name_.c_str());
    return true;
}

std::uint32_t xlsx_worksheet::row_count() const noexcept { return sheet_->data_row_count(); }
bool xlsx_worksheet::is_full() const noexcept { return sheet_->is_full(); }
