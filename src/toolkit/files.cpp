// File names and existence tests.
#include "toolkit/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
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

std::string tk_folder_of(const std::string& path) {
    const fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

namespace {

constexpr std::string_view temporary_prefix = ".sprandel-";
constexpr std::string_view temporary_suffix = ".tmp";
constexpr std::string_view lock_suffix = ".lock";
constexpr std::size_t tag_length = 16;

bool is_hex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// The TAG of a temporary file's name, or "" when the name is not one of ours.
std::string_view tag_of_temporary(std::string_view name) {
    if (!name.starts_with(temporary_prefix) || !name.ends_with(temporary_suffix)) return {};
    name.remove_prefix(temporary_prefix.size());
    name.remove_suffix(temporary_suffix.size());
    if (name.size() < tag_length + 2 || name[tag_length] != '-') return {};
    const std::string_view tag = name.substr(0, tag_length), number = name.substr(tag_length + 1);
    const bool is_number = std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    return is_hex(tag) && is_number ? tag : std::string_view();
}

// FNV-1a of the destination's file name: the folder is the same for all of its files.
std::string tag_of(const std::string& destination) {
    const std::string leaf = fs::path(destination).filename().string();
    if (const std::string_view tag = tag_of_temporary(leaf); !tag.empty()) return std::string(tag);
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : leaf) hash = (hash ^ c) * 1099511628211ull;
    char text[tag_length + 1];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace

std::string tk_try_create_temporary_beside(const std::string& destination, int& error_number) noexcept {
    static std::atomic<unsigned> counter{0};  // two runs in one process never pick one name
    try {
        const std::string folder = tk_folder_of(destination);
        const std::string stem = folder + "/" + std::string(temporary_prefix) + tag_of(destination) + "-";
        for (int attempt = 0; attempt < 1000; ++attempt) {
            const std::string name = stem + std::to_string(++counter) + std::string(temporary_suffix);
            // open applies the umask itself; reading it would mean setting it, which races
            // with other threads creating files.
            const int fd = ::open(name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (fd >= 0) {
                ::close(fd);
                return name;
            }
            if (errno != EEXIST) break;
        }
        error_number = errno;
    } catch (const std::bad_alloc&) {
        error_number = ENOMEM;
    }
    return {};
}

std::string tk_create_temporary_beside(const std::string& destination) {
    int error_number = 0;
    std::string name = tk_try_create_temporary_beside(destination, error_number);
    if (name.empty())
        throw tk_exception_ex(error_number, "Cannot create a temporary file beside " + destination + ": ",
                              tk_level_serious);
    return name;
}

int tk_remove_abandoned_temporaries(const std::string& destination) noexcept {
    int removed = 0;
    try {
        const std::string tag = tag_of(destination);
        std::error_code error;
        for (fs::directory_iterator it(tk_folder_of(destination), error), end; !error && it != end;
             it.increment(error)) {
            if (tag_of_temporary(it->path().filename().string()) != tag) continue;
            struct stat info {};
            // only plain files: a link or a folder of that name is not something a run wrote
            if (::lstat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
            if (::unlink(it->path().c_str()) == 0) {
                ++removed;
                TK_LOG(3, "Removed %s, left by an earlier run that ended without finishing", it->path().c_str());
            } else {
                TK_LOG(3, "Cannot remove %s, left by an earlier run: %s", it->path().c_str(), std::strerror(errno));
            }
        }
    } catch (const std::exception& error) {
        TK_LOG(3, "Cannot look for files left by an earlier run: %s", error.what());
    }
    return removed;
}

tk_destination_lock::tk_destination_lock(const std::string& destination)
    : path_(tk_folder_of(destination) + "/" + std::string(temporary_prefix) + tag_of(destination) +
            std::string(lock_suffix)) {
    // The holder removes the file when done; a run that opened it just before then holds a
    // lock on a name that is gone, so it opens the file again.
    for (;;) {
        fd_ = ::open(path_.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        if (fd_ < 0) throw tk_exception_ex(errno, "Cannot create the lock file " + path_ + ": ", tk_level_serious);
        int status;
        while ((status = ::flock(fd_, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
        }
        if (status != 0) {
            const int error_number = errno;
            ::close(fd_);
            fd_ = -1;
            if (error_number == EWOULDBLOCK)
                throw tk_exception("Another run is writing " + destination +
                                       " (or its part workbooks) now; this run was not started. Try again when "
                                       "that run has finished.",
                                   tk_level_serious);
            throw tk_exception_ex(error_number, "Cannot lock " + path_ + ": ", tk_level_serious);
        }
        struct stat held {}, named {};
        if (::fstat(fd_, &held) == 0 && ::stat(path_.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev)
            return;
        ::close(fd_);
    }
}

bool tk_destination_lock::covers(const std::string& destination) const {
    return path_ == tk_folder_of(destination) + "/" + std::string(temporary_prefix) + tag_of(destination) +
                        std::string(lock_suffix);
}

tk_destination_lock::~tk_destination_lock() {
    if (fd_ < 0) return;
    // removed while still held, so no run ever takes a lock on a file about to vanish unseen
    ::unlink(path_.c_str());
    ::close(fd_);
}

void tk_sync_file(const std::string& path, const std::string& what) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw tk_exception_ex(errno, "Failed to write into " + what + ": ", tk_level_serious);
    const int status = ::fsync(fd);
    const int error_number = errno;
    ::close(fd);
    if (status != 0) throw tk_exception_ex(error_number, "Failed to write into " + what + ": ", tk_level_serious);
}

bool tk_sync_folder(const std::string& folder) noexcept {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    const int error_number = errno;
    ::close(fd);
    errno = error_number;
    return synced;
}

namespace {

// The replaced file's mode, owner and group go to its successor. Another owner can only be
// set by a privileged process; then the group alone is tried, which a member may set.
void take_over_attributes(const std::string& temporary, const std::string& destination) {
    struct stat old_file {};
    if (::lstat(destination.c_str(), &old_file) != 0 || !S_ISREG(old_file.st_mode)) return;
    struct stat new_file {};
    if (::stat(temporary.c_str(), &new_file) != 0)
        throw tk_exception_ex(errno, "Cannot save " + destination + ": ", tk_level_serious);
    if ((new_file.st_uid != old_file.st_uid || new_file.st_gid != old_file.st_gid) &&
        ::chown(temporary.c_str(), old_file.st_uid, old_file.st_gid) != 0 &&
        ::chown(temporary.c_str(), static_cast<uid_t>(-1), old_file.st_gid) != 0)
        TK_LOG(3, "%s keeps its new owner or group: %s", destination.c_str(), std::strerror(errno));
    // after chown, which may clear the set-id bits
    if (::chmod(temporary.c_str(), old_file.st_mode & 07777) != 0)
        throw tk_exception_ex(errno, "Cannot give " + destination + " the permissions of the file it replaces: ",
                              tk_level_serious);
}

}  // namespace

std::string tk_link_target(const std::string& path) {
    constexpr int max_links = 40;  // as the kernel allows in one path
    fs::path current = path;
    for (int hop = 0; hop < max_links; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) return current.string();
        const fs::path next = fs::read_symlink(current, error);
        if (error)
            throw tk_exception_ex(error.value(), "Cannot read the link " + current.string() + ": ", tk_level_serious);
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    throw tk_exception_ex(ELOOP, "Cannot follow the link " + path + ": ", tk_level_serious);
}

void tk_replace_file(const std::string& temporary, const std::string& destination) {
    take_over_attributes(temporary, destination);
    if (::rename(temporary.c_str(), destination.c_str()) != 0)
        throw tk_exception_ex(errno, "Cannot save " + destination + ": ", tk_level_serious);
    if (!tk_sync_folder(tk_folder_of(destination)))
        throw tk_exception_ex(errno, "Cannot save " + destination + " (its folder could not be flushed to disk): ",
                              tk_level_serious);
}

std::string tk_keep_earlier(const std::string& path, const std::string& beside) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return {};
        throw tk_exception_ex(errno, "Cannot keep the earlier " + path + ": ", tk_level_serious);
    }
    if (!S_ISREG(info.st_mode)) return {};  // nothing a rename could replace and undo
    const std::string kept = tk_create_temporary_beside(beside);
    // the empty file only reserved the name: link needs it free, and the lock keeps it ours
    if (::unlink(kept.c_str()) == 0 && ::link(path.c_str(), kept.c_str()) == 0) return kept;
    const int link_error = errno;
    std::error_code error;
    if (fs::copy_file(path, kept, fs::copy_options::overwrite_existing, error)) return kept;
    ::unlink(kept.c_str());
    throw tk_exception_ex(error ? error.value() : link_error, "Cannot keep the earlier " + path + ": ",
                          tk_level_serious);
}

std::string tk_move_aside(const std::string& path, const std::string& beside) {
    const std::string aside = tk_create_temporary_beside(beside);
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        const int error = errno;
        ::unlink(aside.c_str());
        throw tk_exception_ex(error, "Cannot remove " + path + ": ", tk_level_serious);
    }
    return aside;
}

bool tk_is_same_file(const std::string& first, const std::string& second) {
    struct stat a {}, b {};
    const bool has_first = ::stat(first.c_str(), &a) == 0, has_second = ::stat(second.c_str(), &b) == 0;
    if (has_first && has_second) return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    if (has_first || has_second) return false;
    std::error_code error_a, error_b;
    const fs::path full_a = fs::weakly_canonical(fs::absolute(first), error_a);
    const fs::path full_b = fs::weakly_canonical(fs::absolute(second), error_b);
    return !error_a && !error_b && full_a == full_b;
}
