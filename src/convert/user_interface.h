// The one way the core talks to the user: the wizard, the console and the tests each
// register their own implementation.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "toolkit/singleton.h"

// What the user chose in the Continue/Abort dialog of a failed row or item.
struct continue_choice {
    bool continue_run = true;
    bool do_not_show_again = false;  // the dialog's check box
};

class user_interface : public tk_singleton<user_interface> {
public:
    static constexpr std::size_t max_error_texts = 20;

    virtual ~user_interface() = default;

    // The program's title ("Sprandel 4.1"), used in dialog titles and bug reports.
    virtual std::string title() const = 0;
    virtual void error(const std::string& text) = 0;     // error box with OK
    virtual void message(const std::string& text) = 0;   // information box with OK
    virtual bool question(const std::string& text) = 0;  // Yes (true) or No
    // Continue/Abort dialog with the "Do not show this dialog box again" check box.
    virtual continue_choice continue_or_abort(const std::string& title, const std::string& text) = 0;
    // The internal-error dialog ("Send bug", "OK", "Copy to clipboard"); returns when it is
    // closed, after which the caller ends the process.
    virtual void internal_error(const std::string& title, const std::string& text) = 0;
    // One line of the run's visible log.
    virtual void write_log(const std::string& line) = 0;

    // The error texts of a run, for the finish page; at most max_error_texts are kept.
    // Returns false when the list is full and the text was not added.
    bool add_error_text(std::string text) {
        std::lock_guard lock(errors_mutex_);
        if (error_texts_.size() >= max_error_texts) return false;
        error_texts_.push_back(std::move(text));
        return true;
    }
    std::vector<std::string> error_texts() const {
        std::lock_guard lock(errors_mutex_);
        return error_texts_;
    }
    void clear_error_texts() {
        std::lock_guard lock(errors_mutex_);
        error_texts_.clear();
    }

protected:
    user_interface() = default;

private:
    mutable std::mutex errors_mutex_;  // the run's worker adds while the face reads
    std::vector<std::string> error_texts_;
};
