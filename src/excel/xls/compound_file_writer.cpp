// Lays out and writes an OLE compound file: stream sectors, mini stream, mini FAT,
// directory, FAT and DIFAT, in that order after the header.
#include "excel/xls/compound_file_writer.h"

#include <algorithm>
#include <numeric>

#include "excel/xls/compound_file_format.h"
#include "toolkit/exception.h"
#include "toolkit/text.h"

namespace {

constexpr std::size_t max_name_units = 31;  // 32 with the terminating zero
constexpr std::uint64_t max_stream_size = 0x7FFFFFFF;
constexpr std::uint32_t fat_entries_per_sector = cfb::sector_size / 4;
constexpr std::uint32_t difat_entries_per_sector = fat_entries_per_sector - 1;  // last one links on

std::uint64_t units(std::uint64_t bytes, std::uint64_t unit) { return (bytes + unit - 1) / unit; }

// The order the directory tree is kept in: shorter names first, then by upper-case units.
bool name_less(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size();
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char16_t x = cfb::upper_unit(a[i]), y = cfb::upper_unit(b[i]);
        if (x != y) return x < y;
    }
    return false;
}

// Counts what a producer writes so a wrong length is caught before it shifts every
// sector after it.
class counting_sink : public byte_sink {
public:
    explicit counting_sink(byte_sink& out) : out_(out) {}
    void write(std::span<const std::byte> bytes) override {
        out_.write(bytes);
        count_ += bytes.size();
    }
    std::uint64_t position() const override { return count_; }

private:
    byte_sink& out_;
    std::uint64_t count_ = 0;
};

struct directory_node {
    std::uint32_t left = cfb::no_stream, right = cfb::no_stream;
    std::uint8_t colour = cfb::colour_black;
};

// A tree split at the middle has every level full but the last, so colouring only the
// last level red keeps the black height equal on every path.
std::uint32_t build_tree(const std::vector<std::uint32_t>& sorted, std::size_t begin, std::size_t end,
                         int depth, int last_depth, std::vector<directory_node>& nodes) {
    if (begin >= end) return cfb::no_stream;
    const std::size_t middle = begin + (end - begin) / 2;
    const std::uint32_t id = sorted[middle];
    nodes[id].left = build_tree(sorted, begin, middle, depth + 1, last_depth, nodes);
    nodes[id].right = build_tree(sorted, middle + 1, end, depth + 1, last_depth, nodes);
    nodes[id].colour = depth == last_depth && depth > 0 ? cfb::colour_red : cfb::colour_black;
    return id;
}

int tree_depth(std::size_t count) {  // depth of the deepest node of a middle-split tree
    int depth = -1;
    while (count > 0) {
        ++depth;
        count /= 2;
    }
    return depth;
}

void write_u32_sectors(byte_sink& out, const std::vector<std::uint32_t>& values) {
    std::vector<std::byte> sector(cfb::sector_size);
    for (std::size_t at = 0; at < values.size(); at += fat_entries_per_sector) {
        for (std::uint32_t i = 0; i < fat_entries_per_sector; ++i)
            cfb::put_u32(sector, i * 4u, values[at + i]);
        out.write(sector);
    }
}

void pad_to(byte_sink& out, std::uint64_t written, std::uint64_t unit) {
    out.write_zeros(units(written, unit) * unit - written);
}

}  // namespace

void compound_file_writer::add_stream(std::u16string_view name, std::vector<std::byte> bytes) {
    const std::uint64_t size = bytes.size();
    add_stream(name, size, [data = std::move(bytes)](byte_sink& out) { out.write(data); });
}

void compound_file_writer::add_stream(std::u16string_view name, std::uint64_t size, producer write_body) {
    if (name.empty() || name.size() > max_name_units)
        throw tk_exception("A compound file stream name has 1 to 31 characters: \"" + to_utf8(name) + "\".",
                           tk_level_internal);
    for (const auto& stream : streams_)
        if (cfb::same_name(stream.name, name))
            throw tk_exception("The compound file already holds a stream named \"" + to_utf8(name) + "\".",
                               tk_level_internal);
    if (size > max_stream_size)
        throw tk_exception("A compound file stream holds less than 2 GB; \"" + to_utf8(name) + "\" is larger.",
                           tk_level_serious);
    streams_.push_back({std::u16string(name), size, std::move(write_body)});
}

