// The Oracle source: the loaded client library, one connection, its catalogue, and the
// readers over its tables and queries. No client type appears here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "oracle/oracle_catalogue.h"
#include "oracle/table_reader.h"

class client_calls;

// The refusal of a statement that is not a query.
inline constexpr const char* not_a_query_text = "Only a SELECT statement can be read as a query.";
// The refusal of a query that would lock the rows it reads.
inline constexpr const char* locking_query_text =
    "A query with FOR UPDATE locks the rows it reads; only a SELECT that locks nothing can be read as a query.";

// Put before a logon warning when the user is shown it: the connection is made all the same.
inline constexpr const char* logon_warning_lead = "Connected, with a warning from the server: ";

// How long an attach may wait for the listener before it gives up (ORA-12170). A healthy
// listener answers within a second; a profile cannot change this.
inline constexpr int default_connect_timeout_seconds = 60;

struct connection_settings {
    std::string host;  // host and port both empty: service is a TNS alias or a whole descriptor
    std::string port;
    std::string service;
    std::string user;      // user and password both empty: the client's external credentials
    std::string password;  // (a wallet or the OS account) log on
    int connect_timeout_seconds = default_connect_timeout_seconds;
};

// A table's column that no reader can fetch, and its type as the catalogue names it.
struct unreadable_column {
    std::string name;
    std::string type;  // OWNER.TYPE for an object type: "MDSYS.SDO_GEOMETRY"
};

class oracle_session : public table_source {
public:
    // Loads the client library from the candidates (none: the standard places) and creates
    // the UTF-16 environment and the connection handles. A missing library throws
    // tk_exception with oci_client_missing_text.
    explicit oracle_session(const std::vector<std::string>& library_candidates = {});
    ~oracle_session() override;
    oracle_session(const oracle_session&) = delete;
    oracle_session& operator=(const oracle_session&) = delete;

    // Ends any earlier session, then attaches and logs on; the server's error (ORA-01017,
    // ORA-12154 ...) leaves as ora_exception and leaves no session.
    void connect(const connection_settings& settings);
    bool is_connected() const noexcept;
    // The server's warning of the last logon (ORA-28002: the password expires soon); empty
    // when there was none.
    const std::string& logon_warning() const noexcept { return logon_warning_; }

    // Which tables tables() lists; own tables unless set.
    void set_catalogue_scope(catalogue_scope scope) noexcept { scope_ = scope; }
    catalogue_scope scope() const noexcept { return scope_; }

    // Parses and describes sql without running it: the server's error leaves as
    // ora_exception; a statement that is not a SELECT throws tk_exception with
    // not_a_query_text (one with FOR UPDATE: locking_query_text) before the server sees it.
    void check_query(const std::string& sql);
    // The server version as major << 16 | minor << 8 | release; 0 when it cannot be found.
    std::uint32_t server_version();
    // The SELECT that reads a table: every readable column in the table's order, an XMLTYPE
    // as its CLOB text; empty when no column is readable. Each column left out is added to
    // left_out.
    std::string table_select(const std::string& table, std::vector<unreadable_column>* left_out = nullptr);

    // Reads the list again from the catalogue.
    const std::vector<std::string>& tables() override;
    // Readers use the session's connection: they must go before the session does.
    // A table that the catalogue does not list throws tk_exception (level 0) "The table does
    // not exist in the source database."; so does one with no readable column, naming them.
    std::unique_ptr<table_reader> open_table(const std::string& table, text_form texts = text_form::utf16) override;
    std::unique_ptr<table_reader> open_query(const std::string& name, const std::string& sql,
                                             text_form texts = text_form::utf16) override;
    void break_calls() noexcept override;
    // A read-only transaction: every item of a run sees the data as they were when it began,
    // and nothing the run does can change them. Ended with a rollback, never a commit.
    void begin_consistent_read() override;
    void end_consistent_read() noexcept override;

    // The number in the first column of the first row, read as 8 bytes: a count past 2^31
    // would fail a 4-byte define with ORA-01455.
    std::int64_t select_number(const std::string& sql);

private:
    void require_connection() const;
    // The number of the first row, or nothing for NULL or no row.
    // may_take_long as for client_calls::execute.
    std::optional<std::int64_t> select_optional_number(const std::string& sql, const std::vector<std::string>& binds,
                                                       bool may_take_long);
    std::int64_t estimated_rows(const std::string& table);

    std::unique_ptr<client_calls> calls_;
    catalogue_scope scope_ = catalogue_scope::own_tables;
    std::vector<std::string> tables_;
    bool tables_listed_ = false;
    bool in_consistent_read_ = false;
    std::string logon_warning_;
};
