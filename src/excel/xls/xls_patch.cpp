// Header patch of finished .xls files, on raw record bytes of the workbook stream.
#include "excel/xls/xls_patch.h"

#include <array>

#include "excel/xls/biff_records.h"
#include "excel/xls/compound_file_format.h"
#include "excel/xls/compound_file_reader.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"

namespace {

// FONT #3: 10 pt, automatic colour, bold, family 2. Name and character set stay.
constexpr std::array<std::uint8_t, 12> bold_font = {0xC8, 0x00, 0x01, 0x00, 0xFF, 0x7F,
                                                    0xBC, 0x02, 0x00, 0x00, 0x00, 0x02};
// Header XF: font 4, centred both ways, thin borders in colour 64, solid pattern 22 on 64.
constexpr std::array<std::uint8_t, 20> biff8_header_xf = {0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x12,
                                                          0x00, 0x00, 0x78, 0x11, 0x11, 0x40, 0x20,
                                                          0x40, 0x20, 0x00, 0x04, 0x16, 0x20};
constexpr std::array<std::uint8_t, 16> biff5_header_xf = {0x04, 0x00, 0x00, 0x00, 0x09, 0x00, 0x12, 0x70,
                                                          0x16, 0x20, 0x41, 0x80, 0x49, 0x80, 0x40, 0x20};
// Regular XF: font 0, vertically centred, alignment marked as set.
constexpr std::array<std::uint8_t, 10> biff8_regular_xf = {0x00, 0x00, 0x00, 0x00, 0x01,
                                                           0x00, 0x10, 0x00, 0x00, 0x10};
constexpr std::array<std::uint8_t, 10> biff5_regular_xf = {0x00, 0x00, 0x00, 0x00, 0x09,
                                                           0x00, 0x10, 0x10, 0xC0, 0x20};
constexpr std::size_t alignment_byte = 6;
constexpr std::uint8_t wrap_bit = 0x08;
constexpr std::uint8_t header_cell_xf = 0x10;  // XF 16

struct record_header {
    std::uint16_t type;
    std::uint16_t length;
};

void seek(compound_stream& stream, std::uint64_t position) {
    if (position > stream.size()) TK_FAIL();
    stream.seek(position);
}

void read_exact(compound_stream& stream, std::span<std::byte> bytes) {
    if (stream.read(bytes) != bytes.size()) TK_FAIL();
}

record_header read_header(compound_stream& stream) {
    std::array<std::byte, 4> raw{};
    read_exact(stream, raw);
    return {cfb::get_u16(raw, 0), cfb::get_u16(raw, 2)};
}

std::uint32_t read_u32(compound_stream& stream) {
    std::array<std::byte, 4> raw{};
    read_exact(stream, raw);
    return cfb::get_u32(raw, 0);
}

std::uint16_t read_u16(compound_stream& stream) {
    std::array<std::byte, 2> raw{};
    read_exact(stream, raw);
    return cfb::get_u16(raw, 0);
}

template <std::size_t size>
void overwrite(compound_stream& stream, std::uint64_t body_at, std::uint16_t body_length,
               std::array<std::uint8_t, size> bytes) {
    if (body_length < size) TK_FAIL();  // writing on would damage the next record
    std::array<std::byte, size> raw{};
    for (std::size_t k = 0; k < size; ++k) raw[k] = static_cast<std::byte>(bytes[k]);
    seek(stream, body_at);
    stream.write(raw);
}

void patch_header_xf(compound_stream& stream, biff_version version, std::uint64_t body_at,
                     std::uint16_t length, bool wrap_text) {
    if (version == biff_version::biff8) {
        auto bytes = biff8_header_xf;
        if (wrap_text) bytes[alignment_byte] |= wrap_bit;
        overwrite(stream, body_at, length, bytes);
    } else {
        auto bytes = biff5_header_xf;
        if (wrap_text) bytes[alignment_byte] |= wrap_bit;
        overwrite(stream, body_at, length, bytes);
    }
}

// The documented bytes, except that a cell XF keeps its own number format: our date cells
// use XFs 21-23, and rewriting their format to General would show dates as plain numbers.
void patch_regular_xf(compound_stream& stream, biff_version version, std::uint64_t body_at,
                      std::uint16_t length, bool wrap_text) {
    auto bytes = version == biff_version::biff8 ? biff8_regular_xf : biff5_regular_xf;
    if (wrap_text) bytes[alignment_byte] |= wrap_bit;
    if (length < bytes.size()) TK_FAIL();
    std::array<std::byte, 10> old{};
    seek(stream, body_at);
    read_exact(stream, old);
    const std::size_t used_byte = version == biff_version::biff8 ? 9 : 7;
    constexpr std::uint8_t format_used = 0x04;
    bytes[2] = std::to_integer<std::uint8_t>(old[2]);
    bytes[3] = std::to_integer<std::uint8_t>(old[3]);
    bytes[used_byte] |= std::to_integer<std::uint8_t>(old[used_byte]) & format_used;
    overwrite(stream, body_at, length, bytes);
}

bool is_regular_xf(biff_version version, int ordinal) {  // ordinal counts XF records from 1
    if (ordinal == 16) return true;
    return version == biff_version::biff8 ? ordinal >= 22 && ordinal <= 24 : ordinal >= 22;
}

}  // namespace

