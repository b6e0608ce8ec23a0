// A minimal OCI client for the emulator's tests: loads libclntsh.so with dlopen and wraps the calls.
#pragma once

#include "oci_api.h"  // the emulator's own declarations, not the product's

#include <filesystem>
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
    unsigned long long (*round_trips)();
};

const oci_functions& oci();

std::u16string to_utf16(const std::string& text);
std::string to_utf8(const std::u16string& text);

// A fresh folder used as OCIEMU_DATA for one test; removed with everything in it afterwards.
class data_folder {
public:
    data_folder();
    ~data_folder();
    data_folder(const data_folder&) = delete;
    data_folder& operator=(const data_folder&) = delete;

    // Creates NAME.db from SQL (users table included by the caller's script or by `with_demo_user`).
    void create_database(const std::string& name, const std::string& sql, bool with_demo_user = true) const;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::optional<std::string> previous_;
};

// Environment, error, server, service context and session handles of one connection.
class connection {
public:
    connection();
    ~connection();
    connection(const connection&) = delete;
    connection& operator=(const connection&) = delete;

    // Attach and log on as the product does; returns the first failing status.
    sword connect(const std::string& connect_string, const std::string& user, const std::string& password);
    void connect_or_fail(const std::string& connect_string, const std::string& user = "DEMO",
                         const std::string& password = "demo");

    int error_code() const;         // of the last error record on the error handle
    std::string error_text() const; // UTF-8, trailing line feed removed

    static std::string text(const std::string& utf8);  // the API bytes (UTF-16) of a text

    OCIEnv* env = nullptr;
    OCIError* err = nullptr;
    OCIServer* server = nullptr;
    OCISvcCtx* svc = nullptr;
    OCISession* session = nullptr;
    bool attached = false;
    bool logged_on = false;
};

// One statement handle, allocated and prepared.
class statement {
public:
    statement(connection& owner, const std::string& sql);
    ~statement();
    statement(const statement&) = delete;
    statement& operator=(const statement&) = delete;

    sword execute(ub4 iterations = 0, ub4 mode = OCI_DEFAULT);
    sword fetch(ub4 rows = 1);
    ub4 column_count();

    OCIStmt* handle = nullptr;
    connection& conn;
};

// Every row of a query, each column fetched as SQLT_STR into UTF-16 buffers; NULL as nullopt.
using text_rows = std::vector<std::vector<std::optional<std::string>>>;
text_rows query_text(connection& conn, const std::string& sql, std::size_t buffer_chars = 512);

// The error code and text a statement raises at execute (0 and "" when it succeeds).
std::pair<int, std::string> execute_error(connection& conn, const std::string& sql, ub4 mode = OCI_DEFAULT);

}  // namespace ociemu_test
