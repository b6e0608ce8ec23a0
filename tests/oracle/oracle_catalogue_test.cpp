// The catalogue's pure rules: connect strings, quoted names, server versions and the
// readable-type check.
#include "oracle/oracle_catalogue.h"

#include <gtest/gtest.h>

#include "toolkit/exception.h"

TEST(connect_string, an_empty_host_is_localhost_an_empty_port_1521_and_both_empty_keep_the_service) {
    EXPECT_EQ(compose_connect_string("", "", "ORCL"), "ORCL");
    EXPECT_EQ(compose_connect_string("", "1522", "ORCL"), "//localhost:1522/ORCL");
    EXPECT_EQ(compose_connect_string("dbhost", "", "XE"), "//dbhost:1521/XE");
}

TEST(connect_string, ipv6_hosts_get_brackets_and_a_port_typed_with_the_host_is_not_glued_on) {
    EXPECT_EQ(compose_connect_string("::1", "", "XE"), "//[::1]:1521/XE");
    EXPECT_EQ(compose_connect_string("fe80::1:2", "1522", "XE"), "//[fe80::1:2]:1522/XE");
    EXPECT_EQ(compose_connect_string("[::1]", "", "XE"), "//[::1]:1521/XE");
    EXPECT_EQ(compose_connect_string("[::1]:1530", "", "XE"), "//[::1]:1530/XE");
    EXPECT_EQ(compose_connect_string("db:1522", "", "XE"), "//db:1522/XE");
    EXPECT_EQ(compose_connect_string("db", "", "XE", 60), "//db:1521/XE?connect_timeout=60");
    EXPECT_EQ(compose_connect_string("", "", "ALIAS", 60), "ALIAS");  // an alias's descriptor has its own
    EXPECT_EQ(compose_connect_string("db:1522", "1522", "XE"), "//db:1522/XE");
    try {
        compose_connect_string("db:1522", "1521", "XE");
        FAIL() << "two ports were accepted";
    } catch (const tk_exception& error) {
        EXPECT_EQ(error.message(),
                  "The host 'db:1522' names port 1522 but the port is 1521; give the port in one place.");
    }
    for (const char* host : {"db:x", "[::1", "[::1]x"})
        EXPECT_THROW(compose_connect_string(host, "", "XE"), tk_exception) << host;
}

TEST(locking_queries, for_update_is_found_outside_literals_names_and_comments) {
    for (const char* sql : {"SELECT * FROM T FOR UPDATE", "select * from t for\n  update of x nowait",
                            "SELECT 'a''b' FROM T /* c */ FOR /* d */ UPDATE", "SELECT 1 FROM T FOR UPDATE -- now"})
        EXPECT_TRUE(locks_rows(sql)) << sql;
    for (const char* sql : {"SELECT 'for update' FROM T", "SELECT \"FOR\" \"UPDATE\" FROM T",
                            "SELECT * FROM T -- for update", "SELECT * FROM T /* for update */",
                            "SELECT q'[it's for update]' FROM T", "SELECT FOR_UPDATE FROM T", "SELECT 1 FROM T"})
        EXPECT_FALSE(locks_rows(sql)) << sql;
}

TEST(table_listing_query, leaves_out_temporary_nested_and_dropped_tables_on_servers_that_know_them) {
    EXPECT_EQ(tables_query(catalogue_scope::own_tables, 19u << 16),
              "select TABLE_NAME from user_tables where TEMPORARY='N' and NESTED='NO' and "
              "(IOT_TYPE IS NULL OR IOT_TYPE='IOT') and DROPPED='NO'");
    EXPECT_EQ(tables_query(catalogue_scope::all_visible_tables, 9u << 16),
              "select OWNER, TABLE_NAME from all_tables where TEMPORARY='N' and NESTED='NO' and "
              "(IOT_TYPE IS NULL OR IOT_TYPE='IOT')");
    EXPECT_EQ(tables_query(catalogue_scope::own_tables, 7u << 16), "select TABLE_NAME from user_tables");
}

TEST(quoted_names, a_users_table_is_one_identifier_and_a_visible_one_splits_at_the_first_point) {
    EXPECT_EQ(quoted_table_name("SCOTT.EMP", catalogue_scope::own_tables), "\"SCOTT.EMP\"");
    EXPECT_EQ(quoted_table_name("O\"W.T", catalogue_scope::own_tables), "\"O\"\"W.T\"");
    EXPECT_EQ(quoted_table_name("SCOTT.EMP.X", catalogue_scope::all_visible_tables), "\"SCOTT\".\"EMP.X\"");
    EXPECT_EQ(table_condition_values("it's.x", catalogue_scope::own_tables), (std::vector<std::string>{"it's.x"}));
    EXPECT_EQ(table_condition_values("A.B.C", catalogue_scope::all_visible_tables),
              (std::vector<std::string>{"A", "B.C"}));
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
