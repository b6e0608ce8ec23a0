// The converter's Oracle side: connecting by database name, listing tables, testing queries,
// and whole runs in process with scripted answers, through the emulator.
#include <gtest/gtest.h>

#include "../support/scripted_user_interface.h"
#include "../support/workbook_reader.h"
#include "convert/error_tables.h"
#include "convert/sprandel_convertor.h"
#include "emulator_support.h"
#include "oracle/ora_exception.h"

namespace {

class convertor_oracle : public ::testing::Test {
protected:
    convertor_oracle() {
        converter_.oracle_library_candidates = {OCIEMU_LIBRARY};
        converter_.store_oracle_settings("", "SCOTT", "tiger", "1521");
    }

    temp_folder settings_folder_;
    emulator_database first_{"CONVONE", {"CREATE TABLE EMP (ID NUMBER(4))", "CREATE TABLE DEPT (ID NUMBER(4))"}};
    emulator_database second_{"CONVTWO", {"CREATE TABLE SALES (ID NUMBER(4))"}};
    sprandel_convertor converter_{settings_folder_.path() / "Sprandel.conf"};
};

}  // namespace

TEST_F(convertor_oracle, connecting_keeps_the_database_and_the_server_name) {
    converter_.connect_oracle_server("CONVONE");
    ASSERT_NE(converter_.database, nullptr);
    EXPECT_EQ(converter_.server, "CONVONE");
    EXPECT_EQ(converter_.database->name(), "//localhost:1521/CONVONE");
    EXPECT_EQ(sorted(converter_.get_all_tables()), (std::vector<std::string>{"DEPT", "EMP"}));
}

TEST_F(convertor_oracle, a_failed_connection_propagates_and_leaves_no_database) {
    converter_.connect_oracle_server("CONVONE");
    converter_.password = "wrong";
    try {
        converter_.connect_oracle_server("CONVTWO");
        FAIL() << "a wrong password connected";
    } catch (const ora_exception& error) {
        EXPECT_EQ(error.code(), 0x100000 | 1017);
    }
    EXPECT_EQ(converter_.database, nullptr);
    EXPECT_EQ(converter_.server, "CONVONE");  // the last successful connection
    EXPECT_THROW(converter_.get_all_tables(), tk_mail_assertion);
}

TEST_F(convertor_oracle, a_query_test_connects_with_the_stored_server_when_needed) {
    converter_.server = "CONVTWO";  // as loaded from a profile, before any connection
    EXPECT_TRUE(converter_.test_query("SELECT ID FROM SALES"));
    ASSERT_NE(converter_.database, nullptr);
    EXPECT_EQ(converter_.database->name(), "CONVTWO");
}

namespace {

// Text that is not UTF-8 (a lone surrogate) after a good row, in two tables.
const std::vector<std::string> bad_rows_tables{
    "CREATE TABLE NOT_TEXT (ID NUMBER(4), T VARCHAR2(10))",
    "INSERT INTO NOT_TEXT VALUES (1, 'first'), (2, CAST(X'41EDA0805A' AS TEXT))",
    "CREATE TABLE NOT_TEXT_EITHER (ID NUMBER(4), T VARCHAR2(10))",
    "INSERT INTO NOT_TEXT_EITHER VALUES (1, CAST(X'EDA080' AS TEXT))",
};

std::size_t count_starting(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(prefix); });
}

}  // namespace

// The run in process, as the console or the wizard drives it, with scripted answers.
class conversion_run_in_process : public convertor_oracle {
protected:
    void run(std::deque<continue_choice> answers) {
        ui_.continue_answers = std::move(answers);
        converter_.connect_oracle_server("CONVRUN");
        converter_.get_all_tables();
        converter_.tables = {"NOT_TEXT", "NOT_TEXT_EITHER"};
        converter_.dest = settings_folder_.file("run.xlsx");
        converter_.format_version = 2;
        converter_.check_dest();
        converter_();
    }
    emulator_database data_{"CONVRUN", bad_rows_tables};
    scripted_user_interface ui_;
    std::unique_ptr<error_handler> handler_ = create_error_handler();
};

