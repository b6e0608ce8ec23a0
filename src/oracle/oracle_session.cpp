// The Oracle source: connection, catalogue and readers.
#include "oracle/oracle_session.h"

#include <algorithm>

#include "oracle/client_calls.h"
#include "oracle/oracle_table_reader.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

// The UTF-8 of a catalogue text; empty for NULL.
std::string catalogue_text(const cell_value& value) {
    if (value.is_null()) return {};
    return value.kind() == value_kind::utf16_text ? to_utf8(value.utf16()) : std::string(value.text());
}

}  // namespace

oracle_session::oracle_session(const std::vector<std::string>& library_candidates) {
    TK_LOG(2, "%s", __func__);
    calls_ = std::make_unique<client_calls>(library_candidates.empty() ? oci_client_library::default_candidates()
                                                                       : library_candidates);
}

oracle_session::~oracle_session() = default;

void oracle_session::connect(const connection_settings& settings) {
    // Easy Connect parameters came with 19c clients; older ones refuse the string.
    const bool has_parameters = calls_->client_major_version() >= 19;
    if (!has_parameters) TK_LOG(3, "The Oracle client is older than 19c: the connect string carries no timeout");
    const std::string connect_string = compose_connect_string(
        settings.host, settings.port, settings.service, has_parameters ? settings.connect_timeout_seconds : 0);
    TK_LOG(3, "Connecting to Oracle data source '%s'", connect_string.c_str());
    tables_.clear();
    tables_listed_ = false;
    in_consistent_read_ = false;
    logon_warning_.clear();
    calls_->refuse_if_broken_off();
    logon_warning_ = calls_->log_on(connect_string, settings.user, settings.password);
}

bool oracle_session::is_connected() const noexcept { return calls_->is_session_begun(); }

void oracle_session::break_calls() noexcept { calls_->break_calls(); }

void oracle_session::begin_consistent_read() {
    TK_LOG(2, "%s", __func__);
    require_connection();
    statement_handle statement(*calls_);
    calls_->prepare(statement.get(), "SET TRANSACTION READ ONLY");
    calls_->execute(statement.get(), 1, OCI_DEFAULT);
    in_consistent_read_ = true;
}

void oracle_session::end_consistent_read() noexcept {
    if (!in_consistent_read_) return;
    in_consistent_read_ = false;
    try {
        calls_->roll_back();
    } catch (const std::exception& error) {
        // nothing was changed, so nothing is lost; the session's end rolls back as well
        TK_LOG(3, "The read-only transaction did not end: %s", error.what());
    }
}

void oracle_session::require_connection() const {
    if (!is_connected()) throw tk_exception("There is no connection to the Oracle server.", tk_level_serious);
}

void oracle_session::check_query(const std::string& sql) {
    TK_LOG(2, "%s(%s)", __func__, sql.c_str());
    require_connection();
    // A user's text is only ever read: anything but a query stops before the server sees it.
    if (locks_rows(sql)) throw tk_exception(locking_query_text, tk_level_serious);
    statement_handle statement(*calls_);
    calls_->prepare(statement.get(), sql);
    calls_->require_query(statement.get());
    calls_->execute(statement.get(), 1, OCI_DESCRIBE_ONLY);
}

std::int64_t oracle_session::select_number(const std::string& sql) {
    return select_optional_number(sql, {}, true).value_or(0);
}

std::optional<std::int64_t> oracle_session::select_optional_number(const std::string& sql,
                                                                   const std::vector<std::string>& binds,
                                                                   bool may_take_long) {
    require_connection();
    statement_handle statement(*calls_);
    calls_->prepare(statement.get(), sql);
    std::vector<std::u16string> values;
    for (const std::string& bind : binds) values.push_back(to_unicode(bind));
    for (std::size_t i = 0; i < values.size(); ++i)
        calls_->bind_text(statement.get(), static_cast<ub4>(i + 1), values[i]);
    sb8 number = 0;
    sb2 indicator = OCI_IND_NOTNULL;
    calls_->define(statement.get(), 1, &number, sizeof number, SQLT_INT, &indicator, nullptr, nullptr);
    // One iteration fetches the first row with the execute.
    if (calls_->execute(statement.get(), 1, OCI_DEFAULT, may_take_long) == OCI_NO_DATA || indicator == OCI_IND_NULL)
        return std::nullopt;
    return number;
}

std::uint32_t oracle_session::server_version() {
    TK_LOG(2, "%s", __func__);
    require_connection();
    const std::string banner = calls_->server_banner();
    TK_LOG(1, "Server banner: %s", banner.c_str());
    return parse_server_version(banner);
}

const std::vector<std::string>& oracle_session::tables() {
    TK_LOG(2, "%s", __func__);
    require_connection();
    const bool own = scope_ == catalogue_scope::own_tables;
    oracle_table_reader listing(*calls_, tables_query(scope_, server_version()), -1);
    tables_.clear();
    std::vector<cell_value> row;
    while (listing.next_row(row)) {
        tables_.push_back(own ? catalogue_text(row[0]) : catalogue_text(row[0]) + "." + catalogue_text(row[1]));
    }
    tables_listed_ = true;
    TK_LOG(1, "%zu tables listed", tables_.size());
    return tables_;
}

