// The catalogue statements the product sends, run unchanged against the emulated dictionary.
#include "oci_test_client.h"

#include <gtest/gtest.h>

using namespace ociemu_test;

namespace {

constexpr const char* catalogue_schema = R"sql(
CREATE TABLE OCIEMU_TABLE_FLAGS (TABLE_NAME, TEMPORARY, NESTED, IOT_TYPE);
INSERT INTO OCIEMU_TABLE_FLAGS VALUES ('SCRATCH', 'Y', 'NO', NULL), ('INNER_ROWS', 'N', 'YES', NULL),
                                      ('BY_KEY', 'N', 'NO', 'IOT');
CREATE TABLE DEPT (DEPTNO NUMBER(2) PRIMARY KEY, DNAME VARCHAR2(14) DEFAULT 'abc', LOC NVARCHAR2(13));
CREATE TABLE EMP (EMPNO NUMBER(4) NOT NULL, ENAME VARCHAR2(10), HIRED DATE DEFAULT SYSDATE,
  STAMP "TIMESTAMP(6) WITH TIME ZONE", BONUS NUMBER DEFAULT 0, DEPTNO NUMBER(2) REFERENCES DEPT (DEPTNO) ON DELETE CASCADE,
  PRIMARY KEY (EMPNO));
CREATE INDEX EMP_BY_NAME ON EMP (ENAME);
CREATE UNIQUE INDEX EMP_BY_STAMP ON EMP (STAMP, ENAME);
CREATE TABLE SCRATCH (X NUMBER);
CREATE TABLE INNER_ROWS (X NUMBER);
CREATE TABLE BY_KEY (K NUMBER PRIMARY KEY);
CREATE TABLE "Mixed Case" ("a b" VARCHAR2(5));
CREATE VIEW EMP_NAMES AS SELECT ENAME, DEPTNO FROM EMP;
INSERT INTO DEPT VALUES (10, 'ACCOUNTING', 'NEW YORK'), (20, 'RESEARCH', 'DALLAS');
INSERT INTO EMP VALUES (7369, 'SMITH', '1980-12-17 00:00:00', NULL, NULL, 20), (7499, 'ALLEN', '1981-02-20 00:00:00', NULL, 300, 10);
)sql";

class catalogue_test : public ::testing::Test {
protected:
    void SetUp() override {
        data_.create_database("ORCL", catalogue_schema);
        conn_.connect_or_fail("ORCL", "scott", "Tiger");
    }
    data_folder data_;
    connection conn_;
};

TEST_F(catalogue_test, table_lists_leave_out_temporary_and_nested_tables_but_keep_iots) {
    EXPECT_EQ(query_text(conn_, "select TABLE_NAME, IOT_TYPE from user_tables where TEMPORARY='N' and NESTED='NO' and "
                                "IOT_TYPE IS NULL OR IOT_TYPE='IOT'"),
              (text_rows{{"DEPT", std::nullopt}, {"EMP", std::nullopt}, {"BY_KEY", "IOT"}, {"Mixed Case", std::nullopt}}));
    EXPECT_EQ(query_text(conn_, "select OWNER, TABLE_NAME, IOT_TYPE from all_tables where TEMPORARY='N' and NESTED='NO' "
                                "and IOT_TYPE IS NULL OR IOT_TYPE='IOT'")
                  .front(),
              (std::vector<std::optional<std::string>>{"SCOTT", "DEPT", std::nullopt}));
    EXPECT_EQ(query_text(conn_, "select TABLE_NAME from user_tables").size(), 6u);  // the old servers' form lists all
}

