// Describes SQLite results as Oracle select lists and reads their rows.
#include "result_cursor.h"

#include "database_session.h"

#include "oracle_errors.h"
#include "text_codec.h"

#include <sqlite3.h>

namespace ociemu {
namespace {

[[noreturn]] void raise_sqlite_failure(sqlite3* db, const analysed_statement& statement) {
    throw_if_busy(db);
    sqlite_failure failure{sqlite3_errmsg(db), sqlite3_error_offset(db)};
    std::string detail;
    const int code = oracle_code_for(failure, statement, detail);
    throw make_error(code, detail);
}

// Which select item produced result column `index`, when the list can be matched up.
const select_item* item_for_column(const std::vector<select_item>& items, int index, int count) {
    int stars = 0;
    for (const auto& item : items) stars += item.is_star ? 1 : 0;
    if (stars == 0) return static_cast<int>(items.size()) == count ? &items[static_cast<std::size_t>(index)] : nullptr;
    if (stars > 1) return nullptr;
    const int star_width = count - static_cast<int>(items.size()) + 1;
    int column = 0;
    for (const auto& item : items) {
        const int width = item.is_star ? star_width : 1;
        if (index < column + width) return item.is_star ? nullptr : &item;
        column += width;
    }
    return nullptr;
}

bool column_allows_null(sqlite3_stmt* statement, int index) {
    const char* database = sqlite3_column_database_name(statement, index);
    const char* table = sqlite3_column_table_name(statement, index);
    const char* origin = sqlite3_column_origin_name(statement, index);
    if (!database || !table || !origin) return true;
    int not_null = 0, primary_key = 0, auto_increment = 0;
    if (sqlite3_table_column_metadata(sqlite3_db_handle(statement), database, table, origin, nullptr, nullptr,
                                      &not_null, &primary_key, &auto_increment) != SQLITE_OK)
        return true;
    return !not_null && !primary_key;
}

stored_value read_value(sqlite3_stmt* statement, int index) {
    switch (sqlite3_column_type(statement, index)) {
    case SQLITE_INTEGER: return static_cast<long long>(sqlite3_column_int64(statement, index));
    case SQLITE_FLOAT: return sqlite3_column_double(statement, index);
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
        return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, index)));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, index));
        return std::vector<std::uint8_t>(data, data + sqlite3_column_bytes(statement, index));
    }
    default: return std::monostate{};
    }
}

}  // namespace

result_cursor::result_cursor(sqlite3* db, const analysed_statement& statement, const std::vector<bound_value>& binds)
    : db_(db), analysis_(statement) {
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, statement.sqlite_sql.c_str(), -1, &statement_, &tail) != SQLITE_OK) {
        sqlite3_finalize(statement_);
        statement_ = nullptr;
        raise_sqlite_failure(db_, statement);
    }
    if (!statement_) throw make_error(ora::invalid_sql_statement);  // only blanks and comments
    // Oracle's ":1" and ":name" are SQLite's named parameters; a name repeated is one parameter.
    for (int index = 1; index <= sqlite3_bind_parameter_count(statement_); ++index) {
        const char* placeholder = sqlite3_bind_parameter_name(statement_, index);
        const std::string name = placeholder && *placeholder == ':' ? to_upper_ascii(placeholder + 1) : std::string();
        const bound_value* found = nullptr;
        for (const bound_value& bind : binds)
            if (bind.position == 0 ? bind.name == name : bind.position == static_cast<ub4>(index)) found = &bind;
        if (!found) {
            sqlite3_finalize(statement_);
            statement_ = nullptr;
            throw make_error(ora::variables_not_bound);
        }
        if (const auto* text = std::get_if<std::string>(&found->value))
            sqlite3_bind_text(statement_, index, text->c_str(), static_cast<int>(text->size()), SQLITE_TRANSIENT);
        else if (const auto* number = std::get_if<long long>(&found->value))
            sqlite3_bind_int64(statement_, index, *number);
        else
            sqlite3_bind_null(statement_, index);
    }
    if (tail && *tail) {
        // Oracle runs exactly one statement per call; what follows it is an error.
        const auto rest = tokenize(tail);
        if (!rest.empty()) {
            sqlite3_finalize(statement_);
            statement_ = nullptr;
            throw make_error(rest.front().text == ";" ? ora::invalid_character : ora::not_properly_ended);
        }
    }
}

result_cursor::~result_cursor() { sqlite3_finalize(statement_); }

oracle_type result_cursor::expression_type(const select_item& item) const {
    switch (item.kind) {
    case expression_class::number: return number_expression_type();
    case expression_class::text: return text_expression_type(4000);
    case expression_class::char_literal: return char_literal_type(static_cast<std::uint16_t>(item.literal_length));
    case expression_class::date: return date_expression_type();
    case expression_class::clob: return clob_expression_type();
    case expression_class::like_argument: {
        // MIN(col), MAX(col), NVL(col, ..) take the type of their argument: describe it alone.
        const std::string probe = "SELECT " + item.argument + " " + analysis_.sqlite_sql.substr(analysis_.select_list_end);
        sqlite3_stmt* statement = nullptr;
        oracle_type type = number_expression_type();
        if (sqlite3_prepare_v2(db_, probe.c_str(), -1, &statement, nullptr) == SQLITE_OK && statement &&
            sqlite3_column_decltype(statement, 0))
            type = type_from_declaration(sqlite3_column_decltype(statement, 0));
        sqlite3_finalize(statement);
        return type;
    }
    case expression_class::column: return text_expression_type(4000);
    }
    return text_expression_type(4000);
}

std::vector<column_description> result_cursor::describe() const {
    std::vector<column_description> columns;
    const int count = sqlite3_column_count(statement_);
    for (int i = 0; i < count; ++i) {
        const select_item* item = item_for_column(analysis_.items, i, count);
        column_description column;
        column.name = item && !item->name.empty() ? item->name : sqlite3_column_name(statement_, i);
        const char* declared = sqlite3_column_decltype(statement_, i);
        if (declared) column.type = type_from_declaration(declared);
        else column.type = item ? expression_type(*item) : text_expression_type(4000);
        column.nullable = column_allows_null(statement_, i);
        columns.push_back(std::move(column));
    }
    return columns;
}

bool result_cursor::read(std::size_t count, std::deque<row>& out) {
    const int width = sqlite3_column_count(statement_);
    for (std::size_t n = 0; n < count; ++n) {
        const int status = sqlite3_step(statement_);
        if (status == SQLITE_DONE) {
            sqlite3_reset(statement_);  // releases SQLite's read lock early
            return true;
        }
        if (status != SQLITE_ROW) raise_sqlite_failure(db_, analysis_);
        row values;
        values.reserve(static_cast<std::size_t>(width));
        for (int i = 0; i < width; ++i) values.push_back(read_value(statement_, i));
        out.push_back(std::move(values));
    }
    return false;
}

long long result_cursor::run_command() {
    int status;
    while ((status = sqlite3_step(statement_)) == SQLITE_ROW) {
    }
    if (status != SQLITE_DONE) raise_sqlite_failure(db_, analysis_);
    return sqlite3_changes64(db_);
}

}  // namespace ociemu
