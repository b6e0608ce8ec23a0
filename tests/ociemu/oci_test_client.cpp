// The test client: dlopen of the emulated library, service databases, handle setup and text queries.
#include "oci_test_client.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <dlfcn.h>
#include <stdexcept>

namespace ociemu_test {
namespace {

template <typename T>
void resolve(void* library, T& target, const char* name) {
    target = reinterpret_cast<T>(dlsym(library, name));
    if (!target) throw std::runtime_error(std::string("missing symbol ") + name);
}

oci_functions load() {
    const std::string path = std::string(OCIEMU_LIB_DIR) + "/libclntsh.so";
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) throw std::runtime_error("cannot load " + path + ": " + dlerror());
    oci_functions f{};
    resolve(library, f.env_create, "OCIEnvNlsCreate");
    resolve(library, f.handle_alloc, "OCIHandleAlloc");
    resolve(library, f.handle_free, "OCIHandleFree");
    resolve(library, f.descriptor_alloc, "OCIDescriptorAlloc");
    resolve(library, f.descriptor_free, "OCIDescriptorFree");
    resolve(library, f.attr_get, "OCIAttrGet");
    resolve(library, f.attr_set, "OCIAttrSet");
    resolve(library, f.param_get, "OCIParamGet");
    resolve(library, f.error_get, "OCIErrorGet");
    resolve(library, f.server_attach, "OCIServerAttach");
    resolve(library, f.server_detach, "OCIServerDetach");
    resolve(library, f.session_begin, "OCISessionBegin");
    resolve(library, f.session_end, "OCISessionEnd");
    resolve(library, f.stmt_prepare, "OCIStmtPrepare");
    resolve(library, f.stmt_execute, "OCIStmtExecute");
    resolve(library, f.stmt_fetch2, "OCIStmtFetch2");
    resolve(library, f.define_by_pos, "OCIDefineByPos");
    resolve(library, f.lob_read, "OCILobRead");
    resolve(library, f.lob_charset_form, "OCILobCharSetForm");
    resolve(library, f.lob_get_length, "OCILobGetLength");
    resolve(library, f.break_call, "OCIBreak");
    resolve(library, f.round_trips, "ociemu_round_trips");
    return f;  // the library stays loaded for the life of the test program
}

// The API text (UTF-16) of an ASCII text.
std::u16string api_text(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

const oci_functions& oci() {
    static const oci_functions functions = load();
    return functions;
}

service_database::service_database(const std::string& name, const std::string& sql) : name_(name) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
    const std::string script = "CREATE TABLE OCIEMU_USERS (USERNAME, PASSWORD, LOCKED);"
                               "INSERT INTO OCIEMU_USERS VALUES ('DEMO', 'demo', 'N');" + sql;
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message), SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
    setenv("OCIEMU_DATA", folder_.path().c_str(), 1);
}

service_database::~service_database() { unsetenv("OCIEMU_DATA"); }

