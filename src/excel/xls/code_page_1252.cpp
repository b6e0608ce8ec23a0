// Windows-1252 text of Excel 5.0 workbooks.
#include "excel/xls/code_page_1252.h"

#include "toolkit/text.h"

namespace {

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

void append_code_page_1252(std::string& out, std::u16string_view text, std::size_t& replaced) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char16_t unit = text[k];
        if (unit >= 0xD800 && unit <= 0xDBFF && k + 1 < text.size()) ++k;  // one "?" per character
        out.push_back(to_1252(unit, replaced));
    }
}

std::string biff_to_code_page_1252(std::string_view utf8, std::size_t& replaced) {
    std::string text;
    text.reserve(utf8.size());
    append_code_page_1252(text, to_unicode(utf8), replaced);
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
