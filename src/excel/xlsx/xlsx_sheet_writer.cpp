// The worksheet part: sheet start with frozen header and column widths, typed cells,
// autofilter and page margins.
#include "excel/xlsx/xlsx_sheet_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "excel/xlsx/shared_strings.h"
#include "excel/xlsx/xlsx_cell_values.h"
#include "excel/xlsx/xlsx_error.h"
#include "excel/xlsx/xlsx_styles.h"
#include "excel/xlsx/zip_package.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

// Upper bounds of the bytes one cell and one row take in the part, to know beforehand
// whether the entry can outgrow 4 GiB: the longest reference, style, type and value.
constexpr std::uint64_t max_cell_bytes = 96;
constexpr std::uint64_t max_row_bytes = 32;
constexpr std::uint64_t max_sheet_overhead = 4096;
constexpr std::uint64_t zip32_limit = 0xFFFFFFFFu;
// Rows held for the column widths stop being sampled early when their texts are long,
// so a sheet of huge texts does not hold 100 rows of them.
constexpr std::size_t max_held_bytes = 4u << 20;

constexpr double min_column_width = 6;
constexpr double max_column_width = 60;
constexpr double max_wrapped_column_width = 40;  // wrapped text grows downwards instead
constexpr double cell_padding = 1.5;
constexpr double header_padding = 3.5;  // room for the bold face and the filter button

// The most bytes the part can take when every text is a shared one; texts written into
// their cells add their own size to it.
std::uint64_t size_bound(std::size_t column_count) {
    return max_sheet_overhead + max_cell_bytes * column_count * 2 +
           std::uint64_t{xlsx_sheet_rows} * (max_row_bytes + max_cell_bytes * column_count);
}

// Characters a text takes on screen: East Asian characters count twice.
std::size_t display_characters(std::string_view text) {
    std::size_t characters = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) == 0x80) continue;
        characters += (byte >= 0xE3 && byte <= 0xED) || byte >= 0xF0 ? 2 : 1;
    }
    return characters;
}

// The s attributes below name positions of the styles part's cell-format list.
static_assert(static_cast<int>(xlsx_style::header) == 1 && static_cast<int>(xlsx_style::wrapped) == 2 &&
              static_cast<int>(xlsx_style::date) == 3 && static_cast<int>(xlsx_style::date_time) == 4 &&
              static_cast<int>(xlsx_style::date_time_ms) == 5);

const char* data_style(bool wrap_text) { return wrap_text ? " s=\"2\"" : ""; }

}  // namespace

xlsx_sheet_writer::xlsx_sheet_writer(zip_package& zip, shared_strings& strings, std::string title, std::size_t position,
                       std::span<const std::string> column_names, bool wrap_text)
    : zip_(zip),
      strings_(strings),
      title_(std::move(title)),
      writer_(zip),
      wrap_text_(wrap_text),
      is_first_sheet_(position == 0),
      column_count_(static_cast<std::uint32_t>(column_names.size())),
      size_bound_(size_bound(column_names.size())),
      is_zip64_(size_bound_ >= zip32_limit) {
    TK_LOG(2, "%s(%s)", __func__, title_.c_str());
    TK_ASSERT(column_names.size() <= excel_2010_limits.max_columns);
    writer_.hold(true);
    sampled_characters_.assign(column_count_, 0);
    header_characters_.assign(column_count_, 0);
    zip_.open_entry(worksheet_part_name(position), is_zip64_);
    // The header is row 1; the part's start is written once the widths are known.
    begin_row();
    for (const std::string& name : column_names) write_text_cell(name, true);
    end_row();
}

const std::string& xlsx_sheet_writer::letters_of(std::uint32_t column) {
    while (letters_.size() <= column) letters_.push_back(column_letters(static_cast<std::uint32_t>(letters_.size())));
    return letters_[column];
}

