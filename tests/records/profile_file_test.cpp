// Profile files: the written form, reading rules, multi-line values, long
// lines, bad input and safe writing.
#include "records/profile_file.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <csignal>

#include <filesystem>

#include <gtest/gtest.h>

#include "../support/temp_folder.h"
#include "toolkit/exception.h"

namespace {

profile_file read(std::string_view text) {
    profile_file profile;
    EXPECT_TRUE(profile.read_text(text));
    return profile;
}

}  // namespace

TEST(profile_writing, sections_and_keys_in_byte_order_with_bare_names_only_in_selected_tables) {
    EXPECT_EQ(profile_file().to_text(),
              "[Available Queries]\r\n\r\n[Generic settings]\r\n\r\n[Selected Tables]\r\n\r\n");
    profile_file profile;
    profile.set_value("Selected Tables", "emp", "");
    profile.set_value("Selected Tables", "EMP", "");
    profile.set_value("Selected Tables", "Q", "select 1 from dual");
    profile.set_value("Oracle settings", "host", "");
    profile.set_value("Oracle settings", "host", "ignored: the first value stays");
    const std::string text = profile.to_text();
    EXPECT_NE(text.find("[Generic settings]\r\n\r\n[Oracle settings]\r\nhost=\r\n\r\n[Selected Tables]\r\n"),
              std::string::npos) << text;
    EXPECT_NE(text.find("\r\nEMP\r\nQ=select 1 from dual\r\nemp\r\n"), std::string::npos) << text;
}

TEST(profile_writing, names_that_would_read_back_differently_are_refused) {
    for (const char* key : {"A=B", "two\nlines", " EMP", "EMP ", "[EMP]", ""}) {
        profile_file profile;
        profile.set_value("Selected Tables", key, "");
        EXPECT_THROW(profile.to_text(), tk_exception) << key;
    }
    profile_file header_like;
    header_like.set_value("Available Queries", "[Q", "select 1 from dual]");
    EXPECT_THROW(header_like.to_text(), tk_exception);
    profile_file profile;
    profile.set_value("Available Queries", "Q", "select '\xC3' from dual");
    try {
        profile.to_text();
        ADD_FAILURE() << "invalid UTF-8 was written";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(), "Cannot convert to UTF8 string: invalid text in the profile entry Q");
    }
}

TEST(profile_reading, documented_rules_for_sections_keys_and_blanks) {
    const profile_file profile = read(
        "[Generic settings]\r\n"
        "dest= C:\\a.xls\r\n"
        "  port = 1522  \r\n"
        "tab=\tx\t\r\n"
        "dest=second value is ignored\r\n"
        "a=b=c\r\n"
        "\r\n"
        "[ Spaced ]\r\n"
        "k=v\r\n"
        "[Generic settings]\n"
        "late=1\n");
    EXPECT_EQ(profile.get_value("Generic settings", "dest"), " C:\\a.xls");
    // a value keeps its blanks at both ends: a password may have them
    EXPECT_EQ(profile.get_value("Generic settings", "port"), " 1522  ");
    EXPECT_EQ(profile.get_value("Generic settings", "tab"), "\tx\t");
    EXPECT_EQ(profile.get_value("Generic settings", "a"), "b=c");
    EXPECT_EQ(profile.get_value("Generic settings", "late"), "1");
    ASSERT_EQ(profile.repeated_keys().size(), 1u);  // a job can refuse what it cannot hold twice
    EXPECT_EQ(profile.repeated_keys()[0].key, "dest");
    EXPECT_EQ(profile.repeated_keys()[0].value, "second value is ignored");
    EXPECT_EQ(profile.get_value(" Spaced ", "k"), "v");
    EXPECT_EQ(profile.get_value("Spaced", "k"), "");
    EXPECT_EQ(profile.get_value("No such section", "k"), "");
    EXPECT_TRUE(profile.get_section("No such section").empty());
}

TEST(profile_reading, bare_names_are_kept_apart_from_keys_in_file_order) {
    const profile_file profile = read("[Selected Tables]\nEMP\nQ1=select 1 from dual\nDEPT=\n  SALGRADE  \nEMP\n");
    const profile_file::key_map expected{{"DEPT", ""}, {"Q1", "select 1 from dual"}};
    EXPECT_EQ(profile.get_section("Selected Tables"), expected);
    EXPECT_EQ(profile.names("Selected Tables"), (std::vector<std::string>{"EMP", "SALGRADE", "EMP"}));
    EXPECT_TRUE(profile.repeated_keys().empty());
}

