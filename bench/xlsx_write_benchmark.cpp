// Writes the same rows of ten mixed cells through the workbook writer and through libxlsxwriter
// in constant-memory mode, each in a child process, and prints both times, both peak
// memories and their ratio. Usage: xlsx_write_benchmark [ROWS] [FOLDER]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <xlsxwriter.h>

#include "excel/workbook_writer.h"

namespace {

constexpr int column_count = 10;
const char* const column_names[column_count] = {"Id",    "Price",  "Category", "Customer", "Ordered",
                                                "Paid",  "Amount", "Ratio",    "City",     "Due"};

// The rows, made the same way for both writers: three texts from pools of 100, 10,000 and
// 1,000 values, two dates, a boolean, two integers and two fractions.
struct row_source {
    std::vector<std::string> categories, customers, cities;

    row_source() {
        for (int i = 0; i < 100; ++i) categories.push_back("Category " + std::to_string(i));
        for (int i = 0; i < 10'000; ++i) customers.push_back("Customer number " + std::to_string(i * 7919));
        for (int i = 0; i < 1'000; ++i) cities.push_back("Город " + std::to_string(i));
    }
};

struct civil_date {
    int year, month, day;
};

// The calendar date days after 2000-01-01.
civil_date date_after_2000(int days) {
    int year = 2000, month = 1;
    auto month_length = [](int y, int m) {
        static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        return m == 2 && leap ? 29 : lengths[m - 1];
    };
    int day = days + 1;
    while (day > month_length(year, month)) {
        day -= month_length(year, month);
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    return {year, month, day};
}

struct row_values {
    int id;
    double price;
    const std::string* category;
    const std::string* customer;
    date_time ordered;
    bool paid;
    long long amount;
    double ratio;
    const std::string* city;
    date_time due;
};

// Dates repeat every 4,000 days so the calendar walk stays cheap.
struct date_table {
    std::vector<civil_date> dates;
    date_table() {
        for (int i = 0; i < 4'000; ++i) dates.push_back(date_after_2000(i));
    }
};

row_values make_row(const row_source& source, const date_table& table, int i) {
    row_values row{};
    row.id = i;
    row.price = i * 0.37 + 0.01;
    row.category = &source.categories[static_cast<std::size_t>(i % 100)];
    row.customer = &source.customers[static_cast<std::size_t>((i * 31) % 10'000)];
    const civil_date ordered = table.dates[static_cast<std::size_t>((i / 1440) % 4'000)];
    row.ordered = {ordered.year, static_cast<std::uint8_t>(ordered.month), static_cast<std::uint8_t>(ordered.day),
                   static_cast<std::uint8_t>((i / 60) % 24), static_cast<std::uint8_t>(i % 60),
                   static_cast<std::uint8_t>(i % 59), 0};
    row.paid = i % 3 == 0;
    row.amount = i * 1'000'003LL;
    row.ratio = i / 7.0;
    row.city = &source.cities[static_cast<std::size_t>((i * 17) % 1'000)];
    const civil_date due = table.dates[static_cast<std::size_t>(i % 4'000)];
    row.due = {due.year, static_cast<std::uint8_t>(due.month), static_cast<std::uint8_t>(due.day), 0, 0, 0, 0};
    return row;
}

void write_with_sprandel(const std::string& path, int rows) {
    const row_source source;
    const date_table dates;
    workbook_options options;
    options.wrap_text = false;
    auto book = make_workbook_writer(workbook_format::excel_2010, path, path, options);
    book->add_sheet("Orders", std::vector<std::string>(column_names, column_names + column_count));
    std::vector<cell_value> cells(column_count);
    for (int i = 0; i < rows; ++i) {
        const row_values row = make_row(source, dates, i);
        cells[0] = cell_value::of_integer(row.id);
        cells[1] = cell_value::of_real(row.price);
        cells[2] = cell_value::of_text(*row.category);
        cells[3] = cell_value::of_text(*row.customer);
        cells[4] = cell_value::of_date_time(row.ordered);
        cells[5] = cell_value::of_boolean(row.paid);
        cells[6] = cell_value::of_integer(row.amount);
        cells[7] = cell_value::of_real(row.ratio);
        cells[8] = cell_value::of_text(*row.city);
        cells[9] = cell_value::of_date_time(row.due);
        book->append_row(cells);
    }
    book->finish_sheet();
    book->close();
}

lxw_datetime to_lxw(const date_time& time) {
    return {time.year, time.month, time.day, time.hour, time.minute, static_cast<double>(time.second)};
}

void write_with_libxlsxwriter(const std::string& path, int rows) {
    const row_source source;
    const date_table dates;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(path.c_str(), &options);
    if (workbook == nullptr) std::exit(3);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Orders");
    lxw_format* header = workbook_add_format(workbook);
    format_set_bold(header);
    format_set_align(header, LXW_ALIGN_CENTER);
    format_set_border(header, LXW_BORDER_THIN);
    format_set_bg_color(header, 0xD9D9D9);
    lxw_format* date_time = workbook_add_format(workbook);
    format_set_num_format(date_time, "yyyy-mm-dd hh:mm:ss");
    lxw_format* date = workbook_add_format(workbook);
    format_set_num_format(date, "yyyy-mm-dd");
    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_autofilter(sheet, 0, 0, static_cast<lxw_row_t>(rows), column_count - 1);
    for (int c = 0; c < column_count; ++c)
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), column_names[c], header);
    for (int i = 0; i < rows; ++i) {
        const row_values row = make_row(source, dates, i);
        const auto r = static_cast<lxw_row_t>(i + 1);
        worksheet_write_number(sheet, r, 0, row.id, nullptr);
        worksheet_write_number(sheet, r, 1, row.price, nullptr);
        worksheet_write_string(sheet, r, 2, row.category->c_str(), nullptr);
        worksheet_write_string(sheet, r, 3, row.customer->c_str(), nullptr);
        lxw_datetime ordered = to_lxw(row.ordered);
        worksheet_write_datetime(sheet, r, 4, &ordered, date_time);
        worksheet_write_boolean(sheet, r, 5, row.paid, nullptr);
        worksheet_write_number(sheet, r, 6, static_cast<double>(row.amount), nullptr);
        worksheet_write_number(sheet, r, 7, row.ratio, nullptr);
        worksheet_write_string(sheet, r, 8, row.city->c_str(), nullptr);
        lxw_datetime due = to_lxw(row.due);
        worksheet_write_datetime(sheet, r, 9, &due, date);
    }
    if (workbook_close(workbook) != LXW_NO_ERROR) std::exit(4);
}

struct measurement {
    double seconds = 0;
    double peak_megabytes = 0;
    double file_megabytes = 0;
};

// Runs one writer in a child process, so each peak memory is its own.
measurement measure(const std::function<void(const std::string&, int)>& writer, const std::string& path, int rows) {
    std::filesystem::remove(path);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            writer(path, rows);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "error: %s\n", error.what());
            std::_Exit(2);
        }
        std::_Exit(0);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the writer of %s failed (status %d)\n", path.c_str(), status);
        std::exit(1);
    }
    measurement result;
    result.seconds = std::chrono::duration<double>(end - start).count();
    result.peak_megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    result.file_megabytes = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
    std::filesystem::remove(path);
    return result;
}

void print(const char* name, int rows, const measurement& m) {
    std::printf("%-34s %9d rows  %7.2f s  peak %7.1f MB  file %7.1f MB\n", name, rows, m.seconds, m.peak_megabytes,
                m.file_megabytes);
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    const std::filesystem::path folder = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
    const std::string ours = (folder / "sprandel-bench.xlsx").string();
    const std::string theirs = (folder / "libxlsxwriter-bench.xlsx").string();
    std::printf("%d rows x %d mixed cells\n", rows, column_count);
    const measurement small = measure(write_with_sprandel, ours, rows / 10);
    print("workbook_writer (tenth of the rows)", rows / 10, small);
    const measurement sprandel = measure(write_with_sprandel, ours, rows);
    print("workbook_writer", rows, sprandel);
    const measurement baseline = measure(write_with_libxlsxwriter, theirs, rows);
    print("libxlsxwriter, constant memory", rows, baseline);
    std::printf("time ratio workbook_writer / libxlsxwriter: %.2f (goal: at most 1.00)\n",
                sprandel.seconds / baseline.seconds);
    std::printf("peak memory, tenth of the rows -> all rows: %.1f MB -> %.1f MB\n", small.peak_megabytes,
                sprandel.peak_megabytes);
    return 0;
}
