// What a user may hand the console that cannot run: profiles that are no files, broken
// text, missing selections, a wrong password, unknown options, a log over the job or its
// workbook. Each is refused with its reason and exit status 2, and nothing is written.
#include <gtest/gtest.h>

#include "cli_harness.h"

namespace {

// The run was refused with this reason.
::testing::AssertionResult refused(const cli_result& result, const std::string& reason) {
    if (result.exit_code == 2 && result.err.find(reason) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "exit " << result.exit_code << ", expected 2 and \"" << reason
                                         << "\" in:\n" << result.err;
}

}  // namespace

TEST(bad_profile, is_refused_with_its_reason) {
    temp_folder folder;
    const std::string dest = folder.file("out.xlsx"), job = folder.file("job.spr");
    EXPECT_TRUE(refused(run_cli({folder.file("nothing.spr")}),
                        "Profile does not exist. Please verify the correct path/name was given."));
    EXPECT_TRUE(refused(run_cli({folder.path().string()}), "is a folder, not a profile file."));
#ifndef _WIN32  // FIFOs and symbolic links are POSIX's
    const std::string fifo = folder.file("pipe.spr");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_TRUE(refused(run_cli({fifo}), "The profile " + fifo + " is a FIFO (named pipe), not a profile file."));
    // there, but unreadable: the reason is named, not "does not exist"
    const std::string loop = folder.file("loop.spr");
    std::filesystem::create_symlink("loop.spr", loop);
    EXPECT_TRUE(refused(run_cli({loop}), "The profile " + loop + " cannot be read: Too many levels of symbolic links"));
#endif

    const std::string text = demo_job(dest, 2, {"DEPARTMENTS"}).text();
    write_file(job, text.substr(0, text.find("DEPARTMENTS")) + "DEPART\xff\xfeMENTS\r\n");
    EXPECT_TRUE(refused(run_cli({job}), "Cannot convert to UNICODE string: invalid UTF-8 in line 16 of the profile."));
    write_file(job, text.substr(0, text.find("[Selected Tables]")));
    EXPECT_TRUE(refused(run_cli({job}), "The profile selects no table and no query ([Selected Tables])."));
    write_file(job, "");
    EXPECT_EQ(run_cli({job}).exit_code, 2);
    job_profile unnamed = demo_job(dest, 2, {"DEPARTMENTS"});
    unnamed.queries = {{"", "SELECT * FROM DEPARTMENTS"}};
    unnamed.write(job);
    EXPECT_TRUE(refused(run_cli({job}),
                        "The profile's query \"=SELECT * FROM DEPARTMENTS\" in [Selected Tables] has no name"));
    job_profile wrong_password = demo_job(dest, 2, {"DEPARTMENTS"});
    wrong_password.password = "wrong";
    wrong_password.write(job);
    EXPECT_TRUE(refused(run_cli({job}), "Invalid user name or password."));
#ifdef _WIN32
    EXPECT_EQ(stray_files(folder.path(), {"job.spr"}), std::vector<std::string>{});
#else
    EXPECT_EQ(stray_files(folder.path(), {"job.spr", "pipe.spr", "loop.spr"}), std::vector<std::string>{});
#endif
}

TEST(bad_command_line, is_refused_and_a_log_may_not_overwrite_the_job_or_its_workbook) {
    EXPECT_TRUE(refused(run_cli({"--frobnicate", "x.spr"}), "usage: sprandel-cli"));
    EXPECT_TRUE(refused(run_cli({}), "usage: sprandel-cli"));
    const cli_result help = run_cli({"--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.out.find("--abort-on-error"), std::string::npos);
    EXPECT_EQ(run_cli({"--version"}).out, "sprandel-cli 4.1\n");

    temp_folder folder;
    const std::string dest = folder.file("out.xlsx"), job = folder.file("job.spr");
    write_file(dest, "earlier workbook");
    demo_job(dest, 2, {"DEPARTMENTS"}).write(job);
    const std::string job_text = read_file(job);
    EXPECT_TRUE(refused(run_cli({"--log", job, job}), "Logfile name specifies the profile."));
    EXPECT_TRUE(refused(run_cli({"--log=" + folder.path().string() + "/./out.xlsx", job}),
                        "Logfile name specifies the destination workbook."));
    EXPECT_EQ(read_file(job), job_text);
    EXPECT_EQ(read_file(dest), "earlier workbook");
}

// Fault: a profile lacking a value ran with the last run's (another job's) user, password and
// destination, and replaced that job's workbook.
TEST(bad_profile, never_borrows_from_the_settings_file_and_names_what_it_lacks) {
    temp_folder folder;
    const std::string other_workbook = folder.file("A_payroll.xlsx"), job = folder.file("job.spr");
    std::filesystem::create_directories(folder / "config/Quorvane");
    write_file(folder / "config/Quorvane/Sprandel.conf", "[Sprandel]\ndest=sz:" + other_workbook +
                                                             "\noracleu=sz:DEMO\noraclep=sz:demo\nsrc=sz:DEMO\n"
                                                             "engine=dword:00000002\n");
    write_file(other_workbook, "job A's workbook");
#ifdef _WIN32
    const cli_options isolated{{{"APPDATA", folder.file("config")}}, {}, SIGINT};
#else
    const cli_options isolated{{{"XDG_CONFIG_HOME", folder.file("config")}}, {}, SIGINT};
#endif
    const std::string selection = "[MS Excel settings]\r\nformat version=2\r\n\r\n[Selected Tables]\r\nDEPARTMENTS\r\n";

    write_file(job, "[Generic settings]\r\nDset=" + folder.file("b.xlsx") + "\r\nsrc=DEMO\r\n\r\n" + selection);
    cli_result result = run_cli({job}, isolated);
    EXPECT_TRUE(refused(result, "The profile names no destination workbook (\"dest\" in [Generic settings])."));
    EXPECT_NE(result.out.find("The profile's key \"Dset\" in [Generic settings] is not known and was ignored."),
              std::string::npos) << result.out;

    // a key name's case does not matter; the user and password are the profile's or none
    write_file(job, "[Generic settings]\r\nDest=" + folder.file("b.xlsx") + "\r\nsrc=DEMO\r\n\r\n" + selection +
                        "\r\n[Oracle settings]\r\npassword=demo\r\n");
    EXPECT_TRUE(refused(run_cli({job}, isolated),
                        "The profile lacks \"user\" in [Oracle settings], which a run needs; a profile run takes "
                        "every value from the profile."));
    EXPECT_EQ(read_file(other_workbook), "job A's workbook");
    EXPECT_EQ(stray_files(folder.path(), {"job.spr", "A_payroll.xlsx", "config"}), std::vector<std::string>{});
}
