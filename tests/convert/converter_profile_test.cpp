// The converter's jobs saved to and loaded from profile files.
#include <filesystem>

#include <gtest/gtest.h>

#include "../support/temp_folder.h"
#include "convert/sprandel_convertor.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"

namespace {

class converter_profile : public ::testing::Test {
protected:
    void TearDown() override {
        tk_log::instance().enable(false);
        tk_log::instance().set_file_name("");
    }

    std::string profile_path() const { return folder_.file("job.spr"); }
    void write_profile(const std::string& text) const { write_file(profile_path(), text); }

    // A converter as a new process would have it: defaults, nothing from an earlier one.
    sprandel_convertor& fresh_converter() {
        holder_.reset();
        holder_ = std::make_unique<sprandel_convertor>(folder_.path() / ("settings" + std::to_string(++runs_)));
        return *holder_;
    }

    temp_folder folder_;
    int runs_ = 0;
    std::unique_ptr<sprandel_convertor> holder_ =
        std::make_unique<sprandel_convertor>(folder_.path() / "Sprandel.conf");
    sprandel_convertor& converter_ = *holder_;
};

}  // namespace

// The key names are pinned where profiles are read (the cases below and the end-to-end jobs
// write them by hand); the round trip proves that the writer uses the same names.
TEST_F(converter_profile, oracle_settings_are_written_only_when_set) {
    converter_.user.clear();
    converter_.port.clear();
    ASSERT_TRUE(converter_.save_profile_file(profile_path()));
    EXPECT_EQ(read_file(profile_path()).find("[Oracle settings]"), std::string::npos);
    converter_.store_oracle_settings("db.example", "", "tiger", "");
    ASSERT_TRUE(converter_.save_profile_file(profile_path()));
    EXPECT_NE(read_file(profile_path()).find("[Oracle settings]\r\nhost=db.example\r\npassword=tiger\r\n\r\n"),
              std::string::npos);
}

TEST_F(converter_profile, a_saved_job_loads_into_a_new_converter_unchanged) {
    const std::string late = "select *\n\n  from emp  \n where hiredate > sysdate - 30\n";
    const std::string big = "select ename,\r\n       sal\r\n  from emp";
    converter_.available_queries = {{"LATE", late}};
    converter_.selected = {{"BIG", big}};
    converter_.tables = {"EMP", "DEPT"};
    converter_.src = "XE";
    converter_.dest = "/data/Книга.xlsx";
    converter_.format_version = 2;
    converter_.wrap_text = false;
    converter_.dates_to_strings = true;
    converter_.skip_indexes = true;
    converter_.split_data = true;
    converter_.only_definitions = true;
    converter_.mode = 2;
    converter_.store_oracle_settings("db.example", "scott", "ti=ger", "1522");
    ASSERT_TRUE(converter_.save_profile_file(profile_path()));

    sprandel_convertor& loaded = fresh_converter();
    ASSERT_TRUE(loaded.load_profile_file(profile_path()));
    const std::map<std::string, std::string> selected{{"BIG", big}, {"DEPT", ""}, {"EMP", ""}};
    const std::map<std::string, std::string> available{{"LATE", late}};
    EXPECT_EQ(loaded.selected, selected);
    EXPECT_EQ(loaded.available_queries, available);
    EXPECT_EQ(loaded.tables, (std::vector<std::string>{"DEPT", "EMP"}));  // the file keeps names in order
    EXPECT_EQ(loaded.src, "XE");
    EXPECT_EQ(loaded.dest, "/data/Книга.xlsx");
    EXPECT_EQ(loaded.format_version, 2);
    EXPECT_FALSE(loaded.wrap_text);
    EXPECT_TRUE(loaded.split_data);
    EXPECT_TRUE(loaded.dates_to_strings);
    EXPECT_TRUE(loaded.skip_indexes);
    EXPECT_TRUE(loaded.only_definitions);
    EXPECT_EQ(loaded.mode, 2);
    EXPECT_EQ(loaded.host, "db.example");
    EXPECT_EQ(loaded.user, "scott");
    EXPECT_EQ(loaded.password, "ti=ger");
    EXPECT_EQ(loaded.port, "1522");
}

