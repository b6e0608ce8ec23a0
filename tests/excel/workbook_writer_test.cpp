// The three workbook formats through the one interface the run writes through, read back
// by independent readers (xlrd, openpyxl): each cell form arrives as its typed cell, the
// header looks as it always has, and a row or sheet the format refuses costs only itself.
// Which form a value takes is cell_form_test's.
#include "excel/workbook_writer.h"

#include <gtest/gtest.h>

#include "../support/cell_values.h"
#include "../support/workbook_reader.h"
#include "toolkit/exception.h"

namespace {

class workbook : public ::testing::TestWithParam<workbook_format> {
protected:
    bool is_xlsx() const { return GetParam() == workbook_format::excel_2010; }
    bool is_excel_50() const { return GetParam() == workbook_format::excel_50; }
    std::filesystem::path path() const { return folder_ / (is_xlsx() ? "out.xlsx" : "out.xls"); }

    workbook_writer& open(const workbook_options& options = {}) {
        writer_ = make_workbook_writer(GetParam(), path(), "Destination", options);
        return *writer_;
    }
    // Appends the row; the error's message when the writer refuses it.
    std::string append(std::vector<cell_value> row) {
        try {
            writer_->append_row(row);
        } catch (const tk_exception& error) {
            EXPECT_EQ(error.level(), tk_level_recoverable) << error.message();
            return error.message();
        }
        return "";
    }
    std::string add_sheet(std::string_view name, const std::vector<std::string>& header) {
        try {
            writer_->add_sheet(name, header);
        } catch (const tk_exception& error) {
            EXPECT_EQ(error.level(), tk_level_recoverable) << error.message();
            return error.message();
        }
        return "";
    }
    std::string close_and_read() {
        writer_->close();
        return dump_workbook_text(path());
    }

    temp_folder folder_;
    std::unique_ptr<workbook_writer> writer_;
};

}  // namespace

TEST_P(workbook, each_cell_form_arrives_as_its_typed_cell_with_its_date_format) {
    open();
    ASSERT_EQ(add_sheet("S", {"id", "name", "wide", "day", "at", "ms", "time", "ok", "x", "none", "bin", "big"}), "");
    const std::u16string wide = u"Ωmega 😀";
    EXPECT_EQ(append({cell_value::of_integer(-7), cell_value::of_text("Zoë Привет"), cell_value::of_utf16(wide),
                      date(2024, 2, 29), date(2024, 2, 29, 13, 45, 30), date(2024, 2, 29, 13, 45, 30, 250),
                      date(0, 0, 0, 10, 30), cell_value::of_boolean(true), cell_value::of_real(0.1), cell_value(),
                      cell_value::of_bytes({}), cell_value::of_decimal_text("12345678901234567890")}),
              "");
    EXPECT_EQ(append({cell_value::of_integer(8)}), "") << "a short row leaves the rest empty";
    writer_->finish_sheet();
    // Excel 5.0 holds code page 1252 only, and every date there is its text.
    const std::string dates = is_excel_50() ? "\ts:2024-02-29\ts:2024-02-29 13:45:30\ts:2024-02-29 13:45:30.250"
                                              "\ts:0000-00-00 10:30:00"
                                            : "\td:2024-02-29T00:00:00.000\td:2024-02-29T13:45:30.000"
                                              "\td:2024-02-29T13:45:30.250\td:10:30:00.000";
    EXPECT_EQ(close_and_read(),
              std::string("sheet\tS\t3\t12\nR\ts:id\ts:name\ts:wide\ts:day\ts:at\ts:ms\ts:time\ts:ok\ts:x\ts:none\ts:bin\ts:big\n"
                          "R\tn:-7\ts:Zoë ") +
                  (is_excel_50() ? "??????\ts:?mega ?" : "Привет\ts:Ωmega 😀") + dates +
                  "\tb:1\tn:0.1\te:\ts:<Binary Field>\ts:12345678901234567890\n"
                  "R\tn:8\te:\te:\te:\te:\te:\te:\te:\te:\te:\te:\te:\n");
    EXPECT_EQ(writer_->replaced_characters(), is_excel_50() ? 8u : 0u);
    if (is_excel_50()) return;
    const char* formats =
        "import sys\n"
        "p = sys.argv[1]\n"
        "if p.endswith('.xlsx'):\n"
        "    import openpyxl\n"
        "    print([c.number_format for c in openpyxl.load_workbook(p).worksheets[0][2][3:7]])\n"
        "else:\n"
        "    import xlrd\n"
        "    b = xlrd.open_workbook(p, formatting_info=True)\n"
        "    s = b.sheet_by_index(0)\n"
        "    print([b.format_map[b.xf_list[s.cell_xf_index(1, c)].format_key].format_str for c in range(3, 7)])\n";
    // The writers differ: .xls hides the milliseconds, .xlsx shows a time of day on the
    // date 1899-12-30.
    EXPECT_EQ(python_check(formats, path()),
              is_xlsx() ? "['yyyy-mm-dd', 'yyyy-mm-dd hh:mm:ss', 'yyyy-mm-dd hh:mm:ss.000', 'yyyy-mm-dd hh:mm:ss']\n"
                        : "['yyyy-mm-dd', 'yyyy-mm-dd hh:mm:ss', 'yyyy-mm-dd hh:mm:ss', 'hh:mm:ss']\n");
}

