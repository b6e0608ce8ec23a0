// Recordsets: the defaults of the base, re-typing rows to the destination's columns, indexes.
#include "records/udb_recordset.h"

#include <gtest/gtest.h>

namespace {

// A sink that keeps what it is given, as the destinations do.
class kept_rows : public udb_recordset {
public:
    kept_rows() : udb_recordset("SHEET", true) {}
    void append_record(udb_record& record) override {
        convert_record(record);
        rows.push_back(record);
    }
    std::vector<udb_record> rows;
};

udb_index make_index(const char* name, bool unique, bool primary, std::vector<std::string> fields) {
    udb_index index;
    index.name = name;
    index.b_unique = unique;
    index.b_primary = primary;
    index.fields = std::move(fields);
    return index;
}

}  // namespace

TEST(udb_recordset_defaults, read_as_empty_and_report_query_text) {
    kept_rows table;
    EXPECT_EQ(table.name(), "SHEET");
    EXPECT_FALSE(table.is_query());
    EXPECT_TRUE(table.is_eof());
    EXPECT_EQ(table.get_item(), nullptr);
    EXPECT_TRUE(table.save());
    EXPECT_EQ(table.records_count(), 0);
    EXPECT_EQ(table.primary_key_position(), -1);
    EXPECT_TRUE(table.schema().flag());

    class query_rows : public udb_recordset {
    public:
        query_rows() : udb_recordset("Q", "SELECT 1 FROM DUAL", true) {}
        void append_record(udb_record&) override {}
    };
    query_rows query;
    EXPECT_TRUE(query.is_query());
    EXPECT_EQ(query.query_text(), "SELECT 1 FROM DUAL");
}

TEST(udb_recordset_convert, retypes_each_field_to_its_column) {
    kept_rows sheet;
    sheet.schema().add(t_ftd(10, "ID", VT_I4));
    sheet.schema().add(t_ftd(20, "WHEN", VT_BSTR));
    sheet.schema().add(t_ftd(20, "PRICE", VT_R8));
    udb_record row;
    row.add_field("ID", 10, ole_variant(std::int64_t{42}));
    ole_systemtime time;
    time.year = 2005, time.month = 12, time.day = 31, time.hour = 10;
    row.add_field("WHEN", 20, ole_variant(time));
    row.add_field("PRICE", 20, ole_variant());  // a NULL stays empty
    sheet.append_record(row);
    ASSERT_EQ(sheet.rows.size(), 1u);
    EXPECT_EQ(sheet.rows[0][0].get_i4(), 42);
    EXPECT_EQ(sheet.rows[0][1].get_text(), "2005-12-31 10:00:00");
    EXPECT_EQ(sheet.rows[0][2].get_type(), VT_EMPTY);
}

TEST(udb_recordset_convert, matches_names_ignoring_case_and_order) {
    kept_rows sheet;
    sheet.schema().add(t_ftd(10, "A", VT_BSTR));
    sheet.schema().add(t_ftd(10, "B", VT_I2));
    udb_record row;
    row.add_field("b", 1, ole_variant("7"));
    row.add_field("a", 1, ole_variant(3));
    sheet.convert_record(row);
    EXPECT_EQ(row[0].get_i2(), 7);
    EXPECT_EQ(row[1].get_text(), "3");
    udb_record empty;
    EXPECT_NO_THROW(sheet.convert_record(empty));
}

TEST(udb_recordset_convert, refuses_a_field_without_a_column) {
    kept_rows sheet;
    sheet.schema().add(t_ftd(10, "A", VT_BSTR));
    udb_record row;
    row.add_field("A", 1, ole_variant(1));
    row.add_field("GHOST", 1, ole_variant(2));
    try {
        sheet.convert_record(row);
        FAIL() << "no exception";
    } catch (const tk_exception& error) {
        EXPECT_STREQ(error.what(), "The structure of data source does not conform to the destination table.");
    }
    EXPECT_EQ(row[1].get_i4(), 2);
}

TEST(udb_recordset_convert, lets_a_failed_value_conversion_through) {
    kept_rows sheet;
    sheet.schema().add(t_ftd(10, "N", VT_I2));
    udb_record row;
    row.add_field("N", 1, ole_variant(100000));
    EXPECT_THROW(sheet.convert_record(row), ole_cast_exception);
    EXPECT_EQ(row[0].get_i4(), 100000);
}

TEST(udb_recordset_indexes, keep_the_first_primary_or_unique_key_and_skip_duplicate_names) {
    kept_rows table;
    table.add_index(make_index("IX_NAME", false, false, {"NAME"}));
    table.add_index(make_index("PK_ID", true, true, {"ID"}));
    table.add_index(make_index("PK_OTHER", true, true, {"OTHER"}));
    table.add_index(make_index("pk_id", false, false, {"X"}));  // name taken, ignoring case
    ASSERT_EQ(table.indexes().size(), 3u);
    EXPECT_EQ(table.primary_key_position(), 1);
    EXPECT_EQ(table.indexes()[1].name, "PK_ID");
    EXPECT_EQ(table.indexes().get_index("Pk_Id"), &table.indexes()[1]);
    EXPECT_EQ(table.indexes().get_index("none"), nullptr);
    EXPECT_TRUE(table.indexes().is_idx_field("name"));
    EXPECT_FALSE(table.indexes().is_idx_field("X"));
    EXPECT_FALSE(table.indexes().is_acceptable_name("ix_name"));
    EXPECT_TRUE(table.indexes().is_acceptable_name("IX_OTHER"));
}

TEST(udb_index, starts_with_fields_in_order) {
    const udb_index index = make_index("IX", false, false, {"A", "B", "C"});
    EXPECT_TRUE(index.starts_with_fields({"a", "B"}));
    EXPECT_TRUE(index.starts_with_fields({}));
    EXPECT_FALSE(index.starts_with_fields({"B"}));
    EXPECT_FALSE(index.starts_with_fields({"A", "B", "C", "D"}));
    udb_indexes indexes;
    indexes.push_back(index);
    EXPECT_TRUE(indexes.has_index_on_fields({"A"}));
    EXPECT_FALSE(indexes.has_index_on_fields({"C"}));
}
