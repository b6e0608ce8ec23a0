// The budgeted table of distinct texts both shared-string tables use: indexes in order of
// first use, a fixed budget, and nothing looked up once released. What each format makes
// of it in the file: biff_workbook_test and xlsx_package_writer_test.
#include "excel/cells/string_table.h"

#include <gtest/gtest.h>

namespace {

// "index" for a known text, "index new" for one just added, "none" past the budget.
std::string added(string_table& table, std::string_view text, bool must_add = false) {
    const auto entry = table.add(text, must_add);
    if (!entry) return "none";
    return std::to_string(entry->index) + (entry->is_new ? " new" : "") + (entry->is_kept ? " kept" : "");
}

}  // namespace

TEST(string_table, repeated_texts_share_the_index_of_their_first_use) {
    string_table table;
    EXPECT_EQ(added(table, "b"), "0 new kept");
    EXPECT_EQ(added(table, "a"), "1 new kept");
    EXPECT_EQ(added(table, "b"), "0");
    EXPECT_EQ(added(table, "B"), "2 new kept") << "texts compare exactly";
    EXPECT_EQ(added(table, std::string_view("a\0b", 3)), "3 new kept") << "a text may hold NUL";
    EXPECT_EQ(added(table, ""), "4 new kept");
    EXPECT_EQ(table.use_count(), 6u);
    EXPECT_EQ(table.unique_count(), 5u);
    const auto kept = table.add("Привет");
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->kept, "Привет") << "the table's own copy";
}

// Each entry costs its bytes plus entry_overhead: two of one byte fit 2 * 65 bytes.
TEST(string_table, past_the_budget_texts_are_refused_unless_they_must_be_added_and_then_not_looked_up) {
    string_table table(2 * (string_table::entry_overhead + 1));
    EXPECT_EQ(added(table, "a"), "0 new kept");
    EXPECT_EQ(added(table, "b"), "1 new kept");
    EXPECT_EQ(added(table, "c"), "none");
    EXPECT_EQ(added(table, "a"), "0") << "known texts are still found";
    EXPECT_EQ(added(table, "c", true), "2 new");
    EXPECT_EQ(added(table, "c", true), "3 new") << "an entry past the budget is not looked up";
    EXPECT_EQ(table.use_count(), 5u);
    EXPECT_EQ(table.unique_count(), 4u);
    table.release_lookup();
    EXPECT_EQ(added(table, "a"), "none");
    EXPECT_EQ(added(table, "a", true), "4 new");
}
