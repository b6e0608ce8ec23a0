// The run's progress figures.
#include "convert/run_progress.h"

namespace {

// The time left is a guess from the share done so far; before this much of the run and
// this many seconds it would only jump about.
constexpr double min_share_for_estimate = 0.01;
constexpr std::int64_t min_seconds_for_estimate = 3;

// The share of the run done, finer than percent_done's whole numbers.
double share_done(const run_progress& progress) {
    const int items = progress.item_count();
    if (items == 0) return 0.0;
    double done = progress.items_done();
    if (const std::int64_t estimated = progress.estimated_rows(); estimated != 0)
        done += static_cast<double>(std::min(progress.rows_done(), estimated)) / static_cast<double>(estimated);
    return std::min(done / items, 1.0);
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
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - progress.started_at()).count();
    figures.elapsed_seconds = std::max<std::int64_t>(elapsed, 0);
    const double share = share_done(progress);
    // a table past its estimate leaves nothing to go by until the next item
    if (figures.phase == run_phase::reading && share >= min_share_for_estimate && share < 1.0 &&
        figures.elapsed_seconds >= min_seconds_for_estimate)
        figures.seconds_left = static_cast<std::int64_t>(figures.elapsed_seconds * (1.0 - share) / share + 0.5);
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
