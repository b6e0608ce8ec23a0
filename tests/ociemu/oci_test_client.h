// A minimal OCI client for the emulator's tests, linked to libclntsh.so (the product's dlopen of it is
// tested in tests/oracle).
#pragma once

#include "oci_api.h"  // the emulator's own declarations, not the product's

#include "../support/emulator.h"

#include <stdlib.h>

#include <optional>
#include <string>
#include <vector>

extern "C" {
sword OCIBreak(void* hndlp, OCIError* errhp);  // exported, though not in oci_api.h
unsigned long long ociemu_round_trips();      // the emulator's round-trip counter
unsigned long long ociemu_temporary_lobs();   // temporary LOBs the emulated server keeps alive
}

namespace ociemu_test {

// An emulator switch set for one scope (switches are read at attach or logon).
class scoped_switch {
public:
    scoped_switch(const char* name, const std::string& value) : name_(name) { ::setenv(name, value.c_str(), 1); }
    ~scoped_switch() { ::unsetenv(name_); }
    scoped_switch(const scoped_switch&) = delete;
    scoped_switch& operator=(const scoped_switch&) = delete;

private:
    const char* name_;
};

// Environment, error, server, service context and session handles of one connection.
class connection {
public:
    connection();
    ~connection();
    connection(const connection&) = delete;
    connection& operator=(const connection&) = delete;

    // Attach and log on as SCOTT as the product does; returns the first failing status.
    sword connect(const std::string& connect_string) { return connect_as(connect_string, "SCOTT", "tiger", OCI_CRED_RDBMS); }
    // The same with any user, password (both left unset when empty) and credentials type;
    // OCI_SUCCESS_WITH_INFO from the logon is returned, once the session is in place.
    sword connect_as(const std::string& connect_string, const std::string& user, const std::string& password,
                     ub4 credentials);
    std::u16string error_text() const;  // of the last error record, trailing line feed removed

    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCIServer* server = nullptr;
    OCISvcCtx* svc = nullptr;
    OCISession* session = nullptr;
    bool attached = false;
    bool logged_on = false;
};

// One statement handle, allocated and prepared (ASCII SQL).
class statement {
public:
    statement(connection& owner, const std::string& sql);
    ~statement() { OCIHandleFree(handle, OCI_HTYPE_STMT); }
    statement(const statement&) = delete;
    statement& operator=(const statement&) = delete;

    void define(ub4 position, void* buffer, sb4 bytes, ub2 type, sb2* indicator = nullptr, ub2* length = nullptr,
                ub2* code = nullptr);
    sword execute(ub4 iterations = 0, ub4 mode = OCI_DEFAULT) {
        return OCIStmtExecute(conn.svc, handle, conn.err, iterations, 0, nullptr, nullptr, mode);
    }
    sword fetch() { return OCIStmtFetch2(handle, conn.err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT); }

    OCIStmt* handle = nullptr;
    connection& conn;
};

// Every row of a query, each column fetched as SQLT_STR into UTF-16 buffers; NULL as nullopt.
using text_rows = std::vector<std::vector<std::optional<std::u16string>>>;
text_rows query_text(connection& conn, const std::string& sql);

// COUNT(*) of a query's rows as the server answers it.
long long count_of(connection& conn, const std::string& table);

}  // namespace ociemu_test
