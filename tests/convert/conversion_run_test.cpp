// The run over a scripted source, with the real workbook writers and scripted answers:
// row and item errors, the questions, stopping, reading to the end, internal errors.
#include "convert/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>

#include "../support/scripted_user_interface.h"
#include "../support/temp_folder.h"
#include "../support/workbook_reader.h"
#include "convert/error_handler.h"
#include "convert/error_tables.h"
#include "oracle/ora_exception.h"
#include "oracle/table_reader.h"

namespace {

// One scripted item: its columns, its rows (integers and texts), an estimate, and where it
// fails: a row_error at some rows, a server error that ends the read, or the connection lost.
struct scripted_table {
    std::vector<std::string> columns{"ID", "T"};
    std::vector<std::pair<std::int64_t, std::string>> rows;
    std::int64_t estimate = -1;  // -1: the number of rows
    std::vector<std::size_t> bad_rows;
    std::size_t server_error_at = SIZE_MAX;
    std::size_t lost_at = SIZE_MAX;
    bool internal_error = false;
    std::function<void()> at_end;  // called when the last row has been read
};

class scripted_reader : public table_reader {
public:
    explicit scripted_reader(const scripted_table& table) : table_(table) {
        for (const std::string& name : table.columns) columns_.push_back({name, "NUMBER", 22, 0, -127, true});
    }
    const std::vector<column_info>& columns() const noexcept override { return columns_; }
    std::int64_t estimated_rows() const noexcept override {
        return table_.estimate >= 0 ? table_.estimate : static_cast<std::int64_t>(table_.rows.size());
    }
    bool next_row(std::vector<cell_value>& row) override {
        if (next_ == table_.rows.size()) {
            if (table_.at_end) table_.at_end();
            return false;
        }
        const std::size_t at = next_++;
        if (table_.internal_error) TK_FAIL();
        if (at == table_.server_error_at) throw ora_exception(1476, "ORA-01476: divisor is equal to zero");
        if (at == table_.lost_at) throw ora_exception(3113, "ORA-03113: end-of-file on communication channel");
        if (std::count(table_.bad_rows.begin(), table_.bad_rows.end(), at) != 0)
            throw row_error("ORA-01722: invalid number", tk_level_recoverable);
        row.assign(columns_.size(), cell_value::of_integer(table_.rows[at].first));
        if (row.size() > 1) row[1] = cell_value::of_text(table_.rows[at].second);
        return true;
    }

private:
    const scripted_table& table_;
    std::vector<column_info> columns_;
    std::size_t next_ = 0;
};

class scripted_source : public table_source {
public:
    explicit scripted_source(std::map<std::string, scripted_table> tables) : tables_(std::move(tables)) {
        for (const auto& entry : tables_) names_.push_back(entry.first);
    }
    const std::vector<std::string>& tables() override { return names_; }
    std::unique_ptr<table_reader> open_table(const std::string& table, text_form texts) override {
        asked_forms.push_back(texts);
        return std::make_unique<scripted_reader>(tables_.at(table));
    }
    std::unique_ptr<table_reader> open_query(const std::string& name, const std::string&, text_form texts) override {
        return open_table(name, texts);
    }
    std::vector<text_form> asked_forms;
    void break_calls() noexcept override {}

private:
    std::map<std::string, scripted_table> tables_;
    std::vector<std::string> names_;
};

scripted_table numbered_rows(int count) {
    scripted_table table;
    for (int i = 1; i <= count; ++i) table.rows.emplace_back(i, "row " + std::to_string(i));
    return table;
}

std::size_t count_starting(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(prefix); });
}

// A user who presses Stop while the first row-error dialog is open.
class stopping_user_interface : public scripted_user_interface {
public:
    conversion_run* run = nullptr;
    continue_choice continue_or_abort(const std::string& title, const std::string& text) override {
        if (run != nullptr) run->request_stop();
        return scripted_user_interface::continue_or_abort(title, text);
    }
};

class run_fixture : public ::testing::Test {
protected:
    job make_job(workbook_format format, std::vector<std::string> tables, const std::string& file) {
        job work;
        work.format = format;
        work.tables = std::move(tables);
        work.destination = folder_.file(file);
        return work;
    }
    // stop_at_question: the user presses Stop while the first question is open.
    std::unique_ptr<conversion_run> run(job work, scripted_source& source, bool stop_at_question = false) {
        auto result = std::make_unique<conversion_run>(std::move(work), source, *handler_, &face_);
        face_.run = stop_at_question ? result.get() : nullptr;
        (*result)();
        return result;
    }

    temp_folder folder_;
    stopping_user_interface face_;
    std::unique_ptr<error_handler> handler_ = create_error_handler(&face_);
};

}  // namespace

