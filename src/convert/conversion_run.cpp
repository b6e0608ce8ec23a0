// The conversion run: every selected table and query of the source becomes one worksheet
// of the destination workbook.
#include "convert/conversion_run.h"

#include <algorithm>
#include <ctime>
#include <unordered_set>
#include <filesystem>

#include "convert/converter.h"
#include "convert/sprandel_convertor.h"
#include "oracle/ora_database.h"
#include "oracle/ora_engine.h"
#include "convert/error_handler.h"
#include "convert/user_interface.h"
#include "excel/xls/dao_engine.h"
#include "excel/xls_engine.h"
#include "records/name_validators.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

constexpr const char* binary_placeholder = "<Binary Field>";
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
    const int total = record_total.load();
    const int current = record_current.load();
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

void xls_converter::clean_if_exists() {
    TK_LOG(2, "xls_converter::clean_if_exists");
    const auto remove = [](const std::string& path) {
        TK_LOG(3, "Delete file '%s'", path.c_str());
        std::error_code error;
        std::filesystem::remove(path, error);
        if (error)
            throw tk_exception_ex(error.value(), "Cannot delete the earlier workbook " + path + ": ",
                                  tk_level_serious);
    };
    std::error_code error;
    if (std::filesystem::exists(dest, error)) remove(dest);
    if (!split_data) return;
    for (int part = 1;; ++part) {
        const std::string path = run_workbooks::part_path(dest, part);
        if (!std::filesystem::exists(path, error)) break;  // parts are numbered without gaps
        remove(path);
    }
}

void xls_converter::do_patch(const std::vector<std::string>& written) {
    TK_LOG(2, "xls_converter::do_patch");
    if (format_version == format_excel_2010) return;
    // Queries-only runs are patched too: their header rows deserve the same look.
    for (const std::string& path : written) {
        if (!formats_[format_version]->patch(path))
            throw tk_exception("The workbook " + path + " was written but its header row could not be formatted.",
                               tk_level_recoverable);
    }
}

udb_schema xls_converter::destination_schema(const udb_recordset& source, std::size_t columns) const {
    udb_schema schema(true);
    schema.reserve(columns);
    for (std::size_t i = 0; i < columns; ++i) {
        const t_ftd& field = source.schema()[i];
        vartype type = field.vartype;
        if (type == VT_DATE && (dates_to_strings || format_version == format_excel_50)) type = VT_BSTR;
        if (is_binary_type(type)) type = VT_BSTR;
        TK_LOG(1, "Orig type=%d, new type=%d", static_cast<int>(field.vartype), static_cast<int>(type));
        schema.add(t_ftd(field.size, field.name, type, field.b_not_null, false, {}, field.reserved,
                         field.type_name));
    }
    return schema;
}

