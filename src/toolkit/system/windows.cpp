// The system layer on Windows: wide-character calls with UTF-8 converted at the edge.
#include "toolkit/system.h"
#include "toolkit/system/windows_console.h"

#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

std::string narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// The portable error number of a Windows error code, so callers handle one kind of code.
int error_number_of(DWORD code) {
    switch (code) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_MOD_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED: return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_INVALID_NAME: return EINVAL;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    default: return EIO;
    }
}

// Sets errno from the last Windows error; returns the value given, for one-line returns.
template <typename T>
T failed(T value) {
    errno = error_number_of(::GetLastError());
    return value;
}

HANDLE handle_of(tk_file_handle file) { return reinterpret_cast<HANDLE>(file); }

// Other processes may read, write and rename or delete our files while they are open, as
// on POSIX: a run's lock file is removed while held, and a reader never blocks a replace.
constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

fs::path tk_system_path(std::string_view utf8) { return fs::path(wide(utf8)); }

std::string tk_path_text(const fs::path& path) { return narrow(path.native()); }

bool tk_is_path_separator(char c) noexcept { return c == '/' || c == '\\'; }

// ---------------------------------------------------------------------------- files

tk_file_handle tk_open_file(const std::string& path, tk_open_mode mode) noexcept {
    DWORD access = GENERIC_READ, disposition = OPEN_EXISTING;
    switch (mode) {
    case tk_open_mode::read: break;
    case tk_open_mode::read_write: access |= GENERIC_WRITE; break;
    case tk_open_mode::create_new:
    case tk_open_mode::create_private: access |= GENERIC_WRITE; disposition = CREATE_NEW; break;
    case tk_open_mode::lock_file: access |= GENERIC_WRITE; disposition = OPEN_ALWAYS; break;
    }
    try {
        const HANDLE file = ::CreateFileW(wide(path).c_str(), access, share_all, nullptr, disposition,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return failed(tk_no_file);
        return reinterpret_cast<tk_file_handle>(file);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return tk_no_file;
    }
}

bool tk_close_file(tk_file_handle file) noexcept { return ::CloseHandle(handle_of(file)) ? true : failed(false); }

bool tk_write_file(tk_file_handle file, const void* bytes, std::size_t size) noexcept {
    const char* at = static_cast<const char*>(bytes);
    while (size > 0) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(handle_of(file), at, piece, &written, nullptr)) return failed(false);
        if (written == 0) {
            errno = EIO;
            return false;
        }
        at += written;
        size -= written;
    }
    return true;
}

long long tk_read_file(tk_file_handle file, void* bytes, std::size_t size) noexcept {
    DWORD got = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!::ReadFile(handle_of(file), bytes, piece, &got, nullptr)) return failed(-1LL);
    return got;
}

bool tk_read_file_at(tk_file_handle file, void* bytes, std::size_t size, std::uint64_t offset) noexcept {
    char* at = static_cast<char*>(bytes);
    while (size > 0) {
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(offset);
        where.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(handle_of(file), at, piece, &got, &where)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) {
                errno = 0;
                return false;
            }
            return failed(false);
        }
        if (got == 0) {
            errno = 0;
            return false;
        }
        at += got;
        size -= got;
        offset += got;
    }
    return true;
}

bool tk_flush_file(tk_file_handle file) noexcept {
    return ::FlushFileBuffers(handle_of(file)) ? true : failed(false);
}

std::FILE* tk_open_stream(const std::string& path, const char* mode) noexcept {
    try {
        return ::_wfopen(wide(path).c_str(), wide(mode).c_str());
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return nullptr;
    }
}

bool tk_flush_stream(std::FILE* stream) noexcept {
    if (std::fflush(stream) != 0) return false;
    const HANDLE file = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    return ::FlushFileBuffers(file) ? true : failed(false);
}

std::FILE* tk_open_anonymous_stream(const std::string& folder) noexcept {
    static std::atomic<unsigned> counter{0};
    try {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            std::string name = folder + "\\.sprandel-spool-";
            name += std::to_string(::GetCurrentProcessId());
            name += "-";
            name += std::to_string(++counter);
            name += ".tmp";
            // Deleted by the system when the last handle closes, however the process ends.
            const HANDLE file = ::CreateFileW(wide(name).c_str(), GENERIC_READ | GENERIC_WRITE, share_all, nullptr,
                                              CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                              nullptr);
            if (file == INVALID_HANDLE_VALUE) {
                if (::GetLastError() == ERROR_FILE_EXISTS) continue;
                return failed(nullptr);
            }
            const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDWR | _O_BINARY);
            if (fd < 0) {
                ::CloseHandle(file);
                return nullptr;
            }
            std::FILE* stream = ::_fdopen(fd, "w+b");
            if (stream == nullptr) ::_close(fd);
            return stream;
        }
        errno = EEXIST;
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
    }
    return nullptr;
}

