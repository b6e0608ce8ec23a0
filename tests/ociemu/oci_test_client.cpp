// The test client: handle setup and text queries.
#include "oci_test_client.h"

#include <gtest/gtest.h>

namespace ociemu_test {
namespace {

// The API text (UTF-16) of an ASCII text.
std::u16string api_text(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

connection::connection() {
    EXPECT_EQ(OCIEnvNlsCreate(&env, OCI_THREADED | OCI_OBJECT, nullptr, nullptr, nullptr, nullptr, 0, nullptr, OCI_UTF16ID,
                              OCI_UTF16ID),
              OCI_SUCCESS);
    const std::pair<void**, ub4> handles[] = {{reinterpret_cast<void**>(&err), OCI_HTYPE_ERROR},
                                              {reinterpret_cast<void**>(&server), OCI_HTYPE_SERVER},
                                              {reinterpret_cast<void**>(&session), OCI_HTYPE_SESSION},
                                              {reinterpret_cast<void**>(&svc), OCI_HTYPE_SVCCTX}};
    for (const auto& [handle, type] : handles) EXPECT_EQ(OCIHandleAlloc(env, handle, type, 0, nullptr), OCI_SUCCESS);
}

connection::~connection() {
    if (logged_on) OCISessionEnd(svc, err, session, OCI_DEFAULT);
    if (attached) OCIServerDetach(server, err, OCI_DEFAULT);
    OCIHandleFree(env, OCI_HTYPE_ENV);  // and every handle allocated in it
}

sword connection::connect_as(const std::string& connect_string, const std::string& user, const std::string& password,
                             ub4 credentials) {
    const std::u16string target = api_text(connect_string), name = api_text(user), secret = api_text(password);
    sword status = OCIServerAttach(server, err, reinterpret_cast<const OraText*>(target.data()),
                                   static_cast<sb4>(target.size() * 2), OCI_DEFAULT);
    attached = status == OCI_SUCCESS;
    if (attached) status = OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err);
    if (status == OCI_SUCCESS && !name.empty())
        status = OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<char16_t*>(name.data()),
                            static_cast<ub4>(name.size() * 2), OCI_ATTR_USERNAME, err);
    if (status == OCI_SUCCESS && !secret.empty())
        status = OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<char16_t*>(secret.data()),
                            static_cast<ub4>(secret.size() * 2), OCI_ATTR_PASSWORD, err);
    if (status == OCI_SUCCESS) status = OCISessionBegin(svc, err, session, credentials, OCI_DEFAULT);
    logged_on = status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO;
    if (!logged_on) return status;
    // the session attribute must not clear the logon's warning from the error handle
    OCIError* own = nullptr;
    OCIHandleAlloc(env, reinterpret_cast<void**>(&own), OCI_HTYPE_ERROR, 0, nullptr);
    const sword attached_session = OCIAttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, own);
    OCIHandleFree(own, OCI_HTYPE_ERROR);
    return attached_session != OCI_SUCCESS ? attached_session : status;
}

std::u16string connection::error_text() const {
    sb4 code = 0;
    char16_t buffer[1536] = {};
    OCIErrorGet(err, 1, nullptr, &code, reinterpret_cast<OraText*>(buffer), sizeof buffer, OCI_HTYPE_ERROR);
    std::u16string out(buffer);
    if (!out.empty() && out.back() == u'\n') out.pop_back();
    return out;
}

statement::statement(connection& owner, const std::string& sql) : conn(owner) {
    EXPECT_EQ(OCIHandleAlloc(conn.env, reinterpret_cast<void**>(&handle), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    const std::u16string text = api_text(sql);
    EXPECT_EQ(OCIStmtPrepare(handle, conn.err, reinterpret_cast<const OraText*>(text.data()),
                             static_cast<ub4>(text.size() * 2), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
}

void statement::define(ub4 position, void* buffer, sb4 bytes, ub2 type, sb2* indicator, ub2* length, ub2* code) {
    OCIDefine* define = nullptr;
    EXPECT_EQ(OCIDefineByPos(handle, &define, conn.err, position, buffer, bytes, type, indicator, length, code, OCI_DEFAULT),
              OCI_SUCCESS);
}

text_rows query_text(connection& conn, const std::string& sql) {
    statement query(conn, sql);
    EXPECT_EQ(query.execute(), OCI_SUCCESS) << sql;
    ub4 columns = 0;
    EXPECT_EQ(OCIAttrGet(query.handle, OCI_HTYPE_STMT, &columns, nullptr, OCI_ATTR_PARAM_COUNT, conn.err), OCI_SUCCESS);
    std::vector<std::u16string> buffers(columns, std::u16string(512, u'\0'));
    std::vector<sb2> indicators(columns);
    for (ub4 i = 0; i < columns; ++i) query.define(i + 1, buffers[i].data(), 1024, SQLT_STR, &indicators[i]);
    text_rows rows;
    sword status;
    while ((status = query.fetch()) == OCI_SUCCESS) {
        auto& out = rows.emplace_back();
        for (ub4 i = 0; i < columns; ++i)
            out.push_back(indicators[i] == -1 ? std::nullopt : std::optional<std::u16string>(buffers[i].c_str()));
    }
    EXPECT_EQ(status, OCI_NO_DATA) << sql;
    return rows;
}

long long count_of(connection& conn, const std::string& table) {
    statement count(conn, "SELECT COUNT(*) FROM " + table);
    long long rows = -1;
    count.define(1, &rows, sizeof rows, SQLT_INT);
    EXPECT_EQ(count.execute(1), OCI_SUCCESS) << testing::PrintToString(conn.error_text());
    return rows;
}

}  // namespace ociemu_test
