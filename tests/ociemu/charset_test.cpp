// The database character set: national-character data read without the national form passes
// through it, and what Windows-1252 cannot hold arrives as '¿'.
#include "oci_test_client.h"

#include <gtest/gtest.h>

using namespace ociemu_test;

namespace {

// Cyrillic, CJK, the 27 characters Windows-1252 adds to Latin-1, Latin-1 and a character beyond the BMP.
const std::u16string mixed = u"Привет 漢字 €‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ é😀";
const std::u16string through_1252 = u"¿¿¿¿¿¿ ¿¿ €‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ é¿";

std::string schema(const std::string& charset_row) {
    return "CREATE TABLE OCIEMU_SETTINGS (NAME TEXT, VALUE TEXT);" + charset_row +
           "CREATE TABLE NAMES (N NVARCHAR2(60), NC NCLOB);"
           "INSERT INTO NAMES VALUES ('Привет 漢字 €‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ é😀', "
           "'Привет 漢字 €‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ é😀');";
}

// N through a text define and NC through a LOB read, each with the given form (0: not set).
std::pair<std::u16string, std::u16string> read_names(connection& conn, ub1 form) {
    statement stmt(conn, "SELECT N, NC FROM NAMES");
    char16_t text[100] = {};
    OCIDefine* define = nullptr;
    EXPECT_EQ(OCIDefineByPos(stmt.handle, &define, conn.err, 1, text, sizeof text, SQLT_STR, nullptr, nullptr, nullptr,
                             OCI_DEFAULT),
              OCI_SUCCESS);
    if (form != 0) {
        EXPECT_EQ(OCIAttrSet(define, OCI_HTYPE_DEFINE, &form, sizeof form, OCI_ATTR_CHARSET_FORM, conn.err), OCI_SUCCESS);
    }
    OCILobLocator* locator = nullptr;
    EXPECT_EQ(OCIDescriptorAlloc(conn.env, reinterpret_cast<void**>(&locator), OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
    stmt.define(2, &locator, sizeof locator, SQLT_CLOB);
    EXPECT_EQ(stmt.execute(1), OCI_SUCCESS) << testing::PrintToString(conn.error_text());
    char16_t lob[100] = {};
    ub4 amount = 100;
    EXPECT_EQ(OCILobRead(conn.svc, conn.err, locator, &amount, 1, lob, sizeof lob, nullptr, nullptr, OCI_UTF16ID,
                         form != 0 ? form : SQLCS_IMPLICIT),
              OCI_SUCCESS);
    OCIDescriptorFree(locator, OCI_DTYPE_LOB);
    return {std::u16string(text), std::u16string(lob, amount)};
}

TEST(charset_test, national_text_read_without_the_national_form_loses_what_windows_1252_cannot_hold) {
    const emulator_database database("WIN", {schema("INSERT INTO OCIEMU_SETTINGS VALUES ('CHARACTER_SET', 'WE8MSWIN1252');")});
    connection conn;
    ASSERT_EQ(conn.connect("WIN"), OCI_SUCCESS);
    EXPECT_EQ(read_names(conn, 0), std::make_pair(through_1252, through_1252));
    EXPECT_EQ(read_names(conn, SQLCS_NCHAR), std::make_pair(mixed, mixed));
}

TEST(charset_test, a_unicode_database_keeps_every_character_and_the_switch_overrides_the_database) {
    const emulator_database database("UNI", {schema("")});
    connection conn;
    ASSERT_EQ(conn.connect("UNI"), OCI_SUCCESS);
    EXPECT_EQ(read_names(conn, 0), std::make_pair(mixed, mixed));
    const scoped_switch charset("OCIEMU_DATABASE_CHARSET", "WE8MSWIN1252");
    connection western;
    ASSERT_EQ(western.connect("UNI"), OCI_SUCCESS);
    EXPECT_EQ(read_names(western, 0).first, through_1252);
}

}  // namespace
