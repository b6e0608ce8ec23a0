// A BIFF5 (Excel 5.0) or BIFF8 (Excel 2000) workbook written into an OLE compound file.
// Sheets spool their rows while they are filled; close() writes the globals (fonts, XFs,
// sheet list, shared strings), the sheets and the container under a temporary name and
// renames it into place, so a failed close leaves no partial file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "excel/xls/biff_sheet_writer.h"
#include "excel/xls/biff_string_table.h"

// The compound-file stream that holds a workbook's origin text (UTF-8).
inline constexpr std::u16string_view origin_stream_name = u"SprandelOrigin";

class biff_workbook_writer {
public:
    // destination names the workbook in messages; wrap_text: data cells wrap their text;
    // string_budget: memory the shared-string lookup may take (BIFF8).
    biff_workbook_writer(std::filesystem::path destination, biff_version version, bool wrap_text,
                         std::size_t string_budget = string_table::default_budget);
    biff_workbook_writer(const biff_workbook_writer&) = delete;
    biff_workbook_writer& operator=(const biff_workbook_writer&) = delete;

    biff_version version() const noexcept { return version_; }
    const std::filesystem::path& destination() const noexcept { return destination_; }

    // A new sheet. The name must have 1 to 31 characters, none of : \ / ? * [ ], and
    // differ from the other sheets' names ignoring case; otherwise tk_exception.
    biff_sheet_writer& add_sheet(std::string_view name);
    biff_sheet_writer* find_sheet(std::string_view name);  // ignoring case; null when absent
    std::size_t sheet_count() const noexcept { return sheets_.size(); }

    // A text stored in a stream of its own (origin_stream_name), so the workbook can be
    // recognised later; readers of the workbook stream never see it.
    void set_origin(std::string origin) { origin_ = std::move(origin); }
    // Where close() puts the file instead of the destination (see temporary_output_file).
    void set_output_path(std::filesystem::path path) { output_path_ = std::move(path); }
    void close();  // throws naming the file; the workbook is complete only after it
    // Forgets the sheet and everything spooled for it.
    void remove_sheet(const biff_sheet_writer& sheet) noexcept;
    // Ends the workbook without writing it: nothing appears under its name.
    void abandon() noexcept { closed_ = true; }
    // The run has moved past this workbook for now (a part workbook): its sheets so far
    // are finished and the shared-string lookup is given back. Later sheets still work;
    // their texts are LABEL records.
    void release_memory();
    // Characters of BIFF5 texts that Windows-1252 cannot hold and became "?".
    std::size_t replaced_characters() const noexcept { return replaced_; }

private:
    biff_buffer globals(std::vector<std::size_t>& sheet_offset_fields) const;

    std::filesystem::path destination_;
    biff_version version_;
    bool wrap_text_;
    biff_string_table strings_;
    std::vector<std::unique_ptr<biff_sheet_writer>> sheets_;
    std::size_t replaced_ = 0;
    std::string origin_;
    std::filesystem::path output_path_;
    bool closed_ = false;
};