TEST_F(catalogue_test, column_lists_spell_types_and_defaults_as_oracle_does) {
    EXPECT_EQ(query_text(conn_, "SELECT COLUMN_NAME, DATA_TYPE FROM USER_TAB_COLUMNS WHERE table_name = 'EMP'"),
              (text_rows{{"EMPNO", "NUMBER"}, {"ENAME", "VARCHAR2"}, {"HIRED", "DATE"},
                         {"STAMP", "TIMESTAMP(6) WITH TIME ZONE"}, {"BONUS", "NUMBER"}, {"DEPTNO", "NUMBER"}}));
    EXPECT_EQ(query_text(conn_, "select COLUMN_NAME, DATA_DEFAULT, DATA_TYPE from ALL_TAB_COLUMNS where "
                                "concat(owner,concat('.',table_name)) = 'SCOTT.EMP'"),
              (text_rows{{"EMPNO", std::nullopt, "NUMBER"}, {"ENAME", std::nullopt, "VARCHAR2"},
                         {"HIRED", "SYSDATE", "DATE"}, {"STAMP", std::nullopt, "TIMESTAMP(6) WITH TIME ZONE"},
                         {"BONUS", "0", "NUMBER"}, {"DEPTNO", std::nullopt, "NUMBER"}}));
    EXPECT_EQ(query_text(conn_, "SELECT DATA_DEFAULT, DATA_LENGTH, CHAR_LENGTH FROM USER_TAB_COLUMNS WHERE table_name = "
                                "'DEPT' AND COLUMN_NAME IN ('DNAME', 'LOC') ORDER BY COLUMN_ID"),
              (text_rows{{"'abc'", "14", "14"}, {std::nullopt, "26", "13"}}));
    EXPECT_EQ(query_text(conn_, "SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE table_name = 'EMP'"), (text_rows{{"6"}}));
    EXPECT_EQ(query_text(conn_, "SELECT DATA_TYPE, DATA_PRECISION, DATA_SCALE, NULLABLE FROM USER_TAB_COLUMNS WHERE "
                                "table_name = 'EMP' AND COLUMN_NAME IN ('EMPNO', 'BONUS') ORDER BY COLUMN_ID"),
              (text_rows{{"NUMBER", "4", "0", "N"}, {"NUMBER", std::nullopt, std::nullopt, "Y"}}));
}

TEST_F(catalogue_test, primary_keys_come_from_the_sqlite_keys) {
    EXPECT_EQ(query_text(conn_, "SELECT count(*) FROM user_constraints WHERE table_name='EMP' AND constraint_type='P'"),
              (text_rows{{"1"}}));
    EXPECT_EQ(query_text(conn_, "SELECT count(*) FROM all_constraints WHERE concat(concat(owner,'.'),table_name)='SCOTT.EMP' "
                                "AND constraint_type='P'"),
              (text_rows{{"1"}}));
    const auto keys = query_text(conn_, "SELECT a.constraint_name, a.column_name FROM user_cons_columns a, user_constraints b "
                                        "WHERE a.table_name='EMP' AND a.constraint_name=b.constraint_name AND "
                                        "b.constraint_type='P' ORDER BY a.constraint_name, a.position");
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0][1], "EMPNO");
    EXPECT_EQ(keys[0][0]->rfind("SYS_C", 0), 0u);
    EXPECT_EQ(query_text(conn_, "SELECT count(*) FROM user_constraints WHERE table_name='SCRATCH' AND constraint_type='P'"),
              (text_rows{{"0"}}));
}

TEST_F(catalogue_test, foreign_keys_name_the_referenced_primary_key) {
    const auto dept_key = query_text(conn_, "SELECT constraint_name FROM user_constraints WHERE table_name='DEPT' AND "
                                            "constraint_type='P'")[0][0].value();
    EXPECT_EQ(query_text(conn_, "select count(*) from USER_CONSTRAINTS where R_CONSTRAINT_NAME='" + dept_key +
                                    "' and CONSTRAINT_TYPE='R'"),
              (text_rows{{"1"}}));
    const auto rows = query_text(conn_, "select concat(concat(a.OWNER,'.'),a.TABLE_NAME),a.CONSTRAINT_NAME,a.DELETE_RULE,"
                                        "b.COLUMN_NAME FROM ALL_CONSTRAINTS a, ALL_CONS_COLUMNS b WHERE "
                                        "a.CONSTRAINT_NAME=b.CONSTRAINT_NAME and a.CONSTRAINT_TYPE='R' and "
                                        "a.R_CONSTRAINT_NAME='" + dept_key + "'");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "SCOTT.EMP");
    EXPECT_EQ(rows[0][2], "CASCADE");
    EXPECT_EQ(rows[0][3], "DEPTNO");
}

