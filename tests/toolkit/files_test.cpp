// File-name splitting and the runs' temporary files. (Existence tests: destination_check,
// log_file_checks and bad_command_line.)
#include "toolkit/files.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../support/temp_folder.h"
#include "toolkit/exception.h"

// The extension and folder of a destination: destination_check and part_workbooks.
TEST(file_names, relative_and_hidden_paths_split_into_their_parts) {
#ifdef _WIN32
    // the drive is its own part; either separator splits
    const tk_file_name full("C:\\x\\y/report.tar.xls");
    EXPECT_EQ(full.drive, "C:");
    EXPECT_EQ(full.dir, "\\x\\y\\");
    EXPECT_EQ(full.fname, "report.tar");
    EXPECT_EQ(full.folder(), "C:\\x\\y\\");
    EXPECT_EQ(tk_file_name("C:\\x\\.profile").fname, ".profile");
    EXPECT_EQ(tk_file_name("C:\\").dir, "\\");
#else
    const tk_file_name relative("a/../b/report.tar.xls");
    EXPECT_EQ(relative.dir, std::filesystem::current_path().string() + "/b/");
    EXPECT_EQ(relative.fname, "report.tar");
    EXPECT_EQ(relative.ext, ".xls");
    EXPECT_EQ(tk_file_name("/x/.profile").fname, ".profile");
    EXPECT_EQ(tk_file_name("/x/.profile").ext, "");
    EXPECT_EQ(tk_file_name("/").dir, "/");
#endif
}

// Fault: a run in another PID namespace had its temporary file removed, its process id
// being unknown there. A run now removes only its own destination's temporaries, holding
// the destination's lock; a second holder is refused while the first lives.
TEST(temporaries, only_the_lock_holder_removes_its_destinations_files_and_a_second_run_is_refused) {
    temp_folder folder;
    const std::string ours = folder.file("report.xls"), theirs = folder.file("other.xls");
    const std::string abandoned = tk_create_temporary_beside(ours), live = tk_create_temporary_beside(theirs);
    write_file(folder.file(".sprandel-12345-1.tmp"), "x");  // a name like ours of no destination
#ifdef _WIN32
    // LockFileEx locks of two handles conflict within one process as between two
    std::optional<tk_destination_lock> other_run(std::in_place, theirs);
#else
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    if (child == 0) {  // another run, writing other.xls
        const tk_destination_lock lock(theirs);
        char byte = 1;
        if (::write(ready[1], &byte, 1) != 1 || ::read(release[0], &byte, 1) < 0) ::_exit(1);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
#endif
    EXPECT_THROW(tk_destination_lock{theirs}, tk_exception);
    {
        const tk_destination_lock lock(ours);
        EXPECT_EQ(tk_remove_abandoned_temporaries(ours), 1);
    }
    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_TRUE(std::filesystem::exists(folder.file(".sprandel-12345-1.tmp")));
#ifdef _WIN32
    other_run.reset();
#else
    ASSERT_EQ(::write(release[1], &byte, 1), 1);
    ::waitpid(child, nullptr, 0);
    for (const int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
#endif
    // the lock ends with its holder, and its file with it
    EXPECT_NO_THROW(tk_destination_lock{theirs});
    EXPECT_EQ(entry_names(folder.path()),
              (std::vector<std::string>{".sprandel-12345-1.tmp", std::filesystem::path(live).filename().string()}));

    // a temporary file is short and hidden whatever the destination's length; one made beside
    // a temporary file belongs to the same destination
    const std::string first = tk_create_temporary_beside(folder.file(std::string(250, 'n') + ".xlsx"));
    EXPECT_LT(std::filesystem::path(first).filename().string().size(), 40u);
    EXPECT_EQ(std::filesystem::path(first).parent_path(), folder.path());
    const std::string second = tk_create_temporary_beside(first);
    EXPECT_NE(first, second);
    EXPECT_EQ(tk_remove_abandoned_temporaries(folder.file(std::string(250, 'n') + ".xlsx")), 2);
}

// A new file gets the umask's mode; a replaced one keeps its own (replaced_workbook tests
// the mode, owner and links through whole runs).
TEST(replacing, a_new_file_takes_the_umask_and_a_link_is_followed_to_its_file) {
#ifdef _WIN32
    GTEST_SKIP() << "the umask and symbolic links of this test are POSIX's";
#else
    temp_folder folder;
    const mode_t mask = ::umask(027);
    const std::string fresh = tk_create_temporary_beside(folder.file("new.xlsx"));
    tk_replace_file(fresh, folder.file("new.xlsx"));
    ::umask(mask);
    EXPECT_EQ(std::filesystem::status(folder.file("new.xlsx")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);

    std::filesystem::create_directory(folder.file("sub"));
    std::filesystem::create_symlink("sub/second", folder.file("first"));
    std::filesystem::create_symlink("../real.xls", folder.file("sub/second"));
    EXPECT_EQ(tk_link_target(folder.file("first")), folder.file("sub/../real.xls"));  // need not exist
    EXPECT_EQ(tk_link_target(folder.file("new.xlsx")), folder.file("new.xlsx"));
    std::filesystem::create_symlink("loop", folder.file("loop"));
    EXPECT_THROW(tk_link_target(folder.file("loop")), tk_exception);
#endif
}