// Bold, centred, framed and shaded in every format; wrapping of the data cells as the
// option says. .xls shows the column names as its earlier versions did (no "`![]./'", no
// outer blanks, no name twice ignoring case); .xlsx shows them as given.
TEST_P(workbook, the_header_is_bold_centred_framed_and_shaded_and_wrap_follows_the_option) {
    for (const bool wrap : {false, true}) {
        SCOPED_TRACE(wrap);
        workbook_options options;
        options.wrap_text = wrap;
        open(options);
        ASSERT_EQ(add_sheet("S", {"a.b", " Spaced ", "Id", "ID", "Имя"}), "");
        EXPECT_EQ(append({cell_value::of_text("x"), cell_value::of_integer(1)}), "");
        writer_->finish_sheet();
        const std::string dump = close_and_read();
        const std::string header = dump.substr(dump.find('\n') + 1, dump.find('\n', dump.find('\n') + 1) - dump.find('\n') - 1);
        EXPECT_EQ(header, is_xlsx()       ? "R\ts:a.b\ts: Spaced \ts:Id\ts:ID\ts:Имя"
                          : is_excel_50() ? "R\ts:a_b\ts:Spaced\ts:Id\ts:ID00000\ts:???"
                                          : "R\ts:a_b\ts:Spaced\ts:Id\ts:ID00000\ts:Имя");
        const char* look =
            "import sys\n"
            "p = sys.argv[1]\n"
            "if p.endswith('.xlsx'):\n"
            "    import openpyxl\n"
            "    s = openpyxl.load_workbook(p).worksheets[0]\n"
            "    h, d = s['A1'], s['A2']\n"
            "    print(h.font.b, h.alignment.horizontal, h.border.left.style, h.border.bottom.style, h.fill.fill_type,\n"
            "          bool(d.alignment.wrap_text))\n"
            "else:\n"
            "    import xlrd\n"
            "    b = xlrd.open_workbook(p, formatting_info=True)\n"
            "    s = b.sheet_by_index(0)\n"
            "    h, d = b.xf_list[s.cell_xf_index(0, 0)], b.xf_list[s.cell_xf_index(1, 0)]\n"
            "    same = len({s.cell_xf_index(0, c) for c in range(5)}) == 1\n"
            "    print(same and bool(b.font_list[3].bold), {2: 'center'}.get(h.alignment.hor_align),\n"
            "          {1: 'thin'}.get(h.border.left_line_style), {1: 'thin'}.get(h.border.bottom_line_style),\n"
            "          {1: 'solid'}.get(h.background.fill_pattern), bool(d.alignment.text_wrapped))\n";
        EXPECT_EQ(python_check(look, path()), std::string("True center thin thin solid ") + (wrap ? "True\n" : "False\n"));
    }
}

TEST_P(workbook, a_refused_row_costs_only_itself) {
    open();
    ASSERT_EQ(add_sheet("S", {"A", "B"}), "");
    EXPECT_EQ(append({cell_value::of_text("one"), cell_value::of_integer(1)}), "");
    const std::string too_wide = append({cell_value::of_text("x"), cell_value::of_integer(2), cell_value::of_integer(3)});
    EXPECT_NE(too_wide.find("does not conform to the destination table"), std::string::npos) << too_wide;
    // the bad text is the second cell: the first must not have been written either
    const std::string not_utf8 = append({cell_value::of_text("lost"), cell_value::of_text("bad \xC3(")});
    EXPECT_NE(not_utf8.find("not valid UTF-8"), std::string::npos) << not_utf8;
    EXPECT_EQ(append({cell_value::of_text("five"), cell_value::of_integer(5)}), "");
    writer_->finish_sheet();
    EXPECT_EQ(close_and_read(), "sheet\tS\t3\t2\nR\ts:A\ts:B\nR\ts:one\tn:1\nR\ts:five\tn:5\n");
}

// A name or a width the format refuses leaves the workbook as it was: the next sheet works.
TEST_P(workbook, a_refused_sheet_leaves_the_workbook_as_it_was) {
    open();
    const std::size_t max_columns = limits_of(GetParam()).max_columns;
    EXPECT_NE(add_sheet("Wide", std::vector<std::string>(max_columns + 1, "c")), "");
    for (const std::string& name : {std::string(), std::string(32, 'n'), std::string("a/b")})
        EXPECT_NE(add_sheet(name, {"A"}), "") << name;
    EXPECT_EQ(writer_->sheet_count(), 0u);
    ASSERT_EQ(add_sheet("Orders", std::vector<std::string>(max_columns, "c")), "");
    writer_->finish_sheet();
    EXPECT_NE(add_sheet("ORDERS", {"A"}), "") << "names are compared ignoring case";
    ASSERT_EQ(add_sheet("Other", {"A"}), "");
    writer_->finish_sheet();
    EXPECT_EQ(writer_->sheet_count(), 2u);
    const std::string dump = close_and_read();
    EXPECT_EQ(dump.substr(0, dump.find('\n')), "sheet\tOrders\t1\t" + std::to_string(max_columns));
    EXPECT_NE(dump.find("sheet\tOther\t1\t1\n"), std::string::npos);
}

