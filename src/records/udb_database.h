// udb_database: the base of every source and destination database, with its list of table
// names; udb_engine: the base of the engines that create and open database files.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "records/names_map.h"
#include "records/udb_index.h"
#include "records/udb_recordset.h"
#include "records/udb_schema.h"

// A foreign key between two tables, for databases that write them.
struct udb_relationship {
    std::string name;
    std::string table;
    std::string foreign_table;
    std::vector<std::string> fields;          // columns of table
    std::vector<std::string> foreign_fields;  // the matching columns of foreign_table
};

class udb_database {
public:
    using views_map = std::map<std::string, std::string>;  // view name -> SQL text

    // name: file name or connection description. case_sensitive governs table names.
    udb_database(std::string name, std::int32_t engine, bool case_sensitive);
    udb_database(const udb_database&) = delete;
    udb_database& operator=(const udb_database&) = delete;
    virtual ~udb_database();

    // A new recordset to append rows to, owned by the caller. indexes holds the indexes to
    // create and receives those the destination made.
    virtual std::unique_ptr<udb_recordset> create_table(const std::string& name,
                                                        const udb_schema& schema,
                                                        udb_indexes& indexes) = 0;
    // Creates one index; the base does nothing.
    virtual void create_index(const std::string& table, const udb_index& index);
    // Calls create_index for each index in order.
    virtual void create_indexes(const std::string& table, const udb_indexes& indexes);
    // Creates views; the base does nothing.
    virtual void create_views(const views_map& views);
    // Removes the table's name from the table list; false when it is not there.
    virtual bool delete_tab(std::string_view table);
    // A new recordset over a query, owned by the caller.
    virtual std::unique_ptr<udb_recordset> get_query(const std::string& name,
                                                     const std::string& sql, int mode) = 0;
    // Empties the given list.
    virtual void clear_names(std::vector<std::string>& names);
    // A new recordset over a table, owned by the caller.
    virtual std::unique_ptr<udb_recordset> get_table(const std::string& table, int mode) = 0;
    // Executes a statement that returns no rows; an internal assertion unless overridden.
    virtual void query(const std::string& sql);
    // True when the text is a valid query.
    virtual bool test_query(const std::string& sql) = 0;
    // Creates foreign keys; the base does nothing.
    virtual void create_relationships(const std::vector<udb_relationship>& relationships);
    // The table-name list.
    virtual std::vector<std::string>& get_tables();
    // Whether the table-name list holds the name (exactly when case sensitive, else
    // ignoring case).
    virtual bool is_table_exist(std::string_view table) const;

    const std::string& name() const noexcept { return name_; }
    std::int32_t engine() const noexcept { return engine_; }
    bool is_case_sensitive() const noexcept { return case_sensitive_; }
    views_map& views() noexcept { return views_; }
    const views_map& views() const noexcept { return views_; }
    udb_names_map& names_map() noexcept { return names_map_; }
    const udb_names_map& names_map() const noexcept { return names_map_; }
    std::vector<udb_relationship>& relationships() noexcept { return relationships_; }

protected:
    bool names_equal(std::string_view a, std::string_view b) const;

    std::int32_t engine_;
    std::string name_;
    bool case_sensitive_;
    views_map views_;
    std::vector<std::string> tables_;
    udb_names_map names_map_;
    std::vector<udb_relationship> relationships_;
    std::int32_t reserved_ = 0;
};

class udb_engine {
public:
    udb_engine() = default;
    udb_engine(const udb_engine&) = delete;
    udb_engine& operator=(const udb_engine&) = delete;
    virtual ~udb_engine() = default;

    // Deletes the file; throws tk_exception_ex with the system's reason when it cannot.
    virtual void delete_db(const std::string& path);
    // Whether the file exists and opens for reading.
    virtual bool is_db_exist(const std::string& path);
    // Stores the mode word and returns it.
    virtual int set_mode(int mode);
    int mode() const noexcept { return mode_; }

protected:
    int mode_ = 0;
};
