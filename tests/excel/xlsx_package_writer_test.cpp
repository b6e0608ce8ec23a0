// Tests of the workbook package writer: the package's parts, the header's layout, sheet
// names, ZIP64 sizes and shared or inline strings.
#include "excel/xlsx/xlsx_package_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "excel/xlsx/xlsx_error.h"
#include "excel/xlsx/xlsx_sheet_writer.h"
#include "toolkit/exception.h"
#include "xlsx_test_support.h"

using namespace xlsx_test;
using lines = std::vector<std::string>;

namespace {

const std::vector<std::string> no_columns;

int error_code(xlsx_error code) { return xlsx_error_code_base + static_cast<int>(code); }

}  // namespace

// Names go into the package's XML escaped; a workbook without texts has no shared strings
// part (Excel refuses an empty one); a table without columns has an empty sheet.
TEST(xlsx_package, holds_the_documented_parts_and_names_its_sheets_and_user_in_order) {
    temp_folder folder;
    const std::string path = folder.file("book.xlsx"), numbers = folder.file("numbers.xlsx");
    ::setenv("USERNAME", "Ada <Lovelace>", 1);
    {
        xlsx_package_writer book(path, path, false);
        book.add_sheet("First", std::vector<std::string>{"A", "B"});
        book.add_sheet("Two & Three", no_columns);
        book.save();
    }
    ::unsetenv("USERNAME");
    EXPECT_EQ(zip_entry_names(path),
              (lines{"xl/worksheets/sheet1.xml", "xl/worksheets/sheet2.xml", "xl/sharedStrings.xml", "xl/styles.xml",
                     "xl/theme/theme1.xml", "xl/workbook.xml", "xl/_rels/workbook.xml.rels", "docProps/app.xml",
                     "docProps/core.xml", "_rels/.rels", "[Content_Types].xml"}));
    EXPECT_EQ(element_of(zip_entry(path, "xl/workbook.xml"), "sheets"),
              "<sheets><sheet name=\"First\" sheetId=\"1\" r:id=\"rId3\"/>"
              "<sheet name=\"Two &amp; Three\" sheetId=\"2\" r:id=\"rId4\"/></sheets>");
    const std::string core = zip_entry(path, "docProps/core.xml");
    EXPECT_EQ(element_of(core, "dc:creator"), "<dc:creator>Ada &lt;Lovelace&gt;</dc:creator>");
    EXPECT_NE(core.find("Z</dcterms:created>"), std::string::npos) << "saved at UTC";
    EXPECT_EQ(element_of(zip_entry(path, "docProps/app.xml"), "TitlesOfParts"),
              "<TitlesOfParts><vt:vector size=\"2\" baseType=\"lpstr\"><vt:lpstr>First</vt:lpstr>"
              "<vt:lpstr>Two &amp; Three</vt:lpstr></vt:vector></TitlesOfParts>");
    EXPECT_EQ(zip_entry(path, "xl/worksheets/sheet2.xml").find("autoFilter"), std::string::npos);
    EXPECT_EQ(dump_workbook_text(path), "sheet\tFirst\t1\t2\nR\ts:A\ts:B\nsheet\tTwo & Three\t0\t0\n");
    {
        xlsx_package_writer book(numbers, numbers, false);
        xlsx_sheet_writer& sheet = book.add_sheet("Numbers", std::vector<std::string>{""});
        sheet.begin_row();
        sheet.add_number(1);
        sheet.end_row();
        book.save();
    }
    const lines names = zip_entry_names(numbers);
    EXPECT_EQ(std::count(names.begin(), names.end(), "xl/sharedStrings.xml"), 0);
    EXPECT_EQ(zip_entry(numbers, "[Content_Types].xml").find("sharedStrings"), std::string::npos);
    EXPECT_EQ(zip_entry(numbers, "xl/_rels/workbook.xml.rels").find("sharedStrings"), std::string::npos);
    EXPECT_EQ(element_of(zip_entry(numbers, "docProps/core.xml"), "dc:creator"), "<dc:creator>Unknown</dc:creator>");
    EXPECT_EQ(dump_workbook_text(numbers), "sheet\tNumbers\t2\t1\nR\te:\nR\tn:1\n");
}

