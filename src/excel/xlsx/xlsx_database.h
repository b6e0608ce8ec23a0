// The .xlsx destination as the conversion run sees it: a database whose tables are the
// worksheets of one workbook package.
#pragma once

#include <memory>
#include <string>

#include "records/udb_database.h"

namespace SimpleXlsx {
class CWorkbook;
}

class xlsx_worksheet;

class xlsx_database : public udb_database {
public:
    // destination: the workbook's path. wrap_text: data cells wrap their text. Nothing is
    // created yet.
    explicit xlsx_database(std::string destination, bool wrap_text = false);
    // A workbook not saved is dropped and leaves no file.
    ~xlsx_database() override;

    // A new sheet named name with the schema's column names as its header row. name must
    // be a valid sheet name not yet in the workbook. indexes are ignored.
    std::unique_ptr<udb_recordset> create_table(const std::string& name, const udb_schema& schema,
                                                udb_indexes& indexes) override;
    // A workbook being written is never read back.
    std::unique_ptr<udb_recordset> get_query(const std::string& name, const std::string& sql, int mode) override;
    std::unique_ptr<udb_recordset> get_table(const std::string& table, int mode) override;
    bool test_query(const std::string& sql) override;

    // Completes the table's sheet.
    void save_table(udb_recordset& table);
    // Completes the workbook and puts it in place under the destination's name. Throws
    // when the file cannot be written; nothing is left under that name then.
    void save();
    // The run has moved past this workbook for now (a part workbook): its shared strings
    // are written and their memory given back. Later sheets still work.
    void release_memory();

    // A text every workbook of this database carries as a custom document property.
    void set_origin(std::string origin) { origin_ = std::move(origin); }
    // Where save() puts the workbook instead of its destination: the run's temporary name,
    // renamed by the run once every workbook is complete. Messages keep naming the destination.
    void set_output_path(std::string path) { output_path_ = std::move(path); }

    bool is_wrap_text() const noexcept { return wrap_text_; }

private:
    bool wrap_text_;
    std::string origin_;
    std::string output_path_;
    std::shared_ptr<SimpleXlsx::CWorkbook> workbook_;  // shared with its worksheets
};
