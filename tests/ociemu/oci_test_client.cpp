// The test client: dlopen of the emulated library, handle setup, and text queries.
#include "oci_test_client.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <random>
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
    if (!library) throw std::runtime_error(std::string("cannot load ") + path + ": " + dlerror());
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
    resolve(library, f.round_trips, "ociemu_round_trips");
    return f;  // the library stays loaded for the life of the test program
}

}  // namespace

const oci_functions& oci() {
    static const oci_functions functions = load();
    return functions;
}

// Test inputs are valid UTF-8 written in the tests themselves, so no error handling is needed.
std::u16string to_utf16(const std::string& text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t value = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); ++k) value = (value << 6) | (text[i + k] & 0x3F);
        i += extra + 1;
        if (value >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(value);
        }
    }
    return out;
}

std::string to_utf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t value = text[i];
        if (value >= 0xD800 && value < 0xDC00 && i + 1 < text.size()) value = 0x10000 + ((value - 0xD800) << 10) + (text[++i] - 0xDC00);
        if (value < 0x80) {
            out += static_cast<char>(value);
        } else if (value < 0x800) {
            out += static_cast<char>(0xC0 | (value >> 6));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else if (value < 0x10000) {
            out += static_cast<char>(0xE0 | (value >> 12));
            out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (value >> 18));
            out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (value & 0x3F));
        }
    }
    return out;
}

data_folder::data_folder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("ociemu_test_" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
    if (const char* old = std::getenv("OCIEMU_DATA")) previous_ = old;
    setenv("OCIEMU_DATA", path_.c_str(), 1);
}

data_folder::~data_folder() {
    if (previous_) setenv("OCIEMU_DATA", previous_->c_str(), 1);
    else unsetenv("OCIEMU_DATA");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void data_folder::create_database(const std::string& name, const std::string& sql, bool with_demo_user) const {
    sqlite3* db = nullptr;
    const std::string file = (path_ / (name + ".db")).string();
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    std::string script = sql;
    if (with_demo_user)
        script = "CREATE TABLE OCIEMU_USERS (USERNAME, PASSWORD, LOCKED);"
                 "INSERT INTO OCIEMU_USERS VALUES ('DEMO', 'demo', 'N'), ('SCOTT', 'Tiger', 'N'), ('BLOCKED', 'pw', 'Y');" +
                 script;
    char* message = nullptr;
    const int status = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message);
    const std::string reason = message ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    ASSERT_EQ(status, SQLITE_OK) << reason;
}

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

std::string connection::text(const std::string& utf8) {
    const std::u16string units = to_utf16(utf8);
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

sword connection::connect(const std::string& connect_string, const std::string& user, const std::string& password) {
    const std::string target = text(connect_string);
    sword status = oci().server_attach(server, err, reinterpret_cast<const OraText*>(target.data()),
                                       static_cast<sb4>(target.size()), OCI_DEFAULT);
    if (status != OCI_SUCCESS) return status;
    attached = true;
    if ((status = oci().attr_set(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err)) != OCI_SUCCESS) return status;
    std::string name = text(user), secret = text(password);
    if ((status = oci().attr_set(session, OCI_HTYPE_SESSION, name.data(), static_cast<ub4>(name.size()), OCI_ATTR_USERNAME,
                                 err)) != OCI_SUCCESS)
        return status;
    if ((status = oci().attr_set(session, OCI_HTYPE_SESSION, secret.data(), static_cast<ub4>(secret.size()),
                                 OCI_ATTR_PASSWORD, err)) != OCI_SUCCESS)
        return status;
    if ((status = oci().session_begin(svc, err, session, OCI_CRED_RDBMS, OCI_DEFAULT)) != OCI_SUCCESS) return status;
    logged_on = true;
    return oci().attr_set(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err);
}

void connection::connect_or_fail(const std::string& connect_string, const std::string& user, const std::string& password) {
    ASSERT_EQ(connect(connect_string, user, password), OCI_SUCCESS) << error_text();
}

int connection::error_code() const {
    sb4 code = 0;
    unsigned char buffer[3072];
    if (oci().error_get(err, 1, nullptr, &code, buffer, sizeof buffer, OCI_HTYPE_ERROR) != OCI_SUCCESS) return 0;
    return code;
}

std::string connection::error_text() const {
    sb4 code = 0;
    alignas(char16_t) unsigned char buffer[3072] = {};
    if (oci().error_get(err, 1, nullptr, &code, buffer, sizeof buffer, OCI_HTYPE_ERROR) != OCI_SUCCESS) return {};
    std::string out = to_utf8(std::u16string(reinterpret_cast<const char16_t*>(buffer)));
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

statement::statement(connection& owner, const std::string& sql) : conn(owner) {
    EXPECT_EQ(oci().handle_alloc(conn.env, reinterpret_cast<void**>(&handle), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    const std::string text = conn.text(sql);
    EXPECT_EQ(oci().stmt_prepare(handle, conn.err, reinterpret_cast<const OraText*>(text.data()),
                                 static_cast<ub4>(text.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
}

statement::~statement() { oci().handle_free(handle, OCI_HTYPE_STMT); }

sword statement::execute(ub4 iterations, ub4 mode) {
    return oci().stmt_execute(conn.svc, handle, conn.err, iterations, 0, nullptr, nullptr, mode);
}

sword statement::fetch(ub4 rows) { return oci().stmt_fetch2(handle, conn.err, rows, OCI_FETCH_NEXT, 0, OCI_DEFAULT); }

ub4 statement::column_count() {
    ub4 count = 0;
    EXPECT_EQ(oci().attr_get(handle, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, conn.err), OCI_SUCCESS);
    return count;
}

text_rows query_text(connection& conn, const std::string& sql, std::size_t buffer_chars) {
    statement query(conn, sql);
    text_rows rows;
    const sword executed = query.execute();
    EXPECT_EQ(executed, OCI_SUCCESS) << sql << ": " << conn.error_text();
    if (executed != OCI_SUCCESS) return rows;
    const ub4 columns = query.column_count();
    std::vector<std::u16string> buffers(columns, std::u16string(buffer_chars + 1, u'\0'));
    std::vector<sb2> indicators(columns);
    for (ub4 i = 0; i < columns; ++i) {
        OCIDefine* define = nullptr;
        EXPECT_EQ(oci().define_by_pos(query.handle, &define, conn.err, i + 1, buffers[i].data(),
                                      static_cast<sb4>((buffer_chars + 1) * 2), SQLT_STR, &indicators[i], nullptr, nullptr,
                                      OCI_DEFAULT),
                  OCI_SUCCESS);
    }
    sword status;
    while ((status = query.fetch()) == OCI_SUCCESS) {
        auto& out = rows.emplace_back();
        for (ub4 i = 0; i < columns; ++i) {
            if (indicators[i] == -1) out.emplace_back(std::nullopt);
            else out.emplace_back(to_utf8(std::u16string(buffers[i].c_str())));
        }
    }
    EXPECT_EQ(status, OCI_NO_DATA) << sql << ": " << conn.error_text();
    return rows;
}

std::pair<int, std::string> execute_error(connection& conn, const std::string& sql, ub4 mode) {
    statement query(conn, sql);
    if (query.execute(mode == OCI_DEFAULT ? 0 : 1, mode) == OCI_SUCCESS) return {0, ""};
    return {conn.error_code(), conn.error_text()};
}

}  // namespace ociemu_test
