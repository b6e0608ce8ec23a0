// A minimal OCI client for the emulator's tests: loads libclntsh.so with dlopen as the product does.
#pragma once

#include "oci_api.h"  // the emulator's own declarations, not the product's

#include "../support/temp_folder.h"

#include <optional>
#include <string>
#include <vector>

namespace ociemu_test {

// The functions of the emulated client library, resolved once per test program.
struct oci_functions {
    decltype(&OCIEnvNlsCreate) env_create;
    decltype(&OCIHandleAlloc) handle_alloc;
    decltype(&OCIHandleFree) handle_free;
    decltype(&OCIDescriptorAlloc) descriptor_alloc;
    decltype(&OCIDescriptorFree) descriptor_free;
    decltype(&OCIAttrGet) attr_get;
    decltype(&OCIAttrSet) attr_set;
    decltype(&OCIParamGet) param_get;
    decltype(&OCIErrorGet) error_get;
    decltype(&OCIServerAttach) server_attach;
    decltype(&OCIServerDetach) server_detach;
    decltype(&OCISessionBegin) session_begin;
    decltype(&OCISessionEnd) session_end;
    decltype(&OCIStmtPrepare) stmt_prepare;
    decltype(&OCIStmtExecute) stmt_execute;
    decltype(&OCIStmtFetch2) stmt_fetch2;
    decltype(&OCIDefineByPos) define_by_pos;
    decltype(&OCILobRead) lob_read;
    decltype(&OCILobCharSetForm) lob_charset_form;
    decltype(&OCILobGetLength) lob_get_length;
    sword (*break_call)(void* handle, OCIError* error);  // OCIBreak
    unsigned long long (*round_trips)();
};

const oci_functions& oci();

// NAME.db, made from SQL with the user DEMO / demo, in a fresh folder the emulator reads as OCIEMU_DATA.
class service_database {
public:
    service_database(const std::string& name, const std::string& sql);
    ~service_database();
    service_database(const service_database&) = delete;
    service_database& operator=(const service_database&) = delete;

    std::filesystem::path file() const { return folder_ / (name_ + ".db"); }

private:
    temp_folder folder_;
    std::string name_;
};

// Environment, error, server, service context and session handles of one connection.
class connection {
public:
    connection();
    ~connection();
    connection(const connection&) = delete;
    connection& operator=(const connection&) = delete;

    // Attach and log on as the product does (ASCII texts); returns the first failing status.
    sword connect(const std::string& connect_string, const std::string& user = "DEMO",
                  const std::string& password = "demo");
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
    ~statement();
    statement(const statement&) = delete;
    statement& operator=(const statement&) = delete;

    void define(ub4 position, void* buffer, sb4 bytes, ub2 type, sb2* indicator = nullptr, ub2* length = nullptr,
                ub2* code = nullptr);
    sword execute(ub4 iterations = 0, ub4 mode = OCI_DEFAULT);
    sword fetch() { return oci().stmt_fetch2(handle, conn.err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT); }

    OCIStmt* handle = nullptr;
    connection& conn;
};

// Every row of a query, each column fetched as SQLT_STR into UTF-16 buffers; NULL as nullopt.
using text_rows = std::vector<std::vector<std::optional<std::u16string>>>;
text_rows query_text(connection& conn, const std::string& sql);

}  // namespace ociemu_test
