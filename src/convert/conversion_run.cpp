// The conversion run: every selected table and query of the source becomes one worksheet
// of the destination workbook.
#include "convert/conversion_run.h"

#include <algorithm>
#include <ctime>
#include <exception>
#include <unordered_set>
#include <filesystem>

#include "convert/converter.h"
#include "convert/sprandel_convertor.h"
#include "oracle/ora_database.h"
#include "oracle/ora_engine.h"
#include "oracle/ora_exception.h"
#include "convert/error_handler.h"
#include "convert/user_interface.h"
#include "excel/cells/cell_form.h"
#include "excel/xls/biff_string_table.h"
#include "excel/xls/dao_engine.h"
#include "excel/xls_engine.h"
#include "excel/xlsx/xlsx_error.h"
#include "records/name_validators.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

constexpr const char* too_many_columns_text = "Table will be truncated up to 256 columns.";
constexpr int xls_max_columns = 255;
constexpr int xlsx_max_columns = 16384;

bool is_binary_type(vartype type) { return type == VT_BLOB || type == VT_BINARY || type == VT_CARRAY; }

std::string local_time_text() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d at %02d:%02d:%02d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

// Stops the current item quietly when the user asked the run to stop.
void check_stop(const tk_thread_functor& job) {
    if (job.is_stop_requested()) {
        TK_LOG(3, "Conversion stopped by the user");
        throw tk_final_exception();
    }
}

// A source error ends the item or the row, not the run: the next table may well be
// readable. Internal errors keep their level.
tk_exception source_error(const tk_exception& error) {
    tk_exception copy(error);
    if (copy.level() == tk_level_serious) copy.set_level(tk_level_recoverable);
    return copy;
}

// The destination refused one sheet (name, columns) but can take the next.
bool is_sheet_error(const tk_exception& error) {
    if (error.level() == tk_level_recoverable) return true;
    switch (static_cast<xlsx_error>(error.code() - xlsx_error_code_base)) {
    case xlsx_error::sheet_name_empty:
    case xlsx_error::sheet_name_too_long:
    case xlsx_error::sheet_name_invalid:
    case xlsx_error::sheet_name_duplicate:
    case xlsx_error::too_many_columns:
        return true;
    case xlsx_error::cannot_create_file:
    case xlsx_error::cannot_write_file:
    case xlsx_error::cannot_finish_file:
    case xlsx_error::cannot_rename_file:
    case xlsx_error::too_many_rows:
    case xlsx_error::text_not_utf8:
    case xlsx_error::text_too_long:
        return false;
    }
    return false;
}

// True for an internal error on its way, or one the error handler has shown already (its
// exit hook may unwind with an exception of its own).
bool is_internal_error(const std::exception_ptr& thrown) {
    if (error_handler::instance().had_internal_error()) return true;
    try {
        std::rethrow_exception(thrown);
    } catch (const tk_exception& error) {
        return error.level() == tk_level_internal;
    } catch (...) {
        return false;
    }
}

}  // namespace

void udb_converter::set_current_name(std::string name) {
    std::lock_guard lock(current_name_mutex_);
    current_name_ = std::move(name);
}

std::string udb_converter::current_name() const {
    std::lock_guard lock(current_name_mutex_);
    return current_name_;
}

int udb_converter::percent_done() const noexcept {
    const int tables = table_count.load();
    const int index = table_index.load();
    const std::int64_t total = record_total.load();
    const std::int64_t current = record_current.load();
    if (tables == 0) return 0;
    long long percent = static_cast<long long>(index) * 100 / tables;
    if (total != 0) percent += static_cast<long long>(current) * 100 / total / tables;
    return static_cast<int>(percent > 100 ? 100 : percent);
}

xls_converter::xls_converter()
    : formats_{std::make_unique<xls_engine_biff>(biff_version::biff5), std::make_unique<xls_engine_biff>(biff_version::biff8),
               std::make_unique<xls_engine_2010>()} {}

xls_converter::~xls_converter() = default;

const xls_engine& xls_converter::output_format() const {
    TK_ASSERT(format_version >= format_excel_50 && format_version <= format_excel_2010);
    return *formats_[format_version];
}

