// File-name splitting and the runs' temporary files. (Existence tests: destination_check,
// log_file_checks and bad_command_line.)
#include "toolkit/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support/temp_folder.h"
#include "toolkit/exception.h"

// The extension and folder of a destination: destination_check and part_workbooks.
TEST(file_names, relative_and_hidden_paths_split_into_their_parts) {
    const tk_file_name relative("a/../b/report.tar.xls");
    EXPECT_EQ(relative.dir, std::filesystem::current_path().string() + "/b/");
    EXPECT_EQ(relative.fname, "report.tar");
    EXPECT_EQ(relative.ext, ".xls");
    EXPECT_EQ(tk_file_name("/x/.profile").fname, ".profile");
    EXPECT_EQ(tk_file_name("/x/.profile").ext, "");
    EXPECT_EQ(tk_file_name("/").dir, "/");
}

// Only plain files named by a run whose process is gone: never a live run's, never a
// user's file that merely looks alike.
TEST(temporaries, only_dead_runs_files_are_removed) {
    temp_folder folder;
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = std::to_string(child), live = std::to_string(::getpid());
    const std::vector<std::string> kept = {".sprandel-" + live + "-1.tmp", ".sprandel-x" + dead + "-1.tmp",
                                           ".sprandel-" + dead + "-1.tmp.bak", ".sprandel-" + dead + ".tmp",
                                           ".sprandel-" + dead + "-.tmp", "sprandel-" + dead + "-1.tmp"};
    for (const auto& name : kept) write_file(folder.file(name), "x");
    write_file(folder.file(".sprandel-" + dead + "-1.tmp"), "x");
    std::filesystem::create_directory(folder.file(".sprandel-" + dead + "-2.tmp"));
    std::filesystem::create_symlink(folder.file("target"), folder.file(".sprandel-" + dead + "-3.tmp"));

    EXPECT_EQ(tk_remove_dead_temporaries(folder.path().string()), 1);
    EXPECT_FALSE(std::filesystem::exists(folder.file(".sprandel-" + dead + "-1.tmp")));
    for (const auto& name : kept) EXPECT_TRUE(std::filesystem::exists(folder.file(name))) << name;
    EXPECT_TRUE(std::filesystem::is_directory(folder.file(".sprandel-" + dead + "-2.tmp")));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.file(".sprandel-" + dead + "-3.tmp")));

    // a new temporary file is short, hidden, carries this process's id and is never an old one
    const std::string first = tk_create_temporary_beside(folder.file(std::string(250, 'n') + ".xlsx"));
    const std::string second = tk_create_temporary_beside(folder.file("other.xlsx"));
    EXPECT_NE(first, second);
    EXPECT_TRUE(std::filesystem::path(first).filename().string().starts_with(".sprandel-" + live + "-"));
    EXPECT_EQ(std::filesystem::path(first).parent_path(), folder.path());
    EXPECT_EQ(tk_remove_dead_temporaries(folder.path().string()), 0);  // ours stay
}

// A new file gets the umask's mode; a replaced one keeps its own (replaced_workbook tests
// the mode, owner and links through whole runs).
TEST(replacing, a_new_file_takes_the_umask_and_a_link_is_followed_to_its_file) {
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
}
