// Reading LOB locators: lengths, character-set forms, and reads to the end in pieces.
#include "oci_test_client.h"

#include <gtest/gtest.h>

#include <memory>

using namespace ociemu_test;

namespace {

// 'Ж' is one UTF-16 unit and two UTF-8 bytes; the emoji is two UTF-16 units.
constexpr const char* lob_schema = R"sql(
CREATE TABLE LOBS (ID NUMBER(4), C CLOB, NC NCLOB, B BLOB);
INSERT INTO LOBS VALUES (1, 'ЖabcЖ😀end', 'Ωμέγα', X'000102030405060708090A'), (3, NULL, NULL, NULL);
INSERT INTO LOBS SELECT 4, replace(hex(zeroblob(50000)), '00', 'Жx'), NULL, randomblob(70000);
)sql";

class lob_test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(conn_.connect("ORCL"), OCI_SUCCESS);
        for (auto*& locator : locators_)  // freed with the environment
            ASSERT_EQ(OCIDescriptorAlloc(conn_.env, reinterpret_cast<void**>(&locator), OCI_DTYPE_LOB, 0, nullptr),
                      OCI_SUCCESS);
    }

    // Selects C, NC and B of one row into the three locators.
    void fetch_row(int id) {
        stmt_ = std::make_unique<statement>(conn_, "SELECT C, NC, B FROM LOBS WHERE ID = " + std::to_string(id));
        const ub2 types[3] = {SQLT_CLOB, SQLT_CLOB, SQLT_BLOB};
        for (ub4 i = 0; i < 3; ++i) stmt_->define(i + 1, &locators_[i], sizeof(void*), types[i], &indicators_[i]);
        ASSERT_EQ(stmt_->execute(1), OCI_SUCCESS) << testing::PrintToString(conn_.error_text());
    }

    sword length_of(int which, ub4& length) { return OCILobGetLength(conn_.svc, conn_.err, locators_[which], &length); }

    emulator_database database_{"ORCL", {lob_schema}};
    connection conn_;
    std::unique_ptr<statement> stmt_;
    OCILobLocator* locators_[3] = {};
    sb2 indicators_[3] = {};
};

TEST_F(lob_test, lengths_count_utf16_units_for_clobs_and_bytes_for_blobs_and_a_null_lob_has_none) {
    fetch_row(1);
    const ub4 expected_lengths[3] = {10, 5, 11};
    const ub1 expected_forms[3] = {SQLCS_IMPLICIT, SQLCS_NCHAR, 0};
    for (int i = 0; i < 3; ++i) {
        ub4 length = 0;
        ASSERT_EQ(length_of(i, length), OCI_SUCCESS);
        EXPECT_EQ(length, expected_lengths[i]);
        ub1 form = 9;
        ASSERT_EQ(OCILobCharSetForm(conn_.env, conn_.err, locators_[i], &form), OCI_SUCCESS);
        EXPECT_EQ(form, expected_forms[i]);
    }
    fetch_row(3);
    EXPECT_EQ(indicators_[0], -1);
    EXPECT_EQ(indicators_[2], -1);
    ub4 length = 0;
    EXPECT_EQ(length_of(0, length), OCI_ERROR);
    EXPECT_EQ(conn_.error_text(), u"ORA-22275: invalid LOB locator specified");
}

TEST_F(lob_test, a_read_to_the_end_comes_in_pieces_each_a_round_trip) {
    fetch_row(4);
    std::u16string collected;
    char16_t buffer[16384];
    sword status;
    int pieces = 0;
    const auto before = ociemu_round_trips();
    do {
        ub4 amount = 0;  // stream to the end
        status = OCILobRead(conn_.svc, conn_.err, locators_[0], &amount, 1, buffer, sizeof buffer, nullptr, nullptr,
                            OCI_UTF16ID, SQLCS_IMPLICIT);
        ASSERT_TRUE(status == OCI_NEED_DATA || status == OCI_SUCCESS) << testing::PrintToString(conn_.error_text());
        collected.append(buffer, amount);
        ++pieces;
    } while (status == OCI_NEED_DATA);
    EXPECT_EQ(pieces, 7);  // six full pieces of 16384 units and the rest
    EXPECT_EQ(ociemu_round_trips() - before, 7u);
    ASSERT_EQ(collected.size(), 100000u);
    EXPECT_EQ(collected.substr(0, 4), u"ЖxЖx");
    EXPECT_EQ(collected.substr(99998), u"Жx");
    // a read that starts past the end finds nothing, which ends a reader that asked for more
    ub4 amount = 100;
    EXPECT_EQ(OCILobRead(conn_.svc, conn_.err, locators_[0], &amount, 100001, buffer, sizeof buffer, nullptr, nullptr,
                         OCI_UTF16ID, SQLCS_IMPLICIT),
              OCI_SUCCESS);
    EXPECT_EQ(amount, 0u);
    ub4 length = 0;
    ASSERT_EQ(length_of(2, length), OCI_SUCCESS);
    EXPECT_EQ(length, 70000u);
    EXPECT_EQ(ociemu_round_trips() - before, 9u);  // the read past the end and the length are one each
}

}  // namespace
