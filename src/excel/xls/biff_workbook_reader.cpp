// Reading an existing workbook's sheets back into a writer, every offset and length
// checked against the stream.
#include "excel/xls/biff_workbook_reader.h"

#include <span>

#include "excel/xls/biff_records.h"
#include "excel/xls/biff_string_table.h"
#include "excel/xls/compound_file_format.h"
#include "excel/xls/compound_file_reader.h"
#include "excel/xls/dao_exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

constexpr std::uint16_t formula = 0x0006;
constexpr std::uint16_t shared_formula = 0x04BC;
constexpr std::uint16_t array_formula = 0x0221;
constexpr std::uint16_t mul_rk = 0x00BD;
constexpr std::uint16_t max_columns = 256;

struct load_error {
    std::string reason;
};

struct record_view {
    std::uint16_t type;
    std::span<const std::byte> body;
    std::size_t next;  // offset of the following record
};

record_view record_at(const std::vector<std::byte>& stream, std::size_t at) {
    if (at + 4 > stream.size()) throw load_error{"a record runs past the end of the workbook stream"};
    const std::uint16_t length = cfb::get_u16(stream, at + 2);
    if (at + 4 + length > stream.size()) throw load_error{"a record runs past the end of the workbook stream"};
    return {cfb::get_u16(stream, at), std::span<const std::byte>(stream).subspan(at + 4, length), at + 4 + length};
}

void need(std::span<const std::byte> body, std::size_t size) {
    if (body.size() < size) throw load_error{"a record is shorter than its contents"};
}

// The shared strings, read across their CONTINUE records: a string's characters may go on
// in the next record, which then starts with a fresh flags byte.
class string_reader {
public:
    explicit string_reader(std::vector<std::span<const std::byte>> pieces) : pieces_(std::move(pieces)) {}

    std::uint32_t u8() {
        next_piece_if_done();
        return std::to_integer<std::uint32_t>(pieces_[piece_][at_++]);
    }
    std::uint32_t u16() { return u8() | u8() << 8; }
    std::uint32_t u32() { return u16() | u16() << 16; }
    void skip(std::size_t count) {
        for (std::size_t k = 0; k < count; ++k) u8();
    }
    std::u16string text(std::size_t count, bool wide) {
        std::u16string out;
        out.reserve(count);
        while (out.size() < count) {
            if (at_ == pieces_[piece_].size()) {
                next_piece_if_done();
                wide = (u8() & 0x01) != 0;
            }
            out.push_back(static_cast<char16_t>(wide ? u16() : u8()));
        }
        return out;
    }

private:
    void next_piece_if_done() {
        while (at_ == pieces_[piece_].size()) {
            if (piece_ + 1 >= pieces_.size()) throw load_error{"the shared strings end early"};
            ++piece_;
            at_ = 0;
        }
    }
    std::vector<std::span<const std::byte>> pieces_;
    std::size_t piece_ = 0, at_ = 0;
};

std::vector<std::string> read_shared_strings(const std::vector<std::byte>& stream, const record_view& sst) {
    need(sst.body, 8);
    std::vector<std::span<const std::byte>> pieces{sst.body.subspan(8)};
    for (std::size_t at = sst.next; at < stream.size();) {
        const record_view more = record_at(stream, at);
        if (more.type != biff_type::continue_record) break;
        pieces.push_back(more.body);
        at = more.next;
    }
    const std::uint32_t count = cfb::get_u32(sst.body, 4);
    std::vector<std::string> strings;
    if (count == 0) return strings;
    string_reader in(std::move(pieces));
    for (std::uint32_t k = 0; k < count; ++k) {
        const std::uint32_t length = in.u16();
        const std::uint32_t flags = in.u8();
        const std::uint32_t runs = flags & 0x08 ? in.u16() : 0;
        const std::uint32_t phonetic = flags & 0x04 ? in.u32() : 0;
        strings.push_back(to_utf8(in.text(length, flags & 0x01)));
        in.skip(std::size_t{runs} * 4 + phonetic);
    }
    return strings;
}

std::string read_label(std::span<const std::byte> body, biff_version version) {
    need(body, 8);
    const std::uint16_t length = cfb::get_u16(body, 6);
    if (version == biff_version::biff5) {
        need(body, 8u + length);
        return biff_from_code_page_1252(
            std::string_view(reinterpret_cast<const char*>(body.data() + 8), length));
    }
    need(body, 9);
    const bool wide = (std::to_integer<unsigned>(body[8]) & 0x01) != 0;
    need(body, 9u + length * (wide ? 2u : 1u));
    std::u16string units;
    for (std::size_t k = 0; k < length; ++k)
        units.push_back(wide ? static_cast<char16_t>(cfb::get_u16(body, 9 + 2 * k))
                             : static_cast<char16_t>(std::to_integer<unsigned>(body[9 + k])));
    return to_utf8(units);
}