namespace {

tk_file_status status_from(DWORD attributes, DWORD size_high, DWORD size_low, bool follow_links) {
    tk_file_status status;
    status.size = (std::uint64_t{size_high} << 32) | size_low;
    if (!follow_links && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) status.kind = tk_file_kind::symbolic_link;
    else if (attributes & FILE_ATTRIBUTE_DIRECTORY) status.kind = tk_file_kind::folder;
    else if (attributes & FILE_ATTRIBUTE_DEVICE) status.kind = tk_file_kind::device;
    else status.kind = tk_file_kind::regular;
    return status;
}

}  // namespace

std::optional<tk_file_status> tk_status_of(const std::string& path, bool follow_links) noexcept {
    try {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (::GetFileAttributesExW(wide(path).c_str(), GetFileExInfoStandard, &data))
            return status_from(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, follow_links);
        const DWORD code = ::GetLastError();
        errno = error_number_of(code);
        if (errno == ENOENT || errno == ENOTDIR || code == ERROR_INVALID_NAME) return tk_file_status{};
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
    }
    return std::nullopt;
}

std::optional<tk_file_status> tk_status_of(tk_file_handle file) noexcept {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle_of(file), &info)) return failed(std::optional<tk_file_status>());
    return status_from(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow, true);
}

bool tk_is_enterable_folder(const std::string& path) noexcept {
    const auto status = tk_status_of(path);
    return status && status->kind == tk_file_kind::folder;
}

long tk_longest_name(const std::string& folder) noexcept {
    try {
        wchar_t volume[MAX_PATH + 1] = {};
        DWORD longest = 0;
        if (::GetVolumePathNameW(wide(folder).c_str(), volume, MAX_PATH) &&
            ::GetVolumeInformationW(volume, nullptr, 0, nullptr, &longest, nullptr, nullptr, 0))
            return static_cast<long>(longest);
    } catch (const std::bad_alloc&) {
    }
    return 0;
}

bool tk_remove_file_name(const std::string& path) noexcept {
    try {
        return ::DeleteFileW(wide(path).c_str()) ? true : failed(false);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return false;
    }
}

namespace {

// True when another program holds path open without letting it be deleted, as Excel does
// with an open workbook; a replace then fails with "access denied", which misleads.
bool is_held_open(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), DELETE, share_all, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        return false;
    }
    return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace

