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

    bool is_wrap_text() const noexcept { return wrap_text_; }

private:
    bool wrap_text_;
    std::shared_ptr<SimpleXlsx::CWorkbook> workbook_;  // shared with its worksheets
};
