// File names and existence tests.
#include "toolkit/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "toolkit/exception.h"
#include "toolkit/log.h"

namespace fs = std::filesystem;

tk_file_name::tk_file_name(std::string_view path) {
    const bool is_program = path.empty();
    std::error_code error;
    fs::path full = is_program ? fs::path(module_path()) : fs::absolute(fs::path(path), error);
    if (error) throw tk_exception_ex(error.value(), "Cannot resolve the path: ", tk_level_serious);
    full = full.lexically_normal();

    const std::string text = full.string();
    const auto slash = text.rfind('/');
    dir = text.substr(0, slash + 1);
    const std::string leaf = text.substr(slash + 1);
    const auto dot = leaf.rfind('.');
    // A leading dot names a hidden file, not an extension.
    if (dot == std::string::npos || dot == 0) {
        fname = leaf;
    } else {
        fname = leaf.substr(0, dot);
        ext = leaf.substr(dot);
    }
    if (is_program) fname.clear();
}

bool tk_is_file_exist(const std::string& path, int mode) {
    TK_LOG(2, "tk_is_file_exist(%s)", path.c_str());
    const int fd = ::open(path.c_str(), (mode == 1 ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    bool exists = false;
    if (fd >= 0) {
        struct stat info {};
        exists = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
        ::close(fd);
    }
    if (!exists) TK_LOG(1, "File not exists!");
    return exists;
}

bool tk_is_path_exist(const std::string& path) {
    TK_LOG(2, "tk_is_path_exist(%s)", path.c_str());
    const std::string folder = path.empty() ? tk_file_name("").folder() : path;
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(folder.c_str(), X_OK) == 0;
}

std::string module_path() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    TK_ASSERT(!error);
    return self.string();
}

std::string current_dir() {
    std::error_code error;
    const fs::path here = fs::current_path(error);
    if (error) throw tk_exception_ex(error.value(), "Cannot read the current folder: ", tk_level_serious);
    return here.string();
}