TEST_F(converter_profile, workbook_switches_need_exactly_1_and_generic_ones_anything_but_0) {
    write_profile(
        "[MS Excel settings]\nsplit data=yes\nwrap text=1\nconvert dates to strings=true\nformat version=3\n"
        "[Generic settings]\nonly definitions=yes\nskip indexes=0\nmode=7\n");
    converter_.split_data = true;
    converter_.dates_to_strings = true;
    converter_.skip_indexes = true;
    ASSERT_TRUE(converter_.load_profile_file(profile_path()));
    EXPECT_FALSE(converter_.split_data);
    EXPECT_TRUE(converter_.wrap_text);
    EXPECT_FALSE(converter_.dates_to_strings);
    EXPECT_EQ(converter_.format_version, 0);  // an unknown format is MS Excel 5.0
    EXPECT_TRUE(converter_.only_definitions);
    EXPECT_FALSE(converter_.skip_indexes);
    EXPECT_EQ(converter_.mode, 7);
    // a number with a tail is no format either
    write_profile("[MS Excel settings]\nformat version=2x\n");
    ASSERT_TRUE(converter_.load_profile_file(profile_path()));
    EXPECT_EQ(converter_.format_version, 0);
}

TEST_F(converter_profile, a_mode_that_is_not_a_digit_is_saved_as_it_was_read) {
    write_profile("[Generic settings]\nmode=x\n");
    ASSERT_TRUE(converter_.load_profile_file(profile_path()));
    ASSERT_TRUE(converter_.save_profile_file(profile_path()));
    EXPECT_NE(read_file(profile_path()).find("\r\nmode=x\r\n"), std::string::npos);
}

TEST_F(converter_profile, empty_values_leave_fields_as_they_were) {
    write_profile(
        "[MS Excel settings]\nformat version=\nwrap text=\n"
        "[Generic settings]\nsrc=\ndest=\nlogfile=\nmode=12\nonly definitions=\n"
        "[Oracle settings]\nhost=\nport=\nuser=\npassword=\n");
    converter_.format_version = 2;
    converter_.src = "ORCL";
    converter_.dest = "/tmp/a.xls";
    converter_.store_oracle_settings("h", "u", "p", "1521");
    ASSERT_TRUE(converter_.load_profile_file(profile_path()));
    EXPECT_EQ(converter_.format_version, 2);
    EXPECT_TRUE(converter_.wrap_text);
    EXPECT_EQ(converter_.src, "ORCL");
    EXPECT_EQ(converter_.dest, "/tmp/a.xls");
    EXPECT_EQ(converter_.mode, 0);  // not one character
    EXPECT_FALSE(converter_.only_definitions);
    EXPECT_EQ(converter_.host, "h");
    EXPECT_EQ(converter_.user, "u");
    EXPECT_EQ(converter_.password, "p");
    EXPECT_EQ(converter_.port, "1521");
    EXPECT_FALSE(tk_log::is_enabled());
}

// The refusal's text: log_file_checks.bad_names_are_refused_and_logging_stays_off.
TEST_F(converter_profile, a_bad_log_file_stops_the_load_before_anything_changes) {
    write_profile("[Selected Tables]\nEMP\n[Generic settings]\nsrc=XE\nlogfile=" + folder_.file("none/run.log") + "\n");
    EXPECT_THROW(converter_.load_profile_file(profile_path()), tk_exception);
    EXPECT_TRUE(converter_.tables.empty());
    EXPECT_EQ(converter_.src, "");
}

// The refusal's text: bad_input_profile_test's missing profile.
TEST_F(converter_profile, a_quoted_command_line_names_no_profile) {
    write_profile("[Generic settings]\nsrc=XE\n");
    EXPECT_THROW(converter_.load_profile_file("\"" + profile_path() + "\""), tk_exception);
    EXPECT_EQ(converter_.src, "");
}
