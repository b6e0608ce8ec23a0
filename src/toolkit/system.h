// What the core needs from the operating system, as plain functions. system/posix.cpp and
// system/windows.cpp implement them (CMake picks one); no other file of the core calls the
// system directly, and tests/system_calls_check.sh keeps it so.
//
// Paths are UTF-8 text everywhere in the core; these functions convert them where they
// meet the system. Failures set errno to a portable error number (the Windows side maps
// its own codes), which tk_system_error_text turns into the system's words.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------- paths

// A system path from UTF-8 text. Never construct std::filesystem::path from a
// std::string directly: on Windows that reads the text in the ANSI code page.
std::filesystem::path tk_system_path(std::string_view utf8);
// The UTF-8 text of a system path.
std::string tk_path_text(const std::filesystem::path& path);
// True when c separates folders in a path here ("/", and "\" on Windows).
bool tk_is_path_separator(char c) noexcept;

// ---------------------------------------------------------------------------- files

// An open file of the system (a descriptor or a handle); tk_no_file when none.
using tk_file_handle = std::intptr_t;
inline constexpr tk_file_handle tk_no_file = -1;

enum class tk_open_mode {
    read,            // an existing file, for reading
    read_write,      // an existing file, for reading and writing
    create_new,      // a new file that must not exist yet, writable; mode 0666 less the umask
    create_private,  // the same, readable by its owner only (it may hold a password)
    lock_file,       // created when missing, owner only; other runs open it too, to lock it
};

// Opens path; tk_no_file with errno set on failure. Reading never blocks on a FIFO.
tk_file_handle tk_open_file(const std::string& path, tk_open_mode mode) noexcept;
// Closes the file; false with errno set when the system reports a failure.
bool tk_close_file(tk_file_handle file) noexcept;
// Writes all bytes; false with errno set on failure.
bool tk_write_file(tk_file_handle file, const void* bytes, std::size_t size) noexcept;
// Reads up to size bytes at the file's position: the count, 0 at the end, -1 with errno set.
long long tk_read_file(tk_file_handle file, void* bytes, std::size_t size) noexcept;
// Reads exactly size bytes at offset; false with errno set
// (0 when the file ended first).
bool tk_read_file_at(tk_file_handle file, void* bytes, std::size_t size, std::uint64_t offset) noexcept;
// Flushes the file's bytes to the disk; the file must be open for writing.
bool tk_flush_file(tk_file_handle file) noexcept;

// A C stream on path (fopen's modes); nullptr with errno set on failure.
std::FILE* tk_open_stream(const std::string& path, const char* mode) noexcept;
// Flushes a stream's buffer and then its file to the disk; false with errno set.
bool tk_flush_stream(std::FILE* stream) noexcept;
// A new read-write stream in folder that has no name (or loses it when closed), so
// nothing stays behind whatever way the process ends; nullptr with errno set.
std::FILE* tk_open_anonymous_stream(const std::string& folder) noexcept;

enum class tk_file_kind { missing, regular, folder, symbolic_link, fifo, device, socket, other };

struct tk_file_status {
    tk_file_kind kind = tk_file_kind::missing;
    std::uint64_t size = 0;
};

// The status of path, following symbolic links unless follow_links is false. A path that
// does not exist gives kind missing and errno ENOENT (or ENOTDIR); other failures give
// std::nullopt with errno set.
std::optional<tk_file_status> tk_status_of(const std::string& path, bool follow_links = true) noexcept;
// The status of an open file.
std::optional<tk_file_status> tk_status_of(tk_file_handle file) noexcept;
// The kind of path alone; a path that cannot be examined counts as missing.
inline tk_file_kind tk_kind_of(const std::string& path, bool follow_links = true) noexcept {
    return tk_status_of(path, follow_links).value_or(tk_file_status{}).kind;
}
// True when path is a folder that can be entered.
bool tk_is_enterable_folder(const std::string& path) noexcept;
// The longest file name the folder's file system takes, in bytes; 0 when unknown.
long tk_longest_name(const std::string& folder) noexcept;
// Removes a file (never a folder); false with errno set.
bool tk_remove_file_name(const std::string& path) noexcept;

