// File names, existence tests for files and folders, and the program's own path.
#pragma once

#include <string>
#include <string_view>

// The parts of a full POSIX path. drive is always empty here; dir keeps its leading and
// trailing "/", ext its leading ".". An empty path stands for the program itself, with
// fname left empty.
struct tk_file_name {
    explicit tk_file_name(std::string_view path);

    std::string drive;
    std::string dir;
    std::string fname;
    std::string ext;

    std::string folder() const { return drive + dir; }
    std::string full_path() const { return drive + dir + fname + ext; }
};

// True when path names an existing regular file that opens for reading, or for reading and
// writing when mode is 1.
bool tk_is_file_exist(const std::string& path, int mode = 0);
// True when path names an existing folder that can be entered. An empty path tests the
// program's own folder.
bool tk_is_path_exist(const std::string& path);

// The program's own file name, from /proc/self/exe.
std::string module_path();
std::string current_dir();
