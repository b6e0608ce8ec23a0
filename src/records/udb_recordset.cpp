// udb_recordset: the base of every row source and sink.
#include "records/udb_recordset.h"

#include <utility>

#include "toolkit/log.h"

udb_recordset::udb_recordset(std::string name, std::string query_text, bool schema_flag)
    : query_text_(std::move(query_text)), name_(std::move(name)), schema_(schema_flag) {}

udb_recordset::udb_recordset(std::string name, bool schema_flag) : name_(std::move(name)), schema_(schema_flag) {}

udb_recordset::~udb_recordset() = default;

bool udb_recordset::save() { return true; }
udb_record* udb_recordset::get_item() { return nullptr; }
bool udb_recordset::is_eof() { return true; }
bool udb_recordset::is_query() const { return !query_text_.empty(); }
void udb_recordset::next() {}
void udb_recordset::move_first() {}