// Excel 5.0 holds 255 characters a cell, the later formats 32,767 UTF-16 units: a longer
// text is cut there, never inside a character, and counted for its column.
TEST_P(workbook, long_texts_are_cut_to_the_cell_and_counted_per_column) {
    const std::size_t units = limits_of(GetParam()).max_text_units;
    open();
    ASSERT_EQ(add_sheet("S", {"A", "B"}), "");
    const std::string fits = repeat("a", units), longer = repeat("b", units + 1);
    const std::string pair_at_cut = repeat("c", units - 1) + "😀";
    EXPECT_EQ(append({cell_value::of_text(fits), cell_value::of_text(longer)}), "");
    EXPECT_EQ(append({cell_value::of_text(longer), cell_value::of_text(pair_at_cut)}), "");
    const auto cut = writer_->cut_texts();
    EXPECT_EQ(std::vector<std::uint64_t>(cut.begin(), cut.end()), (std::vector<std::uint64_t>{1, 2}));
    writer_->finish_sheet();
    EXPECT_EQ(close_and_read(), "sheet\tS\t3\t2\nR\ts:A\ts:B\nR\ts:" + fits + "\ts:" + repeat("b", units) + "\nR\ts:" +
                                    repeat("b", units) + "\ts:" + repeat("c", units - 1) + "\n");
}

// The run stops at the limit itself; a row past it is refused, not wrapped onto a new sheet.
TEST_P(workbook, a_row_past_the_sheet_limit_is_refused_and_the_workbook_stays_complete) {
    const std::uint32_t rows = limits_of(GetParam()).max_data_rows;
    open();
    ASSERT_EQ(add_sheet("S", {"N"}), "");
    const cell_value one[] = {cell_value::of_integer(1)};
    for (std::uint32_t k = 0; k < rows; ++k) writer_->append_row(one);
    // the message names the limit the check uses
    EXPECT_NE(append({cell_value::of_integer(2)})
                  .find(is_xlsx() ? "1,048,575 rows of data" : std::to_string(rows + 1).append(" rows")),
              std::string::npos);
    writer_->finish_sheet();
    writer_->close();
    if (is_xlsx()) return;  // openpyxl takes minutes over a million rows
    const std::string dump = dump_workbook_text(path());
    EXPECT_EQ(dump.substr(0, dump.find('\n')), "sheet\tS\t" + std::to_string(rows + 1) + "\t1");
}

// A stopped item: .xls forgets its sheet, also one finished in an earlier part workbook
// (found ignoring case); a part workbook gives its memory back and its later sheets still
// read back.
TEST_P(workbook, a_dropped_sheet_is_left_out_and_a_released_workbook_goes_on) {
    if (is_xlsx()) GTEST_SKIP() << "an .xlsx sheet has streamed into its package";
    open();
    ASSERT_EQ(add_sheet("Kept", {"A"}), "");
    EXPECT_EQ(append({cell_value::of_text("first")}), "");
    writer_->finish_sheet();
    ASSERT_EQ(add_sheet("Dropped", {"A"}), "");
    EXPECT_EQ(append({cell_value::of_text("lost")}), "");
    writer_->finish_sheet();
    writer_->drop_sheet("DROPPED");
    writer_->drop_sheet("Never there");
    writer_->release_memory();
    ASSERT_EQ(add_sheet("Later", {"A"}), "");
    EXPECT_EQ(append({cell_value::of_text("first")}), "");
    writer_->finish_sheet();
    EXPECT_EQ(writer_->sheet_count(), 2u);
    EXPECT_EQ(close_and_read(), "sheet\tKept\t2\t1\nR\ts:A\nR\ts:first\nsheet\tLater\t2\t1\nR\ts:A\nR\ts:first\n");
}

TEST_P(workbook, a_workbook_never_closed_or_abandoned_leaves_no_file_behind) {
    for (const bool abandon : {false, true}) {
        open();
        ASSERT_EQ(add_sheet("S", {"A"}), "");
        EXPECT_EQ(append({cell_value::of_text("x")}), "");
        if (abandon) writer_->abandon();
        writer_.reset();
        EXPECT_TRUE(std::filesystem::is_empty(folder_.path())) << "no workbook and no temporary file";
    }
}

INSTANTIATE_TEST_SUITE_P(formats, workbook,
                         ::testing::Values(workbook_format::excel_50, workbook_format::excel_2000,
                                           workbook_format::excel_2010),
                         [](const auto& info) {
                             return std::string(info.param == workbook_format::excel_50     ? "excel_50"
                                                : info.param == workbook_format::excel_2000 ? "excel_2000"
                                                                                            : "excel_2010");
                         });