xls_engine& xls_converter::format(int version) {
    TK_ASSERT(version >= format_excel_50 && version <= format_excel_2010);
    return *formats_[version];
}

void xls_converter::do_patch(const std::vector<std::string>& completed) {
    TK_LOG(2, "xls_converter::do_patch");
    if (format_version == format_excel_2010) return;
    // The patch sets the data cells' wrapping, so it takes the run's setting, as .xlsx does.
    formats_[format_version]->b_wrap_text = wrap_text;
    // Queries-only runs are patched too: their header rows deserve the same look.
    for (const std::string& path : completed) {
        if (!formats_[format_version]->patch(path))
            throw tk_exception("The workbook " + dest + " could not be completed: its header row could not be formatted.",
                               tk_level_serious);
    }
}

udb_schema xls_converter::destination_schema(const udb_recordset& source, std::size_t columns) const {
    udb_schema schema(true);
    schema.reserve(columns);
    // A query may repeat a column name (a join of two tables with the same key): the
    // repeats get numbered names, so every format's header tells the columns apart.
    udb_validator header_names;
    for (std::size_t i = 0; i < columns; ++i) header_names.add_existing_name(source.schema()[i].name);
    std::unordered_set<std::string> seen;  // case-folded
    for (std::size_t i = 0; i < columns; ++i) {
        const t_ftd& field = source.schema()[i];
        std::string name = field.name;
        if (!seen.insert(fold_case(name)).second) {
            name = header_names.get_safe_name(name);
            header_names.add_existing_name(name);
            seen.insert(fold_case(name));
        }
        vartype type = field.vartype;
        if (type == VT_DATE && (dates_to_strings || format_version == format_excel_50)) type = VT_BSTR;
        if (is_binary_type(type)) type = VT_BSTR;
        TK_LOG(1, "Orig type=%d, new type=%d", static_cast<int>(field.vartype), static_cast<int>(type));
        schema.add(t_ftd(field.size, std::move(name), type, field.b_not_null, false, field.reserved,
                         field.type_name));
    }
    return schema;
}

void xls_converter::do_convert(udb_database& source) {
    TK_LOG(2, "xls_converter::do_convert");
    written_workbooks.clear();
    const bool is_xlsx = format_version == format_excel_2010;
    if (!is_xlsx && !dao_ && !dao_engine::is_initialized()) dao_ = std::make_unique<dao_engine>();
    if (!is_xlsx && !dao_engine::instance().set_version_if(0))
        throw tk_exception(
            "Failed to load Data Access Objects (DAO) support library.\nMicrosoft Access installation is "
            "required to proceed with\nthe application.\n",
            tk_level_serious);
    for (const std::string& table : tables) selected.emplace(table, std::string());
    max_columns = is_xlsx ? xlsx_max_columns : xls_max_columns;

    run_workbooks books(dest, format_version, output_format(), is_xlsx ? nullptr : &dao_engine::instance(), wrap_text);
    try {
        convert_all(source, books);
    } catch (const tk_final_exception&) {
        // A stop keeps what the format keeps: an .xls run its finished items (unpatched, as
        // the run did not end), an .xlsx run nothing, so the earlier workbook stays.
        if (error_handler::instance().had_internal_error()) {
            books.abandon_all();  // the stop that follows an internal error keeps nothing
        } else if (!is_xlsx) {
            books.complete_all();
            written_workbooks = books.publish();
        }
        throw;
    } catch (...) {
        // After an internal error the state of the run is unknown: no workbook of it may
        // appear, not even the items finished before.
        if (is_internal_error(std::current_exception())) books.abandon_all();
        throw;
    }

    TK_LOG(2, "xls_converter::save(active_idx=%d)", format_version);  // once a run, the moment the workbooks are completed
    // The header patch goes into the complete files before they take the destination's name.
    do_patch(books.complete_all());
    written_workbooks = books.publish();
    finished = true;
}

