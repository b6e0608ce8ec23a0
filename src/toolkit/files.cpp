// File names and existence tests.
#include "toolkit/files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string_view>
#include <system_error>

#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/system.h"

namespace fs = std::filesystem;

tk_file_name::tk_file_name(std::string_view path) {
    const bool is_program = path.empty();
    std::error_code error;
    fs::path full = is_program ? tk_system_path(module_path()) : fs::absolute(tk_system_path(path), error);
    if (error) throw tk_exception_ex(error.value(), "Cannot resolve the path: ", tk_level_serious);
    full = full.lexically_normal();

    const std::string text = tk_path_text(full);
    const auto slash = std::find_if(text.rbegin(), text.rend(), tk_is_path_separator).base() - text.begin();
    // "C:" of a Windows path is its drive; the folder starts after it.
    const std::size_t drive_end = text.size() >= 2 && text[1] == ':' ? 2 : 0;
    drive = text.substr(0, std::min<std::size_t>(drive_end, static_cast<std::size_t>(slash)));
    dir = text.substr(drive.size(), static_cast<std::size_t>(slash) - drive.size());
    const std::string leaf = text.substr(static_cast<std::size_t>(slash));
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
    const tk_file_handle file = tk_open_file(path, mode == 1 ? tk_open_mode::read_write : tk_open_mode::read);
    bool exists = false;
    if (file != tk_no_file) {
        const auto status = tk_status_of(file);
        exists = status && status->kind == tk_file_kind::regular;
        tk_close_file(file);
    }
    if (!exists) TK_LOG(1, "File not exists!");
    return exists;
}

bool tk_is_path_exist(const std::string& path) {
    TK_LOG(2, "tk_is_path_exist(%s)", path.c_str());
    const std::string folder = path.empty() ? tk_file_name("").folder() : path;
    return tk_is_enterable_folder(folder);
}

std::string module_path() {
    std::string self = tk_program_path();
    TK_ASSERT(!self.empty());
    return self;
}

std::string tk_folder_of(const std::string& path) {
    const fs::path parent = tk_system_path(path).parent_path();
    return parent.empty() ? std::string(".") : tk_path_text(parent);
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
    const std::string leaf = tk_path_text(tk_system_path(destination).filename());
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
            const tk_file_handle file = tk_open_file(name, tk_open_mode::create_new);
            if (file != tk_no_file) {
                tk_close_file(file);
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
        for (fs::directory_iterator it(tk_system_path(tk_folder_of(destination)), error), end; !error && it != end;
             it.increment(error)) {
            if (tag_of_temporary(tk_path_text(it->path().filename())) != tag) continue;
            const std::string name = tk_path_text(it->path());
            // only plain files: a link or a folder of that name is not something a run wrote
            if (tk_kind_of(name, false) != tk_file_kind::regular) continue;
            if (tk_remove_file_name(name)) {
                ++removed;
                TK_LOG(3, "Removed %s, left by an earlier run that ended without finishing", name.c_str());
            } else {
                TK_LOG(3, "Cannot remove %s, left by an earlier run: %s", name.c_str(),
                       tk_system_error_text(errno).c_str());
            }
        }
    } catch (const std::exception& error) {
        TK_LOG(3, "Cannot look for files left by an earlier run: %s", error.what());
    }
    return removed;
}

namespace {

// ".sprandel-TAG.lock" in the destination's folder.
std::string lock_path_of(const std::string& destination) {
    std::string path = tk_folder_of(destination);
    path += '/';
    path += temporary_prefix;
    path += tag_of(destination);
    path += lock_suffix;
    return path;
}

}  // namespace

tk_destination_lock::tk_destination_lock(const std::string& destination) : path_(lock_path_of(destination)) {
    // The holder removes the file when done; a run that opened it just before then holds a
    // lock on a name that is gone, so it opens the file again.
    for (;;) {
        file_ = tk_open_file(path_, tk_open_mode::lock_file);
        if (file_ == tk_no_file)
            throw tk_exception_ex(errno, "Cannot create the lock file " + path_ + ": ", tk_level_serious);
        const tk_lock_result result = tk_lock_exclusively(file_);
        if (result != tk_lock_result::locked) {
            const int error_number = errno;
            tk_close_file(file_);
            file_ = tk_no_file;
            if (result == tk_lock_result::held_elsewhere)
                throw tk_exception("Another run is writing " + destination +
                                       " (or its part workbooks) now; this run was not started. Try again when "
                                       "that run has finished.",
                                   tk_level_serious);
            throw tk_exception_ex(error_number, "Cannot lock " + path_ + ": ", tk_level_serious);
        }
        if (tk_is_one_file(file_, path_).value_or(false)) return;
        tk_close_file(file_);
    }
}

bool tk_destination_lock::covers(const std::string& destination) const { return path_ == lock_path_of(destination); }

tk_destination_lock::~tk_destination_lock() {
    if (file_ == tk_no_file) return;
    // removed while still held, so no run ever takes a lock on a file about to vanish unseen
    tk_remove_file_name(path_);
    tk_close_file(file_);
}

