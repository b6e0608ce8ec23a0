// The styles part: fonts, fills, borders, number formats and the cell formats built on them.
#include "excel/xlsx/xlsx_styles.h"

#include "excel/xlsx/xml_writer.h"

namespace {

// Number formats from this id up are the workbook's own; lower ids are built in.
constexpr std::int64_t first_custom_format = 164;
constexpr std::string_view header_shade = "FFD9D9D9";  // light grey behind the header names

enum font_id : std::int64_t { regular_font = 0, bold_font = 1 };
enum fill_id : std::int64_t { no_fill = 0, reserved_gray125_fill = 1, header_fill = 2 };
enum border_id : std::int64_t { no_border = 0, thin_frame = 1 };

void write_number_formats(xml_writer& writer) {
    const std::string_view formats[] = {xlsx_date_format, xlsx_date_time_format, xlsx_date_time_ms_format};
    writer.start("numFmts");
    writer.attribute("count", static_cast<std::int64_t>(std::size(formats)));
    for (std::size_t i = 0; i < std::size(formats); ++i) {
        writer.start("numFmt");
        writer.attribute("numFmtId", first_custom_format + static_cast<std::int64_t>(i));
        writer.attribute("formatCode", formats[i]);
        writer.end();
    }
    writer.end();
}

void write_font(xml_writer& writer, bool is_bold) {
    writer.start("font");
    if (is_bold) {
        writer.start("b");
        writer.end();
    }
    writer.start("sz");
    writer.attribute("val", 11);
    writer.end();
    writer.start("color");
    writer.attribute("theme", 1);
    writer.end();
    writer.start("name");
    writer.attribute("val", "Calibri");
    writer.end();
    writer.start("family");
    writer.attribute("val", 2);
    writer.end();
    writer.start("scheme");
    writer.attribute("val", "minor");
    writer.end();
    writer.end();
}

void write_fonts(xml_writer& writer) {
    writer.start("fonts");
    writer.attribute("count", 2);
    write_font(writer, false);
    write_font(writer, true);
    writer.end();
}

void write_pattern_fill(xml_writer& writer, std::string_view pattern, std::string_view color) {
    writer.start("fill");
    writer.start("patternFill");
    writer.attribute("patternType", pattern);
    if (!color.empty()) {
        writer.start("fgColor");
        writer.attribute("rgb", color);
        writer.end();
        writer.start("bgColor");
        writer.attribute("indexed", 64);
        writer.end();
    }
    writer.end();
    writer.end();
}

void write_fills(xml_writer& writer) {
    writer.start("fills");
    writer.attribute("count", 3);
    write_pattern_fill(writer, "none", {});
    write_pattern_fill(writer, "gray125", {});  // readers expect it second, whether used or not
    write_pattern_fill(writer, "solid", header_shade);
    writer.end();
}

void write_border(xml_writer& writer, bool is_framed) {
    writer.start("border");
    for (const std::string_view edge : {"left", "right", "top", "bottom"}) {
        writer.start(edge);
        if (is_framed) {
            writer.attribute("style", "thin");
            writer.start("color");
            writer.attribute("indexed", 64);
            writer.end();
        }
        writer.end();
    }
    writer.start("diagonal");
    writer.end();
    writer.end();
}

void write_borders(xml_writer& writer) {
    writer.start("borders");
    writer.attribute("count", 2);
    write_border(writer, false);
    write_border(writer, true);
    writer.end();
}

struct cell_format {
    std::int64_t number_format;
    std::int64_t font;
    std::int64_t fill;
    std::int64_t border;
    std::string_view horizontal;
    bool is_wrapped;
};

// In the order of xlsx_style.
constexpr cell_format cell_formats[] = {
    {0, regular_font, no_fill, no_border, {}, false},
    {0, bold_font, header_fill, thin_frame, "center", false},
    {0, regular_font, no_fill, no_border, {}, true},
    {first_custom_format, regular_font, no_fill, no_border, {}, false},
    {first_custom_format + 1, regular_font, no_fill, no_border, {}, false},
    {first_custom_format + 2, regular_font, no_fill, no_border, {}, false},
};

void write_cell_format(xml_writer& writer, const cell_format& format) {
    writer.start("xf");
    writer.attribute("numFmtId", format.number_format);
    writer.attribute("fontId", format.font);
    writer.attribute("fillId", format.fill);
    writer.attribute("borderId", format.border);
    writer.attribute("xfId", 0);
    if (format.number_format != 0) writer.attribute("applyNumberFormat", 1);
    if (format.font != regular_font) writer.attribute("applyFont", 1);
    if (format.fill != no_fill) writer.attribute("applyFill", 1);
    if (format.border != no_border) writer.attribute("applyBorder", 1);
    if (!format.horizontal.empty() || format.is_wrapped) {
        writer.attribute("applyAlignment", 1);
        writer.start("alignment");
        if (!format.horizontal.empty()) writer.attribute("horizontal", format.horizontal);
        if (format.is_wrapped) writer.attribute("wrapText", 1);
        writer.end();
    }
    writer.end();
}

void write_cell_formats(xml_writer& writer) {
    writer.start("cellStyleXfs");
    writer.attribute("count", 1);
    writer.start("xf");
    writer.attribute("numFmtId", 0);
    writer.attribute("fontId", 0);
    writer.attribute("fillId", 0);
    writer.attribute("borderId", 0);
    writer.end();
    writer.end();
    writer.start("cellXfs");
    writer.attribute("count", static_cast<std::int64_t>(std::size(cell_formats)));
    for (const cell_format& format : cell_formats) write_cell_format(writer, format);
    writer.end();
}

void write_named_styles(xml_writer& writer) {
    writer.start("cellStyles");
    writer.attribute("count", 1);
    writer.start("cellStyle");
    writer.attribute("name", "Normal");
    writer.attribute("xfId", 0);
    writer.attribute("builtinId", 0);
    writer.end();
    writer.end();
    writer.start("dxfs");
    writer.attribute("count", 0);
    writer.end();
    writer.start("tableStyles");
    writer.attribute("count", 0);
    writer.attribute("defaultTableStyle", "TableStyleMedium2");
    writer.attribute("defaultPivotStyle", "PivotStyleLight16");
    writer.end();
}

}  // namespace

void write_styles_part(xml_writer& writer) {
    writer.prolog();
    writer.start("styleSheet");
    writer.attribute("xmlns", "http://schemas.openxmlformats.org/spreadsheetml/2006/main");
    write_number_formats(writer);
    write_fonts(writer);
    write_fills(writer);
    write_borders(writer);
    write_cell_formats(writer);
    write_named_styles(writer);
    writer.end();
}

