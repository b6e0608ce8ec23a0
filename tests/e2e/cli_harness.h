// Runs sprandel-cli as a child process against the OCI emulator and reads workbooks back with
// an independent reader, for end-to-end tests.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cwchar>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../support/emulator.h"
#include "../support/workbook_reader.h"

struct cli_result {
    int exit_code = -1;  // -1 when ended by a signal
    int signal = 0;
    std::string out;
    std::string err;
};

struct cli_options {
    std::map<std::string, std::string> environment;  // added to the child's environment
    std::function<bool()> signal_when;               // send signal_number once this holds
    int signal_number = SIGINT;
    enum class output { file, closed, pipe_without_reader } stdout_is = output::file;
};

#ifdef _WIN32
namespace windows_child {

inline std::wstring wide(const std::string& text) {
    std::wstring out(text.size(), L'\0');
    out.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), static_cast<int>(out.size()))));
    return out;
}

// The parent's environment with the given variables set; sorted, as CreateProcessW wants it.
inline std::wstring environment_block(std::map<std::string, std::string> changes) {
    std::map<std::wstring, std::wstring> variables;
    const wchar_t* block = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
        const std::wstring text(entry);
        const auto equals = text.find(L'=', 1);
        if (equals != std::wstring::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    ::FreeEnvironmentStringsW(const_cast<wchar_t*>(block));
    for (const auto& [name, value] : changes) variables[wide(name)] = wide(value);
    std::wstring out;
    for (const auto& [name, value] : variables) out += name + L"=" + value + L'\0';
    return out + L'\0';
}

// Quoted for CommandLineToArgvW: backslashes double only before a quote.
inline std::wstring quoted(const std::wstring& argument) {
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') { ++slashes; continue; }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    return out.append(slashes * 2, L'\\') + L"\"";
}

inline HANDLE inheritable_file(const std::string& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace windows_child

// Runs the program with the emulator's oci.dll found through PATH; stdout and stderr are
// kept. signal_when sends Ctrl-Break to the child's own process group (Ctrl-C cannot be
// sent to another group). Closed or broken standard output is not made here.
inline cli_result run_cli(const std::vector<std::string>& arguments, const cli_options& options = {}) {
    using namespace windows_child;
    temp_folder capture;
    const std::string out_path = capture.file("out"), err_path = capture.file("err");
    std::map<std::string, std::string> environment = options.environment;
    const char* path = std::getenv("PATH");
    environment["PATH"] = std::filesystem::path(OCIEMU_FOLDER).make_preferred().string() + ";" + (path ? path : "");
    std::wstring block = environment_block(environment);
    std::wstring command = quoted(wide(SPRANDEL_CLI));
    for (const std::string& argument : arguments) command += L" " + quoted(wide(argument));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inheritable_file("NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = inheritable_file(out_path, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = inheritable_file(err_path, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION child{};
    const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                                          CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP, block.data(),
                                          nullptr, &startup, &child);
    for (const HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) ::CloseHandle(handle);
    if (!started) throw std::runtime_error("cannot start " SPRANDEL_CLI);
    const auto start = std::chrono::steady_clock::now();
    bool signalled = false;
    while (::WaitForSingleObject(child.hProcess, 10) == WAIT_TIMEOUT) {
        if (!signalled && options.signal_when && options.signal_when()) {
            ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, child.dwProcessId);
            signalled = true;
        }
        if (std::chrono::steady_clock::now() - start > std::chrono::minutes(5))
            ::TerminateProcess(child.hProcess, 255);  // a hung child must not hang the suite
    }
    DWORD code = 0;
    ::GetExitCodeProcess(child.hProcess, &code);
    ::CloseHandle(child.hProcess);
    ::CloseHandle(child.hThread);
    // the console's text mode ends lines with CR LF, as Windows programs do; compared as "\n"
    const auto lines = [](std::string text) {
        for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
        return text;
    };
    cli_result result;
    result.exit_code = static_cast<int>(code);
    result.out = lines(read_file(out_path));
    result.err = lines(read_file(err_path));
    return result;
}
#else
// Runs the program with the emulator first on LD_LIBRARY_PATH; stdout and stderr are kept.
inline cli_result run_cli(const std::vector<std::string>& arguments, const cli_options& options = {}) {
    temp_folder capture;
    const std::string out_path = capture.file("out"), err_path = capture.file("err");
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        if (options.stdout_is == cli_options::output::closed) ::close(1);
        if (int ends[2]; options.stdout_is == cli_options::output::pipe_without_reader && ::pipe(ends) == 0) {
            ::close(ends[0]);  // as "| head -1" after its line
            ::dup2(ends[1], 1);
        }
        ::dup2(::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        ::dup2(::open("/dev/null", O_RDONLY), 0);
        ::setenv("LD_LIBRARY_PATH", OCIEMU_FOLDER, 1);
        for (const auto& [name, value] : options.environment) ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<std::string> copies = arguments;
        copies.insert(copies.begin(), SPRANDEL_CLI);
        std::vector<char*> argv;
        for (auto& argument : copies) argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execv(SPRANDEL_CLI, argv.data());
        ::_exit(127);
    }
    const auto start = std::chrono::steady_clock::now();
    bool signalled = false;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) != child) {
        if (!signalled && options.signal_when && options.signal_when()) {
            ::kill(child, options.signal_number);
            signalled = true;
        }
        if (std::chrono::steady_clock::now() - start > std::chrono::minutes(5))
            ::kill(child, SIGKILL);  // a hung child must not hang the suite
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    cli_result result;
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = read_file(out_path);
    result.err = read_file(err_path);
    return result;
}
#endif

// A job profile with the given settings; lines end with CR LF as the program writes them.
struct job_profile {
    std::string src = "DEMO";
    std::string password = "demo";
    std::string dest;
    int format_version = 2;
    bool dates_to_strings = false;
    bool split_data = false;
    std::vector<std::string> tables;
    std::map<std::string, std::string> queries;

    std::string text() const {
        std::string out = "[Generic settings]\r\ndest=" + dest + "\r\nsrc=" + src + "\r\n\r\n";
        out += "[MS Excel settings]\r\nconvert dates to strings=" + std::string(dates_to_strings ? "1" : "0") +
               "\r\nformat version=" + std::to_string(format_version) +
               "\r\nsplit data=" + std::string(split_data ? "1" : "0") + "\r\nwrap text=1\r\n\r\n";
        out += "[Oracle settings]\r\npassword=" + password + "\r\nuser=DEMO\r\n\r\n[Selected Tables]\r\n";
        for (const auto& table : tables) out += table + "\r\n";
        for (const auto& [name, sql] : queries) out += name + "=" + sql + "\r\n";
        return out;
    }
    void write(const std::string& path) const { write_file(path, text()); }
};

// A job of the given tables into dest.
inline job_profile demo_job(const std::string& dest, int format_version, std::vector<std::string> tables) {
    job_profile job;
    job.dest = dest;
    job.format_version = format_version;
    job.tables = std::move(tables);
    return job;
}

// Builds an emulator database SERVICE.db in folder: the demo database with SQL run on it.
// A run finds it with OCIEMU_DATA set to folder.
inline void make_database(const std::filesystem::path& folder, const std::string& service, const std::string& sql) {
    emulator_database(folder, service, OCIEMU_FOLDER "/data/DEMO.db", {sql});
}

// Files in folder other than the expected ones, such as temporary files a run must not leave.
inline std::vector<std::string> stray_files(const std::filesystem::path& folder,
                                            const std::vector<std::string>& expected) {
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) stray.push_back(name);
    }
    return stray;
}