void xls_converter::convert_all(udb_database& source, run_workbooks& books) {
    xls_tn_validator validator(tables, source.get_tables());
    std::unordered_set<std::string> used_sheets;  // case-folded

    for (const auto& [name, text] : selected) {
        check_stop(*this);
        set_current_name(name);
        TK_LOG(1, "Processing '%s'", name.c_str());
        // Excel 5.0 stores names in code page 1252: check the name it will store.
        std::string sheet_name = format_version == format_excel_50 ? biff5_sheet_name(name) : name;
        if (!validator.is_acceptable(sheet_name) || used_sheets.count(fold_case(sheet_name)) != 0)
            sheet_name = validator.get_safe_name(sheet_name);
        TK_LOG(1, "pi.tab_name='%s', new_tab_name='%s'", name.c_str(), sheet_name.c_str());
        try {
            convert_item(source, books, name, text, sheet_name);
        } catch (const tk_exception& error) {
            error_handler::instance().set_context(name);
            error_handler::instance().handle(error, false);  // may stop the run
        }
        if (sheet_name != name) TK_LOG(1, "Store generated table name '%s'", sheet_name.c_str());
        validator.add_existing_name(sheet_name);
        used_sheets.insert(fold_case(sheet_name));
        record_total = 0;
        record_current = 0;
        ++table_index;
    }
}

void xls_converter::convert_item(udb_database& source, run_workbooks& books, const std::string& name,
                                 const std::string& text, const std::string& sheet_name) {
    std::unique_ptr<udb_recordset> recordset;
    // a profile may name a table that has since been dropped or renamed
    if (text.empty() && !source.is_table_exist(name))
        throw tk_exception("The table does not exist in the source database.", tk_level_recoverable);
    try {
        recordset = text.empty() ? source.get_table(name, 1) : source.get_query(name, text, 1);
    } catch (const tk_final_exception&) {
        // a stop that broke off the opening call: the item was begun, so it is reported
        table_outcome outcome;
        outcome.expected = -1;
        outcome.cut_short = "the run was stopped before its rows were read";
        report_outcome(name, outcome);
        throw;
    } catch (const tk_exception& error) {
        throw source_error(error);
    }
    std::size_t columns = recordset->schema().size();
    if (columns > static_cast<std::size_t>(max_columns)) {
        user_interface& face = user_interface::instance();
        if (!face.continue_or_abort(face.title() + " Error", too_many_columns_text).continue_run)
            throw tk_final_exception();
        errors.add(name + ": " + too_many_columns_text);
        columns = static_cast<std::size_t>(max_columns);
    }
    const udb_schema schema = destination_schema(*recordset, columns);
    report_outcome(name, convert_table(books, *recordset, sheet_name, schema));
}

// The item's line in the log: converted (with the rows left out counted), or cut short,
// which the run's error list repeats so that a partial sheet is never taken for a whole one.
void xls_converter::report_outcome(const std::string& name, const table_outcome& outcome) {
    std::string line;
    if (outcome.cut_short.empty()) {
        ++items_converted;
        line = outcome.failed == 0 ? "Table '" + name + "' (" + std::to_string(outcome.written) + " records) is converted"
                                   : "Table '" + name + "' is converted: " + std::to_string(outcome.written) +
                                         " records written, " + std::to_string(outcome.failed) + " not (listed)";
    } else {
        const std::string count = outcome.expected < 0 ? std::to_string(outcome.written) + " records written"
                                  : outcome.expected >= outcome.read
                                      ? std::to_string(outcome.written) + " of " + std::to_string(outcome.expected) +
                                            " records written"
                                      : std::to_string(outcome.written) +
                                            " records written; the table's size is unknown, it grew while it was read";
        line = "Table '" + name + "' is not complete: " + count + "; " + outcome.cut_short;
        errors.add(name + ": not complete: " + count + "; " + outcome.cut_short);
    }
    TK_LOG(3, "%s", line.c_str());
    if (user_interface::is_initialized()) user_interface::instance().write_log(line + "\n");
}

void xls_converter::report_row(const tk_exception& error) {
    error_handler& handler = error_handler::instance();
    handler.set_context(current_name(), record_current.load() + 1);
    handler.handle(source_error(error), false);  // may stop the run
}

