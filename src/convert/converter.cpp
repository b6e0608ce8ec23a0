// Converter fields and the log-file check.
#include "convert/converter.h"

#include <filesystem>

#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"

void tk_converter::set_logfile(const std::string& name) {
    TK_LOG(2, "tk_convertor::set_logfile(%s)", name.c_str());
    logfile = name;
    if (name.empty()) {
        TK_LOG(1, "Filename is empty");
        return;
    }
    if (tk_is_path_exist(name))
        throw tk_exception("Logfile name specifies an existing path.", tk_level_serious);
    // Logging truncates its file: the job and its workbook must never be that file.
    if (!profile_file.empty() && tk_is_same_file(name, profile_file))
        throw tk_exception("Logfile name specifies the profile.", tk_level_serious);
    if (!dest.empty() && tk_is_same_file(name, dest))
        throw tk_exception("Logfile name specifies the destination workbook.", tk_level_serious);
    if (std::error_code error; std::filesystem::exists(name, error) && !tk_is_file_exist(name, 1))
        throw tk_exception("Logfile name specifies an existing read-only file.", tk_level_serious);
    if (!tk_is_path_exist(tk_file_name(name).folder()))
        throw tk_exception("Logfile path does not exist.\nPlease verify the correct path was given.",
                           tk_level_serious);
    tk_log& log = tk_log::instance();
    log.set_file_name(name);
    log.reset_truncation();
    log.enable(true);
}

bool xls_converter::test_query(const std::string&) { return false; }
