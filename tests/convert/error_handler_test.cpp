// The error handler's decisions under scripted answers, with friendly texts found by code.
#include "convert/error_handler.h"

#include <optional>

#include <gtest/gtest.h>

#include "../support/scripted_user_interface.h"
#include "convert/error_tables.h"
#include "convert/run_errors.h"

namespace {

constexpr int ora_locked_account = 0x100000 + 28000;
constexpr int ora_invalid_login = 0x100000 + 1017;

tk_exception coded(int code, int level, const char* own_text = "engine's own text") {
    tk_exception error(own_text, level);
    error.set_code(code);
    return error;
}

class error_handling : public ::testing::Test {
protected:
    error_handling() {
        handler_->exit_hook = [this](int code) { exit_code_ = code; };
        handler_->collect_into(&errors_);
    }

    std::vector<std::string> continue_dialogs() const {
        std::vector<std::string> shown;
        for (const auto& line : ui_.shown)
            if (line.starts_with("continue: ")) shown.push_back(line);
        return shown;
    }

    scripted_user_interface ui_;
    std::unique_ptr<error_handler> handler_ = create_error_handler(&ui_);
    std::optional<int> exit_code_;
    run_error_list errors_;
};

}  // namespace

TEST_F(error_handling, row_error_shows_context_and_friendly_text_on_one_line) {
    handler_->set_context("EMP", 7);
    EXPECT_NO_THROW(handler_->handle(coded(ora_locked_account, 0), false));
    EXPECT_EQ(continue_dialogs(),
              std::vector<std::string>{"continue: Sprandel 4.1 Error | EMP, record #7: Wrong password was entered the "
                                       "maximum number of times or the DBA has locked the account."});
    EXPECT_EQ(errors_.listed().at(0), "EMP, record #7: Wrong password was entered the maximum number of times or the "
                                      "DBA has locked the account.");
    EXPECT_FALSE(handler_->is_suppressed());
}

TEST_F(error_handling, unknown_code_shows_the_exceptions_own_text_and_context_stays) {
    handler_->set_context("DEPT");
    handler_->handle(coded(0x100000 + 904, 0, "ORA-00904: \"X\": invalid identifier\nmore"), false);
    handler_->handle(coded(0, 0, "second"), false);
    EXPECT_EQ(handler_->context(), "DEPT");
    EXPECT_EQ(continue_dialogs(), (std::vector<std::string>{
                                      "continue: Sprandel 4.1 Error | DEPT: ORA-00904: \"X\": invalid identifier more",
                                      "continue: Sprandel 4.1 Error | DEPT: second"}));
}

TEST_F(error_handling, abort_stops_the_operation_unless_the_caller_is_outermost) {
    ui_.continue_answers = {{false, false}, {false, true}};
    EXPECT_THROW(handler_->handle(coded(1, 0), false), tk_final_exception);
    EXPECT_NO_THROW(handler_->handle(coded(1, 0), true));
    EXPECT_EQ(continue_dialogs().size(), 2u);
    EXPECT_TRUE(handler_->is_suppressed());  // the outermost Abort still takes the check box
}

TEST_F(error_handling, continue_with_the_check_box_silences_the_rest_of_the_process) {
    ui_.continue_answers = {{true, true}};
    handler_->set_context("EMP", 1);
    handler_->handle(coded(0, 0, "row one"), false);
    handler_->set_context("EMP", 2);
    EXPECT_NO_THROW(handler_->handle(coded(0, 0, "row two"), false));
    handler_->set_context("DEPT", 1);
    EXPECT_NO_THROW(handler_->handle(coded(0, 0, "later item"), false));
    EXPECT_THROW(handler_->handle(coded(0, 1, "serious"), false), tk_final_exception);
    EXPECT_EQ(ui_.shown, std::vector<std::string>{"continue: Sprandel 4.1 Error | EMP, record #1: row one"});
    EXPECT_EQ(errors_.listed(),
              (std::vector<std::string>{"EMP, record #1: row one", "EMP, record #2: row two",
                                        "DEPT, record #1: later item", "DEPT, record #1: serious"}));
}

TEST_F(error_handling, every_row_error_is_asked_about_and_counted_past_the_lists_limit) {
    for (int row = 1; row <= 21; ++row) {
        handler_->set_context("EMP", row);
        handler_->handle(coded(0, 0, "bad"), false);
    }
    EXPECT_EQ(continue_dialogs().size(), 21u);
    EXPECT_EQ(errors_.total(), 21u);
    ASSERT_EQ(errors_.listed().size(), 20u);
    EXPECT_EQ(errors_.listed().back(), "EMP, record #20: bad");
    EXPECT_EQ(errors_.summary(), "21 errors during the run; the first 20 are listed:");
    run_error_list exactly_20;  // the limit itself is not yet "the first 20"
    for (const std::string& text : errors_.listed()) exactly_20.add(text);
    EXPECT_EQ(exactly_20.summary(), "20 errors during the run:");
}

TEST_F(error_handling, serious_error_is_a_box_and_stops_unless_outermost) {
    handler_->set_context("EMP");
    EXPECT_THROW(handler_->handle(coded(0, 1, "cannot open"), false), tk_final_exception);
    EXPECT_NO_THROW(handler_->handle(coded(0, 1, "cannot open"), true));
    EXPECT_EQ(ui_.shown, (std::vector<std::string>{"error: EMP: cannot open", "error: EMP: cannot open"}));
}

TEST_F(error_handling, internal_error_shows_its_dialog_then_exits_with_minus_one) {
    handler_->set_context("EMP", 3);
    try {
        TK_FAIL();
    } catch (const tk_exception& error) {
        EXPECT_THROW(handler_->handle(error, false), tk_final_exception);
        ASSERT_EQ(ui_.shown.size(), 1u);
        EXPECT_EQ(ui_.shown[0], "internal: Sprandel 4.1 Error | " + error.message());
        EXPECT_TRUE(ui_.shown[0].find("Internal error: \ncode=") != std::string::npos);
    }
    EXPECT_EQ(exit_code_, -1);
    EXPECT_TRUE(errors_.listed().empty());  // no context, no list entry: the process is ending
}

TEST(error_handling_without_a_face, errors_are_only_logged_and_the_run_goes_on) {
    auto handler = create_error_handler(nullptr);
    std::optional<int> exit_code;
    handler->exit_hook = [&](int code) { exit_code = code; };
    EXPECT_NO_THROW(handler->handle(coded(0, 0, "row"), false));
    EXPECT_THROW(handler->handle(coded(0, 1, "item"), false), tk_final_exception);
    EXPECT_NO_THROW(handler->handle(tk_assertion_failure("x", 1), true));
    EXPECT_EQ(exit_code, -1);
}

TEST(error_handling_exit, default_hook_ends_the_process_with_minus_one) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            scripted_user_interface ui;
            auto handler = create_error_handler(&ui);
            handler->handle(tk_assertion_failure("x", 1), true);
            std::exit(0);  // not reached when the handler ends the process
        },
#ifdef _WIN32
        ::testing::ExitedWithCode(-1), "");  // Windows keeps the whole exit code
#else
        ::testing::ExitedWithCode(255), "");
#endif
}
