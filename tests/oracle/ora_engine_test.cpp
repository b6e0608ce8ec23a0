// The engine's text services: connect strings, quoted names, catalogue conditions, server
// versions and the readable-type check.
#include "oracle/ora_engine.h"

#include <gtest/gtest.h>

TEST(connect_string, host_and_port_both_empty_keep_the_service_as_it_stands) {
    EXPECT_EQ(ora_engine::compose_connect_string("", "", "ORCL"), "ORCL");
    EXPECT_EQ(ora_engine::compose_connect_string("", "", "(DESCRIPTION=(ADDRESS=(HOST=db)))"),
              "(DESCRIPTION=(ADDRESS=(HOST=db)))");
}

TEST(connect_string, an_empty_host_is_localhost_and_an_empty_port_1521) {
    EXPECT_EQ(ora_engine::compose_connect_string("", "1522", "ORCL"), "//localhost:1522/ORCL");
    EXPECT_EQ(ora_engine::compose_connect_string("dbhost", "", "XE"), "//dbhost:1521/XE");
    EXPECT_EQ(ora_engine::compose_connect_string("dbhost", "1600", "XE"), "//dbhost:1600/XE");
}

TEST(safe_names, user_scope_quotes_the_whole_name) {
    EXPECT_EQ(ora_engine::safe_name("EMP", true), "\"EMP\"");
    EXPECT_EQ(ora_engine::safe_name("SCOTT.EMP", true), "\"SCOTT.EMP\"");
}

TEST(safe_names, all_scope_splits_owner_and_table_at_the_first_point_only) {
    EXPECT_EQ(ora_engine::safe_name("SCOTT.EMP", false), "\"SCOTT\".\"EMP\"");
    EXPECT_EQ(ora_engine::safe_name("SCOTT.EMP.OLD", false), "\"SCOTT\".\"EMP.OLD\"");
    EXPECT_EQ(ora_engine::safe_name("EMP", false), "\"EMP\"");
}

TEST(safe_names, a_double_quote_inside_a_name_is_doubled) {
    EXPECT_EQ(ora_engine::safe_name("MY\"TAB", true), "\"MY\"\"TAB\"");
    EXPECT_EQ(ora_engine::safe_name("O\"W.T\"B", false), "\"O\"\"W\".\"T\"\"B\"");
}

TEST(catalogue_conditions, scope_user_compares_the_table_name) {
    EXPECT_EQ(ora_engine::table_condition("EMP", true), "table_name = 'EMP'");
}

TEST(catalogue_conditions, scope_all_compares_owner_point_table) {
    EXPECT_EQ(ora_engine::table_condition("SCOTT.EMP", false), "concat(owner,concat('.',table_name)) = 'SCOTT.EMP'");
}

TEST(catalogue_conditions, a_single_quote_in_a_name_is_doubled_in_the_literal) {
    EXPECT_EQ(ora_engine::table_condition("O'BRIEN", true), "table_name = 'O''BRIEN'");
    EXPECT_EQ(ora_engine::quote_literal("it's 'x'"), "'it''s ''x'''");
}

TEST(server_version, the_first_word_with_three_numbers_gives_the_version) {
    EXPECT_EQ(ora_engine::parse_version("Oracle Database 11g Enterprise Edition Release 11.2.0.1.0 - 64bit"),
              (11u << 16) | (2u << 8) | 0u);
    EXPECT_EQ(ora_engine::parse_version("Oracle7 Server Release 7.3.4.0.0 - Production"), (7u << 16) | (3u << 8) | 4u);
    // "19c" is digit-led but not three numbers; the later word wins.
    EXPECT_EQ(ora_engine::parse_version("Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production"),
              19u << 16);
}

TEST(server_version, a_banner_without_such_a_word_gives_zero) {
    EXPECT_EQ(ora_engine::parse_version("Oracle Database Express Edition - Production"), 0u);
    EXPECT_EQ(ora_engine::parse_version("Release 12.1 -"), 0u);
    EXPECT_EQ(ora_engine::parse_version(""), 0u);
}

TEST(readable_types, plain_and_sized_types_are_found) {
    for (const char* type : {"VARCHAR2", "VARCHAR2(20 CHAR)", "NVARCHAR2", "CHAR", "NCHAR", "NUMBER", "NUMBER(10,2)",
                             "FLOAT", "LONG", "LONG RAW", "RAW", "DATE", "CLOB", "NCLOB", "BLOB", "ROWID", "UROWID",
                             "XMLTYPE", "BINARY_FLOAT", "BINARY_DOUBLE"})
        EXPECT_TRUE(ora_engine::is_supported_type(type)) << type;
}

TEST(readable_types, every_timestamp_and_interval_form_is_kept) {
    for (const char* type : {"TIMESTAMP(0)", "TIMESTAMP(3)", "TIMESTAMP(6)", "TIMESTAMP(9)",
                             "TIMESTAMP(6) WITH TIME ZONE", "TIMESTAMP(6) WITH LOCAL TIME ZONE",
                             "INTERVAL DAY(2) TO SECOND(6)", "INTERVAL YEAR(2) TO MONTH"})
        EXPECT_TRUE(ora_engine::is_supported_type(type)) << type;
}

TEST(readable_types, unreadable_and_misspelt_types_are_refused) {
    for (const char* type : {"BFILE", "SDO_GEOMETRY", "varchar2", "Number", "", "TIMESTAMP WITH", "INTERVAL"})
        EXPECT_FALSE(ora_engine::is_supported_type(type)) << type;
}
