// File-name splitting and existence tests.
#include "toolkit/files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../support/temp_folder.h"

TEST(file_names, split_a_full_path_into_its_parts) {
    const tk_file_name name("/dir/sub/name.ext");
    EXPECT_EQ(name.drive, "");
    EXPECT_EQ(name.dir, "/dir/sub/");
    EXPECT_EQ(name.fname, "name");
    EXPECT_EQ(name.ext, ".ext");
    EXPECT_EQ(name.folder(), "/dir/sub/");
    EXPECT_EQ(name.full_path(), "/dir/sub/name.ext");
}

TEST(file_names, relative_paths_are_made_absolute_and_normal) {
    const tk_file_name name("a/../b/report.tar.xls");
    EXPECT_EQ(name.dir, std::filesystem::current_path().string() + "/b/");
    EXPECT_EQ(name.fname, "report.tar");
    EXPECT_EQ(name.ext, ".xls");
}

TEST(file_names, names_without_extension_and_hidden_files) {
    EXPECT_EQ(tk_file_name("/x/README").ext, "");
    EXPECT_EQ(tk_file_name("/x/.profile").fname, ".profile");
    EXPECT_EQ(tk_file_name("/x/.profile").ext, "");
    EXPECT_EQ(tk_file_name("/").dir, "/");
}

TEST(file_names, empty_path_is_the_program_with_an_empty_name) {
    const tk_file_name self("");
    const std::filesystem::path program = module_path();
    EXPECT_EQ(self.dir, program.parent_path().string() + "/");
    EXPECT_EQ(self.fname, "");
    EXPECT_EQ(program.filename().string(), "files_test");
}

TEST(existence, files_and_folders_are_told_apart) {
    temp_folder folder;
    const std::string file = folder.file("data.txt");
    write_file(file, "x");
    EXPECT_TRUE(tk_is_file_exist(file));
    EXPECT_TRUE(tk_is_file_exist(file, 1));
    EXPECT_FALSE(tk_is_file_exist(folder.path().string()));
    EXPECT_FALSE(tk_is_file_exist(folder.file("missing.txt")));
    EXPECT_TRUE(tk_is_path_exist(folder.path().string()));
    EXPECT_FALSE(tk_is_path_exist(file));
    EXPECT_FALSE(tk_is_path_exist(folder.file("missing")));
    EXPECT_TRUE(tk_is_path_exist(""));  // the program's own folder
}

TEST(existence, a_file_that_cannot_be_written_fails_the_read_write_test) {
    // A running program cannot be opened for writing, even by root.
    EXPECT_TRUE(tk_is_file_exist(module_path()));
    EXPECT_FALSE(tk_is_file_exist(module_path(), 1));
}
