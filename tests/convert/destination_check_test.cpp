// The destination check before a run: what is refused.
#include "convert/destination_check.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cerrno>
#include <filesystem>

#include <gtest/gtest.h>

#include "../support/temp_folder.h"
#include "convert/job.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"

namespace {

constexpr const char* folder_text = "Destination name should specify a file, not folder.";
constexpr const char* read_only_text = "Destination name specifies an existing read-only file.";
constexpr const char* missing_path_text = "Destination path does not exist.\nPlease verify the correct path was given.";

std::string rejection_of(const std::string& path) {
    try {
        common_check_dest(path);
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.level(), 1) << path;
        return error.message();
    }
    return "accepted";
}

class destination_check : public ::testing::Test {
protected:
    temp_folder folder_;
};

}  // namespace

TEST_F(destination_check, folders_are_refused) {
    EXPECT_EQ(rejection_of("/"), folder_text);
    EXPECT_EQ(rejection_of(folder_.path().string()), folder_text);
    EXPECT_EQ(rejection_of(folder_.path().string() + "/"), folder_text);
    EXPECT_EQ(rejection_of(folder_.file("new") + "/"), folder_text);  // a trailing "/" names a folder
    EXPECT_EQ(rejection_of(""), folder_text);
}

// Fault: a FIFO, /dev/null or /dev/full was "an existing read-only file".
TEST_F(destination_check, a_fifo_or_a_device_is_refused_as_what_it_is) {
#ifdef _WIN32
    GTEST_SKIP() << "FIFOs and /dev are POSIX's";
#else
    const std::string fifo = folder_.file("pipe.xlsx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(rejection_of(fifo),
              "The destination " + fifo +
                  " is a FIFO (named pipe), not a workbook file. Choose the name of a workbook file.");
    EXPECT_EQ(rejection_of("/dev/null"),
              "The destination /dev/null is a device, not a workbook file. Choose the name of a workbook file.");
    EXPECT_EQ(std::filesystem::status(fifo).type(), std::filesystem::file_type::fifo);
#endif
}

TEST_F(destination_check, an_existing_file_must_open_for_writing) {
    // The running test program cannot be opened for writing, not even by root.
    EXPECT_EQ(rejection_of(module_path()), read_only_text);
    const std::string writable = folder_.file("old.xls");
    write_file(writable, "old workbook");
    EXPECT_EQ(rejection_of(writable), "accepted");
}

TEST_F(destination_check, the_folder_must_exist) {
    EXPECT_EQ(rejection_of(folder_.file("no/such/folder/out.xlsx")), missing_path_text);
    EXPECT_EQ(rejection_of(folder_.file("out.xlsx")), "accepted");
    EXPECT_FALSE(std::filesystem::exists(folder_.file("out.xlsx")));  // checking creates nothing
}

TEST_F(destination_check, an_extension_that_contradicts_the_format_is_refused_naming_both) {
    const std::string xls = folder_.file("report.xls"), xlsx = folder_.file("report.XLSX");
    try {
        common_check_dest(xls, workbook_format::excel_2010);
        ADD_FAILURE() << "an .xls name was accepted for Excel 2010";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(), "The destination " + xls + " has the extension .xls, but the format Excel 2010 " +
                                       "writes .xlsx workbooks.\nChoose a name ending in .xlsx or another format.");
        EXPECT_EQ(error.level(), 1);
    }
    for (const auto excel_97_or_older : {workbook_format::excel_50, workbook_format::excel_2000}) {
        EXPECT_THROW(common_check_dest(xlsx, excel_97_or_older), tk_exception);
        EXPECT_NO_THROW(common_check_dest(xls, excel_97_or_older));
    }
    EXPECT_NO_THROW(common_check_dest(xlsx, workbook_format::excel_2010));
    EXPECT_NO_THROW(common_check_dest(folder_.file("report"), workbook_format::excel_2010));  // no extension contradicts nothing
}

namespace {

class job_destination : public destination_check {
protected:
    job work_;
};

}  // namespace

// An old workbook untouched by the check, its folder probed without a trace: fault_durability's
// size_limited_run (earlier workbook kept, no stray file).
TEST_F(job_destination, the_log_file_and_the_profile_are_never_the_destination) {
    const auto refusal = [&] {
        try {
            check_job_destination(work_);
        } catch (const tk_exception& error) {
            return error.message();
        }
        return std::string("accepted");
    };
    work_.log_file = folder_.file("run.log");
    work_.destination = folder_.path().string() + "/./run.log";  // not written yet: the same path
    EXPECT_EQ(refusal(), "Destination name specifies the log file.");
    work_.log_file.clear();
    work_.profile_path = folder_.file("job.spr");
    write_file(work_.profile_path, "[Generic settings]");
#ifdef _WIN32
    // names differing in case lead to one file (volume serial and file index tell it)
    const std::string link = folder_.file("JOB.spr");
#else
    const std::string link = folder_.file("link.spr");
    std::filesystem::create_symlink(work_.profile_path, link);
#endif
    work_.destination = link;  // another name of the same file
    EXPECT_EQ(refusal(), "Destination name specifies the profile.");
}

// Faults: the user's report(1).xls beside report.xls was replaced by part 1; a leaf name of
// 253 bytes failed with "File name too long" only after every table had been read.
TEST_F(job_destination, part_names_that_are_not_this_destinations_parts_or_too_long_stop_the_run) {
    work_.format = workbook_format::excel_2000;
    work_.split_data = true;
    work_.destination = folder_.file("report.xls");
    const std::string users = folder_.file("report(12).xls");
    write_file(users, "the user's own");
    write_file(folder_.file("report(x).xls"), "not a part name");
    try {
        check_job_destination(work_);
        ADD_FAILURE() << "accepted";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(), "The file " + users + " has the name of a part workbook of " + work_.destination +
                                       " but was not written as one; it is not overwritten. Move or rename it, or "
                                       "turn split data off.");
    }
    EXPECT_EQ(read_file(users), "the user's own");
    work_.split_data = false;  // no part is written
    EXPECT_NO_THROW(check_job_destination(work_));

    work_.split_data = true;
    work_.destination = folder_.file(std::string(249, 'n') + ".xls");  // 253 bytes; part 1 has 256
    try {
        check_job_destination(work_);
        ADD_FAILURE() << "accepted";
    } catch (const tk_exception& error) {
        EXPECT_NE(error.message().find("would have names too long for the file system (256 bytes"), std::string::npos)
            << error.message();
    }
}
