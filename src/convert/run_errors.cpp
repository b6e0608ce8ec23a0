// The errors of one run.
#include "convert/run_errors.h"

void run_error_list::add(std::string text) {
    std::lock_guard lock(mutex_);
    ++total_;
    if (listed_.size() < max_listed) listed_.push_back(std::move(text));
}

void run_error_list::clear() {
    std::lock_guard lock(mutex_);
    listed_.clear();
    total_ = 0;
}

std::vector<std::string> run_error_list::listed() const {
    std::lock_guard lock(mutex_);
    return listed_;
}

std::size_t run_error_list::total() const {
    std::lock_guard lock(mutex_);
    return total_;
}

std::string run_error_list::summary() const {
    std::lock_guard lock(mutex_);
    std::string text = std::to_string(total_) + (total_ == 1 ? " error" : " errors") + " during the run";
    if (total_ > listed_.size()) text += "; the first " + std::to_string(listed_.size()) + " are listed";
    return text + ":";
}
