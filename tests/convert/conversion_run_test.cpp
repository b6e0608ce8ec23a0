// The run over a scripted source: an internal error; cell text rules and part names.
#include "convert/conversion_run.h"

#include <gtest/gtest.h>

#include <map>

#include "convert/error_handler.h"
#include "convert/error_tables.h"
#include "convert/sprandel_convertor.h"
#include "records/udb_database.h"
#include "../support/scripted_user_interface.h"
#include "../support/temp_folder.h"

namespace {

// Two rows of one number; with `internal`, every row fails inside (an internal error).
class scripted_rows : public udb_recordset {
public:
    explicit scripted_rows(bool internal) : udb_recordset("T", false), internal_(internal) {
        schema_.add(t_ftd(4, "ID", VT_I4));
        records_count_ = 2;
        row_.add_field("ID", 4, ole_variant(7));
    }
    void append_record(udb_record&) override {}
    bool is_eof() override { return position_ >= 2; }
    udb_record* get_item() override {
        if (internal_) TK_FAIL();
        return &row_;
    }
    void next() override { ++position_; }

private:
    bool internal_;
    int position_ = 0;
    udb_record row_;
};

class scripted_source : public udb_database {
public:
    explicit scripted_source(std::map<std::string, bool> scripts)
        : udb_database("source", 0, false), scripts_(std::move(scripts)) {
        for (const auto& [name, script] : scripts_) tables_.push_back(name);
    }
    std::unique_ptr<udb_recordset> create_table(const std::string&, const udb_schema&, udb_indexes&) override {
        TK_FAIL();
    }
    std::unique_ptr<udb_recordset> get_query(const std::string&, const std::string&, int) override { TK_FAIL(); }
    std::unique_ptr<udb_recordset> get_table(const std::string& table, int) override {
        return std::make_unique<scripted_rows>(scripts_.at(table));
    }
    bool test_query(const std::string&) override { return false; }

private:
    std::map<std::string, bool> scripts_;
};

}  // namespace

TEST(internal_error, during_a_run_leaves_no_workbook_not_even_the_items_finished_before) {
    temp_folder folder;
    scripted_user_interface face;
    const auto handler = create_error_handler();
    handler->exit_hook = [](int) {};  // comes back, so the run must stop by itself
    sprandel_convertor converter(folder.path() / "settings.conf");
    converter.dest = folder.file("out.xls");
    converter.format_version = xls_converter::format_excel_2000;
    converter.tables = {"A_GOOD", "B_BROKEN"};
    scripted_source source({{"A_GOOD", false}, {"B_BROKEN", true}});
    EXPECT_THROW(converter.do_convert(source), tk_final_exception);
    EXPECT_TRUE(handler->had_internal_error());
    ASSERT_EQ(face.shown.size(), 1u);
    EXPECT_EQ(face.shown[0].rfind("internal: ", 0), 0u) << face.shown[0];
    EXPECT_FALSE(std::filesystem::exists(converter.dest));
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().filename(), "settings.conf") << "left behind";
}

// The error list of a run: its limit, error_handling.every_row_error_is_asked_about_and_counted_past_the_lists_limit;
// row and cut-table entries in order, run_formats_test, run_failures_test and fault_interruption_test.

TEST(cell_text, line_breaks_become_line_feeds) {
    bool cut = true;
    EXPECT_EQ(normalize_cell_text("a\r\nb\rc\nd", false, cut), "a\nb\nc\nd");
    EXPECT_FALSE(cut);
    EXPECT_EQ(normalize_cell_text("\r\r\n\n", false, cut), "\n\n\n");
}

TEST(cell_text, limits_count_utf16_units_and_never_split_a_character) {
    bool cut = false;
    std::string cyrillic;
    for (int i = 0; i < 300; ++i) cyrillic += "\xD0\x96";  // two bytes, one unit each
    EXPECT_EQ(normalize_cell_text(cyrillic, true, cut).size(), 254u * 2);
    EXPECT_TRUE(cut);
    std::string emoji = std::string(253, 'a') + "\xF0\x9F\x98\x80";  // the pair would be units 254 and 255
    EXPECT_EQ(normalize_cell_text(emoji, true, cut), std::string(253, 'a'));
    EXPECT_TRUE(cut);
    // A CR LF counts once after it became a line feed.
    std::string breaks = std::string(253, 'a') + "\r\n";
    EXPECT_EQ(normalize_cell_text(breaks, true, cut), std::string(253, 'a') + "\n");
    EXPECT_FALSE(cut);
}

// report(1).xls itself: the end-to-end part_workbooks case.
TEST(part_workbooks, carry_their_counter_before_the_last_extension) {
    EXPECT_EQ(run_workbooks::part_path("/data/out/my.report.xlsx", 12), "/data/out/my.report(12).xlsx");
}
