// Fetched text: converted whole, or refused with the documented error when it is not text.
#include "oracle/fetched_text.h"

#include <gtest/gtest.h>

#include "toolkit/exception.h"

TEST(fetched_text, every_plane_converts_whole) {
    EXPECT_EQ(fetched_text(u"abc Жж 你好 😀𝄞", "C"), "abc Жж 你好 😀𝄞");
    EXPECT_EQ(fetched_text(u"", "C"), "");
}

TEST(fetched_text, a_lone_surrogate_is_the_conversion_error_naming_the_column) {
    const char16_t broken[] = {u'a', 0xD83D, u'b'};
    try {
        fetched_text(std::u16string_view(broken, 3), "NOTES");
        FAIL() << "invalid text was accepted";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(), "Cannot convert to UNICODE string: the value of column 'NOTES' is not valid text.");
        EXPECT_EQ(error.level(), tk_level_recoverable);
    }
    const char16_t trailing[] = {u'x', 0xDC00};
    EXPECT_THROW(fetched_text(std::u16string_view(trailing, 2), "C"), tk_exception);
}