TEST_F(conversion_run_in_process, do_not_show_again_answers_the_later_row_errors_and_the_run_goes_on) {
    run({{true, true}});
    EXPECT_FALSE(converter_.stopped.load());
    ASSERT_EQ(count_starting(ui_.shown, "continue: "), 1u) << "the second table's bad row asks nothing";
    EXPECT_EQ(ui_.shown[0], "continue: Sprandel 4.1 Error | NOT_TEXT, record #2: Cannot convert to UNICODE string: "
                            "the value of column 'T' is not valid text.");
    EXPECT_EQ(dump_workbook_text(converter_.dest),
              "sheet\tNOT_TEXT\t2\t2\nR\ts:ID\ts:T\nR\tn:1\ts:first\nsheet\tNOT_TEXT_EITHER\t1\t2\nR\ts:ID\ts:T\n");
    // Rows answered without a question are still listed, each under its own table and record.
    const auto& listed = converter_.errors.listed();
    EXPECT_EQ(converter_.errors.total(), 2u);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_TRUE(listed[0].starts_with("NOT_TEXT, record #2: Cannot convert")) << listed[0];
    EXPECT_TRUE(listed[1].starts_with("NOT_TEXT_EITHER, record #1: Cannot convert")) << listed[1];
    EXPECT_EQ(converter_.errors.summary(), "2 errors during the run:");
}

TEST_F(conversion_run_in_process, continue_asks_again_and_abort_stops_the_run_leaving_no_package) {
    run({{true, false}, {false, false}});
    EXPECT_TRUE(converter_.stopped.load());
    EXPECT_EQ(count_starting(ui_.shown, "continue: "), 2u);
    EXPECT_FALSE(std::filesystem::exists(converter_.dest)) << "an .xlsx package is written whole or not at all";
}

TEST_F(conversion_run_in_process, a_table_too_wide_for_an_xls_sheet_asks_once_before_it_is_cut) {
    std::string columns = "C1 NUMBER(6)", values = "1";
    for (int i = 2; i <= 300; ++i) {
        columns.append(", C").append(std::to_string(i)).append(" NUMBER(6)");
        values.append(", ").append(std::to_string(i));
    }
    emulator_database wide("CONVWIDE", {"CREATE TABLE WIDE (" + columns + ")", "INSERT INTO WIDE VALUES (" + values + ")"});
    converter_.connect_oracle_server("CONVWIDE");
    converter_.get_all_tables();
    converter_.tables = {"WIDE"};
    converter_.dest = settings_folder_.file("wide.xls");
    converter_.format_version = 1;
    converter_.check_dest();
    converter_();
    EXPECT_EQ(count_starting(ui_.shown, "continue: "), 1u);
    ASSERT_FALSE(ui_.shown.empty());
    EXPECT_NE(ui_.shown[0].find("Table will be truncated up to 256 columns."), std::string::npos) << ui_.shown[0];
    // the 255 columns that arrive are read back by run_formats_test's full job
}

// A user who presses Stop while the first row-error dialog is open.
class stopping_user_interface : public scripted_user_interface {
public:
    explicit stopping_user_interface(sprandel_convertor& converter) : converter_(converter) {}
    continue_choice continue_or_abort(const std::string& title, const std::string& text) override {
        converter_.request_stop();
        return scripted_user_interface::continue_or_abort(title, text);
    }

private:
    sprandel_convertor& converter_;
};

TEST_F(convertor_oracle, stop_mid_item_ends_the_run_at_the_next_row_without_a_package) {
    emulator_database data("CONVRUN", bad_rows_tables);
    stopping_user_interface ui(converter_);
    const auto handler = create_error_handler();
    converter_.connect_oracle_server("CONVRUN");
    converter_.get_all_tables();
    converter_.tables = {"NOT_TEXT", "NOT_TEXT_EITHER"};
    converter_.dest = settings_folder_.file("run.xlsx");
    converter_.format_version = 2;
    converter_.check_dest();
    converter_();
    EXPECT_TRUE(converter_.stopped.load());
    EXPECT_EQ(count_starting(ui.shown, "continue: "), 1u) << "the second table is never reached";
    EXPECT_FALSE(std::filesystem::exists(converter_.dest));
}
