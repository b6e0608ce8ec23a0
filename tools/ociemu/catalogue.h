// The Oracle data dictionary views the client queries, filled from the SQLite schema.
#pragma once

#include <optional>
#include <string>

struct sqlite3;

namespace ociemu {

// (Re)creates DUAL and the USER_/ALL_ TABLES, TAB_COLUMNS, CONSTRAINTS, CONS_COLUMNS, INDEXES,
// IND_COLUMNS and VIEWS as temporary tables of the connection, and V$VERSION with `banner` for a
// privileged user (without one it does not exist: ORA-00942). `owner` owns every table.
void build_catalogue(sqlite3* db, const std::string& owner, const std::optional<std::string>& banner);

}  // namespace ociemu
