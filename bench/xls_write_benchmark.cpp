// Writes 65,535 rows x 20 mixed cells through the workbook writer in the Excel 2000 format,
// closes the workbook, and prints the time of each step and the peak memory
// after a quarter and after all of the rows, which stay close when memory is flat in the
// row count (the shared strings of the one column of distinct texts aside).
//
//   xls_write_benchmark [ROWS] [FILE] [pooled]
// With "pooled" the distinct-text column also draws from the pool, which shows the memory
// without the growing shared-string table.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <vector>

#include "excel/workbook_writer.h"

namespace {

constexpr int columns = 20;

long peak_rss_kb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Processor time of this process: on a shared machine it varies less than wall time.
double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// 6 integers, 4 fractions, 5 texts (4 from a small pool, 1 distinct per row), 3 dates,
// 2 booleans.
std::vector<std::string> bench_header() {
    std::vector<std::string> header;
    for (int k = 0; k < columns; ++k) header.push_back(std::string("c").append(std::to_string(k)));
    return header;
}

// The texts live in texts, which the row's values view until the next fill.
void fill(std::vector<cell_value>& row, std::vector<std::string>& texts, std::uint32_t number, const date_time& date,
          bool pooled) {
    for (int k = 0; k < columns; ++k) {
        if (k < 6) row[k] = cell_value::of_integer(number * 7 + k);
        else if (k < 10) row[k] = cell_value::of_real(number * 1.0001 + k / 3.0);
        else if (k < 15) {
            std::string& text = texts[k - 10];
            text = k < 14 ? "pool text " : "distinct ";
            text += std::to_string(k < 14 ? (number + k) % 1000 : pooled ? number % 1000 : number);
            row[k] = cell_value::of_text(text);
        }
        else if (k < 18) row[k] = cell_value::of_date_time(date);
        else row[k] = cell_value::of_boolean((number + k) % 2 == 0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint32_t rows = argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 65535;
    const std::string path = argc > 2 ? argv[2]
                                      : (std::filesystem::temp_directory_path() / "xls_write_benchmark.xls").string();
    const bool pooled = argc > 3 && std::string(argv[3]) == "pooled";
    try {
        std::vector<cell_value> row(columns);
        std::vector<std::string> texts(5);
        const date_time date{2024, 2, 29, 13, 45, 30, 250};

        const double cpu_start = cpu_seconds();
        const auto start = std::chrono::steady_clock::now();
        workbook_options options;
        options.wrap_text = false;
        auto book = make_workbook_writer(workbook_format::excel_2000, path, path, options);
        book->add_sheet("Bench", bench_header());
        long quarter_rss = 0;
        for (std::uint32_t number = 0; number < rows; ++number) {
            fill(row, texts, number, date, pooled);
            book->append_row(row);
            if (number == rows / 4) quarter_rss = peak_rss_kb();
        }
        const double append_time = seconds_since(start);
        book->finish_sheet();
        book->close();
        const double write_time = seconds_since(start);
        const double cpu_time = cpu_seconds() - cpu_start;
        std::printf("rows=%u columns=%d append=%.3f s write+close=%.3f s cpu=%.3f s\n", rows, columns, append_time,
                    write_time, cpu_time);
        std::printf("file=%.1f MB peak_rss_after_quarter=%ld KB peak_rss_end=%ld KB\n",
                    static_cast<double>(std::filesystem::file_size(path)) / 1e6, quarter_rss, peak_rss_kb());
        std::filesystem::remove(path);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "error: %s\n", error.what());
        std::filesystem::remove(path);
        return 1;
    }
    return 0;
}
