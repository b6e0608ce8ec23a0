// A run that dies loses nothing: SIGKILL at several moments leaves the earlier workbook byte
// for byte and the next run clears what the dead one left; the destination only ever holds
// the old or a complete new workbook; Ctrl-C and SIGTERM end a slow connection at once; a
// file-size limit is reported; earlier part workbooks go only when they are this
// destination's; profiles that are no files and a log over the job or its workbook are
// refused.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <string>
#include <tuple>
#include <vector>

#include "cli_harness.h"

namespace {

const char* const extensions[] = {"xls", "xls", "xlsx"};

std::vector<std::string> temporaries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".sprandel-")) names.push_back(name);
    }
    return names;
}

// A process id that no process has any more.
pid_t dead_pid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

enum class moment { connecting, reading, completing };

}  // namespace

class killed_run : public ::testing::TestWithParam<std::tuple<int, moment>> {};

TEST_P(killed_run, leaves_the_earlier_workbook_and_the_next_run_clears_its_leftovers) {
    const auto [format, when] = GetParam();
    temp_folder folder;
    const std::string name = std::string("kept.") + extensions[format];
    const std::string dest = folder.file(name), log = folder.file("run.log"), job = folder.file("job.spr");
    demo_job(dest, format, {"DEPARTMENTS"}).write(job);
    ASSERT_EQ(run_cli({job}).exit_code, 0);
    const std::string earlier = read_file(dest);

    demo_job(dest, format, {"DEPARTMENTS", "ORDER_LINES"}).write(job);
    cli_options options;
    options.environment["OCIEMU_RTT_US"] = "100000";  // ORDER_LINES is still being read when the kill lands
    bool had_temporary = false;
    options.kill_when = [&] {
        had_temporary = had_temporary || !temporaries(folder.path()).empty();
        switch (when) {
        case moment::connecting: return read_file(log).find("Connecting to Oracle data source") != std::string::npos;
        case moment::reading: return read_file(log).find("Converting table ORDER_LINES") != std::string::npos;
        case moment::completing: return read_file(log).find("xls_converter::save(") != std::string::npos;
        }
        return false;
    };
    const cli_result killed = run_cli({"--log", log, job}, options);
    ASSERT_EQ(killed.signal, SIGKILL) << killed.out << killed.err;
    if (when == moment::reading) {
        EXPECT_TRUE(had_temporary) << "the new workbook was not being written";
    }
    // Only once the new workbook is complete may it take the name; until then the old one
    // is there, whole.
    const std::string now = read_file(dest);
    if (when != moment::completing || now == earlier) {
        EXPECT_EQ(now, earlier);
    } else {
        EXPECT_EQ(read_workbook(dest).size(), 2u);
    }

    // The next run removes what the dead run left, never the file of a live run.
    const std::string live = ".sprandel-" + std::to_string(::getpid()) + "-1.tmp";
    const std::string dead = ".sprandel-" + std::to_string(dead_pid()) + "-7.tmp";
    write_file(folder.file(live), "a live run's");
    write_file(folder.file(dead), "a dead run's");
    const cli_result again = run_cli({job});
    ASSERT_EQ(again.exit_code, 0) << again.out << again.err;
    const auto sheets = read_workbook(dest);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[1].rows.size(), 2001u);
    EXPECT_EQ(temporaries(folder.path()), std::vector<std::string>{live});
    EXPECT_EQ(read_file(folder.file(live)), "a live run's");
}

INSTANTIATE_TEST_SUITE_P(formats_and_moments, killed_run,
                         ::testing::Combine(::testing::Values(0, 1, 2),
                                            ::testing::Values(moment::connecting, moment::reading,
                                                              moment::completing)));

class size_limited_run : public ::testing::TestWithParam<int> {};

// SIGXFSZ left at its default: the program itself must ignore it and report the write.
TEST_P(size_limited_run, reports_the_write_error_and_keeps_the_earlier_workbook) {
    temp_folder folder;
    const std::string dest = folder.file(std::string("limited.") + extensions[GetParam()]);
    write_file(dest, "earlier workbook");
    demo_job(dest, GetParam(), {"DEPARTMENTS", "ORDER_LINES"}).write(folder.file("job.spr"));
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 16 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const cli_result result = run_cli({folder.file("job.spr")});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    // .xls sheet data is spooled first, so the limit strikes there
    EXPECT_NE(result.err.find(GetParam() == 2 ? dest : "sheet data into a temporary file"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("File too large"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("no workbook was written. " + dest + " was left as it was."), std::string::npos)
        << result.err;
    EXPECT_EQ(read_file(dest), "earlier workbook");
    EXPECT_TRUE(temporaries(folder.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(formats, size_limited_run, ::testing::Values(0, 1, 2));

// The temporary files' names are short, so a destination name of the longest legal length
// (255 bytes) is written like any other.
TEST(long_names, a_destination_name_of_255_bytes_is_written) {
    temp_folder folder;
    for (int format : {1, 2}) {
        const std::string name = std::string(255 - std::string(extensions[format]).size() - 1, 'n') + "." +
                                 extensions[format];
        demo_job(folder.file(name), format, {"DEPARTMENTS"}).write(folder.file("job.spr"));
        const cli_result result = run_cli({folder.file("job.spr")});
        EXPECT_EQ(result.exit_code, 0) << result.err;
        EXPECT_EQ(read_workbook(folder.file(name)).at(0).rows.size(), 8u);
    }
    EXPECT_TRUE(temporaries(folder.path()).empty());
}
