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
    if (!service.server || !service.server->database || service.server->broken) throw make_error(ora::not_connected);
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

// Errors the server raises while it computes a row: they end the cursor.
bool is_row_error(int code) {
    return code == ora::invalid_number || code == ora::divisor_is_zero || code == ora::character_buffer_too_small ||
           code == ora::snapshot_too_old;
}

// The server gives up on the cursor: the rows it already sent stay readable, then `error` comes.
void fail_cursor_after_buffered_rows(statement_handle& statement, const oracle_error& error) {
    statement.pending_error = error;
    statement.server_done = true;
    statement.cursor.reset();
}

// Moves up to `wanted` rows from the "server" into the client's buffer. With OCIEMU_FAIL_AFTER_ROWS
// the server stops after that many rows; a fetch that needs the next one breaks the connection.
// With OCIEMU_SNAPSHOT_TOO_OLD_AFTER_ROWS the undo a cursor needs is gone after that many rows.
void receive_rows(statement_handle& statement, std::size_t wanted, bool row_needed) {
    if (statement.pending_error || !statement.cursor) return;
    server_handle& server = *statement.service->server;
    std::size_t allowed = wanted;
    if (server.fail_after_rows >= 0) {
        const long long left = server.fail_after_rows - statement.rows_sent;
        if (left <= 0) {
            if (!row_needed) return;
            statement.cursor.reset();
            statement.server_done = true;  // later fetches meet the dead line first: ORA-03114
            throw lose_line(server);
        }
        allowed = std::min<std::size_t>(wanted, static_cast<std::size_t>(left));
    }
    bool undo_runs_out = false;
    if (server.snapshot_too_old_after_rows >= 0) {
        const long long left = std::max(0LL, server.snapshot_too_old_after_rows - statement.rows_sent);
        if (static_cast<std::size_t>(left) <= allowed) {
            allowed = static_cast<std::size_t>(left);
            undo_runs_out = true;
        }
    }
    const std::size_t before = statement.buffered.size();
    try {
        const bool finished = statement.cursor->read(allowed, statement.buffered);
        if (finished) statement.server_done = true;
        else if (undo_runs_out)
            fail_cursor_after_buffered_rows(statement, make_error(ora::snapshot_too_old, "1 with name \"_SYSSMU1$\""));
    } catch (const oracle_error& error) {
        if (!is_row_error(error.code())) throw;
        fail_cursor_after_buffered_rows(statement, error);  // the rows before the failing one still arrive
    }
    statement.rows_sent += static_cast<long long>(statement.buffered.size() - before);
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
    const transfer_settings settings{statement.service->session->decimal_separator,
                                     statement.service->server->database->charset(), statement.service->session};
    row_outcome outcome;
    ub4 placed = 0;
    while (placed < rows) {
        if (statement.buffered.empty()) {
            if (statement.pending_error) {
                statement.rows_fetched = placed;
                statement.row_count += placed;
                statement.cursor_closed = true;
                const oracle_error error = *statement.pending_error;
                statement.pending_error.reset();
                throw error;
            }
            if (statement.server_done) break;
            count_round_trip(*statement.service->server);
            receive_rows(statement, std::max<std::size_t>(rows - placed, prefetch_rows(statement)), true);
            continue;
        }
        const row values = std::move(statement.buffered.front());
        statement.buffered.pop_front();
        try {
            place_row(statement, values, placed, settings, outcome);
        } catch (const oracle_error& error) {
            // a value the server cannot convert for the select list fails the row and ends the cursor
            if (is_row_error(error.code())) {
                statement.cursor_closed = true;
                statement.cursor.reset();
                statement.buffered.clear();
                statement.server_done = true;
            }
            throw;
        }
        ++placed;
    }
    statement.rows_fetched = placed;
    statement.row_count += placed;
    if (outcome.error) throw make_error(outcome.error);
    if (placed < rows) {
        statement.cursor_closed = true;  // the server closed the cursor at its end
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
    statement.pending_error.reset();
    statement.cursor_closed = false;
    statement.rows_fetched = 0;
    statement.row_count = 0;
    statement.executed = false;
    statement.described = false;
    statement.columns.clear();
    for (const auto& param : statement.params) unregister_handle(param.get());
    statement.params.clear();
}

// The binds' values as the client's buffers hold them now. An empty text is NULL, as in Oracle.
std::vector<bound_value> read_binds(const statement_handle& statement) {
    std::vector<bound_value> values;
    for (const auto& bind : statement.binds) {
        bound_value out{bind->position, bind->name, std::monostate{}};
        if ((bind->indicator && *bind->indicator == OCI_IND_NULL) || !bind->value) {
            values.push_back(std::move(out));
            continue;
        }
        if (bind->data_type == SQLT_INT || bind->data_type == SQLT_UIN) {
            long long number = 0;
            const bool is_unsigned = bind->data_type == SQLT_UIN;
            switch (bind->value_size) {
            case 1: number = is_unsigned ? *static_cast<const std::uint8_t*>(bind->value) : *static_cast<const std::int8_t*>(bind->value); break;
            case 2: number = is_unsigned ? *static_cast<const std::uint16_t*>(bind->value) : *static_cast<const std::int16_t*>(bind->value); break;
            case 4: number = is_unsigned ? *static_cast<const std::uint32_t*>(bind->value) : *static_cast<const std::int32_t*>(bind->value); break;
            default: number = *static_cast<const std::int64_t*>(bind->value); break;
            }
            out.value = number;
        } else {
            std::size_t bytes = bind->length ? *bind->length : static_cast<std::size_t>(std::max(0, bind->value_size));
            std::string text = statement.env->decode(bind->value, bytes);
            if (bind->data_type == SQLT_STR || bind->data_type == SQLT_AVC)
                text = text.substr(0, text.find('\0'));  // up to the terminator
            if (!text.empty()) out.value = std::move(text);
        }
        values.push_back(std::move(out));
    }
    return values;
}

// OCIEMU_CHANGE_ROWS: between two statements other sessions insert copies of the table's last row
// or delete its last rows, and commit.
void apply_other_sessions_change(sqlite3* db, const server_handle& server) {
    std::string quoted;
    for (char c : server.change_table) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    quoted = '"' + quoted + '"';
    if (server.change_rows < 0) {
        execute_sqlite(db, "DELETE FROM " + quoted + " WHERE rowid IN (SELECT rowid FROM " + quoted +
                               " ORDER BY rowid DESC LIMIT " + std::to_string(-server.change_rows) + ")");
        return;
    }
    for (long long i = 0; i < server.change_rows; ++i)
        execute_sqlite(db, "INSERT INTO " + quoted + " SELECT * FROM " + quoted + " WHERE rowid = (SELECT max(rowid) FROM " +
                               quoted + ")");
}

// Each statement sees what other sessions committed before it began, unless a read-only
// transaction holds the session to the snapshot of its start.
void other_sessions_commit(service_context& service, session_handle& session) {
    const server_handle& server = *service.server;
    if (server.change_table.empty() || server.change_rows == 0 || session.statements_run < 2) return;
    if (session.read_only_transaction) ++session.deferred_changes;
    else apply_other_sessions_change(server.database->handle(), server);
}

sword run_session_command(service_context& service, const analysed_statement& analysis) {
    switch (analysis.command) {
    case session_command::commit:
        end_transaction(service, true);
        break;
    case session_command::rollback:
        end_transaction(service, false);
        break;
    case session_command::set_transaction_read_only:
        service.session->read_only_transaction = true;
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
    ++session.statements_run;
    other_sessions_commit(service, session);
    const analysed_statement analysis = analyse_statement(statement.text, session.user);
    if (analysis.command != session_command::none) return run_session_command(service, analysis);
    const bool changes_rows = analysis.for_update || analysis.statement_type == OCI_STMT_INSERT ||
                              analysis.statement_type == OCI_STMT_UPDATE || analysis.statement_type == OCI_STMT_DELETE ||
                              analysis.statement_type == OCI_STMT_MERGE;
    if (session.read_only_transaction && changes_rows) throw make_error(ora::read_only_transaction);
    database_session& database = *service.server->database;
    database.refresh_catalogue(session.user, session.privileged);
    // the user's statement is compiled with the user's privileges; the emulator's own are not
    struct privilege_scope {
        database_session& database;
        ~privilege_scope() { database.refuse_reading(nullptr); }
    } scope{database};
    database.refuse_reading(&session.unreadable_tables);
    if (mode & (OCI_DESCRIBE_ONLY | OCI_PARSE_ONLY)) {
        const result_cursor probe(database.handle(), analysis, read_binds(statement));
        if (analysis.is_query) statement.columns = probe.describe();
        statement.described = true;
        return OCI_SUCCESS;
    }
    if (!analysis.is_query) {
        if (iterations == 0) throw make_error(ora::zero_iteration_count);
        // Without binds every iteration runs the same statement again, as Oracle's array DML does.
        oraub8 changed = 0;
        for (ub4 i = 0; i < iterations; ++i) {
            result_cursor command(database.handle(), analysis, read_binds(statement));
            changed += static_cast<oraub8>(command.run_command());
        }
        statement.row_count = changed;
        return OCI_SUCCESS;
    }
    statement.cursor = std::make_unique<result_cursor>(database.handle(), analysis, read_binds(statement));
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
    if (!service.server->database || service.server->broken) throw make_error(ora::not_connected);
    if (!service.session || !service.session->authenticated) throw make_error(ora::not_logged_on);
    if (rows == 0) {  // cancels the cursor
        statement.cursor.reset();
        statement.buffered.clear();
        statement.pending_error.reset();
        statement.server_done = true;
        statement.executed = false;
        return OCI_SUCCESS;
    }
    // A cursor the server closed, at its end or after a row error, takes no further fetch.
    if (statement.cursor_closed) throw make_error(ora::fetch_out_of_sequence);
    return deliver_rows(statement, diag, rows);
}

void end_transaction(service_context& service, bool commit) {
    sqlite3* db = service.server->database->handle();
    if (!sqlite3_get_autocommit(db)) execute_sqlite(db, commit ? "COMMIT" : "ROLLBACK");
    if (!service.session) return;
    session_handle& session = *service.session;
    session.read_only_transaction = false;
    for (; session.deferred_changes > 0; --session.deferred_changes) apply_other_sessions_change(db, *service.server);
}

oracle_error lose_line(server_handle& server) {
    server.broken = true;
    return make_error(server.fail_code, "ociemu");  // the detail only fills ORA-28511's SID
}

}  // namespace ociemu
