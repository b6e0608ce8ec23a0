// Jobs saved to and loaded from profile files.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include <gtest/gtest.h>

#include "../support/temp_folder.h"
#include "convert/job.h"
#include "convert/job_profile.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"

namespace {

class job_profile : public ::testing::Test {
protected:
    void TearDown() override {
        tk_log::instance().enable(false);
        tk_log::instance().set_file_name("");
    }

    std::string profile_path() const { return folder_.file("job.spr"); }
    void write_profile(const std::string& text) const { write_file(profile_path(), text); }

    temp_folder folder_;
    job work_;
};

}  // namespace

// The key names are pinned where profiles are read (the cases below and the end-to-end jobs
// write them by hand); the round trip proves that the writer uses the same names.
TEST_F(job_profile, oracle_settings_are_written_only_when_set) {
    ASSERT_TRUE(save_job_file(work_, profile_path()));
    EXPECT_EQ(read_file(profile_path()).find("[Oracle settings]"), std::string::npos);
    work_.connection.host = "db.example";
    work_.connection.password = "tiger";
    ASSERT_TRUE(save_job_file(work_, profile_path()));
    EXPECT_NE(read_file(profile_path()).find("[Oracle settings]\r\nhost=db.example\r\npassword=tiger\r\n\r\n"),
              std::string::npos);
}

TEST_F(job_profile, a_saved_job_loads_back_unchanged) {
    const std::string late = "select *\n\n  from emp  \n where hiredate > sysdate - 30\n";
    const std::string big = "select ename,\r\n       sal\r\n  from emp";
    work_.available_queries = {{"LATE", late}};
    work_.selected = {{"BIG", big}};
    work_.tables = {"EMP", "DEPT"};
    work_.destination = "/data/Книга.xlsx";
    work_.format = workbook_format::excel_2010;
    work_.wrap_text = false;
    work_.dates_to_strings = true;
    work_.skip_indexes = true;
    work_.split_data = true;
    work_.only_definitions = true;
    work_.mode = 2;
    work_.connection = {"db.example", "1522", "XE", "scott", "ti=ger"};
    ASSERT_TRUE(save_job_file(work_, profile_path()));

    job loaded;
    ASSERT_TRUE(load_job_file(profile_path(), loaded));
    const std::map<std::string, std::string> selected{{"BIG", big}};  // tables stay in the table list
    const std::map<std::string, std::string> available{{"LATE", late}};
    EXPECT_EQ(loaded.selected, selected);
    EXPECT_EQ(loaded.available_queries, available);
    EXPECT_EQ(loaded.tables, (std::vector<std::string>{"DEPT", "EMP"}));  // the file keeps names in order
    EXPECT_EQ(loaded.destination, "/data/Книга.xlsx");
    EXPECT_EQ(loaded.format, workbook_format::excel_2010);
    EXPECT_EQ(std::tie(loaded.wrap_text, loaded.split_data, loaded.dates_to_strings, loaded.skip_indexes,
                       loaded.only_definitions, loaded.mode),
              std::make_tuple(false, true, true, true, true, 2));
    const connection_settings& c = loaded.connection;
    EXPECT_EQ(std::tie(c.host, c.port, c.service, c.user, c.password),
              std::make_tuple("db.example", "1522", "XE", "scott", "ti=ger"));
}

TEST_F(job_profile, workbook_switches_need_exactly_1_and_generic_ones_anything_but_0) {
    write_profile(
        "[MS Excel settings]\nsplit data=yes\nwrap text=1\nconvert dates to strings=true\nformat version=3\n"
        "[Generic settings]\nonly definitions=yes\nskip indexes=0\nmode=7\n");
    work_.split_data = true;
    work_.dates_to_strings = true;
    work_.skip_indexes = true;
    ASSERT_TRUE(load_job_file(profile_path(), work_));
    EXPECT_FALSE(work_.split_data);
    EXPECT_TRUE(work_.wrap_text);
    EXPECT_FALSE(work_.dates_to_strings);
    EXPECT_EQ(work_.format, workbook_format::excel_50);  // an unknown format is MS Excel 5.0
    EXPECT_TRUE(work_.only_definitions);
    EXPECT_FALSE(work_.skip_indexes);
    EXPECT_EQ(work_.mode, 7);
    // a number with a tail is no format either
    write_profile("[MS Excel settings]\nformat version=2x\n");
    ASSERT_TRUE(load_job_file(profile_path(), work_));
    EXPECT_EQ(work_.format, workbook_format::excel_50);
}

