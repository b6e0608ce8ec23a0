// Databases and engines: the table list, its comparisons, the defaults and the file services.
#include "records/udb_database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../support/temp_folder.h"

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
    void create_index(const std::string& table, const udb_index& index) override {
        created.push_back(table + "." + index.name);
    }
    std::vector<std::string> created;
};

class file_engine : public udb_engine {};

}  // namespace

TEST(udb_database_tables, compare_ignoring_case_otherwise) {
    listed_database database(false);
    database.get_tables() = {"ABC", "\xc3\x84RGER", "abc"};
    EXPECT_TRUE(database.is_table_exist("abc"));
    EXPECT_TRUE(database.is_table_exist("\xc3\xa4rger"));
    EXPECT_FALSE(database.is_table_exist("AB"));
    EXPECT_TRUE(database.delete_tab("aBc"));  // the first match only
    EXPECT_EQ(database.get_tables(), (std::vector<std::string>{"\xc3\x84RGER", "abc"}));
    EXPECT_FALSE(database.delete_tab("missing"));
}

TEST(udb_engine_files, deletes_and_names_the_file_it_cannot_delete) {
    temp_folder folder;
    const std::string path = folder.file("book.xls");
    file_engine engine;
    std::ofstream(path) << "x";
    engine.delete_db(path);
    EXPECT_FALSE(std::filesystem::exists(path));
    try {
        engine.delete_db(path);
        FAIL() << "no exception";
    } catch (const tk_exception& error) {
        EXPECT_NE(std::string(error.what()).find("book.xls"), std::string::npos) << error.what();
        EXPECT_EQ(error.code(), ENOENT);
    }
}
