// The run's progress figures.
#include "convert/run_progress.h"

void run_progress::start(int item_count) noexcept {
    finished_.store(false);
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
