// What the settings page shows for each workbook format.
#include "excel/workbook_format.h"

std::string_view format_name(workbook_format format) noexcept {
    switch (format) {
    case workbook_format::excel_50: return "Excel 5.0";
    case workbook_format::excel_2000: return "Excel 2000";
    case workbook_format::excel_2010: return "Excel 2010";
    }
    return "Excel 2010";
}

std::string_view format_description(workbook_format format) noexcept {
    switch (format) {
    case workbook_format::excel_50:
        return "Destination spreadsheet will be saved in MS Excel 5.0 format.\nAll strings will be cut to 255 symbols.";
    case workbook_format::excel_2000:
        return "Destination spreadsheet will be saved in MS Excel 2000 format.\nEach worksheet can contain not more "
               "than 65535 rows.";
    case workbook_format::excel_2010:
        return "Destination spreadsheet will be saved in MS Excel 2010 format.\nYou will not be able to open it with "
               "earlier versions of MS Excel.";
    }
    return "";
}
