// Compound file: round trips through our writer and reader, the layout facts other readers
// rely on, and one damaged file for each problem the reader names (random damage: the
// compound_file fuzz target).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "excel/xls/compound_file_format.h"
#include "excel/xls/compound_file_reader.h"
#include "excel/xls/compound_file_writer.h"
#include "xls_test_support.h"

using namespace xls_test;

namespace {

std::vector<std::byte> pattern_bytes(std::size_t size, unsigned seed) {
    std::vector<std::byte> bytes(size);
    std::minstd_rand generator(seed);
    for (auto& b : bytes) b = static_cast<std::byte>(generator() & 0xFF);
    return bytes;
}

void store(const fs::path& path, const std::vector<std::byte>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void save(const compound_file_writer& writer, const fs::path& path) {
    temporary_output_file out(path);
    writer.write(out);
    out.commit();
}

compound_file_problem problem_opening(const fs::path& path, std::u16string_view stream = u"Workbook") {
    try {
        compound_file file(path);
        compound_stream s = file.open_stream(stream);
        s.read_all();
    } catch (const compound_file_error& error) {
        return error.problem();
    }
    ADD_FAILURE() << "no error for " << path;
    return compound_file_problem::cannot_open;
}

}  // namespace

TEST(compound_file_round_trip, small_and_large_streams_read_back_unchanged) {
    temp_folder folder;
    const auto small = pattern_bytes(100, 1);      // mini stream
    const auto edge = pattern_bytes(4095, 2);      // largest mini stream
    const auto cutoff = pattern_bytes(4096, 3);    // smallest regular stream
    const auto big = pattern_bytes(70'001, 4);
    compound_file_writer writer;
    writer.add_stream(u"Workbook", big);
    writer.add_stream(u"\x05SummaryInformation", small);
    writer.add_stream(u"Edge", edge);
    writer.add_stream(u"Cutoff", cutoff);
    writer.add_stream(u"Empty", {});
    save(writer, folder / "a.xls");

    compound_file file(folder / "a.xls");
    EXPECT_EQ(file.stream_names().size(), 5u);
    EXPECT_EQ(file.open_stream(u"Workbook").read_all(), big);
    EXPECT_EQ(file.open_stream(u"workbook").read_all(), big) << "names compare case-insensitively";
    EXPECT_EQ(file.open_stream(u"\x05SummaryInformation").read_all(), small);
    EXPECT_EQ(file.open_stream(u"Edge").read_all(), edge);
    EXPECT_EQ(file.open_stream(u"Cutoff").read_all(), cutoff);
    EXPECT_EQ(file.open_stream(u"Empty").size(), 0u);
    EXPECT_FALSE(file.has_stream(u"Book"));
}

TEST(compound_file_layout, header_fields_and_directory_tree) {
    compound_file_writer writer;
    writer.add_stream(u"Workbook", pattern_bytes(4096, 9));
    writer.add_stream(u"\x05SummaryInformation", pattern_bytes(4096, 10));
    writer.add_stream(u"\x05" u"DocumentSummaryInformation", pattern_bytes(4096, 11));
    memory_sink out;
    writer.write(out);
    const auto& raw = out.bytes();
    ASSERT_EQ(raw.size(), 13824u) << "header + 24 stream sectors + directory + FAT";
    const std::span<const std::byte> header(raw.data(), 512);
    const std::uint8_t expected_signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    EXPECT_EQ(std::memcmp(raw.data(), expected_signature, 8), 0);
    EXPECT_EQ(cfb::get_u16(header, 0x1A), 3);
    EXPECT_EQ(cfb::get_u16(header, 0x1E), 9);
    EXPECT_EQ(cfb::get_u32(header, 0x2C), 1u);
    EXPECT_EQ(cfb::get_u32(header, 0x30), 24u) << "directory after the stream sectors";
    EXPECT_EQ(cfb::get_u32(header, 0x3C), cfb::end_of_chain) << "no mini FAT";
    EXPECT_EQ(cfb::get_u32(header, 0x38), 4096u) << "smaller streams go to the mini stream";
    // The root's child is the middle name in (length, upper-case) order: "Workbook" (8) <
    // "\5SummaryInformation" (19) < "\5DocumentSummaryInformation" (27).
    const std::span<const std::byte> root(raw.data() + 512 + 24 * 512, 128);
    EXPECT_EQ(cfb::get_u32(root, 0x4C), 2u);
    const std::span<const std::byte> summary(raw.data() + 512 + 24 * 512 + 2 * 128, 128);
    EXPECT_EQ(cfb::get_u32(summary, 0x44), 1u);
    EXPECT_EQ(cfb::get_u32(summary, 0x48), 3u);
    EXPECT_EQ(std::to_integer<int>(summary[0x43]), cfb::colour_black);
}

TEST(compound_file_writer_errors, bad_names_and_wrong_producer_lengths_are_refused) {
    compound_file_writer writer;
    EXPECT_THROW(writer.add_stream(u"", {}), tk_exception);
    EXPECT_THROW(writer.add_stream(std::u16string(32, u'x'), {}), tk_exception);
    writer.add_stream(u"Book", {});
    EXPECT_THROW(writer.add_stream(u"BOOK", {}), tk_exception);
    writer.add_stream(u"Liar", 5000, [](byte_sink& out) { out.write_zeros(4999); });
    memory_sink out;
    EXPECT_THROW(writer.write(out), tk_exception);
}

class compound_file_damage_in : public ::testing::Test {
protected:
    void SetUp() override {
        compound_file_writer writer;
        writer.add_stream(u"Workbook", pattern_bytes(5000, 12));
        writer.add_stream(u"Small", pattern_bytes(200, 13));
        memory_sink out;
        writer.write(out);
        good_ = out.release();
        // sectors: 0..9 Workbook, 10 mini container, 11 mini FAT, 12 directory, 13 FAT
    }
    compound_file_problem with(std::size_t offset, std::uint32_t value, std::u16string_view stream = u"Workbook") {
        auto bytes = good_;
        cfb::put_u32(bytes, offset, value);
        store(folder_ / "bad.xls", bytes);
        return problem_opening(folder_ / "bad.xls", stream);
    }
    std::size_t fat_entry(std::uint32_t sector) const { return 512 + 13 * 512 + sector * 4; }
    std::size_t directory_entry(std::uint32_t id) const { return 512 + 12 * 512 + id * 128; }

    temp_folder folder_;
    std::vector<std::byte> good_;
};

TEST_F(compound_file_damage_in, each_damage_is_reported_as_its_own_problem) {
    using p = compound_file_problem;
    EXPECT_EQ(with(fat_entry(12), 12), p::chain_loop) << "directory chain onto itself";
    EXPECT_EQ(with(fat_entry(4), 5000), p::bad_sector_number);
    EXPECT_EQ(with(directory_entry(1) + 0x78, 9000), p::chain_too_short);
    EXPECT_EQ(with(directory_entry(0) + 0x4C, 77), p::bad_directory);
    EXPECT_EQ(with(0x1C, 0x0005FFFE), p::unsupported_layout) << "sector shift 5";
    store(folder_ / "good.xls", good_);
    EXPECT_EQ(problem_opening(folder_ / "good.xls", u"Book"), p::stream_not_found);
    store(folder_ / "text.xls", std::vector<std::byte>(1024, std::byte{'a'}));
    EXPECT_EQ(problem_opening(folder_ / "text.xls"), p::not_compound_file);
    EXPECT_EQ(problem_opening(folder_ / "missing.xls"), p::cannot_open);
}
