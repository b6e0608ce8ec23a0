// What a busy server does to a run, through the emulator: other sessions changing rows between
// statements, a snapshot that grows too old, and queries that would lock or run twice.
#include <gtest/gtest.h>

#include <cstdlib>

#include "emulator_support.h"
#include "oracle/ora_exception.h"

namespace {

const std::vector<std::string> orders_schema{
    "CREATE TABLE ORDERS (ID NUMBER(8), NAME VARCHAR2(20))",
    "INSERT INTO ORDERS VALUES (1, 'one'), (2, 'two'), (3, 'three'), (4, 'four')",
};

// A session whose connection sees other sessions commit before each of its statements.
class changing_session {
public:
    changing_session(const std::string& service, const char* change) {
        setenv("OCIEMU_CHANGE_ROWS", change, 1);
        session_ = std::make_unique<emulator_session>(service);
        unsetenv("OCIEMU_CHANGE_ROWS");
    }
    oracle_session* operator->() { return &session_->session(); }

private:
    std::unique_ptr<emulator_session> session_;
};

}  // namespace

// Each statement inserts two rows: a reader that stopped at an earlier count lost rows, one
// that read past the snapshot invented them.
TEST(consistent_read, a_run_reads_every_row_of_its_snapshot_while_other_sessions_insert) {
    emulator_database database("GROWDB", orders_schema);
    changing_session session("GROWDB", "ORDERS:+2");
    session->begin_consistent_read();
    session->tables();
    const auto reader = session->open_table("ORDERS");
    const auto rows = read_all(*reader);
    const std::int64_t snapshot_count = session->select_number("SELECT COUNT(*) FROM ORDERS");
    EXPECT_EQ(static_cast<std::int64_t>(rows.size()), snapshot_count);
    EXPECT_EQ(reader->estimated_rows(), snapshot_count);
    EXPECT_EQ(rows.back(), (described_row{"i:4", "u:four"}));
    // a second item of the same run sees the same moment
    const auto again = session->open_query("Again", "SELECT * FROM ORDERS");
    EXPECT_EQ(read_all(*again), rows);
    session->end_consistent_read();
    // ended by a rollback: the other sessions' rows show from the next statement on
    EXPECT_GT(session->select_number("SELECT COUNT(*) FROM ORDERS"), snapshot_count);
}

// Outside a transaction each statement sees its own moment: the estimate, taken a statement
// earlier, is three rows short, and a reader that stopped there would lose them.
TEST(consistent_read, the_rows_inserted_after_the_estimate_are_read_and_none_invented) {
    emulator_database database("GROWMOREDB", orders_schema);
    changing_session session("GROWMOREDB", "ORDERS:+3");
    session->tables();
    const auto reader = session->open_table("ORDERS");
    const auto rows = read_all(*reader);
    EXPECT_EQ(static_cast<std::int64_t>(rows.size()), reader->estimated_rows() + 3);
    const std::int64_t next_count = session->select_number("SELECT COUNT(*) FROM ORDERS");  // three more again
    EXPECT_EQ(static_cast<std::int64_t>(rows.size()), next_count - 3);
}

TEST(consistent_read, a_query_runs_once_as_typed_even_ending_in_a_comment_and_its_size_is_unknown) {
    emulator_database database("ONCEDB", orders_schema);
    changing_session session("ONCEDB", "ORDERS:+1");
    const unsigned long long before = emulator_round_trips();
    const auto reader = session->open_query("Big", "SELECT ID FROM ORDERS WHERE ID > 1 -- all but the first");
    EXPECT_EQ(reader->estimated_rows(), -1);
    // one statement: a count around it would have been a second and seen one row more
    EXPECT_EQ(read_all(*reader).size(), 3u);
    EXPECT_LE(emulator_round_trips() - before, 1u);
}

TEST(consistent_read, queries_that_would_lock_rows_are_refused_before_the_server_sees_them) {
    emulator_database database("LOCKDB", orders_schema);
    emulator_session session("LOCKDB");
    const unsigned long long before = emulator_round_trips();
    for (const bool as_named_query : {false, true}) {
        try {
            if (as_named_query) session->open_query("Locks", "SELECT * FROM ORDERS FOR UPDATE NOWAIT");
            else session->check_query("select id from orders for\n update");
            ADD_FAILURE() << "a locking query passed";
        } catch (const ora_exception&) {
            ADD_FAILURE() << "a locking query reached the server";
        } catch (const tk_exception& error) {
            EXPECT_EQ(error.message(), locking_query_text);
        }
    }
    EXPECT_EQ(emulator_round_trips(), before);
    EXPECT_NO_THROW(session->check_query("SELECT 'for update' FROM ORDERS"));
}

TEST(consistent_read, a_snapshot_too_old_is_explained_in_the_users_words) {
    emulator_database database("OLDSNAPDB", orders_schema);
    setenv("OCIEMU_SNAPSHOT_TOO_OLD_AFTER_ROWS", "2", 1);
    emulator_session session("OLDSNAPDB");
    unsetenv("OCIEMU_SNAPSHOT_TOO_OLD_AFTER_ROWS");
    const auto reader = session->open_query("Orders", "SELECT ID FROM ORDERS");
    std::vector<cell_value> row;
    int rows = 0;
    try {
        while (reader->next_row(row)) ++rows;
        FAIL() << "the snapshot never grew too old";
    } catch (const ora_exception& error) {
        EXPECT_EQ(error.oracle_number(), 1555);
        EXPECT_FALSE(error.is_connection_lost());
        EXPECT_NE(error.message().find("ORA-01555"), std::string::npos) << error.message();
        EXPECT_NE(error.message().find("The data changed too much during the run"), std::string::npos);
        EXPECT_NE(error.message().find("run again at a quieter time."), std::string::npos);
    }
    EXPECT_EQ(rows, 2);
    EXPECT_FALSE(reader->next_row(row));
}