// The next source row. An error the server reports for one row, or a value that cannot be
// converted, costs that row while the cursor still answers; a lost session or cursor ends
// the item as cut short.
xls_converter::fetch_result xls_converter::fetch_next(udb_recordset& recordset, const udb_record*& row,
                                                      table_outcome& outcome) {
    const auto skip = [&](const tk_exception& error) {
        report_row(error);
        ++outcome.failed;
        ++record_current;
        recordset.next();
        return fetch_result::row_failed;
    };
    try {
        if (recordset.is_eof()) return fetch_result::end;
    } catch (const tk_exception& error) {
        const auto* oracle = dynamic_cast<const ora_exception*>(&error);
        if (oracle != nullptr && !oracle->ends_the_cursor()) return skip(error);
        report_row(error);
        outcome.cut_short = "the source stopped answering";
        return fetch_result::end;
    }
    try {
        row = recordset.get_item();
    } catch (const tk_exception& error) {
        if (error.level() == tk_level_internal) throw;
        return skip(error);
    }
    return row == nullptr ? fetch_result::end : fetch_result::row;
}

table_outcome xls_converter::convert_table(run_workbooks& books, udb_recordset& recordset,
                                           const std::string& sheet_name, const udb_schema& schema) {
    const std::string name = current_name();
    TK_LOG(2, "xls_converter::convert_table(%s)", sheet_name.c_str());
    const bool excel_50 = format_version == format_excel_50;
    const std::uint32_t sheet_rows = output_format().max_rows();
    error_handler& handler = error_handler::instance();

    int part = 0;
    b_splitted = false;
    udb_indexes ignored_indexes;
    std::unique_ptr<udb_recordset> sheet;
    try {
        sheet = books.workbook(part).create_table(sheet_name, schema, ignored_indexes);
    } catch (const tk_exception& error) {
        // a sheet that cannot be created (its name, its columns) costs its item, not the run;
        // a workbook that cannot be written stops it
        if (!is_sheet_error(error)) throw;
        throw source_error(error);
    }
    std::uint32_t rows_in_sheet = 0;

    table_outcome outcome;
    outcome.expected = recordset.records_count();
    record_total = recordset.records_count();
    TK_LOG(3, "Converting table %s (%lld records)", name.c_str(), static_cast<long long>(record_total.load()));

    // One record is built once and refilled row after row: names, sizes and flags stay. A
    // column the workbook had to rename (quotes, brackets, a repeated name) is filled under
    // its new name.
    const udb_names_map& renamed = books.workbook(part).names_map();
    udb_record row;
    row.reserve(schema.size());
    for (std::size_t i = 0; i < schema.size(); ++i)
        row.add_field(renamed.get_fn_mapped_name(sheet_name, schema[i].name, true),
                      static_cast<std::int32_t>(schema[i].size), ole_variant(), schema[i].b_not_null);

    std::vector<std::uint64_t> cut_texts(schema.size(), 0);
    std::uint64_t rows_left_out = 0;
    try {
        recordset.move_first();
        for (;;) {
            check_stop(*this);
            const udb_record* source_row = nullptr;
            const fetch_result fetched = fetch_next(recordset, source_row, outcome);
            if (fetched == fetch_result::end) break;
            if (fetched == fetch_result::row_failed) continue;

            if (rows_in_sheet == sheet_rows) {
                if (!split_data) {
                    rows_left_out = record_total.load() > record_current.load()
                                        ? static_cast<std::uint64_t>(record_total.load() - record_current.load())
                                        : 1;
                    break;
                }
                books.finish_sheet(part, *sheet);
                sheet.reset();
                ++part;
                b_splitted = true;
                TK_LOG(3, "Table %s continues in part %d", name.c_str(), part);
                sheet = books.workbook(part).create_table(sheet_name, schema, ignored_indexes);
                rows_in_sheet = 0;
            }

            TK_LOG(1, "Converting %lld record", static_cast<long long>(record_current.load()));
            try {
                fill_row(row, *source_row, schema, excel_50, cut_texts);
                sheet->append_record(row);
                ++rows_in_sheet;
                ++outcome.written;
            } catch (const tk_exception& error) {
                if (error.level() != tk_level_recoverable) throw;  // the item's guard reports it
                report_row(error);
                ++outcome.failed;
            }
            ++record_current;
            recordset.next();
        }
        books.finish_sheet(part, *sheet);
    } catch (const tk_final_exception&) {
        // A stopped item leaves no sheet in an .xls workbook, which keeps only the items
        // finished before the stop; an .xlsx package is then not saved at all.
        sheet.reset();
        books.drop_sheet(sheet_name);
        outcome.read = record_current.load();
        outcome.cut_short = "the run was stopped; the sheet is left out";
        report_outcome(name, outcome);
        throw;
    } catch (...) {
        outcome.read = record_current.load();
        outcome.cut_short = "an error ended it";
        report_outcome(name, outcome);
        throw;
    }
    outcome.read = record_current.load();
    for (std::size_t i = 0; i < cut_texts.size(); ++i) {
        if (cut_texts[i] == 0) continue;
        const std::string limit = excel_50 ? "254" : "32,766";
        tk_exception cut(
            "Column '" + schema[i].name + "': " + std::to_string(cut_texts[i]) +
                (cut_texts[i] == 1 ? " text was" : " texts were") + " cut to " + limit +
                " characters, the most a cell of this format holds.",
            tk_level_recoverable);
        handler.set_context(name);
        handler.handle(cut, false);
    }
    if (rows_left_out != 0) {
        outcome.failed += static_cast<std::int64_t>(rows_left_out);
        tk_exception error("Table '" + name + "' has more rows than a worksheet of this format holds (" +
                               std::to_string(sheet_rows) + "); the rows after that were not written. Choose " +
                               "\"Split data into multiple spreadsheets\" to keep them.",
                           tk_level_recoverable);
        handler.set_context(name);
        handler.handle(error, false);
    }
    TK_LOG(2, "xls_converter::convert_table - END");
    return outcome;
}

