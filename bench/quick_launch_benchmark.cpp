// Runs one whole job (connect, read BENCH_ROWS, write the workbook) per format over the OCI
// emulator with 200 microseconds per round trip, each in a child process so that its peak
// memory is its own, and prints rows per second, round trips and peak memory.
//   quick_launch_benchmark [ROWS] [FOLDER]
#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cli/console_user_interface.h"
#include "convert/error_handler.h"
#include "convert/error_tables.h"
#include "convert/conversion_run.h"
#include "convert/job_session.h"
#include "oracle/oracle_session.h"

namespace {

const char* const format_names[] = {"Excel 5.0 (.xls)", "Excel 2000 (.xls)", "Excel 2010 (.xlsx)"};
const char* const extensions[] = {".xls", ".xls", ".xlsx"};

// The child: one conversion in this process. Prints "seconds round_trips".
int convert_once(int format, const std::string& folder) {
    console_user_interface face(stdout, stderr, false);
    const auto handler = create_error_handler(&face);
    job_session session(folder + "/settings.conf");
    job& work = session.work();
    work.connection = {"", "1521", "BENCH", "BENCH", "bench"};
    work.destination = folder + "/bench" + std::to_string(format) + extensions[format];
    work.format = static_cast<workbook_format>(format);
    work.split_data = true;  // 100,000 rows outgrow an .xls sheet
    work.tables = {"BENCH_ROWS"};
    session.connect();
    session.tables();
    session.check_destination();
    conversion_run run(work, session.oracle(), *handler, &face);
    const auto start = std::chrono::steady_clock::now();
    run();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (run.was_stopped() || face.error_count() != 0) {
        std::fprintf(stderr, "the conversion reported errors\n");
        return 1;
    }
    void* library = ::dlopen("libclntsh.so", RTLD_NOW | RTLD_NOLOAD);
    auto* round_trips = library ? reinterpret_cast<unsigned long long (*)()>(::dlsym(library, "ociemu_round_trips")) : nullptr;
    std::printf("RESULT %.3f %llu\n", seconds, round_trips ? round_trips() : 0ULL);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--one") return convert_once(std::atoi(argv[2]), argv[3]);

    const long rows = argc > 1 ? std::atol(argv[1]) : 100'000;
    const std::string folder = argc > 2 ? argv[2] : (std::filesystem::temp_directory_path() / "sprandel-bench").string();
    std::filesystem::create_directories(folder);
    const std::string database = folder + "/BENCH.db";
    std::filesystem::remove(database);
    const std::string make = std::string(BENCH_DB_PROGRAM) + " '" + database + "' " + std::to_string(rows);
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "cannot build the benchmark database\n");
        return 1;
    }
    std::printf("%ld rows x 10 columns, OCIEMU_RTT_US=200\n", rows);
    std::printf("%-20s %10s %12s %12s %14s\n", "format", "seconds", "rows/s", "round trips", "peak memory");
    for (int format = 0; format < 3; ++format) {
        int channel[2];
        if (::pipe(channel) != 0) return 1;
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(channel[1], 1);
            ::close(channel[0]);
            ::setenv("LD_LIBRARY_PATH", OCIEMU_FOLDER, 1);
            ::setenv("OCIEMU_DATA", folder.c_str(), 1);
            ::setenv("OCIEMU_RTT_US", "200", 1);
            const std::string format_text = std::to_string(format);
            const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
            ::execl(self.c_str(), self.c_str(), "--one", format_text.c_str(), folder.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(channel[1]);
        std::string output;
        char buffer[4096];
        for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) output.append(buffer, got);
        ::close(channel[0]);
        int status = 0;
        struct rusage usage {};
        ::wait4(child, &status, 0, &usage);
        double seconds = 0;
        unsigned long long round_trips = 0;
        const auto result = output.find("RESULT ");
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || result == std::string::npos ||
            std::sscanf(output.c_str() + result, "RESULT %lf %llu", &seconds, &round_trips) != 2) {
            std::printf("%-20s failed\n%s", format_names[format], output.c_str());
            continue;
        }
        std::printf("%-20s %10.2f %12.0f %12llu %11.1f MB\n", format_names[format], seconds, rows / seconds,
                    round_trips, usage.ru_maxrss / 1024.0);
    }
    return 0;
}
