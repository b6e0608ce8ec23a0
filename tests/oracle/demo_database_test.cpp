// The emulator's demo database read end to end, as a conversion run reads it: every listed
// table opens and yields exactly its counted rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "oracle/ora_database.h"
#include "oracle/ora_engine.h"
#include "oracle/ora_table.h"

namespace {

class demo_database : public ::testing::Test {
protected:
    demo_database() {
        setenv("OCIEMU_DATA", OCIEMU_DEMO_FOLDER, 1);
        engine_.set_indexes_off(true);  // as the conversion run opens tables
        database_ = engine_.open_db("", "DEMO", "demo", "", "DEMO");
    }
    ~demo_database() override { database_.reset(); }

    // Reads every row; returns how many there were.
    static std::int32_t read_rows(udb_recordset& recordset) {
        std::int32_t rows = 0;
        recordset.move_first();
        while (!recordset.is_eof()) {
            const udb_record* row = recordset.get_item();
            if (row == nullptr) break;
            EXPECT_EQ(row->size(), recordset.schema().size());
            ++rows;
            recordset.next();
        }
        return rows;
    }

    ora_engine engine_{{OCIEMU_LIBRARY}};
    std::unique_ptr<ora_database> database_;
};

bool holds(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

TEST_F(demo_database, the_company_tables_are_listed_and_the_temporary_one_is_not) {
    const std::vector<std::string> tables = database_->get_tables();
    for (const char* name : {"DEPARTMENTS", "EMPLOYEES", "PRODUCTS", "ORDERS", "ORDER_LINES", "DOCUMENTS",
                             "REGION:SALES/2024"})
        EXPECT_TRUE(holds(tables, name)) << name;
    EXPECT_FALSE(holds(tables, "SESSION_SCRATCH"));
    EXPECT_EQ(database_->views().count("EMPLOYEE_DIRECTORY"), 1u);
}

TEST_F(demo_database, every_table_reads_exactly_its_counted_rows) {
    const std::vector<std::string> tables = database_->get_tables();
    ASSERT_FALSE(tables.empty());
    for (const std::string& name : tables) {
        try {
            const auto table = database_->get_table(name, 1);
            EXPECT_FALSE(table->schema().empty()) << name;
            EXPECT_GT(table->records_count(), 0) << name;
            EXPECT_EQ(read_rows(*table), table->records_count()) << name;
        } catch (const std::exception& error) {
            ADD_FAILURE() << name << ": " << error.what();
        }
    }
}

TEST_F(demo_database, only_the_unreadable_column_is_left_out_of_documents) {
    database_->get_tables();
    const auto recordset = database_->get_table("DOCUMENTS", 1);
    const auto& table = static_cast<const ora_table&>(*recordset);
    EXPECT_EQ(table.select_text(),
              "SELECT \"DOC_ID\",\"TITLE\",\"BODY\",\"SCAN\",XMLSERIALIZE(CONTENT \"METADATA\" AS CLOB) AS "
              "\"METADATA\",\"STORED_AT\",\"LOCATOR\" FROM \"DOCUMENTS\"");  // XMLTYPE read whole, as a CLOB
    EXPECT_EQ(table.schema().get_field1("SCAN").vartype, VT_BLOB);
    EXPECT_EQ(table.schema().get_field1("METADATA").vartype, VT_BSTR);
}

TEST_F(demo_database, time_zone_and_interval_columns_are_kept) {
    database_->get_tables();
    const auto orders = database_->get_table("ORDERS", 1);
    const udb_schema& schema = orders->schema();
    EXPECT_EQ(schema.size(), 9u);
    EXPECT_EQ(schema.get_field1("SHIPPED_AT").vartype, VT_DATE);
    EXPECT_EQ(schema.get_field1("RECEIVED_AT").vartype, VT_DATE);
    EXPECT_EQ(schema.get_field1("DELIVERY_WINDOW").vartype, VT_BSTR);
    EXPECT_EQ(schema.get_field1("COMMENTS").size, 200u);
}

TEST_F(demo_database, a_free_query_over_a_view_reads_its_rows) {
    const auto query = database_->get_query("Directory", "SELECT * FROM EMPLOYEE_DIRECTORY", 1);
    EXPECT_EQ(query->schema().size(), 4u);
    EXPECT_EQ(read_rows(*query), query->records_count());
}