// Where everything goes, in sector order after the header: stream bodies, mini stream,
// mini FAT, directory, FAT, DIFAT.
struct compound_file_writer::layout {
    std::vector<std::uint32_t> start;     // each stream's first sector or mini sector
    std::vector<std::uint32_t> mini_fat;
    std::uint64_t mini_bytes = 0;
    std::uint32_t mini_container_start = cfb::end_of_chain, mini_container_sectors = 0;
    std::uint32_t mini_fat_start = cfb::end_of_chain, mini_fat_sectors = 0;
    std::uint32_t directory_start = 0, directory_sectors = 0;
    std::uint32_t fat_start = 0, fat_sectors = 0;
    std::uint32_t difat_start = 0, difat_sectors = 0;
};

compound_file_writer::layout compound_file_writer::plan() const {
    layout plan;
    plan.start.assign(streams_.size(), cfb::end_of_chain);
    std::uint32_t next_sector = 0;
    for (std::size_t i = 0; i < streams_.size(); ++i) {
        const std::uint64_t size = streams_[i].size;
        if (size == 0) continue;
        if (size < cfb::mini_stream_cutoff) {
            const auto count = static_cast<std::uint32_t>(units(size, cfb::mini_sector_size));
            plan.start[i] = static_cast<std::uint32_t>(plan.mini_fat.size());
            for (std::uint32_t k = 1; k < count; ++k) plan.mini_fat.push_back(plan.start[i] + k);
            plan.mini_fat.push_back(cfb::end_of_chain);
        } else {
            plan.start[i] = next_sector;
            next_sector += static_cast<std::uint32_t>(units(size, cfb::sector_size));
        }
    }
    plan.mini_bytes = plan.mini_fat.size() * std::uint64_t{cfb::mini_sector_size};
    plan.mini_container_sectors = static_cast<std::uint32_t>(units(plan.mini_bytes, cfb::sector_size));
    plan.mini_fat_sectors = static_cast<std::uint32_t>(units(plan.mini_fat.size() * 4, cfb::sector_size));
    plan.directory_sectors = static_cast<std::uint32_t>(
        units((streams_.size() + 1) * std::uint64_t{cfb::directory_entry_size}, cfb::sector_size));
    if (plan.mini_container_sectors) plan.mini_container_start = next_sector;
    next_sector += plan.mini_container_sectors;
    if (plan.mini_fat_sectors) plan.mini_fat_start = next_sector;
    next_sector += plan.mini_fat_sectors;
    plan.directory_start = next_sector;
    next_sector += plan.directory_sectors;

    // The FAT must also describe its own sectors and the DIFAT's: grow both until they fit.
    for (;;) {
        const std::uint64_t total = std::uint64_t{next_sector} + plan.fat_sectors + plan.difat_sectors;
        const auto need_fat = static_cast<std::uint32_t>(units(total, fat_entries_per_sector));
        const std::uint32_t need_difat =
            need_fat > cfb::header_difat_entries
                ? static_cast<std::uint32_t>(units(need_fat - cfb::header_difat_entries, difat_entries_per_sector))
                : 0;
        if (need_fat == plan.fat_sectors && need_difat == plan.difat_sectors) break;
        plan.fat_sectors = std::max(plan.fat_sectors, need_fat);
        plan.difat_sectors = std::max(plan.difat_sectors, need_difat);
    }
    plan.fat_start = next_sector;
    plan.difat_start = plan.fat_start + plan.fat_sectors;
    return plan;
}

void compound_file_writer::write(byte_sink& out) const {
    const layout plan = this->plan();
    write_header(out, plan);
    write_bodies(out, plan);
    write_directory(out, plan);
    write_allocation(out, plan);
}

