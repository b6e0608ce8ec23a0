// The .xls driver's engine: loaded once per run, it creates the workbook databases that
// the run fills sheet by sheet. One instance per process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "records/udb_database.h"
#include "toolkit/singleton.h"

class dao_database;

// Database mode bits.
namespace dao_mode {
inline constexpr int read_only = 1;
inline constexpr int exclusive = 16;
inline constexpr int created = 114;     // how a new workbook is created
}  // namespace dao_mode

class dao_engine : public tk_singleton<dao_engine> {
public:
    static constexpr int no_version = 4;

    explicit dao_engine(bool b_keep_com = false);
    ~dao_engine();

    // Loads engine version 0-3 (the run asks for 0); any other is an internal error.
    bool set_version_if(int version);
    int version() const noexcept { return version_; }

    // A new workbook at path in the format the connect string names ("Excel 5.0;" or
    // "Excel 8.0;"); nothing is on disk until the database is closed.
    std::unique_ptr<dao_database> create_dao_src(const std::string& path, const std::string& connect);

private:
    std::unique_ptr<dao_database> make(const std::string& path, const std::string& connect, int mode);

    int version_ = no_version;
    bool b_keep_com_;
};
