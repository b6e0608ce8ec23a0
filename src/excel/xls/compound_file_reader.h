// Opens an existing OLE compound file to read its streams (the origin mark of a workbook
// of ours, and workbooks in tests). Every structure is checked before it is followed: a damaged file gives a
// compound_file_error, never a crash or an endless loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/exception.h"

enum class compound_file_problem {
    cannot_open,
    not_compound_file,
    unsupported_layout,
    bad_sector_number,
    chain_loop,
    chain_too_short,
    bad_directory,
    stream_not_found,
    outside_stream,
    read_failed,
};

std::string compound_file_message(compound_file_problem problem);

class compound_file_error : public tk_exception {
public:
    compound_file_error(compound_file_problem problem, const std::string& file);
    compound_file_problem problem() const noexcept { return problem_; }

private:
    compound_file_problem problem_;
};

class compound_file;

// One stream of an open compound file, seen as a contiguous run of bytes.
class compound_stream {
public:
    std::uint64_t size() const noexcept { return size_; }
    std::uint64_t tell() const noexcept { return position_; }
    void seek(std::uint64_t position);  // beyond the end is outside_stream
    // Reads up to bytes.size() bytes from the current position; fewer at the end.
    std::size_t read(std::span<std::byte> bytes);
    std::vector<std::byte> read_all();

private:
    friend class compound_file;
    compound_stream(compound_file& file, std::vector<std::uint64_t> unit_offsets, std::uint32_t unit_size,
                    std::uint64_t size);
    template <typename Bytes, typename Transfer>
    void transfer(Bytes bytes, Transfer io);

    compound_file* file_;
    std::vector<std::uint64_t> unit_offsets_;  // file offset of each sector or mini sector
    std::uint32_t unit_size_;
    std::uint64_t size_;
    std::uint64_t position_ = 0;
};

class compound_file {
public:
    explicit compound_file(std::filesystem::path path);
    ~compound_file();
    compound_file(const compound_file&) = delete;
    compound_file& operator=(const compound_file&) = delete;

    // Names of the streams of the root storage, in directory order.
    std::vector<std::u16string> stream_names() const;
    bool has_stream(std::u16string_view name) const;
    compound_stream open_stream(std::u16string_view name);  // names compare case-insensitively

private:
    friend class compound_stream;
    struct entry {
        std::u16string name;
        std::uint8_t type = 0;
        std::uint32_t left = 0, right = 0, child = 0, start = 0;
        std::uint64_t size = 0;
    };
    [[noreturn]] void fail(compound_file_problem problem) const;
    void read_at(std::uint64_t offset, std::span<std::byte> bytes) const;
    std::uint64_t sector_offset(std::uint32_t sector) const;
    std::vector<std::uint32_t> follow(const std::vector<std::uint32_t>& table, std::uint32_t first,
                                      std::uint64_t limit) const;
    std::vector<std::byte> read_chain(std::uint32_t first);
    void read_header_and_fat();
    void read_directory();
    std::vector<std::uint32_t> root_children() const;
    const entry* find(std::u16string_view name) const;

    std::filesystem::path path_;
    std::intptr_t descriptor_ = -1;  // a tk_file_handle
    std::uint64_t file_size_ = 0;
    std::uint32_t sector_size_ = 512;
    std::uint32_t mini_sector_size_ = 64;
    std::uint32_t mini_cutoff_ = 4096;
    std::uint32_t first_directory_ = 0, first_mini_fat_ = 0, mini_fat_count_ = 0;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> mini_fat_;
    std::vector<entry> entries_;
    std::vector<std::uint64_t> mini_container_;  // file offsets of the root's sectors
};
