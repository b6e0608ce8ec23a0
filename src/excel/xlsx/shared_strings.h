// The workbook's table of distinct texts: each text is stored once and cells refer to it
// by index, in order of first use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace SimpleXlsx {

class XmlWriter;

class shared_strings {
public:
    shared_strings();
    shared_strings(const shared_strings&) = delete;
    shared_strings& operator=(const shared_strings&) = delete;

    // The index of text, adding it when new. text must be valid UTF-8.
    std::uint32_t index_of(std::string_view text);

    std::size_t size() const noexcept { return in_order_.size(); }
    bool empty() const noexcept { return in_order_.empty(); }
    // How many cells referred to the table.
    std::uint64_t use_count() const noexcept { return use_count_; }

    // The whole sharedStrings part, prolog included.
    void write_part(XmlWriter& writer) const;

private:
    struct text_hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, std::uint32_t, text_hash, std::equal_to<>> indexes_;
    // Keys of indexes_ by index; node-based maps never move their keys.
    std::vector<const std::string*> in_order_;
    std::uint64_t use_count_ = 0;
};

}  // namespace SimpleXlsx
