// What only Windows does to a run: names outside the ANSI code page, a destination on
// another drive, a workbook that another program holds open at the final replace.
// (Ctrl-Break: stopped_run in fault_interruption_test.cpp.)
#include <windows.h>

#include <gtest/gtest.h>

#include "cli_harness.h"

namespace {

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::size_t entries_in(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

}  // namespace

// Faults: UTF-8 names read in the ANSI code page gave "Profile does not exist" for the job
// and a workbook named "Bericht Ã¶.xlsx"; a wide path printed with %s showed one letter.
TEST(windows_names, a_profile_workbook_and_log_outside_the_code_page_keep_their_names) {
    temp_folder folder;
    const std::filesystem::path place = folder.path() / std::filesystem::path(u8"Prüfung 東京");
    std::filesystem::create_directory(place);
    const std::filesystem::path dest = place / std::filesystem::path(u8"Bericht ö.xlsx");
    const std::filesystem::path log = place / std::filesystem::path(u8"läuft.log");
    const std::filesystem::path job = place / std::filesystem::path(u8"Auftrag ü.spr");
    write_file(job, demo_job(utf8(dest), 2, {"DEPARTMENTS"}).text());
    const cli_result result = run_cli({"--log", utf8(log), utf8(job)});
    ASSERT_EQ(result.exit_code, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("Workbook written: " + utf8(dest)), std::string::npos) << result.out;
    const auto sheets = read_workbook(dest);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].rows.size(), 8u);
    EXPECT_TRUE(std::filesystem::exists(log));
    EXPECT_EQ(entries_in(place), 3u);  // no temporary or lock file left
}

// Fault: st_dev and st_ino are 0 on Windows, so any two files of one drive were "one file"
// and a log beside the workbook was refused as the workbook. The sheet data spooled on the
// system drive and the workbook replaced on another one.
TEST(windows_drives, a_workbook_on_another_drive_replaces_the_earlier_one_beside_its_log) {
    if (::GetDriveTypeW(L"S:\\") == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "drive S: is not mapped; scripts/run-windows-tests.sh maps it to a folder";
    temp_folder folder;
    const std::string stem = "S:\\sprandel-" + std::to_string(::GetCurrentProcessId());
    const std::string dest = stem + ".xls", log = stem + ".log";
    write_file(dest, "earlier workbook");
    write_file(log, "earlier log");
    demo_job(dest, 1, {"DEPARTMENTS", "ORDERS"}).write(folder.file("job.spr"));
    const cli_result result = run_cli({"--log", log, folder.file("job.spr")});
    EXPECT_EQ(result.exit_code, 0) << result.out << result.err;
    const auto sheets = read_workbook(dest);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[1].rows.size(), 501u);
    for (const auto& entry : std::filesystem::directory_iterator("S:\\"))
        EXPECT_EQ(entry.path().filename().string().rfind(".sprandel-", 0), std::string::npos) << entry.path();
    std::filesystem::remove(dest);
    std::filesystem::remove(log);
}

// Excel holds an open workbook without sharing it for writing or deletion. Opened during
// the run, it cannot be replaced at the end: the run says why, and keeps it as it was.
TEST(windows_replace, a_workbook_held_open_by_another_program_is_reported_and_kept) {
    for (const int format : {1, 2}) {
        SCOPED_TRACE(format);
        temp_folder folder;
        const std::string dest = folder.file(format == 1 ? "open.xls" : "open.xlsx"), log = folder.file("run.log");
        write_file(dest, "earlier workbook");
        demo_job(dest, format, {"DEPARTMENTS", "ORDER_LINES"}).write(folder.file("job.spr"));
        HANDLE held = INVALID_HANDLE_VALUE;
        cli_options options;
        // slow round trips: the workbook is opened long before the run ends
        options.environment["OCIEMU_RTT_US"] = "200000";
        options.signal_when = [&] {  // opens the workbook once the run has passed its checks
            if (held == INVALID_HANDLE_VALUE && read_file(log).find("Converting table") != std::string::npos)
                held = ::CreateFileA(dest.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
            return false;
        };
        const cli_result result = run_cli({"--log", log, folder.file("job.spr")}, options);
        ASSERT_NE(held, INVALID_HANDLE_VALUE) << "the workbook was not opened during the run";
        ::CloseHandle(held);
        EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
        EXPECT_NE(result.err.find(dest), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("is open in another program; close it there and run again"), std::string::npos)
            << result.err;
        EXPECT_EQ(read_file(dest), "earlier workbook");
        EXPECT_EQ(stray_files(folder.path(), {"job.spr", "run.log", format == 1 ? "open.xls" : "open.xlsx"}),
                  std::vector<std::string>{});
    }
}