std::vector<std::uint32_t> xls_patch_globals(compound_stream& stream, biff_version version, bool wrap_text) {
    std::vector<std::uint32_t> sheets;
    std::uint64_t position = 0;
    int fonts = 0, xfs = 0;
    bool sheets_seen = false;
    TK_LOG(1, "Current position: %llX", static_cast<unsigned long long>(position));
    for (;;) {
        seek(stream, position);
        std::array<std::byte, 4> raw{};
        if (stream.read(raw) < raw.size()) {
            TK_LOG(1, "The end of Stream was reached");
            break;
        }
        const record_header header{cfb::get_u16(raw, 0), cfb::get_u16(raw, 2)};
        const std::uint64_t body_at = position + 4;
        TK_LOG(1, "BIFF record: (%02X, %02X)", header.type, header.length);
        if (header.type == biff_type::font && ++fonts == 4) {
            TK_LOG(1, "Got font descr. #3 (offset=%llX)", static_cast<unsigned long long>(position));
            overwrite(stream, body_at, header.length, bold_font);
        } else if (header.type == biff_type::xf) {
            ++xfs;
            if (xfs == 17) {
                TK_LOG(1, "Got header XF (offset=%llX)", static_cast<unsigned long long>(position));
                patch_header_xf(stream, version, body_at, header.length, wrap_text);
            } else if (is_regular_xf(version, xfs)) {
                TK_LOG(1, "Got regular XF (offset=%llX)", static_cast<unsigned long long>(position));
                patch_regular_xf(stream, version, body_at, header.length, wrap_text);
            }
        }
        if (header.type == biff_type::bound_sheet) {
            seek(stream, body_at);
            sheets.push_back(read_u32(stream));
            TK_LOG(1, "Got sheet offset=%X", sheets.back());
            sheets_seen = true;
        } else if (version == biff_version::biff8 && sheets_seen) {
            break;
        }
        if (version == biff_version::biff5 && header.type == biff_type::eof) break;
        position = body_at + header.length;
        TK_LOG(1, "Current position: %llX", static_cast<unsigned long long>(position));
    }
    return sheets;
}

void xls_patch_sheet(compound_stream& stream, biff_version version, std::uint32_t offset) {
    seek(stream, offset);
    const record_header bof = read_header(stream);
    if (bof.type != biff_type::bof) TK_FAIL();
    const std::uint64_t index_at = std::uint64_t{offset} + 4 + bof.length;
    seek(stream, index_at);
    const record_header index = read_header(stream);
    if (index.type != biff_type::index) TK_FAIL();
    const std::uint16_t minimum = version == biff_version::biff8 ? 20 : 16;
    if (index.length < minimum) {
        TK_LOG(1, "Empty sheet");
        return;
    }
    seek(stream, index_at + 4 + (minimum - 4));
    const std::uint32_t dbcell = read_u32(stream);
    TK_LOG(1, "Got DBCELL offset: %X", dbcell);
    if (dbcell == 0) return;

    seek(stream, dbcell);
    const record_header cell_index = read_header(stream);
    if (cell_index.type != biff_type::dbcell) TK_FAIL();
    const std::uint32_t back_to_rows = read_u32(stream);
    const std::uint16_t first_cell_offset = read_u16(stream);
    if (back_to_rows >= dbcell) TK_FAIL();
    const std::uint64_t row_at = dbcell - back_to_rows;
    seek(stream, row_at);
    const record_header row = read_header(stream);
    std::uint64_t cell_at = row_at + 4 + row.length + first_cell_offset;
    TK_LOG(1, "Got 1st cell offset: %llX", static_cast<unsigned long long>(cell_at));

    const std::byte header_xf[1] = {std::byte{header_cell_xf}};
    for (std::uint32_t column = 0;; ++column) {
        seek(stream, cell_at);
        const record_header cell = read_header(stream);
        if (cell.length < 6) break;
        const std::uint16_t cell_row = read_u16(stream);
        const std::uint16_t cell_column = read_u16(stream);
        if (cell_row != 0 || cell_column != column) break;
        stream.write(header_xf);
        cell_at += 4 + cell.length;
    }
}
