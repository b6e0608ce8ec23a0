// Console dialogs and the terminal progress bar.
#include "cli/console_user_interface.h"

#include <algorithm>

#include "toolkit/system.h"

namespace {

constexpr int bar_width = 20;
constexpr std::size_t item_width = 30;
constexpr std::size_t default_columns = 80;  // a terminal that does not say its width

// The line must fit the terminal: a wrapped line is not overwritten by the next tick.
std::size_t terminal_columns(std::FILE* stream) {
    const std::size_t columns = tk_terminal_columns(stream);
    return columns > 0 ? columns : default_columns;
}

// At most columns characters (code points) of text.
std::string first_columns(const std::string& text, std::size_t columns) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;  // inside a character
        if (count++ == columns) return text.substr(0, at);
    }
    return text;
}

// Dialog texts keep their line breaks; on the console each line is indented under the first.
std::string indent_lines(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        out += c;
        if (c == '\n') out += "  ";
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\n')) out.pop_back();
    return out;
}

}  // namespace

console_user_interface::console_user_interface(std::FILE* out, std::FILE* err, bool abort_on_error)
    : out_(out), err_(err), abort_on_error_(abort_on_error), is_terminal_(tk_is_terminal(err) && tk_enable_colours(err)) {}

std::string console_user_interface::title() const { return "Sprandel 4.1"; }

void console_user_interface::error(const std::string& text) {
    ++error_count_;
    std::lock_guard lock(mutex_);
    print_locked(err_, "Error: " + indent_lines(text));
}

void console_user_interface::message(const std::string& text) {
    std::lock_guard lock(mutex_);
    print_locked(out_, indent_lines(text));
}

bool console_user_interface::question(const std::string& text) {
    // Nobody is there to answer: the unattended answer is the safe one, No.
    std::lock_guard lock(mutex_);
    print_locked(err_, indent_lines(text) + " (answered No: no one to ask)");
    return false;
}

continue_choice console_user_interface::continue_or_abort(const std::string&, const std::string& text) {
    ++error_count_;
    std::lock_guard lock(mutex_);
    print_locked(err_, "Error: " + indent_lines(text) + (abort_on_error_ ? " (stopping)" : " (continuing)"));
    return continue_choice{!abort_on_error_, false};
}

void console_user_interface::internal_error(const std::string&, const std::string& text) {
    ++error_count_;
    std::lock_guard lock(mutex_);
    print_locked(err_, indent_lines(text) + "\n  Please report this code to the Sprandel developers.");
}

void console_user_interface::write_log(const std::string& line) {
    std::lock_guard lock(mutex_);
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    print_locked(out_, text);
}

void console_user_interface::draw_progress(int percent, const std::string& item, const std::string& figures) {
    if (!is_terminal_) return;  // plain output gets the per-item lines only
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * bar_width / 100;
    std::string line(1, '[');
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(bar_width - filled), '.');
    line += "] ";
    line += std::to_string(percent);
    line += "%  ";
    line += item.size() > item_width ? first_columns(item, item_width - 3) + "..." : item;
    if (!figures.empty()) {
        line += "  ";
        line += figures;
    }
    line = first_columns(line, terminal_columns(err_) - 1);
    std::lock_guard lock(mutex_);
    std::fprintf(err_, "\r\x1b[K%s", line.c_str());
    std::fflush(err_);
    bar_shown_ = true;
}

void console_user_interface::end_progress() {
    std::lock_guard lock(mutex_);
    clear_bar_locked();
}

void console_user_interface::clear_bar_locked() {
    if (!bar_shown_) return;
    std::fputs("\r\x1b[K", err_);
    std::fflush(err_);
    bar_shown_ = false;
}

void console_user_interface::print_locked(std::FILE* stream, const std::string& text) {
    clear_bar_locked();
    std::fprintf(stream, "%s\n", text.c_str());
    std::fflush(stream);
}
