// The command line of sprandel-cli.
#pragma once

#include <string>

inline constexpr int exit_clean = 0;          // converted without errors
inline constexpr int exit_with_errors = 1;    // converted, but some rows or items failed
inline constexpr int exit_could_not_run = 2;  // nothing converted, or the run was stopped

struct command_line {
    std::string profile;
    std::string log_file;
    bool abort_on_error = false;
    bool show_help = false;
    bool show_version = false;
};

// False with a reason for anything it cannot take.
bool parse_command_line(int argc, const char* const* argv, command_line& options, std::string& problem);
std::string usage_text();
