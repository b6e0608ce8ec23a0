// job: one whole conversion, as a profile file holds it: where from, where to, in which
// format, and which tables and queries.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "excel/workbook_format.h"
#include "oracle/oracle_session.h"

// One table or query of a run. A table has no SELECT text.
struct job_item {
    std::string name;
    std::string sql;

    bool is_query() const noexcept { return !sql.empty(); }
};

struct job {
    connection_settings connection;
    std::string destination;
    std::string log_file;
    std::string profile_path;  // the profile the job was loaded from, if any

    workbook_format format = workbook_format::excel_2000;
    bool split_data = false;
    bool wrap_text = true;
    bool dates_to_strings = false;

    std::vector<std::string> tables;                       // selected tables, in selection order
    std::map<std::string, std::string> selected;           // name -> SELECT text ("" for a table)
    std::map<std::string, std::string> available_queries;  // defined but not selected

    // Kept only so that a profile is written back with what it was read with.
    int mode = 0;
    bool only_definitions = false;
    bool skip_indexes = false;

    // What a run converts: every selected table and query, once each, in name order (the
    // workbook's sheet order).
    std::vector<job_item> items() const;
    bool has_selection() const noexcept { return !selected.empty() || !tables.empty(); }
};
