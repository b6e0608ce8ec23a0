// Describing select lists: the codes, sizes, precision, scale, names and nullability a server
// reports, and the parse errors of a describe.
#include "oci_test_client.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ociemu_test;

namespace {

constexpr const char* all_types_table = R"sql(
CREATE TABLE ALL_TYPES (
  C_VARCHAR2 VARCHAR2(10) NOT NULL, C_VARCHAR2_CHAR "VARCHAR2(10 CHAR)", C_NVARCHAR2 NVARCHAR2(10), C_CHAR CHAR(10),
  C_NCHAR NCHAR(10), C_NUMBER NUMBER, C_NUMBER10 NUMBER(10), C_NUMBER10_2 NUMBER(10,2), C_FLOAT FLOAT,
  C_FLOAT10 FLOAT(10), C_BFLOAT BINARY_FLOAT, C_BDOUBLE BINARY_DOUBLE, C_DATE DATE, C_TS TIMESTAMP,
  C_TS9 TIMESTAMP(9), C_TSTZ "TIMESTAMP(3) WITH TIME ZONE", C_TSLTZ "TIMESTAMP(6) WITH LOCAL TIME ZONE",
  C_IYM "INTERVAL YEAR(4) TO MONTH", C_IDS "INTERVAL DAY(2) TO SECOND(6)", C_CLOB CLOB, C_NCLOB NCLOB,
  C_BLOB BLOB, C_BFILE BFILE, C_RAW RAW(16), C_LONG LONG, C_ROWID ROWID, C_XML XMLTYPE);
)sql";

// One attribute of a parameter, read into a variable of its own width: an attribute written
// wider overruns it, which the sanitizer build reports.
template <typename T>
T attribute(void* param, ub4 which, OCIError* err) {
    T value{};
    EXPECT_EQ(OCIAttrGet(param, OCI_DTYPE_PARAM, &value, nullptr, which, err), OCI_SUCCESS) << which;
    return value;
}

struct described {
    ub2 type, size;
    sb2 precision;
    sb1 scale;
    ub1 nullable, form;
    std::u16string name;
};

described describe_column(statement& stmt, ub4 position) {
    void* param = nullptr;
    OCIError* err = stmt.conn.err;
    EXPECT_EQ(OCIParamGet(stmt.handle, OCI_HTYPE_STMT, err, &param, position), OCI_SUCCESS);
    described out{attribute<ub2>(param, OCI_ATTR_DATA_TYPE, err), attribute<ub2>(param, OCI_ATTR_DATA_SIZE, err),
                  attribute<sb2>(param, OCI_ATTR_PRECISION, err), attribute<sb1>(param, OCI_ATTR_SCALE, err),
                  attribute<ub1>(param, OCI_ATTR_IS_NULL, err), attribute<ub1>(param, OCI_ATTR_CHARSET_FORM, err), {}};
    const char16_t* name = nullptr;
    ub4 name_bytes = 0;
    EXPECT_EQ(OCIAttrGet(param, OCI_DTYPE_PARAM, &name, &name_bytes, OCI_ATTR_NAME, err), OCI_SUCCESS);
    out.name.assign(name, name_bytes / 2);
    EXPECT_EQ(OCIDescriptorFree(param, OCI_DTYPE_PARAM), OCI_SUCCESS);
    return out;
}

class describe_test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(conn_.connect("ORCL"), OCI_SUCCESS); }
    emulator_database database_{"ORCL", {all_types_table}};
    connection conn_;
};

TEST_F(describe_test, every_column_type_reports_the_servers_codes_sizes_and_nullability) {
    statement stmt(conn_, "SELECT * FROM ALL_TYPES");
    ASSERT_EQ(stmt.execute(0, OCI_DESCRIBE_ONLY), OCI_SUCCESS) << testing::PrintToString(conn_.error_text());
    ub4 count = 0;
    ASSERT_EQ(OCIAttrGet(stmt.handle, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, conn_.err), OCI_SUCCESS);
    ASSERT_EQ(count, 27u);
    struct expected { ub2 type, size; sb2 precision; sb1 scale; ub1 form; };
    const expected rows[] = {
        {1, 10, 0, 0, 1},   {1, 40, 0, 0, 1},  {1, 20, 0, 0, 2},   {96, 10, 0, 0, 1},  {96, 20, 0, 0, 2},
        {2, 22, 0, -127, 0}, {2, 22, 10, 0, 0}, {2, 22, 10, 2, 0},  {2, 22, 126, -127, 0}, {2, 22, 10, -127, 0},
        {100, 4, 0, 0, 0},  {101, 8, 0, 0, 0}, {12, 7, 0, 0, 0},   {187, 11, 0, 6, 0}, {187, 11, 0, 9, 0},
        {188, 13, 0, 3, 0}, {232, 11, 0, 6, 0}, {189, 5, 4, 0, 0},  {190, 11, 2, 6, 0}, {112, 4000, 0, 0, 1},
        {112, 4000, 0, 0, 2}, {113, 4000, 0, 0, 0}, {114, 530, 0, 0, 0}, {23, 16, 0, 0, 0}, {8, 0, 0, 0, 0},
        {104, 10, 0, 0, 0}, {108, 2000, 0, 0, 0}};
    for (ub4 i = 0; i < 27; ++i) {
        const described d = describe_column(stmt, i + 1);
        const expected& e = rows[i];
        EXPECT_EQ((std::vector<int>{d.type, d.size, d.precision, d.scale, d.form, d.nullable}),
                  (std::vector<int>{e.type, e.size, e.precision, e.scale, e.form, i == 0 ? 0 : 1}))  // C_VARCHAR2 NOT NULL
            << testing::PrintToString(d.name);
    }
}

