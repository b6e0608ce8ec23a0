// Worksheet cells, row blocks with DBCELL records, and the sheet stream with its INDEX.
#include "excel/xls/biff_sheet_writer.h"

#include "excel/xls/biff_records.h"
#include "excel/xls/biff_string_table.h"
#include "excel/xls/code_page_1252.h"
#include "excel/workbook_format.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

constexpr std::size_t max_kept_block_bytes = 1u << 20;

// The longest prefix of at most max_units UTF-16 units that does not split a surrogate pair.
std::u16string_view cut_units(std::u16string_view text, std::size_t max_units) {
    if (text.size() <= max_units) return text;
    std::size_t size = max_units;
    if (text[size - 1] >= 0xD800 && text[size - 1] <= 0xDBFF) --size;
    return text.substr(0, size);
}

const format_limits& limits_of(biff_version version) noexcept {
    return version == biff_version::biff8 ? excel_2000_limits : excel_50_limits;
}

}  // namespace

biff_sheet_writer::biff_sheet_writer(std::string name, biff_version version, biff_string_table* strings,
                                     std::size_t& replaced, const std::filesystem::path& spool_beside)
    : name_(std::move(name)), version_(version), strings_(strings), replaced_(replaced), spool_(spool_beside) {
    TK_ASSERT((version == biff_version::biff8) == (strings != nullptr));
}

std::uint32_t biff_sheet_writer::max_rows() const noexcept { return limits_of(version_).max_data_rows + 1; }

void biff_sheet_writer::start_row() {
    TK_ASSERT(!in_row_ && !finished_);
    if (next_row_ >= max_rows())
        throw tk_exception("The worksheet \"" + name_ + "\" is full: it holds at most " +
                               std::to_string(max_rows()) + " rows.",
                           tk_level_recoverable);
    // rows arrive in order, so a row in the next block means the current block is final
    if (!block_.empty() && block_.front().row / biff_rows_per_block != next_row_ / biff_rows_per_block)
        flush_block();
    in_row_ = true;
    row_cells_start_ = cells_.size();
    last_column_ = -1;
}

void biff_sheet_writer::put_cell_start(std::uint16_t column) {
    TK_ASSERT(in_row_ && static_cast<int>(column) > last_column_ && column < limits_of(version_).max_columns);
    if (last_column_ < 0) row_first_ = column;
    last_column_ = column;
    row_end_ = static_cast<std::uint16_t>(column + 1);
}

void biff_sheet_writer::put_numeric(std::uint16_t column, double value, std::uint16_t xf) {
    put_cell_start(column);
    write_number(cells_, next_row_, column, xf, value);
}

void biff_sheet_writer::put_number(std::uint16_t column, double value) {
    put_numeric(column, value, biff_xf::default_cell);
}

void biff_sheet_writer::put_date(std::uint16_t column, double serial, biff_date_kind kind) {
    const std::uint16_t xf = kind == biff_date_kind::date        ? biff_xf::date
                             : kind == biff_date_kind::date_time ? biff_xf::date_time
                                                                 : biff_xf::time;
    put_numeric(column, serial, xf);
}

void biff_sheet_writer::put_bool(std::uint16_t column, bool value, std::uint16_t xf) {
    put_cell_start(column);
    write_bool(cells_, next_row_, column, xf, value);
}

void biff_sheet_writer::put_text(std::uint16_t column, std::string_view utf8, std::uint16_t xf) {
    text_units_.clear();
    append_utf16(text_units_, utf8);
    put_text(column, std::u16string_view(text_units_), xf);
}

// The cell rules cut data texts to the format's cell before they arrive here; a header name
// is cut here, as it always was.
void biff_sheet_writer::put_text(std::uint16_t column, std::u16string_view text, std::uint16_t xf) {
    const std::size_t max_units = limits_of(version_).max_text_units;
    put_cell_start(column);
    if (version_ == biff_version::biff8) {
        text = cut_units(text, max_units);
        if (const std::optional<std::uint32_t> index = strings_->add(text))
            write_label_sst(cells_, next_row_, column, xf, *index);
        else
            write_label_unicode(cells_, next_row_, column, xf, text);
    } else {
        single_bytes_.clear();
        append_code_page_1252(single_bytes_, text, replaced_);
        if (single_bytes_.size() > max_units) single_bytes_.resize(max_units);  // one byte a character
        write_label(cells_, next_row_, column, xf, single_bytes_);
    }
}

