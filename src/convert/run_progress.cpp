// The run's progress figures.
#include "convert/run_progress.h"

namespace {

// Before this many seconds of the run a guess of the time left would only jump about.
constexpr double min_seconds_for_estimate = 3.0;

double seconds_between(run_progress::clock::time_point from, run_progress::clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// The time left: the current item's rest at the pace it has kept, and each item after it as
// long as the items before took on average (or as long as this one, when it is the first).
// Nothing while the current item has no estimate or has outgrown it: there is no rest to
// measure then.
std::int64_t guess_seconds_left(const run_progress& progress, run_progress::clock::time_point now) {
    const std::int64_t estimated = progress.estimated_rows(), rows = progress.rows_done();
    if (estimated == 0 || rows == 0 || rows >= estimated) return -1;
    if (seconds_between(progress.started_at(), now) < min_seconds_for_estimate) return -1;
    const double in_item = seconds_between(progress.item_started_at(), now);
    const double item_left = in_item * static_cast<double>(estimated - rows) / static_cast<double>(rows);
    const int done = progress.items_done();
    const double per_item =
        done > 0 ? seconds_between(progress.started_at(), progress.item_started_at()) / done : in_item + item_left;
    const int after = std::max(progress.item_count() - done - 1, 0);
    return static_cast<std::int64_t>(item_left + after * per_item + 0.5);
}

std::string with_thousands(std::int64_t number) {
    std::string digits = std::to_string(number < 0 ? -number : number);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    if (number < 0) digits.insert(0, 1, '-');
    return digits;
}

// 0:42, 12:05, 1:02:03
std::string duration_text(std::int64_t seconds) {
    const std::int64_t hours = seconds / 3600, minutes = seconds / 60 % 60, rest = seconds % 60;
    std::string text;
    if (hours != 0) {
        text = std::to_string(hours);
        text += ':';
        if (minutes < 10) text += '0';
    }
    text += std::to_string(minutes);
    text += rest < 10 ? ":0" : ":";
    text += std::to_string(rest);
    return text;
}

}  // namespace

void run_progress::start(int item_count) noexcept {
    finished_.store(false);
    phase_.store(run_phase::reading);
    started_.store(clock::now().time_since_epoch().count());
    item_started_.store(started_.load());
    item_count_.store(item_count);
    items_done_.store(0);
    estimated_rows_.store(0);
    rows_done_.store(0);
}

void run_progress::start_item(std::string name) {
    {
        std::lock_guard lock(name_mutex_);
        current_name_ = std::move(name);
    }
    item_started_.store(clock::now().time_since_epoch().count());
    estimated_rows_.store(0);
    rows_done_.store(0);
}

void run_progress::finish_item() noexcept {
    estimated_rows_.store(0);
    rows_done_.store(0);
    items_done_.fetch_add(1);
}

std::string run_progress::current_name() const {
    std::lock_guard lock(name_mutex_);
    return current_name_;
}

int run_progress::percent_done() const noexcept {
    const int items = item_count_.load();
    if (items == 0) return 0;
    const std::int64_t estimated = estimated_rows_.load();
    long long percent = static_cast<long long>(items_done_.load()) * 100 / items;
    // rows beyond the estimate (the table grew while it was read) do not push past the item
    if (estimated != 0) percent += std::min<std::int64_t>(rows_done_.load(), estimated) * 100 / estimated / items;
    return static_cast<int>(percent > 100 ? 100 : percent);
}

progress_figures read_progress_figures(const run_progress& progress, run_progress::clock::time_point now) {
    progress_figures figures;
    figures.phase = progress.phase();
    figures.item = progress.current_name();
    figures.rows = progress.rows_done();
    figures.estimated_rows = progress.estimated_rows();
    // a reader may tick before the worker has started the run: nothing has elapsed then
    if (progress.started_at() != run_progress::clock::time_point{}) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - progress.started_at()).count();
        figures.elapsed_seconds = std::max<std::int64_t>(elapsed, 0);
    }
    if (figures.phase == run_phase::reading) figures.seconds_left = guess_seconds_left(progress, now);
    return figures;
}

std::string progress_figures_text(const progress_figures& figures) {
    std::string text;
    if (figures.phase == run_phase::reading && !figures.item.empty()) {
        text = with_thousands(figures.rows);
        if (figures.estimated_rows != 0) {
            text += " of about ";
            text += with_thousands(figures.estimated_rows);
        }
        text += figures.rows == 1 && figures.estimated_rows == 0 ? " row, " : " rows, ";
    }
    text += duration_text(figures.elapsed_seconds);
    text += " elapsed";
    if (figures.seconds_left >= 0) {
        text += ", about ";
        text += duration_text(figures.seconds_left);
        text += " left";
    }
    return text;
}
