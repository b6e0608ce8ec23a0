// The destination check.
#include "convert/destination_check.h"

#include <cerrno>
#include <filesystem>

#include "convert/job.h"
#include "convert/workbook_set.h"
#include "excel/workbook_origin.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/system.h"
#include "toolkit/text.h"

namespace {

const char* special_file_kind(tk_file_kind kind) {
    if (kind == tk_file_kind::fifo) return "a FIFO (named pipe)";
    if (kind == tk_file_kind::device) return "a device";
    if (kind == tk_file_kind::socket) return "a socket";
    return "not a regular file";
}

}  // namespace

void common_check_dest(const std::string& path) {
    TK_LOG(2, "%s(%s)", __func__, path.c_str());
    const tk_file_kind kind = path.empty() ? tk_file_kind::missing : tk_kind_of(path);
    const bool exists = kind != tk_file_kind::missing;
    // An empty name or one ending in a separator can only mean a folder; an empty one would
    // otherwise stand for the program itself.
    if (path.empty() || tk_is_path_separator(path.back()) || kind == tk_file_kind::folder)
        throw tk_exception("Destination name should specify a file, not folder.", tk_level_serious);
    // A workbook is renamed into place: a FIFO or a device would be replaced by a file, or
    // (seen as read-only) refused for the wrong reason.
    if (exists && kind != tk_file_kind::regular)
        throw tk_exception("The destination " + path + " is " + special_file_kind(kind) +
                               ", not a workbook file. Choose the name of a workbook file.",
                           tk_level_serious);
    if (exists && !tk_is_file_exist(path, 1))
        throw tk_exception("Destination name specifies an existing read-only file.", tk_level_serious);
    const std::string folder = tk_file_name(path).folder();
    if (!tk_is_path_exist(folder))
        throw tk_exception("Destination path does not exist.\nPlease verify the correct path was given.",
                           tk_level_serious);
    // The workbook is written beside its destination and renamed into place: a folder that
    // takes no new file would fail only after every table had been read. Trying is the one
    // sure test (permissions, read-only mounts, access rules all have their say).
    int error_number = 0;
    const std::string probe = tk_try_create_temporary_beside(tk_link_target(path), error_number);
    if (probe.empty())
        throw tk_exception_ex(error_number, "Cannot write into the destination folder " + folder + ": ",
                              tk_level_serious);
    tk_remove_file_name(probe);
}

void common_check_dest(const std::string& path, workbook_format format) {
    common_check_dest(path);
    const std::string extension = tk_file_name(path).ext;
    const bool is_xls = iequals(extension, ".xls"), is_xlsx = iequals(extension, ".xlsx");
    const bool excel_2010 = format == workbook_format::excel_2010;
    if ((is_xls && excel_2010) || (is_xlsx && !excel_2010))
        throw tk_exception("The destination " + path + " has the extension " + extension + ", but the format " +
                               std::string(format_name(format)) + " writes " + (excel_2010 ? ".xlsx" : ".xls") +
                               " workbooks.\nChoose a name ending in " + (excel_2010 ? ".xlsx" : ".xls") +
                               " or another format.",
                           tk_level_serious);
}

namespace {

// A run with split data may write name(1).ext, name(2).ext ...: a file of such a name that
// an earlier run of this destination did not write is the user's, and a name the file
// system cannot hold would fail only after every table had been read.
void check_part_names(const std::string& destination) {
    const std::string first_part = workbook_set::part_path(destination, 1);
    const tk_file_name first(first_part);
    const long name_max = tk_longest_name(first.folder());
    const std::size_t leaf_size = first.fname.size() + first.ext.size();
    if (name_max > 0 && leaf_size > static_cast<std::size_t>(name_max))
        throw tk_exception("The part workbooks of " + destination + " would have names too long for the file system (" +
                               std::to_string(leaf_size) + " bytes for " + first_part + ", at most " +
                               std::to_string(name_max) + "). Choose a shorter name or turn split data off.",
                           tk_level_serious);
    const tk_file_name main(destination);
    const std::string prefix = main.fname + "(";
    std::error_code error;
    for (std::filesystem::directory_iterator it(tk_system_path(main.folder()), error), end; !error && it != end;
         it.increment(error)) {
        const std::string leaf = tk_path_text(it->path().filename());
        if (!leaf.starts_with(prefix) || !leaf.ends_with(")" + main.ext)) continue;
        const std::string number = leaf.substr(prefix.size(), leaf.size() - prefix.size() - main.ext.size() - 1);
        if (number.empty() || number.size() > 9 || number[0] == '0' ||
            number.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const int part = std::stoi(number);
        const std::string path = workbook_set::part_path(destination, part);
        if (read_workbook_origin(path) != workbook_set::origin_mark(destination, part))
            throw tk_exception(workbook_set::foreign_part_text(path, destination), tk_level_serious);
    }
}

}  // namespace

void check_job_destination(const job& work) {
    TK_LOG(2, "%s(%s)", __func__, work.destination.c_str());
    common_check_dest(work.destination, work.format);
    if (work.split_data) check_part_names(work.destination);
    // The log and the job are files of their own; a run must never write over them.
    if (!work.log_file.empty() && tk_is_same_file(work.destination, work.log_file))
        throw tk_exception("Destination name specifies the log file.", tk_level_serious);
    if (!work.profile_path.empty() && tk_is_same_file(work.destination, work.profile_path))
        throw tk_exception("Destination name specifies the profile.", tk_level_serious);
    // A run under way is found before the server is asked anything; the run itself takes
    // the lock again for its whole length.
    const tk_destination_lock probe(tk_link_target(work.destination));
}