TEST_F(catalogue_test, indexes_mark_generated_ones_and_uniqueness) {
    EXPECT_EQ(query_text(conn_, "SELECT i.INDEX_NAME, i.UNIQUENESS, c.COLUMN_NAME FROM USER_INDEXES i, USER_IND_COLUMNS c "
                                "WHERE i.INDEX_NAME = c.INDEX_NAME AND i.TABLE_NAME = 'EMP' AND i.GENERATED = 'N' "
                                "ORDER BY i.INDEX_NAME, c.COLUMN_POSITION"),
              (text_rows{{"EMP_BY_NAME", "NONUNIQUE", "ENAME"}, {"EMP_BY_STAMP", "UNIQUE", "STAMP"},
                         {"EMP_BY_STAMP", "UNIQUE", "ENAME"}}));
    EXPECT_EQ(query_text(conn_, "SELECT COUNT(*) FROM ALL_INDEXES WHERE TABLE_NAME = 'EMP' AND GENERATED = 'Y' AND "
                                "OWNER = 'SCOTT'"),
              (text_rows{{"1"}}));
}

TEST_F(catalogue_test, views_are_listed_with_their_text_as_a_long_column) {
    EXPECT_EQ(query_text(conn_, "select VIEW_NAME, TEXT from SYS.USER_VIEWS"),
              (text_rows{{"EMP_NAMES", "SELECT ENAME, DEPTNO FROM EMP"}}));
    statement stmt(conn_, "select VIEW_NAME, TEXT from SYS.USER_VIEWS");
    ASSERT_EQ(stmt.execute(0, OCI_DESCRIBE_ONLY), OCI_SUCCESS);
    void* param = nullptr;
    ASSERT_EQ(oci().param_get(stmt.handle, OCI_HTYPE_STMT, conn_.err, &param, 2), OCI_SUCCESS);
    ub2 type = 0;
    ASSERT_EQ(oci().attr_get(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, conn_.err), OCI_SUCCESS);
    EXPECT_EQ(type, SQLT_LNG);
}

TEST_F(catalogue_test, the_version_banner_has_a_default_of_a_19c_server) {
    EXPECT_EQ(query_text(conn_, "select * from v$version"),
              (text_rows{{"Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production"}}));
}

TEST_F(catalogue_test, counts_quoted_names_and_owner_qualified_names_run_unchanged) {
    EXPECT_EQ(query_text(conn_, "SELECT COUNT(*) FROM \"EMP\""), (text_rows{{"2"}}));
    EXPECT_EQ(query_text(conn_, "SELECT COUNT(*) FROM \"SCOTT\".\"EMP\""), (text_rows{{"2"}}));
    EXPECT_EQ(query_text(conn_, "SELECT COUNT(*) FROM (select ename from emp where deptno = 20)"), (text_rows{{"1"}}));
    EXPECT_EQ(query_text(conn_, "SELECT * FROM \"Mixed Case\""), text_rows{});
    EXPECT_EQ(query_text(conn_, "SELECT \"ENAME\" FROM \"EMP\" ORDER BY 1"), (text_rows{{"ALLEN"}, {"SMITH"}}));
    EXPECT_EQ(query_text(conn_, "select concat(ENAME, concat(' / ', BONUS)), concat(NULL, NULL) from emp order by 1"),
              (text_rows{{"ALLEN / 300", std::nullopt}, {"SMITH / ", std::nullopt}}));
    EXPECT_EQ(query_text(conn_, "select dummy from dual"), (text_rows{{"X"}}));
}

TEST_F(catalogue_test, a_table_created_after_connecting_appears_in_the_catalogue) {
    EXPECT_EQ(query_text(conn_, "SELECT COUNT(*) FROM USER_TABLES WHERE TABLE_NAME = 'LATER'"), (text_rows{{"0"}}));
    statement create(conn_, "CREATE TABLE LATER (X VARCHAR2(3))");
    ASSERT_EQ(create.execute(1), OCI_SUCCESS) << conn_.error_text();
    EXPECT_EQ(query_text(conn_, "SELECT COUNT(*) FROM USER_TABLES WHERE TABLE_NAME = 'LATER'"), (text_rows{{"1"}}));
}

}  // namespace
