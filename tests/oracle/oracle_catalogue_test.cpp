// The catalogue's pure rules: connect strings, quoted names, server versions and the
// readable-type check.
#include "oracle/oracle_catalogue.h"

#include <gtest/gtest.h>

TEST(connect_string, an_empty_host_is_localhost_an_empty_port_1521_and_both_empty_keep_the_service) {
    EXPECT_EQ(compose_connect_string("", "", "ORCL"), "ORCL");
    EXPECT_EQ(compose_connect_string("", "1522", "ORCL"), "//localhost:1522/ORCL");
    EXPECT_EQ(compose_connect_string("dbhost", "", "XE"), "//dbhost:1521/XE");
}

TEST(quoted_names, a_users_table_is_one_identifier_and_a_visible_one_splits_at_the_first_point) {
    EXPECT_EQ(quoted_table_name("SCOTT.EMP", catalogue_scope::own_tables), "\"SCOTT.EMP\"");
    EXPECT_EQ(quoted_table_name("O\"W.T", catalogue_scope::own_tables), "\"O\"\"W.T\"");
    EXPECT_EQ(quoted_table_name("SCOTT.EMP.X", catalogue_scope::all_visible_tables), "\"SCOTT\".\"EMP.X\"");
    EXPECT_EQ(table_condition("it's", catalogue_scope::own_tables), "table_name = 'it''s'");
    EXPECT_EQ(table_condition("A.B", catalogue_scope::all_visible_tables),
              "concat(owner,concat('.',table_name)) = 'A.B'");
}

TEST(server_version, the_first_word_with_three_numbers_gives_the_version_else_zero) {
    EXPECT_EQ(parse_server_version("Oracle Database 11g Enterprise Edition Release 11.2.0.1.0 - 64bit"),
              (11u << 16) | (2u << 8) | 0u);
    EXPECT_EQ(parse_server_version("Oracle7 Server Release 7.3.4.0.0 - Production"), (7u << 16) | (3u << 8) | 4u);
    // "19c" is digit-led but not three numbers; the later word wins.
    EXPECT_EQ(parse_server_version("Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production"),
              19u << 16);
    EXPECT_EQ(parse_server_version("Oracle Database Express Edition - Production"), 0u);
    EXPECT_EQ(parse_server_version("Release 12.1 -"), 0u);
    EXPECT_EQ(parse_server_version(""), 0u);
}

TEST(readable_types, sized_timestamp_and_interval_forms_are_kept_and_unreadable_or_misspelt_ones_refused) {
    for (const char* type : {"VARCHAR2(20 CHAR)", "NUMBER(10,2)", "LONG RAW", "TIMESTAMP(9)",
                             "TIMESTAMP(6) WITH LOCAL TIME ZONE", "INTERVAL DAY(2) TO SECOND(6)", "XMLTYPE"})
        EXPECT_TRUE(is_readable_type(type)) << type;
    for (const char* type : {"BFILE", "SDO_GEOMETRY", "varchar2", "", "TIMESTAMP WITH", "INTERVAL"})
        EXPECT_FALSE(is_readable_type(type)) << type;
}
