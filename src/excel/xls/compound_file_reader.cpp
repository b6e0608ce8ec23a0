// Reads the header, FAT, DIFAT, mini FAT and directory of a compound file, checking each
// sector number and chain, and gives access to one stream's bytes.
#include "excel/xls/compound_file_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "excel/xls/compound_file_format.h"
#include "toolkit/log.h"
#include "toolkit/system.h"

std::string compound_file_message(compound_file_problem problem) {
    switch (problem) {
        case compound_file_problem::cannot_open: return "Failed to open OLE document";
        case compound_file_problem::not_compound_file: return "The file is not an OLE document";
        case compound_file_problem::unsupported_layout: return "The OLE document uses an unsupported layout";
        case compound_file_problem::bad_sector_number: return "The OLE document refers to a sector it does not hold";
        case compound_file_problem::chain_loop: return "The OLE document has a sector chain that loops";
        case compound_file_problem::chain_too_short: return "The OLE document has a stream shorter than its size";
        case compound_file_problem::bad_directory: return "The OLE document has a damaged directory";
        case compound_file_problem::stream_not_found: return "Stream not found";
        case compound_file_problem::outside_stream: return "An access went beyond the end of a stream";
        case compound_file_problem::read_failed: return "Failed to read the OLE document";
    }
    return "Unknown OLE document problem";
}

compound_file_error::compound_file_error(compound_file_problem problem, const std::string& file)
    : tk_exception(compound_file_message(problem) + ": " + file + ".", tk_level_serious), problem_(problem) {
    set_code(static_cast<int>(problem) + 1);
}

// ---------------------------------------------------------------------------- stream

compound_stream::compound_stream(compound_file& file, std::vector<std::uint64_t> unit_offsets,
                                 std::uint32_t unit_size, std::uint64_t size)
    : file_(&file), unit_offsets_(std::move(unit_offsets)), unit_size_(unit_size), size_(size) {}

void compound_stream::seek(std::uint64_t position) {
    if (position > size_) file_->fail(compound_file_problem::outside_stream);
    position_ = position;
}

template <typename Bytes, typename Transfer>
void compound_stream::transfer(Bytes bytes, Transfer io) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::uint64_t unit = position_ / unit_size_;
        const std::uint64_t within = position_ % unit_size_;
        const std::size_t piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size() - done, unit_size_ - within));
        io(unit_offsets_[unit] + within, bytes.subspan(done, piece));
        done += piece;
        position_ += piece;
    }
}

std::size_t compound_stream::read(std::span<std::byte> bytes) {
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), size_ - position_));
    transfer(bytes.first(count), [this](std::uint64_t at, std::span<std::byte> piece) { file_->read_at(at, piece); });
    return count;
}

std::vector<std::byte> compound_stream::read_all() {
    std::vector<std::byte> bytes(static_cast<std::size_t>(size_));
    seek(0);
    read(bytes);
    return bytes;
}

// ---------------------------------------------------------------------------- file

compound_file::compound_file(std::filesystem::path path) : path_(std::move(path)) {
    descriptor_ = tk_open_file(tk_path_text(path_), tk_open_mode::read);
    if (descriptor_ == tk_no_file) fail(compound_file_problem::cannot_open);
    try {
        const auto status = tk_status_of(descriptor_);
        if (!status) fail(compound_file_problem::read_failed);
        file_size_ = status->size;
        read_header_and_fat();
        read_directory();
    } catch (...) {
        tk_close_file(descriptor_);
        descriptor_ = tk_no_file;
        throw;
    }
}

compound_file::~compound_file() {
    if (descriptor_ != tk_no_file) tk_close_file(descriptor_);
}

void compound_file::fail(compound_file_problem problem) const {
    TK_LOG(1, "compound file %s: %s", tk_path_text(path_).c_str(), compound_file_message(problem).c_str());
    throw compound_file_error(problem, tk_path_text(path_));
}

void compound_file::read_at(std::uint64_t offset, std::span<std::byte> bytes) const {
    if (!tk_read_file_at(descriptor_, bytes.data(), bytes.size(), offset)) fail(compound_file_problem::read_failed);
}

std::uint64_t compound_file::sector_offset(std::uint32_t sector) const {
    const std::uint64_t offset = (std::uint64_t{sector} + 1) * sector_size_;
    if (sector > cfb::max_regular_sector || offset + sector_size_ > file_size_)
        fail(compound_file_problem::bad_sector_number);
    return offset;
}