TEST(xlsx_layout, header_is_bold_centred_framed_shaded_frozen_and_filtered) {
    temp_folder folder;
    const std::string path = folder.file("book.xlsx");
    {
        xlsx_package_writer book(path, path, false);
        xlsx_sheet_writer& sheet = book.add_sheet("Staff", std::vector<std::string>{"Id", "A rather long column title"});
        for (int row = 0; row < 150; ++row) {  // more rows than the width sample
            sheet.begin_row();
            sheet.add_number(row);
            sheet.add_text(row == 120 ? std::string(200, 'w') : "short");
            sheet.end_row();
        }
        book.save();
    }
    // Freeze pane, filter and widths: "Id" is short and gets the minimum width; the long
    // title decides column B (row 121 lies past the sample and does not widen it). Then the
    // header cells A1 and B1 and the data cell B2.
    const char* layout =
        "import sys, openpyxl\n"
        "s = openpyxl.load_workbook(sys.argv[1])['Staff']\n"
        "print(s.freeze_panes, s.auto_filter.ref, s.column_dimensions['A'].width, s.column_dimensions['B'].width)\n"
        "for c in (s['A1'], s['B1'], s['B2']):\n"
        "    b = c.border\n"
        "    print(c.font.b, c.alignment.horizontal, c.alignment.wrap_text, c.fill.patternType, c.fill.fgColor.rgb,\n"
        "          b.left.style, b.right.style, b.top.style, b.bottom.style)\n";
    const std::string header = "True center None solid FFD9D9D9 thin thin thin thin\n";
    EXPECT_EQ(python_check(layout, path),
              "A2 A1:B151 6.0 29.5\n" + header + header + "False None None None 00000000 None None None None\n");
    // Excel keeps a sheet's filter range under this hidden name; openpyxl drops it on reading.
    EXPECT_EQ(element_of(zip_entry(path, "xl/workbook.xml"), "definedNames"),
              "<definedNames><definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"0\" hidden=\"1\">"
              "'Staff'!$A$1:$B$151</definedName></definedNames>");
}

TEST(xlsx_sheets, titles_are_checked_before_anything_changes) {
    temp_folder folder;
    const std::string path = folder.file("book.xlsx");
    xlsx_package_writer book(path, path, false);
    const std::string longest(31, 'T');
    book.add_sheet(longest, no_columns);
    auto rejected = [&](const std::string& title) -> int {
        try {
            book.add_sheet(title, no_columns);
        } catch (const tk_exception& error) {
            return error.code();
        }
        return 0;
    };
    EXPECT_EQ(rejected(longest + "T"), error_code(xlsx_error::sheet_name_too_long));
    EXPECT_EQ(rejected(""), error_code(xlsx_error::sheet_name_empty));
    for (const char* invalid : {"a/b", "[x]", "'quoted'"})
        EXPECT_EQ(rejected(invalid), error_code(xlsx_error::sheet_name_invalid)) << invalid;
    EXPECT_EQ(rejected(std::string(31, 't')), error_code(xlsx_error::sheet_name_duplicate));  // case ignored
    book.add_sheet("Ünïcödé sheet of 31 characters!", no_columns);  // 31 characters, more bytes
    book.save();
    EXPECT_EQ(dump_workbook_text(path), "sheet\t" + longest + "\t0\t0\nsheet\tÜnïcödé sheet of 31 characters!\t0\t0\n");
}

