// The workbook package: its sheets, then the parts that can only be written once every
// sheet is known.
#include "excel/xlsx/xlsx_package_writer.h"

#include <algorithm>
#include <ctime>
#include <functional>

#include "excel/workbook_format.h"
#include "excel/xlsx/shared_strings.h"
#include "excel/xlsx/xlsx_error.h"
#include "excel/xlsx/xlsx_package_parts.h"
#include "excel/xlsx/xlsx_sheet_writer.h"
#include "excel/xlsx/xlsx_styles.h"
#include "excel/xlsx/zip_package.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

void check_sheet_title(std::string_view title) {
    if (title.empty()) throw_xlsx_error(xlsx_error::sheet_name_empty, title);
    if (!is_valid_utf8(title)) throw_xlsx_error(xlsx_error::sheet_name_invalid, title);
    if (utf16_length(title) > max_sheet_name_chars) throw_xlsx_error(xlsx_error::sheet_name_too_long, title);
    const bool has_forbidden = title.find_first_of(":\\/?*[]") != std::string_view::npos;
    const bool has_control = std::any_of(title.begin(), title.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (has_forbidden || has_control || title.front() == '\'' || title.back() == '\'')
        throw_xlsx_error(xlsx_error::sheet_name_invalid, title);
}

struct xlsx_package_writer::impl {
    impl(std::string destination, std::string output, bool wrap, std::size_t string_budget)
        : zip(std::move(destination), std::move(output)), strings(string_budget), wrap_text(wrap) {}

    zip_package zip;
    shared_strings strings;
    std::vector<std::unique_ptr<xlsx_sheet_writer>> sheets;
    bool wrap_text;
    bool is_saved = false;
    std::string origin;

    void write_part(const std::string& name, const std::function<void(xml_writer&)>& write) {
        zip.open_entry(name);
        xml_writer writer(zip);
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

xlsx_package_writer::xlsx_package_writer(std::string destination, std::string output, bool wrap_text,
                                         std::size_t string_budget)
    : impl_(std::make_unique<impl>(std::move(destination), std::move(output), wrap_text, string_budget)) {
    TK_LOG(2, "%s(%s)", __func__, impl_->zip.destination().c_str());
}

xlsx_package_writer::~xlsx_package_writer() = default;

xlsx_sheet_writer& xlsx_package_writer::add_sheet(std::string_view title, std::span<const std::string> column_names) {
    TK_LOG(2, "%s(%.*s)", __func__, static_cast<int>(title.size()), title.data());
    TK_ASSERT(!impl_->is_saved);
    check_sheet_title(title);
    for (const auto& sheet : impl_->sheets)
        if (iequals(sheet->title(), title)) throw_xlsx_error(xlsx_error::sheet_name_duplicate, title);
    if (column_names.size() > excel_2010_limits.max_columns) throw_xlsx_error(xlsx_error::too_many_columns, title);
    if (!impl_->sheets.empty()) impl_->sheets.back()->finish();
    impl_->sheets.push_back(std::make_unique<xlsx_sheet_writer>(impl_->zip, impl_->strings, std::string(title),
                                                         impl_->sheets.size(), column_names, impl_->wrap_text));
    return *impl_->sheets.back();
}

void xlsx_package_writer::save() {
    TK_LOG(2, "%s(%s)", __func__, impl_->zip.destination().c_str());
    TK_ASSERT(!impl_->is_saved && !impl_->sheets.empty());
    impl_->sheets.back()->finish();
    const package_contents contents = impl_->contents();
    if (contents.has_shared_strings && !impl_->strings.is_closed())
        impl_->write_part("xl/sharedStrings.xml", [&](xml_writer& w) { impl_->strings.write_part(w); });
    impl_->write_part("xl/styles.xml", [](xml_writer& w) { write_styles_part(w); });
    impl_->write_part("xl/theme/theme1.xml", [](xml_writer& w) { write_theme(w); });
    impl_->write_part("xl/workbook.xml", [&](xml_writer& w) { write_workbook(w, contents); });
    impl_->write_part("xl/_rels/workbook.xml.rels", [&](xml_writer& w) { write_workbook_relationships(w, contents); });
    impl_->write_part("docProps/app.xml", [&](xml_writer& w) { write_app_properties(w, contents); });
    impl_->write_part("docProps/core.xml",
                      [&](xml_writer& w) { write_core_properties(w, document_creator(), std::time(nullptr)); });
    if (!contents.origin.empty())
        impl_->write_part("docProps/custom.xml", [&](xml_writer& w) { write_custom_properties(w, contents); });
    impl_->write_part("_rels/.rels", [&](xml_writer& w) { write_package_relationships(w, contents); });
    impl_->write_part("[Content_Types].xml", [&](xml_writer& w) { write_content_types(w, contents); });
    impl_->zip.commit();  // the package is not done until the central directory is on disk
    impl_->is_saved = true;
}

void xlsx_package_writer::set_origin(std::string origin) { impl_->origin = std::move(origin); }
void xlsx_package_writer::close_shared_strings() {
    TK_ASSERT(!impl_->is_saved);
    if (impl_->strings.is_closed()) return;
    if (!impl_->sheets.empty()) impl_->sheets.back()->finish();
    if (impl_->strings.empty()) impl_->strings.close();
    else impl_->write_part("xl/sharedStrings.xml", [&](xml_writer& w) { impl_->strings.write_part(w); });
}

std::size_t xlsx_package_writer::sheet_count() const noexcept { return impl_->sheets.size(); }
const std::string& xlsx_package_writer::destination() const noexcept { return impl_->zip.destination(); }

