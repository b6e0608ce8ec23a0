// The run over a scripted source: its error list and an internal error; cell text rules
// and part names.
#include "convert/conversion_run.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "convert/error_handler.h"
#include "convert/error_tables.h"
#include "convert/sprandel_convertor.h"
#include "records/udb_database.h"
#include "../support/scripted_user_interface.h"
#include "../support/temp_folder.h"

namespace {

// Rows of one number as a script says: some rows hold a value that cannot be converted, the
// source may stop answering before a row, or every row may fail inside (an internal error).
struct row_script {
    int rows = 2;
    std::set<int> bad_rows = {};  // 1-based
    int lost_before = 0;     // 1-based; 0: never
    bool internal = false;
};

class scripted_rows : public udb_recordset {
public:
    explicit scripted_rows(row_script script) : udb_recordset("T", false), script_(std::move(script)) {
        schema_.add(t_ftd(4, "ID", VT_I4));
        records_count_ = script_.rows;
        row_.add_field("ID", 4, ole_variant(7));
    }
    void append_record(udb_record&) override {}
    bool is_eof() override {
        if (position_ + 1 == script_.lost_before) throw tk_exception("the source is gone", tk_level_serious);
        return position_ >= script_.rows;
    }
    udb_record* get_item() override {
        if (script_.internal) TK_FAIL();
        if (script_.bad_rows.count(position_ + 1) != 0) throw tk_exception("a bad value", tk_level_recoverable);
        return &row_;
    }
    void next() override { ++position_; }

private:
    row_script script_;
    int position_ = 0;
    udb_record row_;
};

class scripted_source : public udb_database {
public:
    explicit scripted_source(std::map<std::string, row_script> scripts)
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
    std::map<std::string, row_script> scripts_;
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
    scripted_source source({{"A_GOOD", {}}, {"B_BROKEN", {.internal = true}}});
    EXPECT_THROW(converter.do_convert(source), tk_final_exception);
    EXPECT_TRUE(handler->had_internal_error());
    ASSERT_EQ(face.shown.size(), 1u);
    EXPECT_EQ(face.shown[0].rfind("internal: ", 0), 0u) << face.shown[0];
    EXPECT_FALSE(std::filesystem::exists(converter.dest));
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().filename(), "settings.conf") << "left behind";
}

// More row errors than the list keeps, from two tables: every one is still asked about and
// counted, the first 20 are kept in order naming their table and record, and a table cut
// short is listed with its counts.
TEST(error_list, counts_every_error_of_every_table_and_keeps_the_first_20_in_order) {
    temp_folder folder;
    scripted_user_interface face;  // answers Continue to every row error
    const auto handler = create_error_handler();
    sprandel_convertor converter(folder.path() / "settings.conf");
    converter.dest = folder.file("out.xlsx");
    converter.format_version = xls_converter::format_excel_2010;
    converter.tables = {"A_LOST", "B_BAD"};
    std::set<int> first_25;
    for (int row = 1; row <= 25; ++row) first_25.insert(row);
    scripted_source source({{"A_LOST", {.rows = 4, .bad_rows = {2}, .lost_before = 4}},
                            {"B_BAD", {.rows = 30, .bad_rows = first_25}}});
    handler->collect_into(&converter.errors);  // as the run does before it converts
    converter.do_convert(source);
    handler->collect_into(nullptr);

    EXPECT_EQ(face.shown.size(), 27u) << "every row error is asked about, past the list's limit too";
    EXPECT_EQ(converter.errors.total(), 28u);
    EXPECT_EQ(converter.errors.summary(), "28 errors during the run; the first 20 are listed:");
    const std::vector<std::string> listed = converter.errors.listed();
    ASSERT_EQ(listed.size(), 20u);
    EXPECT_EQ(listed[0], "A_LOST, record #2: a bad value");
    EXPECT_EQ(listed[1], "A_LOST, record #4: the source is gone");
    EXPECT_EQ(listed[2], "A_LOST: not complete: 2 of 4 records written; the source stopped answering");
    EXPECT_EQ(listed[3], "B_BAD, record #1: a bad value");
    EXPECT_EQ(listed[19], "B_BAD, record #17: a bad value");
    EXPECT_EQ(face.log_lines, (std::vector<std::string>{
                                  "Table 'A_LOST' is not complete: 2 of 4 records written; the source stopped answering\n",
                                  "Table 'B_BAD' is converted: 5 records written, 25 not (listed)\n"}));

    run_error_list exactly_20;  // the limit itself is not yet "the first 20"
    for (const std::string& text : listed) exactly_20.add(text);
    EXPECT_EQ(exactly_20.summary(), "20 errors during the run:");
}

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
