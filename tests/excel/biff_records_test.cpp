// BIFF records whose exact bytes readers depend on: the header's look (bold font, the
// header XF, the data XFs with their wrapping) and RK numbers.
#include "excel/xls/biff_records.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The bodies of the records of one type, in order.
std::vector<std::vector<std::uint8_t>> bodies(const biff_buffer& out, std::uint16_t type) {
    std::vector<std::vector<std::uint8_t>> found;
    const auto bytes = out.view();
    for (std::size_t at = 0; at + 4 <= bytes.size();) {
        const auto byte = [&](std::size_t k) { return std::to_integer<std::uint8_t>(bytes[k]); };
        const std::uint16_t record = byte(at) | byte(at + 1) << 8;
        const std::size_t length = byte(at + 2) | byte(at + 3) << 8;
        std::vector<std::uint8_t> body;
        for (std::size_t k = 0; k < length; ++k) body.push_back(byte(at + 4 + k));
        if (record == type) found.push_back(body);
        at += 4 + length;
    }
    return found;
}

std::vector<std::uint8_t> prefix(const std::vector<std::uint8_t>& body, std::size_t size) {
    return {body.begin(), body.begin() + static_cast<std::ptrdiff_t>(std::min(size, body.size()))};
}

}  // namespace

// Font index 4 is bold for every reader: Excel and xlrd take the fourth record, Apache POI
// the fifth.
TEST(biff_header_look, the_fourth_and_fifth_fonts_are_arial_10_bold) {
    for (const auto version : {biff_version::biff5, biff_version::biff8}) {
        biff_buffer out;
        write_fonts(out, version);
        const auto fonts = bodies(out, biff_type::font);
        ASSERT_EQ(fonts.size(), 5u);
        const std::vector<std::uint8_t> regular = {0xC8, 0x00, 0x00, 0x00, 0xFF, 0x7F, 0x90, 0x01, 0x00, 0x00, 0x00, 0x02};
        const std::vector<std::uint8_t> bold = {0xC8, 0x00, 0x01, 0x00, 0xFF, 0x7F, 0xBC, 0x02, 0x00, 0x00, 0x00, 0x02};
        for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(prefix(fonts[k], 12), k >= 3 ? bold : regular) << k;
    }
}

// XF 16 (header): font 4, centred both ways, thin borders of colour 64, solid fill 22 on
// 64. XFs 15 and 21-23 (data): vertically centred, their number format kept and marked.
// The wrap option sets bit 3 of the alignment byte of both.
TEST(biff_header_look, header_and_data_xfs_have_their_pinned_bytes_and_wrap_follows_the_option) {
    for (const bool wrap : {false, true}) {
        SCOPED_TRACE(wrap);
        const std::uint8_t w = wrap ? 0x08 : 0x00;
        biff_buffer biff8, biff5;
        write_xfs(biff8, biff_version::biff8, wrap);
        write_xfs(biff5, biff_version::biff5, wrap);
        const auto xf8 = bodies(biff8, biff_type::xf), xf5 = bodies(biff5, biff_type::xf);
        ASSERT_EQ(xf8.size(), 24u);
        ASSERT_EQ(xf5.size(), 24u);
        EXPECT_EQ(xf8[16], (std::vector<std::uint8_t>{0x04, 0x00, 0x00, 0x00, 0x01, 0x00, std::uint8_t(0x12 | w), 0x00, 0x00,
                                                      0x78, 0x11, 0x11, 0x40, 0x20, 0x40, 0x20, 0x00, 0x04, 0x16, 0x20}));
        EXPECT_EQ(xf5[16], (std::vector<std::uint8_t>{0x04, 0x00, 0x00, 0x00, 0x09, 0x00, std::uint8_t(0x12 | w), 0x70, 0x16,
                                                      0x20, 0x41, 0x80, 0x49, 0x80, 0x40, 0x20}));
        EXPECT_EQ(xf8[15], (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x00, 0x01, 0x00, std::uint8_t(0x10 | w), 0x00, 0x00,
                                                      0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x20}));
        EXPECT_EQ(xf5[15], (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x00, 0x09, 0x00, std::uint8_t(0x10 | w), 0x10, 0xC0,
                                                      0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
        for (const std::uint16_t xf : {biff_xf::date, biff_xf::date_time, biff_xf::time}) {
            const std::uint16_t format = xf == biff_xf::date ? biff_format::date
                                         : xf == biff_xf::date_time ? biff_format::date_time
                                                                    : biff_format::time;
            EXPECT_EQ(prefix(xf8[xf], 10), (std::vector<std::uint8_t>{0x00, 0x00, std::uint8_t(format), 0x00, 0x01, 0x00,
                                                                      std::uint8_t(0x10 | w), 0x00, 0x00, 0x14}));
            EXPECT_EQ(prefix(xf5[xf], 10), (std::vector<std::uint8_t>{0x00, 0x00, std::uint8_t(format), 0x00, 0x09, 0x00,
                                                                      std::uint8_t(0x10 | w), 0x14, 0xC0, 0x20}));
        }
        // the built-in styles stay as they were: no wrapping, no alignment of their own
        EXPECT_EQ(xf8[0][6], 0x20);
        EXPECT_EQ(xf5[17][6], 0x20);
    }
}

TEST(biff_rk_numbers, encodable_values_round_trip_and_others_are_refused) {
    for (const double value : {0.0, 1.0, -1.0, 536870911.0, -536870912.0, 0.5, 12.34, -0.01, 4503599627370496.0, 2.0}) {
        ASSERT_TRUE(biff_rk_encode(value).has_value()) << value;
        EXPECT_EQ(biff_rk_decode(*biff_rk_encode(value)), value) << value;
    }
    EXPECT_EQ(*biff_rk_encode(1.0), 0x06u) << "integer form";
    EXPECT_EQ(*biff_rk_encode(12.34), (1234u << 2) | 3u) << "hundredths";
    EXPECT_FALSE(biff_rk_encode(0.1234567890123).has_value());
    EXPECT_FALSE(biff_rk_encode(536870912.5).has_value());
}