TEST_F(job_profile, a_mode_that_is_not_a_digit_is_saved_as_it_was_read) {
    write_profile("[Generic settings]\nmode=x\n");
    ASSERT_TRUE(load_job_file(profile_path(), work_));
    ASSERT_TRUE(save_job_file(work_, profile_path()));
    EXPECT_NE(read_file(profile_path()).find("\r\nmode=x\r\n"), std::string::npos);
}

// Fault: an empty port= or a missing user took the previous run's values.
TEST_F(job_profile, a_profile_is_a_whole_job_and_keeps_nothing_of_the_job_it_replaces) {
    write_profile(
        "[MS Excel settings]\nformat version=\nwrap text=\n"
        "[Generic settings]\nsrc=\ndest=\nlogfile=\nmode=12\nonly definitions=\n"
        "[Oracle settings]\nhost=\nport=\npassword=p\n[Selected Tables]\nDEPT\n");
    work_.format = workbook_format::excel_2010;
    work_.wrap_text = false;
    work_.connection = {"h", "1522", "ORCL", "u", "p"};
    work_.destination = "/tmp/a.xls";
    work_.tables = {"EMP"};
    profile_notes notes;
    ASSERT_TRUE(load_job_file(profile_path(), work_, &notes));
    EXPECT_EQ(work_.format, workbook_format::excel_2000);
    EXPECT_TRUE(work_.wrap_text);
    EXPECT_EQ(work_.connection.service, "");
    EXPECT_EQ(work_.destination, "");
    EXPECT_EQ(work_.mode, 0);  // not one character
    EXPECT_EQ(work_.connection.host, "");
    EXPECT_EQ(work_.connection.port, "");  // 1521 where the connection is made
    EXPECT_EQ(work_.connection.user, "");
    EXPECT_EQ(work_.connection.password, "p");
    EXPECT_EQ(work_.tables, std::vector<std::string>{"DEPT"});
    EXPECT_FALSE(tk_log::is_enabled());
    // each value a run needs is named by its key (a user goes with a password; neither is
    // external authentication)
    const std::vector<std::string> missing{"\"dest\" in [Generic settings]", "\"src\" in [Generic settings]",
                                           "\"user\" in [Oracle settings]",
                                           "\"format version\" in [MS Excel settings]"};
    EXPECT_EQ(notes.missing, missing);
    EXPECT_TRUE(notes.warnings.empty());
}

// Fault: "Dest=" was not the destination, and a misspelt key went unnoticed.
TEST_F(job_profile, key_names_match_in_any_case_and_an_unknown_key_is_a_warning) {
    write_profile("[Generic settings]\nDest=b.xlsx\nSRC=XE\nDset=c.xlsx\n[Oracle settings]\nUser=scott\n"
                  "[MS Excel settings]\nFormat Version=2\n");
    profile_notes notes;
    ASSERT_TRUE(load_job_file(profile_path(), work_, &notes));
    EXPECT_EQ(work_.destination, "b.xlsx");
    EXPECT_EQ(work_.connection.service, "XE");
    EXPECT_EQ(work_.connection.user, "scott");
    EXPECT_EQ(work_.format, workbook_format::excel_2010);
    EXPECT_TRUE(notes.missing.empty());
    const std::string warning = "The profile's key \"Dset\" in [Generic settings] is not known and was ignored.";
    EXPECT_EQ(notes.warnings, std::vector<std::string>{warning});
}

// Fault: a password ending in a blank could not log in from the saved profile.
TEST_F(job_profile, a_password_with_blanks_at_its_ends_loads_back_as_saved) {
    work_.connection = {"db", "", "XE", "scott", "  ti ger  "};
    work_.destination = "out.xlsx";
    ASSERT_TRUE(save_job_file(work_, profile_path()));
    job loaded;
    ASSERT_TRUE(load_job_file(profile_path(), loaded));
    EXPECT_EQ(loaded.connection.password, "  ti ger  ");
    EXPECT_EQ(loaded.connection.user, "scott");  // other values lose blanks a hand may have typed
}

