// workbook_set: the workbooks one run writes: the destination and, when a table outgrows a
// sheet and "split data" is set, the part workbooks name(1).ext, name(2).ext ... beside it.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "excel/workbook_writer.h"
#include "toolkit/files.h"

// Makes the writer of one workbook; the run takes make_workbook_writer, tests their own.
using writer_factory = std::function<std::unique_ptr<workbook_writer>(
    workbook_format, std::filesystem::path output, std::string display_name, const workbook_options&)>;

// Every workbook is written under a temporary name in the destination's folder; the earlier
// destination and its part workbooks stay untouched until publish() renames the new ones
// over them, so a run that fails or dies changes nothing at the destination.
class workbook_set {
public:
    // Takes the destination's lock (throws tk_exception when another run holds it), unless
    // the caller hands over the one it holds, then removes the temporary files an earlier
    // run of this destination left behind.
    workbook_set(std::string destination, workbook_format format, workbook_options options, writer_factory make,
                 std::unique_ptr<tk_destination_lock> held_lock = nullptr);
    // Removes every file not published.
    ~workbook_set();
    workbook_set(const workbook_set&) = delete;
    workbook_set& operator=(const workbook_set&) = delete;

    // The main workbook (part 0) or part n >= 1, opened when first asked for. Throws
    // tk_exception when part n's name holds a file that is not this destination's part.
    workbook_writer& workbook(int part);
    // Completes the sheet just filled. A part workbook is left for good unless a later
    // table grows as long: what it holds in memory is given back, so a split run stays as
    // small as one part.
    void finish_sheet(int part);
    // Writes every open workbook, still under its temporary name; throws for the first that
    // cannot be written, after trying the others. A workbook a stop left without a sheet
    // is dropped: there is nothing to put in the place of an earlier one.
    void complete_all();
    // Renames the completed workbooks over their destinations, parts first and the main
    // workbook last, and removes the part workbooks of an earlier run of this destination
    // that this run did not write again (only files marked as such). Either all of it
    // happens or, when a step fails, every earlier file is put back before the error is
    // thrown. Without a complete main workbook nothing is published. Returns the paths
    // written, main workbook first.
    std::vector<std::string> publish();
    // Leaves the sheet of that name out of every open workbook (a stopped item).
    void drop_sheet(const std::string& sheet_name) noexcept;
    // Writes nothing at all: after an internal error no workbook of the run may appear.
    void abandon_all() noexcept;

    // Part n's path: the destination's file name followed by "(n)", same folder and extension.
    static std::string part_path(const std::string& destination, int part);
    // The origin mark of part n of destination: it names the program, the destination's file
    // name and the part, so only this destination's own parts are ever recognised.
    static std::string origin_mark(const std::string& destination, int part);

    // The refusal of a file that has part n's name but is not this destination's part.
    static std::string foreign_part_text(const std::string& path, const std::string& destination);

private:
    struct staged_workbook {
        std::string target;     // the file the part's name leads to through symbolic links
        std::string temporary;  // created empty beside target when opened; the writer fills it
        std::unique_ptr<workbook_writer> writer;
        bool is_complete = false;
    };
    // The part workbooks of an earlier run from first_part on.
    std::vector<std::string> earlier_parts_from(int first_part) const;

    std::string destination_;
    std::string target_;        // the file the destination leads to through symbolic links
    std::unique_ptr<tk_destination_lock> lock_;  // before any file of the run is made
    workbook_format format_;
    workbook_options options_;
    writer_factory make_;
    std::vector<staged_workbook> books_;  // index = part number
};
