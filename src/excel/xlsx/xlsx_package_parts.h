// The parts of a workbook package other than sheets, styles and shared strings: content
// types, relationships, the workbook part, the theme and the document properties.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

class xml_writer;

// What the workbook part and its neighbours need to know about one sheet.
struct sheet_entry {
    std::string title;
    std::uint32_t column_count = 0;
    std::uint32_t row_count = 0;  // header row included
    bool has_filter() const noexcept { return column_count > 0 && row_count > 0; }
};

struct package_contents {
    std::vector<sheet_entry> sheets;
    bool has_shared_strings = false;
    std::string origin;  // the custom property that marks who wrote the workbook; none when empty
};

// Part names inside the package.
std::string worksheet_part_name(std::size_t position);  // 0 -> "xl/worksheets/sheet1.xml"

// Each writes a whole part, prolog included.
void write_content_types(xml_writer& writer, const package_contents& contents);
void write_package_relationships(xml_writer& writer, const package_contents& contents);
void write_workbook_relationships(xml_writer& writer, const package_contents& contents);
void write_workbook(xml_writer& writer, const package_contents& contents);
void write_core_properties(xml_writer& writer, const std::string& creator, std::time_t saved_at);
void write_app_properties(xml_writer& writer, const package_contents& contents);
void write_theme(xml_writer& writer);
// docProps/custom.xml with one text property: origin_property_name = contents.origin.
void write_custom_properties(xml_writer& writer, const package_contents& contents);

// The custom document property a run writes into each of its workbooks.
inline constexpr const char* origin_property_name = "Sprandel workbook of";

// The creator named in the document properties: the USERNAME variable, else "Unknown".
std::string document_creator();
// The reference an autofilter spans on a sheet: "A1:C10".
std::string filter_range(const sheet_entry& sheet);

