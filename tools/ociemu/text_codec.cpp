// UTF-8 / UTF-16 conversion and ASCII case helpers.
#include "text_codec.h"

namespace ociemu {
namespace {

constexpr char32_t replacement_character = 0xFFFD;

// Decodes one UTF-8 sequence at `at`, advancing it; malformed input yields U+FFFD.
char32_t decode_utf8(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t value = 0;
    if ((lead & 0xE0) == 0xC0) { extra = 1; value = lead & 0x1F; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; value = lead & 0x0F; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; value = lead & 0x07; }
    else return replacement_character;
    for (int i = 0; i < extra; ++i) {
        if (at >= text.size()) return replacement_character;
        const auto next = static_cast<unsigned char>(text[at]);
        if ((next & 0xC0) != 0x80) return replacement_character;
        value = (value << 6) | (next & 0x3F);
        ++at;
    }
    return value > 0x10FFFF ? replacement_character : value;
}

void append_utf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x800) {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

}  // namespace

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char32_t value = decode_utf8(text, at);
        if (value >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(value);
        }
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        char32_t value = text[at];
        if (value >= 0xD800 && value < 0xDC00 && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
            text[at + 1] < 0xE000) {
            value = 0x10000 + ((value - 0xD800) << 10) + (text[at + 1] - 0xDC00);
            ++at;
        } else if (value >= 0xD800 && value < 0xE000) {
            value = replacement_character;  // a lone surrogate has no UTF-8 form
        }
        append_utf8(out, value);
    }
    return out;
}

std::string to_upper_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool equals_ignoring_case(std::string_view left, std::string_view right) {
    return left.size() == right.size() && to_upper_ascii(left) == to_upper_ascii(right);
}

std::string trim_blanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

namespace {

// Windows-1252 is Latin-1 with 27 further characters in 0x80-0x9F (0x81, 0x8D, 0x8F, 0x90 and 0x9D
// are unassigned, so the C1 controls have no place in it).
bool fits_windows_1252(char16_t c) {
    static constexpr char16_t beyond_latin_1[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
                                                  0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                                  0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return true;
    for (char16_t extra : beyond_latin_1)
        if (c == extra) return true;
    return false;
}

}  // namespace

std::u16string through_charset(std::u16string_view text, database_charset charset) {
    if (charset == database_charset::al32utf8) return std::u16string(text);
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (fits_windows_1252(c)) {
            out += c;
            continue;
        }
        // a character beyond the BMP is one character, and so one replacement
        if ((c & 0xFC00) == 0xD800 && i + 1 < text.size() && (text[i + 1] & 0xFC00) == 0xDC00) ++i;
        out += u'\u00BF';
    }
    return out;
}

std::string through_charset(std::string_view utf8, database_charset charset) {
    if (charset == database_charset::al32utf8) return std::string(utf8);
    return utf16_to_utf8(through_charset(utf8_to_utf16(utf8), charset));
}

}  // namespace ociemu
