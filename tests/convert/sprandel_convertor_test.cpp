// The converter: defaults, settings kept between runs, log-file checks.
#include "convert/sprandel_convertor.h"

#include <gtest/gtest.h>

#include "../support/temp_folder.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"

namespace {

class converter_settings : public ::testing::Test {
protected:
    std::filesystem::path settings() const { return folder_.path() / "Quorvane" / "Sprandel.conf"; }
    temp_folder folder_;
};

}  // namespace

TEST_F(converter_settings, settings_survive_to_the_next_run) {
    {
        sprandel_convertor converter(settings());
        converter.format_version = 2;
        converter.dates_to_strings = true;
        converter.split_data = true;
        converter.wrap_text = false;
        converter.open_on_exit = false;
        converter.dest = "/data/out/Книга.xlsx";
        converter.src = "ORCL";
        converter.store_oracle_settings("db.example", "scott", "tiger", "1522");
    }
    sprandel_convertor converter(settings());
    EXPECT_EQ(converter.format_version, 2);
    EXPECT_TRUE(converter.dates_to_strings);
    EXPECT_TRUE(converter.split_data);
    EXPECT_FALSE(converter.wrap_text);
    EXPECT_FALSE(converter.open_on_exit);
    EXPECT_EQ(converter.dest, "/data/out/Книга.xlsx");
    EXPECT_EQ(converter.src, "ORCL");
    EXPECT_EQ(converter.host, "db.example");
    EXPECT_EQ(converter.user, "scott");
    EXPECT_EQ(converter.password, "tiger");
    EXPECT_EQ(converter.port, "1522");
}

TEST_F(converter_settings, missing_values_take_defaults_but_an_empty_port_stays_empty) {
    std::filesystem::create_directories(settings().parent_path());
    write_file(settings(), "[Sprandel]\nport=sz:\nsrc=sz:XE\n");
    {
        sprandel_convertor converter(settings());
        EXPECT_EQ(converter.port, "");
        EXPECT_EQ(converter.src, "XE");
        EXPECT_EQ(converter.format_version, 1);
        EXPECT_TRUE(converter.wrap_text);
        EXPECT_FALSE(converter.serialize(false));  // not every value was there
    }
    write_file(settings(), "[Sprandel]\nengine=dword:00000007\n");  // a foreign engine number
    sprandel_convertor missing_port(settings());
    EXPECT_EQ(missing_port.port, "1521");
    EXPECT_EQ(missing_port.format_version, 1);
}

TEST_F(converter_settings, unwritable_settings_location_is_not_fatal) {
    auto converter = std::make_unique<sprandel_convertor>("/proc/sprandel-nowhere/Sprandel.conf");
    EXPECT_FALSE(converter->serialize(true));
    EXPECT_NO_THROW(converter.reset());
}

namespace {

class log_file_checks : public converter_settings {
protected:
    void TearDown() override {
        tk_log::instance().enable(false);
        tk_log::instance().set_file_name("");
    }
};

void expect_rejected(tk_converter& converter, const std::string& name, const char* text) {
    try {
        converter.set_logfile(name);
        ADD_FAILURE() << "accepted " << name;
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(), text);
        EXPECT_EQ(error.level(), 1);
    }
}

}  // namespace

TEST_F(log_file_checks, bad_names_are_refused_and_logging_stays_off) {
    sprandel_convertor converter(settings());
    expect_rejected(converter, folder_.path().string(), "Logfile name specifies an existing path.");
    // a running program cannot be opened for writing, even by root
    expect_rejected(converter, module_path(), "Logfile name specifies an existing read-only file.");
    expect_rejected(converter, folder_.file("no/such/folder/run.log"),
                    "Logfile path does not exist.\nPlease verify the correct path was given.");
    EXPECT_FALSE(tk_log::is_enabled());
}

TEST_F(log_file_checks, a_good_name_turns_the_log_on_and_empty_keeps_it) {
    sprandel_convertor converter(settings());
    const std::string path = folder_.file("run.log");
    converter.set_logfile(path);
    EXPECT_TRUE(tk_log::is_enabled());
    EXPECT_EQ(converter.logfile, path);

    converter.set_logfile("");
    EXPECT_TRUE(tk_log::is_enabled());
    EXPECT_EQ(tk_log::instance().file_name(), path);
}
