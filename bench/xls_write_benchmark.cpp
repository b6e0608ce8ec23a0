// Writes 65,535 rows x 20 mixed cells through the .xls driver in the Excel 2000 format,
// closes and patches the workbook, and prints the time of each step and the peak memory
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

#include "excel/xls/dao_database.h"
#include "excel/xls/dao_engine.h"
#include "excel/xls_engine.h"
#include "values/ole_date.h"

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
udb_schema bench_schema() {
    udb_schema schema;
    for (int k = 0; k < columns; ++k) {
        std::string name = "c";
        name += std::to_string(k);
        if (k < 6) schema.add(t_ftd(4, name, VT_I4));
        else if (k < 10) schema.add(t_ftd(8, name, VT_R8));
        else if (k < 15) schema.add(t_ftd(40, name, VT_BSTR));
        else if (k < 18) schema.add(t_ftd(8, name, VT_DATE));
        else schema.add(t_ftd(2, name, VT_BOOL));
    }
    return schema;
}

void fill(udb_record& record, std::uint32_t row, const ole_variant& date, bool pooled) {
    for (int k = 0; k < columns; ++k) {
        udb_field& field = record[k];
        if (k < 6) field = ole_variant(static_cast<int>(row * 7 + k));
        else if (k < 10) field = ole_variant(row * 1.0001 + k / 3.0);
        else if (k < 15) {
            // appended, not concatenated: GCC 12 warns falsely on "literal" + std::string
            std::string text = k < 14 ? "pool text " : "distinct ";
            text += std::to_string(k < 14 ? (row + k) % 1000 : pooled ? row % 1000 : row);
            field = ole_variant(std::move(text));
        }
        else if (k < 18) field = date;
        else field = ole_variant((row + k) % 2 == 0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::uint32_t rows = argc > 1 ? static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 65535;
    const std::string path = argc > 2 ? argv[2]
                                      : (std::filesystem::temp_directory_path() / "xls_write_benchmark.xls").string();
    const bool pooled = argc > 3 && std::string(argv[3]) == "pooled";
    try {
        dao_engine engine;
        engine.set_version_if(0);
        const udb_schema schema = bench_schema();
        udb_record record;
        for (int k = 0; k < columns; ++k) record.add_field(schema[k].name, 8, ole_variant());
        const ole_variant date = ole_date("2024-02-29 13:45:30.250").to_variant();

        const double cpu_start = cpu_seconds();
        const auto start = std::chrono::steady_clock::now();
        auto book = engine.create_dao_src(path, "Excel 8.0;");
        udb_indexes indexes;
        auto sheet = book->create_table("Bench", schema, indexes);
        long quarter_rss = 0;
        for (std::uint32_t row = 0; row < rows; ++row) {
            fill(record, row, date, pooled);
            sheet->append_record(record);
            if (row == rows / 4) quarter_rss = peak_rss_kb();
        }
        const double append_time = seconds_since(start);
        sheet.reset();
        book->close();
        const double write_time = seconds_since(start);
        book.reset();

        const auto patch_start = std::chrono::steady_clock::now();
        xls_engine_biff format(biff_version::biff8);
        if (!format.patch(path)) {
            std::fprintf(stderr, "patch failed\n");
            return 1;
        }
        const double patch_time = seconds_since(patch_start);
        const double cpu_time = cpu_seconds() - cpu_start;
        std::printf("rows=%u columns=%d append=%.3f s write+close=%.3f s patch=%.3f s total=%.3f s cpu=%.3f s\n",
                    rows, columns, append_time, write_time, patch_time, write_time + patch_time, cpu_time);
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
