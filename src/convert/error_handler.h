// The one place where a failure becomes what the user sees: a box, a Continue/Abort choice,
// or the internal-error dialog after which the process ends.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>

#include "toolkit/exception.h"

class run_error_list;
class user_interface;

// One friendly text for a native error code.
struct tk_error_entry {
    std::int32_t code;
    const char* text;
};

// Native error codes to friendly texts; the first text loaded for a code stays.
class friendly_error_texts {
public:
    void load_map(std::span<const tk_error_entry> table);
    // The friendly text, or an empty text when the code has none.
    std::string convert(int code) const;
    std::size_t size() const noexcept { return texts_.size(); }

private:
    std::map<int, std::string> texts_;
};

class error_handler {
public:
    // face: where errors are shown and questions asked; null when nobody can answer (the
    // errors are then only logged and listed). texts: friendly texts for native codes.
    error_handler(user_interface* face, std::span<const tk_error_entry> texts);
    error_handler(const error_handler&) = delete;
    error_handler& operator=(const error_handler&) = delete;
    ~error_handler();

    // The program's face may be made after its handler.
    void set_face(user_interface* face) noexcept { face_ = face; }

    // Names what was being processed; the text prefixes later errors until the next call.
    void set_context(const std::string& name);
    void set_context(const std::string& name, long long record);  // "name, record #n"
    std::string context() const;

    // Shows the error as its level asks. Level 1, and level 0 when the user aborts, throw
    // tk_final_exception unless top is true (the caller is an outermost handler). Level 2
    // ends the process through the exit hook after its dialog.
    void handle(const tk_exception& error, bool top);

    // Set by the Continue dialog's check box: from then on level-0 errors go on silently and
    // level-1 errors are only logged and listed.
    bool is_suppressed() const noexcept { return suppress_.load(); }

    // Where the texts of handled errors are counted and kept: the running job's result,
    // or null between runs.
    void collect_into(run_error_list* list) noexcept { errors_.store(list); }

    // True once an internal error was handled in this process.
    bool had_internal_error() const noexcept { return internal_error_seen_.load(); }

    // Ends the process after an internal error; tests replace it to watch the exit code.
    // The default leaves at once, without running destructors that could write half-done
    // state (the settings of the session are not stored).
    std::function<void(int)> exit_hook;

    static constexpr int internal_error_exit_code = -1;

private:
    // The text shown for error: context, then the friendly or the exception's own text.
    std::string error_text(const tk_exception& error) const;
    std::string dialog_title() const;
    void handle_internal(const tk_exception& error, bool top);
    void handle_serious(const std::string& text, bool top);
    void handle_recoverable(const std::string& text, bool top);

    user_interface* face_;
    friendly_error_texts friendly_;
    mutable std::mutex context_mutex_;  // the run's worker and the pages both set it
    std::string context_;
    std::atomic<bool> suppress_{false};
    std::atomic<run_error_list*> errors_{nullptr};
    std::atomic<bool> internal_error_seen_{false};
};