void compound_file_writer::write_header(byte_sink& out, const layout& plan) const {
    std::vector<std::byte> header(cfb::sector_size);
    std::copy(std::begin(cfb::signature), std::end(cfb::signature),
              reinterpret_cast<std::uint8_t*>(header.data()));
    cfb::put_u16(header, 0x18, 0x003E);  // minor version
    cfb::put_u16(header, 0x1A, 0x0003);  // major version 3: 512-byte sectors
    cfb::put_u16(header, 0x1C, 0xFFFE);  // little-endian byte order mark
    cfb::put_u16(header, 0x1E, 9);       // sector shift: 2^9 = 512
    cfb::put_u16(header, 0x20, 6);       // mini sector shift: 2^6 = 64
    cfb::put_u32(header, 0x2C, plan.fat_sectors);
    cfb::put_u32(header, 0x30, plan.directory_start);
    cfb::put_u32(header, 0x38, cfb::mini_stream_cutoff);
    cfb::put_u32(header, 0x3C, plan.mini_fat_start);
    cfb::put_u32(header, 0x40, plan.mini_fat_sectors);
    cfb::put_u32(header, 0x44, plan.difat_sectors ? plan.difat_start : cfb::end_of_chain);
    cfb::put_u32(header, 0x48, plan.difat_sectors);
    for (std::uint32_t k = 0; k < cfb::header_difat_entries; ++k)
        cfb::put_u32(header, 0x4C + k * 4, k < plan.fat_sectors ? plan.fat_start + k : cfb::free_sector);
    out.write(header);
}

// Regular streams straight from their producers, then the mini stream with each small
// stream padded to whole mini sectors, then the mini FAT.
void compound_file_writer::write_bodies(byte_sink& out, const layout& plan) const {
    auto check_length = [](const stream_entry& stream, std::uint64_t written) {
        if (written != stream.size)
            throw tk_exception("Stream \"" + to_utf8(stream.name) + "\" produced " + std::to_string(written) +
                                   " bytes instead of " + std::to_string(stream.size) + ".",
                               tk_level_internal);
    };
    for (const auto& stream : streams_) {
        if (stream.size < cfb::mini_stream_cutoff) continue;
        counting_sink counted(out);
        stream.write_body(counted);
        check_length(stream, counted.position());
        pad_to(out, stream.size, cfb::sector_size);
    }
    for (const auto& stream : streams_) {
        if (stream.size == 0 || stream.size >= cfb::mini_stream_cutoff) continue;
        memory_sink body;
        stream.write_body(body);
        check_length(stream, body.position());
        out.write(body.bytes());
        pad_to(out, stream.size, cfb::mini_sector_size);
    }
    pad_to(out, plan.mini_bytes, cfb::sector_size);
    if (plan.mini_fat_sectors) {
        std::vector<std::uint32_t> padded = plan.mini_fat;
        padded.resize(std::size_t{plan.mini_fat_sectors} * fat_entries_per_sector, cfb::free_sector);
        write_u32_sectors(out, padded);
    }
}