// Renames from over to in one step, replacing to if it exists, and waits until the new
// name is on the disk where the system offers that in the same call. False with errno set;
// on Windows a file held open by another program gives EBUSY.
bool tk_rename_over(const std::string& from, const std::string& to) noexcept;
// Gives an existing file a second name; false with errno set (also where the file system
// has no hard links, and on Windows for a file another program holds open, whose second
// name could not be removed until it is closed).
bool tk_hard_link(const std::string& existing, const std::string& new_name) noexcept;
// Flushes a folder's entries to the disk; true where the system has no such step.
bool tk_flush_folder(const std::string& folder) noexcept;
// Gives to the replaced file's permission bits, owner and group where the system has them
// and the process may set them. False with errno set when the permissions cannot be given.
bool tk_copy_file_permissions(const std::string& from, const std::string& to) noexcept;
// Whether two existing names lead to one file; std::nullopt when either cannot be examined.
std::optional<bool> tk_is_one_file(const std::string& first, const std::string& second) noexcept;
// Whether an open file is the one path names now.
std::optional<bool> tk_is_one_file(tk_file_handle file, const std::string& path) noexcept;

enum class tk_lock_result { locked, held_elsewhere, failed };
// Takes an exclusive lock on an open file without waiting; it ends with the file's close
// or the process. failed sets errno.
tk_lock_result tk_lock_exclusively(tk_file_handle file) noexcept;

// ---------------------------------------------------------------------------- the program

// The running program's full file name.
std::string tk_program_path();
// The folder under which per-user settings live: $XDG_CONFIG_HOME, else ~/.config; on
// Windows %APPDATA%. Empty when none is known as an absolute path.
std::filesystem::path tk_user_settings_folder();
// A folder for short-lived files: $TMPDIR or the system's; on Windows the system's.
std::string tk_temporary_folder();
// An environment variable as UTF-8; std::nullopt when unset.
std::optional<std::string> tk_environment(const char* name);
// The system's text for an error number.
std::string tk_system_error_text(int error_number);
// Local and universal time of a moment, thread-safe.
std::tm tk_local_time(std::time_t moment) noexcept;
std::tm tk_universal_time(std::time_t moment) noexcept;

// ---------------------------------------------------------------------------- libraries

// Loads a shared library. A name without a folder is searched for the system's way;
// a full path is loaded from there, with its own folder searched first for what it needs.
// nullptr on failure, error set to the system's reason.
void* tk_load_library(const std::string& name, std::string& error) noexcept;
void* tk_library_function(void* library, const char* name) noexcept;
void tk_unload_library(void* library) noexcept;

// ---------------------------------------------------------------------------- the console

// The program's arguments as UTF-8 (Windows passes main's argv in the ANSI code page).
std::vector<std::string> tk_program_arguments(int argc, char** argv);
// Makes the console show UTF-8 text as such.
void tk_use_utf8_console() noexcept;

// True when stream writes to a terminal (a console window on Windows).
bool tk_is_terminal(std::FILE* stream) noexcept;
// The width of the terminal stream writes to, in characters; 0 when it does not say.
std::size_t tk_terminal_columns(std::FILE* stream) noexcept;
// Makes a terminal stream take ANSI colour sequences; false when it cannot.
bool tk_enable_colours(std::FILE* stream) noexcept;
// Calls handler (from any thread, async-signal-safe code only) when the user asks the
// program to stop: Ctrl-C, Ctrl-Break, a closed terminal or console, a termination
// request. Also keeps a full disk limit or a vanished reader from ending the process
// without a word: the write fails and is reported instead.
void tk_on_stop_request(void (*handler)()) noexcept;
// Opens the null device on standard streams the caller closed, so that the next file
// opened does not take their place; false when that fails.
bool tk_reopen_closed_standard_streams() noexcept;
