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

}  // namespace ociemu
