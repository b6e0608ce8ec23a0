// Runs sprandel-cli as a child process against the OCI emulator and reads workbooks back with
// an independent reader, for end-to-end tests.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../support/temp_folder.h"

struct cli_result {
    int exit_code = -1;      // -1 when ended by a signal
    int signal = 0;
    std::string out;
    std::string err;
};

struct cli_options {
    std::map<std::string, std::string> environment;  // added to the child's environment
    std::string interrupt_when_output_has;            // send SIGINT once stdout holds this text
    std::function<bool()> interrupt_when;             // send interrupt_signal once this holds
    int interrupt_signal = SIGINT;
    std::function<bool()> kill_when;                  // send SIGKILL once this holds
    std::function<bool()> signal_when;                // send signal_number once this holds
    int signal_number = SIGINT;
};

// Runs the program with the emulator first on LD_LIBRARY_PATH; stdout and stderr are kept.
inline cli_result run_cli(const std::vector<std::string>& arguments, const cli_options& options = {}) {
    temp_folder capture;
    const std::string out_path = capture.file("out"), err_path = capture.file("err");
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(out, 1), ::dup2(err, 2), ::dup2(in, 0);
        ::setenv("LD_LIBRARY_PATH", OCIEMU_FOLDER, 1);
        for (const auto& [name, value] : options.environment) ::setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        std::string program = SPRANDEL_CLI;
        argv.push_back(program.data());
        std::vector<std::string> copies = arguments;
        for (auto& argument : copies) argv.push_back(argument.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    const auto start = std::chrono::steady_clock::now();
    bool interrupted = false, killed = false;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) break;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        if (!interrupted && options.interrupt_when && options.interrupt_when()) {
            ::kill(child, options.interrupt_signal);
            interrupted = true;
        }
        if (!interrupted && options.signal_when && options.signal_when()) {
            ::kill(child, options.signal_number);
            interrupted = true;
        }
        if (!killed && options.kill_when && options.kill_when()) {
            ::kill(child, SIGKILL);
            killed = true;
        }
        if (!interrupted && !options.interrupt_when_output_has.empty() &&
            read_file(out_path).find(options.interrupt_when_output_has) != std::string::npos) {
            ::kill(child, SIGINT);
            interrupted = true;
        }
        if (elapsed > 300'000) ::kill(child, SIGKILL);  // a hung child must not hang the suite
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    cli_result result;
    if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = read_file(out_path);
    result.err = read_file(err_path);
    return result;
}

// One sheet as the reader saw it: cells as "n:1.5", "s:text", "d:2020-01-01T10:00:00.000",
// "b:1", "e:" (see tests/support/dump_workbook.py).
struct read_sheet {
    std::string name;
    std::vector<std::vector<std::string>> rows;
};

inline std::vector<std::string> split_tabs(const std::string& line) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        pieces.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return pieces;
        start = tab + 1;
    }
}

// Reads a workbook with xlrd (.xls) or openpyxl (.xlsx). Throws when the reader fails.
inline std::vector<read_sheet> read_workbook(const std::string& path) {
    const std::string command = "/usr/bin/python3 '" SPRANDEL_SOURCE_DIR "/tests/support/dump_workbook.py' '" +
                                path + "' 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot start the workbook reader");
    std::string text;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
    if (::pclose(pipe) != 0) throw std::runtime_error("the reader refused " + path + ":\n" + text);
    std::vector<read_sheet> sheets;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto pieces = split_tabs(line);
        if (pieces[0] == "sheet") {
            sheets.push_back({pieces.at(1), {}});
        } else if (pieces[0] == "R" && !sheets.empty()) {
            sheets.back().rows.emplace_back(pieces.begin() + 1, pieces.end());
        }
    }
    return sheets;
}

// The sheet of that name; throws when there is none.
inline const read_sheet& find_sheet(const std::vector<read_sheet>& sheets, const std::string& name) {
    for (const auto& sheet : sheets)
        if (sheet.name == name) return sheet;
    throw std::runtime_error("no sheet " + name);
}

// A job profile with the given settings; lines end with CR LF as the program writes them.
struct job_profile {
    std::string src = "DEMO";
    std::string user = "DEMO";
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
        out += "[Oracle settings]\r\npassword=" + password + "\r\nuser=" + user + "\r\n\r\n[Selected Tables]\r\n";
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
    const std::filesystem::path database = folder / (service + ".db"), script = folder / (service + ".sql");
    std::filesystem::copy_file(OCIEMU_FOLDER "/data/DEMO.db", database);
    write_file(script, sql);
    const std::string command = "sqlite3 '" + database.string() + "' < '" + script.string() + "'";
    if (std::system(command.c_str()) != 0) throw std::runtime_error("sqlite3 failed on " + script.string());
    std::filesystem::remove(script);
}

// Files in folder other than the expected ones: temporary files a run must not leave.
inline std::vector<std::string> stray_files(const std::filesystem::path& folder,
                                            const std::vector<std::string>& expected) {
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        bool known = false;
        for (const auto& want : expected) known = known || name == want;
        if (!known) stray.push_back(name);
    }
    return stray;
}