TEST_F(run_fixture, do_not_show_again_answers_later_row_errors_which_are_still_listed_per_table_and_record) {
    face_.continue_answers = {{true, true}};
    scripted_table first = numbered_rows(3), second = numbered_rows(1);
    first.bad_rows = {1};
    second.bad_rows = {0};
    scripted_source source({{"A", first}, {"B", second}});
    job work = make_job(workbook_format::excel_2010, {"A", "B"}, "run.xlsx");
    auto result = std::make_unique<conversion_run>(work, source, *handler_, &face_);
    (*result)();
    EXPECT_FALSE(result->was_stopped());
    ASSERT_EQ(count_starting(face_.shown, "continue: "), 1u) << "the second table's bad row asks nothing";
    EXPECT_EQ(face_.shown[0], "continue: Sprandel 4.1 Error | A, record #2: ORA-01722: invalid number");
    EXPECT_EQ(dump_workbook_text(work.destination),
              "sheet\tA\t3\t2\nR\ts:ID\ts:T\nR\tn:1\ts:row 1\nR\tn:3\ts:row 3\nsheet\tB\t1\t2\nR\ts:ID\ts:T\n");
    EXPECT_EQ(result->errors().listed(), (std::vector<std::string>{"A, record #2: ORA-01722: invalid number",
                                                                    "B, record #1: ORA-01722: invalid number"}));
    EXPECT_EQ(result->items_converted(), 2);
    EXPECT_EQ(face_.log_lines[0], "Table 'A' is converted: 2 records written, 1 not (listed)\n");
}

TEST_F(run_fixture, abort_stops_the_run_and_an_xlsx_destination_is_not_written) {
    face_.continue_answers = {{true, false}, {false, false}};
    scripted_table table = numbered_rows(4);
    table.bad_rows = {0, 2};
    scripted_source source({{"A", table}, {"B", numbered_rows(1)}});
    job work = make_job(workbook_format::excel_2010, {"A", "B"}, "run.xlsx");
    auto result = std::make_unique<conversion_run>(work, source, *handler_, &face_);
    (*result)();
    EXPECT_TRUE(result->was_stopped());
    EXPECT_EQ(count_starting(face_.shown, "continue: "), 2u);
    EXPECT_FALSE(std::filesystem::exists(work.destination));
    EXPECT_TRUE(result->written_workbooks().empty());
}

// Excel 5.0 and 2000 sheets take 255 columns; the question says the number that is written.
TEST_F(run_fixture, a_table_too_wide_for_an_xls_sheet_asks_once_and_keeps_the_first_255_columns) {
    scripted_table wide = numbered_rows(1);
    wide.columns.clear();
    for (int i = 1; i <= 300; ++i) wide.columns.push_back(std::string("C").append(std::to_string(i)));
    scripted_source source({{"WIDE", wide}});
    const auto result = run(make_job(workbook_format::excel_2000, {"WIDE"}, "wide.xls"), source);
    ASSERT_EQ(count_starting(face_.shown, "continue: "), 1u);
    EXPECT_EQ(face_.shown[0], "continue: Sprandel 4.1 Error | Table will be truncated up to 255 columns.");
    EXPECT_EQ(result->errors().listed(), std::vector<std::string>{"WIDE: Table will be truncated up to 255 columns."});
    const auto sheets = read_workbook(result->work().destination);
    ASSERT_EQ(sheets.at(0).rows.at(0).size(), 255u);
    EXPECT_EQ(sheets[0].rows[0].back(), "s:C255");
}

TEST_F(run_fixture, stop_mid_item_leaves_the_xls_items_finished_before_and_drops_the_stopped_sheet) {
    scripted_table stopped = numbered_rows(3);
    stopped.bad_rows = {1};
    scripted_source source({{"A_DONE", numbered_rows(2)}, {"B_STOPPED", stopped}, {"C_NEVER", numbered_rows(1)}});
    const auto result = run(make_job(workbook_format::excel_2000, {"A_DONE", "B_STOPPED", "C_NEVER"}, "run.xls"),
                            source, true);
    EXPECT_TRUE(result->was_stopped());
    EXPECT_EQ(count_starting(face_.shown, "continue: "), 1u) << "the third table is never reached";
    const auto sheets = read_workbook(result->work().destination);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "A_DONE");
    EXPECT_EQ(result->errors().listed().back(),
              "B_STOPPED: not complete: 1 of about 3 records written; the run was stopped; the sheet is left out");
}

