// Sheet and header name validators: acceptance, duplicates, safe names.
#include "records/name_validators.h"

#include <gtest/gtest.h>

#include <string>

#include "toolkit/exception.h"

TEST(sheet_name_validator, replaces_illegal_characters_and_numbers_taken_names) {
    sheet_name_validator validator({"Sales_2010"}, {});
    EXPECT_FALSE(validator.is_acceptable("Sales:2010"));
    EXPECT_EQ(validator.get_safe_name("Sales:2010"), "Sales_201000000");
    validator.add_existing_name("Sales_201000000");
    EXPECT_EQ(validator.get_safe_name("Sales:2010"), "Sales_201000001");

    sheet_name_validator free_name({}, {});
    EXPECT_EQ(free_name.get_safe_name("Sales:2010"), "Sales_2010");
    for (const char* name : {"a\\b", "a?b", "a*b", "a:b", "a$b", "a[b", "a]b", "a/b", "a'b"}) {
        EXPECT_FALSE(free_name.is_acceptable(name)) << name;
        EXPECT_EQ(free_name.get_safe_name(name), "a_b") << name;
    }
}

TEST(sheet_name_validator, finds_duplicates_ignoring_case_including_non_ascii) {
    sheet_name_validator validator({"ORDERS"}, {"\xc3\x84rger"});  // Ärger
    EXPECT_TRUE(validator.is_acceptable("orders"));
    EXPECT_EQ(validator.get_safe_name("orders"), "orders00000");
    EXPECT_EQ(validator.get_safe_name("\xc3\xa4rger"), "\xc3\xa4rger00000");  // ärger
}

TEST(sheet_name_validator, keeps_names_within_31_characters) {
    sheet_name_validator validator({}, {});
    const std::string thirty_one(31, 'x');
    EXPECT_TRUE(validator.is_acceptable(thirty_one));
    EXPECT_FALSE(validator.is_acceptable(thirty_one + "y"));
    EXPECT_EQ(validator.get_safe_name(thirty_one + "y"), std::string(30, 'x'));
    validator.add_existing_name(std::string(30, 'x'));
    EXPECT_EQ(validator.get_safe_name(thirty_one + "y"), std::string(25, 'x') + "00000");
    // Limits count UTF-16 code units and never split a character: 30 "é" fit, the cut
    // keeps whole letters.
    std::string accents;
    for (int i = 0; i < 32; ++i) accents += "\xc3\xa9";
    EXPECT_FALSE(validator.is_acceptable(accents));
    const std::string safe = validator.get_safe_name(accents);
    EXPECT_EQ(safe.size(), 60u);
    EXPECT_TRUE(validator.is_acceptable(safe));
}

TEST(xls_header_name_validator, trims_blanks_and_names_a_blank_column_with_the_first_free_number) {
    xls_header_name_validator validator;
    validator.add_existing_name(" Name ");
    EXPECT_FALSE(validator.is_acceptable(" Name "));
    EXPECT_FALSE(validator.is_acceptable(""));
    EXPECT_EQ(validator.get_safe_name(" Name "), "Name");
    validator.add_existing_name("name");
    EXPECT_EQ(validator.get_safe_name(" Name "), "Name00000");
    EXPECT_EQ(validator.get_safe_name("a.b"), "a_b");
    EXPECT_EQ(validator.get_safe_name("x`![]./'y"), "x_______y");
    xls_header_name_validator numbered;
    numbered.add_existing_name("00000");
    EXPECT_EQ(numbered.get_safe_name("   "), "00001");
    EXPECT_EQ(xls_header_name_validator().get_safe_name("   "), "00000");
}

TEST(name_validator, asserts_when_every_number_is_taken) {
    sheet_name_validator validator({}, {});
    validator.add_existing_name("t");
    char name[8];
    for (int i = 0; i < 100000; ++i) {
        std::snprintf(name, sizeof name, "t%05d", i);
        validator.add_existing_name(name);
    }
    EXPECT_THROW(validator.get_safe_name("t"), tk_assertion_failure);
}

