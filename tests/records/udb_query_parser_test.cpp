// The SELECT splitter: clauses, quoted text, sub-queries and the composed statement.
#include "records/udb_query_parser.h"

#include <gtest/gtest.h>

#include "toolkit/exception.h"

TEST(udb_query_parser, splits_clauses_without_splitting_quoted_text) {
    udb_query_parser parser;
    ASSERT_TRUE(parser.initialize("SELECT name, salary FROM emp where note = 'a, from b' order by name"));
    EXPECT_EQ(parser.select_list(), (std::vector<std::string>{"name", "salary"}));
    EXPECT_EQ(parser.from_text(), "emp");
    EXPECT_EQ(parser.where_text(), "note = 'a, from b'");
    EXPECT_EQ(parser.order_by_text(), "name");
    EXPECT_EQ(parser.get_query(), "SELECT name,salary FROM emp WHERE note = 'a, from b' ORDER BY name");
    for (const char* not_a_select : {"select a from t", "UPDATE t SET a = 1", ""})  // needs an upper-case SELECT
        EXPECT_FALSE(udb_query_parser().initialize(not_a_select)) << not_a_select;
}

TEST(udb_query_parser, treats_line_breaks_as_blanks_and_keeps_nested_commas) {
    udb_query_parser parser;
    ASSERT_TRUE(parser.initialize("SELECT nvl(a, 0) AS a,\r\n\"x, y\"\nFROM t\nGROUP BY a HAVING count(*) > 1"));
    EXPECT_EQ(parser.select_list(), (std::vector<std::string>{"nvl(a, 0) AS a", "\"x, y\""}));
    EXPECT_EQ(parser.from_text(), "t");
    EXPECT_EQ(parser.group_by_text(), "a HAVING count(*) > 1");  // HAVING is not a split point
    EXPECT_EQ(parser.get_query(), "SELECT nvl(a, 0) AS a,\"x, y\" FROM t GROUP BY a HAVING count(*) > 1");
}

TEST(udb_query_parser, reads_quotes_inside_other_quotes_and_parentheses_inside_quotes) {
    udb_query_parser parser;
    ASSERT_TRUE(parser.initialize("SELECT \"it's (\", ')' FROM (SELECT x FROM t WHERE y = ')') a ORDER BY 1"));
    EXPECT_EQ(parser.select_list(), (std::vector<std::string>{"\"it's (\"", "')'"}));
    ASSERT_NE(parser.sub_query(), nullptr);
    EXPECT_EQ(parser.sub_query()->where_text(), "y = ')'");
    EXPECT_EQ(parser.from_text(), "a");
    EXPECT_EQ(parser.order_by_text(), "1");
}

TEST(udb_query_parser, keeps_one_modifier) {
    udb_query_parser parser;
    ASSERT_TRUE(parser.initialize("SELECT DISTINCT a, b FROM t"));
    EXPECT_EQ(parser.modifiers(), " DISTINCT ");
    EXPECT_EQ(parser.get_query(), "SELECT  DISTINCT a,b FROM t");  // the stored blanks stay
    udb_query_parser top;
    ASSERT_TRUE(top.initialize("SELECT top 10 a FROM t"));
    EXPECT_EQ(top.select_list(), (std::vector<std::string>{"10 a"}));
    EXPECT_EQ(top.get_query(), "SELECT  TOP 10 a FROM t");
}

TEST(udb_query_parser, reads_into_and_sub_queries_in_from) {
    udb_query_parser parser;
    ASSERT_TRUE(parser.initialize("SELECT x INTO copy FROM (SELECT a AS x FROM t WHERE a > 1) s WHERE x < 5"));
    EXPECT_EQ(parser.into_text(), "copy");
    ASSERT_NE(parser.sub_query(), nullptr);
    EXPECT_EQ(parser.sub_query()->select_list(), (std::vector<std::string>{"a AS x"}));
    EXPECT_EQ(parser.sub_query()->where_text(), "a > 1");
    EXPECT_EQ(parser.from_text(), "s");
    EXPECT_EQ(parser.where_text(), "x < 5");
    EXPECT_EQ(parser.get_query(), "SELECT x FROM (SELECT a AS x FROM t WHERE a > 1) s WHERE x < 5");
}

TEST(udb_query_parser, ignores_keywords_inside_parentheses_and_asserts_on_where_before_from) {
    udb_query_parser parser;
    ASSERT_TRUE(parser.initialize("SELECT (SELECT max(b) FROM u WHERE u.a = t.a) m FROM t"));
    EXPECT_EQ(parser.select_list(), (std::vector<std::string>{"(SELECT max(b) FROM u WHERE u.a = t.a) m"}));
    EXPECT_EQ(parser.from_text(), "t");
    EXPECT_EQ(parser.where_text(), "");
    udb_query_parser broken;
    EXPECT_THROW(broken.initialize("SELECT a WHERE b = 1"), tk_mail_assertion);
}
