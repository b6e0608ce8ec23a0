// Logging on from a profile as a real server allows it: with the client's external
// credentials when the profile gives no user and password, and warned of an expiring password.
#include <gtest/gtest.h>

#include "cli_harness.h"

// Before, an empty user and password were sent as such and refused (ORA-01017), and the
// server's warning of an expiring password was dropped.
TEST(logon, a_profile_without_user_and_password_uses_external_credentials_and_an_expiring_password_is_told) {
    temp_folder folder, data;
    make_database(data.path(), "EXTDB",
                  "CREATE TABLE NEW_USERS (USERNAME TEXT, PASSWORD TEXT, LOCKED TEXT, EXTERNAL TEXT, "
                  "EXPIRES_IN_DAYS INTEGER);\n"
                  "INSERT INTO NEW_USERS VALUES ('OPS$RUNNER', '', 'N', 'Y', NULL), ('DEMO', 'demo', 'N', 'N', 3);\n"
                  "DROP TABLE OCIEMU_USERS;\nALTER TABLE NEW_USERS RENAME TO OCIEMU_USERS;\n");
    job_profile job = demo_job(folder.file("ext.xlsx"), 2, {"DEPARTMENTS"});
    job.src = "EXTDB";
    std::string text = job.text();
    text.replace(text.find("password=demo\r\nuser=DEMO\r\n"), 26, "password=\r\nuser=\r\n");
    write_file(folder.file("ext.spr"), text);
    cli_options options;
    options.environment["OCIEMU_DATA"] = data.path().string();
    const cli_result external = run_cli({folder.file("ext.spr")}, options);
    EXPECT_EQ(external.exit_code, 0) << external.out << external.err;
    EXPECT_NE(external.out.find("Table 'DEPARTMENTS' (7 records) is converted"), std::string::npos) << external.out;

    job.dest = folder.file("demo.xlsx");
    job.write(folder.file("demo.spr"));
    const cli_result expiring = run_cli({folder.file("demo.spr")}, options);
    EXPECT_EQ(expiring.exit_code, 0) << expiring.out << expiring.err;
    EXPECT_NE((expiring.out + expiring.err)
                  .find("Connected, with a warning from the server: ORA-28002: the password will expire within 3 days"),
              std::string::npos)
        << expiring.out << expiring.err;
}
