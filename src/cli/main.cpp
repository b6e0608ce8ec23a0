// sprandel-cli: runs a saved job unattended, for servers and cron.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "cli/console_user_interface.h"
#include "cli/command_line.h"
#include "convert/error_handler.h"
#include "convert/error_tables.h"
#include "convert/sprandel_convertor.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "wizard/quick_launch.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void on_interrupt(int) { interrupted = 1; }

// Thrown by the error handler's exit hook after an internal error, so that everything
// unwinds and no temporary workbook is left behind.
struct internal_error_exit {};

// The run's worker: the converter is the job, owned by main.
class run_thread : public tk_thread {
public:
    explicit run_thread(sprandel_convertor& converter) : converter_(converter) {}

protected:
    tk_thread_functor* create_functor() override {
        owns_functor_ = false;
        return &converter_;
    }

private:
    sprandel_convertor& converter_;
};

void install_interrupt_handlers() {
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Everything up to the start of the run: profile, log, connection, table list, destination.
// A failure has been shown and ends the program with "could not run".
bool prepare(sprandel_convertor& converter, const command_line& options, console_user_interface& face) {
    quick_launch_steps steps;
    steps.log_file = options.log_file;
    steps.stop_requested = [] { return interrupted != 0; };
    return prepare_quick_launch(converter, options.profile, face, steps) == quick_launch_status::ready;
}

int run(sprandel_convertor& converter, console_user_interface& face) {
    run_thread worker(converter);
    worker.start();
    bool stop_sent = false;
    while (worker.is_running()) {
        if (interrupted && !stop_sent) {
            face.message("Stopping at the next row...");
            converter.request_stop();
            stop_sent = true;
        }
        face.draw_progress(converter.percent_done(), converter.current_name());
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    worker.join();
    face.end_progress();

    const auto errors = face.error_texts();
    if (!errors.empty()) {
        std::fprintf(stderr, "\n%zu error%s during the run%s:\n", errors.size(), errors.size() == 1 ? "" : "s",
                     errors.size() == user_interface::max_error_texts ? " (only the first are listed)" : "");
        for (const std::string& text : errors) std::fprintf(stderr, "  %s\n", text.c_str());
    }
    if (converter.stopped.load()) {
        // An .xls run keeps the items it finished; an .xlsx package is written whole or not at all.
        std::error_code ignored;
        if (std::filesystem::exists(converter.dest, ignored))
            std::fprintf(stderr, "The conversion did not complete%s; %s holds the items converted before the stop.\n",
                         interrupted ? " (interrupted)" : "", converter.dest.c_str());
        else
            std::fprintf(stderr, "The conversion did not complete%s; no workbook was written.\n",
                         interrupted ? " (interrupted)" : "");
        return exit_could_not_run;
    }
    std::error_code ignored;
    if (!std::filesystem::exists(converter.dest, ignored)) {
        // every item failed: there was nothing to put in a workbook
        std::fprintf(stderr, "No workbook was written: no selected table or query could be converted.\n");
        return exit_with_errors;
    }
    std::printf("Workbook written: %s\n", std::filesystem::absolute(converter.dest).c_str());
    return face.error_count() == 0 && errors.empty() ? exit_clean : exit_with_errors;
}

}  // namespace

int main(int argc, char** argv) {
    command_line options;
    std::string problem;
    if (!parse_command_line(argc, argv, options, problem)) {
        std::fprintf(stderr, "sprandel-cli: %s\n%s", problem.c_str(), usage_text().c_str());
        return exit_could_not_run;
    }
    if (options.show_help) {
        std::fputs(usage_text().c_str(), stdout);
        return exit_clean;
    }
    if (options.show_version) {
        std::puts("sprandel-cli 4.1");
        return exit_clean;
    }

    install_interrupt_handlers();  // Ctrl-C while connecting must not kill the process either
    console_user_interface face(stdout, stderr, options.abort_on_error);
    try {
        const auto handler = create_error_handler();
        handler->exit_hook = [](int) { throw internal_error_exit{}; };
        sprandel_convertor converter;
        if (!prepare(converter, options, face)) return exit_could_not_run;
        return run(converter, face);
    } catch (const internal_error_exit&) {
        return exit_could_not_run;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Error: %s\n", error.what());
        return exit_could_not_run;
    }
}