// Fault: of two items of one name only one was converted, without a word.
TEST_F(job_profile, two_selected_items_of_one_name_in_any_case_are_refused_naming_both) {
    const auto refusal = [&](const std::string& selection) {
        write_profile("[Generic settings]\nsrc=XE\n[Selected Tables]\n" + selection);
        try {
            load_job_file(profile_path(), work_);
        } catch (const tk_exception& error) {
            return std::string(error.what());
        }
        return std::string("loaded");
    };
    EXPECT_NE(refusal("Q=SELECT 1 FROM DUAL\nQ=SELECT 2 FROM DUAL\n")
                  .find("two items of one name: the query \"Q=SELECT 1 FROM DUAL\" and the query "
                        "\"Q=SELECT 2 FROM DUAL\""),
              std::string::npos);
    EXPECT_NE(refusal("EMP\nEMP=SELECT 1 FROM DUAL\n")
                  .find("the table \"EMP\" and the query \"EMP=SELECT 1 FROM DUAL\""),
              std::string::npos);
    EXPECT_NE(refusal("EMP\nemp\n").find("the table \"EMP\" and the table \"emp\""), std::string::npos);
    EXPECT_EQ(work_.connection.service, "");  // nothing was taken over
    // the same table twice is one item
    EXPECT_EQ(refusal("EMP\nEMP\n"), "loaded");
    EXPECT_EQ(work_.tables, std::vector<std::string>{"EMP"});
}

// The refusal's text: log_file_checks.bad_names_are_refused_and_logging_stays_off.
TEST_F(job_profile, a_bad_log_file_stops_the_load_before_anything_changes) {
    write_profile("[Selected Tables]\nEMP\n[Generic settings]\nsrc=XE\nlogfile=" + folder_.file("none/run.log") + "\n");
    EXPECT_THROW(load_job_file(profile_path(), work_), tk_exception);
    EXPECT_TRUE(work_.tables.empty());
    EXPECT_EQ(work_.connection.service, "");
}

// The refusal's text: bad_input_profile_test's missing profile.
TEST_F(job_profile, a_quoted_command_line_names_no_profile) {
    write_profile("[Generic settings]\nsrc=XE\n");
    EXPECT_THROW(load_job_file("\"" + profile_path() + "\"", work_), tk_exception);
    EXPECT_EQ(work_.connection.service, "");
}

// The growth of peak memory while a child process loads the profile, so that nothing else
// of the test counts; -1 when it did not load with `items` tables and queries.
long load_growth_bytes(const std::string& path, std::size_t items) {
    int report[2];
    if (::pipe(report) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        rusage before {}, after {};
        ::getrusage(RUSAGE_SELF, &before);
        job loaded;
        const bool ok = load_job_file(path, loaded) && loaded.tables.size() + loaded.selected.size() == items;
        ::getrusage(RUSAGE_SELF, &after);
        const long growth_kb = ok ? after.ru_maxrss - before.ru_maxrss : -1;
        ::_exit(::write(report[1], &growth_kb, sizeof growth_kb) == sizeof growth_kb ? 0 : 1);
    }
    long growth_kb = -1;
    if (::read(report[0], &growth_kb, sizeof growth_kb) != static_cast<ssize_t>(sizeof growth_kb)) growth_kb = -1;
    ::waitpid(child, nullptr, 0);
    ::close(report[0]);
    ::close(report[1]);
    return growth_kb < 0 ? -1 : growth_kb * 1024;
}

// Fault: a 100 MB profile took 1.18 GB to load, and 2,000,000 short table names (18 MB)
// took 560 MB. A query of 32 MB may cost the file and its value; a name, its line and a
// string of its own.
TEST_F(job_profile, loading_a_big_profile_costs_at_most_a_small_multiple_of_its_size) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory aside, so peak memory says nothing here";
#endif
    constexpr long query_bytes = 32L << 20;
    {
        std::FILE* file = std::fopen(profile_path().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("[Generic settings]\r\nsrc=XE\r\n[Selected Tables]\r\nBIG=select ", file);
        const std::string piece(1 << 16, 'x');
        for (long written = 0; written < query_bytes; written += static_cast<long>(piece.size()))
            std::fwrite(piece.data(), 1, piece.size(), file);
        ASSERT_EQ(std::fclose(file), 0);
    }
    const long query_growth = load_growth_bytes(profile_path(), 1);
    ASSERT_GE(query_growth, 0) << "the profile did not load";
    EXPECT_LT(query_growth, query_bytes * 5 / 2) << query_growth << " bytes";

    constexpr int name_count = 2'000'000;
    long names_bytes = 0;
    {
        std::FILE* file = std::fopen(profile_path().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("[Generic settings]\r\nsrc=XE\r\n[Selected Tables]\r\n", file);
        for (int i = 0; i < name_count; ++i) names_bytes += std::fprintf(file, "T%07d\r\n", i);
        ASSERT_EQ(std::fclose(file), 0);
    }
    const long names_growth = load_growth_bytes(profile_path(), name_count);
    ASSERT_GE(names_growth, 0) << "the profile did not load";
    EXPECT_LT(names_growth, names_bytes * 5) << names_growth << " bytes for " << names_bytes;
}