// Fault: a split run stopped while filling a part left the new main workbook beside the
// earlier run's part and an empty temporary file. Excel 5.0 sheets hold 16,383 data rows.
TEST_F(run_fixture, a_split_run_stopped_in_a_part_leaves_one_whole_set_and_no_temporary_file) {
    scripted_source earlier({{"A_DONE", numbered_rows(2)}, {"B_BIG", numbered_rows(16390)}});
    job work = make_job(workbook_format::excel_50, {"A_DONE", "B_BIG"}, "run.xls");
    work.split_data = true;
    ASSERT_FALSE(run(work, earlier)->was_stopped());
    ASSERT_TRUE(std::filesystem::exists(folder_.file("run(1).xls")));

    scripted_table stopped = numbered_rows(16390);
    stopped.bad_rows = {16386};  // in part 1
    scripted_source source({{"A_DONE", numbered_rows(3)}, {"B_BIG", stopped}});
    const auto result = run(work, source, true);
    EXPECT_TRUE(result->was_stopped());
    const auto sheets = read_workbook(work.destination);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].rows.size(), 4u);  // this run's A_DONE
    EXPECT_EQ(entry_names(folder_.path()), std::vector<std::string>{"run.xls"});
}

// Fault: when the main workbook could not take its place after the parts had taken
// theirs, the new parts stood beside the earlier main workbook, and the earlier run's
// surplus part was gone. Here the main workbook's name turns into a folder.
TEST_F(run_fixture, a_split_run_that_cannot_publish_its_main_workbook_leaves_the_earlier_parts_as_they_were) {
    job work = make_job(workbook_format::excel_50, {"BIG"}, "run.xls");
    work.split_data = true;
    scripted_source earlier({{"BIG", numbered_rows(16383 * 2 + 5)}});
    ASSERT_FALSE(run(work, earlier)->was_stopped());
    ASSERT_TRUE(std::filesystem::exists(folder_.file("run(2).xls")));

    scripted_table smaller = numbered_rows(16383 + 2);
    smaller.at_end = [&] {
        std::filesystem::remove(work.destination);
        std::filesystem::create_directories(work.destination + "/inside");
    };
    scripted_source source({{"BIG", smaller}});
    const auto result = run(work, source);
    EXPECT_TRUE(result->was_stopped());
    EXPECT_TRUE(result->written_workbooks().empty());
    ASSERT_EQ(result->errors().listed().size(), 1u);
    EXPECT_NE(result->errors().listed()[0].find("Cannot save " + work.destination), std::string::npos)
        << result->errors().listed()[0];
    EXPECT_EQ(read_workbook(folder_.file("run(1).xls"))[0].rows.size(), 16384u);  // the earlier part 1, whole
    EXPECT_EQ(read_workbook(folder_.file("run(2).xls"))[0].rows.size(), 6u);
    EXPECT_EQ(entry_names(folder_.path()), (std::vector<std::string>{"run(1).xls", "run(2).xls", "run.xls"}));
}

// Fault: the wizard let go of the destination's lock a moment before its run took it again,
// so another run could slip in between. A lock handed over is the run's own.
TEST_F(run_fixture, a_lock_handed_over_is_held_through_the_run_and_released_after_it) {
    const job work = make_job(workbook_format::excel_2010, {"A"}, "run.xlsx");
    scripted_table table = numbered_rows(2);
    table.at_end = [&] { EXPECT_THROW(tk_destination_lock other(work.destination), tk_exception); };
    scripted_source source({{"A", table}});
    conversion_run result(work, source, *handler_, &face_);
    result.take_over_lock(std::make_unique<tk_destination_lock>(work.destination));
    result();
    EXPECT_EQ(result.errors().total(), 0u);
    EXPECT_EQ(result.written_workbooks(), std::vector<std::string>{work.destination});
    EXPECT_NO_THROW(tk_destination_lock after(work.destination));
}

// Each statement has its own snapshot: the estimate taken before the rows are read is only
// an estimate, and reading goes on until the source has no more rows.
TEST_F(run_fixture, every_row_is_read_whatever_the_estimate_said) {
    scripted_table grew = numbered_rows(5), shrank = numbered_rows(2);
    grew.estimate = 3;
    shrank.estimate = 4;
    scripted_source source({{"GREW", grew}, {"SHRANK", shrank}});
    const auto result = run(make_job(workbook_format::excel_2010, {"GREW", "SHRANK"}, "run.xlsx"), source);
    EXPECT_EQ(result->errors().total(), 0u);
    const auto sheets = read_workbook(result->work().destination);
    EXPECT_EQ(find_sheet(sheets, "GREW").rows.size(), 6u);
    EXPECT_EQ(find_sheet(sheets, "SHRANK").rows.size(), 3u);
    EXPECT_EQ(face_.log_lines[0], "Table 'GREW' (5 records) is converted\n");
    // texts come as the .xlsx stores them, unconverted
    EXPECT_EQ(source.asked_forms, (std::vector<text_form>{text_form::utf8, text_form::utf8}));
}

