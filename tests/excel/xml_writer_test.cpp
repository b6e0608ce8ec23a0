// Tests of the streaming XML writer and of text escaping.
#include "excel/xlsx/xml_writer.h"

#include <gtest/gtest.h>

namespace {

std::string escaped_text(std::string_view text) {
    std::string out;
    append_escaped_text(out, text);
    return out;
}

std::string escaped_attribute(std::string_view text) {
    std::string out;
    append_escaped_attribute(out, text);
    return out;
}

}  // namespace

TEST(xml_escaping, markup_becomes_entities_and_what_xml_cannot_hold_becomes_code_escapes) {
    EXPECT_EQ(escaped_text("x&y <a> \"q\" 'p'"), "x&amp;y &lt;a&gt; &quot;q&quot; 'p'");
    for (const char* same : {"", "=1+2", "Grüße, Привет, 東京 😀", "a.b,c-d/e\\f(g)[h]%$!?*:;",
                             "_x004_ _xZZZZ_ snake_case _x", "\xEF\xBF\xBD\xEF\xBC\xA1"})  // U+FFFD, U+FF21
        EXPECT_EQ(escaped_text(same), same);
    EXPECT_EQ(escaped_text(std::string("a\x01" "b\x1F" "c", 5)), "a_x0001_b_x001F_c");
    EXPECT_EQ(escaped_text(std::string("\0", 1)), "_x0000_");
    EXPECT_EQ(escaped_text("\x0B\x0C"), "_x000B__x000C_");
    EXPECT_EQ(escaped_text("x\xEF\xBF\xBEy\xEF\xBF\xBF"), "x_xFFFE_y_xFFFF_");
    // a text that looks like a code escape keeps its underscore
    EXPECT_EQ(escaped_text("_x0041_"), "_x005F_x0041_");
    EXPECT_EQ(escaped_text("a_x00e9_b"), "a_x005F_x00e9_b");
    // white space survives reading back
    EXPECT_EQ(escaped_text("a\tb\nc\r\nd"), "a\tb\nc&#13;\nd");
    EXPECT_EQ(escaped_attribute("a\tb\nc\rd\"e"), "a&#9;b&#10;c&#13;d&quot;e");
}

TEST(xml_writer, a_held_writer_keeps_large_output_until_released) {
    string_sink sink;
    xml_writer writer(sink);
    writer.hold(true);
    writer.start("a");
    const std::string chunk(1000, 'x');
    for (std::size_t written = 0; written < 2 * xml_writer::flush_threshold; written += chunk.size()) writer.text(chunk);
    EXPECT_TRUE(sink.text.empty());
    writer.hold(false);
    writer.text(chunk);  // past the threshold: goes out on its own now
    EXPECT_GT(sink.text.size(), 2 * xml_writer::flush_threshold);
    writer.end();
    writer.flush();
    EXPECT_EQ(sink.text.substr(sink.text.size() - 5), "x</a>");
}
