// The run's destination workbooks: main workbook and split parts.
#include "convert/conversion_run.h"

#include "excel/xls/dao_database.h"
#include "excel/xls/dao_engine.h"
#include "excel/xls_engine.h"
#include "excel/xlsx/xlsx_database.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

run_workbooks::run_workbooks(std::string destination, int format_version, const xls_engine& format,
                             dao_engine* driver, bool wrap_text)
    : destination_(std::move(destination)),
      format_version_(format_version),
      format_(format),
      driver_(driver),
      wrap_text_(wrap_text) {}

run_workbooks::~run_workbooks() { discard_all(); }

std::string run_workbooks::part_path(const std::string& destination, int part) {
    if (part == 0) return destination;
    const tk_file_name name(destination);
    return name.folder() + name.fname + "(" + std::to_string(part) + ")" + name.ext;
}

std::unique_ptr<udb_database> run_workbooks::open(const std::string& path) {
    TK_LOG(2, "xls_converter::get_xls_base(%s)", path.c_str());
    if (format_version_ == 2) return std::make_unique<xlsx_database>(path, wrap_text_);
    TK_ASSERT(driver_ != nullptr);
    return driver_->create_dao_src(path, format_.connect_string());
}

udb_database& run_workbooks::workbook(int part) {
    TK_ASSERT(part >= 0);
    if (books_.size() <= static_cast<std::size_t>(part)) books_.resize(part + 1);
    auto& book = books_[part];
    if (!book) book = open(part_path(destination_, part));
    return *book;
}

void run_workbooks::finish_sheet(int part, udb_recordset& sheet) {
    TK_LOG(1, "xls_converter::save_table(active_idx=%d)", format_version_);
    if (format_version_ != 2) return;  // .xls sheets are completed with their workbook
    static_cast<xlsx_database&>(workbook(part)).save_table(sheet);
}

std::vector<std::string> run_workbooks::close_all() {
    std::vector<std::string> written;
    std::unique_ptr<tk_exception> first_error;
    for (std::size_t part = 0; part < books_.size(); ++part) {
        if (!books_[part]) continue;
        try {
            if (format_version_ == 2) static_cast<xlsx_database&>(*books_[part]).save();
            else static_cast<dao_database&>(*books_[part]).close();
            written.push_back(part_path(destination_, static_cast<int>(part)));
        } catch (const tk_exception& error) {
            if (!first_error) first_error = std::make_unique<tk_exception>(error);
        }
        books_[part].reset();
    }
    if (first_error) throw *first_error;
    return written;
}

void run_workbooks::discard_all() noexcept {
    // An unsaved .xlsx package removes its temporary file; an .xls workbook that was not
    // closed is written by its destructor, which is what a stopped .xls run keeps.
    for (auto& book : books_) book.reset();
    books_.clear();
}

std::string normalize_cell_text(std::string_view text, bool excel_50, bool& cut) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    const std::size_t limit = excel_50 ? 254 : 32766;
    cut = false;
    if (out.size() > limit && utf16_length(out) > limit) {
        out.resize(utf16_prefix(out, limit).size());
        cut = true;
    }
    return out;
}
