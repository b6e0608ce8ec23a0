// run_progress: how far a run has come, written by its worker and read by the wizard's or
// the console's timer, and the figures both show from it.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

enum class run_phase { reading, completing };

class run_progress {
public:
    using clock = std::chrono::steady_clock;

    // The worker's side.
    void start(int item_count) noexcept;
    void start_item(std::string name);
    void set_estimated_rows(std::int64_t rows) noexcept { estimated_rows_.store(rows > 0 ? rows : 0); }
    void count_rows(std::int64_t rows = 1) noexcept { rows_done_.fetch_add(rows, std::memory_order_relaxed); }
    void finish_item() noexcept;
    // Every item is read; the workbooks are being written out and renamed into place.
    void start_completing() noexcept { phase_.store(run_phase::completing); }
    void finish() noexcept { finished_.store(true); }

    // The readers' side.
    bool is_finished() const noexcept { return finished_.load(); }
    run_phase phase() const noexcept { return phase_.load(); }
    // The item being converted; empty before the first.
    std::string current_name() const;
    // Whole items done plus the share of the current one, in 64 bits: a table of billions
    // of rows still counts right. Never above 100.
    int percent_done() const noexcept;
    int item_count() const noexcept { return item_count_.load(); }
    int items_done() const noexcept { return items_done_.load(); }
    std::int64_t rows_done() const noexcept { return rows_done_.load(); }
    std::int64_t estimated_rows() const noexcept { return estimated_rows_.load(); }
    clock::time_point started_at() const noexcept { return clock::time_point(clock::duration(started_.load())); }
    clock::time_point item_started_at() const noexcept {
        return clock::time_point(clock::duration(item_started_.load()));
    }

private:
    mutable std::mutex name_mutex_;
    std::string current_name_;
    std::atomic<int> item_count_{0};
    std::atomic<int> items_done_{0};
    std::atomic<std::int64_t> estimated_rows_{0};
    std::atomic<std::int64_t> rows_done_{0};
    std::atomic<clock::rep> started_{0};
    std::atomic<clock::rep> item_started_{0};
    std::atomic<run_phase> phase_{run_phase::reading};
    std::atomic<bool> finished_{false};
};

// What the progress page and the console's progress line show besides the bar.
struct progress_figures {
    run_phase phase = run_phase::reading;
    std::string item;                   // empty before the first item
    std::int64_t rows = 0;              // rows of the current item read so far
    std::int64_t estimated_rows = 0;    // 0: no estimate for this item
    std::int64_t elapsed_seconds = 0;
    std::int64_t seconds_left = -1;     // -1: too early to tell
};

// The figures at one moment; now is passed in so a reader's clock decides, not the worker's.
progress_figures read_progress_figures(const run_progress& progress, run_progress::clock::time_point now);
// "1,234 of about 10,000 rows, 0:42 elapsed, about 1:10 left"; the rows part is left out
// while no item is read, the time left until it can be estimated.
std::string progress_figures_text(const progress_figures& figures);
