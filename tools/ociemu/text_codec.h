// UTF-8 / UTF-16 conversion and the small text helpers the emulator needs at its API boundary.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ociemu {

// Invalid sequences become U+FFFD: the emulator must never fail on odd bytes a test stored.
std::u16string utf8_to_utf16(std::string_view text);
std::string utf16_to_utf8(std::u16string_view text);

// ASCII-only case handling: Oracle identifiers and keywords compare this way.
std::string to_upper_ascii(std::string_view text);
bool equals_ignoring_case(std::string_view left, std::string_view right);

std::string trim_blanks(std::string_view text);

// The character sets the emulated databases can have: Unicode, or Windows-1252 (Western European),
// which cannot hold most of the world's scripts.
enum class database_charset { al32utf8, we8mswin1252 };

// Text as it comes out of a database of that character set: every character the set cannot hold
// is the inverted question mark U+00BF, as Oracle's conversion leaves it.
std::u16string through_charset(std::u16string_view text, database_charset charset);
std::string through_charset(std::string_view utf8, database_charset charset);

}  // namespace ociemu
