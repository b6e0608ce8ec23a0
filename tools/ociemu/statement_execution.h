// Executing statements and fetching rows with prefetch, as a client library does over the network.
#pragma once

#include "handles.h"

namespace ociemu {

// Runs a prepared statement. Returns OCI_SUCCESS, OCI_SUCCESS_WITH_INFO or OCI_NO_DATA (with the
// record on `diag`); throws oracle_error for failures.
sword execute_statement(service_context& service, statement_handle& statement, diagnostics& diag, ub4 iterations, ub4 mode);

// Moves the next `rows` rows into the defines; the same outcomes as execute_statement.
sword fetch_rows(statement_handle& statement, diagnostics& diag, ub4 rows, ub2 orientation);

}  // namespace ociemu