// The root entry, then the streams in the order they were added, linked as a balanced
// tree in name order under the root.
void compound_file_writer::write_directory(byte_sink& out, const layout& plan) const {
    const auto stream_count = static_cast<std::uint32_t>(streams_.size());
    std::vector<directory_node> nodes(stream_count + 1);
    std::vector<std::uint32_t> sorted(stream_count);
    std::iota(sorted.begin(), sorted.end(), 1u);
    std::sort(sorted.begin(), sorted.end(), [this](std::uint32_t a, std::uint32_t b) {
        return name_less(streams_[a - 1].name, streams_[b - 1].name);
    });
    const std::uint32_t tree_root = build_tree(sorted, 0, sorted.size(), 0, tree_depth(sorted.size()), nodes);

    std::vector<std::byte> directory(std::size_t{plan.directory_sectors} * cfb::sector_size);
    auto entry_at = [&directory](std::uint32_t id) {
        return std::span<std::byte>(directory.data() + std::size_t{id} * cfb::directory_entry_size,
                                    cfb::directory_entry_size);
    };
    auto put_entry = [&](std::uint32_t id, std::u16string_view name, std::uint8_t type, const directory_node& node,
                         std::uint32_t child, std::uint32_t first, std::uint64_t size) {
        const std::span<std::byte> entry = entry_at(id);
        for (std::size_t k = 0; k < name.size(); ++k) cfb::put_u16(entry, k * 2, name[k]);
        cfb::put_u16(entry, 0x40, static_cast<std::uint32_t>((name.size() + 1) * 2));
        entry[0x42] = static_cast<std::byte>(type);
        entry[0x43] = static_cast<std::byte>(node.colour);
        cfb::put_u32(entry, 0x44, node.left);
        cfb::put_u32(entry, 0x48, node.right);
        cfb::put_u32(entry, 0x4C, child);
        cfb::put_u32(entry, 0x74, first);
        cfb::put_u32(entry, 0x78, static_cast<std::uint32_t>(size));
    };
    put_entry(0, u"Root Entry", cfb::type_root, directory_node{}, tree_root, plan.mini_container_start,
              plan.mini_bytes);
    for (std::uint32_t i = 0; i < stream_count; ++i)
        put_entry(i + 1, streams_[i].name, cfb::type_stream, nodes[i + 1], cfb::no_stream, plan.start[i],
                  streams_[i].size);
    for (std::uint32_t id = stream_count + 1; id < plan.directory_sectors * 4; ++id) {
        for (const std::size_t link : {0x44, 0x48, 0x4C}) cfb::put_u32(entry_at(id), link, cfb::no_stream);
    }
    out.write(directory);
}

// The FAT with every chain, then the DIFAT sectors listing the FAT sectors the header
// cannot hold.
void compound_file_writer::write_allocation(byte_sink& out, const layout& plan) const {
    std::vector<std::uint32_t> fat(std::size_t{plan.fat_sectors} * fat_entries_per_sector, cfb::free_sector);
    auto chain = [&fat](std::uint32_t first, std::uint32_t count) {
        for (std::uint32_t k = 0; k < count; ++k) fat[first + k] = k + 1 < count ? first + k + 1 : cfb::end_of_chain;
    };
    for (std::size_t i = 0; i < streams_.size(); ++i)
        if (streams_[i].size >= cfb::mini_stream_cutoff)
            chain(plan.start[i], static_cast<std::uint32_t>(units(streams_[i].size, cfb::sector_size)));
    if (plan.mini_container_sectors) chain(plan.mini_container_start, plan.mini_container_sectors);
    if (plan.mini_fat_sectors) chain(plan.mini_fat_start, plan.mini_fat_sectors);
    chain(plan.directory_start, plan.directory_sectors);
    for (std::uint32_t k = 0; k < plan.fat_sectors; ++k) fat[plan.fat_start + k] = cfb::fat_sector_mark;
    for (std::uint32_t k = 0; k < plan.difat_sectors; ++k) fat[plan.difat_start + k] = cfb::difat_sector_mark;
    write_u32_sectors(out, fat);
    if (plan.difat_sectors == 0) return;

    std::vector<std::uint32_t> difat(std::size_t{plan.difat_sectors} * fat_entries_per_sector, cfb::free_sector);
    for (std::uint32_t k = cfb::header_difat_entries; k < plan.fat_sectors; ++k) {
        const std::uint32_t index = k - cfb::header_difat_entries;
        difat[index / difat_entries_per_sector * fat_entries_per_sector + index % difat_entries_per_sector] =
            plan.fat_start + k;
    }
    for (std::uint32_t s = 0; s < plan.difat_sectors; ++s)
        difat[s * fat_entries_per_sector + difat_entries_per_sector] =
            s + 1 < plan.difat_sectors ? plan.difat_start + s + 1 : cfb::end_of_chain;
    write_u32_sectors(out, difat);
}
