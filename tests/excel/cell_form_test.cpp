// The form each value takes in a cell, the same for every format: numbers keep every
// digit, dates are serials only where all readers agree, texts stay texts, cut to the
// format's cell and never inside a character.
#include "excel/cells/cell_form.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "../support/cell_values.h"
#include "values/number_text.h"

namespace {

std::string shortest(double value) {
    char digits[400];
    return std::string(digits, std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed).ptr);
}

// "number:<value>", "text:<text>", "date:<serial>" ... to compare in one line.
std::string form_of(const cell_value& value, workbook_format format = workbook_format::excel_2000,
                    bool dates_as_text = false) {
    cell_decider decider(format, dates_as_text);
    const cell_form& cell = decider.decide(value);
    switch (cell.kind) {
    case cell_kind::empty: return "empty";
    case cell_kind::number: return "number:" + shortest(cell.number);
    case cell_kind::text: return cell.is_utf16 ? "utf16 text" : "text:" + std::string(cell.text);
    case cell_kind::boolean: return cell.boolean ? "TRUE" : "FALSE";
    case cell_kind::date: return "date:" + shortest(cell.number);
    case cell_kind::bad_text: return "bad text";
    }
    return "?";
}

cell_value decimal(std::string_view text) { return cell_value::of_decimal_text(text); }

}  // namespace

