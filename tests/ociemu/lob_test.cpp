// Reading LOB locators: lengths, character-set forms, single reads and polling pieces.
#include "oci_test_client.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace ociemu_test;

namespace {

// 'Ж' is one UTF-16 unit and two UTF-8 bytes; the emoji is two UTF-16 units.
constexpr const char* lob_schema = R"sql(
CREATE TABLE LOBS (ID NUMBER(4), C CLOB, NC NCLOB, B BLOB, V VARCHAR2(10));
INSERT INTO LOBS VALUES (1, 'ЖabcЖ😀end', 'Ωμέγα', X'000102030405060708090A', 'short'),
                        (2, '', '', X'', 'empty'),
                        (3, NULL, NULL, NULL, NULL);
INSERT INTO LOBS SELECT 4, replace(hex(zeroblob(50000)), '00', 'Жx'), NULL, randomblob(70000), NULL;
)sql";

class lob_test : public ::testing::Test {
protected:
    void SetUp() override {
        data_.create_database("ORCL", lob_schema);
        conn_.connect_or_fail("ORCL");
        for (auto*& locator : locators_)
            ASSERT_EQ(oci().descriptor_alloc(conn_.env, reinterpret_cast<void**>(&locator), OCI_DTYPE_LOB, 0, nullptr),
                      OCI_SUCCESS);
    }
    void TearDown() override {
        for (auto* locator : locators_) EXPECT_EQ(oci().descriptor_free(locator, OCI_DTYPE_LOB), OCI_SUCCESS);
    }

    // Selects C, NC and B of one row into the three locators.
    void fetch_row(statement& stmt) {
        const ub2 types[3] = {SQLT_CLOB, SQLT_CLOB, SQLT_BLOB};
        for (ub4 i = 0; i < 3; ++i) {
            OCIDefine* define = nullptr;
            ASSERT_EQ(oci().define_by_pos(stmt.handle, &define, conn_.err, i + 1, &locators_[i], sizeof(void*), types[i],
                                          &indicators_[i], nullptr, nullptr, OCI_DEFAULT),
                      OCI_SUCCESS);
        }
        ASSERT_EQ(stmt.execute(1), OCI_SUCCESS) << conn_.error_text();
    }

    ub4 length_of(int which) {
        ub4 length = 0;
        EXPECT_EQ(oci().lob_get_length(conn_.svc, conn_.err, locators_[which], &length), OCI_SUCCESS) << conn_.error_text();
        return length;
    }

    data_folder data_;
    connection conn_;
    OCILobLocator* locators_[3] = {};
    sb2 indicators_[3] = {};
};

TEST_F(lob_test, lengths_count_utf16_units_for_clobs_and_bytes_for_blobs) {
    statement stmt(conn_, "SELECT C, NC, B FROM LOBS WHERE ID = 1");
    fetch_row(stmt);
    EXPECT_EQ(length_of(0), 10u);
    EXPECT_EQ(length_of(1), 5u);
    EXPECT_EQ(length_of(2), 11u);
    ub1 forms[3] = {9, 9, 9};
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(oci().lob_charset_form(conn_.env, conn_.err, locators_[i], &forms[i]), OCI_SUCCESS);
    EXPECT_EQ(forms[0], SQLCS_IMPLICIT);
    EXPECT_EQ(forms[1], SQLCS_NCHAR);
    EXPECT_EQ(forms[2], 0);
}

TEST_F(lob_test, a_single_read_with_a_large_enough_buffer_returns_everything) {
    statement stmt(conn_, "SELECT C, NC, B FROM LOBS WHERE ID = 1");
    fetch_row(stmt);
    char16_t text[32] = {};
    ub4 amount = 10;
    ASSERT_EQ(oci().lob_read(conn_.svc, conn_.err, locators_[0], &amount, 1, text, sizeof text, nullptr, nullptr, 0,
                             SQLCS_IMPLICIT),
              OCI_SUCCESS);
    EXPECT_EQ(amount, 10u);
    EXPECT_EQ(to_utf8(std::u16string(text, 10)), "ЖabcЖ😀end");
    unsigned char bytes[16] = {};
    amount = 4;
    ASSERT_EQ(oci().lob_read(conn_.svc, conn_.err, locators_[2], &amount, 3, bytes, sizeof bytes, nullptr, nullptr, 0, 0),
              OCI_SUCCESS);
    EXPECT_EQ(amount, 4u);
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 4), (std::vector<unsigned char>{2, 3, 4, 5}));
}