// A real server's cursor gives no row after an error of its own: the item is not complete
// and the next one follows. A lost connection ends the run, keeping what was read.
TEST_F(run_fixture, a_server_error_ends_the_item_and_a_lost_connection_ends_the_run_keeping_what_was_read) {
    scripted_table failing = numbered_rows(5), lost = numbered_rows(5);
    failing.server_error_at = 1;
    lost.lost_at = 2;
    scripted_source source({{"A_FAILING", failing}, {"B_LOST", lost}, {"C_NEVER", numbered_rows(1)}});
    const auto result = run(make_job(workbook_format::excel_2010, {"A_FAILING", "B_LOST", "C_NEVER"}, "run.xlsx"),
                            source);
    EXPECT_EQ(result->errors().listed(),
              (std::vector<std::string>{
                  "A_FAILING, record #2: ORA-01476: divisor is equal to zero",
                  "A_FAILING: not complete: 1 of about 5 records written; the server ended the read: ORA-01476: "
                  "divisor is equal to zero",
                  "B_LOST, record #3: ORA-03113: end-of-file on communication channel",
                  "B_LOST: not complete: 2 of about 5 records written; the connection to the server was lost",
                  "The connection to the server was lost; the items finished before it are kept."}));
    EXPECT_EQ(face_.log_lines.at(0), "Table 'A_FAILING' is not complete: 1 of about 5 records written; the server "
                                     "ended the read: ORA-01476: divisor is equal to zero\n");
    EXPECT_TRUE(result->was_stopped());
    EXPECT_EQ(result->items_converted(), 0);
    const auto sheets = read_workbook(result->work().destination);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(find_sheet(sheets, "A_FAILING").rows.size(), 2u);
    EXPECT_EQ(find_sheet(sheets, "B_LOST").rows.size(), 3u);
}

TEST_F(run_fixture, texts_cut_to_the_cell_are_reported_once_per_column_with_the_limit_of_the_format) {
    scripted_table table;
    table.rows = {{1, std::string(256, 'a')}, {2, std::string(255, 'b')}, {3, std::string(300, 'c')}};
    scripted_source source({{"LONG_TEXT", table}});
    const auto result = run(make_job(workbook_format::excel_50, {"LONG_TEXT"}, "cut.xls"), source);
    EXPECT_EQ(result->errors().listed(),
              std::vector<std::string>{
                  "LONG_TEXT: Column 'T': 2 texts were cut to 255 characters, the most a cell of this format holds."});
    const auto sheet = read_workbook(result->work().destination).at(0);
    EXPECT_EQ(sheet.rows[1][1], "s:" + std::string(255, 'a'));
    EXPECT_EQ(sheet.rows[2][1], "s:" + std::string(255, 'b'));
    EXPECT_EQ(source.asked_forms, std::vector<text_form>{text_form::utf16});
}

TEST_F(run_fixture, repeated_column_names_get_numbered_headers_and_a_missing_table_is_an_item_error) {
    scripted_table join = numbered_rows(1);
    join.columns = {"ID", "id"};
    scripted_source source({{"JOINED", join}});
    job work = make_job(workbook_format::excel_2010, {"JOINED", "DROPPED"}, "run.xlsx");
    const auto result = run(work, source);
    const auto sheets = read_workbook(work.destination);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].rows[0], (std::vector<std::string>{"s:ID", "s:id00000"}));
    EXPECT_EQ(result->errors().listed(),
              std::vector<std::string>{"DROPPED: The table does not exist in the source database."});
}

TEST_F(run_fixture, an_internal_error_leaves_no_workbook_not_even_the_items_finished_before) {
    handler_->exit_hook = [](int) {};  // comes back, so the run must stop by itself
    scripted_table broken = numbered_rows(2);
    broken.internal_error = true;
    scripted_source source({{"A_GOOD", numbered_rows(2)}, {"B_BROKEN", broken}});
    const auto result = run(make_job(workbook_format::excel_2000, {"A_GOOD", "B_BROKEN"}, "out.xls"), source);
    EXPECT_TRUE(handler_->had_internal_error());
    EXPECT_TRUE(result->was_stopped());
    ASSERT_EQ(count_starting(face_.shown, "internal: "), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(folder_.path())) << "a workbook or temporary file was left";
}

TEST(part_workbooks, carry_their_counter_before_the_last_extension) {
#ifdef _WIN32
    EXPECT_EQ(workbook_set::part_path("C:\\data\\out\\my.report.xlsx", 12), "C:\\data\\out\\my.report(12).xlsx");
#else
    EXPECT_EQ(workbook_set::part_path("/data/out/my.report.xlsx", 12), "/data/out/my.report(12).xlsx");
#endif
}
