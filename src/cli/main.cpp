// sprandel-cli: runs a saved job unattended, for servers and cron.
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cli/console_user_interface.h"
#include "cli/command_line.h"
#include "convert/error_handler.h"
#include "convert/error_tables.h"
#include "convert/conversion_run.h"
#include "convert/job_session.h"
#include "oracle/oracle_session.h"
#include "toolkit/settings_store.h"
#include "toolkit/exception.h"
#include "toolkit/log.h"
#include "toolkit/system.h"
#include "wizard/quick_launch.h"

namespace {

// Set from a signal handler or the console's control thread: lock-free by the standard.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void on_interrupt() { interrupted = true; }

// Thrown by the error handler's exit hook after an internal error, so that everything
// unwinds and no temporary workbook is left behind.
struct internal_error_exit {};

// The run's worker; the run is owned by main.
class run_thread : public tk_thread {
public:
    explicit run_thread(conversion_run& run) : run_(run) {}

protected:
    tk_thread_functor* create_functor() override {
        owns_functor_ = false;
        return &run_;
    }

private:
    conversion_run& run_;
};

// While the main thread waits on the server (connecting, reading the catalogue), a signal
// handler cannot reach the client safely; this thread notices Ctrl-C or SIGTERM and breaks
// the call off, so the wait ends within about one round trip.
class interrupt_watch {
public:
    explicit interrupt_watch(table_source& source) : source_(source), thread_([this] { watch(); }) {}
    ~interrupt_watch() {
        done_ = true;
        thread_.join();
    }
    interrupt_watch(const interrupt_watch&) = delete;
    interrupt_watch& operator=(const interrupt_watch&) = delete;

private:
    void watch() {
        while (!done_) {
            // Again and again: a break that lands between two calls reaches no call.
            if (interrupted) source_.break_calls();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    table_source& source_;
    std::atomic<bool> done_{false};
    std::thread thread_;  // last: it starts once everything it uses is there
};

// Everything up to the start of the run: profile, log, connection, table list, destination.
// A failure has been shown and ends the program with "could not run".
bool prepare(job_session& session, const command_line& options, console_user_interface& face,
             error_handler& handler) {
    quick_launch_steps steps;
    steps.log_file = options.log_file;
    steps.stop_requested = [] { return interrupted.load(); };
    // Ctrl-C while connecting or reading the catalogue breaks off the call under way.
    const interrupt_watch watch(session.oracle());
    return prepare_quick_launch(session, options.profile, face, handler, steps) == quick_launch_status::ready;
}

int run(job_session& session, console_user_interface& face, error_handler& handler) {
    conversion_run conversion(session.work(), session.oracle(), handler, &face);
    run_thread worker(conversion);
    worker.start();
    bool stop_sent = false;
    while (worker.is_running()) {
        if (interrupted && !stop_sent) {
            face.message("Stopping at the next row...");
            conversion.request_stop();
            stop_sent = true;
        }
        // a call waiting on the server is broken off too, so the stop comes within a round trip
        if (interrupted) session.oracle().break_calls();
        face.draw_progress(conversion.progress().percent_done(), conversion.progress().current_name());
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    worker.join();
    face.end_progress();

    const run_error_list& errors = conversion.errors();
    if (errors.total() != 0) {
        std::fprintf(stderr, "\n%s\n", errors.summary().c_str());
        for (const std::string& text : errors.listed()) std::fprintf(stderr, "  %s\n", text.c_str());
    }
    if (handler.had_internal_error()) {
        std::fprintf(stderr, "The run ended with an internal error; no workbook was written.\n");
        return exit_could_not_run;
    }
    // Nothing reaches the destination unless a run put it there; say when an earlier
    // workbook was kept.
    std::error_code ignored;
    const std::string& destination = session.work().destination;
    const bool written = !conversion.written_workbooks().empty();
    const std::string kept = !written && std::filesystem::exists(tk_system_path(destination), ignored)
                                 ? " " + destination + " was left as it was."
                                 : "";
    if (conversion.was_stopped()) {
        // An .xls run keeps the items it finished; an .xlsx package is written whole or not at all.
        if (written)
            std::fprintf(stderr, "The conversion did not complete%s; %s holds the items converted before the stop.\n",
                         interrupted ? " (interrupted)" : "", destination.c_str());
        else
            std::fprintf(stderr, "The conversion did not complete%s; no workbook was written.%s\n",
                         interrupted ? " (interrupted)" : "", kept.c_str());
        return exit_could_not_run;
    }
    if (conversion.items_converted() == 0) {
        if (written)
            std::fprintf(stderr, "No selected table or query was converted completely; %s holds what could be read.\n",
                         destination.c_str());
        else
            std::fprintf(stderr, "No workbook was written: no selected table or query could be converted.%s\n",
                         kept.c_str());
        return exit_could_not_run;
    }
    std::printf("Workbook written: %s\n", tk_path_text(std::filesystem::absolute(tk_system_path(destination))).c_str());
    return face.error_count() == 0 && errors.total() == 0 ? exit_clean : exit_with_errors;
}

}  // namespace

int main(int argc, char** argv) {
    // A descriptor 0-2 closed by the caller would be taken by the next file opened (the
    // trace log, a workbook), and console lines would be written into it.
    if (!tk_reopen_closed_standard_streams()) return exit_could_not_run;
    tk_use_utf8_console();
    const std::vector<std::string> arguments = tk_program_arguments(argc, argv);
    std::vector<const char*> argument_texts;
    for (const std::string& argument : arguments) argument_texts.push_back(argument.c_str());
    command_line options;
    std::string problem;
    if (!parse_command_line(static_cast<int>(argument_texts.size()), argument_texts.data(), options, problem)) {
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

    tk_on_stop_request(on_interrupt);  // Ctrl-C while connecting must not kill the process either
    console_user_interface face(stdout, stderr, options.abort_on_error);
    try {
        const auto handler = create_error_handler(&face);
        handler->exit_hook = [](int) { throw internal_error_exit{}; };
        job_session session(tk_settings_store::default_path());
        if (!prepare(session, options, face, *handler)) return exit_could_not_run;
        return run(session, face, *handler);
    } catch (const internal_error_exit&) {
        return exit_could_not_run;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Error: %s\n", error.what());
        return exit_could_not_run;
    }
}