TEST_F(lob_test, polling_reads_return_need_data_until_the_last_piece) {
    statement stmt(conn_, "SELECT C, NC, B FROM LOBS WHERE ID = 4");
    fetch_row(stmt);
    ASSERT_EQ(length_of(0), 100000u);
    std::u16string collected;
    char16_t buffer[16384];
    sword status;
    int pieces = 0;
    do {
        ub4 amount = 0;  // stream to the end
        status = oci().lob_read(conn_.svc, conn_.err, locators_[0], &amount, 1, buffer, sizeof buffer, nullptr, nullptr,
                                OCI_UTF16ID, SQLCS_IMPLICIT);
        ASSERT_TRUE(status == OCI_NEED_DATA || status == OCI_SUCCESS) << conn_.error_text();
        collected.append(buffer, amount);
        ++pieces;
    } while (status == OCI_NEED_DATA);
    EXPECT_EQ(pieces, 7);  // six full pieces of 16384 units and the rest
    ASSERT_EQ(collected.size(), 100000u);
    EXPECT_EQ(collected.substr(0, 4), u"ЖxЖx");
    EXPECT_EQ(collected.substr(99998), u"Жx");
    // a new read past the end finds nothing
    ub4 amount = 0;
    EXPECT_EQ(oci().lob_read(conn_.svc, conn_.err, locators_[0], &amount, 100001, buffer, sizeof buffer, nullptr, nullptr, 0,
                             SQLCS_IMPLICIT),
              OCI_SUCCESS);
    EXPECT_EQ(amount, 0u);
}

TEST_F(lob_test, each_lob_read_and_length_is_a_round_trip) {
    statement stmt(conn_, "SELECT C, NC, B FROM LOBS WHERE ID = 4");
    fetch_row(stmt);
    const auto before = oci().round_trips();
    unsigned char buffer[32768];
    sword status;
    do {
        ub4 amount = 0;
        status = oci().lob_read(conn_.svc, conn_.err, locators_[2], &amount, 1, buffer, sizeof buffer, nullptr, nullptr, 0, 0);
    } while (status == OCI_NEED_DATA);
    EXPECT_EQ(status, OCI_SUCCESS);
    EXPECT_EQ(oci().round_trips() - before, 3u);  // 32768 + 32768 + 4464 bytes
    EXPECT_EQ(length_of(2), 70000u);
    EXPECT_EQ(oci().round_trips() - before, 4u);
}

TEST_F(lob_test, a_utf8_character_set_never_splits_a_character) {
    statement stmt(conn_, "SELECT C, NC, B FROM LOBS WHERE ID = 1");
    fetch_row(stmt);
    char buffer[5] = {};
    ub4 amount = 0;
    ASSERT_EQ(oci().lob_read(conn_.svc, conn_.err, locators_[0], &amount, 1, buffer, sizeof buffer, nullptr, nullptr,
                             OCI_AL32UTF8_ID, SQLCS_IMPLICIT),
              OCI_NEED_DATA);
    EXPECT_EQ(amount, 4u);  // Ж a b c: five bytes would split the second Ж
    EXPECT_EQ(std::string(buffer, 5), "Жabc");
}

TEST_F(lob_test, empty_lobs_have_length_zero_and_null_lobs_set_the_indicator) {
    statement empty(conn_, "SELECT C, NC, B FROM LOBS WHERE ID = 2");
    fetch_row(empty);
    EXPECT_EQ(length_of(0), 0u);
    EXPECT_EQ(length_of(2), 0u);
    char16_t buffer[8];
    ub4 amount = 0;
    EXPECT_EQ(oci().lob_read(conn_.svc, conn_.err, locators_[0], &amount, 1, buffer, sizeof buffer, nullptr, nullptr, 0, 1),
              OCI_SUCCESS);
    EXPECT_EQ(amount, 0u);
    statement nulls(conn_, "SELECT C, NC, B FROM LOBS WHERE ID = 3");
    fetch_row(nulls);
    EXPECT_EQ(indicators_[0], -1);
    EXPECT_EQ(indicators_[2], -1);
    ub4 length = 0;
    EXPECT_EQ(oci().lob_get_length(conn_.svc, conn_.err, locators_[0], &length), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), "ORA-22275: invalid LOB locator specified");
}

}  // namespace
