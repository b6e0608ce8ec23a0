// The system layer on Linux and other POSIX systems.
#include "toolkit/system.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace fs = std::filesystem;

fs::path tk_system_path(std::string_view utf8) { return fs::path(utf8); }

std::string tk_path_text(const fs::path& path) { return path.string(); }

bool tk_is_path_separator(char c) noexcept { return c == '/'; }

// ---------------------------------------------------------------------------- files

tk_file_handle tk_open_file(const std::string& path, tk_open_mode mode) noexcept {
    int flags = O_CLOEXEC;
    mode_t permissions = 0600;
    switch (mode) {
    case tk_open_mode::read: flags |= O_RDONLY | O_NONBLOCK; break;
    case tk_open_mode::read_write: flags |= O_RDWR | O_NONBLOCK; break;
    case tk_open_mode::create_new:
        flags |= O_CREAT | O_EXCL | O_WRONLY;
        // open applies the umask itself; reading it would mean setting it, which races
        // with other threads creating files.
        permissions = 0666;
        break;
    case tk_open_mode::create_private: flags |= O_CREAT | O_EXCL | O_WRONLY; break;
    case tk_open_mode::lock_file: flags |= O_CREAT | O_RDWR; break;
    }
    int fd;
    while ((fd = ::open(path.c_str(), flags, permissions)) < 0 && errno == EINTR) {
    }
    return fd;
}

bool tk_close_file(tk_file_handle file) noexcept { return ::close(static_cast<int>(file)) == 0; }

bool tk_write_file(tk_file_handle file, const void* bytes, std::size_t size) noexcept {
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const ssize_t written = ::write(static_cast<int>(file), at, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = EIO;
            return false;
        }
        at += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

long long tk_read_file(tk_file_handle file, void* bytes, std::size_t size) noexcept {
    ssize_t got;
    while ((got = ::read(static_cast<int>(file), bytes, size)) < 0 && errno == EINTR) {
    }
    return got;
}

bool tk_read_file_at(tk_file_handle file, void* bytes, std::size_t size, std::uint64_t offset) noexcept {
    char* at = static_cast<char*>(bytes);
    while (size > 0) {
        const ssize_t got = ::pread(static_cast<int>(file), at, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got == 0) errno = 0;
            return false;
        }
        at += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool tk_flush_file(tk_file_handle file) noexcept { return ::fsync(static_cast<int>(file)) == 0; }

std::FILE* tk_open_stream(const std::string& path, const char* mode) noexcept { return std::fopen(path.c_str(), mode); }

bool tk_flush_stream(std::FILE* stream) noexcept {
    return std::fflush(stream) == 0 && ::fsync(::fileno(stream)) == 0;
}

std::FILE* tk_open_anonymous_stream(const std::string& folder) noexcept {
    std::string name = folder + "/.sprandel-spool-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return nullptr;
    // Named only until it is open: the name goes at once, so nothing is left behind.
    ::unlink(name.c_str());
    std::FILE* stream = ::fdopen(fd, "w+b");
    if (stream == nullptr) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
    }
    return stream;
}

namespace {

tk_file_status status_from(const struct stat& info) {
    tk_file_status status;
    status.size = static_cast<std::uint64_t>(info.st_size);
    if (S_ISREG(info.st_mode)) status.kind = tk_file_kind::regular;
    else if (S_ISDIR(info.st_mode)) status.kind = tk_file_kind::folder;
    else if (S_ISLNK(info.st_mode)) status.kind = tk_file_kind::symbolic_link;
    else if (S_ISFIFO(info.st_mode)) status.kind = tk_file_kind::fifo;
    else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) status.kind = tk_file_kind::device;
    else if (S_ISSOCK(info.st_mode)) status.kind = tk_file_kind::socket;
    else status.kind = tk_file_kind::other;
    return status;
}

}  // namespace

std::optional<tk_file_status> tk_status_of(const std::string& path, bool follow_links) noexcept {
    struct stat info {};
    const int result = follow_links ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    if (result == 0) return status_from(info);
    if (errno == ENOENT || errno == ENOTDIR) return tk_file_status{};
    return std::nullopt;
}

std::optional<tk_file_status> tk_status_of(tk_file_handle file) noexcept {
    struct stat info {};
    if (::fstat(static_cast<int>(file), &info) != 0) return std::nullopt;
    return status_from(info);
}

