// What a session sees of a table other sessions change: each statement its own snapshot, one
// snapshot for a whole read-only transaction, and a snapshot whose undo is gone (ORA-01555).
#include "oci_test_client.h"

#include <gtest/gtest.h>

using namespace ociemu_test;

namespace {

class consistency_test : public ::testing::Test {
protected:
    emulator_database database_{"ORCL", {"CREATE TABLE SERIES (ID NUMBER(6)); INSERT INTO SERIES VALUES (1), (2), (3), (4), (5);"}};
};

sword run(connection& conn, const std::string& sql) {
    statement stmt(conn, sql);
    return stmt.execute(1);
}

TEST_F(consistency_test, other_sessions_change_rows_between_statements_but_not_inside_a_read_only_transaction) {
    const scoped_switch change("OCIEMU_CHANGE_ROWS", "SERIES:+2");
    connection conn;
    ASSERT_EQ(conn.connect("ORCL"), OCI_SUCCESS);
    EXPECT_EQ(query_text(conn, "SELECT ID FROM SERIES").size(), 5u);  // the session's first statement
    EXPECT_EQ(count_of(conn, "SERIES"), 7);                            // two rows committed meanwhile
    EXPECT_EQ(query_text(conn, "SELECT ID FROM SERIES WHERE ID = 5 FOR UPDATE").size(), 5u);  // locks are allowed
    ASSERT_EQ(run(conn, "SET TRANSACTION READ ONLY"), OCI_SUCCESS);   // sees the 11 rows at its start
    EXPECT_EQ(count_of(conn, "SERIES"), 11);
    EXPECT_EQ(query_text(conn, "SELECT ID FROM SERIES").size(), 11u);
    EXPECT_EQ(run(conn, "SELECT ID FROM SERIES FOR UPDATE"), OCI_ERROR);
    EXPECT_EQ(conn.error_text(), u"ORA-01456: may not perform insert/delete/update operation inside a READ ONLY transaction");
    EXPECT_EQ(run(conn, "DELETE FROM SERIES"), OCI_ERROR);
    EXPECT_EQ(conn.error_text(), u"ORA-01456: may not perform insert/delete/update operation inside a READ ONLY transaction");
    ASSERT_EQ(OCITransRollback(conn.svc, conn.err, OCI_DEFAULT), OCI_SUCCESS);
    // The four statements inside held back eight rows; the next statement sees them and two more.
    EXPECT_EQ(count_of(conn, "SERIES"), 21);

    const scoped_switch removal("OCIEMU_CHANGE_ROWS", "SERIES:-3");
    connection other;
    ASSERT_EQ(other.connect("ORCL"), OCI_SUCCESS);
    ASSERT_EQ(run(other, "SET TRANSACTION READ ONLY"), OCI_SUCCESS);
    EXPECT_EQ(count_of(other, "SERIES"), 21);
    ASSERT_EQ(OCITransCommit(other.svc, other.err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(query_text(other, "SELECT ID FROM SERIES").size(), 15u);  // three held back, three more
}

TEST_F(consistency_test, a_switch_that_cannot_be_read_fails_the_attach_with_its_name) {
    const scoped_switch change("OCIEMU_CHANGE_ROWS", "SERIES:2");
    connection conn;
    EXPECT_EQ(conn.connect("ORCL"), OCI_ERROR);
    EXPECT_NE(conn.error_text().find(u"OCIEMU_CHANGE_ROWS must be TABLE:+N or TABLE:-N"), std::u16string::npos);
}

TEST_F(consistency_test, a_snapshot_too_old_ends_the_cursor_after_its_rows_and_the_session_goes_on) {
    const scoped_switch undo("OCIEMU_SNAPSHOT_TOO_OLD_AFTER_ROWS", "3");
    connection conn;
    ASSERT_EQ(conn.connect("ORCL"), OCI_SUCCESS);
    statement stmt(conn, "SELECT ID FROM SERIES ORDER BY ID");
    sb4 id = 0;
    stmt.define(1, &id, sizeof id, SQLT_INT);
    ASSERT_EQ(stmt.execute(), OCI_SUCCESS);
    for (sb4 expected = 1; expected <= 3; ++expected) {
        ASSERT_EQ(stmt.fetch(), OCI_SUCCESS);
        EXPECT_EQ(id, expected);
    }
    EXPECT_EQ(stmt.fetch(), OCI_ERROR);
    EXPECT_EQ(conn.error_text(), u"ORA-01555: snapshot too old: rollback segment number 1 with name \"_SYSSMU1$\" too small");
    EXPECT_EQ(stmt.fetch(), OCI_ERROR);
    EXPECT_EQ(conn.error_text(), u"ORA-01002: fetch out of sequence");
    EXPECT_EQ(count_of(conn, "SERIES"), 5);
}

}  // namespace
