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
CREATE TABLE DOCS (ID NUMBER(4), DOC XMLTYPE);
INSERT INTO DOCS VALUES (1, '<a/>'), (2, '<b>x</b>'), (3, '<c/>');
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

// XMLSERIALIZE makes a temporary LOB for every row, alive on the server until the client frees it
// or its session ends.
TEST_F(lob_test, each_serialized_document_is_a_temporary_lob_alive_until_freed_or_the_session_ends) {
    const auto alive_before = ociemu_temporary_lobs();
    statement stmt(conn_, "SELECT XMLSERIALIZE(CONTENT DOC AS CLOB) FROM DOCS ORDER BY ID");
    stmt.define(1, &locators_[0], sizeof(void*), SQLT_CLOB);
    ASSERT_EQ(stmt.execute(), OCI_SUCCESS);
    const char16_t* documents[] = {u"<a/>", u"<b>x</b>", u"<c/>"};
    for (int row = 0; row < 3; ++row) {
        ASSERT_EQ(stmt.fetch(), OCI_SUCCESS);
        int temporary = 0;
        ASSERT_EQ(OCILobIsTemporary(conn_.env, conn_.err, locators_[0], &temporary), OCI_SUCCESS);
        EXPECT_EQ(temporary, 1);
        char16_t text[16];
        ub4 amount = 16;
        ASSERT_EQ(OCILobRead(conn_.svc, conn_.err, locators_[0], &amount, 1, text, sizeof text, nullptr, nullptr,
                             OCI_UTF16ID, SQLCS_IMPLICIT),
                  OCI_SUCCESS);
        EXPECT_EQ(std::u16string(text, amount), documents[row]);
        if (row < 2) {
            ASSERT_EQ(OCILobFreeTemporary(conn_.svc, conn_.err, locators_[0]), OCI_SUCCESS);
        }
    }
    EXPECT_EQ(ociemu_temporary_lobs() - alive_before, 1u);  // the last was left
    int temporary = 1;
    fetch_row(1);  // a stored CLOB is no temporary, and freeing it changes nothing
    ASSERT_EQ(OCILobIsTemporary(conn_.env, conn_.err, locators_[0], &temporary), OCI_SUCCESS);
    EXPECT_EQ(temporary, 0);
    EXPECT_EQ(OCILobFreeTemporary(conn_.svc, conn_.err, locators_[0]), OCI_SUCCESS);
    EXPECT_EQ(ociemu_temporary_lobs() - alive_before, 1u);
    ASSERT_EQ(OCISessionEnd(conn_.svc, conn_.err, conn_.session, OCI_DEFAULT), OCI_SUCCESS);
    conn_.logged_on = false;
    EXPECT_EQ(ociemu_temporary_lobs(), alive_before);
}

// LOB prefetch brings the length and the first units with the locator: reading no further costs no
// round trip.
TEST_F(lob_test, a_read_within_the_prefetched_part_and_a_prefetched_length_cost_no_round_trip) {
    auto round_trips_of_reads = [&](ub4 prefetch_size, ub4 amount) {
        statement stmt(conn_, "SELECT C FROM LOBS WHERE ID = 4");
        OCIDefine* define = nullptr;
        EXPECT_EQ(OCIDefineByPos(stmt.handle, &define, conn_.err, 1, &locators_[0], sizeof(void*), SQLT_CLOB, nullptr,
                                 nullptr, nullptr, OCI_DEFAULT),
                  OCI_SUCCESS);
        if (prefetch_size > 0) {
            int on = 1;
            EXPECT_EQ(OCIAttrSet(define, OCI_HTYPE_DEFINE, &on, sizeof on, OCI_ATTR_LOBPREFETCH_LENGTH, conn_.err), OCI_SUCCESS);
            EXPECT_EQ(OCIAttrSet(define, OCI_HTYPE_DEFINE, &prefetch_size, sizeof prefetch_size, OCI_ATTR_LOBPREFETCH_SIZE,
                                 conn_.err),
                      OCI_SUCCESS);
        }
        EXPECT_EQ(stmt.execute(1), OCI_SUCCESS);
        const auto before = ociemu_round_trips();
        ub4 length = 0;
        EXPECT_EQ(length_of(0, length), OCI_SUCCESS);
        EXPECT_EQ(length, 100000u);
        char16_t text[200];
        ub4 read = amount;
        EXPECT_EQ(OCILobRead(conn_.svc, conn_.err, locators_[0], &read, 1, text, sizeof text, nullptr, nullptr,
                             OCI_UTF16ID, SQLCS_IMPLICIT),
                  OCI_SUCCESS);
        EXPECT_EQ(read, amount);
        return ociemu_round_trips() - before;
    };
    EXPECT_EQ(round_trips_of_reads(0, 20), 2u);    // no prefetch: the length and the read
    EXPECT_EQ(round_trips_of_reads(50, 20), 0u);   // both came with the row
    EXPECT_EQ(round_trips_of_reads(50, 60), 1u);   // the read goes past the prefetched part
}

}  // namespace
