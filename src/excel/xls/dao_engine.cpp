// The .xls driver's engine: version loading and the creation of workbook databases.
#include "excel/xls/dao_engine.h"

#include "excel/xls/dao_database.h"
#include "excel/xls/dao_exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

namespace {

constexpr int engine_versions = 4;  // DAO 3.6, 3.5, 3.0 and ACE 12: all served by our driver

biff_version version_of(const std::string& connect) {
    const std::string format = trim(connect.substr(0, connect.find(';')));
    if (iequals(format, "Excel 8.0")) return biff_version::biff8;
    if (iequals(format, "Excel 5.0")) return biff_version::biff5;
    throw dao_exception(dao_error::no_installable_isam, "Could not find installable ISAM.");
}

}  // namespace

dao_engine::dao_engine(bool b_keep_com) : b_keep_com_(b_keep_com) { TK_LOG(2, "dao_engine::ctor"); }

dao_engine::~dao_engine() {
    TK_LOG(2, "dao_engine::dtor");
    if (version_ != no_version) TK_LOG(2, "dao_engine::uninitialize");
}

bool dao_engine::set_version_if(int version) {
    TK_LOG(2, "dao_engine::set_version_if(%d)", version);
    if (version_ != no_version) {
        TK_LOG(2, "dao_engine::uninitialize");
        version_ = no_version;
    }
    TK_ASSERT(version >= 0 && version < engine_versions);
    version_ = version;
    return true;
}

std::unique_ptr<dao_database> dao_engine::make(const std::string& path, const std::string& connect, int mode) {
    TK_ASSERT(version_ != no_version);
    return std::make_unique<dao_database>(path, version_of(connect), mode);
}

std::unique_ptr<dao_database> dao_engine::create_dao_src(const std::string& path, const std::string& connect) {
    TK_LOG(2, "dao_engine::create_dao_src(%s, %s)", path.c_str(), connect.c_str());
    return make(path, connect, dao_mode::created);
}
