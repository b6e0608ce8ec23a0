// Workbook globals and the assembly of the workbook stream at close.
#include "excel/xls/biff_workbook_writer.h"

#include "excel/workbook_format.h"
#include "excel/xls/biff_records.h"
#include "excel/xls/code_page_1252.h"
#include "excel/xls/compound_file_writer.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"
#include "toolkit/system.h"

namespace {

constexpr std::uint64_t min_workbook_stream = 4096;  // Excel wants the workbook outside the mini stream
constexpr std::string_view forbidden_in_sheet_names = ":\\/?*[]";

}  // namespace

biff_workbook_writer::biff_workbook_writer(std::filesystem::path destination, biff_version version, bool wrap_text,
                                           std::size_t string_budget)
    : destination_(std::move(destination)),
      version_(version),
      wrap_text_(wrap_text),
      strings_(string_budget, destination_) {}

biff_sheet_writer& biff_workbook_writer::add_sheet(std::string_view name) {
    TK_ASSERT(!closed_);
    const std::size_t units = is_valid_utf8(name) ? utf16_length(name) : 0;
    if (units == 0 || units > max_sheet_name_chars)
        throw tk_exception("A sheet name has 1 to " + std::to_string(max_sheet_name_chars) + " characters: \"" +
                               std::string(name) + "\".",
                           tk_level_recoverable);
    if (name.find_first_of(forbidden_in_sheet_names) != std::string_view::npos)
        throw tk_exception("A sheet name cannot hold any of : \\ / ? * [ ]: \"" + std::string(name) + "\".",
                           tk_level_recoverable);
    if (find_sheet(name) != nullptr)
        throw tk_exception("The workbook already has a sheet named \"" + std::string(name) + "\".",
                           tk_level_recoverable);
    if (version_ == biff_version::biff5) {
        // two names may differ only in characters that both become "?" in code page 1252
        std::size_t ignored = 0;
        const std::string stored = biff_to_code_page_1252(name, ignored);
        for (const auto& sheet : sheets_)
            if (iequals(biff_to_code_page_1252(sheet->name(), ignored), stored))
                throw tk_exception("The workbook already has a sheet named \"" + stored + "\" in Excel 5.0 characters: \"" +
                                       std::string(name) + "\".",
                                   tk_level_recoverable);
    }
    sheets_.push_back(std::make_unique<biff_sheet_writer>(
        std::string(name), version_, version_ == biff_version::biff8 ? &strings_ : nullptr, replaced_, destination_));
    return *sheets_.back();
}

biff_sheet_writer* biff_workbook_writer::find_sheet(std::string_view name) {
    for (const auto& sheet : sheets_)
        if (iequals(sheet->name(), name)) return sheet.get();
    return nullptr;
}

void biff_workbook_writer::remove_sheet(const biff_sheet_writer& sheet) noexcept {
    // its texts may stay in the shared string table: unused strings do no harm
    std::erase_if(sheets_, [&](const auto& kept) { return kept.get() == &sheet; });
}

biff_buffer biff_workbook_writer::globals(std::vector<std::size_t>& sheet_offset_fields) const {
    biff_buffer out;
    write_bof(out, version_, biff_bof_globals);
    write_interface_header(out, version_);
    write_u16_record(out, biff_type::mms, 0);
    write_empty_record(out, biff_type::interface_end);
    write_write_access(out, version_, "Sprandel");
    write_code_page(out, version_);
    write_window1(out);
    write_u16_record(out, biff_type::backup, 0);
    write_u16_record(out, biff_type::hide_obj, 0);
    write_u16_record(out, biff_type::date_mode, 0);  // 1900 date system
    write_u16_record(out, biff_type::precision, 1);
    write_u16_record(out, biff_type::book_bool, 0);
    write_fonts(out, version_);
    write_date_formats(out, version_);
    write_xfs(out, version_, wrap_text_);
    write_styles(out);
    for (const auto& sheet : sheets_) {
        out.begin(biff_type::bound_sheet);
        sheet_offset_fields.push_back(out.size());
        out.u32(0);  // the sheet's stream offset, known once the globals' size is
        out.u8(0);   // visible
        out.u8(0);   // worksheet
        if (version_ == biff_version::biff8) {
            write_short_unicode(out, to_unicode(sheet->name()));
        } else {
            std::size_t ignored = 0;  // names were counted when they were checked
            const std::string name = biff_to_code_page_1252(sheet->name(), ignored);
            out.u8(static_cast<std::uint32_t>(name.size()));
            out.latin(name);
        }
        out.end();
    }
    if (version_ == biff_version::biff8) {
        out.begin(biff_type::country);
        out.u16(1);
        out.u16(1);
        out.end();
    }
    return out;  // the shared strings and EOF follow; they are streamed by close()
}

void biff_workbook_writer::release_memory() {
    TK_ASSERT(!closed_);
    strings_.release_lookup();
    for (const auto& sheet : sheets_) sheet->finish();
}

void biff_workbook_writer::close() {
    TK_ASSERT(!closed_);
    TK_LOG(2, "%s(%s)", __func__, tk_path_text(destination_).c_str());
    for (const auto& sheet : sheets_) sheet->finish();
    std::vector<std::size_t> offset_fields;
    biff_buffer head = globals(offset_fields);
    biff_buffer eof;
    write_eof(eof);
    const std::uint64_t strings_size = version_ == biff_version::biff8 ? strings_.size() : 0;
    std::uint64_t total = head.size() + strings_size + eof.size();
    std::vector<std::uint32_t> offsets;
    for (std::size_t k = 0; k < sheets_.size(); ++k) {
        if (total > 0x7FFFFFFF) break;
        offsets.push_back(static_cast<std::uint32_t>(total));
        head.patch_u32(offset_fields[k], offsets.back());
        total += sheets_[k]->stream_size();
    }
    if (total > 0x7FFFFFFF)
        throw tk_exception("The workbook " + tk_path_text(destination_) + " would exceed 2 GB.", tk_level_serious);
    const std::uint64_t padding = total < min_workbook_stream ? min_workbook_stream - total : 0;

    compound_file_writer container;
    container.add_stream(version_ == biff_version::biff8 ? u"Workbook" : u"Book", total + padding,
                         [&](byte_sink& out) {
                             out.write(head.view());
                             if (version_ == biff_version::biff8) strings_.write(out, head.size());
                             out.write(eof.view());
                             for (std::size_t k = 0; k < sheets_.size(); ++k)
                                 sheets_[k]->write_stream(out, offsets[k], k == 0);
                             out.write_zeros(padding);
                         });
    if (!origin_.empty()) {
        const auto* text = reinterpret_cast<const std::byte*>(origin_.data());
        container.add_stream(origin_stream_name, std::vector<std::byte>(text, text + origin_.size()));
    }
    temporary_output_file file(destination_, output_path_);
    container.write(file);
    file.commit();
    closed_ = true;
    if (replaced_ > 0)
        TK_LOG(3, "%zu characters could not be written in code page 1252 and became '?'", replaced_);
    TK_LOG(1, "Workbook %s written: %zu sheets, %llu bytes", tk_path_text(destination_).c_str(), sheets_.size(),
           static_cast<unsigned long long>(total));
}