void biff_sheet_writer::end_row() {
    TK_ASSERT(in_row_);
    in_row_ = false;
    if (last_column_ >= 0) {
        block_.push_back({next_row_, row_first_, row_end_, cells_.size()});
        if (!has_cells_) first_row_ = next_row_;
        has_cells_ = true;
        end_row_ = next_row_ + 1;
        first_column_ = std::min(first_column_, row_first_);
        end_column_ = std::max(end_column_, row_end_);
    }
    ++next_row_;
}

// ROW records of the block, then the cells of each row, then the DBCELL that lets a reader
// find each row's first cell.
void biff_sheet_writer::flush_block() {
    if (block_.empty()) return;
    scratch_.clear();
    for (const row_entry& row : block_) write_row(scratch_, row.row, row.first_column, row.end_column);
    scratch_.bytes(cells_.view());
    const std::uint64_t block_start = spool_.size();
    const std::size_t dbcell_at = scratch_.size();
    scratch_.begin(biff_type::dbcell);
    scratch_.u32(static_cast<std::uint32_t>(dbcell_at));
    scratch_.u16(static_cast<std::uint32_t>((block_.size() - 1) * biff_row_record_size));
    std::size_t previous_end = 0;
    for (std::size_t k = 0; k + 1 < block_.size(); ++k) {
        scratch_.u16(static_cast<std::uint32_t>(block_[k].cells_end - previous_end));
        previous_end = block_[k].cells_end;
    }
    scratch_.end();
    dbcells_.push_back(static_cast<std::uint32_t>(block_start + dbcell_at));
    spool_.append(scratch_.view());
    block_.clear();
    cells_.clear();
    // a block of long texts must not keep its size for the rest of the run
    if (cells_.capacity() > max_kept_block_bytes) {
        cells_.release();
        scratch_.release();
    }
}

void biff_sheet_writer::finish() {
    TK_ASSERT(!in_row_);
    if (finished_) return;
    flush_block();
    finished_ = true;
    cells_.release();
    scratch_.release();
    std::u16string().swap(text_units_);
    std::string().swap(single_bytes_);
    TK_LOG(1, "%s: sheet '%s', %u rows, %zu row blocks", __func__, name_.c_str(), next_row_, dbcells_.size());
}

// Everything before the first ROW record. Its size does not depend on stream_offset.
biff_buffer biff_sheet_writer::head(std::uint32_t stream_offset) const {
    biff_buffer settings;
    write_sheet_settings(settings, version_);
    const std::size_t bof_size = version_ == biff_version::biff8 ? 20 : 12;
    const std::size_t index_size = biff_index_size(version_, dbcells_.size());
    const std::uint32_t default_width_at =
        stream_offset + static_cast<std::uint32_t>(bof_size + index_size + settings.size());
    const std::uint32_t dimensions_size = version_ == biff_version::biff8 ? 18 : 14;
    const std::uint32_t rows_at = default_width_at + 6 + dimensions_size;

    std::vector<std::uint32_t> absolute(dbcells_.size());
    for (std::size_t k = 0; k < dbcells_.size(); ++k) absolute[k] = rows_at + dbcells_[k];
    biff_buffer out;
    write_bof(out, version_, biff_bof_worksheet);
    write_index(out, version_, has_cells_ ? first_row_ : 0, has_cells_ ? end_row_ : 0, default_width_at,
                absolute);
    out.bytes(settings.view());
    write_default_column_width(out);
    write_dimensions(out, version_, has_cells_ ? first_row_ : 0, has_cells_ ? end_row_ : 0,
                     has_cells_ ? first_column_ : 0, has_cells_ ? end_column_ : 0);
    TK_ASSERT(out.size() == rows_at - stream_offset);
    return out;
}

std::uint64_t biff_sheet_writer::stream_size() const {
    TK_ASSERT(finished_);
    biff_buffer tail;
    write_window2(tail, version_, false);
    write_eof(tail);
    return head(0).size() + spool_.size() + tail.size();
}

void biff_sheet_writer::write_stream(byte_sink& out, std::uint32_t stream_offset, bool selected) {
    TK_ASSERT(finished_);
    out.write(head(stream_offset).view());
    spool_.copy_to(out);
    biff_buffer tail;
    write_window2(tail, version_, selected);
    write_eof(tail);
    out.write(tail.view());
}
