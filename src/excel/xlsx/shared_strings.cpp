// The shared-string table and its part.
#include "excel/xlsx/shared_strings.h"

#include "excel/xlsx/xml_writer.h"

namespace SimpleXlsx {
namespace {

// Readers drop leading and trailing white space of a text unless told to keep it.
bool has_outer_space(std::string_view text) {
    auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return !text.empty() && (is_space(text.front()) || is_space(text.back()));
}

}  // namespace

shared_strings::shared_strings() { indexes_.reserve(1024); }

std::uint32_t shared_strings::index_of(std::string_view text) {
    ++use_count_;
    if (const auto found = indexes_.find(text); found != indexes_.end()) return found->second;
    const auto index = static_cast<std::uint32_t>(in_order_.size());
    const auto inserted = indexes_.emplace(std::string(text), index).first;
    in_order_.push_back(&inserted->first);
    return index;
}

void shared_strings::write_part(XmlWriter& writer) const {
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
}

}  // namespace SimpleXlsx
