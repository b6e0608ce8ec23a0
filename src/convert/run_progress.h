// run_progress: how far a run has come, written by its worker and read by the wizard's or
// the console's timer.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

class run_progress {
public:
    // The worker's side.
    void start(int item_count) noexcept;
    void start_item(std::string name);
    void set_estimated_rows(std::int64_t rows) noexcept { estimated_rows_.store(rows > 0 ? rows : 0); }
    void count_rows(std::int64_t rows = 1) noexcept { rows_done_.fetch_add(rows, std::memory_order_relaxed); }
    void finish_item() noexcept;
    void finish() noexcept { finished_.store(true); }

    // The readers' side.
    bool is_finished() const noexcept { return finished_.load(); }
    // The item being converted; empty before the first.
    std::string current_name() const;
    // Whole items done plus the share of the current one, in 64 bits: a table of billions
    // of rows still counts right. Never above 100.
    int percent_done() const noexcept;
    int item_count() const noexcept { return item_count_.load(); }
    int items_done() const noexcept { return items_done_.load(); }
    std::int64_t rows_done() const noexcept { return rows_done_.load(); }
    std::int64_t estimated_rows() const noexcept { return estimated_rows_.load(); }

private:
    mutable std::mutex name_mutex_;
    std::string current_name_;
    std::atomic<int> item_count_{0};
    std::atomic<int> items_done_{0};
    std::atomic<std::int64_t> estimated_rows_{0};
    std::atomic<std::int64_t> rows_done_{0};
    std::atomic<bool> finished_{false};
};
