// The settings kept between runs, and the checks of a log file name.
#include "convert/last_run_settings.h"

#include <gtest/gtest.h>

#include "../support/temp_folder.h"
#include "convert/job.h"
#include "convert/job_profile.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"

namespace {

class last_run : public ::testing::Test {
protected:
    std::filesystem::path settings() const { return folder_.path() / "Quorvane" / "Sprandel.conf"; }
    temp_folder folder_;
};

}  // namespace

TEST_F(last_run, settings_survive_to_the_next_run) {
    job work;
    work.format = workbook_format::excel_2010;
    work.dates_to_strings = true;
    work.split_data = true;
    work.wrap_text = false;
    work.destination = "/data/out/Книга.xlsx";
    work.connection = {"db.example", "1522", "ORCL", "scott", "tiger"};
    ASSERT_TRUE(store_last_run(settings(), work, last_run_settings{false}));

    job loaded;
    last_run_settings loaded_settings;
    EXPECT_TRUE(load_last_run(settings(), loaded, loaded_settings));
    EXPECT_EQ(loaded.format, workbook_format::excel_2010);
    EXPECT_TRUE(loaded.dates_to_strings);
    EXPECT_TRUE(loaded.split_data);
    EXPECT_FALSE(loaded.wrap_text);
    EXPECT_FALSE(loaded_settings.open_on_exit);
    EXPECT_EQ(loaded.destination, "/data/out/Книга.xlsx");
    EXPECT_EQ(loaded.connection.service, "ORCL");
    EXPECT_EQ(loaded.connection.host, "db.example");
    EXPECT_EQ(loaded.connection.user, "scott");
    EXPECT_EQ(loaded.connection.password, "tiger");
    EXPECT_EQ(loaded.connection.port, "1522");
}

TEST_F(last_run, missing_values_take_defaults_but_an_empty_port_stays_empty) {
    std::filesystem::create_directories(settings().parent_path());
    write_file(settings(), "[Sprandel]\nport=sz:\nsrc=sz:XE\n");
    job work;
    last_run_settings values;
    EXPECT_FALSE(load_last_run(settings(), work, values));  // not every value was there
    EXPECT_EQ(work.connection.port, "");
    EXPECT_EQ(work.connection.service, "XE");
    EXPECT_EQ(work.format, workbook_format::excel_2000);
    EXPECT_TRUE(work.wrap_text);
    EXPECT_TRUE(values.open_on_exit);

    write_file(settings(), "[Sprandel]\nengine=dword:00000007\n");  // a foreign format number
    job other;
    other.format = workbook_format::excel_50;
    load_last_run(settings(), other, values);
    EXPECT_EQ(other.connection.port, "1521");
    EXPECT_EQ(other.format, workbook_format::excel_2000);
}

TEST_F(last_run, an_unwritable_settings_location_is_reported_not_thrown) {
    EXPECT_FALSE(store_last_run("/proc/sprandel-nowhere/Sprandel.conf", job{}, last_run_settings{}));
}

namespace {

class log_file_checks : public last_run {
protected:
    void TearDown() override {
        tk_log::instance().enable(false);
        tk_log::instance().set_file_name("");
    }
};

void expect_rejected(job& work, const std::string& name, const char* text) {
    try {
        start_log_file(work, name);
        ADD_FAILURE() << "accepted " << name;
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(), text);
        EXPECT_EQ(error.level(), 1);
    }
}

}  // namespace

TEST_F(log_file_checks, bad_names_are_refused_and_logging_stays_off) {
    job work;
    work.destination = folder_.file("out.xlsx");
    expect_rejected(work, folder_.path().string(), "Logfile name specifies an existing path.");
    // a running program cannot be opened for writing, even by root
    expect_rejected(work, module_path(), "Logfile name specifies an existing read-only file.");
    expect_rejected(work, folder_.file("no/such/folder/run.log"),
                    "Logfile path does not exist.\nPlease verify the correct path was given.");
    expect_rejected(work, work.destination, "Logfile name specifies the destination workbook.");
    EXPECT_FALSE(tk_log::is_enabled());
}

TEST_F(log_file_checks, a_good_name_turns_the_log_on_and_empty_keeps_it) {
    job work;
    const std::string path = folder_.file("run.log");
    start_log_file(work, path);
    EXPECT_TRUE(tk_log::is_enabled());
    EXPECT_EQ(work.log_file, path);

    start_log_file(work, "");
    EXPECT_TRUE(tk_log::is_enabled());
    EXPECT_EQ(tk_log::instance().file_name(), path);
}