void xls_converter::do_convert(udb_database& source) {
    TK_LOG(2, "xls_converter::do_convert");
    clean_if_exists();
    const bool is_xlsx = format_version == format_excel_2010;
    if (!is_xlsx && !dao_ && !dao_engine::is_initialized()) dao_ = std::make_unique<dao_engine>();
    if (!is_xlsx && !dao_engine::instance().set_version_if(0))
        throw tk_exception(
            "Failed to load Data Access Objects (DAO) support library.\nMicrosoft Access installation is "
            "required to proceed with\nthe application.\n",
            tk_level_serious);
    for (const std::string& table : tables) selected.emplace(table, std::string());
    max_columns = is_xlsx ? xlsx_max_columns : xls_max_columns;

    xls_tn_validator validator(tables, source.get_tables());
    std::unordered_set<std::string> used_sheets;  // case-folded
    run_workbooks books(dest, format_version, output_format(), is_xlsx ? nullptr : &dao_engine::instance(), wrap_text);

    for (const auto& [name, text] : selected) {
        check_stop(*this);
        set_current_name(name);
        TK_LOG(1, "Processing '%s'", name.c_str());
        std::string sheet_name = name;
        if (!validator.is_acceptable(name) || used_sheets.count(fold_case(name)) != 0)
            sheet_name = validator.get_safe_name(name);
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

    TK_LOG(1, "xls_converter::save(active_idx=%d)", format_version);
    const std::vector<std::string> written = books.close_all();
    do_patch(written);
    finished = true;
}

void xls_converter::convert_item(udb_database& source, run_workbooks& books, const std::string& name,
                                 const std::string& text, const std::string& sheet_name) {
    std::unique_ptr<udb_recordset> recordset;
    // a profile may name a table that has since been dropped or renamed
    if (text.empty() && !source.is_table_exist(name))
        throw tk_exception("The table does not exist in the source database.", tk_level_recoverable);
    try {
        recordset = text.empty() ? source.get_table(name, 1) : source.get_query(name, text, 1);
    } catch (const tk_exception& error) {
        throw source_error(error);
    }
    std::size_t columns = recordset->schema().size();
    if (columns > static_cast<std::size_t>(max_columns)) {
        user_interface& face = user_interface::instance();
        if (!face.continue_or_abort(face.title() + " Error", too_many_columns_text).continue_run)
            throw tk_final_exception();
        columns = static_cast<std::size_t>(max_columns);
    }
    const udb_schema schema = destination_schema(*recordset, columns);
    convert_table(books, *recordset, sheet_name, schema);

    std::string line = "Table '" + name + "' (" + std::to_string(record_current.load()) + " records) is converted\n";
    TK_LOG(3, "%s", line.c_str());
    if (user_interface::is_initialized()) user_interface::instance().write_log(line);
}

void xls_converter::convert_table(run_workbooks& books, udb_recordset& recordset, const std::string& sheet_name,
                                  const udb_schema& schema) {
    const std::string name = current_name();
    TK_LOG(2, "xls_converter::convert_table(%s)", sheet_name.c_str());
    const bool excel_50 = format_version == format_excel_50;
    const std::uint32_t sheet_rows = output_format().max_rows();

    int part = 0;
    b_splitted = false;
    udb_indexes ignored_indexes;
    std::unique_ptr<udb_recordset> sheet = books.workbook(part).create_table(sheet_name, schema, ignored_indexes);
    std::uint32_t rows_in_sheet = 0;

    record_total = recordset.records_count();
    TK_LOG(3, "Converting table %s (%d records)", name.c_str(), record_total.load());

    // One record is built once and refilled row after row: names, sizes and flags stay. A
    // column the workbook had to rename (quotes, brackets, a repeated name) is filled under
    // its new name.
    const udb_names_map& renamed = books.workbook(part).names_map();
    udb_record row;
    row.reserve(schema.size());
    for (std::size_t i = 0; i < schema.size(); ++i)
        row.add_field(renamed.get_fn_mapped_name(sheet_name, schema[i].name, true),
                      static_cast<std::int32_t>(schema[i].size), ole_variant(), schema[i].b_not_null);

    std::uint64_t cut_texts = 0;
    std::uint64_t rows_left_out = 0;
    recordset.move_first();
    for (;;) {
        check_stop(*this);
        const udb_record* source_row = nullptr;
        try {
            if (recordset.is_eof()) break;
            source_row = recordset.get_item();
        } catch (const tk_exception& error) {
            // The cursor cannot be trusted after a failed fetch: report the row, end the item.
            error_handler::instance().set_context(name, record_current.load() + 1);
            error_handler::instance().handle(source_error(error), false);
            break;
        }
        if (source_row == nullptr) break;

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

        TK_LOG(1, "Converting %d record", record_current.load());
        try {
            fill_row(row, *source_row, schema, excel_50, cut_texts);
            sheet->append_record(row);
            ++rows_in_sheet;
        } catch (const tk_exception& error) {
            if (error.level() != tk_level_recoverable) throw;  // the item's guard reports it
            error_handler::instance().set_context(name, record_current.load() + 1);
            error_handler::instance().handle(error, false);
        }
        ++record_current;
        try {
            recordset.next();
        } catch (const tk_exception& error) {
            error_handler::instance().set_context(name, record_current.load() + 1);
            error_handler::instance().handle(source_error(error), false);
            break;
        }
    }
    books.finish_sheet(part, *sheet);
    if (cut_texts != 0)
        TK_LOG(3, "%llu texts of table %s were cut to the cell limit of the format",
               static_cast<unsigned long long>(cut_texts), name.c_str());
    if (rows_left_out != 0) {
        tk_exception error("Table '" + name + "' has more rows than a worksheet of this format holds (" +
                               std::to_string(sheet_rows) + "); the rows after that were not written. Choose " +
                               "\"Split data into multiple spreadsheets\" to keep them.",
                           tk_level_recoverable);
        error_handler::instance().set_context(name);
        error_handler::instance().handle(error, false);
    }
    TK_LOG(2, "xls_converter::convert_table - END");
}

void xls_converter::fill_row(udb_record& row, const udb_record& source, const udb_schema& schema, bool excel_50,
                             std::uint64_t& cut_texts) const {
    const std::size_t count = std::min(row.size(), source.size());
    for (std::size_t i = 0; i < count; ++i) {
        const ole_variant& value = source[i];
        udb_field& target = row[i];
        if (value.is_text()) {
            bool cut = false;
            target = ole_variant(normalize_cell_text(value.get_text(), excel_50, cut));
            if (cut) ++cut_texts;
        } else if (value.is_binary() || value.get_type() == VT_BLOB) {
            target = ole_variant(binary_placeholder);
        } else if (value.get_type() == VT_DATE && schema[i].vartype == VT_BSTR) {
            target = ole_variant(value.to_string());  // the canonical date text
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
    TK_LOG(3, "Conversion started on %s\n", local_time_text().c_str());
    try {
        TK_ASSERT(database != nullptr);
        oracle_engine().set_indexes_off(true);
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
    }
    TK_LOG(3, "Conversion ended on %s\n", local_time_text().c_str());
    finished = true;
}
