// The command line of sprandel-cli.
#include "cli/command_line.h"

#include <string_view>

bool parse_command_line(int argc, const char* const* argv, command_line& options, std::string& problem) {
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!options_ended && argument == "--") {
            options_ended = true;
        } else if (!options_ended && (argument == "--help" || argument == "-h")) {
            options.show_help = true;
        } else if (!options_ended && argument == "--version") {
            options.show_version = true;
        } else if (!options_ended && argument == "--abort-on-error") {
            options.abort_on_error = true;
        } else if (!options_ended && argument == "--log") {
            if (i + 1 == argc) {
                problem = "--log needs a file name.";
                return false;
            }
            options.log_file = argv[++i];
        } else if (!options_ended && argument.starts_with("--log=")) {
            options.log_file = std::string(argument.substr(6));
        } else if (!options_ended && argument.starts_with("-") && argument.size() > 1) {
            problem = "unknown option " + std::string(argument) + ".";
            return false;
        } else if (options.profile.empty()) {
            options.profile = argument;
        } else {
            problem = "one job profile at a time (got " + options.profile + " and " + std::string(argument) + ").";
            return false;
        }
    }
    if (options.profile.empty() && !options.show_help && !options.show_version) {
        problem = "no job profile given.";
        return false;
    }
    return true;
}

std::string usage_text() {
    return "usage: sprandel-cli [--abort-on-error] [--log FILE] JOB.spr\n"
           "       sprandel-cli --help | --version\n"
           "\n"
           "Runs the conversion job saved in JOB.spr: connects to its Oracle database, copies the\n"
           "selected tables and queries into its workbook, and lists the errors at the end.\n"
           "\n"
           "  --abort-on-error  stop at the first failed row or table instead of listing it\n"
           "  --log FILE        write the trace log to FILE (replaces the profile's log file)\n"
           "\n"
           "Exit status: 0 converted without errors, 1 converted with errors listed,\n"
           "2 could not run or was stopped (Ctrl-C); the workbook is then left as it was.\n";
}
