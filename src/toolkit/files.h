// File names, existence tests for files and folders, and the program's own path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The parts of a full path. drive is "C:" on Windows and empty elsewhere; dir keeps its
// leading and trailing separator, ext its leading ".". An empty path stands for the program itself, with
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

// The program's own file name.
std::string module_path();

// The folder a path names its file in; "." for a bare file name.
std::string tk_folder_of(const std::string& path);

// Files of a run in the destination's folder, named ".sprandel-TAG-N.tmp", TAG naming the
// destination's file name (16 hexadecimal digits): short, so a destination name of any
// legal length leaves room for them, and tied to the destination, whose lock tells whether
// a run is still writing them. Beside a temporary file, the new one takes its TAG.
// Creates a new empty temporary file beside destination, exclusively (never an existing
// file), mode 0666 less the umask; returns its path. Throws tk_exception_ex naming the folder.
std::string tk_create_temporary_beside(const std::string& destination);
// The same without throwing: an empty path and error_number set on failure.
std::string tk_try_create_temporary_beside(const std::string& destination, int& error_number) noexcept;
// Removes the temporary files of destination; only its lock's holder may call it, since
// no other run can be writing them then. Returns how many were removed; failures are logged.
int tk_remove_abandoned_temporaries(const std::string& destination) noexcept;

// One run per destination: an exclusive lock on ".sprandel-TAG.lock" in the destination's
// folder, held while the object lives. The system releases it when the process ends in any
// way, so a killed run never blocks the next one.
class tk_destination_lock {
public:
    // Throws tk_exception (level 1) when another run holds the lock, tk_exception_ex when the
    // lock file cannot be made.
    explicit tk_destination_lock(const std::string& destination);
    ~tk_destination_lock();
    // True when this is the lock of destination.
    bool covers(const std::string& destination) const;
    tk_destination_lock(const tk_destination_lock&) = delete;
    tk_destination_lock& operator=(const tk_destination_lock&) = delete;

private:
    std::string path_;
    std::intptr_t file_ = -1;  // a tk_file_handle
};
// Flushes a complete file to the disk; throws tk_exception_ex naming what with the reason.
void tk_sync_file(const std::string& path, const std::string& what);
// The same without a message: false with errno set.
bool tk_flush_file_named(const std::string& path) noexcept;
// Renames temporary over destination in one step and flushes the folder so the new name
// survives a power cut. A file replaced hands its permission bits, and its owner and group
// where the process may set them, to the new one; a new file keeps the umask's. Throws
// tk_exception_ex naming destination. destination must not be a symbolic link (the link
// would be replaced): pass tk_link_target's path.
void tk_replace_file(const std::string& temporary, const std::string& destination);
// Gives the file at path a second name, a new temporary file beside `beside`, so that a
// replace of path can be undone by putting it back with tk_replace_file. The file keeps its
// name meanwhile: a crash leaves either file there. Copies where the file system has no
// hard links. Returns the second name, or "" when path is no regular file. Throws tk_exception_ex.
std::string tk_keep_earlier(const std::string& path, const std::string& beside);
// Renames path to a new temporary file beside `beside` and returns that name. Throws
// tk_exception_ex naming path.
std::string tk_move_aside(const std::string& path, const std::string& beside);
// The file that path leads to through symbolic links (relative ones read from the link's
// folder); path itself when it is no link. The file need not exist. Throws tk_exception_ex
// for a loop of links.
std::string tk_link_target(const std::string& path);
// True when both names lead to one existing file, or, when neither exists, to one path.
bool tk_is_same_file(const std::string& first, const std::string& second);
// Writes content to a new private file (owner only: it may hold a password) beside path,
// flushes it and renames it over path, so path holds the old or the new text, never a
// part. False with error_number set on failure; nothing is left behind then.
bool tk_try_write_file_atomically(const std::string& path, std::string_view content, int& error_number) noexcept;
