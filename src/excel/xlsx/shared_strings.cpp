// The shared-string table and its part.
#include "excel/xlsx/shared_strings.h"

#include "excel/xlsx/xml_writer.h"

bool has_outer_space(std::string_view text) {
    auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return !text.empty() && (is_space(text.front()) || is_space(text.back()));
}

shared_strings::shared_strings(std::size_t budget) : table_(budget) {}

std::optional<std::uint32_t> shared_strings::index_of(std::string_view text, bool must_share) {
    if (is_closed_) return std::nullopt;
    const std::optional<string_table::entry> entry = table_.add(text, must_share);
    if (!entry) return std::nullopt;
    if (entry->is_new) in_order_.push_back(entry->is_kept ? entry->kept : std::string_view(unkept_.emplace_back(text)));
    return entry->index;
}

void shared_strings::write_part(xml_writer& writer) {
    writer.prolog();
    writer.start("sst");
    writer.attribute("xmlns", "http://schemas.openxmlformats.org/spreadsheetml/2006/main");
    writer.attribute("count", static_cast<std::int64_t>(table_.use_count()));
    writer.attribute("uniqueCount", static_cast<std::int64_t>(in_order_.size()));
    for (const std::string_view text : in_order_) {
        writer.start("si");
        writer.start("t");
        if (has_outer_space(text)) writer.attribute("xml:space", "preserve");
        writer.text(text);
        writer.end();
        writer.end();
    }
    writer.end();
    close();  // cells written from now on cannot join a part that is already out
}

void shared_strings::close() noexcept {
    if (is_closed_) return;
    is_closed_ = true;
    closed_size_ = in_order_.size();
    decltype(in_order_)().swap(in_order_);
    decltype(unkept_)().swap(unkept_);
    table_.release_lookup();
}