TEST(cell_form, numbers_with_more_than_fifteen_significant_digits_are_their_exact_text) {
    EXPECT_EQ(form_of(cell_value::of_integer(999'999'999'999'999)), "number:999999999999999");
    EXPECT_EQ(form_of(cell_value::of_integer(1'000'000'000'000'001)), "text:1000000000000001");
    EXPECT_EQ(form_of(cell_value::of_integer(9'007'199'254'740'992)), "text:9007199254740992");  // 2^53: 16 digits
    EXPECT_EQ(form_of(cell_value::of_integer(-9'007'199'254'740'993)), "text:-9007199254740993");
    EXPECT_EQ(form_of(cell_value::of_integer(std::numeric_limits<std::int64_t>::min())), "text:-9223372036854775808");
    EXPECT_EQ(form_of(cell_value::of_integer(std::numeric_limits<std::int64_t>::max())), "text:9223372036854775807");
    // trailing zeros cost a double nothing
    EXPECT_EQ(form_of(cell_value::of_integer(1'000'000'000'000'000'000)), "number:1000000000000000000");
    EXPECT_EQ(form_of(cell_value::of_integer(-7)), "number:-7");
    EXPECT_EQ(form_of(decimal("-1234567890123.45")), "number:-1234567890123.45");
    EXPECT_EQ(form_of(decimal("12345678901234.567")), "text:12345678901234.567");
    EXPECT_EQ(form_of(decimal("0.0000000000001234567890123456")), "text:0.0000000000001234567890123456");
    EXPECT_EQ(form_of(decimal("79228162514264337593543950335")), "text:79228162514264337593543950335");
    cell_decider decider(workbook_format::excel_2010, false);
    EXPECT_EQ(decider.decide(decimal("1E+125")).number, 1e125);
    EXPECT_EQ(form_of(decimal("1E+400")), "text:1E+400") << "beyond a double's range";
}

TEST(cell_form, nan_and_infinities_are_texts_and_other_reals_stay_exact) {
    EXPECT_EQ(form_of(cell_value::of_real(std::numeric_limits<double>::quiet_NaN())), "text:NaN");
    EXPECT_EQ(form_of(cell_value::of_real(std::numeric_limits<double>::infinity())), "text:Inf");
    EXPECT_EQ(form_of(cell_value::of_real(-std::numeric_limits<double>::infinity())), "text:-Inf");
    cell_decider decider(workbook_format::excel_2010, false);
    EXPECT_EQ(decider.decide(cell_value::of_real(0.1 + 0.2)).number, 0.1 + 0.2);
}

TEST(cell_form, dates_are_serials_only_where_every_reader_agrees) {
    EXPECT_EQ(form_of(date(1900, 3, 1)), "date:61");
    EXPECT_EQ(form_of(date(2010, 5, 6, 12)), "date:40304.5");
    EXPECT_EQ(form_of(date(9999, 12, 31)), "date:2958465");
    // Excel counts a 29 February 1900 that LibreOffice does not: text, so both agree.
    EXPECT_EQ(form_of(date(1900, 2, 28)), "text:1900-02-28");
    EXPECT_EQ(form_of(date(1900, 1, 1, 6, 30)), "text:1900-01-01 06:30:00");
    EXPECT_EQ(form_of(date(10000, 1, 1)), "text:10000-01-01");
    EXPECT_EQ(form_of(date(5, 3, 1)), "text:0005-03-01");  // never widened to 2005
    EXPECT_EQ(form_of(date(-44, 3, 15)), "text:-0044-03-15");
    EXPECT_EQ(form_of(date(99, 12, 31, 23, 59, 59, 7)), "text:0099-12-31 23:59:59.007");
    EXPECT_EQ(form_of(date(2010, 2, 29)), "text:2010-02-29");
    cell_decider decider(workbook_format::excel_2010, false);
    EXPECT_EQ(decider.decide(date(2010, 5, 6)).date_style, cell_date_style::date);
    EXPECT_EQ(decider.decide(date(2010, 5, 6, 0, 0, 1)).date_style, cell_date_style::date_time);
    EXPECT_EQ(decider.decide(date(2010, 5, 6, 0, 0, 0, 500)).date_style, cell_date_style::date_time_ms);
    EXPECT_EQ(decider.decide(date(0, 0, 0, 18)).date_style, cell_date_style::time);
    EXPECT_EQ(decider.decide(date(0, 0, 0, 18)).number, 0.75);
}

TEST(cell_form, every_date_is_its_text_when_asked_and_in_excel_50) {
    EXPECT_EQ(form_of(date(2010, 5, 6, 12), workbook_format::excel_2010, true), "text:2010-05-06 12:00:00");
    EXPECT_EQ(form_of(date(2010, 5, 6), workbook_format::excel_50), "text:2010-05-06");
    EXPECT_EQ(form_of(date(0, 0, 0, 18), workbook_format::excel_50), "text:0000-00-00 18:00:00");
}

TEST(cell_form, text_stays_text_and_other_kinds_keep_their_form) {
    EXPECT_EQ(form_of(cell_value::of_text("=1+1")), "text:=1+1");
    EXPECT_EQ(form_of(cell_value::of_text("")), "text:");
    EXPECT_EQ(form_of(cell_value::of_text(std::string_view("a\0b", 3))), std::string("text:a\0b", 8));
    const std::uint8_t raw[] = {1, 2};
    EXPECT_EQ(form_of(cell_value::of_bytes(raw)), "text:<Binary Field>");
    EXPECT_EQ(form_of(cell_value::of_bytes({})), "text:<Binary Field>");
    EXPECT_EQ(form_of(cell_value()), "empty");
    EXPECT_EQ(form_of(cell_value::of_boolean(true)), "TRUE");
    EXPECT_EQ(form_of(cell_value::of_text("bad \xC3(")), "bad text");
    EXPECT_EQ(form_of(cell_value::of_text("\xED\xA0\x80")), "bad text") << "an encoded surrogate";
}

// A text that needs no change is the caller's own storage; a changed one is not.
TEST(cell_form, line_breaks_become_line_feeds_and_only_changed_texts_are_copied) {
    cell_decider decider(workbook_format::excel_2010, false);
    const std::string plain = "Zoë Привет 中文";
    EXPECT_EQ(decider.decide(cell_value::of_text(plain)).text.data(), plain.data());
    const std::string breaks = "a\r\nb\rc\r\r\nd\n";
    const cell_form& cell = decider.decide(cell_value::of_text(breaks));
    EXPECT_EQ(cell.text, "a\nb\nc\n\nd\n");
    EXPECT_FALSE(cell.was_cut);
    const std::u16string units = u"x\r\ny\r";
    const cell_form& wide = decider.decide(cell_value::of_utf16(units));
    EXPECT_TRUE(wide.is_utf16);
    EXPECT_EQ(wide.utf16, u"x\ny\n");
    const std::u16string wide_plain = u"Ωmega 😀";
    EXPECT_EQ(decider.decide(cell_value::of_utf16(wide_plain)).utf16.data(), wide_plain.data());
}

// Excel 5.0 cells hold 255 characters, the later formats 32,767 UTF-16 units.
TEST(cell_form, texts_are_cut_to_the_formats_cell_never_inside_a_character) {
    struct limit_case {
        workbook_format format;
        std::size_t units;
    };
    for (const limit_case limit : {limit_case{workbook_format::excel_50, 255}, limit_case{workbook_format::excel_2000, 32'767},
                                   limit_case{workbook_format::excel_2010, 32'767}}) {
        SCOPED_TRACE(limit.units);
        cell_decider decider(limit.format, false);
        const std::string fits = repeat("é", limit.units);
        const cell_form& whole = decider.decide(cell_value::of_text(fits));
        EXPECT_EQ(whole.text, fits);
        EXPECT_FALSE(whole.was_cut);
        const cell_form& cut = decider.decide(cell_value::of_text(fits + "é"));
        EXPECT_EQ(cut.text, fits);
        EXPECT_TRUE(cut.was_cut);
        // a line break that shrinks to one unit brings the text within the cell
        EXPECT_FALSE(decider.decide(cell_value::of_text(repeat("a", limit.units - 1) + "\r\n")).was_cut);
        // a surrogate pair across the cut is left out whole
        const std::string pair_at_cut = repeat("a", limit.units - 1) + "😀";
        EXPECT_EQ(decider.decide(cell_value::of_text(pair_at_cut)).text, repeat("a", limit.units - 1));
        const std::string pair_fits = repeat("a", limit.units - 2) + "😀";
        EXPECT_FALSE(decider.decide(cell_value::of_text(pair_fits)).was_cut);
        const std::u16string wide = std::u16string(limit.units - 1, u'ж') + u"😀";
        const cell_form& wide_cut = decider.decide(cell_value::of_utf16(wide));
        EXPECT_EQ(wide_cut.utf16, std::u16string(limit.units - 1, u'ж'));
        EXPECT_TRUE(wide_cut.was_cut);
        const std::u16string wide_fits = std::u16string(limit.units, u'ж');
        EXPECT_FALSE(decider.decide(cell_value::of_utf16(wide_fits)).was_cut);
    }
}

// NUMBER texts of up to 15 digits take a faster road into a double than the general parse;
// both must find the same double, and the road must refuse what it does not read.
TEST(number_texts, short_decimals_read_as_the_general_parse_reads_them) {
    std::mt19937_64 random(7);
    std::vector<std::string> texts{"0", "-0", "0.05", "999999999999999", "-99999999999.9999", ".5", "5.",
                                   "000000000000001", "0.000000000000001"};
    for (int i = 0; i < 200000; ++i) {
        std::string digits = std::to_string(random() % 1'000'000'000'000'000);
        const std::size_t point = random() % (digits.size() + 1);
        if (point < digits.size()) digits.insert(point, point == 0 ? "0." : ".");
        texts.push_back((random() % 2 ? "-" : "") + digits);
    }
    for (const std::string& text : texts) {
        const auto quick = short_decimal_value(text);
        double general = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), general);
        if (!quick) {
            EXPECT_TRUE(text == ".5" || text == "5." || text.size() > 16) << text;
            continue;
        }
        ASSERT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
        ASSERT_EQ(std::memcmp(&*quick, &general, sizeof general), 0) << text << " " << *quick << " " << general;
    }
    for (const char* refused : {"", "-", "1e5", "1,5", "1.2.3", "--1", "1234567890123456", " 1"})
        EXPECT_FALSE(short_decimal_value(refused)) << refused;
}
