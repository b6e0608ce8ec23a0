// Shared strings of BIFF8 workbooks and the Windows-1252 text of BIFF5 workbooks.
#include "excel/xls/biff_string_table.h"

#include <algorithm>

#include "excel/xls/biff_records.h"
#include "toolkit/text.h"

namespace {

constexpr std::uint32_t min_strings_per_bucket = 8;
constexpr std::uint32_t max_buckets = 128;

// Windows-1252 characters 0x80-0x9F; 0 marks the five unassigned ones.
constexpr char16_t cp1252_high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char to_1252(char16_t unit, std::size_t& replaced) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
    for (int k = 0; k < 32; ++k)
        if (cp1252_high[k] == unit && unit != 0) return static_cast<char>(0x80 + k);
    ++replaced;
    return '?';
}

}  // namespace

std::uint32_t biff_string_table::add(std::u16string text) {
    ++total_;
    const auto [where, added] = index_.try_emplace(std::move(text), static_cast<std::uint32_t>(order_.size()));
    if (added) order_.push_back(&where->first);
    return where->second;
}

void biff_string_table::write(biff_buffer& out, std::uint32_t stream_offset) const {
    const std::uint32_t per_bucket =
        std::max(min_strings_per_bucket, (unique_count() + max_buckets - 1) / max_buckets);
    struct bucket { std::uint32_t position; std::uint32_t offset_in_record; };
    std::vector<bucket> buckets;

    out.begin(biff_type::sst);
    std::size_t record_at = out.size() - 4;
    out.u32(total_);
    out.u32(unique_count());
    auto next_record = [&out, &record_at] {
        out.end();
        record_at = out.size();
        out.begin(biff_type::continue_record);
    };
    for (std::uint32_t i = 0; i < order_.size(); ++i) {
        const std::u16string& text = *order_[i];
        const bool compressed = biff_fits_in_bytes(text);
        const std::size_t char_size = compressed ? 1 : 2;
        // the count and flags never part from the first character
        if (out.open_body_size() + 3 + (text.empty() ? 0 : char_size) > biff_max_record_body) next_record();
        if (i % per_bucket == 0)
            buckets.push_back({stream_offset + static_cast<std::uint32_t>(out.size()),
                               static_cast<std::uint32_t>(out.size() - record_at)});
        out.u16(static_cast<std::uint32_t>(text.size()));
        out.u8(compressed ? 0 : 1);
        std::size_t done = 0;
        while (done < text.size()) {
            const std::size_t room = (biff_max_record_body - out.open_body_size()) / char_size;
            if (room == 0) {
                next_record();
                out.u8(compressed ? 0 : 1);  // a continued string repeats its flags
                continue;
            }
            const std::size_t piece = std::min(room, text.size() - done);
            write_unicode_chars(out, std::u16string_view(text).substr(done, piece), compressed);
            done += piece;
        }
    }
    out.end();

    out.begin(biff_type::ext_sst);
    out.u16(per_bucket);
    for (const bucket& b : buckets) {
        out.u32(b.position);
        out.u16(b.offset_in_record);
        out.u16(0);
    }
    out.end();
}

std::string biff_to_code_page_1252(std::string_view utf8, std::size_t& replaced) {
    const std::u16string units = to_unicode(utf8);
    std::string text;
    text.reserve(units.size());
    for (std::size_t k = 0; k < units.size(); ++k) {
        const char16_t unit = units[k];
        if (unit >= 0xD800 && unit <= 0xDBFF && k + 1 < units.size()) ++k;  // one "?" per character
        text.push_back(to_1252(unit, replaced));
    }
    return text;
}

std::string biff_from_code_page_1252(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0) units.push_back(cp1252_high[byte - 0x80] ? cp1252_high[byte - 0x80] : u'\uFFFD');
        else units.push_back(byte);
    }
    return to_utf8(units);
}

std::string biff5_sheet_name(std::string_view utf8) {
    if (!is_valid_utf8(utf8)) return std::string(utf8);
    std::size_t replaced = 0;
    std::string stored = biff_to_code_page_1252(utf8, replaced);
    if (replaced == 0) return std::string(utf8);
    // The name's own "?" would be refused anyway; every "?" is replaced alike.
    for (char& c : stored)
        if (c == '?') c = '_';
    return biff_from_code_page_1252(stored);
}
