// Sheet and header names of a run.
#include "convert/sheet_names.h"

#include "excel/xls/code_page_1252.h"
#include "oracle/table_reader.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

std::vector<std::string> header_names(const std::vector<column_info>& columns, std::size_t count) {
    std::vector<std::string> names;
    names.reserve(count);
    name_validator taken;
    for (std::size_t i = 0; i < count; ++i) taken.add_existing_name(columns[i].name);
    std::unordered_set<std::string> seen;  // case-folded
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = columns[i].name;
        if (!seen.insert(fold_case(name)).second) {
            name = taken.get_safe_name(name);
            taken.add_existing_name(name);
            seen.insert(fold_case(name));
        }
        names.push_back(std::move(name));
    }
    return names;
}

sheet_namer::sheet_namer(workbook_format format, const std::vector<std::string>& selected_tables,
                         const std::vector<std::string>& source_tables)
    : format_(format), validator_(selected_tables, source_tables) {}

std::string sheet_namer::sheet_name(const std::string& item_name) const {
    // Excel 5.0 stores names in code page 1252: check the name it will store.
    std::string name = format_ == workbook_format::excel_50 ? biff5_sheet_name(item_name) : item_name;
    if (!validator_.is_acceptable(name) || used_.count(fold_case(name)) != 0) name = validator_.get_safe_name(name);
    if (name != item_name) TK_LOG(1, "Sheet of '%s' is named '%s'", item_name.c_str(), name.c_str());
    return name;
}

void sheet_namer::take(const std::string& sheet_name) {
    validator_.add_existing_name(sheet_name);
    used_.insert(fold_case(sheet_name));
}
