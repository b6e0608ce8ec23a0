// Constants of the OLE compound file layout (version 3, 512-byte sectors) shared by the
// writer and the reader, and the little-endian helpers both use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace cfb {

inline constexpr std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
inline constexpr std::uint32_t sector_size = 512;
inline constexpr std::uint32_t mini_sector_size = 64;
inline constexpr std::uint32_t mini_stream_cutoff = 4096;  // smaller streams live in the mini stream
inline constexpr std::uint32_t directory_entry_size = 128;
inline constexpr std::uint32_t header_difat_entries = 109;  // FAT sector numbers held by the header

// Special sector numbers.
inline constexpr std::uint32_t max_regular_sector = 0xFFFFFFFA;
inline constexpr std::uint32_t difat_sector_mark = 0xFFFFFFFC;
inline constexpr std::uint32_t fat_sector_mark = 0xFFFFFFFD;
inline constexpr std::uint32_t end_of_chain = 0xFFFFFFFE;
inline constexpr std::uint32_t free_sector = 0xFFFFFFFF;
inline constexpr std::uint32_t no_stream = 0xFFFFFFFF;  // absent sibling or child

// Directory entry object types and colours.
inline constexpr std::uint8_t type_unused = 0;
inline constexpr std::uint8_t type_storage = 1;
inline constexpr std::uint8_t type_stream = 2;
inline constexpr std::uint8_t type_root = 5;
inline constexpr std::uint8_t colour_red = 0;
inline constexpr std::uint8_t colour_black = 1;

// Directory names compare by upper-case UTF-16 units (Latin letters here), never through a
// conversion that a damaged name could make fail.
inline char16_t upper_unit(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
    return c;
}
inline bool same_name(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (upper_unit(a[k]) != upper_unit(b[k])) return false;
    return true;
}

inline std::uint16_t get_u16(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[at]) |
                                      std::to_integer<unsigned>(bytes[at + 1]) << 8);
}
inline std::uint32_t get_u32(std::span<const std::byte> bytes, std::size_t at) {
    return get_u16(bytes, at) | static_cast<std::uint32_t>(get_u16(bytes, at + 2)) << 16;
}
inline std::uint64_t get_u64(std::span<const std::byte> bytes, std::size_t at) {
    return get_u32(bytes, at) | static_cast<std::uint64_t>(get_u32(bytes, at + 4)) << 32;
}
inline void put_u16(std::span<std::byte> bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<std::byte>(value & 0xFF);
    bytes[at + 1] = static_cast<std::byte>(value >> 8 & 0xFF);
}
inline void put_u32(std::span<std::byte> bytes, std::size_t at, std::uint32_t value) {
    put_u16(bytes, at, value & 0xFFFF);
    put_u16(bytes, at + 2, value >> 16);
}

}  // namespace cfb
