// The command line of sprandel-cli.
#pragma once

#include <string>

#include "wizard/run_outcome.h"  // the exit statuses

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
