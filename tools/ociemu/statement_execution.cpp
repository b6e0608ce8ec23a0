// The execute and fetch contract: describe, prefetch batches, round trips, truncation and NULLs.
#include "statement_execution.h"

#include "database_session.h"
#include "define_transfer.h"
#include "result_cursor.h"
#include "round_trips.h"
#include <sqlite3.h>

#include <algorithm>

namespace ociemu {
namespace {

constexpr ub4 known_execute_modes = OCI_BATCH_MODE | OCI_EXACT_FETCH | OCI_STMT_SCROLLABLE_READONLY |
                                    OCI_DESCRIBE_ONLY | OCI_COMMIT_ON_SUCCESS | OCI_PARSE_ONLY;
constexpr std::size_t assumed_row_bytes = 100;  // to turn a prefetch memory cap into rows

session_handle& live_session(service_context& service) {
    if (!service.server || !service.server->database) throw make_error(ora::not_connected);
    if (service.server->broken) throw make_error(ora::end_of_file_on_channel);
    if (!service.session || !service.session->authenticated) throw make_error(ora::not_logged_on);
    return *service.session;
}

// Rows the client asks for ahead of need; LONG columns switch prefetching off, as in Oracle.
std::size_t prefetch_rows(const statement_handle& statement) {
    for (const auto& column : statement.columns)
        if (column.type.kind == value_kind::long_text || column.type.kind == value_kind::long_raw) return 0;
    if (statement.prefetch_rows == 0 && statement.prefetch_memory > 0)
        return std::max<std::size_t>(1, statement.prefetch_memory / assumed_row_bytes);
    return statement.prefetch_rows;
}

// Moves up to `wanted` rows from the "server" into the client's buffer. With OCIEMU_FAIL_AFTER_ROWS
// the server stops after that many rows; a fetch that needs the next one breaks the connection.
void receive_rows(statement_handle& statement, std::size_t wanted, bool row_needed) {
    server_handle& server = *statement.service->server;
    std::size_t allowed = wanted;
    if (server.fail_after_rows >= 0) {
        const long long left = server.fail_after_rows - statement.rows_sent;
        if (left <= 0) {
            if (!row_needed) return;
            server.broken = true;
            statement.cursor.reset();
            statement.executed = false;
            throw make_error(ora::end_of_file_on_channel);
        }
        allowed = std::min<std::size_t>(wanted, static_cast<std::size_t>(left));
    }
    const std::size_t before = statement.buffered.size();
    const bool finished = statement.cursor->read(allowed, statement.buffered);
    statement.rows_sent += static_cast<long long>(statement.buffered.size() - before);
    if (finished) statement.server_done = true;
}

struct row_outcome {
    bool truncated_with_codes = false;
    int error = 0;  // 1405 or 1406 when the client supplied no code array
};

void place_row(statement_handle& statement, const row& values, std::size_t index, const transfer_settings& settings,
               row_outcome& outcome) {
    for (const auto& define : statement.defines) {
        if (define->position > statement.columns.size()) throw make_error(ora::variable_not_in_select_list);
        const std::size_t column = define->position - 1;
        const ub2 code = transfer_value(*define, index, values[column], statement.columns[column], settings);
        if (define->codes) define->codes[index] = code;
        if (code == 0) continue;
        if (code == 1406 && define->codes) outcome.truncated_with_codes = true;
        else if (outcome.error == 0 || code == 1405) outcome.error = code;
    }
}

// Places `rows` rows into the defines, fetching batches as the buffer runs dry.
sword deliver_rows(statement_handle& statement, diagnostics& diag, ub4 rows) {
    const transfer_settings settings{statement.service->session->decimal_separator};
    row_outcome outcome;
    ub4 placed = 0;
    while (placed < rows) {
        if (statement.buffered.empty()) {
            if (statement.server_done) break;
            count_round_trip(*statement.service->server);
            receive_rows(statement, std::max<std::size_t>(rows - placed, prefetch_rows(statement)), true);
            continue;
        }
        const row values = std::move(statement.buffered.front());
        statement.buffered.pop_front();
        place_row(statement, values, placed, settings, outcome);
        ++placed;
    }
    statement.rows_fetched = placed;
    statement.row_count += placed;
    if (outcome.error) throw make_error(outcome.error);
    if (placed < rows) {
        diag.add(make_error(ora::no_data_found));
        return OCI_NO_DATA;
    }
    if (outcome.truncated_with_codes) {
        diag.add(make_error(ora::truncation_or_null));
        return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
}

void reset_results(statement_handle& statement) {
    statement.cursor.reset();
    statement.buffered.clear();
    statement.server_done = true;
    statement.rows_sent = 0;
    statement.rows_fetched = 0;
    statement.row_count = 0;
    statement.executed = false;
    statement.described = false;
    statement.columns.clear();
    for (const auto& param : statement.params) unregister_handle(param.get());
    statement.params.clear();
}

sword run_session_command(service_context& service, const analysed_statement& analysis) {
    sqlite3* db = service.server->database->handle();
    switch (analysis.command) {
    case session_command::commit:
        if (!sqlite3_get_autocommit(db)) execute_sqlite(db, "COMMIT");
        break;
    case session_command::rollback:
        if (!sqlite3_get_autocommit(db)) execute_sqlite(db, "ROLLBACK");
        break;
    case session_command::set_numeric_characters:
        service.session->decimal_separator = analysis.command_argument[0];
        break;
    case session_command::ignored:
    case session_command::none:
        break;
    }
    return OCI_SUCCESS;
}

}  // namespace

sword execute_statement(service_context& service, statement_handle& statement, diagnostics& diag, ub4 iterations, ub4 mode) {
    if (!statement.prepared) throw make_error(ora::statement_not_prepared);
    if (mode & ~known_execute_modes) throw make_error(ora::bad_mode);
    session_handle& session = live_session(service);
    reset_results(statement);
    statement.service = &service;
    count_round_trip(*service.server);  // parse, execute and the first rows travel together
    const analysed_statement analysis = analyse_statement(statement.text, session.user);
    if (analysis.command != session_command::none) return run_session_command(service, analysis);
    database_session& database = *service.server->database;
    database.refresh_catalogue(session.user);
    if (mode & (OCI_DESCRIBE_ONLY | OCI_PARSE_ONLY)) {
        const result_cursor probe(database.handle(), analysis);
        if (analysis.is_query) statement.columns = probe.describe();
        statement.described = true;
        return OCI_SUCCESS;
    }
    if (!analysis.is_query) {
        if (iterations == 0) throw make_error(ora::zero_iteration_count);
        // Without binds every iteration runs the same statement again, as Oracle's array DML does.
        oraub8 changed = 0;
        for (ub4 i = 0; i < iterations; ++i) {
            result_cursor command(database.handle(), analysis);
            changed += static_cast<oraub8>(command.run_command());
        }
        statement.row_count = changed;
        return OCI_SUCCESS;
    }
    statement.cursor = std::make_unique<result_cursor>(database.handle(), analysis);
    statement.columns = statement.cursor->describe();
    statement.described = true;
    statement.executed = true;
    statement.server_done = false;
    for (const auto& define : statement.defines)
        if (define->position > statement.columns.size()) throw make_error(ora::variable_not_in_select_list);
    receive_rows(statement, iterations + prefetch_rows(statement), false);
    if (iterations == 0) return OCI_SUCCESS;
    return deliver_rows(statement, diag, iterations);
}

sword fetch_rows(statement_handle& statement, diagnostics& diag, ub4 rows, ub2 orientation) {
    if (!statement.executed || !statement.service) throw make_error(ora::statement_not_executed);
    if (orientation != OCI_FETCH_NEXT && orientation != OCI_DEFAULT) throw make_error(ora::invalid_fetch_operation);
    // The service context or server may have been freed since the execute.
    auto* live_service = find_handle_of<service_context>(statement.service, OCI_HTYPE_SVCCTX);
    if (!live_service || !find_handle_of<server_handle>(live_service->server, OCI_HTYPE_SERVER))
        throw make_error(ora::not_connected);
    service_context& service = *live_service;
    if (!service.server->database) throw make_error(ora::not_connected);
    if (service.server->broken) throw make_error(ora::end_of_file_on_channel);
    if (!service.session || !service.session->authenticated) throw make_error(ora::not_logged_on);
    if (rows == 0) {  // cancels the cursor
        statement.cursor.reset();
        statement.buffered.clear();
        statement.server_done = true;
        statement.executed = false;
        return OCI_SUCCESS;
    }
    return deliver_rows(statement, diag, rows);
}

}  // namespace ociemu
