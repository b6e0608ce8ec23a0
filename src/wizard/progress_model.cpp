// The progress page's formula and the run's worker.
#include "wizard/progress_model.h"

#include <algorithm>
#include <cmath>

#include "convert/conversion_run.h"
#include "toolkit/text.h"

int formatting_percent(std::uint32_t tick) {
    return static_cast<int>(std::atan(tick / 10.0) * 100.0 / std::asin(1.0));
}

progress_view progress_model::on_timer(const run_progress& progress, run_progress::clock::time_point now) {
    progress_view view;
    if (progress.is_finished()) {
        view.finished = true;
        view.bar = 100;
        return view;
    }
    const progress_figures figures = read_progress_figures(progress, now);
    view.figures = progress_figures_text(figures);
    // The phase comes from the run, not from the bar: a table longer than its estimate
    // fills its share of the bar long before it is read.
    if (figures.phase == run_phase::reading) {
        // the console's formula, in 64 bits: a table of billions of rows still counts right
        view.bar = std::min(progress.percent_done(), 99);
        if (!figures.item.empty()) {
            const std::string line = "Processing table '" + figures.item + "'";
            view.status = std::string(utf16_prefix(line, 255));  // the status line holds 255 characters
        }
        return view;
    }
    view.status = formatting_status_text;
    view.bar = formatting_percent(formatting_ticks_++);
    return view;
}

tk_thread_functor* conversion_thread::create_functor() {
    owns_functor_ = false;
    return &run_;
}