TEST(profile_reading, a_key_or_list_line_before_any_section_stops_the_read) {
    profile_file with_key;
    EXPECT_FALSE(with_key.read_text("src=ORCL\n[Generic settings]\ndest=x\n"));
    EXPECT_EQ(with_key.get_value("Generic settings", "dest"), "");
    profile_file with_list;
    EXPECT_FALSE(with_list.read_text("\n  \nEMP\n[Selected Tables]\n"));
    profile_file with_blanks_only;
    EXPECT_TRUE(with_blanks_only.read_text("\r\n   \r\n[Generic settings]\r\nsrc=ORCL"));
    EXPECT_EQ(with_blanks_only.get_value("Generic settings", "src"), "ORCL");
}

// Invalid UTF-8 named by its line is proved end to end (bad_input_profile_test).
TEST(profile_reading, byte_order_mark_is_skipped) {
    const profile_file profile = read("\xEF\xBB\xBF[Generic settings]\r\nsrc=ORCL\r\n");
    EXPECT_EQ(profile.get_value("Generic settings", "src"), "ORCL");
}

TEST(profile_reading, a_line_far_longer_than_4095_bytes_is_read_whole) {
    const std::string query = "select '" + std::string(100'000, 'x') + "' from dual";
    const profile_file profile = read("[Available Queries]\r\nBIG=" + query + "\r\nNEXT=select 2 from dual\r\n");
    EXPECT_EQ(profile.get_value("Available Queries", "BIG"), query);
    EXPECT_EQ(profile.get_value("Available Queries", "NEXT"), "select 2 from dual");
}

// Queries of many lines, blank and CR LF lines among them, round trip in
// job_profile.a_saved_job_loads_back_unchanged.
TEST(profile_multiline_values, further_lines_are_marked_so_that_a_leading_break_survives) {
    profile_file written;
    written.set_value("Available Queries", "R", "\nstarts with a line break");
    const std::string text = written.to_text();
    // each further line is marked by "=", so that files of the older form still read
    EXPECT_NE(text.find("R=\r\n=starts with a line break\r\n"), std::string::npos) << text;
    const profile_file profile = read(text);
    EXPECT_EQ(profile.get_value("Available Queries", "R"), "\nstarts with a line break");
    EXPECT_EQ(profile.to_text(), text);
}

TEST(profile_multiline_values, continuation_of_a_repeated_key_is_dropped_with_it) {
    const profile_file profile = read("[Available Queries]\nQ=first\n=line\nQ=second\n=other\nR=x\n");
    EXPECT_EQ(profile.get_value("Available Queries", "Q"), "first\nline");
    EXPECT_EQ(profile.get_value("Available Queries", "R"), "x");
}

TEST(profile_multiline_values, line_breaks_in_documented_files_still_read_as_further_lines) {
    // Written as the text stood: only the first line is the value, the rest become lines.
    const profile_file profile = read("[Available Queries]\r\nQ1=select *\r\nfrom dual\r\n");
    EXPECT_EQ(profile.get_value("Available Queries", "Q1"), "select *");
    EXPECT_EQ(profile.get_value("Available Queries", "from dual"), "");
    // A mark line that does not follow a key line keeps its documented meaning: an empty key.
    const profile_file unattached = read("[Selected Tables]\nEMP\n=x\n");
    EXPECT_EQ(unattached.get_value("Selected Tables", ""), "x");
}

namespace {

class profile_files : public ::testing::Test {
protected:
    temp_folder folder_;
};

}  // namespace

TEST_F(profile_files, stored_file_is_private_and_replaces_an_old_one_whole) {
    profile_file written;
    written.set_value("Oracle settings", "password", "tiger");
    const std::string path = folder_.file("job.spr");
    ASSERT_TRUE(written.store(path));
    EXPECT_EQ(read_file(path), written.to_text());
#ifndef _WIN32  // Windows gives a new file the folder's access list
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif
    // read back by load(): job_profile.a_saved_job_loads_back_unchanged
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()), {}), 1);
    write_file(path, std::string(10'000, '#'));
    ASSERT_TRUE(profile_file().store(path));
    EXPECT_EQ(read_file(path), profile_file().to_text());
#ifndef _WIN32
    ::chmod(path.c_str(), 0644);
    ASSERT_TRUE(profile_file().store(path));
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif
}

TEST_F(profile_files, unwritable_places_give_false_and_no_file) {
    EXPECT_FALSE(profile_file().store(folder_.file("missing/job.spr")));
    EXPECT_FALSE(profile_file().store(""));
    EXPECT_FALSE(profile_file().store(folder_.path().string()));  // a folder cannot be replaced by a file
    EXPECT_TRUE(std::filesystem::is_directory(folder_.path()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()), {}), 0);
}

TEST_F(profile_files, a_write_that_runs_out_of_room_keeps_the_old_file) {
#ifdef _WIN32
    GTEST_SKIP() << "needs RLIMIT_FSIZE to make a write fail";
#else
    const std::string path = folder_.file("job.spr");
    write_file(path, "old job");
    // A file-size limit makes the write fail as a full disk would.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool stored = profile_file().store(path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(stored);
    EXPECT_EQ(read_file(path), "old job");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()), {}), 1);
#endif
}
