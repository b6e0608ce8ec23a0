// UTF-8/UTF-16 conversion, replace, split, case folding.
#include "toolkit/text.h"

#include <gtest/gtest.h>

#include "toolkit/exception.h"

TEST(utf_conversion, round_trips_every_plane) {
    const std::string utf8 = "A\xC3\xA9\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80";  // A é Ж 中 😀
    const std::u16string utf16 = to_unicode(utf8);
    EXPECT_EQ(utf16, (std::u16string{u'A', 0xE9, 0x416, 0x4E2D, 0xD83D, 0xDE00}));
    EXPECT_EQ(to_utf8(utf16), utf8);
    // utf16_prefix at a pair: cell_form.texts_are_cut_to_the_formats_cell_never_inside_a_character
    EXPECT_EQ(utf16_length(utf8), 6u);
    EXPECT_EQ(to_utf8(u""), "");
    EXPECT_EQ(to_unicode(""), u"");
}

// The writers' conversion into a reused buffer: each byte-length boundary, no stale tail
// after a longer text, and a lone surrogate as U+FFFD instead of an error.
TEST(utf_conversion, assign_utf8_reuses_its_buffer_and_replaces_a_lone_surrogate) {
    std::string out;
    assign_utf8(out, std::u16string{0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0xDBFF, 0xDFFF});
    EXPECT_EQ(out, "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF");
    assign_utf8(out, std::u16string{u'a', 0xD83D, u'b', 0xDE00});
    EXPECT_EQ(out, "a\xEF\xBF\xBD" "b\xEF\xBF\xBD");
    assign_utf8(out, u"");
    EXPECT_EQ(out, "");
}

TEST(utf_conversion, unpaired_surrogate_is_an_error_naming_its_place) {
    const std::u16string lone_high{u'a', 0xD83D, u'b'};
    try {
        to_utf8(lone_high);
        FAIL() << "no error";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(), "Cannot convert to UTF8 string: unpaired surrogate at character 2.");
        EXPECT_EQ(error.level(), 1);
    }
    EXPECT_THROW(to_utf8(std::u16string{0xDE00}), tk_exception);
}

TEST(utf_conversion, invalid_utf8_is_an_error_naming_the_byte) {
    for (const std::string& bad : {std::string("ab\xC0\x80"), std::string("ab\xED\xA0\x80"),
                                  std::string("ab\xE4\xB8"), std::string("ab\xF4\x90\x80\x80"),
                                  std::string("ab\xFF")}) {
        try {
            to_unicode(bad);
            FAIL() << "accepted invalid UTF-8";
        } catch (const tk_exception& error) {
            EXPECT_EQ(error.message(), "Cannot convert to UNICODE string: invalid UTF-8 at byte 3.");
        }
        EXPECT_FALSE(is_valid_utf8(bad));
        // ASCII is checked a word at a time: a bad byte is found at every place around words
        for (std::size_t before = 0; before < 17; ++before) {
            EXPECT_FALSE(is_valid_utf8(std::string(before, 'x') + bad.substr(2) + std::string(9, 'y'))) << before;
            EXPECT_TRUE(is_valid_utf8(std::string(before, 'x') + "\xF0\x9F\x98\x80" + std::string(before, 'y')));
        }
    }
    EXPECT_TRUE(is_valid_utf8("plain \xC3\xA9"));
}

// trim: profile_file_test's reading rules.
TEST(string_helpers, replace_never_in_inserted_text_and_split_keeps_empty_pieces) {
    std::string text = "aba";
    EXPECT_EQ(replace_all(text, "a", "aa"), "aabaa");
    EXPECT_EQ(text, "aabaa");
    std::string any = "x";
    EXPECT_THROW(replace_all(any, "", "y"), tk_assertion_failure);
    EXPECT_EQ(split(",a,,b,", ','), (std::vector<std::string>{"", "a", "", "b", ""}));
    EXPECT_EQ(split("", ','), std::vector<std::string>{""});
}

TEST(case_folding, folds_every_script) {
    EXPECT_TRUE(iequals("\xC3\x84rger", "\xC3\xA4rger"));        // Ärger / ärger
    EXPECT_TRUE(iequals("\xCE\xA3\xCE\x9F\xCE\xA6", "\xCF\x83\xCE\xBF\xCF\x86"));  // ΣΟΦ / σοφ
    EXPECT_TRUE(iequals("\xD0\x96\xD0\x81", "\xD0\xB6\xD1\x91"));  // ЖЁ / жё
    EXPECT_TRUE(iequals("\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xC5\x82\xC3\x93" "D\xC5\xB9"));  // Łódź / łÓDŹ
    EXPECT_TRUE(iequals("\xE1\xBA\xA2" "B", "\xE1\xBA\xA3" "b"));  // ẢB / ảb: Latin Extended Additional
    EXPECT_TRUE(iequals("\xEF\xBC\xA1\xEF\xBC\xA2", "\xEF\xBD\x81\xEF\xBD\x82"));  // ＡＢ / ａｂ: full width
    EXPECT_TRUE(iequals("\xF0\x90\x90\x80", "\xF0\x90\x90\xA8"));  // 𐐀 / 𐐨: Deseret, beyond 16 bits
    EXPECT_TRUE(iequals("\xE1\x8F\xB8", "\xE1\x8F\xB0"));  // ᏸ / Ᏸ: Cherokee folds to upper case
    EXPECT_FALSE(iequals("abc", "abd"));
    EXPECT_TRUE(iless{}("apple", "BANANA"));
    EXPECT_FALSE(iless{}("BANANA", "apple"));
}
