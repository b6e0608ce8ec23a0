// Quick launch: everything between a profile name and the start of its run, shared by the
// console and the wizard.
#pragma once

#include <functional>
#include <string>

class error_handler;
class job_session;
class user_interface;

enum class quick_launch_status {
    ready,              // connected, tables listed, destination cleared: the run may start
    refused,            // the profile or the destination cannot be used; the user was told
    connection_failed,  // the connection failed; the user was told
    interrupted,        // the user asked to stop before the run began; nothing was changed
};

struct quick_launch_steps {
    std::string log_file;  // empty: logging stays as it is
    // Connects to the profile's database; the wizard does it under its animation. True when
    // connected; on false the step has told the user. Empty: connect directly, errors through
    // the error handler.
    std::function<bool()> connect;
    // Asked after connecting; true stops before the destination is touched.
    std::function<bool()> stop_requested;
};

// Loads the profile, checks that it names a destination and a selection, connects, lists the
// tables and checks and clears the destination. Every failure is shown to the user here.
quick_launch_status prepare_quick_launch(job_session& session, const std::string& profile, user_interface& face,
                                         error_handler& handler, const quick_launch_steps& steps = {});