// An alias names a column as written (the end-to-end runs show it); the rest are named and typed here.
TEST_F(describe_test, expressions_and_names_describe_as_a_server_describes_them) {
    statement stmt(conn_, "select count(*), concat(c_varchar2, 'x'), c_char || 'y', 'abc', max(c_date), \"C_RAW\", "
                          "c_varchar2 from all_types");
    ASSERT_EQ(stmt.execute(0, OCI_DESCRIBE_ONLY), OCI_SUCCESS) << testing::PrintToString(conn_.error_text());
    const described count = describe_column(stmt, 1);
    EXPECT_EQ(count.name, u"COUNT(*)");
    EXPECT_EQ(count.type, SQLT_NUM);
    EXPECT_EQ(count.scale, -127);
    EXPECT_EQ(describe_column(stmt, 2).type, SQLT_CHR);
    EXPECT_EQ(describe_column(stmt, 3).name, u"C_CHAR||'y'");
    const described literal = describe_column(stmt, 4);
    EXPECT_EQ(literal.type, SQLT_AFC);
    EXPECT_EQ(literal.size, 3);
    EXPECT_EQ(describe_column(stmt, 5).type, SQLT_DAT);
    EXPECT_EQ(describe_column(stmt, 6).type, SQLT_BIN);
    EXPECT_EQ(describe_column(stmt, 7).name, u"C_VARCHAR2");  // the declared name, whatever case the query used
}

TEST_F(describe_test, describe_only_reports_parse_errors_with_oracle_numbers_and_texts) {
    const std::pair<const char*, std::u16string> errors[] = {
        {"SELECT * FROM MISSING_TABLE", u"ORA-00942: table or view does not exist"},
        {"SELECT NO_SUCH_COLUMN FROM ALL_TYPES", u"ORA-00904: \"NO_SUCH_COLUMN\": invalid identifier"},
        {"SELECT a.missing FROM ALL_TYPES a", u"ORA-00904: \"A\".\"MISSING\": invalid identifier"},
        {"SELEC * FROM ALL_TYPES", u"ORA-00900: invalid SQL statement"},
        {"SELECT C_DATE C_TS C_RAW FROM ALL_TYPES", u"ORA-00923: FROM keyword not found where expected"},
        {"SELECT 1", u"ORA-00923: FROM keyword not found where expected"},  // SQLite would take it
        {"SELECT * FROM ALL_TYPES WHERE", u"ORA-00936: missing expression"},
        {"SELECT * FROM", u"ORA-00903: invalid table name"},
        {"SELECT * FROM ALL_TYPES ORDER BY C_DATE garbage", u"ORA-00933: SQL command not properly ended"},
        {"SELECT * FROM ALL_TYPES;", u"ORA-00911: invalid character"},
        {"SELECT * FROM ALL_TYPES; SELECT 1 FROM DUAL", u"ORA-00911: invalid character"},
        {"SELECT * FROM ALL_TYPES WHERE C_NUMBER = :1", u"ORA-01008: not all variables bound"},
    };
    for (const auto& [sql, text] : errors) {
        statement stmt(conn_, sql);
        EXPECT_EQ(stmt.execute(1, OCI_DESCRIBE_ONLY), OCI_ERROR) << sql;
        EXPECT_EQ(conn_.error_text(), text) << sql;
    }
}

// The types of newer servers describe with their own codes and read as text; an object type
// describes as a named type and cannot be read as text.
TEST_F(describe_test, boolean_json_and_vector_describe_with_their_codes_and_read_as_text) {
    database_.exec("CREATE TABLE NEWER (B BOOLEAN, J JSON, V VECTOR, F BINARY_FLOAT, D BINARY_DOUBLE, G \"MDSYS.SDO_GEOMETRY\");"
                   "INSERT INTO NEWER VALUES (1, '{\"a\":1}', '[1.5,2]', 1.5, -0.25, 'POINT(1 2)'), (0, NULL, NULL, 2, 8, NULL)");
    statement stmt(conn_, "SELECT B, J, V, F, D, G FROM NEWER");
    ASSERT_EQ(stmt.execute(OCI_DEFAULT, OCI_DESCRIBE_ONLY), OCI_SUCCESS);
    const ub2 codes[] = {SQLT_BOL, SQLT_JSON, SQLT_VEC, SQLT_IBFLOAT, SQLT_IBDOUBLE, SQLT_NTY};
    for (ub4 i = 0; i < 6; ++i) EXPECT_EQ(describe_column(stmt, i + 1).type, codes[i]) << i;
    EXPECT_EQ(query_text(conn_, "SELECT B, J, V FROM NEWER"),
              (text_rows{{u"TRUE", u"{\"a\":1}", u"[1.5,2]"}, {u"FALSE", std::nullopt, std::nullopt}}));
    // binary numbers fetched natively, as float and double
    statement native(conn_, "SELECT F, D FROM NEWER");
    float f = 0;
    double d = 0;
    native.define(1, &f, sizeof f, SQLT_BFLOAT);
    native.define(2, &d, sizeof d, SQLT_BDOUBLE);
    ASSERT_EQ(native.execute(1), OCI_SUCCESS) << testing::PrintToString(conn_.error_text());
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(d, -0.25);
    statement object(conn_, "SELECT G FROM NEWER");
    char16_t text[40];
    object.define(1, text, sizeof text, SQLT_STR);
    EXPECT_EQ(object.execute(1), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-00932: inconsistent datatypes: expected CHAR got MDSYS.SDO_GEOMETRY");
}

}  // namespace
