// The catalogue as a real server shows it to a user: bind variables in dictionary queries,
// v$version only with a privilege, the recycle bin and nested-table storage, and a listed table
// the user may not read.
#include "oci_test_client.h"

#include <gtest/gtest.h>

using namespace ociemu_test;

namespace {

constexpr const char* catalogue_schema = R"sql(
ALTER TABLE OCIEMU_USERS ADD COLUMN PRIVILEGED TEXT;
INSERT INTO OCIEMU_USERS VALUES ('DBA1', 'pw', 0, 'Y');
CREATE TABLE ORDERS (ID NUMBER(6));
CREATE TABLE SECRETS (ID NUMBER(6));
CREATE TABLE "BIN$nI3cUk6oQyGx2V1jMmVxqg==$0" (ID NUMBER(6));
CREATE TABLE LINES_STORE (ID NUMBER(6));
CREATE TABLE OCIEMU_TABLE_FLAGS (TABLE_NAME TEXT, TEMPORARY TEXT, NESTED TEXT, IOT_TYPE TEXT);
INSERT INTO OCIEMU_TABLE_FLAGS VALUES ('LINES_STORE', NULL, 'YES', NULL);
CREATE TABLE OCIEMU_TABLE_PRIVILEGES (GRANTEE TEXT, TABLE_NAME TEXT, PRIVILEGE TEXT);
INSERT INTO OCIEMU_TABLE_PRIVILEGES VALUES ('SCOTT', 'SECRETS', 'INSERT'), ('DBA1', 'SECRETS', 'SELECT');
)sql";

class catalogue_test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(conn_.connect("ORCL"), OCI_SUCCESS); }
    emulator_database database_{"ORCL", {catalogue_schema}};
    connection conn_;
};

TEST_F(catalogue_test, dictionary_queries_take_text_binds_by_position_and_by_name) {
    statement stmt(conn_, "SELECT COUNT(*) FROM ALL_TAB_COLUMNS WHERE OWNER = :1 AND TABLE_NAME = :2");
    const std::u16string owner = u"SCOTT", table = u"ORDERS";
    OCIBind* binds[2] = {};
    ASSERT_EQ(OCIBindByPos(stmt.handle, &binds[0], conn_.err, 1, const_cast<char16_t*>(owner.data()),
                           static_cast<sb4>(owner.size() * 2), SQLT_CHR, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(OCIBindByPos(stmt.handle, &binds[1], conn_.err, 2, const_cast<char16_t*>(table.data()),
                           static_cast<sb4>(table.size() * 2), SQLT_CHR, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    sb4 count = -1;
    stmt.define(1, &count, sizeof count, SQLT_INT);
    ASSERT_EQ(stmt.execute(1), OCI_SUCCESS) << testing::PrintToString(conn_.error_text());
    EXPECT_EQ(count, 1);

    statement named(conn_, "SELECT TABLE_NAME FROM USER_TABLES WHERE TABLE_NAME = :name");
    const std::u16string wanted = u"SECRETS";  // terminated, as SQLT_STR reads it
    OCIBind* bind = nullptr;
    const std::u16string placeholder = u":NAME";
    ASSERT_EQ(OCIBindByName(named.handle, &bind, conn_.err, reinterpret_cast<const OraText*>(placeholder.data()),
                            static_cast<sb4>(placeholder.size() * 2), const_cast<char16_t*>(wanted.c_str()),
                            static_cast<sb4>((wanted.size() + 1) * 2), SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr,
                            OCI_DEFAULT),
              OCI_SUCCESS);
    char16_t name[32] = {};
    named.define(1, name, sizeof name, SQLT_STR);
    ASSERT_EQ(named.execute(1), OCI_SUCCESS) << testing::PrintToString(conn_.error_text());
    EXPECT_EQ(std::u16string(name), u"SECRETS");

    statement unbound(conn_, "SELECT TABLE_NAME FROM USER_TABLES WHERE TABLE_NAME = :1");
    EXPECT_EQ(unbound.execute(), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-01008: not all variables bound");
}

TEST_F(catalogue_test, the_recycle_bin_and_nested_storage_are_listed_and_a_table_without_select_is_listed_but_unreadable) {
    EXPECT_EQ(query_text(conn_, "SELECT TABLE_NAME, NESTED, DROPPED FROM USER_TABLES ORDER BY TABLE_NAME"),
              (text_rows{{u"BIN$nI3cUk6oQyGx2V1jMmVxqg==$0", u"NO", u"YES"},
                         {u"LINES_STORE", u"YES", u"NO"},
                         {u"ORDERS", u"NO", u"NO"},
                         {u"SECRETS", u"NO", u"NO"}}));
    statement secret(conn_, "SELECT ID FROM SECRETS");
    EXPECT_EQ(secret.execute(), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-01031: insufficient privileges");
    statement insert(conn_, "INSERT INTO SECRETS VALUES (1)");
    EXPECT_EQ(insert.execute(1), OCI_SUCCESS) << testing::PrintToString(conn_.error_text());
    EXPECT_EQ(query_text(conn_, "SELECT ID FROM ORDERS").size(), 0u);  // tables without grants stay readable
}

TEST_F(catalogue_test, v_version_needs_a_privileged_user) {
    statement version(conn_, "SELECT BANNER FROM V$VERSION");
    EXPECT_EQ(version.execute(), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-00942: table or view does not exist");
    connection dba;
    ASSERT_EQ(dba.connect_as("ORCL", "DBA1", "pw", OCI_CRED_RDBMS), OCI_SUCCESS);
    EXPECT_EQ(query_text(dba, "SELECT BANNER FROM V$VERSION"),
              (text_rows{{u"Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production"}}));
    EXPECT_EQ(query_text(dba, "SELECT ID FROM SECRETS").size(), 0u);  // granted SELECT
}

}  // namespace
