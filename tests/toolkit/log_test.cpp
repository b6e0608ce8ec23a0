// The trace log: first-message truncation, minimum level, long messages.
// (Wide messages have no caller in the program and are not tested.)
#include "toolkit/log.h"

#include <gtest/gtest.h>

#include <string>

#include "../support/temp_folder.h"

namespace {

class log_file : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = folder_.file("trace.log");
        tk_log& log = tk_log::instance();
        log.set_file_name(path_);
        log.set_minimum_level(1);
        log.set_time_prefix(true);
        log.set_line_end(true);
        log.reset_truncation();
        log.enable(true);
    }
    void TearDown() override {
        tk_log::instance().enable(false);
        tk_log::instance().set_file_name("");
    }

    temp_folder folder_;
    std::string path_;
};

int formatted_arguments = 0;
int counted_argument() {
    ++formatted_arguments;
    return 1;
}

}  // namespace

TEST_F(log_file, first_message_empties_an_old_file_even_below_the_minimum_and_later_ones_append) {
    write_file(path_, "left over from the last run\r\n");
    tk_log::instance().set_time_prefix(false);
    tk_log::instance().set_minimum_level(2);
    TK_LOG(1, "details nobody asked for");
    EXPECT_EQ(read_file(path_), "");
    TK_LOG(2, "one");
    TK_LOG(3, "two");
    EXPECT_EQ(read_file(path_), "one\r\ntwo\r\n");
}

TEST_F(log_file, disabled_log_formats_no_argument_and_touches_no_file) {
    write_file(path_, "old");
    tk_log::instance().enable(false);
    formatted_arguments = 0;
    TK_LOG(3, "%d", counted_argument());
    EXPECT_EQ(formatted_arguments, 0);
    EXPECT_EQ(read_file(path_), "old");
}

TEST_F(log_file, a_long_message_is_written_whole) {
    tk_log::instance().set_time_prefix(false);
    const std::string text(20000, 'x');
    TK_LOG(3, "%s", text.c_str());
    EXPECT_EQ(read_file(path_), text + "\r\n");
}