bool tk_is_enterable_folder(const std::string& path) noexcept {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

long tk_longest_name(const std::string& folder) noexcept {
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? longest : 0;
}

bool tk_remove_file_name(const std::string& path) noexcept { return ::unlink(path.c_str()) == 0; }

bool tk_rename_over(const std::string& from, const std::string& to) noexcept {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool tk_hard_link(const std::string& existing, const std::string& new_name) noexcept {
    return ::link(existing.c_str(), new_name.c_str()) == 0;
}

bool tk_flush_folder(const std::string& folder) noexcept {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    const int error_number = errno;
    ::close(fd);
    errno = error_number;
    return synced;
}

bool tk_copy_file_permissions(const std::string& from, const std::string& to) noexcept {
    struct stat old_file {};
    if (::lstat(from.c_str(), &old_file) != 0 || !S_ISREG(old_file.st_mode)) return true;
    struct stat new_file {};
    if (::stat(to.c_str(), &new_file) != 0) return false;
    // Another owner can only be set by a privileged process; then the group alone is
    // tried, which a member may set. Keeping the new owner is no failure.
    if ((new_file.st_uid != old_file.st_uid || new_file.st_gid != old_file.st_gid) &&
        ::chown(to.c_str(), old_file.st_uid, old_file.st_gid) != 0)
        (void)!::chown(to.c_str(), static_cast<uid_t>(-1), old_file.st_gid);
    // after chown, which may clear the set-id bits
    return ::chmod(to.c_str(), old_file.st_mode & 07777) == 0;
}

std::optional<bool> tk_is_one_file(const std::string& first, const std::string& second) noexcept {
    struct stat a {}, b {};
    if (::stat(first.c_str(), &a) != 0 || ::stat(second.c_str(), &b) != 0) return std::nullopt;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::optional<bool> tk_is_one_file(tk_file_handle file, const std::string& path) noexcept {
    struct stat held {}, named {};
    if (::fstat(static_cast<int>(file), &held) != 0 || ::stat(path.c_str(), &named) != 0) return std::nullopt;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

tk_lock_result tk_lock_exclusively(tk_file_handle file) noexcept {
    int status;
    while ((status = ::flock(static_cast<int>(file), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (status == 0) return tk_lock_result::locked;
    return errno == EWOULDBLOCK ? tk_lock_result::held_elsewhere : tk_lock_result::failed;
}

// ---------------------------------------------------------------------------- the program

std::string tk_program_path() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.string();
}

namespace {

// HOME, else the home folder of the account entry; empty when neither is an absolute path.
// The settings hold the password: a relative home would put them in the current folder.
fs::path home_folder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return found->pw_dir;
    return {};
}

}  // namespace

fs::path tk_user_settings_folder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/') return config;
    const fs::path home = home_folder();
    return home.empty() ? fs::path() : home / ".config";
}

std::string tk_temporary_folder() {
    if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && *tmpdir != '\0') return tmpdir;
    std::error_code error;
    const fs::path system = fs::temp_directory_path(error);
    return error ? std::string("/tmp") : system.string();
}

std::optional<std::string> tk_environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

std::string tk_system_error_text(int error_number) {
    char buffer[256] = {};
    // The GNU variant may return a static string instead of filling the buffer.
    const char* text = strerror_r(error_number, buffer, sizeof buffer);
    return text ? std::string(text) : std::string();
}

std::tm tk_local_time(std::time_t moment) noexcept {
    std::tm parts{};
    ::localtime_r(&moment, &parts);
    return parts;
}

std::tm tk_universal_time(std::time_t moment) noexcept {
    std::tm parts{};
    ::gmtime_r(&moment, &parts);
    return parts;
}

// ---------------------------------------------------------------------------- libraries

void* tk_load_library(const std::string& name, std::string& error) noexcept {
    void* library = ::dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = ::dlerror();
        error = reason != nullptr ? reason : "cannot be opened";
    }
    return library;
}

void* tk_library_function(void* library, const char* name) noexcept { return ::dlsym(library, name); }

void tk_unload_library(void* library) noexcept { ::dlclose(library); }

// ---------------------------------------------------------------------------- the console

std::vector<std::string> tk_program_arguments(int argc, char** argv) { return {argv, argv + argc}; }

void tk_use_utf8_console() noexcept {}  // terminals here take the locale's text, UTF-8

bool tk_is_terminal(std::FILE* stream) noexcept { return ::isatty(::fileno(stream)) == 1; }

std::size_t tk_terminal_columns(std::FILE* stream) noexcept {
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0) return size.ws_col;
    return 0;
}

bool tk_enable_colours(std::FILE* stream) noexcept { return tk_is_terminal(stream); }

namespace {

void (*stop_handler)() = nullptr;

extern "C" void on_stop_signal(int) {
    if (stop_handler != nullptr) stop_handler();
}

}  // namespace

void tk_on_stop_request(void (*handler)()) noexcept {
    stop_handler = handler;
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    // A closed terminal (SIGHUP) and Ctrl-\ stop the run as Ctrl-C does, so the run removes
    // its temporary files instead of dying with them.
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::sigaction(signal_number, &action, nullptr);
    // Past a file-size limit (ulimit -f) a write must fail with EFBIG and be reported, not
    // end the process without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    // A reader that went away ("| head -1") costs only the console lines; the run goes on
    // and its exit status still tells the result.
    std::signal(SIGPIPE, SIG_IGN);
}

bool tk_reopen_closed_standard_streams() noexcept {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open returns the lowest free descriptor: this one
        if (::open("/dev/null", O_RDWR) != fd) return false;
    }
    return true;
}
