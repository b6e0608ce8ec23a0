// The settings file: typed values, escaping, atomic private writes, bad files.
#include "toolkit/settings_store.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#include <sys/stat.h>
#endif

#include <filesystem>

#include "../support/temp_folder.h"

TEST(settings_file, values_round_trip_with_their_types) {
    temp_folder folder;
    const auto path = folder.path() / "conf" / "Sprandel.conf";
    tk_settings_store out(path);
    out.set_dword("engine", 2);
    out.set_string("oraclep", "pa=ss\\word\nwith\rbreaks");
    out.set_string("port", "");
    ASSERT_TRUE(out.save());

    tk_settings_store in(path);
    ASSERT_TRUE(in.load());
    EXPECT_EQ(in.get_dword("engine"), 2u);
    EXPECT_EQ(in.get_string("oraclep"), "pa=ss\\word\nwith\rbreaks");
    EXPECT_EQ(in.get_string("port"), "");  // an empty value is a value
    EXPECT_EQ(in.get_string("missing"), std::nullopt);
    EXPECT_EQ(in.get_dword("port"), std::nullopt);  // the wrong type reads as missing
}

TEST(settings_file, is_private_and_leaves_no_temporary_file) {
    temp_folder folder;
    const auto path = folder.path() / "Sprandel.conf";
    tk_settings_store out(path);
    out.set_string("oraclep", "secret");
    ASSERT_TRUE(out.save());
    ASSERT_TRUE(out.save());  // replacing an existing file
#ifndef _WIN32  // Windows gives a new file the folder's access list
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
#endif
    EXPECT_EQ(entry_names(folder.path()), std::vector<std::string>{"Sprandel.conf"});
    EXPECT_EQ(read_file(path), "[Sprandel]\noraclep=sz:secret\n");
}

TEST(settings_file, damaged_lines_are_skipped_and_the_rest_kept_and_no_file_loads_nothing) {
    temp_folder folder;
    const auto path = folder.path() / "Sprandel.conf";
    write_file(path,
               "garbage before any section\n"
               "[Sprandel]\r\n"
               "engine=dword:zz\n"
               "split=dword:00000001\r\n"
               "dest=sz:bad\\escape\n"
               "no equals sign\n"
               "src=sz:ORCL\n"
               "[Other]\n"
               "port=sz:99\n");
    tk_settings_store in(path);
    ASSERT_TRUE(in.load());
    EXPECT_EQ(in.get_dword("engine"), std::nullopt);
    EXPECT_EQ(in.get_dword("split"), 1u);
    EXPECT_EQ(in.get_string("dest"), std::nullopt);
    EXPECT_EQ(in.get_string("src"), "ORCL");
    EXPECT_EQ(in.get_string("port"), std::nullopt);  // not in our section
    tk_settings_store none(folder.path() / "none.conf");
    EXPECT_FALSE(none.load());
}

#ifdef _WIN32
// The settings hold the password: a relative %APPDATA% must not put them in the current folder.
TEST(settings_file, default_location_is_under_appdata_and_never_relative) {
    const std::string saved = std::getenv("APPDATA") ? std::getenv("APPDATA") : "";
    ::setenv("APPDATA", "C:\\Users\\someone\\AppData\\Roaming", 1);
    EXPECT_EQ(tk_settings_store::default_path().string(), "C:\\Users\\someone\\AppData\\Roaming\\Quorvane\\Sprandel.conf");
    ::setenv("APPDATA", "relative", 1);
    EXPECT_TRUE(tk_settings_store::default_path().empty());
    ::setenv("APPDATA", saved.c_str(), 1);
}
#else
TEST(settings_file, default_location_follows_xdg_config_home) {
    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
    EXPECT_EQ(tk_settings_store::default_path(), "/tmp/xdg-test/Quorvane/Sprandel.conf");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(tk_settings_store::default_path(), "/home/someone/.config/Quorvane/Sprandel.conf");
}

// Fault: without HOME the settings, password included, went to ./.config in the current folder.
TEST(settings_file, without_home_the_account_entry_names_the_folder_and_the_current_one_is_never_used) {
    const char* saved_home = std::getenv("HOME");
    const std::string home = saved_home != nullptr ? saved_home : "";
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("HOME");
    const struct passwd* account = ::getpwuid(::getuid());
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(tk_settings_store::default_path(),
              std::filesystem::path(account->pw_dir) / ".config/Quorvane/Sprandel.conf");
    ::setenv("HOME", "relative", 1);  // as good as none
    EXPECT_EQ(tk_settings_store::default_path().string().front(), '/');

    temp_folder folder;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    tk_settings_store nowhere{std::filesystem::path()};
    nowhere.set_string("oraclep", "secret");
    EXPECT_FALSE(nowhere.save());
    std::filesystem::current_path(previous);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    if (saved_home != nullptr) ::setenv("HOME", home.c_str(), 1);
}
#endif
