// Reading a workbook back into a new writer: every cell survives, shared strings across
// CONTINUE records included, and what cannot be carried over is refused, never guessed.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "excel/xls/biff_records.h"
#include "excel/xls/biff_workbook_reader.h"
#include "excel/xls/compound_file_writer.h"
#include "excel/xls/dao_exception.h"
#include "xls_test_support.h"

using namespace xls_test;

namespace {

void write_strings_workbook(const fs::path& path, biff_version version) {
    biff_workbook_writer book(path, version);
    biff_sheet_writer& sheet = book.add_sheet("Texts");
    for (int k = 0; k < 1500; ++k) {
        std::string text = "value " + std::to_string(k) + (k % 5 == 0 ? " Ωmega ünï" : "");
        if (k % 400 == 7) text += std::string(9000, 'z');
        sheet.start_row();
        if (k % 3 != 1) sheet.put_text(0, text);
        sheet.put_number(2, k * 0.5);
        if (k % 4 == 0) sheet.put_bool(3, k % 8 == 0);
        sheet.end_row();
    }
    book.add_sheet("Empty");
    biff_sheet_writer& dates = book.add_sheet("Dates");
    dates.start_row();
    dates.put_date(1, 45351.5, biff_date_kind::date_time);
    dates.end_row();
    book.close();
}

std::string reloaded_dump(const fs::path& from, const fs::path& to, biff_version version) {
    biff_workbook_writer copy(to, version);
    const auto sheets = biff_load_workbook(from, copy);
    EXPECT_EQ(sheets.size(), 3u);
    copy.close();
    return dump(to);
}

}  // namespace

TEST(biff_workbook_reader, every_cell_survives_a_reload_in_both_versions) {
    for (const auto version : {biff_version::biff8, biff_version::biff5}) {
        temporary_folder folder;
        write_strings_workbook(folder / "a.xls", version);
        EXPECT_EQ(biff_workbook_version(folder / "a.xls"), version);
        const std::string original = dump(folder / "a.xls");
        EXPECT_EQ(reloaded_dump(folder / "a.xls", folder / "b.xls", version), original);
        EXPECT_NE(original.find("\tb:1"), std::string::npos);
        EXPECT_NE(original.find("d:2024-02-29T12:00:00.000"), std::string::npos);
    }
}

TEST(biff_workbook_reader, header_texts_and_first_row_types_describe_each_sheet) {
    temporary_folder folder;
    {
        biff_workbook_writer book(folder / "h.xls", biff_version::biff8);
        biff_sheet_writer& sheet = book.add_sheet("H");
        sheet.start_row();
        sheet.put_text(0, "when");
        sheet.put_text(2, "flag");
        sheet.put_text(3, "n");
        sheet.end_row();
        sheet.start_row();
        sheet.put_date(0, 45351, biff_date_kind::date);
        sheet.put_bool(2, true);
        sheet.end_row();
        book.close();
    }
    biff_workbook_writer copy(folder / "c.xls", biff_version::biff8);
    const auto sheets = biff_load_workbook(folder / "h.xls", copy);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "H");
    EXPECT_EQ(sheets[0].header, (std::vector<std::string>{"when", "", "flag", "n"}));
    EXPECT_EQ(sheets[0].first_row_types, (std::vector<vartype>{VT_DATE, VT_EMPTY, VT_BOOL}));
}

namespace {

int refusal_number(const fs::path& path, biff_version version, std::string* message = nullptr) {
    try {
        biff_workbook_writer copy(path.parent_path() / "copy.xls", version);
        biff_load_workbook(path, copy);
    } catch (const dao_exception& error) {
        if (message) *message = error.what();
        return error.number();
    }
    return 0;
}

void store_stream(const fs::path& path, biff_buffer& stream) {
    std::vector<std::byte> bytes(stream.view().begin(), stream.view().end());
    bytes.resize(std::max<std::size_t>(bytes.size(), 4096));
    compound_file_writer writer;
    writer.add_stream(u"Workbook", std::move(bytes));
    temporary_output_file out(path);
    writer.write(out);
    out.commit();
}

}  // namespace

TEST(biff_workbook_reader, formulas_other_formats_and_foreign_files_are_refused_by_name) {
    temporary_folder folder;
    biff_buffer stream;
    write_bof(stream, biff_version::biff8, biff_bof_globals);
    stream.begin(biff_type::bound_sheet);
    const std::size_t offset_at = stream.size();
    stream.u32(0);
    stream.u16(0);
    write_short_unicode(stream, u"F");
    stream.end();
    write_eof(stream);
    stream.patch_u32(offset_at, static_cast<std::uint32_t>(stream.size()));
    write_bof(stream, biff_version::biff8, biff_bof_worksheet);
    stream.begin(0x0006);  // a FORMULA cell
    stream.zeros(22);
    stream.end();
    write_eof(stream);
    store_stream(folder / "f.xls", stream);
    std::string message;
    EXPECT_EQ(refusal_number(folder / "f.xls", biff_version::biff8, &message), 3274);
    EXPECT_EQ(message, "The workbook " + (folder / "f.xls").string() + " cannot be added to: it holds formulas.");
    EXPECT_EQ(refusal_number(folder / "f.xls", biff_version::biff5, &message), 3274);
    EXPECT_NE(message.find("the other Excel format"), std::string::npos);

    {
        std::ofstream text(folder / "t.xls");
        text << "not a workbook at all, just text";
    }
    EXPECT_EQ(refusal_number(folder / "t.xls", biff_version::biff8, &message), 3274);
    EXPECT_NE(message.find("not an OLE document"), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(folder / "copy.xls"));
}

TEST(biff_workbook_reader, random_damage_is_refused_never_crashes) {
    temporary_folder folder;
    write_strings_workbook(folder / "good.xls", biff_version::biff8);
    const auto good = workbook_stream(folder / "good.xls");
    std::minstd_rand generator(77);
    int refused = 0;
    for (int attempt = 0; attempt < 60; ++attempt) {
        auto bytes = good;
        for (int k = 0; k < 4; ++k) bytes[generator() % bytes.size()] = static_cast<std::byte>(generator() & 0xFF);
        biff_buffer stream;
        stream.bytes(bytes);
        store_stream(folder / "bad.xls", stream);
        refused += refusal_number(folder / "bad.xls", biff_version::biff8) == 3274;
    }
    EXPECT_GT(refused, 0);
}
