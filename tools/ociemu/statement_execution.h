// Executing statements and fetching rows with prefetch, as a client library does over the network.
#pragma once

#include "handles.h"

namespace ociemu {

// Runs a prepared statement. Returns OCI_SUCCESS, OCI_SUCCESS_WITH_INFO or OCI_NO_DATA (with the
// record on `diag`); throws oracle_error for failures.
sword execute_statement(service_context& service, statement_handle& statement, diagnostics& diag, ub4 iterations, ub4 mode);

// Moves the next `rows` rows into the defines; the same outcomes as execute_statement.
sword fetch_rows(statement_handle& statement, diagnostics& diag, ub4 rows, ub2 orientation);

// Ends the session's transaction, as COMMIT, ROLLBACK, OCITransCommit or OCITransRollback do: a
// read-only transaction ends and the changes other sessions made meanwhile become visible.
void end_transaction(service_context& service, bool commit);

// The line was lost: the server handle is marked broken and the error its loss is reported with
// (OCIEMU_FAIL_CODE, ORA-03113 by default) is returned for throwing.
oracle_error lose_line(server_handle& server);

}  // namespace ociemu
