// The .xlsx destination database: one workbook package, one worksheet per table.
#include "excel/xlsx/xlsx_database.h"

#include <vector>

#include "excel/xlsx/xlsx_sheet_writer.h"
#include "excel/xlsx/xlsx_workbook_writer.h"
#include "excel/xlsx/xlsx_worksheet.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"

namespace {

constexpr std::int32_t xlsx_engine_id = 0;  // no engine: the package writer is its own

}  // namespace

xlsx_database::xlsx_database(std::string destination, bool wrap_text)
    : udb_database(std::move(destination), xlsx_engine_id, false), wrap_text_(wrap_text) {
    TK_LOG(2, "xlsx_database::ctor(%s)", name_.c_str());
}

xlsx_database::~xlsx_database() { TK_LOG(2, "xlsx_database::dtor(%s)", name_.c_str()); }

std::unique_ptr<udb_recordset> xlsx_database::create_table(const std::string& name, const udb_schema& schema,
                                                           udb_indexes& /*indexes*/) {
    TK_LOG(2, "xlsx_database::create_table(%s)", name.c_str());
    // Checked here too so that a bad name creates no file.
    SimpleXlsx::check_sheet_title(name);
    std::vector<std::string> header;
    header.reserve(schema.size());
    for (const auto& descriptor : schema) header.push_back(descriptor->name);
    if (workbook_ == nullptr) {
        workbook_ = std::make_shared<SimpleXlsx::CWorkbook>(name_, wrap_text_);
        workbook_->set_origin(origin_);
        if (!output_path_.empty()) workbook_->set_output_path(output_path_);
    }
    SimpleXlsx::CWorksheet& sheet = workbook_->add_sheet(name, header);
    tables_.push_back(name);
    return std::make_unique<xlsx_worksheet>(workbook_, sheet, schema);
}

std::unique_ptr<udb_recordset> xlsx_database::get_query(const std::string& /*name*/, const std::string& /*sql*/,
                                                        int /*mode*/) {
    return nullptr;
}

std::unique_ptr<udb_recordset> xlsx_database::get_table(const std::string& /*table*/, int /*mode*/) { TK_FAIL(); }

bool xlsx_database::test_query(const std::string& /*sql*/) { return true; }

void xlsx_database::save_table(udb_recordset& table) {
    TK_LOG(2, "xlsx_database::save_table(%s)", table.name().c_str());
    table.save();
}

void xlsx_database::release_memory() {
    if (workbook_ != nullptr) workbook_->close_shared_strings();
}

void xlsx_database::save() {
    TK_LOG(2, "xlsx_database::save(%s)", name_.c_str());
    if (workbook_ == nullptr) return;
    // The workbook is dropped whether or not the save succeeds: a failed package is
    // removed, never retried half-written.
    const std::shared_ptr<SimpleXlsx::CWorkbook> workbook = std::move(workbook_);
    workbook->save();
}
