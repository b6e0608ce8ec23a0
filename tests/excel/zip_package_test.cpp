// Tests of the ZIP package writer: entries read back, the temporary file and its rename,
// and failures that must leave nothing behind.
#include "excel/xlsx/zip_package.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <random>

#include "../support/temp_folder.h"
#include "excel/xlsx/xlsx_error.h"
#include "toolkit/exception.h"
#include "xlsx_test_support.h"

using SimpleXlsx::zip_package;

namespace {

std::size_t file_count(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

std::string random_bytes(std::size_t size) {
    std::mt19937 generator(7);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    return bytes;
}

std::uint16_t little_endian_16(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

}  // namespace

TEST(zip_package, entries_read_back_in_order_after_commit) {
    temp_folder folder;
    const std::string destination = folder.file("book.xlsx");
    {
        zip_package zip(destination);
        EXPECT_FALSE(std::filesystem::exists(destination));  // only the temporary file so far
        zip.open_entry("[Content_Types].xml");
        zip.write("<Types/>");
        zip.close_entry();
        zip.open_entry("xl/worksheets/sheet1.xml");
        const std::string large(3'000'000, 'r');
        zip.write(large.substr(0, 1'000'000));
        zip.write(large.substr(1'000'000));
        zip.close_entry();
        zip.commit();
    }
    EXPECT_EQ(xlsx_test::zip_entry_names(destination),
              (std::vector<std::string>{"[Content_Types].xml", "xl/worksheets/sheet1.xml"}));
    EXPECT_EQ(xlsx_test::zip_entry(destination, "[Content_Types].xml"), "<Types/>");
    EXPECT_EQ(xlsx_test::zip_entry(destination, "xl/worksheets/sheet1.xml"), std::string(3'000'000, 'r'));
    EXPECT_EQ(file_count(folder.path()), 1u);
    EXPECT_LT(std::filesystem::file_size(destination), 100'000u);  // deflated
}

TEST(zip_package, an_uncommitted_package_leaves_no_file) {
    temp_folder folder;
    {
        zip_package zip(folder.file("book.xlsx"));
        EXPECT_TRUE(std::filesystem::exists(zip.temporary_path()));
        EXPECT_EQ(std::filesystem::path(zip.temporary_path()).parent_path(), folder.path());
        zip.open_entry("a.xml");
        zip.write("partial");
        // destroyed with the entry still open, as when a run is aborted
    }
    EXPECT_EQ(file_count(folder.path()), 0u);
}

TEST(zip_package, a_missing_folder_is_a_clear_error) {
    temp_folder folder;
    const std::string destination = folder.file("missing/book.xlsx");
    try {
        zip_package zip(destination);
        FAIL() << "no error";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(), "Cannot create the workbook \"" + destination + "\": No such file or directory.");
        EXPECT_EQ(error.code(), xlsx_error_code_base + static_cast<int>(xlsx_error::cannot_create_file));
        EXPECT_EQ(error.level(), tk_level_serious);
    }
    EXPECT_EQ(file_count(folder.path()), 0u);
}

TEST(zip_package, a_failed_rename_keeps_what_is_there_and_removes_the_temporary_file) {
    temp_folder folder;
    const std::string destination = folder.file("book.xlsx");
    std::filesystem::create_directory(destination);  // a folder cannot be replaced by a file
    write_file(folder.path() / "book.xlsx" / "keep.txt", "kept");
    {
        zip_package zip(destination);
        zip.open_entry("a.xml");
        zip.write("x");
        zip.close_entry();
        try {
            zip.commit();
            FAIL() << "no error";
        } catch (const tk_exception& error) {
            EXPECT_EQ(error.message(), "Cannot put the finished workbook in place as \"" + destination +
                                           "\": Is a directory.");
        }
    }
    EXPECT_EQ(file_count(folder.path()), 1u);
    EXPECT_EQ(read_file(folder.path() / "book.xlsx" / "keep.txt"), "kept");
}

// A full disk, imitated with a file-size limit in a child process.
TEST(zip_package, a_write_that_does_not_reach_the_disk_stops_with_an_error_and_leaves_nothing) {
    temp_folder folder;
    const std::string destination = folder.file("book.xlsx");
    const std::string data = random_bytes(4'000'000);  // incompressible, so it reaches the file
    auto write_past_the_limit = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1'000'000, 1'000'000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::string message;
        try {
            zip_package zip(destination);
            zip.open_entry("xl/worksheets/sheet1.xml");
            for (std::size_t at = 0; at < data.size(); at += 100'000) zip.write(std::string_view(data).substr(at, 100'000));
            zip.close_entry();
            zip.commit();
        } catch (const tk_exception& error) {
            message = error.message();
        }
        const bool names_the_failure =
            message == "Cannot write the workbook \"" + destination + "\": File too large.";
        std::exit(names_the_failure && file_count(folder.path()) == 0 ? 0 : 1);
    };
    EXPECT_EXIT(write_past_the_limit(), testing::ExitedWithCode(0), "");
    EXPECT_EQ(file_count(folder.path()), 0u);
}

TEST(zip_package, only_entries_that_may_outgrow_4_gib_carry_zip64_sizes) {
    temp_folder folder;
    const std::string destination = folder.file("book.xlsx");
    {
        zip_package zip(destination);
        zip.open_entry("small.xml", false);
        zip.write("s");
        zip.close_entry();
        zip.open_entry("large.xml", true);
        zip.write("l");
        zip.close_entry();
        zip.commit();
    }
    const std::string bytes = read_file(destination);
    // Local header: signature, then name length at 26, extra length at 28, name at 30.
    ASSERT_EQ(bytes.substr(0, 4), "PK\x03\x04");
    EXPECT_EQ(little_endian_16(bytes, 28), 0u);
    const std::size_t second = bytes.find("PK\x03\x04", 4);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(bytes.substr(second + 30, 9), "large.xml");
    ASSERT_GE(little_endian_16(bytes, second + 28), 4u);
    EXPECT_EQ(little_endian_16(bytes, second + 30 + 9), 0x0001u);  // the ZIP64 extra field
    EXPECT_EQ(xlsx_test::zip_entry(destination, "large.xml"), "l");
    EXPECT_EQ(xlsx_test::zip_entry(destination, "small.xml"), "s");
}
