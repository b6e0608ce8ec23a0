// The shared-string table and its part.
#include "excel/xlsx/shared_strings.h"

#include "excel/xlsx/xml_writer.h"

bool has_outer_space(std::string_view text) {
    auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return !text.empty() && (is_space(text.front()) || is_space(text.back()));
}

shared_strings::shared_strings(std::size_t budget) : budget_(budget) { indexes_.reserve(1024); }

std::optional<std::uint32_t> shared_strings::index_of(std::string_view text, bool must_share) {
    if (is_closed_) return std::nullopt;
    const std::size_t hash = text_hash{}(text);
    if (filter_.may_contain(hash)) {
        if (const auto found = indexes_.find(hashed_text{text, hash}); found != indexes_.end()) {
            ++use_count_;
            return found->second;
        }
    }
    const std::size_t cost = text.size() + entry_overhead;
    if (used_ + cost > budget_ && !must_share) return std::nullopt;
    used_ += cost;
    ++use_count_;
    const auto index = static_cast<std::uint32_t>(in_order_.size());
    filter_.add(hash);
    const auto inserted = indexes_.emplace(std::string(text), index).first;
    in_order_.push_back(&inserted->first);
    return index;
}

void shared_strings::write_part(xml_writer& writer) {
    writer.prolog();
    writer.start("sst");
    writer.attribute("xmlns", "http://schemas.openxmlformats.org/spreadsheetml/2006/main");
    writer.attribute("count", static_cast<std::int64_t>(use_count_));
    writer.attribute("uniqueCount", static_cast<std::int64_t>(in_order_.size()));
    for (const std::string* text : in_order_) {
        writer.start("si");
        writer.start("t");
        if (has_outer_space(*text)) writer.attribute("xml:space", "preserve");
        writer.text(*text);
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
    decltype(indexes_)().swap(indexes_);
    decltype(in_order_)().swap(in_order_);
    filter_.release();
}

