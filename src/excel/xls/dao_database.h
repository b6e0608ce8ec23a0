// A workbook being written through the .xls driver: each table is a worksheet whose first
// row holds the column names, and the file is complete once the database is closed.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "excel/xls/biff_workbook_writer.h"
#include "records/udb_database.h"
#include "toolkit/text.h"

// What a worksheet's recordsets share: the sheet and the columns it was created with.
struct dao_sheet {
    biff_sheet_writer* sheet;  // owned by the workbook writer
    udb_schema columns;        // names used and the driver's vartypes
};

class dao_database : public udb_database {
public:
    dao_database(const std::string& path, biff_version version, int mode);
    // Writes the workbook when close() was not called; a failure is only logged then.
    ~dao_database() override;

    // A new sheet: column names the driver cannot take get safe names (recorded in the
    // names map), the header row is written, and an append-only recordset returned.
    std::unique_ptr<udb_recordset> create_table(const std::string& name, const udb_schema& schema,
                                                udb_indexes& indexes) override;
    // A recordset appending to a sheet of this workbook.
    std::unique_ptr<udb_recordset> get_table(const std::string& table, int mode) override;
    // A workbook being written is never queried.
    std::unique_ptr<udb_recordset> get_query(const std::string& name, const std::string& sql, int mode) override;
    bool test_query(const std::string& sql) override;

    // Writes the workbook under its name; throws naming the file. Recordsets of this
    // database must not be used afterwards.
    void close();
    // The run has moved past this workbook for now (a part workbook): see
    // biff_workbook_writer::release_memory.
    void release_memory() { writer_.release_memory(); }
    bool is_closed() const noexcept { return writer_.is_closed(); }
    // Leaves the sheet of that table out of the workbook; its recordsets must be gone.
    void drop_table(const std::string& name) noexcept;
    // Ends without writing anything under the workbook's name.
    void abandon() noexcept { writer_.abandon(); }
    std::size_t sheet_count() const noexcept { return writer_.sheet_count(); }
    // A text the workbook carries so it can be recognised later (see biff_workbook_writer).
    void set_origin(std::string origin) { writer_.set_origin(std::move(origin)); }
    // Where close() puts the workbook instead of its name: the run's temporary file, renamed
    // by the run once every workbook is complete. Messages keep naming the workbook.
    void set_output_path(std::string path) { writer_.set_output_path(std::move(path)); }
    int mode() const noexcept { return engine_; }
    biff_version version() const noexcept { return writer_.version(); }
    // Characters of Excel 5.0 texts that became "?".
    std::size_t replaced_characters() const noexcept { return writer_.replaced_characters(); }

private:
    udb_schema build_columns(const std::string& table, const udb_schema& schema) const;

    biff_workbook_writer writer_;
    std::map<std::string, std::unique_ptr<dao_sheet>, iless> sheets_;
};
