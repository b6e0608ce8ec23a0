// Names found ignoring case, in any script: the source's tables and a schema's columns.
#include "records/udb_database.h"
#include "records/udb_schema.h"

#include <gtest/gtest.h>

namespace {

// The smallest database: only what the base leaves open.
class listed_database : public udb_database {
public:
    listed_database(bool case_sensitive) : udb_database("test.db", 3, case_sensitive) {}
    std::unique_ptr<udb_recordset> create_table(const std::string&, const udb_schema&, udb_indexes&) override {
        return nullptr;
    }
    std::unique_ptr<udb_recordset> get_query(const std::string&, const std::string&, int) override { return nullptr; }
    std::unique_ptr<udb_recordset> get_table(const std::string&, int) override { return nullptr; }
    bool test_query(const std::string&) override { return false; }
};

}  // namespace

TEST(udb_database_tables, compare_ignoring_case_otherwise) {
    listed_database database(false);
    database.get_tables() = {"ABC", "\xc3\x84RGER", "abc"};
    EXPECT_TRUE(database.is_table_exist("abc"));
    EXPECT_TRUE(database.is_table_exist("\xc3\xa4rger"));
    EXPECT_FALSE(database.is_table_exist("AB"));
}

TEST(udb_schema, finds_descriptors_ignoring_case_including_non_ascii_letters) {
    udb_schema schema;
    schema.add(t_ftd(10, "ID", VT_I4));
    schema.add(t_ftd(30, "NAME", VT_BSTR));
    schema.add(t_ftd(30, "\xc3\x84RGER", VT_BSTR));  // ÄRGER
    EXPECT_TRUE(schema.find_field("Name"));
    EXPECT_EQ(schema.get_field_idx("name"), 1);
    EXPECT_EQ(schema.get_field_idx("\xc3\xa4rger"), 2);  // ärger
    EXPECT_EQ(schema.get_field_idx("NAM"), -1);
    EXPECT_FALSE(schema.find_field("NAMES"));
    EXPECT_EQ(schema.get_field_idx("id"), 0);
}