void xlsx_sheet_writer::begin_row() {
    TK_ASSERT(!is_finished_);
    if (is_full()) throw_xlsx_error(xlsx_error::too_many_rows, title_);
    ++row_;
    column_ = 0;
    row_text_size_ = static_cast<std::size_t>(std::to_chars(row_text_, row_text_ + sizeof row_text_, row_).ptr - row_text_);
    std::string& out = writer_.buffer();
    out += "<row r=\"";
    out.append(row_text_, row_text_size_);
    out += "\">";
}

void xlsx_sheet_writer::end_row() {
    writer_.buffer() += "</row>";
    if (is_held_ && (row_ > width_sample_rows || writer_.buffer().size() > max_held_bytes)) release_rows();
    writer_.maybe_flush();
}

void xlsx_sheet_writer::start_cell() {
    // Cells past the header's columns would break the size bound that chose the entry's
    // ZIP format; the workbook writer refuses such rows before writing.
    TK_ASSERT(column_ < column_count_);
    std::string& out = writer_.buffer();
    out += "<c r=\"";
    out += letters_of(column_);
    out.append(row_text_, row_text_size_);
    out += '"';
}

void xlsx_sheet_writer::note_width(std::size_t characters) {
    if (is_held_ && column_ < column_count_)
        sampled_characters_[column_] = std::max(sampled_characters_[column_], characters);
}

void xlsx_sheet_writer::write_value_cell(std::string_view value, const char* type_and_style, std::size_t characters) {
    note_width(characters);
    start_cell();
    std::string& out = writer_.buffer();
    out += type_and_style;
    out += "><v>";
    out += value;
    out += "</v></c>";
    ++column_;
}

void xlsx_sheet_writer::write_text_cell(std::string_view text, bool is_header) {
    if (text.empty()) {
        ++column_;
        return;
    }
    if (is_header)
        header_characters_[column_] = display_characters(text);
    else if (is_held_)  // widths come from the first rows only
        note_width(display_characters(text));
    std::optional<std::uint32_t> index = strings_.index_of(text);
    start_cell();
    std::string& out = writer_.buffer();
    out += is_header ? " s=\"1\"" : data_style(wrap_text_);
    if (!index) {
        // Past the table's budget the text goes into its cell, so memory stays flat.
        const std::size_t cell_at = out.size();
        out += has_outer_space(text) ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">" : " t=\"inlineStr\"><is><t>";
        append_escaped_text(out, text);
        out += "</t></is></c>";
        const std::size_t cell_bytes = out.size() - cell_at;
        if (is_zip64_ || size_bound_ + cell_bytes < zip32_limit) {
            size_bound_ += cell_bytes;
            ++column_;
            return;
        }
        // The entry was opened without ZIP64 sizes: this cell shares the text instead.
        out.resize(cell_at);
        index = strings_.index_of(text, true);
        if (!index) throw_xlsx_error(xlsx_error::too_many_rows, title_);
    }
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, *index).ptr;
    out += " t=\"s\"><v>";
    out.append(digits, end);
    out += "</v></c>";
    ++column_;
}

void xlsx_sheet_writer::add_number(double value) {
    TK_ASSERT(std::isfinite(value));  // cell_decider makes NaN and the infinities text
    char digits[32];
    const std::string_view text = number_text(digits, value);
    write_value_cell(text, data_style(wrap_text_), text.size());
}

void xlsx_sheet_writer::add_text(std::string_view text) { write_text_cell(text, false); }

void xlsx_sheet_writer::add_text(std::u16string_view text) {
    assign_utf8(utf8_, text);
    write_text_cell(utf8_, false);
}

void xlsx_sheet_writer::add_boolean(bool value) {
    write_value_cell(value ? "1" : "0", wrap_text_ ? " s=\"2\" t=\"b\"" : " t=\"b\"", 5);  // TRUE / FALSE
}