void xls_converter::fill_row(udb_record& row, const udb_record& source, const udb_schema& schema, bool excel_50,
                             std::vector<std::uint64_t>& cut_texts) const {
    const std::size_t count = std::min(row.size(), source.size());
    for (std::size_t i = 0; i < count; ++i) {
        const ole_variant& value = source[i];
        udb_field& target = row[i];
        if (value.is_text()) {
            const std::string& text = value.get_text();
            if (is_normal_cell_text(text, excel_50)) {
                target.attach_string(text);  // into the buffer the row's field already has
            } else {
                bool cut = false;
                target = ole_variant(normalize_cell_text(text, excel_50, cut));
                if (cut) ++cut_texts[i];
            }
        } else if (value.is_binary() || value.get_type() == VT_BLOB) {
            target.attach_string(cell_binary_placeholder);
        } else if (value.get_type() == VT_DATE && schema[i].vartype == VT_BSTR) {
            target = ole_variant(date_value_text(value.get_date()));  // never a widened year
        } else {
            target = value;
        }
    }
    for (std::size_t i = count; i < row.size(); ++i) row[i] = ole_variant();
}

void sprandel_convertor::operator()() {
    TK_LOG(2, "sprandel_converter::operator()");
    finished = false;
    table_index = 0;
    record_total = 0;
    record_current = 0;
    items_converted = 0;
    stopped = false;
    errors.clear();
    error_handler::instance().collect_into(&errors);
    // The handler's exit hook may unwind this thread with an exception of its own.
    struct run_bracket {
        sprandel_convertor& run;
        ~run_bracket() {
            error_handler::instance().collect_into(nullptr);
            TK_LOG(3, "Conversion ended on %s\n", local_time_text().c_str());
            run.finished = true;
        }
    } bracket{*this};
    TK_LOG(3, "Conversion started on %s\n", local_time_text().c_str());
    try {
        TK_ASSERT(database != nullptr);
        oracle_engine().set_binary_values_off(true);  // they are shown as "<Binary Field>"
        table_count = static_cast<int>(tables.size());
        TK_LOG(3, "Converting database %s (%d tables)", src.c_str(), table_count.load());
        do_convert(*database);
    } catch (const tk_final_exception&) {
        stopped = true;  // the user has been told, or asked for it
    } catch (const tk_exception& error) {
        stopped = true;
        error_handler::instance().handle(error, true);
    } catch (const std::exception& error) {
        stopped = true;
        if (user_interface::is_initialized()) user_interface::instance().error(error.what());
    } catch (...) {
        stopped = true;
        throw;
    }
}
