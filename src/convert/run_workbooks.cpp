// The run's destination workbooks: main workbook and split parts.
#include "convert/conversion_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "excel/workbook_origin.h"
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
      is_xlsx_(format_version == 2),
      format_(format),
      driver_(driver),
      wrap_text_(wrap_text) {
    tk_remove_dead_temporaries(tk_folder_of(destination_));
}

run_workbooks::~run_workbooks() {
    for (auto& staged : books_) {
        // an .xls workbook that was never completed writes itself here, only to be removed
        staged.book.reset();
        if (!staged.temporary.empty() && ::unlink(staged.temporary.c_str()) != 0 && errno != ENOENT)
            TK_LOG(3, "Cannot remove the temporary file %s: %s", staged.temporary.c_str(), std::strerror(errno));
    }
}

std::string run_workbooks::part_path(const std::string& destination, int part) {
    if (part == 0) return destination;
    const tk_file_name name(destination);
    return name.folder() + name.fname + "(" + std::to_string(part) + ")" + name.ext;
}

std::string run_workbooks::origin_mark(const std::string& destination, int part) {
    return "Sprandel: " + std::filesystem::path(destination).filename().string() + " part " + std::to_string(part);
}

std::unique_ptr<udb_database> run_workbooks::open(const std::string& path, int part) {
    // The workbook keeps its own name for every message; only its bytes go to path.
    const std::string name = part_path(destination_, part);
    TK_LOG(2, "xls_converter::get_xls_base(%s)", name.c_str());
    if (is_xlsx_) {
        auto book = std::make_unique<xlsx_database>(name, wrap_text_);
        book->set_origin(origin_mark(destination_, part));
        book->set_output_path(path);
        return book;
    }
    TK_ASSERT(driver_ != nullptr);
    auto book = driver_->create_dao_src(name, format_.connect_string());
    book->set_origin(origin_mark(destination_, part));
    book->set_output_path(path);
    return book;
}

udb_database& run_workbooks::workbook(int part) {
    TK_ASSERT(part >= 0);
    if (books_.size() <= static_cast<std::size_t>(part)) books_.resize(part + 1);
    staged_workbook& staged = books_[part];
    if (!staged.book) {
        TK_ASSERT(!staged.is_complete);
        if (staged.temporary.empty()) staged.temporary = tk_create_temporary_beside(destination_);
        staged.book = open(staged.temporary, part);
    }
    return *staged.book;
}

void run_workbooks::finish_sheet(int part, udb_recordset& sheet) {
    TK_LOG(1, "xls_converter::save_table(%s)", sheet.name().c_str());
    // A part workbook is left for good unless a later table grows as long: what it holds
    // in memory is given back now, so a split run stays as small as one part.
    if (!is_xlsx_) {
        if (part > 0) static_cast<dao_database&>(workbook(part)).release_memory();
        return;  // .xls sheets are completed with their workbook
    }
    auto& book = static_cast<xlsx_database&>(workbook(part));
    book.save_table(sheet);
    if (part > 0) book.release_memory();
}

std::vector<std::string> run_workbooks::complete_all() {
    std::vector<std::string> completed;
    std::unique_ptr<tk_exception> first_error;
    for (staged_workbook& staged : books_) {
        if (!staged.book) continue;
        if (!is_xlsx_ && static_cast<dao_database&>(*staged.book).sheet_count() == 0) {
            // a stop left this workbook without a sheet: there is nothing to put in its place
            static_cast<dao_database&>(*staged.book).abandon();
            staged.book.reset();
            continue;
        }
        try {
            if (is_xlsx_) static_cast<xlsx_database&>(*staged.book).save();
            else static_cast<dao_database&>(*staged.book).close();
            staged.is_complete = true;
            completed.push_back(staged.temporary);
        } catch (const tk_exception& error) {
            if (!first_error) first_error = std::make_unique<tk_exception>(error);
        }
        staged.book.reset();
    }
    if (first_error) throw *first_error;
    return completed;
}

std::vector<std::string> run_workbooks::publish() {
    std::vector<std::string> written;
    // Every file is on the disk before any name changes, so a power cut in between leaves
    // either the old or the new workbook under each name.
    for (std::size_t part = 0; part < books_.size(); ++part) {
        if (books_[part].is_complete)
            tk_sync_file(books_[part].temporary, part_path(destination_, static_cast<int>(part)));
    }
    for (std::size_t part = books_.size(); part-- > 0;) {
        staged_workbook& staged = books_[part];
        if (!staged.is_complete) continue;
        const std::string path = part_path(destination_, static_cast<int>(part));
        tk_replace_file(staged.temporary, path);
        staged.temporary.clear();
        written.insert(written.begin(), path);
    }
    if (!books_.empty() && books_[0].is_complete) remove_earlier_parts(static_cast<int>(books_.size()));
    books_.clear();
    return written;
}

void run_workbooks::drop_sheet(const std::string& sheet_name) noexcept {
    if (is_xlsx_) return;  // an .xlsx sheet streams into its package, which a stop never saves
    for (auto& staged : books_)
        if (staged.book) static_cast<dao_database&>(*staged.book).drop_table(sheet_name);
}

void run_workbooks::abandon_all() noexcept {
    // The temporary files go with the destructor; an .xls workbook is not even written to its own.
    for (auto& staged : books_) {
        if (staged.book && !is_xlsx_) static_cast<dao_database&>(*staged.book).abandon();
        staged.book.reset();
    }
}

void run_workbooks::remove_earlier_parts(int first_part) const noexcept {
    // Parts are numbered without gaps, so the first missing one ends the earlier run's parts.
    for (int part = first_part;; ++part) {
        std::string path;
        try {
            path = part_path(destination_, part);
        } catch (const std::exception&) {
            break;
        }
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) break;
        if (read_workbook_origin(path) != origin_mark(destination_, part)) {
            TK_LOG(3, "Kept %s: not a part workbook written for this destination", path.c_str());
            continue;
        }
        TK_LOG(3, "Delete file '%s'", path.c_str());
        if (::unlink(path.c_str()) != 0)
            TK_LOG(3, "Cannot remove the earlier part workbook %s: %s", path.c_str(), std::strerror(errno));
    }
    tk_sync_folder(tk_folder_of(destination_));
}

namespace {

std::size_t cell_text_limit(bool excel_50) noexcept { return excel_50 ? 254 : 32766; }

}  // namespace

bool is_normal_cell_text(std::string_view text, bool excel_50) noexcept {
    // Every UTF-16 unit takes at least one byte, so a text within the limit in bytes is within it in units.
    return text.size() <= cell_text_limit(excel_50) && text.find('\r') == std::string_view::npos;
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
    const std::size_t limit = cell_text_limit(excel_50);
    cut = false;
    if (out.size() > limit && utf16_length(out) > limit) {
        out.resize(utf16_prefix(out, limit).size());
        cut = true;
    }
    return out;
}
