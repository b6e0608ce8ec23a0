// The format objects and the patch of finished .xls files.
#include "excel/xls_engine.h"

#include <memory>

#include "excel/xls/compound_file_reader.h"
#include "excel/xls/xls_patch.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"

xls_engine::xls_engine(std::string version_name, std::string connect_string, std::string description,
                       std::uint32_t max_rows)
    : version_name_(std::move(version_name)),
      connect_string_(std::move(connect_string)),
      description_(std::move(description)),
      max_rows_(max_rows) {
    TK_LOG(2, "xls_engine::ctor(%s, %s)", version_name_.c_str(), connect_string_.c_str());
}

bool xls_engine::patch(const std::string& path) {
    TK_LOG(2, "xls_engine::patch");
    std::unique_ptr<compound_file> document;
    try {
        document = std::make_unique<compound_file>(path, compound_file::access::read_write);
    } catch (const compound_file_error& error) {
        TK_LOG(3, "Failed to open OLE document");
        TK_LOG(1, "%s", error.what());
        return false;
    }
    // the same order for both formats: the BIFF5 name first
    const std::u16string_view name = document->has_stream(u"Book")       ? u"Book"
                                     : document->has_stream(u"Workbook") ? u"Workbook"
                                                                         : u"";
    if (name.empty()) {
        TK_LOG(3, "Stream not found");
        return false;
    }
    std::unique_ptr<compound_stream> stream;
    try {
        stream = std::make_unique<compound_stream>(document->open_stream(name));
    } catch (const compound_file_error& error) {
        TK_LOG(3, "Stream not found");
        TK_LOG(1, "%s", error.what());
        return false;
    }
    do_patch(*stream);
    return true;  // written in place: there is nothing to commit
}

namespace {

// What the settings page shows for each .xls format.
const char* biff_description(biff_version version) {
    return version == biff_version::biff5
               ? "Destination spreadsheet will be saved in MS Excel 5.0 format.\nAll strings will be cut to "
                 "255 symbols."
               : "Destination spreadsheet will be saved in MS Excel 2000 format.\nEach worksheet can contain "
                 "not more than 65535 rows.";
}

}  // namespace

xls_engine_biff::xls_engine_biff(biff_version version)
    : xls_engine(version == biff_version::biff5 ? "Excel 5.0" : "Excel 2000",
                 version == biff_version::biff5 ? "Excel 5.0;" : "Excel 8.0;", biff_description(version),
                 version == biff_version::biff5 ? 16383 : 65535),
      version_(version) {}

void xls_engine_biff::do_patch(compound_stream& stream) {
    TK_LOG(2, "xls_engine_biff::do_patch(%s)", version_name().c_str());
    for (const std::uint32_t offset : xls_patch_globals(stream, version_, b_wrap_text)) {
        TK_LOG(1, "patch sheet at %X", offset);
        xls_patch_sheet(stream, version_, offset);
    }
}

xls_engine_2010::xls_engine_2010()
    : xls_engine("Excel 2010", "Excel 12.0;",
                 "Destination spreadsheet will be saved in MS Excel 2010 format.\nYou will not be able to open "
                 "it with earlier versions of MS Excel.",
                 1'048'575) {
    TK_LOG(2, "xls_engine_2010::ctor");
}

void xls_engine_2010::do_patch(compound_stream&) { TK_LOG(2, "xls_engine_2010::do_patch"); }
