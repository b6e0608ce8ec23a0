// The whole sprandel-cli run, reading included, over the OCI emulator on a table of 20
// columns (10 texts, 8 NUMBER(12,2), 2 DATE), per format: rows per second, peak memory (the
// child's max RSS) and file size, beside libxlsxwriter in constant-memory mode only writing
// the same cells. Texts are all different, then repeat from small pools.
//   flat_memory_benchmark [ROWS] [FOLDER] [xlsx]     (xlsx: only .xlsx and the baseline)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <xlsxwriter.h>

#include "wide_rows.h"

namespace {

const char* const format_names[] = {"Excel 5.0 (.xls)", "Excel 2000 (.xls)", "Excel 2010 (.xlsx)"};
const char* const extensions[] = {".xls", ".xls", ".xlsx"};

struct outcome {
    bool ok = false;
    double seconds = 0;
    double cpu_seconds = 0;  // user + system: what a busy shared machine does not inflate
    double peak_mb = 0;
};

// Runs body in a child process and measures its wall time and peak memory.
outcome measure(const std::function<int()>& body) {
    std::fflush(stdout);  // or the child would print it again
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    outcome result;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
    result.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

// The main workbook and its parts name(1).ext, name(2).ext ...
std::uintmax_t workbook_bytes(const std::string& folder, const std::string& name, const char* extension) {
    std::uintmax_t total = 0;
    std::error_code error;
    total += std::filesystem::file_size(folder + "/" + name + extension, error);
    for (int part = 1;; ++part) {
        const std::string path = folder + "/" + name + "(" + std::to_string(part) + ")" + extension;
        if (!std::filesystem::exists(path)) break;
        total += std::filesystem::file_size(path, error);
    }
    return total;
}

void remove_workbooks(const std::string& folder, const std::string& name, const char* extension) {
    std::error_code ignored;
    std::filesystem::remove(folder + "/" + name + extension, ignored);
    for (int part = 1; std::filesystem::remove(folder + "/" + name + "(" + std::to_string(part) + ")" + extension, ignored);
         ++part) {
    }
}

int run_cli(const std::string& folder, int format) {
    const std::string job = folder + "/job" + std::to_string(format) + ".spr";
    std::ofstream out(job, std::ios::binary);
    out << "[Generic settings]\r\ndest=" << folder << "/wide" << extensions[format]
        << "\r\nmode=0\r\nonly definitions=0\r\nskip indexes=1\r\nsrc=BENCH\r\n"
        << "[MS Excel settings]\r\nconvert dates to strings=0\r\nformat version=" << format
        << "\r\nsplit data=1\r\nwrap text=0\r\n"
        << "[Oracle settings]\r\npassword=bench\r\nport=1521\r\nuser=BENCH\r\n"
        << "[Selected Tables]\r\nWIDE_ROWS\r\n";
    out.close();
    if (!out) return 3;
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return 3;
    ::setenv("LD_LIBRARY_PATH", OCIEMU_FOLDER, 1);
    ::setenv("OCIEMU_DATA", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    ::execl(SPRANDEL_CLI, SPRANDEL_CLI, job.c_str(), nullptr);
    return 127;
}

// The same cells as the table, header row first, written by libxlsxwriter alone.
int run_libxlsxwriter(const std::string& path, long long rows, bool pooled) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = nullptr;
    lxw_workbook* workbook = workbook_new_opt(path.c_str(), &options);
    if (workbook == nullptr) return 3;
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "WIDE_ROWS");
    lxw_format* date = workbook_add_format(workbook);
    format_set_num_format(date, "yyyy-mm-dd");
    for (int c = 0; c < 20; ++c) {
        char name[8];
        std::snprintf(name, sizeof name, c < 10 ? "T%02d" : c < 18 ? "N%02d" : "D%02d", c < 10 ? c + 1 : c < 18 ? c - 9 : c - 17);
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), name, nullptr);
    }
    char text[64];
    for (long long i = 1; i <= rows; ++i) {
        const auto r = static_cast<lxw_row_t>(i);
        for (int c = 0; c < wide_rows::text_columns; ++c) {
            wide_rows::text(text, i, c, pooled);
            worksheet_write_string(sheet, r, static_cast<lxw_col_t>(c), text, nullptr);
        }
        for (int c = 0; c < wide_rows::number_columns; ++c)
            worksheet_write_number(sheet, r, static_cast<lxw_col_t>(10 + c), wide_rows::number(i, c), nullptr);
        for (int c = 0; c < wide_rows::date_columns; ++c) {
            const wide_rows::date day = wide_rows::day_of(i, c);
            lxw_datetime value{day.year, day.month, day.day, 0, 0, 0};
            worksheet_write_datetime(sheet, r, static_cast<lxw_col_t>(18 + c), &value, date);
        }
    }
    return workbook_close(workbook) == LXW_NO_ERROR ? 0 : 4;
}

void print_line(const char* name, const outcome& result, long long rows, std::uintmax_t bytes) {
    if (!result.ok) {
        std::printf("%-22s failed\n", name);
        return;
    }
    std::printf("%-22s %9.2f %9.2f %11.0f %10.1f MB %10.1f MB\n", name, result.seconds, result.cpu_seconds,
                static_cast<double>(rows) / result.seconds, result.peak_mb, static_cast<double>(bytes) / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    const long long rows = argc > 1 ? std::atoll(argv[1]) : 100'000;
    const std::string folder = argc > 2 ? argv[2] : (std::filesystem::temp_directory_path() / "sprandel-flat").string();
    const bool xlsx_only = argc > 3 && std::string(argv[3]) == "xlsx";
    std::filesystem::create_directories(folder);
    for (const bool pooled : {false, true}) {
        const std::string database = folder + "/BENCH.db";
        std::filesystem::remove(database);
        const std::string make = std::string(BENCH_DB_PROGRAM) + " '" + database + "' " + std::to_string(rows) +
                                 (pooled ? " pooled" : " wide");
        if (std::system(make.c_str()) != 0) {
            std::fprintf(stderr, "cannot build the benchmark database\n");
            return 1;
        }
        std::printf("\n%lld rows x 20 columns, texts %s\n", rows,
                    pooled ? "from pools of 10 to 10,000 values" : "all different");
        std::printf("%-22s %9s %9s %11s %13s %13s\n", "writer", "seconds", "cpu s", "rows/s", "peak memory",
                    "file size");
        for (int format = xlsx_only ? 2 : 0; format < 3; ++format) {
            remove_workbooks(folder, "wide", extensions[format]);
            const outcome result = measure([&] { return run_cli(folder, format); });
            print_line(format_names[format], result, rows, workbook_bytes(folder, "wide", extensions[format]));
            remove_workbooks(folder, "wide", extensions[format]);
        }
        const std::string baseline = folder + "/libxlsxwriter.xlsx";
        const outcome result = measure([&] { return run_libxlsxwriter(baseline, rows, pooled); });
        std::error_code error;
        print_line("libxlsxwriter (write)", result, rows, std::filesystem::file_size(baseline, error));
        std::filesystem::remove(baseline, error);
    }
    return 0;
}
