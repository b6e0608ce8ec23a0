// Workbook databases of the .xls driver: sheets with their column builder, and closing.
#include "excel/xls/dao_database.h"

#include "excel/xls/dao_exception.h"
#include "excel/xls/dao_field.h"
#include "excel/xls/dao_recordset.h"
#include "records/name_validators.h"
#include "toolkit/log.h"

namespace {

constexpr std::size_t max_columns = 256;

}  // namespace

dao_database::dao_database(const std::string& path, biff_version version, int mode)
    : udb_database(path, mode, false), writer_(path, version) {
    TK_LOG(2, "dao_database::dao_database( %s, mode=%d )", path.c_str(), mode);
}

dao_database::~dao_database() {
    TK_LOG(2, "dao_database::~dao_database");
    if (writer_.is_closed()) return;
    try {
        close();
    } catch (const std::exception& error) {
        TK_LOG(3, "%s", error.what());
    }
}

void dao_database::close() {
    try {
        writer_.close();
    } catch (const tk_exception& error) {
        if (error.level() == tk_level_internal) throw;
        throw dao_exception(dao_error::cannot_write_file, error.message());
    }
}

void dao_database::drop_table(const std::string& name) noexcept {
    sheets_.erase(name);
    std::erase_if(tables_, [&](const std::string& table) { return iequals(table, name); });
    writer_.remove_sheet(name);
}

std::unique_ptr<udb_recordset> dao_database::create_table(const std::string& name, const udb_schema& schema,
                                                          udb_indexes& indexes) {
    TK_LOG(2, "dao_database::create_table (%s)", name.c_str());
    TK_ASSERT((engine_ & 1) == 0 && !writer_.is_closed());
    // a new workbook cannot hold a name twice; the run names each sheet once
    TK_ASSERT(!is_table_exist(name));
    if (schema.size() > max_columns)
        throw dao_exception(dao_error::invalid_name, "The table " + name + " has " + std::to_string(schema.size()) +
                                                         " columns; a worksheet holds at most 256.",
                            tk_level_recoverable);
    udb_schema columns = build_columns(name, schema);
    biff_sheet_writer* sheet = nullptr;
    try {
        sheet = &writer_.add_sheet(name);
    } catch (const tk_exception& error) {
        throw dao_exception(dao_error::invalid_name, error.message(), tk_level_recoverable);
    }
    // workbooks get no indexes: the list is handed back as it came
    (void)indexes;
    // the run finds each column under the name it got
    for (std::size_t k = 0; k < columns.size(); ++k) names_map_.add_fn_mapping(name, schema[k].name, columns[k].name);
    sheet->start_row();
    for (std::size_t k = 0; k < columns.size(); ++k) sheet->put_text(static_cast<std::uint16_t>(k), columns[k].name);
    sheet->end_row();
    TK_LOG(1, "Right before Append");
    tables_.push_back(name);
    sheets_.emplace(name, std::make_unique<dao_sheet>(dao_sheet{sheet, std::move(columns)}));
    return get_table(name, 2);
}

// Column names the driver cannot take, or that an earlier column already took, get a
// safe name. Nothing is recorded here, so a refused table changes nothing.
udb_schema dao_database::build_columns(const std::string& table, const udb_schema& schema) const {
    TK_LOG(2, "dao_schema_initializer::ctor(%s)", table.c_str());
    dao_fn_validator validator(schema);
    udb_schema columns;
    std::vector<std::string> used;
    std::uint32_t total_size = 0;
    TK_LOG(2, "dao_schema_initializer::initialize");
    for (std::size_t k = 0; k < schema.size(); ++k) {
        const t_ftd& source = schema[k];
        bool taken = false;
        for (const auto& name : used) taken = taken || iequals(name, source.name);
        std::string name = validator.is_acceptable(source.name) && !taken ? source.name
                                                                          : validator.get_safe_name(source.name);
        validator.add_existing_name(name);
        used.push_back(name);
        TK_LOG(1, "Store generated column name '%s'", name.c_str());
        const int type = dao_field::get_native_type(source);
        total_size += source.size;
        TK_LOG(1, "Field #%zu, type=%d, size=%u, total size=%u", k, source.vartype, source.size, total_size);
        columns.add(t_ftd(source.size, std::move(name), dao_field::get_vartype(type), source.b_not_null,
                          source.b_auto_increment && type == dao_type::long_integer));
    }
    return columns;
}

std::unique_ptr<udb_recordset> dao_database::get_table(const std::string& table, int mode) {
    TK_LOG(2, "dao_database::get_table(%s, %d)", table.c_str(), mode);
    TK_ASSERT(is_table_exist(table));
    const auto found = sheets_.find(table);
    TK_ASSERT(found != sheets_.end());
    return std::make_unique<dao_recordset>(found->first, *found->second);
}

std::unique_ptr<udb_recordset> dao_database::get_query(const std::string&, const std::string&, int) {
    TK_FAIL();  // a workbook being written is never read back
}

bool dao_database::test_query(const std::string&) { return false; }