std::string read_sheet_name(std::span<const std::byte> body, biff_version version) {
    need(body, 8);
    const std::size_t length = std::to_integer<std::size_t>(body[6]);
    if (version == biff_version::biff5) {
        need(body, 7 + length);
        return biff_from_code_page_1252(std::string_view(reinterpret_cast<const char*>(body.data() + 7), length));
    }
    const bool wide = (std::to_integer<unsigned>(body[7]) & 0x01) != 0;
    need(body, 8 + length * (wide ? 2 : 1));
    std::u16string units;
    for (std::size_t k = 0; k < length; ++k)
        units.push_back(wide ? static_cast<char16_t>(cfb::get_u16(body, 8 + 2 * k))
                             : static_cast<char16_t>(std::to_integer<unsigned>(body[8 + k])));
    return to_utf8(units);
}

// Replays one sheet's cells in row order into the writer's sheet.
class sheet_replay {
public:
    sheet_replay(biff_sheet_writer& sheet, biff_loaded_sheet& loaded) : sheet_(sheet), loaded_(loaded) {}

    void number(std::uint32_t row, std::uint16_t column, std::uint16_t xf, double value) {
        move_to(row, column);
        const bool date = xf >= biff_xf::date && xf <= biff_xf::time;
        note(row, column, "", date ? VT_DATE : VT_R8);
        sheet_.put_number_as(column, value, usable(xf));
    }
    void text(std::uint32_t row, std::uint16_t column, std::uint16_t xf, const std::string& value) {
        move_to(row, column);
        note(row, column, value, VT_BSTR);
        sheet_.put_text(column, value, usable(xf));
    }
    void boolean(std::uint32_t row, std::uint16_t column, std::uint16_t xf, bool value) {
        move_to(row, column);
        note(row, column, "", VT_BOOL);
        sheet_.put_bool(column, value, usable(xf));
    }
    void finish() {
        if (in_row_) sheet_.end_row();
        in_row_ = false;
    }

private:
    static std::uint16_t usable(std::uint16_t xf) { return xf < biff_xf::count ? xf : biff_xf::default_cell; }

    void move_to(std::uint32_t row, std::uint16_t column) {
        if (column >= max_columns) throw load_error{"a cell lies beyond the last column"};
        if (in_row_ && row == row_) {
            if (column <= column_) throw load_error{"the cells of a row are out of order"};
            column_ = column;
            return;
        }
        if (in_row_ && row < row_) throw load_error{"the rows are out of order"};
        if (in_row_) sheet_.end_row();
        while (sheet_.row_count() < row) {
            sheet_.start_row();
            sheet_.end_row();
        }
        sheet_.start_row();
        in_row_ = true;
        row_ = row;
        column_ = column;
    }
    void note(std::uint32_t row, std::uint16_t column, const std::string& text, vartype type) {
        if (row == 0) {
            if (loaded_.header.size() <= column) loaded_.header.resize(column + 1u);
            loaded_.header[column] = text;
        } else if (row == 1) {
            if (loaded_.first_row_types.size() <= column) loaded_.first_row_types.resize(column + 1u, VT_EMPTY);
            loaded_.first_row_types[column] = type;
        }
    }

    biff_sheet_writer& sheet_;
    biff_loaded_sheet& loaded_;
    bool in_row_ = false;
    std::uint32_t row_ = 0;
    std::uint16_t column_ = 0;
};

void replay_cell(const record_view& r, biff_version version, const std::vector<std::string>& strings,
                 sheet_replay& replay) {
    switch (r.type) {
        case biff_type::rk:
            need(r.body, 10);
            replay.number(cfb::get_u16(r.body, 0), cfb::get_u16(r.body, 2), cfb::get_u16(r.body, 4),
                          biff_rk_decode(cfb::get_u32(r.body, 6)));
            return;
        case biff_type::number:
            need(r.body, 14);
            replay.number(cfb::get_u16(r.body, 0), cfb::get_u16(r.body, 2), cfb::get_u16(r.body, 4),
                          std::bit_cast<double>(cfb::get_u64(r.body, 6)));
            return;
        case mul_rk: {
            need(r.body, 6);
            const std::size_t cells = (r.body.size() - 6) / 6;
            for (std::size_t k = 0; k < cells; ++k)
                replay.number(cfb::get_u16(r.body, 0), static_cast<std::uint16_t>(cfb::get_u16(r.body, 2) + k),
                              cfb::get_u16(r.body, 4 + 6 * k), biff_rk_decode(cfb::get_u32(r.body, 6 + 6 * k)));
            return;
        }
        case biff_type::label_sst: {
            need(r.body, 10);
            const std::uint32_t index = cfb::get_u32(r.body, 6);
            if (index >= strings.size()) throw load_error{"a cell names a shared string that does not exist"};
            replay.text(cfb::get_u16(r.body, 0), cfb::get_u16(r.body, 2), cfb::get_u16(r.body, 4), strings[index]);
            return;
        }
        case biff_type::label:
            replay.text(cfb::get_u16(r.body, 0), cfb::get_u16(r.body, 2), cfb::get_u16(r.body, 4),
                        read_label(r.body, version));
            return;
        case biff_type::bool_err:
            need(r.body, 8);
            if (std::to_integer<int>(r.body[7]) != 0) throw load_error{"a cell holds an error value"};
            replay.boolean(cfb::get_u16(r.body, 0), cfb::get_u16(r.body, 2), cfb::get_u16(r.body, 4),
                           std::to_integer<int>(r.body[6]) != 0);
            return;
        case formula:
        case shared_formula:
        case array_formula: throw load_error{"it holds formulas"};
        default: return;  // formatting, blanks and view settings are not cells
    }
}

