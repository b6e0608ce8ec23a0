// The console face of the user-interface seam: dialogs become lines on the terminal, and
// questions get the answer that an unattended run needs.
#pragma once

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "convert/user_interface.h"

class console_user_interface : public user_interface {
public:
    // abort_on_error: a failed row or item stops the run instead of being listed.
    console_user_interface(std::FILE* out, std::FILE* err, bool abort_on_error);

    std::string title() const override;
    void error(const std::string& text) override;
    void message(const std::string& text) override;
    bool question(const std::string& text) override;
    continue_choice continue_or_abort(const std::string& dialog_title, const std::string& text) override;
    void internal_error(const std::string& dialog_title, const std::string& text) override;
    void write_log(const std::string& line) override;

    // The progress bar shares the terminal line with these messages: each message first
    // clears the bar, which is drawn again on its next tick.
    // figures: the rows, elapsed time and time left (progress_figures_text).
    void draw_progress(int percent, const std::string& item, const std::string& figures);
    void end_progress();
    bool is_terminal() const noexcept { return is_terminal_; }

    // How many errors were shown; decides the exit status.
    int error_count() const noexcept { return error_count_.load(); }

private:
    void clear_bar_locked();
    void print_locked(std::FILE* stream, const std::string& text);

    std::FILE* out_;
    std::FILE* err_;
    const bool abort_on_error_;
    const bool is_terminal_;
    std::mutex mutex_;  // the worker's messages and the progress ticks share the terminal
    bool bar_shown_ = false;
    std::atomic<int> error_count_{0};
};
