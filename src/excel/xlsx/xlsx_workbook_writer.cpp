// An .xlsx workbook written through workbook_writer: each row's cells decided by the cell
// rules and streamed into the sheet's part.
#include "excel/xlsx/xlsx_workbook_writer.h"

#include <vector>

#include "excel/cells/cell_form.h"
#include "excel/xlsx/xlsx_error.h"
#include "excel/xlsx/xlsx_package_writer.h"
#include "excel/xlsx/xlsx_sheet_writer.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/system.h"

namespace {

const char* const too_many_values = "The structure of data source does not conform to the destination table.";

class xlsx_workbook_writer final : public workbook_writer {
public:
    xlsx_workbook_writer(std::filesystem::path output, std::string display_name, const workbook_options& options)
        : output_(std::move(output)), display_name_(std::move(display_name)), options_(options) {}

    void add_sheet(std::string_view name, std::span<const std::string> header) override;
    void append_row(std::span<const cell_value> row) override;
    std::span<const std::uint64_t> cut_texts() const noexcept override { return forms_.cut_texts(); }
    void finish_sheet() override;
    // The sheet has streamed into the package already; a stopped run never closes it.
    void drop_sheet(std::string_view) noexcept override { sheet_ = nullptr; }
    void release_memory() override {
        if (package_ != nullptr) package_->close_shared_strings();
    }
    void close() override;
    void abandon() noexcept override { package_.reset(); }  // the package removes its temporary file
    std::size_t sheet_count() const noexcept override { return package_ != nullptr ? package_->sheet_count() : 0; }
    std::size_t replaced_characters() const noexcept override { return 0; }  // .xlsx holds every character

private:
    void put_cell(const cell_form& cell);

    std::filesystem::path output_;
    std::string display_name_;
    workbook_options options_;
    // Made with the first sheet, so a workbook that never gets one leaves no file.
    std::unique_ptr<xlsx_package_writer> package_;
    xlsx_sheet_writer* sheet_ = nullptr;  // owned by package_
    row_forms forms_;
};

void xlsx_workbook_writer::add_sheet(std::string_view name, std::span<const std::string> header) {
    TK_LOG(2, "%s(%.*s)", __func__, static_cast<int>(name.size()), name.data());
    TK_ASSERT(sheet_ == nullptr);
    // checked before the package exists, so a refused first sheet creates no file
    check_sheet_title(name);
    if (header.size() > excel_2010_limits.max_columns) throw_xlsx_error(xlsx_error::too_many_columns, name);
    if (package_ == nullptr) {
        package_ = std::make_unique<xlsx_package_writer>(display_name_, tk_path_text(output_), options_.wrap_text);
        package_->set_origin(options_.origin);
    }
    sheet_ = &package_->add_sheet(name, header);
    forms_.start(header.size(), workbook_format::excel_2010, options_.dates_as_text);
}

// Every cell is decided before the row starts, so a refused row leaves nothing behind.
void xlsx_workbook_writer::append_row(std::span<const cell_value> row) {
    TK_ASSERT(sheet_ != nullptr);
    if (row.size() > forms_.columns()) throw tk_exception(too_many_values, tk_level_recoverable);
    if (forms_.decide(row) < row.size()) throw_xlsx_error(xlsx_error::text_not_utf8, sheet_->title());
    sheet_->begin_row();  // throws when the sheet is full
    for (std::size_t k = 0; k < row.size(); ++k) put_cell(forms_[k]);
    sheet_->end_row();
    forms_.count_cut_texts();
}

void xlsx_workbook_writer::put_cell(const cell_form& cell) {
    switch (cell.kind) {
    case cell_kind::empty:
    case cell_kind::bad_text: sheet_->add_empty(); return;
    case cell_kind::number: sheet_->add_number(cell.number); return;
    case cell_kind::text:
        if (cell.is_utf16) sheet_->add_text(cell.utf16);
        else sheet_->add_text(cell.text);
        return;
    case cell_kind::boolean: sheet_->add_boolean(cell.boolean); return;
    case cell_kind::date: sheet_->add_date(cell.number, cell.date_style); return;
    }
}

void xlsx_workbook_writer::finish_sheet() {
    TK_ASSERT(sheet_ != nullptr);
    sheet_->finish();
    sheet_ = nullptr;
}

void xlsx_workbook_writer::close() {
    TK_LOG(2, "%s(%s)", __func__, display_name_.c_str());
    sheet_ = nullptr;
    if (package_ == nullptr) return;
    // The package is dropped whether or not the save succeeds: a failed package is
    // removed, never retried half-written.
    const std::unique_ptr<xlsx_package_writer> package = std::move(package_);
    package->save();
}

}  // namespace

std::unique_ptr<workbook_writer> make_xlsx_workbook_writer(std::filesystem::path output, std::string display_name,
                                                           const workbook_options& options) {
    return std::make_unique<xlsx_workbook_writer>(std::move(output), std::move(display_name), options);
}
