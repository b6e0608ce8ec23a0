// The writer of each workbook format.
#include "excel/workbook_writer.h"

#include "excel/xls/xls_workbook_writer.h"
#include "excel/xlsx/xlsx_workbook_writer.h"

std::unique_ptr<workbook_writer> make_workbook_writer(workbook_format format, std::filesystem::path output,
                                                      std::string display_name, const workbook_options& options) {
    switch (format) {
    case workbook_format::excel_50:
    case workbook_format::excel_2000:
        return make_xls_workbook_writer(format, std::move(output), std::move(display_name), options);
    case workbook_format::excel_2010:
        return make_xlsx_workbook_writer(std::move(output), std::move(display_name), options);
    }
    return make_xlsx_workbook_writer(std::move(output), std::move(display_name), options);
}
