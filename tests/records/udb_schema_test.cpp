// Fields, column descriptors, schemas and records: values, lookups ignoring case, copies.
#include "records/udb_record.h"
#include "records/udb_schema.h"

#include <gtest/gtest.h>

TEST(udb_field, carries_value_name_size_and_flags) {
    const udb_field empty;
    EXPECT_EQ(empty.get_type(), VT_EMPTY);
    EXPECT_EQ(empty.size(), 0);
    EXPECT_EQ(empty.name(), "");
    EXPECT_FALSE(empty.is_not_null());
    EXPECT_FALSE(empty.is_auto_increment());

    udb_field field("AMOUNT", 22, ole_variant(12.5), true, false);
    EXPECT_EQ(field.get_type(), VT_R8);
    EXPECT_EQ(field.to_string(), "1.2500000000000000e+01");
    EXPECT_TRUE(field.is_not_null());
    field = ole_variant("text");  // a new value keeps the column's name and size
    EXPECT_EQ(field.get_text(), "text");
    EXPECT_EQ(field.name(), "AMOUNT");
    EXPECT_EQ(field.size(), 22);
    const udb_field copy(field);
    EXPECT_EQ(copy.name(), "AMOUNT");
    EXPECT_EQ(copy.get_text(), "text");
}

TEST(t_ftd, takes_type_and_flags_from_a_field) {
    const udb_field field("ID", 10, ole_variant(5), true, true);
    const t_ftd descriptor(field, ole_variant(0), 7);
    EXPECT_EQ(descriptor.size, 10u);
    EXPECT_EQ(descriptor.name, "ID");
    EXPECT_EQ(descriptor.vartype, VT_I4);
    EXPECT_TRUE(descriptor.b_not_null);
    EXPECT_TRUE(descriptor.b_auto_increment);
    EXPECT_EQ(descriptor.def_value.get_i4(), 0);
    EXPECT_EQ(descriptor.reserved, 7u);
    EXPECT_EQ(descriptor.type_name, "");
    EXPECT_EQ(descriptor.mapped_text, "");

    const t_ftd text_column(4000, "NOTES", VT_BSTR, false, false, {}, 0, "LONG");
    EXPECT_EQ(text_column.type_name, "LONG");
    EXPECT_EQ(ftd_decimal_reserved(10, 2), 0x0A02u);
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
    EXPECT_EQ(schema.get_field1("id").size, 10u);
    EXPECT_EQ(&schema.get_field2("ID"), &schema[0]);
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

TEST(udb_schema, copies_its_descriptors_deeply) {
    udb_schema schema(false);
    EXPECT_FALSE(schema.flag());
    EXPECT_EQ(schema.setting1(), 1);
    EXPECT_EQ(schema.setting2(), 1);
    schema.add(t_ftd(8, "D", VT_DATE, false, false, {}, 1));
    udb_schema copy(schema);
    copy[0].name = "CHANGED";
    EXPECT_EQ(schema[0].name, "D");
    EXPECT_EQ(copy.at(0).reserved, 1u);
    EXPECT_FALSE(copy.flag());
    schema = copy;
    EXPECT_EQ(schema[0].name, "CHANGED");
    EXPECT_THROW(schema.at(1), tk_mail_assertion);
}

TEST(udb_record, owns_its_fields_in_column_order) {
    udb_record record;
    record.reserve(3);
    record.add_field("A", 1, ole_variant(1));
    record.add_field(udb_field("B", 2, ole_variant("two")));
    record.add_field("C", 3, ole_variant());
    ASSERT_EQ(record.size(), 3u);
    EXPECT_EQ(record[1].get_text(), "two");
    EXPECT_EQ(record.at(2).get_type(), VT_EMPTY);
    EXPECT_EQ(record.find("b"), &record[1]);
    EXPECT_EQ(record.find("D"), nullptr);
    EXPECT_THROW(record.at(3), tk_mail_assertion);
    udb_record copy(record);
    copy[0] = ole_variant(99);
    EXPECT_EQ(record[0].get_i4(), 1);
    record.clear();
    EXPECT_TRUE(record.empty());
    EXPECT_EQ(copy.size(), 3u);
}