void xlsx_sheet_writer::add_date(double serial, cell_date_style style) {
    const char* attribute = style == cell_date_style::date           ? " s=\"3\""
                            : style == cell_date_style::date_time_ms ? " s=\"5\""
                                                                     : " s=\"4\"";
    const std::size_t characters = style == cell_date_style::date           ? xlsx_date_format.size()
                                   : style == cell_date_style::date_time_ms ? xlsx_date_time_ms_format.size()
                                                                            : xlsx_date_time_format.size();
    char digits[32];
    const std::string_view text = number_text(digits, serial);
    write_value_cell(text, attribute, characters);
}

void xlsx_sheet_writer::compute_widths() {
    widths_.assign(column_count_, 0);
    for (std::uint32_t i = 0; i < column_count_; ++i) {
        const double limit = wrap_text_ ? max_wrapped_column_width : max_column_width;
        const double header = static_cast<double>(header_characters_[i]) + header_padding;
        const double data = static_cast<double>(sampled_characters_[i]) + cell_padding;
        widths_[i] = std::clamp(std::max(header, data), min_column_width, limit);
    }
}

void xlsx_sheet_writer::write_sheet_views(xml_writer& writer) const {
    writer.start("sheetViews");
    writer.start("sheetView");
    if (is_first_sheet_) writer.attribute("tabSelected", 1);
    writer.attribute("workbookViewId", 0);
    if (column_count_ > 0) {
        // The header row stays in view while the data scrolls.
        writer.start("pane");
        writer.attribute("ySplit", 1);
        writer.attribute("topLeftCell", "A2");
        writer.attribute("activePane", "bottomLeft");
        writer.attribute("state", "frozen");
        writer.end();
        writer.start("selection");
        writer.attribute("pane", "bottomLeft");
        writer.attribute("activeCell", "A2");
        writer.attribute("sqref", "A2");
        writer.end();
    }
    writer.end();
    writer.end();
}

void xlsx_sheet_writer::write_columns(xml_writer& writer) const {
    if (column_count_ == 0) return;
    writer.start("cols");
    for (std::uint32_t i = 0; i < column_count_; ++i) {
        char width[32];
        const auto end = std::to_chars(width, width + sizeof width, widths_[i]).ptr;
        writer.start("col");
        writer.attribute("min", static_cast<std::int64_t>(i + 1));
        writer.attribute("max", static_cast<std::int64_t>(i + 1));
        writer.attribute("width", std::string_view(width, static_cast<std::size_t>(end - width)));
        writer.attribute("customWidth", 1);
        writer.end();
    }
    writer.end();
}

void xlsx_sheet_writer::write_sheet_start() {
    string_sink start;
    xml_writer writer(start);
    writer.prolog();
    writer.start("worksheet");
    writer.attribute("xmlns", "http://schemas.openxmlformats.org/spreadsheetml/2006/main");
    writer.attribute("xmlns:r", "http://schemas.openxmlformats.org/officeDocument/2006/relationships");
    write_sheet_views(writer);
    writer.start("sheetFormatPr");
    writer.attribute("defaultRowHeight", 15);
    writer.end();
    write_columns(writer);
    writer.raw("<sheetData>");
    writer.flush();
    zip_.write(start.text);
}

// The sampled rows decided the widths: the part's start can go out, then the rows.
void xlsx_sheet_writer::release_rows() {
    compute_widths();
    write_sheet_start();
    is_held_ = false;
    writer_.hold(false);
    writer_.flush();
}

void xlsx_sheet_writer::finish() {
    if (is_finished_) return;
    TK_LOG(2, "%s(%s), %u rows", __func__, title_.c_str(), row_);
    if (is_held_) release_rows();
    std::string& out = writer_.buffer();
    out += "</sheetData>";
    const sheet_entry summary = entry();
    if (summary.has_filter()) {
        out += "<autoFilter ref=\"";
        out += filter_range(summary);
        out += "\"/>";
    }
    out += "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>";
    out += "</worksheet>";
    writer_.flush();
    zip_.close_entry();
    is_finished_ = true;
    writer_.release();  // a workbook of many sheets keeps no buffer per finished sheet
}