connection::connection() {
    EXPECT_EQ(oci().env_create(&env, OCI_THREADED | OCI_OBJECT, nullptr, nullptr, nullptr, nullptr, 0, nullptr, OCI_UTF16ID,
                               OCI_UTF16ID),
              OCI_SUCCESS);
    EXPECT_EQ(oci().handle_alloc(env, reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(oci().handle_alloc(env, reinterpret_cast<void**>(&server), OCI_HTYPE_SERVER, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(oci().handle_alloc(env, reinterpret_cast<void**>(&session), OCI_HTYPE_SESSION, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(oci().handle_alloc(env, reinterpret_cast<void**>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr), OCI_SUCCESS);
}

connection::~connection() {
    if (logged_on) oci().session_end(svc, err, session, OCI_DEFAULT);
    if (attached) oci().server_detach(server, err, OCI_DEFAULT);
    oci().handle_free(server, OCI_HTYPE_SERVER);
    oci().handle_free(svc, OCI_HTYPE_SVCCTX);
    oci().handle_free(err, OCI_HTYPE_ERROR);
    oci().handle_free(session, OCI_HTYPE_SESSION);
    oci().handle_free(env, OCI_HTYPE_ENV);
}

sword connection::connect(const std::string& connect_string, const std::string& user, const std::string& password) {
    const std::u16string target = api_text(connect_string), name = api_text(user), secret = api_text(password);
    sword status = oci().server_attach(server, err, reinterpret_cast<const OraText*>(target.data()),
                                       static_cast<sb4>(target.size() * 2), OCI_DEFAULT);
    if (status != OCI_SUCCESS) return status;
    attached = true;
    if ((status = oci().attr_set(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err)) != OCI_SUCCESS) return status;
    if ((status = oci().attr_set(session, OCI_HTYPE_SESSION, const_cast<char16_t*>(name.data()),
                                 static_cast<ub4>(name.size() * 2), OCI_ATTR_USERNAME, err)) != OCI_SUCCESS)
        return status;
    if ((status = oci().attr_set(session, OCI_HTYPE_SESSION, const_cast<char16_t*>(secret.data()),
                                 static_cast<ub4>(secret.size() * 2), OCI_ATTR_PASSWORD, err)) != OCI_SUCCESS)
        return status;
    if ((status = oci().session_begin(svc, err, session, OCI_CRED_RDBMS, OCI_DEFAULT)) != OCI_SUCCESS) return status;
    logged_on = true;
    return oci().attr_set(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err);
}

std::u16string connection::error_text() const {
    sb4 code = 0;
    char16_t buffer[1536] = {};
    if (oci().error_get(err, 1, nullptr, &code, reinterpret_cast<OraText*>(buffer), sizeof buffer, OCI_HTYPE_ERROR) !=
        OCI_SUCCESS)
        return {};
    std::u16string out(buffer);
    if (!out.empty() && out.back() == u'\n') out.pop_back();
    return out;
}

statement::statement(connection& owner, const std::string& sql) : conn(owner) {
    EXPECT_EQ(oci().handle_alloc(conn.env, reinterpret_cast<void**>(&handle), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    const std::u16string text = api_text(sql);
    EXPECT_EQ(oci().stmt_prepare(handle, conn.err, reinterpret_cast<const OraText*>(text.data()),
                                 static_cast<ub4>(text.size() * 2), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
}

statement::~statement() { oci().handle_free(handle, OCI_HTYPE_STMT); }

void statement::define(ub4 position, void* buffer, sb4 bytes, ub2 type, sb2* indicator, ub2* length, ub2* code) {
    OCIDefine* define = nullptr;
    EXPECT_EQ(oci().define_by_pos(handle, &define, conn.err, position, buffer, bytes, type, indicator, length, code,
                                  OCI_DEFAULT),
              OCI_SUCCESS);
}

sword statement::execute(ub4 iterations, ub4 mode) {
    return oci().stmt_execute(conn.svc, handle, conn.err, iterations, 0, nullptr, nullptr, mode);
}

text_rows query_text(connection& conn, const std::string& sql) {
    statement query(conn, sql);
    text_rows rows;
    EXPECT_EQ(query.execute(), OCI_SUCCESS) << sql;
    ub4 columns = 0;
    EXPECT_EQ(oci().attr_get(query.handle, OCI_HTYPE_STMT, &columns, nullptr, OCI_ATTR_PARAM_COUNT, conn.err), OCI_SUCCESS);
    std::vector<std::u16string> buffers(columns, std::u16string(512, u'\0'));
    std::vector<sb2> indicators(columns);
    for (ub4 i = 0; i < columns; ++i) query.define(i + 1, buffers[i].data(), 1024, SQLT_STR, &indicators[i]);
    sword status;
    while ((status = query.fetch()) == OCI_SUCCESS) {
        auto& out = rows.emplace_back();
        for (ub4 i = 0; i < columns; ++i)
            out.push_back(indicators[i] == -1 ? std::nullopt : std::optional<std::u16string>(buffers[i].c_str()));
    }
    EXPECT_EQ(status, OCI_NO_DATA) << sql;
    return rows;
}

}  // namespace ociemu_test
