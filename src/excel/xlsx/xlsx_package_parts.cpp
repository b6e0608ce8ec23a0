// The package's fixed and summary parts.
#include "excel/xlsx/xlsx_package_parts.h"

#include <cstdio>
#include <cstdlib>

#include "excel/xlsx/xlsx_cell_values.h"
#include "excel/xlsx/xml_writer.h"
#include "toolkit/system.h"

namespace {

constexpr const char* main_namespace = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* relationships_namespace = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* document_relationships_namespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* relationship_type_base =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr const char* drawing_namespace = "http://schemas.openxmlformats.org/drawingml/2006/main";

// Relationship ids of the workbook part: styles and theme first, then the sheets.
constexpr int styles_relationship = 1;
constexpr int theme_relationship = 2;
constexpr int first_sheet_relationship = 3;

std::string relationship_id(std::size_t number) { return "rId" + std::to_string(number); }

void write_relationship(xml_writer& writer, const std::string& id, std::string_view type, std::string_view target) {
    writer.start("Relationship");
    writer.attribute("Id", id);
    writer.attribute("Type", type);
    writer.attribute("Target", target);
    writer.end();
}

void write_office_relationship(xml_writer& writer, std::size_t number, std::string_view type,
                               std::string_view target) {
    write_relationship(writer, relationship_id(number), std::string(relationship_type_base) + std::string(type),
                       target);
}

void write_default(xml_writer& writer, std::string_view extension, std::string_view type) {
    writer.start("Default");
    writer.attribute("Extension", extension);
    writer.attribute("ContentType", type);
    writer.end();
}

void write_override(xml_writer& writer, std::string_view part, std::string_view type) {
    writer.start("Override");
    writer.attribute("PartName", part);
    writer.attribute("ContentType", type);
    writer.end();
}

void write_empty(xml_writer& writer, std::string_view name) {
    writer.start(name);
    writer.end();
}

// A sheet name inside a formula: quoted, with its apostrophes doubled.
std::string quoted_sheet_name(const std::string& title) {
    std::string quoted = "'";
    for (const char c : title) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    quoted += '\'';
    return quoted;
}

std::string absolute_range(const sheet_entry& sheet) {
    const std::string last_column = column_letters(sheet.column_count - 1);
    return "$A$1:$" + last_column + "$" + std::to_string(sheet.row_count);
}

void write_defined_names(xml_writer& writer, const package_contents& contents) {
    bool is_open = false;
    for (std::size_t i = 0; i < contents.sheets.size(); ++i) {
        const sheet_entry& sheet = contents.sheets[i];
        if (!sheet.has_filter()) continue;
        if (!is_open) writer.start("definedNames");
        is_open = true;
        // Excel finds a sheet's autofilter range under this hidden name.
        writer.start("definedName");
        writer.attribute("name", "_xlnm._FilterDatabase");
        writer.attribute("localSheetId", static_cast<std::int64_t>(i));
        writer.attribute("hidden", 1);
        writer.text(quoted_sheet_name(sheet.title) + "!" + absolute_range(sheet));
        writer.end();
    }
    if (is_open) writer.end();
}

void write_scheme_color(xml_writer& writer, std::string_view slot, std::string_view rgb) {
    writer.start(slot);
    writer.start("a:srgbClr");
    writer.attribute("val", rgb);
    writer.end();
    writer.end();
}

void write_system_color(xml_writer& writer, std::string_view slot, std::string_view name, std::string_view rgb) {
    writer.start(slot);
    writer.start("a:sysClr");
    writer.attribute("val", name);
    writer.attribute("lastClr", rgb);
    writer.end();
    writer.end();
}

void write_color_scheme(xml_writer& writer) {
    writer.start("a:clrScheme");
    writer.attribute("name", "Office");
    write_system_color(writer, "a:dk1", "windowText", "000000");
    write_system_color(writer, "a:lt1", "window", "FFFFFF");
    write_scheme_color(writer, "a:dk2", "1F497D");
    write_scheme_color(writer, "a:lt2", "EEECE1");
    write_scheme_color(writer, "a:accent1", "4F81BD");
    write_scheme_color(writer, "a:accent2", "C0504D");
    write_scheme_color(writer, "a:accent3", "9BBB59");
    write_scheme_color(writer, "a:accent4", "8064A2");
    write_scheme_color(writer, "a:accent5", "4BACC6");
    write_scheme_color(writer, "a:accent6", "F79646");
    write_scheme_color(writer, "a:hlink", "0000FF");
    write_scheme_color(writer, "a:folHlink", "800080");
    writer.end();
}

void write_typefaces(xml_writer& writer, std::string_view slot, std::string_view latin) {
    writer.start(slot);
    for (const auto& [script, face] : {std::pair<std::string_view, std::string_view>{"a:latin", latin},
                                       {"a:ea", ""},
                                       {"a:cs", ""}}) {
        writer.start(script);
        writer.attribute("typeface", face);
        writer.end();
    }
    writer.end();
}

void write_font_scheme(xml_writer& writer) {
    writer.start("a:fontScheme");
    writer.attribute("name", "Office");
    write_typefaces(writer, "a:majorFont", "Cambria");
    write_typefaces(writer, "a:minorFont", "Calibri");
    writer.end();
}

void write_placeholder_fill(xml_writer& writer) {
    writer.start("a:solidFill");
    writer.start("a:schemeClr");
    writer.attribute("val", "phClr");
    writer.end();
    writer.end();
}

// Three entries per list: subtle, moderate and intense, as the theme format requires.
void write_format_scheme(xml_writer& writer) {
    constexpr int line_widths[] = {9525, 25400, 38100};  // EMU: 0.75, 2 and 3 points
    writer.start("a:fmtScheme");
    writer.attribute("name", "Office");
    writer.start("a:fillStyleLst");
    for (int i = 0; i < 3; ++i) write_placeholder_fill(writer);
    writer.end();
    writer.start("a:lnStyleLst");
    for (const int width : line_widths) {
        writer.start("a:ln");
        writer.attribute("w", width);
        write_placeholder_fill(writer);
        writer.end();
    }
    writer.end();
    writer.start("a:effectStyleLst");
    for (int i = 0; i < 3; ++i) {
        writer.start("a:effectStyle");
        write_empty(writer, "a:effectLst");
        writer.end();
    }
    writer.end();
    writer.start("a:bgFillStyleLst");
    for (int i = 0; i < 3; ++i) write_placeholder_fill(writer);
    writer.end();
    writer.end();
}

std::string utc_timestamp(std::time_t moment) {
    const std::tm utc = tk_universal_time(moment);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

}  // namespace

std::string worksheet_part_name(std::size_t position) {
    return "xl/worksheets/sheet" + std::to_string(position + 1) + ".xml";
}

std::string filter_range(const sheet_entry& sheet) {
    return "A1:" + cell_name(sheet.row_count - 1, sheet.column_count - 1);
}

std::string document_creator() {
    const auto name = tk_environment("USERNAME");
    return name && !name->empty() ? *name : "Unknown";
}

void write_content_types(xml_writer& writer, const package_contents& contents) {
    constexpr std::string_view office = "application/vnd.openxmlformats-officedocument.";
    writer.prolog();
    writer.start("Types");
    writer.attribute("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types");
    write_default(writer, "rels", "application/vnd.openxmlformats-package.relationships+xml");
    write_default(writer, "xml", "application/xml");
    write_override(writer, "/xl/workbook.xml", std::string(office) + "spreadsheetml.sheet.main+xml");
    write_override(writer, "/xl/theme/theme1.xml", std::string(office) + "theme+xml");
    write_override(writer, "/xl/styles.xml", std::string(office) + "spreadsheetml.styles+xml");
    write_override(writer, "/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml");
    write_override(writer, "/docProps/app.xml", std::string(office) + "extended-properties+xml");
    if (!contents.origin.empty())
        write_override(writer, "/docProps/custom.xml", std::string(office) + "custom-properties+xml");
    if (contents.has_shared_strings)
        write_override(writer, "/xl/sharedStrings.xml", std::string(office) + "spreadsheetml.sharedStrings+xml");
    for (std::size_t i = 0; i < contents.sheets.size(); ++i)
        write_override(writer, std::string("/").append(worksheet_part_name(i)),
                       std::string(office) + "spreadsheetml.worksheet+xml");
    writer.end();
}

void write_package_relationships(xml_writer& writer, const package_contents& contents) {
    writer.prolog();
    writer.start("Relationships");
    writer.attribute("xmlns", relationships_namespace);
    if (!contents.origin.empty()) write_office_relationship(writer, 4, "custom-properties", "docProps/custom.xml");
    write_office_relationship(writer, 3, "extended-properties", "docProps/app.xml");
    write_relationship(writer, relationship_id(2),
                       "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
                       "docProps/core.xml");
    write_office_relationship(writer, 1, "officeDocument", "xl/workbook.xml");
    writer.end();
}

void write_workbook_relationships(xml_writer& writer, const package_contents& contents) {
    writer.prolog();
    writer.start("Relationships");
    writer.attribute("xmlns", relationships_namespace);
    write_office_relationship(writer, styles_relationship, "styles", "styles.xml");
    write_office_relationship(writer, theme_relationship, "theme", "theme/theme1.xml");
    std::size_t next = first_sheet_relationship;
    for (std::size_t i = 0; i < contents.sheets.size(); ++i)
        write_office_relationship(writer, next++, "worksheet", "worksheets/sheet" + std::to_string(i + 1) + ".xml");
    if (contents.has_shared_strings) write_office_relationship(writer, next, "sharedStrings", "sharedStrings.xml");
    writer.end();
}

void write_workbook(xml_writer& writer, const package_contents& contents) {
    writer.prolog();
    writer.start("workbook");
    writer.attribute("xmlns", main_namespace);
    writer.attribute("xmlns:r", document_relationships_namespace);
    writer.start("workbookPr");
    writer.attribute("defaultThemeVersion", 124226);
    writer.end();
    writer.start("bookViews");
    writer.start("workbookView");
    writer.attribute("xWindow", 270);
    writer.attribute("yWindow", 630);
    writer.attribute("windowWidth", 24615);
    writer.attribute("windowHeight", 11445);
    writer.end();
    writer.end();
    writer.start("sheets");
    for (std::size_t i = 0; i < contents.sheets.size(); ++i) {
        writer.start("sheet");
        writer.attribute("name", contents.sheets[i].title);
        writer.attribute("sheetId", static_cast<std::int64_t>(i + 1));
        writer.attribute("r:id", relationship_id(i + first_sheet_relationship));
        writer.end();
    }
    writer.end();
    write_defined_names(writer, contents);
    writer.start("calcPr");
    writer.attribute("calcId", 124519);
    writer.end();
    writer.end();
}

void write_core_properties(xml_writer& writer, const std::string& creator, std::time_t saved_at) {
    const std::string timestamp = utc_timestamp(saved_at);
    writer.prolog();
    writer.start("cp:coreProperties");
    writer.attribute("xmlns:cp", "http://schemas.openxmlformats.org/package/2006/metadata/core-properties");
    writer.attribute("xmlns:dc", "http://purl.org/dc/elements/1.1/");
    writer.attribute("xmlns:dcterms", "http://purl.org/dc/terms/");
    writer.attribute("xmlns:dcmitype", "http://purl.org/dc/dcmitype/");
    writer.attribute("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance");
    writer.element("dc:creator", creator);
    writer.element("cp:lastModifiedBy", creator);
    for (const std::string_view name : {"dcterms:created", "dcterms:modified"}) {
        writer.start(name);
        writer.attribute("xsi:type", "dcterms:W3CDTF");
        writer.text(timestamp);
        writer.end();
    }
    writer.end();
}

void write_app_properties(xml_writer& writer, const package_contents& contents) {
    const auto sheet_count = static_cast<std::int64_t>(contents.sheets.size());
    writer.prolog();
    writer.start("Properties");
    writer.attribute("xmlns", "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties");
    writer.attribute("xmlns:vt", "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes");
    writer.element("Application", "Microsoft Excel");
    writer.element("DocSecurity", "0");
    writer.element("ScaleCrop", "false");
    writer.start("HeadingPairs");
    writer.start("vt:vector");
    writer.attribute("size", 2);
    writer.attribute("baseType", "variant");
    writer.start("vt:variant");
    writer.element("vt:lpstr", "Worksheets");
    writer.end();
    writer.start("vt:variant");
    writer.element("vt:i4", std::to_string(sheet_count));
    writer.end();
    writer.end();
    writer.end();
    writer.start("TitlesOfParts");
    writer.start("vt:vector");
    writer.attribute("size", sheet_count);
    writer.attribute("baseType", "lpstr");
    for (const sheet_entry& sheet : contents.sheets) writer.element("vt:lpstr", sheet.title);
    writer.end();
    writer.end();
    writer.element("Company", "");
    writer.element("LinksUpToDate", "false");
    writer.element("SharedDoc", "false");
    writer.element("HyperlinksChanged", "false");
    writer.element("AppVersion", "14.0300");
    writer.end();
}

void write_theme(xml_writer& writer) {
    writer.prolog();
    writer.start("a:theme");
    writer.attribute("xmlns:a", drawing_namespace);
    writer.attribute("name", "Office Theme");
    writer.start("a:themeElements");
    write_color_scheme(writer);
    write_font_scheme(writer);
    write_format_scheme(writer);
    writer.end();
    write_empty(writer, "a:objectDefaults");
    write_empty(writer, "a:extraClrSchemeLst");
    writer.end();
}

void write_custom_properties(xml_writer& writer, const package_contents& contents) {
    writer.prolog();
    writer.start("Properties");
    writer.attribute("xmlns", "http://schemas.openxmlformats.org/officeDocument/2006/custom-properties");
    writer.attribute("xmlns:vt", "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes");
    writer.start("property");
    // the format id of user-defined properties; ids start at 2
    writer.attribute("fmtid", "{D5CDD505-2E9C-101B-9397-08002B2CF9AE}");
    writer.attribute("pid", 2);
    writer.attribute("name", origin_property_name);
    writer.element("vt:lpwstr", contents.origin);
    writer.end();
    writer.end();
}