std::string oracle_session::table_select(const std::string& table, std::vector<unreadable_column>* left_out) {
    TK_LOG(2, "%s(%s)", __func__, table.c_str());
    require_connection();
    // The dictionary returns rows in no promised order: the select list must keep the table's.
    oracle_table_reader catalogue(*calls_,
                                  "SELECT COLUMN_NAME, DATA_TYPE, DATA_TYPE_OWNER FROM " + columns_view(scope_) +
                                      " WHERE " + table_condition(scope_) + " ORDER BY COLUMN_ID",
                                  -1, text_form::utf16, table_condition_values(table, scope_));
    std::string select_list;
    bool skipped = false, has_xml = false;
    std::vector<cell_value> row;
    while (catalogue.next_row(row)) {
        const std::string column = catalogue_text(row[0]), type = catalogue_text(row[1]);
        if (!is_readable_type(type)) {
            const std::string owner = catalogue_text(row[2]);
            const std::string full_type = owner.empty() ? type : owner + "." + type;
            TK_LOG(3, "Table '%s': column '%s' has unsupported type '%s', skip it", table.c_str(), column.c_str(),
                   full_type.c_str());
            if (left_out != nullptr) left_out->push_back({column, full_type});
            skipped = true;
            continue;
        }
        if (!select_list.empty()) select_list += ",";
        const std::string quoted = quote_identifier(column);
        // As text an XMLTYPE fails past 4000 bytes (ORA-19011); as a CLOB it arrives whole.
        if (type == "XMLTYPE") {
            select_list += "XMLSERIALIZE(CONTENT " + quoted + " AS CLOB) AS " + quoted;
            has_xml = true;
        } else {
            select_list += quoted;
        }
    }
    if (!skipped && !has_xml) return "SELECT * FROM " + quoted_table_name(table, scope_);
    if (select_list.empty()) return {};
    return "SELECT " + select_list + " FROM " + quoted_table_name(table, scope_);
}

// The dictionary's statistics when they were gathered, which cost no scan of the table;
// without them one COUNT(*), which a stop breaks off like any call.
std::int64_t oracle_session::estimated_rows(const std::string& table) {
    const std::optional<std::int64_t> statistics = select_optional_number(
        "SELECT NUM_ROWS FROM " + tables_view(scope_) + " WHERE " + table_condition(scope_),
        table_condition_values(table, scope_), false);
    if (statistics) return *statistics;
    return select_number("SELECT COUNT(*) FROM " + quoted_table_name(table, scope_));
}

std::unique_ptr<table_reader> oracle_session::open_table(const std::string& table, text_form texts) {
    TK_LOG(2, "%s(%s)", __func__, table.c_str());
    require_connection();
    if (!tables_listed_) tables();
    if (std::find(tables_.begin(), tables_.end(), table) == tables_.end())
        throw tk_exception("The table does not exist in the source database.", tk_level_recoverable);
    std::vector<unreadable_column> left_out;
    const std::string select = table_select(table, &left_out);
    // An empty sheet would pass for an empty table.
    if (select.empty()) {
        std::string message = "No column of the table can be read";
        for (std::size_t i = 0; i < left_out.size(); ++i)
            message += (i == 0 ? ": " : ", ") + left_out[i].name + " of type " + left_out[i].type;
        throw tk_exception(message + ".", tk_level_recoverable);
    }
    // An estimate for progress only: rows are read until the server has no more.
    auto reader = std::make_unique<oracle_table_reader>(*calls_, select, estimated_rows(table), texts);
    std::vector<std::string> notes;
    for (const unreadable_column& column : left_out)
        notes.push_back("column " + column.name + " of " + table + ": type " + column.type +
                        " cannot be read; the column is left out");
    reader->set_left_out_columns(std::move(notes));
    return reader;
}

std::unique_ptr<table_reader> oracle_session::open_query(const std::string& name, const std::string& sql,
                                                           text_form texts) {
    TK_LOG(2, "%s(%s)", __func__, name.c_str());
    require_connection();
    if (locks_rows(sql)) throw tk_exception(locking_query_text, tk_level_serious);
    // A user's query runs once, as typed: counting its rows would run it twice (hours for a
    // big join), so how many there are stays unknown.
    auto reader = std::make_unique<oracle_table_reader>(*calls_, sql, -1, texts);
    std::vector<std::string> notes;
    for (const column_info& column : reader->unreadable_columns())
        notes.push_back("column " + column.name + " of " + name + ": type " + column.type_name +
                        " cannot be read; its cells show \"" + unsupported_value_text + "\"");
    reader->set_left_out_columns(std::move(notes));
    return reader;
}
