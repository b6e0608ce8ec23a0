// An .xls workbook written through workbook_writer: each row's cells decided by the cell
// rules and written as BIFF records, the header row in the header's own XF.
#include "excel/xls/xls_workbook_writer.h"

#include <vector>

#include "excel/cells/cell_form.h"
#include "excel/xls/biff_records.h"
#include "excel/xls/biff_workbook_writer.h"
#include "records/name_validators.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/system.h"
#include "toolkit/text.h"

namespace {

const char* const too_many_values = "The structures of data source does not conform to the destination table.";

biff_date_kind date_kind_of(cell_date_style style) noexcept {
    switch (style) {
    case cell_date_style::date: return biff_date_kind::date;
    case cell_date_style::date_time:
    case cell_date_style::date_time_ms: return biff_date_kind::date_time;  // the .xls date-time format has no milliseconds
    case cell_date_style::time: return biff_date_kind::time;
    }
    return biff_date_kind::date;
}

// Column names as .xls workbooks have always shown them: a name with one of "`![]./'", a
// blank at either end, or taken by an earlier column (ignoring case) gets a safe name.
std::vector<std::string> header_names(std::span<const std::string> header) {
    xls_header_name_validator validator;
    for (const std::string& name : header) validator.add_existing_name(name);
    std::vector<std::string> names;
    names.reserve(header.size());
    for (const std::string& name : header) {
        bool is_taken = false;
        for (const std::string& used : names) is_taken = is_taken || iequals(used, name);
        names.push_back(validator.is_acceptable(name) && !is_taken ? name : validator.get_safe_name(name));
        validator.add_existing_name(names.back());
    }
    return names;
}

class xls_workbook_writer final : public workbook_writer {
public:
    xls_workbook_writer(workbook_format format, std::filesystem::path output, std::string display_name,
                        const workbook_options& options)
        : format_(format),
          dates_as_text_(options.dates_as_text),
          book_(tk_system_path(display_name),
                format == workbook_format::excel_50 ? biff_version::biff5 : biff_version::biff8, options.wrap_text) {
        book_.set_output_path(std::move(output));
        if (!options.origin.empty()) book_.set_origin(options.origin);
    }
    ~xls_workbook_writer() override { book_.abandon(); }  // nothing is written unless closed

    void add_sheet(std::string_view name, std::span<const std::string> header) override;
    void append_row(std::span<const cell_value> row) override;
    std::span<const std::uint64_t> cut_texts() const noexcept override { return forms_.cut_texts(); }
    void finish_sheet() override;
    void drop_sheet(std::string_view name) noexcept override;
    void release_memory() override { book_.release_memory(); }
    void close() override;
    void abandon() noexcept override { book_.abandon(); }
    std::size_t sheet_count() const noexcept override { return book_.sheet_count(); }
    std::size_t replaced_characters() const noexcept override { return book_.replaced_characters(); }

private:
    void put_cell(std::uint16_t column, const cell_form& cell);

    workbook_format format_;
    bool dates_as_text_;
    biff_workbook_writer book_;
    biff_sheet_writer* sheet_ = nullptr;  // the sheet being filled, owned by book_
    std::vector<std::string> names_;      // the header as written
    row_forms forms_;
};

void xls_workbook_writer::add_sheet(std::string_view name, std::span<const std::string> header) {
    TK_LOG(2, "%s(%.*s)", __func__, static_cast<int>(name.size()), name.data());
    TK_ASSERT(sheet_ == nullptr);
    const std::uint32_t max_columns = limits_of(format_).max_columns;
    if (header.size() > max_columns)
        throw tk_exception("The table " + std::string(name) + " has " + std::to_string(header.size()) +
                               " columns; a worksheet holds at most " + std::to_string(max_columns) + ".",
                           tk_level_recoverable);
    std::vector<std::string> names = header_names(header);
    biff_sheet_writer& sheet = book_.add_sheet(name);  // throws for a name the format refuses
    sheet.start_row();
    for (std::size_t k = 0; k < names.size(); ++k)
        sheet.put_text(static_cast<std::uint16_t>(k), names[k], biff_xf::header_cell);
    sheet.end_row();
    sheet_ = &sheet;
    names_ = std::move(names);
    forms_.start(header.size(), format_, dates_as_text_);
}

// Every cell is decided before the row starts, so a refused row leaves nothing behind.
void xls_workbook_writer::append_row(std::span<const cell_value> row) {
    TK_ASSERT(sheet_ != nullptr);
    if (row.size() > forms_.columns()) throw tk_exception(too_many_values, tk_level_recoverable);
    if (const std::size_t bad = forms_.decide(row); bad < row.size())
        throw tk_exception("The text of column " + names_[bad] + " is not valid UTF-8.", tk_level_recoverable);
    sheet_->start_row();  // throws when the sheet is full
    for (std::size_t k = 0; k < row.size(); ++k) put_cell(static_cast<std::uint16_t>(k), forms_[k]);
    sheet_->end_row();
    forms_.count_cut_texts();
}

void xls_workbook_writer::put_cell(std::uint16_t column, const cell_form& cell) {
    switch (cell.kind) {
    case cell_kind::empty:
    case cell_kind::bad_text: return;
    case cell_kind::number: sheet_->put_number(column, cell.number); return;
    case cell_kind::text:
        if (cell.is_utf16) sheet_->put_text(column, cell.utf16);
        else sheet_->put_text(column, cell.text);
        return;
    case cell_kind::boolean: sheet_->put_bool(column, cell.boolean); return;
    case cell_kind::date: sheet_->put_date(column, cell.number, date_kind_of(cell.date_style)); return;
    }
}

void xls_workbook_writer::finish_sheet() {
    TK_ASSERT(sheet_ != nullptr);
    sheet_->finish();
    sheet_ = nullptr;
}

void xls_workbook_writer::drop_sheet(std::string_view name) noexcept {
    const biff_sheet_writer* sheet = book_.find_sheet(name);
    if (sheet == nullptr) return;
    if (sheet == sheet_) sheet_ = nullptr;
    book_.remove_sheet(*sheet);
}

void xls_workbook_writer::close() {
    TK_LOG(2, "%s(%s)", __func__, tk_path_text(book_.destination()).c_str());
    sheet_ = nullptr;  // close() finishes every sheet
    book_.close();
}

}  // namespace

std::unique_ptr<workbook_writer> make_xls_workbook_writer(workbook_format format, std::filesystem::path output,
                                                          std::string display_name, const workbook_options& options) {
    TK_ASSERT(format == workbook_format::excel_50 || format == workbook_format::excel_2000);
    return std::make_unique<xls_workbook_writer>(format, std::move(output), std::move(display_name), options);
}
