// What a finished run comes to, in the words and exit status both programs use.
#pragma once

#include <string>

class conversion_run;

inline constexpr int exit_clean = 0;          // converted without errors
inline constexpr int exit_with_errors = 1;    // converted, but some rows or items failed
inline constexpr int exit_could_not_run = 2;  // nothing converted, or the run was stopped

struct run_outcome {
    int exit_status = exit_clean;
    bool workbook_written = false;  // the destination holds this run's workbook
    // Why the run fell short and what the destination holds now; empty when every item
    // was converted (the error list tells the rest).
    std::string shortfall;
};

// had_internal_error: the error handler met one; interrupted: the user asked the program to
// stop (Ctrl-C, a signal), which the text mentions.
run_outcome judge_run(const conversion_run& run, bool had_internal_error, bool interrupted);