// The sector numbers of a chain. A chain longer than its table has visited some entry
// twice, so the table size bounds the walk.
std::vector<std::uint32_t> compound_file::follow(const std::vector<std::uint32_t>& table, std::uint32_t first,
                                                 std::uint64_t limit) const {
    std::vector<std::uint32_t> chain;
    for (std::uint32_t at = first; at != cfb::end_of_chain; at = table[at]) {
        if (at >= table.size()) fail(compound_file_problem::bad_sector_number);
        if (chain.size() >= table.size() || chain.size() >= limit) fail(compound_file_problem::chain_loop);
        chain.push_back(at);
    }
    return chain;
}

std::vector<std::byte> compound_file::read_chain(std::uint32_t first) {
    const std::vector<std::uint32_t> chain = follow(fat_, first, fat_.size());
    std::vector<std::byte> bytes(chain.size() * std::size_t{sector_size_});
    for (std::size_t k = 0; k < chain.size(); ++k)
        read_at(sector_offset(chain[k]), std::span<std::byte>(bytes).subspan(k * sector_size_, sector_size_));
    return bytes;
}

void compound_file::read_header_and_fat() {
    std::vector<std::byte> header(512);
    if (file_size_ < header.size()) fail(compound_file_problem::not_compound_file);
    read_at(0, header);
    if (std::memcmp(header.data(), cfb::signature, sizeof cfb::signature) != 0 || cfb::get_u16(header, 0x1C) != 0xFFFE)
        fail(compound_file_problem::not_compound_file);
    const std::uint16_t major = cfb::get_u16(header, 0x1A);
    const std::uint16_t sector_shift = cfb::get_u16(header, 0x1E);
    const std::uint16_t mini_shift = cfb::get_u16(header, 0x20);
    if (!((major == 3 && sector_shift == 9) || (major == 4 && sector_shift == 12)) || mini_shift != 6)
        fail(compound_file_problem::unsupported_layout);
    sector_size_ = 1u << sector_shift;
    mini_sector_size_ = 1u << mini_shift;
    const std::uint32_t fat_count = cfb::get_u32(header, 0x2C);
    first_directory_ = cfb::get_u32(header, 0x30);
    mini_cutoff_ = cfb::get_u32(header, 0x38);
    first_mini_fat_ = cfb::get_u32(header, 0x3C);
    mini_fat_count_ = cfb::get_u32(header, 0x40);
    std::uint32_t next_difat = cfb::get_u32(header, 0x44);
    const std::uint32_t difat_count = cfb::get_u32(header, 0x48);
    if (mini_cutoff_ != cfb::mini_stream_cutoff) fail(compound_file_problem::unsupported_layout);
    const std::uint64_t sector_count = (file_size_ - 512 + sector_size_ - 1) / sector_size_ + 1;
    if (fat_count == 0 || fat_count > sector_count || difat_count > sector_count)
        fail(compound_file_problem::not_compound_file);

    // The FAT's own sector numbers: 109 in the header, the rest in the DIFAT chain.
    std::vector<std::uint32_t> fat_sectors;
    for (std::uint32_t k = 0; k < cfb::header_difat_entries && fat_sectors.size() < fat_count; ++k)
        fat_sectors.push_back(cfb::get_u32(header, 0x4C + k * 4));
    const std::uint32_t per_difat = sector_size_ / 4 - 1;
    std::vector<std::byte> sector(sector_size_);
    for (std::uint32_t seen = 0; fat_sectors.size() < fat_count; ++seen) {
        if (seen >= difat_count) fail(compound_file_problem::chain_too_short);
        read_at(sector_offset(next_difat), sector);
        for (std::uint32_t k = 0; k < per_difat && fat_sectors.size() < fat_count; ++k)
            fat_sectors.push_back(cfb::get_u32(sector, k * 4));
        next_difat = cfb::get_u32(sector, per_difat * 4);
    }
    fat_.reserve(std::size_t{fat_count} * (sector_size_ / 4));
    for (const std::uint32_t at : fat_sectors) {
        read_at(sector_offset(at), sector);
        for (std::uint32_t k = 0; k < sector_size_ / 4; ++k) fat_.push_back(cfb::get_u32(sector, k * 4));
    }
    if (mini_fat_count_ > 0) {
        const std::vector<std::byte> bytes = read_chain(first_mini_fat_);
        for (std::size_t k = 0; k + 4 <= bytes.size(); k += 4) mini_fat_.push_back(cfb::get_u32(bytes, k));
    }
}

