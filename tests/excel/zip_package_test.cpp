// Tests of the ZIP package writer: entries read back, the temporary file and its rename,
// and a failed rename that must leave nothing behind (a full disk, a missing folder and an
// aborted run are proved by the end-to-end runs, ZIP64 sizes by the workbook writer's test).
#include "excel/xlsx/zip_package.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "../support/temp_folder.h"
#include "toolkit/exception.h"
#include "xlsx_test_support.h"

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
    EXPECT_EQ(entry_names(folder.path()).size(), 1u);
    EXPECT_LT(std::filesystem::file_size(destination), 100'000u);  // deflated
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
#ifdef _WIN32
            const std::string reason = "Permission denied";  // what MoveFileExW says of a folder
#else
            const std::string reason = "Is a directory";
#endif
            EXPECT_EQ(error.message(), "Cannot put the finished workbook in place as \"" + destination + "\": " +
                                           reason + ".");
        }
    }
    EXPECT_EQ(entry_names(folder.path()).size(), 1u);
    EXPECT_EQ(read_file(folder.path() / "book.xlsx" / "keep.txt"), "kept");
}
