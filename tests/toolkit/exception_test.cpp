// Exception texts: system errors and internal-assertion messages.
#include "toolkit/exception.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

TEST(exceptions, system_error_names_the_reason_after_the_prefix_and_no_text_is_unknown) {
    ASSERT_NE(std::remove("/nonexistent-folder-for-sprandel/file"), 0);
    const tk_exception_ex error("Cannot delete the destination: ", 1);
    EXPECT_EQ(error.code(), ENOENT);
    EXPECT_EQ(error.message(), std::string("Cannot delete the destination: ") + std::strerror(ENOENT));
    EXPECT_EQ(error.level(), 1);
    EXPECT_STREQ(tk_exception("", 1).what(), "Unknown exception");  // never an empty box
}

// The internal-error box carries where it happened without showing a file name to the user.
TEST(exceptions, an_internal_assertion_is_level_2_and_hides_where_it_happened) {
    EXPECT_EQ(tk_source_stem("/work/src/oracle/oracle_session.cpp"), "oracle_session");
    EXPECT_EQ(tk_source_stem("noext"), "noext");
    try {
        TK_ASSERT(1 + 1 == 3);
        FAIL() << "no assertion thrown";
    } catch (const tk_assertion_failure& assertion) {
        EXPECT_EQ(assertion.level(), 2);
        EXPECT_EQ(assertion.message().rfind("Internal error: \ncode=", 0), 0u) << assertion.message();
        EXPECT_EQ(assertion.message().find("exception_test"), std::string::npos) << assertion.message();
    }
}
