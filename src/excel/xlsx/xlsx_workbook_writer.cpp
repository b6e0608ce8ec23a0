// The workbook package: its sheets, then the parts that can only be written once every
// sheet is known.
#include "excel/xlsx/xlsx_workbook_writer.h"

#include <algorithm>
#include <ctime>
#include <functional>

#include "excel/xlsx/shared_strings.h"
#include "excel/xlsx/xlsx_error.h"
#include "excel/xlsx/xlsx_package_parts.h"
#include "excel/xlsx/xlsx_sheet_writer.h"
#include "excel/xlsx/xlsx_styles.h"
#include "excel/xlsx/zip_package.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace SimpleXlsx {
namespace {

constexpr std::size_t max_title_characters = 31;

}  // namespace

void check_sheet_title(std::string_view title) {
    if (title.empty()) throw_xlsx_error(xlsx_error::sheet_name_empty, title);
    if (!is_valid_utf8(title)) throw_xlsx_error(xlsx_error::sheet_name_invalid, title);
    if (utf16_length(title) > max_title_characters) throw_xlsx_error(xlsx_error::sheet_name_too_long, title);
    const bool has_forbidden = title.find_first_of(":\\/?*[]") != std::string_view::npos;
    const bool has_control = std::any_of(title.begin(), title.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (has_forbidden || has_control || title.front() == '\'' || title.back() == '\'')
        throw_xlsx_error(xlsx_error::sheet_name_invalid, title);
}

struct CWorkbook::impl {
    impl(std::string destination, bool wrap, std::size_t string_budget)
        : zip(std::move(destination)), strings(string_budget), wrap_text(wrap) {}

    zip_package zip;
    shared_strings strings;
    std::vector<std::unique_ptr<CWorksheet>> sheets;
    bool wrap_text;
    bool is_saved = false;
    std::string origin;

    void write_part(const std::string& name, const std::function<void(XmlWriter&)>& write) {
        zip.open_entry(name);
        XmlWriter writer(zip);
        write(writer);
        writer.flush();
        zip.close_entry();
    }

    package_contents contents() const {
        package_contents result;
        for (const auto& sheet : sheets) result.sheets.push_back(sheet->entry());
        result.has_shared_strings = !strings.empty();
        result.origin = origin;
        return result;
    }
};

CWorkbook::CWorkbook(std::string destination, bool wrap_text, std::size_t string_budget)
    : impl_(std::make_unique<impl>(std::move(destination), wrap_text, string_budget)) {
    TK_LOG(2, "CWorkbook::ctor(%s)", impl_->zip.destination().c_str());
}

CWorkbook::~CWorkbook() = default;

CWorksheet& CWorkbook::add_sheet(std::string_view title, std::span<const std::string> column_names) {
    TK_LOG(2, "CWorkbook::add_sheet(%.*s)", static_cast<int>(title.size()), title.data());
    TK_ASSERT(!impl_->is_saved);
    check_sheet_title(title);
    for (const auto& sheet : impl_->sheets)
        if (iequals(sheet->title(), title)) throw_xlsx_error(xlsx_error::sheet_name_duplicate, title);
    if (column_names.size() > xlsx_max_columns) throw_xlsx_error(xlsx_error::too_many_columns, title);
    if (!impl_->sheets.empty()) impl_->sheets.back()->finish();
    impl_->sheets.push_back(std::make_unique<CWorksheet>(impl_->zip, impl_->strings, std::string(title),
                                                         impl_->sheets.size(), column_names, impl_->wrap_text));
    return *impl_->sheets.back();
}

void CWorkbook::save() {
    TK_LOG(2, "CWorkbook::save(%s)", impl_->zip.destination().c_str());
    TK_ASSERT(!impl_->is_saved && !impl_->sheets.empty());
    impl_->sheets.back()->finish();
    const package_contents contents = impl_->contents();
    if (contents.has_shared_strings && !impl_->strings.is_closed())
        impl_->write_part("xl/sharedStrings.xml", [&](XmlWriter& w) { impl_->strings.write_part(w); });
    impl_->write_part("xl/styles.xml", [](XmlWriter& w) { write_styles_part(w); });
    impl_->write_part("xl/theme/theme1.xml", [](XmlWriter& w) { write_theme(w); });
    impl_->write_part("xl/workbook.xml", [&](XmlWriter& w) { write_workbook(w, contents); });
    impl_->write_part("xl/_rels/workbook.xml.rels", [&](XmlWriter& w) { write_workbook_relationships(w, contents); });
    impl_->write_part("docProps/app.xml", [&](XmlWriter& w) { write_app_properties(w, contents); });
    impl_->write_part("docProps/core.xml",
                      [&](XmlWriter& w) { write_core_properties(w, document_creator(), std::time(nullptr)); });
    if (!contents.origin.empty())
        impl_->write_part("docProps/custom.xml", [&](XmlWriter& w) { write_custom_properties(w, contents); });
    impl_->write_part("_rels/.rels", [&](XmlWriter& w) { write_package_relationships(w, contents); });
    impl_->write_part("[Content_Types].xml", [&](XmlWriter& w) { write_content_types(w, contents); });
    impl_->zip.commit();  // the package is not done until the central directory is on disk
    impl_->is_saved = true;
}

void CWorkbook::set_origin(std::string origin) { impl_->origin = std::move(origin); }
void CWorkbook::set_output_path(std::string path) { impl_->zip.set_output_path(std::move(path)); }
void CWorkbook::close_shared_strings() {
    TK_ASSERT(!impl_->is_saved);
    if (impl_->strings.is_closed()) return;
    if (!impl_->sheets.empty()) impl_->sheets.back()->finish();
    if (impl_->strings.empty()) impl_->strings.close();
    else impl_->write_part("xl/sharedStrings.xml", [&](XmlWriter& w) { impl_->strings.write_part(w); });
}

std::size_t CWorkbook::sheet_count() const noexcept { return impl_->sheets.size(); }
const std::string& CWorkbook::destination() const noexcept { return impl_->zip.destination(); }

}  // namespace SimpleXlsx
