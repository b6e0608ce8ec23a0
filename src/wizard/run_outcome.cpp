// The outcome of a run.
#include "wizard/run_outcome.h"

#include <filesystem>

#include "convert/conversion_run.h"
#include "toolkit/system.h"

namespace {

// " DEST was left as it was." when an earlier workbook is there and this run wrote none.
// (Built by appending: GCC 12 sees a false overlap in a literal plus a string.)
std::string kept_text(const std::string& destination, bool written) {
    std::error_code ignored;
    if (written || !std::filesystem::exists(tk_system_path(destination), ignored)) return {};
    std::string text(1, ' ');
    text += destination;
    text += " was left as it was.";
    return text;
}

}  // namespace

run_outcome judge_run(const conversion_run& run, bool had_internal_error, bool interrupted) {
    run_outcome outcome;
    const std::string& destination = run.work().destination;
    outcome.workbook_written = !run.written_workbooks().empty();
    if (had_internal_error) {
        outcome.exit_status = exit_could_not_run;
        outcome.workbook_written = false;
        outcome.shortfall = "The run ended with an internal error; no workbook was written.";
        return outcome;
    }
    // Nothing reaches the destination unless a run put it there; say when an earlier
    // workbook was kept.
    const std::string kept = kept_text(destination, outcome.workbook_written);
    if (run.was_stopped()) {
        // An .xls run keeps the items it finished; an .xlsx package is written whole or not at all.
        outcome.exit_status = exit_could_not_run;
        outcome.shortfall = "The conversion did not complete";
        if (interrupted) outcome.shortfall += " (interrupted)";
        if (outcome.workbook_written) {
            outcome.shortfall += "; ";
            outcome.shortfall += destination;
            outcome.shortfall += " holds the items converted before the stop.";
        } else {
            outcome.shortfall += "; no workbook was written.";
            outcome.shortfall += kept;
        }
        return outcome;
    }
    if (run.items_converted() == 0) {
        outcome.exit_status = exit_could_not_run;
        if (outcome.workbook_written) {
            outcome.shortfall = "No selected table or query was converted completely; ";
            outcome.shortfall += destination;
            outcome.shortfall += " holds what could be read.";
        } else {
            outcome.shortfall = "No workbook was written: no selected table or query could be converted.";
            outcome.shortfall += kept;
        }
        return outcome;
    }
    outcome.exit_status = run.errors().total() == 0 ? exit_clean : exit_with_errors;
    return outcome;
}
