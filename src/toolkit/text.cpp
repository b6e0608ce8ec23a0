// Text helpers.
#include "toolkit/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <unicode/uchar.h>

#include "toolkit/exception.h"
#include "toolkit/log.h"

namespace {

// Decodes one UTF-8 character at text[pos]; returns its length, 0 for an invalid sequence.
std::size_t decode_utf8(std::string_view text, std::size_t pos, char32_t& out) noexcept {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        out = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    out = value;
    return length;
}

// Unicode simple case folding and upper-case mapping, one code point to one, from ICU's
// tables of the Unicode Character Database, so every script folds.
char32_t lower_of(char32_t c) noexcept { return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT)); }

template <class Map>
std::string map_case(std::string_view text, Map map) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        const std::size_t length = decode_utf8(text, pos, c);
        if (length == 0) {
            out += text[pos++];
            continue;
        }
        append_utf8(out, map(c));
        pos += length;
    }
    return out;
}

}  // namespace

void append_utf8(std::string& out, char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void assign_utf8(std::string& out, std::u16string_view text) {
    out.resize(text.size() * 3);  // a unit takes at most three bytes; a pair of them four
    char* next = out.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < 0x80) {
            *next++ = static_cast<char>(unit);
        } else if (unit < 0x800) {
            *next++ = static_cast<char>(0xC0 | (unit >> 6));
            *next++ = static_cast<char>(0x80 | (unit & 0x3F));
        } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            const char32_t c = 0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00);
            *next++ = static_cast<char>(0xF0 | (c >> 18));
            *next++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *next++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *next++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            const char16_t c = unit >= 0xD800 && unit <= 0xDFFF ? char16_t{0xFFFD} : unit;
            *next++ = static_cast<char>(0xE0 | (c >> 12));
            *next++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *next++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
}

std::string to_utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            throw tk_exception("Cannot convert to UTF8 string: unpaired surrogate at character " +
                                   std::to_string(i + 1) + ".",
                               tk_level_serious);
        }
        append_utf8(out, c);
    }
    return out;
}

std::u16string to_unicode(std::string_view text) {
    std::u16string out;
    append_utf16(out, text);
    return out;
}

void append_utf16(std::u16string& out, std::string_view text) {
    out.reserve(out.size() + text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t c = 0;
        const std::size_t length = decode_utf8(text, pos, c);
        if (length == 0) {
            throw tk_exception("Cannot convert to UNICODE string: invalid UTF-8 at byte " +
                                   std::to_string(pos + 1) + ".",
                               tk_level_serious);
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        pos += length;
    }
}

bool is_valid_utf8(std::string_view text) noexcept {
    // every cell's text passes here: ASCII is passed over eight bytes at a time
    constexpr std::uint64_t high_bits = 0x8080808080808080u;
    for (std::size_t pos = 0; pos < text.size();) {
        std::uint64_t word;
        if (pos + sizeof word <= text.size()) {
            std::memcpy(&word, text.data() + pos, sizeof word);
            if ((word & high_bits) == 0) {
                pos += sizeof word;
                continue;
            }
        }
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        char32_t c = 0;
        const std::size_t length = decode_utf8(text, pos, c);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

std::size_t utf16_length(std::string_view text) noexcept {
    std::size_t units = 0;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if ((byte & 0xC0) != 0x80) ++units;  // one unit per lead byte
        if ((byte & 0xF8) == 0xF0) ++units;  // four-byte forms need a surrogate pair
    }
    return units;
}

std::string_view utf16_prefix(std::string_view text, std::size_t max_units) noexcept {
    std::size_t units = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        const std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : 4;
        const std::size_t need = length == 4 ? 2 : 1;
        if (units + need > max_units || pos + length > text.size()) break;
        units += need;
        pos += length;
    }
    return text.substr(0, pos);
}

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        if (!text.empty()) TK_LOG(1, "Special processing for all-spaces-string");
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string& replace_all(std::string& text, std::string_view what, std::string_view with) {
    TK_LOG(2, "%s(%.*s,%.*s)", __func__, static_cast<int>(what.size()), what.data(),
           static_cast<int>(with.size()), with.data());
    TK_ASSERT(!what.empty());
    std::size_t pos = 0;
    while ((pos = text.find(what, pos)) != std::string::npos) {
        text.replace(pos, what.size(), with);
        pos += with.size();
    }
    return text;
}

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string fold_case(std::string_view text) { return map_case(text, lower_of); }

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin())) return true;
    return fold_case(a) == fold_case(b);
}

bool iless::operator()(std::string_view a, std::string_view b) const {
    return fold_case(a) < fold_case(b);
}