namespace {

// Whether the local header of entry carries a ZIP64 extra field.
bool has_zip64_sizes(const std::string& package, const std::string& entry) {
    const std::string bytes = read_file(package);
    for (std::size_t at = bytes.find("PK\x03\x04"); at != std::string::npos; at = bytes.find("PK\x03\x04", at + 4)) {
        auto word = [&](std::size_t offset) {
            return static_cast<unsigned>(static_cast<unsigned char>(bytes[offset]) |
                                         static_cast<unsigned char>(bytes[offset + 1]) << 8);
        };
        const unsigned name_size = word(at + 26), extra_size = word(at + 28);
        if (bytes.compare(at + 30, name_size, entry) != 0) continue;
        return extra_size >= 4 && word(at + 30 + name_size) == 0x0001;
    }
    throw std::runtime_error("no local header for " + entry);
}

}  // namespace

TEST(xlsx_sheets, only_sheets_wide_enough_to_pass_4_gib_use_zip64_sizes) {
    temp_folder folder;
    const std::string path = folder.file("book.xlsx");
    {
        xlsx_package_writer book(path, path, false);
        book.add_sheet("Narrow", std::vector<std::string>(10, "n"));
        book.add_sheet("Wide", std::vector<std::string>(100, "w"));  // 100 full columns pass 4 GiB
        book.save();
    }
    EXPECT_FALSE(has_zip64_sizes(path, "xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(has_zip64_sizes(path, "xl/worksheets/sheet2.xml"));
    EXPECT_FALSE(has_zip64_sizes(path, "xl/styles.xml"));
    EXPECT_NE(dump_workbook_text(path).find("sheet\tWide\t1\t100\n"), std::string::npos);
}

// Past the table's budget a text goes into its cell; once the table is closed (a part
// workbook the run has left) every text does, and the part is written once. openpyxl reads
// every cell the same either way.
TEST(xlsx_cells, texts_past_the_budget_and_after_closing_are_inline_and_read_back_the_same) {
    temp_folder folder;
    const std::string path = folder.file("budget.xlsx");
    const std::string hostile = "<a>&amp; _x0041_";
    {
        xlsx_package_writer book(path, path, false, 2 * 64 + 4 + 5);  // the header "Text" and "first"
        xlsx_sheet_writer& sheet = book.add_sheet("S", std::vector<std::string>{"Text"});
        for (const std::string& text : {std::string("first"), hostile, std::string(" padded "), std::string("first"),
                                        std::string("東京 😀"), std::string("line\r\nbreak")}) {
            sheet.begin_row();
            sheet.add_text(text);
            sheet.end_row();
        }
        book.close_shared_strings();
        xlsx_sheet_writer& later = book.add_sheet("Later", std::vector<std::string>{"Text"});
        later.begin_row();
        later.add_text("first");
        later.end_row();
        book.save();
    }
    // openpyxl decodes the _xHHHH_ escape of an underscore in shared strings only; Excel
    // decodes it in inline strings too, so the XML below is what proves the text.
    EXPECT_EQ(dump_workbook_text(path), "sheet\tS\t7\t1\nR\ts:Text\nR\ts:first\nR\ts:<a>&amp; _x005F_x0041_\nR\ts: padded \n"
                                        "R\ts:first\nR\ts:東京 😀\nR\ts:line\\r\\nbreak\nsheet\tLater\t2\t1\nR\ts:Text\nR\ts:first\n");
    const std::string strings = zip_entry(path, "xl/sharedStrings.xml");
    EXPECT_NE(strings.find("count=\"3\" uniqueCount=\"2\""), std::string::npos) << strings;
    const std::string sheet = zip_entry(path, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("<c r=\"A3\" t=\"inlineStr\"><is><t>&lt;a&gt;&amp;amp; _x005F_x0041_</t></is></c>"),
              std::string::npos);
    EXPECT_NE(sheet.find("<c r=\"A4\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> padded </t></is></c>"),
              std::string::npos);
    EXPECT_NE(sheet.find("<c r=\"A5\" t=\"s\"><v>1</v></c>"), std::string::npos);
    const std::string later = zip_entry(path, "xl/worksheets/sheet2.xml");
    EXPECT_EQ(later.find("t=\"s\""), std::string::npos) << "a closed table shares nothing more";
    const auto names = zip_entry_names(path);
    EXPECT_EQ(std::count(names.begin(), names.end(), "xl/sharedStrings.xml"), 1);
}
