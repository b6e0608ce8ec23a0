// The outcome of a run.
#include "wizard/run_outcome.h"

#include <filesystem>

#include "convert/conversion_run.h"

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
    std::error_code ignored;
    std::string kept;
    if (!outcome.workbook_written && std::filesystem::exists(destination, ignored)) {
        kept = " ";
        kept += destination;
        kept += " was left as it was.";
    }
    const std::string how = interrupted ? " (interrupted)" : "";
    if (run.was_stopped()) {
        // An .xls run keeps the items it finished; an .xlsx package is written whole or not at all.
        outcome.exit_status = exit_could_not_run;
        outcome.shortfall = "The conversion did not complete" + how;
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
