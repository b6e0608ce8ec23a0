// Profiles a user may hand the console: broken text, huge lines, missing or unknown
// sections and keys, values out of range. Each gives a workbook or a clear error.
#include <gtest/gtest.h>

#include "cli_harness.h"

namespace {

// The demo job of one table as profile text, so single lines can be broken.
std::string demo_profile(const std::string& dest, const std::string& table_lines = "DEPARTMENTS\r\n") {
    return "[Generic settings]\r\ndest=" + dest + "\r\nsrc=DEMO\r\n\r\n[MS Excel settings]\r\nformat version=2\r\n\r\n"
           "[Oracle settings]\r\npassword=demo\r\nuser=DEMO\r\n\r\n[Selected Tables]\r\n" + table_lines;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at == std::string::npos) throw std::runtime_error("no " + from + " in the profile");
    return text.replace(at, from.size(), to);
}

class bad_profile : public ::testing::Test {
protected:
    cli_result run(const std::string& profile_text, const cli_options& options = {}) {
        write_file(folder_.file("job.spr"), profile_text);
        return run_cli({folder_.file("job.spr")}, options);
    }
    // The run read DEPARTMENTS into dest and said so.
    void expect_departments(const cli_result& result, const std::string& dest) {
        EXPECT_EQ(result.exit_code, 0) << result.err;
        EXPECT_NE(result.out.find("Workbook written: " + dest), std::string::npos) << result.out;
        const auto sheets = read_workbook(dest);
        ASSERT_EQ(sheets.size(), 1u);
        EXPECT_EQ(sheets[0].name, "DEPARTMENTS");
        EXPECT_EQ(sheets[0].rows.size(), 8u);
    }
    temp_folder folder_;
    const std::string dest_ = folder_.file("out.xlsx");
};

}  // namespace

TEST_F(bad_profile, invalid_utf8_is_refused_with_its_line_and_nothing_is_written) {
    const cli_result result = run(demo_profile(dest_, "DEPART\xff\xfeMENTS\r\n"));
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_NE(result.err.find("Cannot convert to UNICODE string: invalid UTF-8 in line 13 of the profile."),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(dest_));

    // the same in the first line, and a profile that is a binary file
    EXPECT_NE(run("\xc3(\r\n" + demo_profile(dest_)).err.find("invalid UTF-8 in line 1 of the profile."),
              std::string::npos);
    std::string binary(4096, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7 + 1);
    const cli_result garbage = run(binary);
    EXPECT_EQ(garbage.exit_code, 2);
    EXPECT_NE(garbage.err.find("Error: "), std::string::npos) << garbage.err;
    EXPECT_FALSE(std::filesystem::exists(dest_));
}

TEST_F(bad_profile, a_huge_table_name_is_a_named_error_and_the_other_tables_are_converted) {
    const std::string huge(2'000'000, 'A');
    const cli_result alone = run(demo_profile(dest_, huge + "\r\n"));
    EXPECT_EQ(alone.exit_code, 2) << alone.err.substr(0, 500);  // nothing could be converted
    EXPECT_NE(alone.err.find("The table does not exist in the source database."), std::string::npos);
    EXPECT_EQ(alone.err.find("Internal error"), std::string::npos);
    EXPECT_NE(alone.err.find("No workbook was written"), std::string::npos);
    EXPECT_EQ(alone.out.find("Workbook written"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dest_));

    const cli_result mixed = run(demo_profile(dest_, "NO_SUCH_TABLE\r\n" + huge + "\r\nDEPARTMENTS\r\n"));
    EXPECT_EQ(mixed.exit_code, 1);
    EXPECT_NE(mixed.err.find("NO_SUCH_TABLE: The table does not exist in the source database."), std::string::npos)
        << mixed.err.substr(0, 500);
    const auto sheets = read_workbook(dest_);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "DEPARTMENTS");
    EXPECT_TRUE(stray_files(folder_.path(), {"job.spr", "out.xlsx"}).empty());
}

TEST_F(bad_profile, missing_sections_name_what_is_missing) {
    const std::string no_tables =
        "[Generic settings]\r\ndest=" + dest_ + "\r\nsrc=DEMO\r\n[Oracle settings]\r\npassword=demo\r\nuser=DEMO\r\n";
    const cli_result result = run(no_tables);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_NE(result.err.find("The profile selects no table and no query ([Selected Tables])."), std::string::npos)
        << result.err;
    EXPECT_EQ(run("").exit_code, 2);
    EXPECT_FALSE(std::filesystem::exists(dest_));

}

TEST_F(bad_profile, unknown_sections_and_keys_are_ignored) {
    std::string text = replaced(demo_profile(dest_), "src=DEMO\r\n", "src=DEMO\r\ncolour=blue\r\n=no key\r\n");
    text = "[Never heard of]\r\nx=1\r\n" + text + "[Another one]\r\ny=2\r\n";
    expect_departments(run(text), dest_);
}