void compound_file::read_directory() {
    const std::vector<std::byte> bytes = read_chain(first_directory_);
    for (std::size_t at = 0; at + cfb::directory_entry_size <= bytes.size(); at += cfb::directory_entry_size) {
        const std::span<const std::byte> raw(bytes.data() + at, cfb::directory_entry_size);
        entry item;
        const std::uint16_t name_bytes = cfb::get_u16(raw, 0x40);
        item.type = std::to_integer<std::uint8_t>(raw[0x42]);
        const bool name_fits = name_bytes <= 64 && name_bytes % 2 == 0;
        if (item.type != cfb::type_unused && !name_fits) fail(compound_file_problem::bad_directory);
        // an unused entry's name length may be anything: it is not read then
        if (name_fits)
            for (std::size_t k = 0; k + 2 < name_bytes; k += 2)
                item.name.push_back(static_cast<char16_t>(cfb::get_u16(raw, k)));
        item.left = cfb::get_u32(raw, 0x44);
        item.right = cfb::get_u32(raw, 0x48);
        item.child = cfb::get_u32(raw, 0x4C);
        item.start = cfb::get_u32(raw, 0x74);
        // version 3 files may carry garbage in the high half of the size
        item.size = sector_size_ == 512 ? cfb::get_u32(raw, 0x78) : cfb::get_u64(raw, 0x78);
        entries_.push_back(std::move(item));
    }
    if (entries_.empty() || entries_[0].type != cfb::type_root) fail(compound_file_problem::bad_directory);
    if (entries_[0].size > 0) {
        const std::vector<std::uint32_t> chain = follow(fat_, entries_[0].start, fat_.size());
        if (chain.size() * std::uint64_t{sector_size_} < entries_[0].size)
            fail(compound_file_problem::chain_too_short);
        for (const std::uint32_t at : chain) mini_container_.push_back(sector_offset(at));
    }
}

// The entries of the root storage's tree, each visited once: a tree that points back at
// itself is a damaged directory.
std::vector<std::uint32_t> compound_file::root_children() const {
    std::vector<std::uint32_t> found;
    std::vector<bool> seen(entries_.size(), false);
    std::vector<std::uint32_t> pending{entries_[0].child};
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id == cfb::no_stream) continue;
        if (id == 0 || id >= entries_.size() || seen[id]) fail(compound_file_problem::bad_directory);
        seen[id] = true;
        found.push_back(id);
        pending.push_back(entries_[id].right);
        pending.push_back(entries_[id].left);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::u16string> compound_file::stream_names() const {
    std::vector<std::u16string> names;
    for (const std::uint32_t id : root_children())
        if (entries_[id].type == cfb::type_stream) names.push_back(entries_[id].name);
    return names;
}

const compound_file::entry* compound_file::find(std::u16string_view name) const {
    for (const std::uint32_t id : root_children()) {
        const entry& item = entries_[id];
        if (item.type == cfb::type_stream && cfb::same_name(item.name, name)) return &item;
    }
    return nullptr;
}

bool compound_file::has_stream(std::u16string_view name) const { return find(name) != nullptr; }

compound_stream compound_file::open_stream(std::u16string_view name) {
    const entry* item = find(name);
    if (item == nullptr) fail(compound_file_problem::stream_not_found);
    std::vector<std::uint64_t> offsets;
    if (item->size == 0) return compound_stream(*this, {}, sector_size_, 0);
    if (item->size < mini_cutoff_) {
        const std::uint64_t needed = (item->size + mini_sector_size_ - 1) / mini_sector_size_;
        const std::vector<std::uint32_t> chain = follow(mini_fat_, item->start, mini_fat_.size());
        if (chain.size() < needed) fail(compound_file_problem::chain_too_short);
        for (const std::uint32_t mini : chain) {
            const std::uint64_t at = std::uint64_t{mini} * mini_sector_size_;
            if (at + mini_sector_size_ > entries_[0].size) fail(compound_file_problem::bad_sector_number);
            offsets.push_back(mini_container_[at / sector_size_] + at % sector_size_);
        }
        return compound_stream(*this, std::move(offsets), mini_sector_size_, item->size);
    }
    const std::uint64_t needed = (item->size + sector_size_ - 1) / sector_size_;
    const std::vector<std::uint32_t> chain = follow(fat_, item->start, fat_.size());
    if (chain.size() < needed) fail(compound_file_problem::chain_too_short);
    for (const std::uint32_t sector : chain) offsets.push_back(sector_offset(sector));
    return compound_stream(*this, std::move(offsets), sector_size_, item->size);
}