void replay_sheet(const std::vector<std::byte>& stream, std::size_t offset, biff_version version,
                  const std::vector<std::string>& strings, biff_sheet_writer& sheet, biff_loaded_sheet& loaded) {
    record_view r = record_at(stream, offset);
    if (r.type != biff_type::bof) throw load_error{"a sheet does not start where the workbook says"};
    sheet_replay replay(sheet, loaded);
    int depth = 0;  // embedded charts bring their own BOF .. EOF
    for (std::size_t at = r.next;;) {
        r = record_at(stream, at);
        at = r.next;
        if (r.type == biff_type::bof) ++depth;
        else if (r.type == biff_type::eof && depth-- == 0) break;
        else if (depth == 0) replay_cell(r, version, strings, replay);
    }
    replay.finish();
}

std::vector<std::byte> workbook_bytes(const std::filesystem::path& path) {
    compound_file file(path, compound_file::access::read_only);
    return file.open_stream(file.has_stream(u"Workbook") ? u"Workbook" : u"Book").read_all();
}

biff_version version_of(const std::vector<std::byte>& stream) {
    const record_view bof = record_at(stream, 0);
    if (bof.type != biff_type::bof || bof.body.size() < 4) throw load_error{"it is not an Excel workbook"};
    const std::uint16_t version = cfb::get_u16(bof.body, 0);
    if (version == 0x0600) return biff_version::biff8;
    if (version == 0x0500) return biff_version::biff5;
    throw load_error{"it is not an Excel 5.0 or Excel 2000 workbook"};
}

[[noreturn]] void refuse(const std::filesystem::path& path, const std::string& reason) {
    throw dao_exception(dao_error::cannot_open_existing,
                        "The workbook " + path.string() + " cannot be added to: " + reason + ".");
}

}  // namespace

biff_version biff_workbook_version(const std::filesystem::path& path) {
    try {
        return version_of(workbook_bytes(path));
    } catch (const load_error& error) {
        refuse(path, error.reason);
    } catch (const compound_file_error& error) {
        refuse(path, error.message());
    }
}

std::vector<biff_loaded_sheet> biff_load_workbook(const std::filesystem::path& path, biff_workbook_writer& writer) {
    TK_LOG(2, "biff_load_workbook(%s)", path.c_str());
    TK_ASSERT(writer.sheet_count() == 0);
    std::vector<biff_loaded_sheet> loaded;
    try {
        const std::vector<std::byte> stream = workbook_bytes(path);
        const biff_version version = version_of(stream);
        if (version != writer.version()) throw load_error{"it is in the other Excel format"};
        std::vector<std::string> strings;
        std::vector<std::pair<std::uint32_t, std::string>> sheets;
        for (std::size_t at = 0;;) {
            const record_view r = record_at(stream, at);
            at = r.next;
            if (r.type == biff_type::eof) break;
            if (r.type == biff_type::sst) strings = read_shared_strings(stream, r);
            if (r.type == biff_type::bound_sheet) {
                need(r.body, 6);
                const bool worksheet = std::to_integer<int>(r.body[5]) == 0;
                if (!worksheet) throw load_error{"it holds charts or macro sheets"};
                sheets.emplace_back(cfb::get_u32(r.body, 0), read_sheet_name(r.body, version));
            }
        }
        for (const auto& [offset, name] : sheets) {
            loaded.push_back({name, {}, {}});
            replay_sheet(stream, offset, version, strings, writer.add_sheet(name), loaded.back());
        }
    } catch (const load_error& error) {
        refuse(path, error.reason);
    } catch (const compound_file_error& error) {
        refuse(path, error.message());
    } catch (const tk_exception& error) {
        if (error.level() == tk_level_internal) throw;
        refuse(path, error.message());
    }
    return loaded;
}
