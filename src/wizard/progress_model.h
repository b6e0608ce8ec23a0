// The progress page: the run on its worker thread, and what each 200 ms tick shows.
#pragma once

#include <cstdint>
#include <string>

#include "convert/run_progress.h"
#include "toolkit/thread.h"

class conversion_run;

inline constexpr const char* progress_intro_text =
    "Database converting is in progress. Please wait until the wizard completes\nconverting your Oracle database "
    "into MS Excel spreadsheet.";
inline constexpr const char* formatting_status_text = "Applying format settings";
inline constexpr int progress_tick_ms = 200;

// The bar during formatting, which has no counters: rises quickly, then creeps towards 100
// without reaching it (0 at tick 0, 50 at tick 10, 93 at tick 100).
int formatting_percent(std::uint32_t tick);

struct progress_view {
    bool finished = false;  // the run has ended: stop the timer and show the finish page
    int bar = 0;
    std::string status;   // the phase running: the item read, or the formatting
    std::string figures;  // rows, elapsed time and time left, as the console shows them
};

class progress_model {
public:
    // One timer tick at the time now: reads the run's progress fields.
    progress_view on_timer(const run_progress& progress, run_progress::clock::time_point now);

private:
    std::uint32_t formatting_ticks_ = 0;
};

// The worker that runs a conversion, which stays owned by its owner. Destroying the thread
// stops and joins a run still going.
class conversion_thread : public tk_thread {
public:
    explicit conversion_thread(conversion_run& run) : run_(run) {}
    ~conversion_thread() override { stop(); }

protected:
    tk_thread_functor* create_functor() override;

private:
    conversion_run& run_;
};
