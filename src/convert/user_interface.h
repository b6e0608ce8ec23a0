// The one way the core talks to the user: the wizard, the console and the tests each
// implement it and hand it to what needs it.
#pragma once

#include <string>


// What the user chose in the Continue/Abort dialog of a failed row or item.
struct continue_choice {
    bool continue_run = true;
    bool do_not_show_again = false;  // the dialog's check box
};

class user_interface {
public:
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
};
