// udb_database: the base of every source and destination database, with its list of table
// names.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "records/names_map.h"
#include "records/udb_index.h"
#include "records/udb_recordset.h"
#include "records/udb_schema.h"

class udb_database {
public:
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
    // A new recordset over a query, owned by the caller.
    virtual std::unique_ptr<udb_recordset> get_query(const std::string& name,
                                                     const std::string& sql, int mode) = 0;
    // A new recordset over a table, owned by the caller.
    virtual std::unique_ptr<udb_recordset> get_table(const std::string& table, int mode) = 0;
    // True when the text is a valid query.
    virtual bool test_query(const std::string& sql) = 0;
    // The table-name list.
    virtual std::vector<std::string>& get_tables();
    // Whether the table-name list holds the name (exactly when case sensitive, else
    // ignoring case).
    virtual bool is_table_exist(std::string_view table) const;

    const std::string& name() const noexcept { return name_; }
    std::int32_t engine() const noexcept { return engine_; }
    bool is_case_sensitive() const noexcept { return case_sensitive_; }
    udb_names_map& names_map() noexcept { return names_map_; }
    const udb_names_map& names_map() const noexcept { return names_map_; }

protected:
    bool names_equal(std::string_view a, std::string_view b) const;

    std::int32_t engine_;
    std::string name_;
    bool case_sensitive_;
    std::vector<std::string> tables_;
    udb_names_map names_map_;
};
