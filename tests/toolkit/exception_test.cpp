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

TEST(exceptions, internal_assertion_hides_the_source_stem_and_line_in_lower_case_hex) {
    const tk_assertion_failure assertion("ora_engi", 447);
    // "ora_engi\447"
    EXPECT_EQ(assertion.message(), "Internal error: \ncode=6f72615f656e67695c343437");
    EXPECT_EQ(assertion.level(), 2);
    EXPECT_EQ(tk_source_stem("/work/src/oracle/ora_engine.cpp"), "ora_engine");
    EXPECT_EQ(tk_source_stem("singleton.h"), "singleton");
    EXPECT_EQ(tk_source_stem("noext"), "noext");
    try {
        TK_ASSERT(1 + 1 == 3);
        FAIL() << "no assertion thrown";
    } catch (const tk_assertion_failure& assertion) {
        EXPECT_EQ(assertion.level(), 2);
        // "exception_test\" in hex, followed by the line number's digits
        EXPECT_EQ(assertion.message().rfind("Internal error: \ncode=657863657074696f6e5f746573745c", 0), 0u);
    }
}