void tk_sync_file(const std::string& path, const std::string& what) {
    if (!tk_flush_file_named(path))
        throw tk_exception_ex(errno, "Failed to write into " + what + ": ", tk_level_serious);
}

bool tk_flush_file_named(const std::string& path) noexcept {
    // writable: Windows flushes only through a handle that may write
    const tk_file_handle file = tk_open_file(path, tk_open_mode::read_write);
    if (file == tk_no_file) return false;
    const bool flushed = tk_flush_file(file);
    const int error_number = errno;
    tk_close_file(file);
    errno = error_number;
    return flushed;
}

std::string tk_link_target(const std::string& path) {
    constexpr int max_links = 40;  // as the kernel allows in one path
    fs::path current = tk_system_path(path);
    for (int hop = 0; hop < max_links; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) return tk_path_text(current);
        const fs::path next = fs::read_symlink(current, error);
        if (error)
            throw tk_exception_ex(error.value(), "Cannot read the link " + tk_path_text(current) + ": ",
                                  tk_level_serious);
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    throw tk_exception_ex(ELOOP, "Cannot follow the link " + path + ": ", tk_level_serious);
}

void tk_replace_file(const std::string& temporary, const std::string& destination) {
    // The replaced file's mode, owner and group go to its successor.
    if (!tk_copy_file_permissions(destination, temporary))
        throw tk_exception_ex(errno, "Cannot give " + destination + " the permissions of the file it replaces: ",
                              tk_level_serious);
    if (!tk_rename_over(temporary, destination))
        throw tk_exception_ex(errno, "Cannot save " + destination + ": ", tk_level_serious);
    if (!tk_flush_folder(tk_folder_of(destination)))
        throw tk_exception_ex(errno, "Cannot save " + destination + " (its folder could not be flushed to disk): ",
                              tk_level_serious);
}

std::string tk_keep_earlier(const std::string& path, const std::string& beside) {
    const auto info = tk_status_of(path, false);
    if (!info) throw tk_exception_ex(errno, "Cannot keep the earlier " + path + ": ", tk_level_serious);
    if (info->kind != tk_file_kind::regular) return {};  // none, or nothing a rename could replace and undo
    const std::string kept = tk_create_temporary_beside(beside);
    // the empty file only reserved the name: link needs it free, and the lock keeps it ours
    if (tk_remove_file_name(kept) && tk_hard_link(path, kept)) return kept;
    const int link_error = errno;
    std::error_code error;
    if (fs::copy_file(tk_system_path(path), tk_system_path(kept), fs::copy_options::overwrite_existing, error))
        return kept;
    tk_remove_file_name(kept);
    throw tk_exception_ex(error ? error.value() : link_error, "Cannot keep the earlier " + path + ": ",
                          tk_level_serious);
}

std::string tk_move_aside(const std::string& path, const std::string& beside) {
    const std::string aside = tk_create_temporary_beside(beside);
    if (!tk_rename_over(path, aside)) {
        const int error = errno;
        tk_remove_file_name(aside);
        throw tk_exception_ex(error, "Cannot remove " + path + ": ", tk_level_serious);
    }
    return aside;
}

bool tk_is_same_file(const std::string& first, const std::string& second) {
    const auto a = tk_status_of(first), b = tk_status_of(second);
    const bool has_first = a && a->kind != tk_file_kind::missing, has_second = b && b->kind != tk_file_kind::missing;
    if (has_first && has_second) return tk_is_one_file(first, second).value_or(false);
    if (has_first || has_second) return false;
    std::error_code error_a, error_b;
    const fs::path full_a = fs::weakly_canonical(fs::absolute(tk_system_path(first)), error_a);
    const fs::path full_b = fs::weakly_canonical(fs::absolute(tk_system_path(second)), error_b);
    return !error_a && !error_b && full_a == full_b;
}

bool tk_try_write_file_atomically(const std::string& path, std::string_view content, int& error_number) noexcept {
    try {
        // a random start: another process writing the same file tries other names first
        std::uint32_t number = std::random_device{}();
        std::string temporary;
        tk_file_handle file = tk_no_file;
        for (int attempt = 0; attempt < 100 && file == tk_no_file; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(number++));
            temporary = path + suffix;
            file = tk_open_file(temporary, tk_open_mode::create_private);
            if (file == tk_no_file && errno != EEXIST) break;
        }
        if (file == tk_no_file) {
            error_number = errno;
            return false;
        }
        const bool complete = tk_write_file(file, content.data(), content.size()) && tk_flush_file(file);
        error_number = errno;
        const bool closed = tk_close_file(file);
        if (complete && !closed) error_number = errno;
        if (complete && closed && tk_rename_over(temporary, path)) return true;
        if (complete && closed) error_number = errno;
        tk_remove_file_name(temporary);
    } catch (const std::bad_alloc&) {
        error_number = ENOMEM;
    }
    return false;
}
