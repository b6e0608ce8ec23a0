// Tables and named queries of the Oracle source.
#include "oracle/ora_table.h"

#include "oracle/ora_database.h"
#include "oracle/ora_engine.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

ora_table::ora_table(const std::string& name) : ora_query_results(name, std::string()) {
    TK_LOG(2, "ora_table::ora_table(%s)", name.c_str());
    init_schema();
    if (schema_.empty()) {
        TK_LOG(1, "Empty table");
        return;
    }
    records_count_ = ora_engine::instance().get_records_cnt(name_);
    TK_LOG(1, "Got %lld records", static_cast<long long>(records_count_));
}

ora_table::ora_table(const std::string& name, const std::string& sql) : ora_query_results(name, sql) {
    TK_LOG(2, "ora_table::ora_table(%s)", name.c_str());
    init_schema();
    if (schema_.empty()) {
        TK_LOG(1, "Empty table");
        return;
    }
    records_count_ = ora_engine::instance().get_records_cnt(query_text_, true);
    TK_LOG(1, "Got %lld records", static_cast<long long>(records_count_));
}

ora_table::~ora_table() { TK_LOG(2, "ora_table::dtor"); }

void ora_table::init_schema() {
    TK_LOG(2, "ora_table::init_schema");
    std::int32_t column_count = 0;
    if (is_query()) {
        select_text_ = query_text_;
    } else {
        column_count = get_columns_cnt();
        select_text_ = get_safe_select_query(column_count);
        if (select_text_.empty()) return;  // no readable column
    }
    TK_LOG(1, "Got %d columns", column_count);
    TK_LOG(1, "Right before extract DB structure");
    initialize(column_count, select_text_);
    if (!is_query()) apply_catalogue_details();
}

std::int32_t ora_table::get_columns_cnt() {
    TK_LOG(2, "ora_table::get_columns_cnt");
    ora_engine& engine = ora_engine::instance();
    // A table has at most 1000 columns: the count always fits.
    return static_cast<std::int32_t>(engine.select_number("SELECT COUNT(*) FROM " + engine.get_columns_view() +
                                                          " WHERE " + engine.get_table_condition(name_)));
}

std::string ora_table::get_safe_select_query(std::int32_t& column_count) {
    TK_LOG(2, "ora_table::get_safe_select_query");
    ora_engine& engine = ora_engine::instance();
    // The dictionary returns rows in no promised order: the select list must keep the table's.
    ora_query_results columns(2, "SELECT COLUMN_NAME, DATA_TYPE FROM " + engine.get_columns_view() + " WHERE " +
                                     engine.get_table_condition(name_) + " ORDER BY COLUMN_ID");
    std::string select_list;
    bool skipped = false;
    bool has_xml = false;
    while (!columns.is_eof()) {
        const udb_record* row = columns.get_item();
        if (row == nullptr) break;
        const std::string column = (*row)[0].to_string(), type = (*row)[1].to_string();
        TK_LOG(1, "GOT field '%s' with type '%s'", column.c_str(), type.c_str());
        if (ora_engine::is_supported_type(type)) {
            if (!select_list.empty()) select_list += ",";
            const std::string quoted = ora_engine::quote_identifier(column);
            // As text an XMLTYPE fails past 4000 bytes (ORA-19011); as a CLOB it arrives whole.
            if (type == "XMLTYPE") {
                select_list += "XMLSERIALIZE(CONTENT " + quoted + " AS CLOB) AS " + quoted;
                has_xml = true;
            } else {
                select_list += quoted;
            }
            continue;
        }
        TK_LOG(3, "Table '%s': column '%s' has unsupported type '%s', skip it", name_.c_str(), column.c_str(),
               type.c_str());
        skipped = true;
        if (column_count > 0) --column_count;
    }
    if (!skipped && !has_xml) return "SELECT * FROM " + engine.get_safe_name(name_);
    if (select_list.empty()) return {};
    return "SELECT " + select_list + " FROM " + engine.get_safe_name(name_);
}

// National sizes in characters, and LONG marks, from the catalogue.
void ora_table::apply_catalogue_details() {
    ora_engine& engine = ora_engine::instance();
    ora_query_results details(2, "select COLUMN_NAME, DATA_TYPE from " + engine.get_columns_view() +
                                     " where " + engine.get_table_condition(name_));
    for (std::size_t rows = 0; rows < schema_.size() && !details.is_eof(); ++rows) {
        const udb_record* row = details.get_item();
        if (row == nullptr) break;
        const std::string column = (*row)[0].to_string(), type = (*row)[1].to_string();
        TK_LOG(1, "Got field '%s'", column.c_str());
        const std::int32_t index = schema_.get_field_idx(column);
        if (index < 0) {
            TK_LOG(1, "Field not found in schema");
            continue;
        }
        t_ftd& descriptor = schema_[static_cast<std::size_t>(index)];
        TK_LOG(1, "field size=%u", descriptor.size);
        if (type.starts_with("NVARCHAR2") || type.starts_with("NCHAR")) {
            // National sizes arrive in bytes of a two-byte character set; users count characters.
            TK_LOG(1, "Tuning field size for NCHAR/NVARCHAR (eye=%d)", index);
            ora_type& object = *columns_.at(static_cast<std::size_t>(index));
            const std::int32_t size = object.size() != 0 ? object.size() : static_cast<std::int32_t>(descriptor.size);
            object.set_size(size / 2);
            descriptor.size = static_cast<std::uint32_t>(size / 2);
            TK_LOG(1, "New field size=%d", size / 2);
        } else if (type == "LONG") {
            descriptor.size = 0;
            descriptor.type_name = "LONG";
        }
    }
}

bool ora_table::is_eof() {
    TK_LOG(1, "ora_table::is_eof(%lld,%lld)", static_cast<long long>(position_), static_cast<long long>(records_count_));
    if (position_ >= records_count_) return true;
    TK_ASSERT(initialized_);
    // Rows deleted since the count end the read early.
    return !fetch_row();
}

void ora_table::next() {
    TK_LOG(1, "ora_table::next");
    ++position_;
}
