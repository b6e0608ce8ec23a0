// The error handler and the map of friendly error texts.
#include "convert/error_handler.h"

#include <cstdlib>

#include "convert/run_errors.h"
#include "convert/user_interface.h"
#include "toolkit/log.h"
#include "toolkit/text.h"

void tk_error_converter::load_map(std::size_t count, const tk_error_entry* table) {
    TK_ASSERT(table != nullptr);
    for (std::size_t i = 0; i < count; ++i) texts_.emplace(table[i].code, table[i].text);
    TK_LOG(1, "tk_error_converter::load_map (map size=%d)", static_cast<int>(texts_.size()));
}

std::string tk_error_converter::convert(int code) const {
    TK_LOG(2, "tk_error_converter::convert(%d)", code);
    const auto found = texts_.find(code);
    if (found == texts_.end()) {
        TK_LOG(1, "Error message not found!");
        return {};
    }
    TK_LOG(1, "Error message has been found: %s", found->second.c_str());
    return found->second;
}

error_handler::error_handler(std::size_t count, const tk_error_entry* table)
    : exit_hook([](int code) { std::_Exit(code); }) {
    TK_LOG(2, "error_handler::ctor");
    converter_.load_map(count, table);
}

error_handler::~error_handler() { TK_LOG(2, "error_handler::dtor"); }

void error_handler::load_err_map(std::size_t count, const tk_error_entry* table) {
    TK_LOG(2, "error_handler::load_err_map");
    converter_.load_map(count, table);
}

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
    TK_LOG(2, "error_handler::handle");
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
    const std::string friendly = converter_.convert(error.code());
    return text + (friendly.empty() ? error.message() : friendly);
}

std::string error_handler::dialog_title() const {
    return user_interface::is_initialized() ? user_interface::instance().title() + " Error" : "Error";
}

void error_handler::handle_internal(const tk_exception& error, bool top) {
    TK_LOG(3, "Internal error:\n%s", error.what());
    internal_error_seen_.store(true);
    if (user_interface::is_initialized()) user_interface::instance().internal_error(dialog_title(), error.message());
    if (exit_hook) exit_hook(internal_error_exit_code);
    else std::_Exit(internal_error_exit_code);
    // Only a test's hook comes back; the operation still stops as after any serious error.
    if (!top) throw tk_final_exception();
}

void error_handler::handle_serious(const std::string& text, bool top) {
    TK_LOG(1, "Got 1-level error");
    if (!suppress_.load()) {
        TK_LOG(1, "Step 1");
        if (user_interface::is_initialized()) user_interface::instance().error(text);
    }
    TK_LOG(1, "Step 2");
    if (!top) throw tk_final_exception();
}

void error_handler::handle_recoverable(const std::string& text, bool top) {
    TK_LOG(1, "Got 0-level error");
    if (suppress_.load()) return;
    // With nobody to ask, the run goes on: the error is logged and listed.
    if (!user_interface::is_initialized()) return;
    const continue_choice choice = user_interface::instance().continue_or_abort(dialog_title(), text);
    if (!choice.continue_run && !top) throw tk_final_exception();
    suppress_.store(choice.do_not_show_again);
}
