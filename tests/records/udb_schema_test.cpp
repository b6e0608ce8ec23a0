// Fields, column descriptors, schemas and records: values, lookups ignoring case, copies.
#include "records/udb_record.h"
#include "records/udb_schema.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(schema.get_field1("id").size, 10u);
}

TEST(udb_schema, answers_absent_names_with_a_lasting_empty_descriptor) {
    udb_schema empty;
    EXPECT_EQ(empty.get_field_idx("ANY"), -1);
    const t_ftd& missing = empty.get_field1("ANY");
    {
        udb_schema other;
        other.add(t_ftd(1, "X", VT_I2));
        EXPECT_EQ(&other.get_field1("nothing"), &missing);  // one shared descriptor
    }
    EXPECT_EQ(missing.name, "");
    EXPECT_EQ(missing.vartype, VT_EMPTY);
    EXPECT_EQ(missing.size, 0u);
    EXPECT_FALSE(missing.b_not_null);
    EXPECT_EQ(missing.reserved, 0u);
}
