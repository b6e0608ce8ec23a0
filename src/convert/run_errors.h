// The errors of one run, as its result keeps them: the first texts for the list that the
// console or the finish page shows, and how many there were in all.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

class run_error_list {
public:
    static constexpr std::size_t max_listed = 20;

    // Counts every error; keeps the text of the first max_listed. The worker adds while
    // the face reads.
    void add(std::string text);
    void clear();
    std::vector<std::string> listed() const;
    std::size_t total() const;
    // "3 errors during the run:" or "25 errors during the run; the first 20 are listed:".
    std::string summary() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> listed_;
    std::size_t total_ = 0;
};
