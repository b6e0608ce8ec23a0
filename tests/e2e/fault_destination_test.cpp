// Faults of the destination during a run: a full disk, the folder removed while the run
// writes, a read-only folder (a file-size limit: fault_durability_test.cpp). Each ends with
// a message, a failing exit status and nothing under the destination's name but a complete
// workbook.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "cli_harness.h"

namespace {

// A small tmpfs mounted on a fresh folder for one test; unmounted when the test ends.
class small_mount {
public:
    explicit small_mount(const std::string& options) {
        if (::mount("sprandel-test", folder_.path().c_str(), "tmpfs", 0, options.c_str()) != 0)
            reason_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
    }
    ~small_mount() {
        if (reason_.empty()) ::umount2(folder_.path().c_str(), MNT_DETACH);
    }
    small_mount(const small_mount&) = delete;
    small_mount& operator=(const small_mount&) = delete;

    // Empty when mounted, else why not.
    const std::string& skip_reason() const { return reason_; }
    bool make_read_only() {
        return ::mount(nullptr, folder_.path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    const std::filesystem::path& path() const { return folder_.path(); }
    std::string file(const std::string& name) const { return folder_.file(name); }

private:
    temp_folder folder_;
    std::string reason_;
};

// The error names the file it could not write (the workbook, or the spool file of sheet
// data) and the system's reason.
::testing::AssertionResult reports(const cli_result& result, const std::string& file, const std::string& reason) {
    if (result.err.find("Error: ") == std::string::npos || result.err.find(file) == std::string::npos ||
        result.err.find(reason) == std::string::npos)
        return ::testing::AssertionFailure() << "expected an error on " << file << " (" << reason << "), got:\n"
                                             << result.err;
    if (result.err.find("The conversion did not complete; no workbook was written.") == std::string::npos)
        return ::testing::AssertionFailure() << "the run did not say that nothing was written:\n" << result.err;
    return ::testing::AssertionSuccess();
}

const char* const extensions[] = {"xls", "xls", "xlsx"};

std::string format_name(const ::testing::TestParamInfo<int>& info) { return extensions[info.param]; }

}  // namespace

class full_disk : public ::testing::TestWithParam<int> {};

TEST_P(full_disk, a_full_file_system_is_reported_and_leaves_nothing_behind) {
    small_mount disk("size=16k,mode=0777");
    if (!disk.skip_reason().empty()) GTEST_SKIP() << disk.skip_reason();
    temp_folder folder;
    const std::string dest = disk.file(std::string("full.") + extensions[GetParam()]);
    demo_job(dest, GetParam(), {"DEPARTMENTS", "ORDER_LINES"}).write(folder.file("job.spr"));
    const cli_result result = run_cli({folder.file("job.spr")});
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    EXPECT_TRUE(reports(result, dest, "No space left on device"));
    EXPECT_FALSE(std::filesystem::exists(dest));
    EXPECT_TRUE(stray_files(disk.path(), {}).empty());
}

// The .xls and .xlsx writers write differently; Excel 5.0 and 2000 share the .xls one.
INSTANTIATE_TEST_SUITE_P(formats, full_disk, ::testing::Values(1, 2), format_name);

// Fault: sheet data went to the system's temporary folder whatever TMPDIR said, and that
// folder full was "Internal error: code=...".
TEST(full_disk, a_full_tmpdir_holding_the_sheet_data_is_reported_as_full_naming_it) {
    small_mount disk("size=16k,mode=0777");
    if (!disk.skip_reason().empty()) GTEST_SKIP() << disk.skip_reason();
    temp_folder folder;
    const std::string dest = folder.file("roomy.xls");
    demo_job(dest, 1, {"DEPARTMENTS", "ORDER_LINES"}).write(folder.file("job.spr"));
    cli_options options;
    options.environment["TMPDIR"] = disk.path().string();
    const cli_result result = run_cli({folder.file("job.spr")}, options);
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    const std::string spool_error =
        "Failed to write sheet data into a temporary file in " + disk.path().string() + " (for " + dest + ")";
    EXPECT_TRUE(reports(result, spool_error, "No space left on device"));
    EXPECT_EQ(result.err.find("Internal error"), std::string::npos) << result.err;
    EXPECT_TRUE(stray_files(disk.path(), {}).empty());
    EXPECT_EQ(stray_files(folder.path(), {"job.spr"}), std::vector<std::string>{});
}

class lost_folder : public ::testing::TestWithParam<int> {};

TEST_P(lost_folder, a_destination_folder_removed_during_the_run_is_reported) {
    temp_folder folder;
    const std::filesystem::path target = folder.path() / "target";
    std::filesystem::create_directory(target);
    const std::string dest = (target / (std::string("gone.") + extensions[GetParam()])).string();
    demo_job(dest, GetParam(), {"DEPARTMENTS", "ORDER_LINES"}).write(folder.file("job.spr"));
    // The folder goes as soon as the run has put its first file there (.xlsx), or while
    // the tables are read (.xls writes only at the end; the run takes about 5 s).
    std::atomic<bool> removed = false, done = false;
    std::thread remover([&] {
        const auto start = std::chrono::steady_clock::now();
        while (!done) {
            std::error_code error;
            if ((!std::filesystem::is_empty(target, error) && !error) ||
                std::chrono::steady_clock::now() - start > std::chrono::milliseconds(2500)) {
                std::filesystem::remove_all(target, error);
                removed = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    cli_options options;
    options.environment["OCIEMU_RTT_US"] = "150000";  // the run takes some seconds
    const cli_result result = run_cli({folder.file("job.spr")}, options);
    done = true;
    remover.join();
    ASSERT_TRUE(removed) << "the run never wrote into its folder\n" << result.out << result.err;
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    // On a slow machine the folder may go before the run looked at it, or before it made
    // its lock file there.
    if (result.err.find("Destination path does not exist.") == std::string::npos) {
        const bool names_lock = result.err.find("Cannot create the lock file " + target.string()) != std::string::npos &&
                                result.err.find("No such file or directory") != std::string::npos;
        EXPECT_TRUE(names_lock || reports(result, dest, "No such file or directory"));
    }
    EXPECT_FALSE(std::filesystem::exists(target)) << "the run made the removed folder again";
}

INSTANTIATE_TEST_SUITE_P(formats, lost_folder, ::testing::Values(1, 2), format_name);

// Checked before any table is read, whatever the format.
TEST(read_only_folder, a_read_only_file_system_is_reported_and_an_earlier_workbook_stays) {
    small_mount disk("size=1m,mode=0777");
    if (!disk.skip_reason().empty()) GTEST_SKIP() << disk.skip_reason();
    const std::string dest = disk.file("new.xlsx"), earlier = disk.file("kept.xlsx");
    write_file(earlier, "earlier");
    if (!disk.make_read_only()) GTEST_SKIP() << "cannot remount the tmpfs read-only: " << std::strerror(errno);
    temp_folder folder;
    demo_job(dest, 2, {"DEPARTMENTS", "ORDER_LINES"}).write(folder.file("job.spr"));
    const cli_result result = run_cli({folder.file("job.spr")});
    EXPECT_EQ(result.exit_code, 2) << result.out << result.err;
    EXPECT_NE(result.err.find("Error: Cannot write into the destination folder " + disk.path().string()),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("Read-only file system"), std::string::npos) << result.err;
    EXPECT_EQ(result.out.find("Table 'DEPARTMENTS'"), std::string::npos) << result.out;
    EXPECT_FALSE(std::filesystem::exists(dest));
    EXPECT_EQ(read_file(earlier), "earlier");
    // An earlier workbook as the destination: destination_check's an_existing_file_must_open_for_writing.
}

// Faults: a replaced workbook became 0644 root:root, and a symbolic link as destination was
// replaced by a file while its target kept the old workbook. A hard link keeps the old copy:
// the run writes a new file under the name it was given.
TEST(replaced_workbook, keeps_mode_owner_and_group_and_a_link_keeps_leading_to_it) {
    for (const int format_version : {1, 2}) {
        temp_folder folder, elsewhere;
        const std::string ext = format_version == 2 ? ".xlsx" : ".xls";
        const std::string target = elsewhere.file("real" + ext), link = folder.file("book" + ext);
        const std::string hard = elsewhere.file("hard" + ext);
        write_file(target, "old workbook");
        ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
        const bool is_root = ::geteuid() == 0;
        if (is_root) {
            ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
        }
        std::filesystem::create_hard_link(target, hard);
        std::filesystem::create_symlink(target, link);
        demo_job(link, format_version, {"DEPARTMENTS"}).write(folder.file("job.spr"));

        const cli_result result = run_cli({folder.file("job.spr")});
        ASSERT_EQ(result.exit_code, 0) << result.err;
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(read_workbook(target).size(), 1u);
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0640u);
        if (is_root) {
            EXPECT_EQ(info.st_uid, 65534u);
            EXPECT_EQ(info.st_gid, 65534u);
        }
        EXPECT_EQ(read_file(hard), "old workbook");
        EXPECT_EQ(stray_files(elsewhere.path(), {"real" + ext, "hard" + ext}), std::vector<std::string>{});
        EXPECT_EQ(stray_files(folder.path(), {"book" + ext, "job.spr"}), std::vector<std::string>{});
    }
}
