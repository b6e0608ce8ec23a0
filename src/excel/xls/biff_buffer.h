// A growing little-endian byte buffer that BIFF records are written into, one record at a
// time with its length filled in when the record is closed.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "toolkit/exception.h"

enum class biff_version { biff5, biff8 };

inline constexpr std::size_t biff_max_record_body = 8224;  // longer bodies go on in CONTINUE

class biff_buffer {
public:
    void u8(std::uint32_t value) { bytes_.push_back(static_cast<std::byte>(value & 0xFF)); }
    void u16(std::uint32_t value) {
        u8(value);
        u8(value >> 8);
    }
    void u32(std::uint32_t value) {
        u16(value & 0xFFFF);
        u16(value >> 16);
    }
    void f64(double value) {
        const auto bits = std::bit_cast<std::uint64_t>(value);
        u32(static_cast<std::uint32_t>(bits));
        u32(static_cast<std::uint32_t>(bits >> 32));
    }
    void bytes(std::span<const std::byte> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    void latin(std::string_view text) {  // single-byte characters as they are
        for (const char c : text) u8(static_cast<unsigned char>(c));
    }
    void zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, std::byte{0}); }

    // Records: begin() writes the type and a length placeholder, end() fills the length in.
    void begin(std::uint16_t type) {
        TK_ASSERT(open_at_ == none);
        u16(type);
        u16(0);
        open_at_ = bytes_.size();
    }
    void end() {
        TK_ASSERT(open_at_ != none);
        const std::size_t length = bytes_.size() - open_at_;
        TK_ASSERT(length <= biff_max_record_body);
        bytes_[open_at_ - 2] = static_cast<std::byte>(length & 0xFF);
        bytes_[open_at_ - 1] = static_cast<std::byte>(length >> 8);
        open_at_ = none;
    }
    std::size_t open_body_size() const { return bytes_.size() - open_at_; }

    void patch_u32(std::size_t at, std::uint32_t value) {
        for (int k = 0; k < 4; ++k) bytes_[at + k] = static_cast<std::byte>(value >> (8 * k) & 0xFF);
    }
    std::size_t size() const noexcept { return bytes_.size(); }
    std::span<const std::byte> view() const noexcept { return bytes_; }
    void clear() noexcept { bytes_.clear(); }
    // clear() keeps the memory for the next record; this gives it back.
    void release() noexcept { std::vector<std::byte>().swap(bytes_); }
    std::size_t capacity() const noexcept { return bytes_.capacity(); }

private:
    static constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::vector<std::byte> bytes_;
    std::size_t open_at_ = none;
};