bool tk_rename_over(const std::string& from, const std::string& to) noexcept {
    try {
        const std::wstring destination = wide(to);
        // WRITE_THROUGH: the call returns once the new name is on the disk, as a folder's
        // flush does elsewhere.
        if (::MoveFileExW(wide(from).c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD code = ::GetLastError();
        errno = code == ERROR_ACCESS_DENIED && is_held_open(destination) ? EBUSY : error_number_of(code);
        return false;
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return false;
    }
}

bool tk_hard_link(const std::string& existing, const std::string& new_name) noexcept {
    try {
        // A second name of a file that another program holds open could not be removed
        // again until that program closes it: refused, so the caller copies instead.
        if (is_held_open(wide(existing))) {
            errno = EBUSY;
            return false;
        }
        return ::CreateHardLinkW(wide(new_name).c_str(), wide(existing).c_str(), nullptr) ? true : failed(false);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return false;
    }
}

bool tk_flush_folder(const std::string&) noexcept { return true; }  // MoveFileExW wrote through

bool tk_copy_file_permissions(const std::string&, const std::string&) noexcept {
    // A replaced file's access list stays with the folder's inheritance, as for any new file.
    return true;
}

namespace {

// Volume serial number and file index: st_dev and st_ino are always 0 on Windows.
std::optional<std::pair<DWORD, std::uint64_t>> identity_of(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) return failed(std::optional<std::pair<DWORD, std::uint64_t>>());
    return std::pair{info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

std::optional<std::pair<DWORD, std::uint64_t>> identity_of(const std::string& path) {
    // No access asked: reading the identity works on files others hold open, and on folders.
    const HANDLE file = ::CreateFileW(wide(path).c_str(), 0, share_all, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return failed(std::optional<std::pair<DWORD, std::uint64_t>>());
    auto identity = identity_of(file);
    ::CloseHandle(file);
    return identity;
}

}  // namespace

std::optional<bool> tk_is_one_file(const std::string& first, const std::string& second) noexcept {
    try {
        const auto a = identity_of(first), b = identity_of(second);
        if (!a || !b) return std::nullopt;
        return *a == *b;
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return std::nullopt;
    }
}

std::optional<bool> tk_is_one_file(tk_file_handle file, const std::string& path) noexcept {
    try {
        const auto a = identity_of(handle_of(file)), b = identity_of(path);
        if (!a || !b) return std::nullopt;
        return *a == *b;
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return std::nullopt;
    }
}

tk_lock_result tk_lock_exclusively(tk_file_handle file) noexcept {
    OVERLAPPED whole{};
    if (::LockFileEx(handle_of(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                     &whole))
        return tk_lock_result::locked;
    const DWORD code = ::GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) return tk_lock_result::held_elsewhere;
    errno = error_number_of(code);
    return tk_lock_result::failed;
}

// ---------------------------------------------------------------------------- the program

std::string tk_program_path() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD size = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (size == 0) return {};
        if (size < buffer.size()) return narrow(std::wstring_view(buffer.data(), size));
        buffer.resize(buffer.size() * 2);
    }
}

namespace {

std::optional<std::wstring> wide_environment(const wchar_t* name) {
    const wchar_t* value = ::_wgetenv(name);
    if (value == nullptr) return std::nullopt;
    return std::wstring(value);
}

}  // namespace

fs::path tk_user_settings_folder() {
    // The settings hold the password: a relative folder would put them in the current one.
    const auto folder = wide_environment(L"APPDATA");
    if (!folder || !fs::path(*folder).is_absolute()) return {};
    return fs::path(*folder);
}

std::string tk_temporary_folder() {
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD size = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (size == 0 || size > MAX_PATH + 1) return ".";
    std::wstring folder(buffer, size);
    if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return narrow(folder);
}

std::optional<std::string> tk_environment(const char* name) {
    const auto value = wide_environment(wide(name).c_str());
    if (!value) return std::nullopt;
    return narrow(*value);
}

std::string tk_system_error_text(int error_number) {
    // The C library's text for EBUSY ("Resource device") does not tell a user what to do.
    if (error_number == EBUSY) return "The file is open in another program; close it there and run again";
    char buffer[256] = {};
    if (::strerror_s(buffer, sizeof buffer, error_number) != 0) return "Unknown error";
    return buffer;
}

std::tm tk_local_time(std::time_t moment) noexcept {
    std::tm parts{};
    ::localtime_s(&parts, &moment);
    return parts;
}

std::tm tk_universal_time(std::time_t moment) noexcept {
    std::tm parts{};
    ::gmtime_s(&parts, &moment);
    return parts;
}

// ---------------------------------------------------------------------------- libraries

namespace {

std::string windows_error_text(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD size = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = size > 0 ? narrow(std::wstring_view(text, size)) : std::string();
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    std::string out = "error ";
    out += std::to_string(code);
    if (!message.empty()) {
        out += ": ";
        out += message;
    }
    return out;
}

}  // namespace

void* tk_load_library(const std::string& name, std::string& error) noexcept {
    try {
        // LOAD_WITH_ALTERED_SEARCH_PATH wants backslashes
        const fs::path path = tk_system_path(name).make_preferred();
        // A full path: the library's own folder is searched first for the DLLs it needs (an
        // Oracle home's bin folder holds them). A bare name takes the standard search: the
        // program's folder, System32, the Windows folder, the current folder, PATH.
        const DWORD flags = path.has_parent_path() ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
        // No "cannot find" box from the system in front of a console program.
        const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        HMODULE library = ::LoadLibraryExW(path.c_str(), nullptr, flags);
        const DWORD code = ::GetLastError();
        ::SetErrorMode(previous);
        if (library == nullptr) error = windows_error_text(code);
        return reinterpret_cast<void*>(library);
    } catch (const std::bad_alloc&) {
        error = "out of memory";
        return nullptr;
    }
}

void* tk_library_function(void* library, const char* name) noexcept {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void tk_unload_library(void* library) noexcept { ::FreeLibrary(static_cast<HMODULE>(library)); }

// ---------------------------------------------------------------------------- the console

namespace {

struct local_memory {  // frees what the system allocated with LocalAlloc
    void operator()(wchar_t** memory) const { ::LocalFree(memory); }
};

HANDLE console_of(std::FILE* stream) { return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream))); }

}  // namespace

std::vector<std::string> tk_program_arguments(int, char**) {
    int count = 0;
    const std::unique_ptr<wchar_t*, local_memory> arguments(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> out;
    if (arguments == nullptr) return out;
    for (int i = 0; i < count; ++i) out.push_back(narrow(arguments.get()[i]));
    return out;
}

void tk_use_utf8_console() noexcept {
    ::SetConsoleOutputCP(CP_UTF8);
    ::SetConsoleCP(CP_UTF8);
}

bool tk_is_terminal(std::FILE* stream) noexcept {
    DWORD mode = 0;
    return ::GetConsoleMode(console_of(stream), &mode) != 0;
}

std::size_t tk_terminal_columns(std::FILE* stream) noexcept {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(console_of(stream), &info)) return 0;
    return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

bool tk_enable_colours(std::FILE* stream) noexcept {
    DWORD mode = 0;
    const HANDLE console = console_of(stream);
    if (!::GetConsoleMode(console, &mode)) return false;
    return ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

namespace {

void (*stop_handler)() = nullptr;

}  // namespace

BOOL WINAPI tk_console_control_event(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        if (stop_handler != nullptr) stop_handler();
        // A closed console ends the process once this returns: give the run a moment to
        // remove its temporary files first.
        if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) ::Sleep(2000);
        return TRUE;
    default: return FALSE;
    }
}

void tk_on_stop_request(void (*handler)()) noexcept {
    stop_handler = handler;
    ::SetConsoleCtrlHandler(tk_console_control_event, TRUE);
}

bool tk_reopen_closed_standard_streams() noexcept {
    // A program started without standard handles gets invalid ones that no later file
    // takes over: nothing to do.
    return true;
}
