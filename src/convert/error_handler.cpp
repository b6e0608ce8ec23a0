// The error handler and the map of friendly error texts.
#include "convert/error_handler.h"

#include <cstdlib>

#include "convert/run_errors.h"
#include "convert/user_interface.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

void friendly_error_texts::load_map(std::span<const tk_error_entry> table) {
    for (const tk_error_entry& entry : table) texts_.emplace(entry.code, entry.text);
}

std::string friendly_error_texts::convert(int code) const {
    const auto found = texts_.find(code);
    return found == texts_.end() ? std::string() : found->second;
}

error_handler::error_handler(user_interface* face, std::span<const tk_error_entry> texts)
    : exit_hook([](int code) { std::_Exit(code); }), face_(face) {
    friendly_.load_map(texts);
}

error_handler::~error_handler() = default;

void error_handler::set_context(const std::string& name) {
    std::lock_guard lock(context_mutex_);
    context_ = name;
}

void error_handler::set_context(const std::string& name, long long record) {
    set_context(name + ", record #" + std::to_string(record));
}

std::string error_handler::context() const {
    std::lock_guard lock(context_mutex_);
    return context_;
}

void error_handler::handle(const tk_exception& error, bool top) {
    TK_LOG(2, "%s", __func__);
    if (error.level() == tk_level_internal) {
        handle_internal(error, top);
        return;
    }
    std::string text = error_text(error);
    TK_LOG(3, "Error:\n%s", text.c_str());
    replace_all(text, "\n", " ");
    if (run_error_list* list = errors_.load()) list->add(text);
    if (error.level() == tk_level_serious) handle_serious(text, top);
    else handle_recoverable(text, top);
}

std::string error_handler::error_text(const tk_exception& error) const {
    std::string text = context();
    if (!text.empty()) text += ": ";
    const std::string friendly = friendly_.convert(error.code());
    return text + (friendly.empty() ? error.message() : friendly);
}

std::string error_handler::dialog_title() const {
    return face_ != nullptr ? face_->title() + " Error" : "Error";
}

void error_handler::handle_internal(const tk_exception& error, bool top) {
    TK_LOG(3, "Internal error:\n%s", error.what());
    internal_error_seen_.store(true);
    if (face_ != nullptr) face_->internal_error(dialog_title(), error.message());
    if (exit_hook) exit_hook(internal_error_exit_code);
    else std::_Exit(internal_error_exit_code);
    // Only a test's hook comes back; the operation still stops as after any serious error.
    if (!top) throw tk_final_exception();
}

void error_handler::handle_serious(const std::string& text, bool top) {
    if (!suppress_.load() && face_ != nullptr) face_->error(text);
    if (!top) throw tk_final_exception();
}

void error_handler::handle_recoverable(const std::string& text, bool top) {
    if (suppress_.load()) return;
    // With nobody to ask, the run goes on: the error is logged and listed.
    if (face_ == nullptr) return;
    const continue_choice choice = face_->continue_or_abort(dialog_title(), text);
    if (!choice.continue_run && !top) throw tk_final_exception();
    suppress_.store(choice.do_not_show_again);
}
